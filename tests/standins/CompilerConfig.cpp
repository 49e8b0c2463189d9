#include "standins/CompilerConfig.h"

namespace corvalis::standins {

std::string CompilerConfig::Text() const
{
    std::string text = std::string("-Q -B -H+ -W+") + (cppBuilderFiles ? " -JL" : "") + "\r\n";
    const auto lines = [&](const std::string& value) {
        for (const char* letter : {"U", "I", "R", "O"})
            text += std::string("-") + letter + "\"" + value + "\"\r\n";
    };
    lines(outputFolder + ";" + outputFolder);
    lines(searchPath);
    lines(idePackageFolders);
    lines(registeredBplFolder);
    for (const char* folderSwitch : {"LE", "LN", "N0", "N1", "NH", "N2", "NO", "NB"})
        text += std::string("-") + folderSwitch + "\"" + outputFolder + "\"\r\n";
    return text;
}

} // namespace corvalis::standins
