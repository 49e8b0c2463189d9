#include "standins/Dcc32Options.h"

#include <algorithm>
#include <array>

#include "ide/Utils.h"
#include "standins/StandIn.h"

namespace corvalis::standins {
namespace {

struct FolderSwitch {
    const char* name;
    std::string Dcc32Options::*folder;
};

// Longer names first: -N alone names the .dcu folder only when no other letter follows.
constexpr std::array<FolderSwitch, 9> kFolderSwitches = {{
    {"LE", &Dcc32Options::bplOutput},
    {"LN", &Dcc32Options::dcpOutput},
    {"N0", &Dcc32Options::dcuOutput},
    {"N1", &Dcc32Options::hppOutput},
    {"N2", &Dcc32Options::objOutput},
    {"NH", &Dcc32Options::hppOutput},
    {"NO", &Dcc32Options::objOutput},
    {"NB", &Dcc32Options::bpiOutput},
    {"N", &Dcc32Options::dcuOutput},
}};

std::string Unquoted(std::string text)
{
    std::erase(text, '"');
    return Trim(text);
}

} // namespace

void Dcc32Options::Apply(const std::string& token)
{
    if (token.size() < 2 || (token[0] != '-' && token[0] != '/'))
        return;
    const std::string body = token.substr(1);
    if (StartsText("JL", body)) {
        cppBuilderFiles = true;
        return;
    }
    if (StartsText("NS", body)) {
        for (const std::string& scope : SplitList(Unquoted(body.substr(2)), ';'))
            unitScopes.push_back(scope);
        return;
    }
    if (StartsText("U", body)) {
        for (const std::string& folder : SplitList(Unquoted(body.substr(1)), ';'))
            unitPaths.push_back(folder);
        return;
    }
    for (const FolderSwitch& folderSwitch : kFolderSwitches) {
        const std::string name = folderSwitch.name;
        if (StartsText(name, body)) {
            this->*folderSwitch.folder = Unquoted(body.substr(name.size()));
            return;
        }
    }
}

void Dcc32Options::ApplyConfig(const std::string& text)
{
    std::string token;
    bool quoted = false;
    for (char c : text + '\n') {
        if (c == '"')
            quoted = !quoted;
        if (quoted || static_cast<unsigned char>(c) > ' ') {
            token += c;
        } else if (!token.empty()) {
            Apply(token);
            token.clear();
        }
    }
}

} // namespace corvalis::standins
