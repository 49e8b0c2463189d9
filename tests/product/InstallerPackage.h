#pragma once

// A test installer package: the folder the installer runs from.

#include <string>

namespace corvalis {
class IFileSystem;
}

namespace corvalis::product {

struct PackageContent {
    std::string version;           // the text of the version file, written as given
    bool withSources = false;      // the withsrcs marker, and the product's sources
    bool withConnectivity = false; // the metapvds marker, and the connectivity packages
    std::string unrarPath;         // copied in as unrar.exe when not empty
    std::string setupPath;         // copied in as setup.exe when not empty
};

// Writes version, the markers asked for, data.arc (the product tree of ProductTree.h as a
// tar archive) and the copies of unrar.exe and setup.exe into folder, creating it. A marker
// or copy not asked for is deleted, so that a folder used again holds this package only.
// Throws std::runtime_error naming a file that cannot be written or copied.
void WriteInstallerPackage(IFileSystem& files, const std::string& folder, const PackageContent& content);

} // namespace corvalis::product
