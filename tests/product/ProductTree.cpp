#include "product/ProductTree.h"

#include <set>
#include <stdexcept>

#include "ide/Utils.h"
#include "platform/Files.h"
#include "product/PackageProjects.h"

namespace corvalis::product {
namespace {

// The demo projects the Start-menu shortcuts open, each with the working folder its
// shortcut names.
struct Demo {
    const char* project;
    const char* folder;
};

constexpr std::array<Demo, 6> kDemos = {{
    {"Demos\\DemoApp\\CRVDemo.dpr", "Demos\\DemoApp"},
    {"Demos\\NonVisualDemo\\NonVisualDemo.dpr", "Demos\\NonVisualDemo"},
    {"Demos\\Standard\\BDE\\BDEDemo.dpr", "Demos\\Standard\\BDE\\BDEDemo"},
    {"Demos\\Standard\\ADO\\ADODemo.dpr", "Demos\\Standard\\ADO\\ADODemo"},
    {"Demos\\LoadMetadataDemo\\LoadMetadataDemo.dpr", "Demos\\LoadMetadataDemo"},
    {"Demos\\EventsDemo\\EventsDemo.dpr", "Demos\\EventsDemo"},
}};

struct TextFile {
    const char* path;
    const char* content;
};

constexpr std::array<TextFile, 9> kDocuments = {{
    {"Corvalis.url", "[InternetShortcut]\r\nURL=https://corvalis.example/\r\n"},
    {"EULA.txt", "Corvalis component library: license agreement.\r\n"},
    {"History.txt", "Corvalis component library: version history.\r\n"},
    {"Readme.1st", "Corvalis component library: read this first.\r\n"},
    {"Help\\CRV.HLP", "Corvalis help file.\r\n"},
    {"Help\\UsersGuide.chm", "Corvalis user's guide.\r\n"},
    {"DemoApp\\CRVDemo.exe", "The Corvalis demo, compiled.\r\n"},
    {"Languages\\Corvalis.DEU", "Corvalis texts in German.\r\n"},
    {"Languages\\Corvalis.ENU", "Corvalis texts in English.\r\n"},
}};

// One folder of form files per compilation mode; the installer copies the chosen one's
// files, subfolders flattened, into Sources.
constexpr std::array<const char*, 3> kFormFolders = {"VclForms", "TntForms", "DevExpressForms"};
constexpr std::array<const char*, 5> kFormFiles = {"CrvEditorForm.dfm", "CrvEditorForm.xfm", "CrvForms.res",
                                                   "CrvReg.dcr", "Dialogs\\CrvAboutDialog.dfm"};

class TreeWriter {
public:
    TreeWriter(IFileSystem& files, const std::string& root) : files_(files), root_(root) {}

    void File(const std::string& relative, const std::string& content)
    {
        const std::string path = PathJoin(root_, relative);
        MakeFolder(ExtractFileDir(path));
        if (!files_.WriteFile(path, content))
            throw std::runtime_error("cannot write " + path);
    }

    void Folder(const std::string& relative) { MakeFolder(PathJoin(root_, relative)); }

private:
    // Thousands of files share a few hundred folders: each is made once.
    void MakeFolder(const std::string& path)
    {
        if (made_.insert(path).second && !files_.ForceDirectories(path))
            throw std::runtime_error("cannot create " + path);
    }

