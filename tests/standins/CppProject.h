#pragma once

// A C++Builder package project (.bpk) as the bpr2mak stand-in reads it: XML with the root
// PROJECT, whose sections MACROS, OPTIONS and LINKER hold settings <NAME value="..."/>
// and whose FILELIST holds <FILE FILENAME="..." CONTAINERID="..." .../>. Other content
// (the IDE's own options text) is skipped.

#include <optional>
#include <string>
#include <vector>

namespace corvalis::standins {

struct CppProject {
    struct Setting {
        std::string name;
        std::string value; // entities decoded, each run of blanks and line breaks one blank
    };
    struct File {
        std::string fileName;
        std::string container; // "PascalCompiler", "CCompiler", "BPITool", ...
    };

    std::vector<Setting> settings; // in file order
    std::vector<File> files;

    std::optional<std::string> Value(const std::string& name) const;

    // Throws ToolFailure (exit code 1) with "Error: file: ..." naming what is wrong when the
    // text is not a project.
    static CppProject Parse(const std::string& text, const std::string& fileName);

private:
    static CppProject Read(const std::string& text);
};

} // namespace corvalis::standins
