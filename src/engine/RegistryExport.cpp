#include "engine/RegistryExport.h"

#include <cstdio>

#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"

namespace corvalis {
namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";
constexpr const char* kByteOrderMark = "\xFF\xFE";
constexpr const char* kRootNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};
// Registry Editor breaks hex data after the byte that passes this column.
constexpr size_t kHexLineWidth = 76;

std::string RootedPath(RootKey root, const std::string& path)
{
    return std::string(kRootNames[root == RootKey::CurrentUser]) + "\\" + path;
}

void ExportTree(IRegistry& registry, RootKey root, const std::string& path, std::vector<TExportedKey>& keys)
{
    auto key = registry.OpenKey(root, path, KeyAccess::Read);
    if (!key)
        throw Exception("The registry key " + RootedPath(root, path) + " cannot be read");
    TExportedKey exported{path, {}};
    for (const std::string& name : key->ValueNames()) {
        auto value = key->ReadValue(name);
        if (!value)
            throw Exception("The value \"" + name + "\" of the registry key " + RootedPath(root, path) +
                            " cannot be read");
        exported.Values.emplace_back(name, std::move(*value));
    }
    keys.push_back(std::move(exported));
    for (const std::string& subkey : key->SubKeyNames())
        ExportTree(registry, root, path + "\\" + subkey, keys);
}

// A key that cannot be opened is missing only when its parent does not list it either.
bool KeyListed(IRegistry& registry, RootKey root, const std::string& path)
{
    const size_t slash = path.rfind('\\');
    const auto parent = registry.OpenKey(root, slash == std::string::npos ? "" : path.substr(0, slash), KeyAccess::Read);
    return parent && ContainsText(parent->SubKeyNames(), path.substr(slash + 1));
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string StringData(const std::u16string& text)
{
    return Utf16ToBytes(text + u'\0', false);
}

// A string fits between quotes when it is UTF-16 with one terminating zero and no line break.
std::optional<std::u16string> PlainString(const RegistryValue& value)
{
    if (value.type != kRegString || value.data.size() % 2 != 0)
        return std::nullopt;
    const std::u16string text = Utf16FromBytes(value.data, false);
    if (text.empty() || text.find(u'\0') != text.size() - 1 || text.find_first_of(u"\r\n") != std::u16string::npos)
        return std::nullopt;
    return text.substr(0, text.size() - 1);
}

std::string ValueLine(const std::string& name, const RegistryValue& value)
{
    std::string line = (name.empty() ? std::string("@") : Quoted(name)) + "=";
    if (const auto text = PlainString(value))
        return line + Quoted(Utf16ToUtf8(*text)) + "\r\n";
    char buffer[32];
    if (value.type == kRegDWord && value.data.size() == 4) {
        uint32_t number = 0;
        for (size_t i = 4; i-- > 0;)
            number = number << 8 | static_cast<unsigned char>(value.data[i]);
        std::snprintf(buffer, sizeof buffer, "dword:%08x\r\n", number);
        return line + buffer;
    }
    if (value.type == kRegBinary)
        line += "hex:";
    else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
        line += buffer;
    }
    std::string text;
    for (size_t i = 0; i < value.data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned char>(value.data[i]));
        line += buffer;
        if (i + 1 == value.data.size())
            break;
        line += ',';
        if (line.size() > kHexLineWidth) {
            text += line + "\\\r\n";
            line = "  ";
        }
    }
    return text + line + "\r\n";
}

// Reads the registry file line by line; every failure names the line.
class RegFileParser {
public:
    explicit RegFileParser(const std::string& text)
    {
        std::string pending;
        int number = 0;
        for (std::string line : TextLines(text)) {
            ++number;
            if (pending.empty())
                lineNumber_ = number;
            line = pending + (pending.empty() ? line : Trim(line));
            pending.clear();
            // A hex list goes on in the next line after a trailing backslash.
            const std::string trimmed = Trim(line);
            if (!trimmed.empty() && trimmed.back() == '\\' && trimmed.find("=hex") != std::string::npos) {
                pending = trimmed.substr(0, trimmed.size() - 1);
                continue;
            }
            Line(line);
        }
        if (!pending.empty())
            Fail(pending);
        if (!headerSeen_ || content_.Path.empty())
            throw Exception("The file is not a registry export of IDE settings");
    }