    IFileSystem& files_;
    const std::string& root_;
    std::set<std::string> made_;
};

// A unit that uses the RTL by the units' names without scope, as code that builds with every
// Delphi does: the compilers with unit scopes find them through their -NS scopes.
std::string UnitSource(const std::string& name, const std::string& purpose, bool form = false)
{
    return "unit " + name + ";\r\n\r\n{ " + purpose + " }\r\n\r\ninterface\r\n\r\nuses\r\n  SysUtils, Classes" +
           (form ? ", Forms" : "") + ";\r\n\r\nimplementation\r\n\r\nend.\r\n";
}

std::string DemoProgram(const std::string& name)
{
    return "program " + name + ";\r\n\r\nuses\r\n  Forms,\r\n  " + name +
           "Main;\r\n\r\nbegin\r\n  Application.Run;\r\nend.\r\n";
}

// The units of the IDE's packages, precompiled into the IDE's output folder.
void WritePrecompiledUnits(TreeWriter& tree, const IdeFolder& ide, const std::vector<PackageProject>& packages,
                           const std::string& platform)
{
    const std::string output = std::string(ide.name) + "\\" + (ide.win64 ? platform + "\\" : "");
    for (const PackageProject& package : packages) {
        for (const PackageProject::Unit& unit : package.units) {
            const std::string text = "Unit " + unit.name + ", precompiled for " + ide.name +
                                     (ide.win64 ? ", for " + platform : std::string()) + "\r\n";
            if (ide.language == Language::Cpp) {
                tree.File(output + "obj\\" + unit.name + ".obj", text);
                tree.File(output + unit.name + ".hpp", text);
                continue;
            }
            tree.File(output + unit.name + ".dcu", text);
            // Delphi 2006 and later can build the C++Builder files too.
            if (ide.versionNumber >= 10) {
                tree.File(output + unit.name + ".hpp", text);
                tree.File(output + unit.name + ".obj", text);
            }
        }
    }
}

} // namespace

void WriteProductTree(IFileSystem& files, const std::string& root, const ProductOptions& options)
{
    TreeWriter tree(files, root);
    tree.File("Corvalis.ver", options.version + "\r\n");
    for (const TextFile& document : kDocuments)
        tree.File(document.path, document.content);

    for (const Demo& demo : kDemos) {
        const std::string name = ChangeFileExt(ExtractFileName(demo.project), "");
        tree.File(demo.project, DemoProgram(name));
        tree.File(std::string(demo.folder) + "\\" + name + "Main.pas", UnitSource(name + "Main", "Demo form"));
    }
    if (options.withConnectivity)
        for (const Provider& provider : kProviders)
            if (!provider.builtIn)
                tree.File(std::string("Demos\\ThirdParty\\") + provider.name + "\\" + provider.name + "Demo.dpr",
                          DemoProgram(std::string(provider.name) + "Demo"));

    for (const char* formFolder : kFormFolders)
        for (const char* formFile : kFormFiles)
            tree.File(std::string("Sources\\") + formFolder + "\\" + formFile,
                      std::string(formFile) + " of " + formFolder + "\r\n");

    for (const IdeFolder& ide : kIdeFolders) {
        const std::vector<PackageProject> packages = PackageProjects(ide, options.withConnectivity);
        for (const char* modeFolder : kModeFolders) {
            const std::string folder = std::string(modeFolder) + "\\" + ide.name + "\\";
            for (const PackageProject& package : packages) {
                tree.File(folder + ProjectFileName(package.stem, ide), ProjectText(package, ide));
                if (ide.language == Language::Cpp)
                    tree.File(folder + ProjectName(package.stem, ide) + ".cpp", CppMainSource(package, ide));
            }
        }
        // The C++Builder projects put their objects there; the make tool creates no folder.
        if (ide.language == Language::Cpp)
            tree.Folder(std::string(ide.name) + "\\obj");
        if (!options.withSources)
            for (const char* platform : {"Win32", "Win64"})
                if (ide.win64 || std::string(platform) == "Win32")
                    WritePrecompiledUnits(tree, ide, packages, platform);
    }

    for (const PackageProject& package : PackageProjects(kIdeFolders.front(), options.withConnectivity)) {
        for (const PackageProject::Unit& unit : package.units) {
            tree.File("Int\\" + unit.name + ".int", UnitSource(unit.name, "Interface of " + package.description));
            if (options.withSources)
                tree.File("Sources\\" + unit.name + ".pas",
                          UnitSource(unit.name, package.description, !unit.form.empty()));
        }
    }
}

} // namespace corvalis::product
