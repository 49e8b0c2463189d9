#include "core/ShellIntegration.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/InstallData.h"
#include "ide/CmdLineUtils.h"
#include "ide/Utils.h"
#include "log/uLogger.h"
#include "platform/Exceptions.h"

namespace corvalis {
namespace {

struct Shortcut {
    const char* file;
    const char* target; // below the installation folder
    const char* folder; // the working folder below it; empty for none
    bool needsConnectivity;
};

constexpr Shortcut kShortcuts[] = {
    {"Corvalis Demo Project.lnk", "Demos\\DemoApp\\CRVDemo.dpr", "Demos\\DemoApp", false},
    {"Corvalis Non-Visual Demo Project.lnk", "Demos\\NonVisualDemo\\NonVisualDemo.dpr", "Demos\\NonVisualDemo", false},
    {"Corvalis BDE Simple Demo Project.lnk", "Demos\\Standard\\BDE\\BDEDemo.dpr", "Demos\\Standard\\BDE\\BDEDemo",
     false},
    {"Corvalis ADO Simple Demo Project.lnk", "Demos\\Standard\\ADO\\ADODemo.dpr", "Demos\\Standard\\ADO\\ADODemo",
     false},
    {"Corvalis Metadata Loading Demo Project.lnk", "Demos\\LoadMetadataDemo\\LoadMetadataDemo.dpr",
     "Demos\\LoadMetadataDemo", false},
    {"Corvalis Events Demo Project.lnk", "Demos\\EventsDemo\\EventsDemo.dpr", "Demos\\EventsDemo", false},
    {"Simple Demo Projects for Third-party Connection Libraries.lnk", "Demos\\ThirdParty", "Demos\\ThirdParty", true},
    {"Corvalis Help.lnk", "Help\\CRV.HLP", "", false},
    {"Corvalis User's Guide.lnk", "Help\\UsersGuide.chm", "", false},
    {"Corvalis Web Site.lnk", "Corvalis.url", "", false},
    {"Uninstall Corvalis.lnk", "Uninstall\\setup.exe", "Uninstall", false},
};

// The package files the Uninstall folder keeps, so that it can run the installer again.
constexpr const char* kUninstallFiles[] = {"setup.exe", "unrar.exe", "version", "withsrcs", "metapvds"};

// CBuilder2007 is the output folder of a C++Builder-only RAD Studio 2007.
constexpr const char* kRemovedFolders[] = {
    "CBuilder5",  "CBuilder6",  "CBuilder2007", "Delphi5",      "Delphi6",      "Delphi7",
    "Delphi2005", "Delphi2006", "Delphi2007",   "Delphi2009",   "Delphi2010",   "DemoApp",
    "Demos",      "Help",       "Packages",     "Packages_Tnt", "Packages_TMS", "Packages_DevExpress",
    "Languages",  "Sources",    "Int",
};

constexpr const char* kRemovedFiles[] = {
    "Corvalis.ver",         "Corvalis.url",        "EULA.txt",
    "History.txt",          "Readme.1st",          "setup.log",
    "Uninstall\\version",   "Uninstall\\withsrcs", "Uninstall\\metapvds",
    "Uninstall\\unrar.exe", "Uninstall\\data.arc",
};

// The levels of a Start-menu group, outermost first.
std::vector<std::string> GroupLevels(const std::string& startFolder)
{
    std::vector<std::string> levels;
    size_t start = 0;
    while (start <= startFolder.size()) {
        const size_t end = std::min(startFolder.find('\\', start), startFolder.size());
        if (end > start)
            levels.push_back(startFolder.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

} // namespace

size_t LongestShortcutName()
{
    size_t longest = 0;
    for (const Shortcut& shortcut : kShortcuts)
        longest = std::max(longest, std::string_view(shortcut.file).size());
    return longest;
}

std::string TShellIntegration::InInstallFolder(const std::string& relative) const
{
    return IncludeTrailingPathDelimiter(installData_.InstallDir) + relative;
}

void TShellIntegration::CreateShortcuts()
{
    IFileSystem& files = platform_.files;
    std::string group = installData_.ProgramsFolder;
    for (const std::string& level : GroupLevels(installData_.StartFolder)) {
        group = PathJoin(group, level);
        if (!files.DirectoryExists(group) && !files.CreateDirectory(group))
            throw OSError(files.LastError(), platform_.locale);
    }
    // The user sees the new group, unless the run is to show no window at all.
    if (!installData_.Options.Silent)
        platform_.shell.Open(group);
    for (const Shortcut& shortcut : kShortcuts) {
        if (shortcut.needsConnectivity && !installData_.HasConnectivity)
            continue;
        const std::string folder = *shortcut.folder ? InInstallFolder(shortcut.folder) : std::string();
        platform_.shell.CreateShortcut(PathJoin(group, shortcut.file), InInstallFolder(shortcut.target), folder);
    }
}

void TShellIntegration::WriteUninstallEntry()
{
    auto key = platform_.registry.OpenKey(RootKey::LocalMachine, UninstallKey, KeyAccess::WriteCreate);
    if (!key)
        return;
    const std::string version = installData_.PackageVersion->DisplayText();
    const std::string uninstaller = InInstallFolder("Uninstall\\setup.exe");
    key->WriteString("DisplayName", "Corvalis VCL Component " + version);
    key->WriteString("DisplayVersion", version);
    key->WriteString("HelpLink", ProductWebSite);
    key->WriteString("InstallLocation", installData_.InstallDir);
    key->WriteString("Publisher", "Halvorn");
    key->WriteString("URLInfoAbout", ProductWebSite);
    key->WriteString("URLUpdateInfo", ProductWebSite);
    // Quoted: Windows runs an unquoted path with blanks as its first word (C:\Program.exe).
    key->WriteString("UninstallString", "\"" + uninstaller + "\"");
    key->WriteString("DisplayIcon", uninstaller + ",0");
}

void TShellIntegration::DeleteUninstallEntry()
{
    platform_.registry.DeleteKey(RootKey::LocalMachine, UninstallKey);
}

void TShellIntegration::CopyUninstallFiles()
{
    IFileSystem& files = platform_.files;
    const std::string source = ExcludeTrailingPathDelimiter(files.FullPath(files.CurrentDirectory()));
    const std::string destination = IncludeTrailingPathDelimiter(files.FullPath(installData_.InstallDir)) + "Uninstall";
    if (!files.DirectoryExists(destination))
        files.CreateDirectory(destination);
    // Run from the Uninstall folder itself, the installer keeps what is there.
    if (platform_.locale.SameText(source, destination))
        return;
    for (const char* name : kUninstallFiles) {
        const std::string from = PathJoin(source, name);
        const std::string to = PathJoin(destination, name);
        // A marker that this package lacks must not survive from an older one.
        if (files.FileExists(from))
            files.CopyFile(from, to);
        else if (files.FileExists(to))
            files.DeleteFile(to);
    }
}

void TShellIntegration::DeleteInstallFolder(const std::string& folder)
{
    const std::string path = InInstallFolder(folder);
    if (platform_.files.DirectoryExists(path))
        platform_.files.Recycle(path);
}

void TShellIntegration::DeleteInstallFile(const std::string& file)
{
    const std::string path = InInstallFolder(file);
    if (platform_.files.FileExists(path))
        platform_.files.Recycle(path);
}

// The group may be one the user shares with other programs: only the shortcuts this
// installer makes go, then each level of the group, innermost first, while it is left empty.
// A group with a level such as "." or ".." may be the Programs folder itself or lie outside
// it: its folders stay.
void TShellIntegration::DeleteStartMenuGroup(const std::string& startFolder)
{
    IFileSystem& files = platform_.files;
    std::string group = installData_.ProgramsFolder;
    std::vector<std::string> folders;
    bool ownFolders = true;
    for (const std::string& level : GroupLevels(startFolder)) {
        group = PathJoin(group, level);
        folders.push_back(group);
        ownFolders = ownFolders && NamesOwnFolder(level) && level.find('/') == std::string::npos;
    }
    if (!files.DirectoryExists(group))
        return;
    for (const Shortcut& shortcut : kShortcuts)
        if (files.FileExists(PathJoin(group, shortcut.file)))
            files.Recycle(PathJoin(group, shortcut.file));
    if (!ownFolders)
        return;
    for (auto folder = folders.rbegin(); folder != folders.rend() && files.Enumerate(*folder).empty(); ++folder)
        files.Recycle(*folder);
}

// The group of this run and the one recorded by the installation being removed, which the
// user may have named otherwise.
void TShellIntegration::DeleteStartMenuGroups()
{
    for (const std::string& group : {installData_.StartFolder, installData_.RecordedStartFolder})
        DeleteStartMenuGroup(group);
}

void TShellIntegration::RemoveProductFiles(TLogBase& log)
{
    IFileSystem& files = platform_.files;
    installData_.RecordFilesRemoved();
    log.LogInfo("Delete component files...");
    for (const char* folder : kRemovedFolders) {
        log.LogInfo(std::string("Deleting ") + folder);
        DeleteInstallFolder(folder);
    }
    for (const char* file : kRemovedFiles)
        // An update writes its own setup.log as it goes, over the old one.
        if (installData_.Mode != imUpdate || !SameText(file, "setup.log"))
            DeleteInstallFile(file);
    log.LogInfo("Delete start menu group...");
    DeleteStartMenuGroups();
    DeleteUninstallEntry();
    DeleteInstallFile("Uninstall\\setup.exe");

    // The running installer may be that very file: it moves out of the way, so that its
    // folder can go.
    const std::string running = InInstallFolder("Uninstall\\setup.exe");
    if (files.FileExists(running)) {
        const std::string parked = PathJoin(files.TempDirectory(), "setup.exe");
        if (!files.MoveFile(running, parked) && files.CopyFile(running, parked))
            files.DeleteFile(running);
    }
    if (files.Enumerate(installData_.InstallDir).empty())
        files.DeleteTree(installData_.InstallDir);
    log.LogInfo("Completed");

    log.LogInfo("Delete Start menu Program Folder...");
    DeleteStartMenuGroups();
    log.LogInfo("Completed");
    log.LogInfo("");
    installData_.ProductInstalled = false;
}

} // namespace corvalis
