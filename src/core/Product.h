#pragma once

namespace corvalis {

// The addresses the installer shows or opens.
inline constexpr const char* ProductWebSite = "https://www.halvorn.com/corvalis/";
inline constexpr const char* ProductDownloadPage = "https://www.halvorn.com/corvalis/download";
inline constexpr const char* ProductTechnicalFaq = "https://www.halvorn.com/corvalis/faq";
// Where a registered user of an IDE without a command-line compiler finds one.
inline constexpr const char* CompilerDownloadPage = "https://www.halvorn.com/dcc32";
inline constexpr const char* TntControlsDownload = "https://www.halvorn.com/corvalis/tnt";
inline constexpr const char* TmsUnicodeSite = "https://www.tmssoftware.com/site/tmsuni.asp";

} // namespace corvalis
