#include "standins/Makefile.h"

#include "ide/Utils.h"
#include "standins/CppProject.h"

namespace corvalis::standins {
namespace {

constexpr const char* kRuler = "# ---------------------------------------------------------------------------\r\n";

std::string FilesOf(const CppProject& project, const std::string& container)
{
    std::string list;
    for (const CppProject::File& file : project.files)
        if (file.container == container)
            list += (list.empty() ? "" : " ") + file.fileName;
    return list;
}

} // namespace

Makefile Makefile::Parse(const std::string& text)
{
    Makefile makefile;
    for (const std::string& line : TextLines(text)) {
        const size_t equals = line.find('=');
        const size_t colon = line.find(':');
        if (line.empty() || line[0] == '#') {
            continue;
        } else if (equals != std::string::npos) {
            makefile.macros.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
        } else if (colon != std::string::npos && makefile.target.empty()) {
            makefile.target = Trim(line.substr(0, colon));
            makefile.dependencies = Trim(line.substr(colon + 1));
        }
    }
    return makefile;
}

std::string WriteMakefile(const CppProject& project, const std::string& projectFile)
{
    std::string text = kRuler;
    text += "# Makefile of " + projectFile + ", written by the bpr2mak stand-in of the Corvalis tests.\r\n";
    text += kRuler;
    text += "BCB = $(MAKEDIR)\\..\r\n";
    for (const CppProject::Setting& setting : project.settings)
        text += setting.name + " = " + setting.value + "\r\n";
    text += "PASFILES = " + FilesOf(project, "PascalCompiler") + "\r\n";
    text += "CPPFILES = " + FilesOf(project, "CCompiler") + "\r\n";
    return text + kRuler + "$(PROJECT): $(OBJFILES)\r\n";
}

} // namespace corvalis::standins
