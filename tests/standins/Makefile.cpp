#include "standins/Makefile.h"

#include "ide/Utils.h"
#include "standins/CppProject.h"
#include "standins/StandIn.h"

namespace corvalis::standins {
namespace {

constexpr size_t kLineWidth = 100;
constexpr const char* kRuler = "# ---------------------------------------------------------------------------\r\n";

bool IsMacroName(const std::string& name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

// NAME = value, broken into continuation lines where it grows wide.
std::string Definition(const std::string& name, const std::string& value)
{
    std::string text = name + " =";
    size_t width = text.size();
    for (const std::string& word : SplitList(value, ' ')) {
        if (width + 1 + word.size() > kLineWidth && width > name.size() + 2) {
            text += " \\\r\n   ";
            width = 3;
        }
        text += " " + word;
        width += 1 + word.size();
    }
    return text + "\r\n";
}

std::string FilesOf(const CppProject& project, const std::string& container)
{
    std::string list;
    for (const CppProject::File& file : project.files)
        if (file.container == container)
            list += (list.empty() ? "" : " ") + file.fileName;
    return list;
}

// The text's lines with continuations joined.
std::vector<std::string> LogicalLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string pending;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
            line.pop_back();
        const bool continued = !line.empty() && line.back() == '\\';
        if (continued)
            line.pop_back();
        pending += pending.empty() ? line : " " + Trim(line);
        if (!continued) {
            lines.push_back(pending);
            pending.clear();
        }
    }
    if (!pending.empty())
        lines.push_back(pending);
    return lines;
}

} // namespace

Makefile Makefile::Parse(const std::string& text)
{
    Makefile makefile;
    for (const std::string& line : LogicalLines(text)) {
        if (line.empty() || line[0] == '#' || line[0] == '!' || static_cast<unsigned char>(line[0]) <= ' ')
            continue;
        const size_t equals = line.find('=');
        if (equals != std::string::npos && IsMacroName(Trim(line.substr(0, equals)))) {
            makefile.macros.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
            continue;
        }
        // "target: dependencies"; a colon followed by a backslash belongs to a drive letter.
        size_t colon = line.find(':');
        while (colon != std::string::npos && colon + 1 < line.size() && line[colon + 1] == '\\')
            colon = line.find(':', colon + 1);
        if (colon != std::string::npos && makefile.target.empty()) {
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
    text += Definition("BCB", "$(MAKEDIR)\\..");
    for (const CppProject::Setting& setting : project.settings)
        text += Definition(setting.name, setting.value);
    text += Definition("PASFILES", FilesOf(project, "PascalCompiler"));
    text += Definition("CPPFILES", FilesOf(project, "CCompiler"));
    text += kRuler;
    text += "# Each object is made from the source of the same name in PASFILES or CPPFILES (a\r\n";
    text += "# Pascal unit also gives its .hpp beside the target), then the objects and PACKAGES are\r\n";
    text += "# linked into the target with its .bpi and .lib.\r\n";
    text += kRuler;
    return text + "$(PROJECT): $(OBJFILES)\r\n";
}

} // namespace corvalis::standins