    TKeyExport Result() { return std::move(content_); }

private:
    void Line(const std::string& line)
    {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';')
            return;
        if (!headerSeen_) {
            if (text != kHeader)
                Fail(line);
            headerSeen_ = true;
        } else if (text[0] == '[') {
            KeyLine(text);
        } else if (content_.Keys.empty()) {
            Fail(line);
        } else {
            content_.Keys.back().Values.push_back(ValueOf(text));
        }
    }

    void KeyLine(const std::string& text)
    {
        if (text.back() != ']')
            Fail(text);
        const bool deletion = text.size() > 1 && text[1] == '-';
        std::string path = text.substr(deletion ? 2 : 1, text.size() - (deletion ? 3 : 2));
        RootKey root = RootKey::CurrentUser;
        bool rooted = false;
        for (RootKey candidate : {RootKey::LocalMachine, RootKey::CurrentUser}) {
            const std::string prefix = std::string(kRootNames[candidate == RootKey::CurrentUser]) + "\\";
            if (StartsText(prefix, path)) {
                root = candidate;
                path = NormalKeyPath(path.substr(prefix.size()));
                rooted = !path.empty();
            }
        }
        if (!rooted)
            Fail(text);
        if (deletion) {
            // One key is replaced, before anything is written.
            if (!content_.Path.empty() || !content_.Keys.empty())
                Fail(text);
            content_.Root = root;
            content_.Path = path;
            return;
        }
        const bool inside = SameText(path, content_.Path) || StartsText(content_.Path + "\\", path);
        if (content_.Path.empty() || root != content_.Root || !inside)
            Fail(text);
        content_.Keys.push_back({path, {}});
    }

    std::pair<std::string, RegistryValue> ValueOf(const std::string& text)
    {
        size_t at = 0;
        std::string name;
        if (text[0] == '@')
            at = 1;
        else
            name = QuotedText(text, at);
        if (at >= text.size() || text[at] != '=')
            Fail(text);
        const std::string data = Trim(text.substr(at + 1));
        RegistryValue value;
        if (!data.empty() && data[0] == '"') {
            size_t end = 0;
            value = {kRegString, StringData(Utf8ToUtf16(QuotedText(data, end)))};
            if (end != data.size())
                Fail(text);
        } else if (StartsText("dword:", data)) {
            const std::string digits = data.substr(6);
            const uint32_t number = static_cast<uint32_t>(Hex(digits, 8, text));
            value.type = kRegDWord;
            for (int shift = 0; shift < 32; shift += 8)
                value.data += static_cast<char>(number >> shift & 0xFF);
        } else if (StartsText("hex:", data)) {
            value = {kRegBinary, Bytes(data.substr(4), text)};
        } else if (StartsText("hex(", data) && data.find("):") != std::string::npos) {
            const size_t close = data.find("):");
            value.type = static_cast<uint32_t>(Hex(data.substr(4, close - 4), 8, text));
            value.data = Bytes(data.substr(close + 2), text);
        } else {
            Fail(text);
        }
        return {name, value};
    }

    // The text between double quotes from text[at]; at moves past the closing quote.
    std::string QuotedText(const std::string& text, size_t& at)
    {
        if (text[at] != '"')
            Fail(text);
        std::string result;
        for (++at; at < text.size(); ++at) {
            if (text[at] == '"') {
                ++at;
                return result;
            }
            if (text[at] == '\\' && ++at == text.size())
                break;
            result += text[at];
        }
        Fail(text);
    }

    uint64_t Hex(const std::string& digits, size_t maxDigits, const std::string& line)
    {
        if (digits.empty() || digits.size() > maxDigits ||
            digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Fail(line);
        return std::stoull(digits, nullptr, 16);
    }

    std::string Bytes(const std::string& list, const std::string& line)
    {
        std::string bytes;
        size_t at = 0;
        while (at < list.size()) {
            const size_t comma = list.find(',', at);
            const std::string item = Trim(list.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
            bytes += static_cast<char>(Hex(item, 2, line));
            if (comma == std::string::npos)
                break;
            at = comma + 1;
        }
        return bytes;
    }

    [[noreturn]] void Fail(const std::string& line)
    {
        throw Exception("Line " + std::to_string(lineNumber_) + " of the registry file cannot be read: " + line);
    }

    TKeyExport content_;
    bool headerSeen_ = false;
    int lineNumber_ = 0;
};

} // namespace

TKeyExport ExportKey(IRegistry& registry, RootKey root, const std::string& path)
{
    TKeyExport content{root, NormalKeyPath(path), {}};
    if (registry.KeyExists(root, content.Path) || KeyListed(registry, root, content.Path))
        ExportTree(registry, root, content.Path, content.Keys);
    return content;
}

void ImportKey(IRegistry& registry, const TKeyExport& content)
{
    // What cannot be deleted or written is left as it is: the comparison at the end tells
    // whether it matters.
    std::string failure;
    if (!registry.DeleteKey(content.Root, content.Path) && registry.KeyExists(content.Root, content.Path))
        failure = "The registry key " + RootedPath(content.Root, content.Path) + " cannot be deleted";
    for (const TExportedKey& exported : content.Keys) {
        auto key = registry.OpenKey(content.Root, exported.Path, KeyAccess::WriteCreate);
        if (!key) {
            failure = "The registry key " + RootedPath(content.Root, exported.Path) + " cannot be created";
            continue;
        }
        for (const auto& [name, value] : exported.Values) {
            try {
                key->WriteValue(name, value);
            } catch (const ERegistryException& error) {
                failure = error.Message() + " in " + RootedPath(content.Root, exported.Path);
            }
        }
    }
    if (ExportKey(registry, content.Root, content.Path) != content)
        throw Exception(failure.empty() ? "The registry key " + RootedPath(content.Root, content.Path) +
                                              " differs from the saved one after the import"
                                        : failure);
}

std::string FormatRegFile(const TKeyExport& content)
{
    std::string text = std::string(kHeader) + "\r\n\r\n[-" + RootedPath(content.Root, content.Path) + "]\r\n\r\n";
    for (const TExportedKey& key : content.Keys) {
        text.append("[").append(RootedPath(content.Root, key.Path)).append("]\r\n");
        for (const auto& [name, value] : key.Values)
            text += ValueLine(name, value);
        text += "\r\n";
    }
    const std::string bytes = kByteOrderMark + Utf16ToBytes(Utf8ToUtf16(text), false);
    // A name with a line break would break its line: the file is read back to be sure.
    std::optional<TKeyExport> back;
    try {
        back = ParseRegFile(bytes);
    } catch (const Exception&) {
    }
    if (back != content)
        throw Exception("A registry file cannot hold the key " + RootedPath(content.Root, content.Path) +
                        " exactly: a name in it holds a line break");
    return bytes;
}

TKeyExport ParseRegFile(const std::string& bytes)
{
    if (bytes.compare(0, 2, kByteOrderMark) != 0)
        throw Exception("The file is not a Unicode registry file");
    return RegFileParser(Utf16ToUtf8(Utf16FromBytes(bytes.substr(2), false))).Result();
}

} // namespace corvalis
