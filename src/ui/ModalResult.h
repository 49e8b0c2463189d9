#pragma once

namespace corvalis::ui {

// What a modal window returns. The numbers are the dialog command identifiers of the same
// names (IDOK, IDCANCEL, ...), so that a result reads the same in the window code.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5 };

} // namespace corvalis::ui
