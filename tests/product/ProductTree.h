#pragma once

// The sample product that the test packages distribute: the folders and files the
// installer's shortcuts and removal lists name, the sources and the package projects of
// every IDE version and compilation mode (PackageProjects.h).

#include <string>

namespace corvalis {
class IFileSystem;
}

namespace corvalis::product {

struct ProductOptions {
    // The withsrcs edition: Sources holds the units' .pas files. Without them the units
    // come precompiled in the IDE output folders (.dcu; for C++Builder obj\*.obj and .hpp;
    // for Delphi 2006 and later also .hpp and .obj), where the compilers find them.
    bool withSources = true;
    // The metapvds edition: the 31 connectivity packages for other vendors' libraries and
    // their demos in Demos\ThirdParty; the 4 built-in ones are always there.
    bool withConnectivity = true;
    std::string version = "1.0.0.0 Standard Edition"; // the content of Corvalis.ver
};

// Writes the product below root, creating the folders it needs.
void WriteProductTree(IFileSystem& files, const std::string& root, const ProductOptions& options);

} // namespace corvalis::product
