#include "product/PackageProjects.h"

#include <cstdio>

namespace corvalis::product {
namespace {

// From a package folder (<root>\<mode folder>\<IDE folder>) to the product's root.
constexpr const char* kToRoot = "..\\..\\";

struct IdePackages {
    std::vector<std::string> runtime;
    std::string dataAccess;
    std::string design;
};

IdePackages IdePackagesOf(const IdeFolder& ide)
{
    if (ide.vcl50)
        return {{"vcl50"}, "vcldb50", "dsnide50"};
    return {{"rtl", "vcl"}, "dbrtl", "designide"};
}

std::string Extension(const IdeFolder& ide, const char* delphi, const char* cpp)
{
    return ide.language == Language::Delphi ? delphi : cpp;
}

// Items one per line, separated by commas, the last one ended by a semicolon.
std::string PascalList(const std::vector<std::string>& items)
{
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += "  " + items[i] + (i + 1 < items.size() ? ",\r\n" : ";\r\n");
    return text;
}

std::string DelphiProject(const PackageProject& package, const IdeFolder& ide)
{
    std::vector<std::string> units;
    for (const PackageProject::Unit& unit : package.units)
        units.push_back(unit.name + " in '" + kToRoot + "Sources\\" + unit.name + ".pas'" +
                        (unit.form.empty() ? "" : " {" + unit.form + "}"));
    return "package " + ProjectName(package.stem, ide) + ";\r\n\r\n// " + package.description +
           "\r\n\r\n{$R *.res}\r\n{$ALIGN 8}\r\n{$BOOLEVAL OFF}\r\n{ DEBUGINFO OFF}\r\n{$DESCRIPTION '" +
           package.description + "'}\r\n" + (package.designTime ? "{$DESIGNONLY}\r\n" : "{$RUNONLY}\r\n") +
           "{$IMPLICITBUILD OFF}\r\n\r\nrequires\r\n" + PascalList(package.requiredPackages) + "\r\ncontains\r\n" +
           PascalList(units) + "\r\nend.\r\n";
}

std::string Setting(const std::string& name, const std::string& value)
{
    return "    <" + name + " value=\"" + value + "\"/>\r\n";
}

std::string FileItem(const std::string& fileName, const std::string& unitName, const std::string& form,
                     const char* container)
{
    return "      <FILE FILENAME=\"" + fileName + "\" FORMNAME=\"" + form + "\" UNITNAME=\"" + unitName +
           "\" CONTAINERID=\"" + container + "\" DESIGNCLASS=\"\" LOCALCOMMAND=\"\"/>\r\n";
}

std::string CppProject(const PackageProject& package, const IdeFolder& ide)
{
    const std::string name = ProjectName(package.stem, ide);
    const std::string output = kToRoot + std::string(ide.name) + "\\";
    std::string objects = name + ".obj";
    std::string packages;
    std::string files = FileItem(name + ".cpp", name, "", "CCompiler");
    for (const PackageProject::Unit& unit : package.units) {
        objects += "\r\n      " + output + "obj\\" + unit.name + ".obj";
        files +=
            FileItem(kToRoot + std::string("Sources\\") + unit.name + ".pas", unit.name, unit.form, "PascalCompiler");
    }
    for (const std::string& required : package.requiredPackages) {
        packages += (packages.empty() ? "" : " ") + required + ".bpi";
        files += FileItem(required + ".bpi", required, "", "BPITool");
    }
    char version[16];
    std::snprintf(version, sizeof version, "BCB.%02d.00", ide.versionNumber);
    return "<?xml version='1.0' encoding='utf-8' ?>\r\n<!-- C++Builder XML Project -->\r\n<PROJECT>\r\n  <MACROS>\r\n" +
           Setting("VERSION", version) + Setting("PROJECT", output + name + ".bpl") + Setting("OBJFILES", objects) +
           Setting("PACKAGES", packages) + Setting("MAINSOURCE", name + ".cpp") +
           Setting("INCLUDEPATH", output + ";" + kToRoot + "Sources;$(BCB)\\include;$(BCB)\\include\\vcl") +
           Setting("LIBPATH", output + ";" + output + "obj;$(BCB)\\lib\\obj;$(BCB)\\lib") +
           Setting("SYSDEFINES", "_RTLDLL;NO_STRICT;USEPACKAGES") + "  </MACROS>\r\n  <OPTIONS>\r\n" +
           Setting("PFLAGS", "-$Y- -$L- -$D- -v -JPHNE -M") +
           Setting("LFLAGS", "-D&quot;" + package.description + "&quot; -aa -Tpp -x -Gn -Gl -Gi" +
                                 (package.designTime ? " -Gpd" : " -Gpr")) +
           "  </OPTIONS>\r\n  <FILELIST>\r\n" + files + "  </FILELIST>\r\n</PROJECT>\r\n";
}

} // namespace

std::string ProjectName(const std::string& stem, const IdeFolder& ide)
{
    return stem + Extension(ide, "D", "C") + std::to_string(ide.versionNumber);
}

std::string ProjectFileName(const std::string& stem, const IdeFolder& ide)
{
    return ProjectName(stem, ide) + Extension(ide, ".dpk", ".bpk");
}

std::vector<PackageProject> PackageProjects(const IdeFolder& ide, bool withConnectivity)
{
    const IdePackages own = IdePackagesOf(ide);
    const auto requiring = [&](std::vector<std::string> more) {
        std::vector<std::string> list = own.runtime;
        list.insert(list.end(), more.begin(), more.end());
        return list;
    };
    const std::string core = ProjectName("Corvalis", ide);
    const std::string coreDesign = ProjectName("CorvalisDsgn", ide);
    std::vector<PackageProject> packages = {
        {"Corvalis",
         false,
         "Corvalis Component Runtime",
         own.runtime,
         {{"CrvConsts", ""}, {"CrvCore", ""}, {"CrvMetadata", ""}}},
        {"CorvalisDsgn",
         true,
         "Corvalis Component",
         requiring({own.design, core}),
         {{"CrvReg", ""}, {"CrvEditors", "CrvEditorForm"}}},
    };
    for (const Provider& provider : kProviders) {
        if (!provider.builtIn && !withConnectivity)
            continue;
        const std::string name = provider.name;
        const std::string runtime = "Corvalis" + name;
        packages.push_back({runtime,
                            false,
                            "Corvalis Component " + name + " Connectivity Runtime",
                            requiring({own.dataAccess, core}),
                            {{"Crv" + name + "Provider", ""}}});
        packages.push_back({"CorvalisDsgn" + name,
                            true,
                            "Corvalis Component " + name + " Connectivity",
                            requiring({own.design, ProjectName(runtime, ide), coreDesign}),
                            {{"Crv" + name + "Reg", ""}}});
    }
    return packages;
}

std::string ProjectText(const PackageProject& package, const IdeFolder& ide)
{
    return ide.language == Language::Delphi ? DelphiProject(package, ide) : CppProject(package, ide);
}

std::string CppMainSource(const PackageProject& package, const IdeFolder& ide)
{
    return "//---------------------------------------------------------------------------\r\n"
           "// " +
           ProjectName(package.stem, ide) + ": " + package.description +
           "\r\n"
           "//---------------------------------------------------------------------------\r\n"
           "#include <vcl.h>\r\n#pragma hdrstop\r\n#pragma package(smart_init)\r\n\r\n"
           "int WINAPI DllEntryPoint(HINSTANCE, unsigned long, void*)\r\n{\r\n    return 1;\r\n}\r\n";
}

} // namespace corvalis::product
