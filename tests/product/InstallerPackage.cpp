#include "product/InstallerPackage.h"

#include <functional>
#include <stdexcept>

#include "ide/Utils.h"
#include "platform/memory/MemoryFiles.h"
#include "product/ProductTree.h"
#include "standins/Tar.h"

namespace corvalis::product {
namespace {

void Check(bool succeeded, const std::string& path)
{
    if (!succeeded)
        throw std::runtime_error("cannot write " + path);
}

// The file when wanted (written by write), else no such file.
void Provide(IFileSystem& files, const std::string& path, bool wanted, const std::function<bool()>& write)
{
    if (wanted)
        Check(write(), path);
    else if (files.FileExists(path))
        Check(files.DeleteFile(path), path);
}

} // namespace

void WriteInstallerPackage(IFileSystem& files, const std::string& folder, const PackageContent& content)
{
    Check(files.ForceDirectories(folder), folder);
    const auto path = [&](const char* name) { return PathJoin(folder, name); };
    Check(files.WriteFile(path("version"), content.version), path("version"));
    Provide(files, path("withsrcs"), content.withSources, [&] { return files.WriteFile(path("withsrcs"), ""); });
    Provide(files, path("metapvds"), content.withConnectivity, [&] { return files.WriteFile(path("metapvds"), ""); });
    Provide(files, path("unrar.exe"), !content.unrarPath.empty(),
            [&] { return files.CopyFile(content.unrarPath, path("unrar.exe")); });
    Provide(files, path("setup.exe"), !content.setupPath.empty(),
            [&] { return files.CopyFile(content.setupPath, path("setup.exe")); });

    // The tree is made in memory: thousands of small files are quicker there than on disk.
    MemoryFiles tree;
    const std::string root = "C:\\Product";
    WriteProductTree(tree, root, {content.withSources, content.withConnectivity, content.version});
    Check(files.WriteFile(path("data.arc"), standins::WriteTar(standins::FolderEntries(tree, root))), path("data.arc"));
}

} // namespace corvalis::product
