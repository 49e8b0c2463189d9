#include "standins/CppProject.h"

#include <array>
#include <stdexcept>
#include <map>
#include <utility>

#include "ide/Utils.h"
#include "standins/StandIn.h"

namespace corvalis::standins {
namespace {

constexpr std::array<std::pair<const char*, char>, 5> kEntities = {
    {{"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}}};

// The problem found; Parse adds the file name.
class Malformed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& message)
{
    throw Malformed(message);
}

std::string Decoded(const std::string& raw)
{
    std::string text;
    bool blank = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (static_cast<unsigned char>(raw[i]) <= ' ') {
            blank = !text.empty();
            continue;
        }
        if (blank)
            text += ' ';
        blank = false;
        bool entity = false;
        for (const auto& [name, character] : kEntities) {
            if (raw.compare(i, std::char_traits<char>::length(name), name) == 0) {
                text += character;
                i += std::char_traits<char>::length(name) - 1;
                entity = true;
                break;
            }
        }
        if (!entity)
            text += raw[i];
    }
    return text;
}

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;     // </name>
    bool selfClosing = false; // <name ... />
};

// Reads the tag that starts at text[at] == '<' and moves at behind it.
Tag ReadTag(const std::string& text, size_t& at)
{
    Tag tag;
    size_t i = at + 1;
    const auto blank = [&] { return i < text.size() && static_cast<unsigned char>(text[i]) <= ' '; };
    const auto nameChar = [&] {
        return i < text.size() && !blank() && text[i] != '>' && text[i] != '/' && text[i] != '=';
    };
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    while (nameChar())
        tag.name += text[i++];
    if (tag.name.empty())
        Fail("a tag without a name");
    while (true) {
        while (blank())
            ++i;
        if (i >= text.size())
            Fail("the tag <" + tag.name + " is not closed");
        if (text[i] == '>') {
            at = i + 1;
            return tag;
        }
        if (text.compare(i, 2, "/>") == 0) {
            tag.selfClosing = true;
            at = i + 2;
            return tag;
        }
        std::string attribute;
        while (nameChar())
            attribute += text[i++];
        if (attribute.empty() || i >= text.size() || text[i] != '=' || i + 1 >= text.size() ||
            (text[i + 1] != '"' && text[i + 1] != '\''))
            Fail("a malformed attribute in <" + tag.name + ">");
        const char quote = text[i + 1];
        const size_t end = text.find(quote, i + 2);
        if (end == std::string::npos)
            Fail("an attribute value without its closing quote in <" + tag.name + ">");
        tag.attributes[attribute] = Decoded(text.substr(i + 2, end - i - 2));
        i = end + 1;
    }
}

void SkipPast(const std::string& text, size_t& at, const std::string& end)
{
    const size_t found = text.find(end, at);
    if (found == std::string::npos)
        Fail("'" + end + "' missing");
    at = found + end.size();
}

} // namespace

std::optional<std::string> CppProject::Value(const std::string& name) const
{
    for (const Setting& setting : settings)
        if (SameText(setting.name, name))
            return setting.value;
    return std::nullopt;
}

CppProject CppProject::Parse(const std::string& text, const std::string& fileName)
{
    try {
        return Read(text);
    } catch (const Malformed& malformed) {
        throw ToolFailure(1, "Error: " + fileName + ": not a C++Builder project: " + malformed.what());
    }
}

CppProject CppProject::Read(const std::string& text)
{
    CppProject project;
    std::vector<std::string> open;
    bool rootSeen = false;
    size_t at = text.find('<');
    while (at != std::string::npos) {
        if (text.compare(at, 4, "<!--") == 0) {
            SkipPast(text, at, "-->");
        } else if (text.compare(at, 2, "<?") == 0) {
            SkipPast(text, at, "?>");
        } else {
            const Tag tag = ReadTag(text, at);
            if (tag.closing) {
                if (open.empty() || open.back() != tag.name)
                    Fail("</" + tag.name + "> closes no open element");
                open.pop_back();
            } else {
                if (open.empty() && (rootSeen || tag.name != "PROJECT"))
                    Fail("the root element is <" + tag.name + ">, not one <PROJECT>");
                rootSeen = true;
                const std::string section = open.size() == 2 ? open[1] : std::string();
                const auto value = tag.attributes.find("value");
                if ((section == "MACROS" || section == "OPTIONS" || section == "LINKER") &&
                    value != tag.attributes.end())
                    project.settings.push_back({tag.name, value->second});
                if (section == "FILELIST" && tag.name == "FILE") {
                    const auto attribute = [&](const char* name) {
                        const auto found = tag.attributes.find(name);
                        return found == tag.attributes.end() ? std::string() : found->second;
                    };
                    project.files.push_back({attribute("FILENAME"), attribute("CONTAINERID")});
                }
                if (!tag.selfClosing)
                    open.push_back(tag.name);
            }
        }
        at = text.find('<', at);
    }
    if (!rootSeen || !open.empty())
        Fail(rootSeen ? "<" + open.back() + "> is not closed" : "no <PROJECT> element");
    return project;
}

} // namespace corvalis::standins
