#include "ide/EnvOptions.h"

#include "ide/Utils.h"
#include "platform/Exceptions.h"
#include "platform/TextEncoding.h"

namespace corvalis {
namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kUtf16LEBom = "\xFF\xFE";
const std::string kUtf16BEBom = "\xFE\xFF";

bool StartsWith(const std::string& bytes, const std::string& prefix)
{
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

// The encoding named by an XML declaration at the start of 8-bit text; empty when none.
std::string DeclaredEncoding(const std::string& bytes)
{
    if (!StartsWith(bytes, "<?xml"))
        return {};
    const std::string declaration = bytes.substr(0, bytes.find("?>"));
    const size_t attribute = declaration.find("encoding");
    if (attribute == std::string::npos)
        return {};
    const size_t quote = declaration.find_first_of("\"'", attribute);
    if (quote == std::string::npos)
        return {};
    const size_t end = declaration.find(declaration[quote], quote + 1);
    return LowerCase(declaration.substr(quote + 1, end - quote - 1));
}

// Where the root element starts: the first "<" that opens an element, past the
// declaration, processing instructions, comments and a document type.
size_t RootStart(const std::u16string& text)
{
    for (size_t i = text.find(u'<'); i != std::u16string::npos && i + 1 < text.size(); i = text.find(u'<', i)) {
        const char16_t next = text[i + 1];
        if (next != u'?' && next != u'!')
            return i;
        const std::u16string close = text.compare(i, 4, u"<!--") == 0 ? u"-->" : next == u'?' ? u"?>" : u">";
        i = text.find(close, i + 2);
        if (i == std::u16string::npos)
            break;
    }
    return std::u16string::npos;
}

// Conditions compare without their blanks and without regard to case, as MSBuild reads them.
bool SameCondition(const std::string& a, const std::string& b)
{
    const auto compact = [](std::string text) {
        std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
        return LowerCase(text);
    };
    return compact(a) == compact(b);
}

} // namespace

TEnvOptions::TEnvOptions(const Platform& platform, std::string path) : platform_(platform), path_(std::move(path))
{
    const std::optional<std::string> content = platform_.files.ReadFile(path_);
    if (!content)
        throw Exception("Cannot read the IDE settings file \"" + path_ + "\"");
    std::string bytes = *content;

    std::u16string text;
    if (StartsWith(bytes, kUtf8Bom)) {
        encoding_ = TextEncoding::Utf8;
        byteOrderMark_ = true;
        text = Utf8ToUtf16(bytes.substr(kUtf8Bom.size()));
    } else if (StartsWith(bytes, kUtf16LEBom) || StartsWith(bytes, kUtf16BEBom)) {
        encoding_ = StartsWith(bytes, kUtf16LEBom) ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        byteOrderMark_ = true;
        text = Utf16FromBytes(bytes.substr(2), encoding_ == TextEncoding::Utf16BE);
    } else if (StartsWith(bytes, std::string("<\0", 2)) || StartsWith(bytes, std::string("\0<", 2))) {
        encoding_ = bytes[0] == '<' ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        text = Utf16FromBytes(bytes, encoding_ == TextEncoding::Utf16BE);
    } else {
        const std::string declared = DeclaredEncoding(bytes);
        const bool utf8 = (declared.empty() || declared == "utf-8") && IsValidUtf8(bytes);
        encoding_ = utf8 ? TextEncoding::Utf8 : TextEncoding::Ansi;
        text = utf8 ? Utf8ToUtf16(bytes) : platform_.locale.AnsiToWide(bytes);
    }

    // Only the root element goes through the parser; what lies around it is kept as text.
    const size_t start = RootStart(text);
    const size_t end = text.rfind(u'>');
    if (start == std::u16string::npos || end == std::u16string::npos || end < start ||
        !(document_ = platform_.xml.Parse(text.substr(start, end + 1 - start))) || !document_->Root())
        throw Exception("The IDE settings file \"" + path_ + "\" is not a valid XML document");
    lineFeedsOnly_ = text.find(u"\r\n") == std::u16string::npos;
    prologue_ = text.substr(0, start);
    epilogue_ = text.substr(end + 1);
}

TEnvOptions::~TEnvOptions() = default;

IXmlElement* TEnvOptions::PropertyGroup(const char* condition, bool create)
{
    IXmlElement* root = document_->Root();
    if (condition == nullptr) {
        IXmlElement* group = root->FirstChild(u"PropertyGroup");
        return group != nullptr || !create ? group : &root->AddChild(u"PropertyGroup");
    }
    for (IXmlElement* group : root->Children(u"PropertyGroup")) {
        const std::optional<std::u16string> own = group->Attribute(u"Condition");
        if (own && SameCondition(Utf16ToUtf8(*own), condition))
            return group;
    }
    if (!create)
        return nullptr;
    IXmlElement& group = root->AddChild(u"PropertyGroup");
    group.SetAttribute(u"Condition", Utf8ToUtf16(condition));
    return &group;
}

std::optional<std::string> TEnvOptions::Value(const std::string& element, const char* condition)
{
    IXmlElement* group = PropertyGroup(condition, false);
    IXmlElement* child = group ? group->FirstChild(Utf8ToUtf16(element)) : nullptr;
    if (child == nullptr)
        return std::nullopt;
    return Utf16ToUtf8(child->Text());
}

void TEnvOptions::SetValue(const std::string& element, const std::string& text, const char* condition)
{
    IXmlElement* group = PropertyGroup(condition, true);
    const std::u16string name = Utf8ToUtf16(element);
    IXmlElement* child = group->FirstChild(name);
    (child ? *child : group->AddChild(name)).SetText(Utf8ToUtf16(text));
}

void TEnvOptions::Save()
{
    std::u16string text = prologue_ + document_->Serialize() + epilogue_;
    for (size_t at; lineFeedsOnly_ && (at = text.find(u"\r\n")) != std::u16string::npos;)
        text.erase(at, 1);
    std::string bytes;
    switch (encoding_) {
    case TextEncoding::Ansi: {
        // Written in another encoding than its own, the IDE would misread the whole file.
        const std::optional<std::string> ansi = platform_.locale.WideToAnsi(text);
        if (!ansi)
            throw Exception("The IDE settings file \"" + path_ +
                            "\" is in the system code page, which lacks characters of the paths to write into it");
        bytes = *ansi;
        break;
    }
    case TextEncoding::Utf8: bytes = (byteOrderMark_ ? kUtf8Bom : "") + Utf16ToUtf8(text); break;
    case TextEncoding::Utf16LE: bytes = (byteOrderMark_ ? kUtf16LEBom : "") + Utf16ToBytes(text, false); break;
    case TextEncoding::Utf16BE: bytes = (byteOrderMark_ ? kUtf16BEBom : "") + Utf16ToBytes(text, true); break;
    }
    // The IDE's own configuration: written beside it, and put in its place only once whole.
    const std::string written = path_ + ".new";
    if (!platform_.files.WriteFile(written, bytes) || !platform_.files.MoveFile(written, path_)) {
        const EOSError reason = OSError(platform_.files.LastError(), platform_.locale);
        platform_.files.DeleteFile(written);
        throw Exception("Cannot write the IDE settings file \"" + path_ + "\": " + reason.Message());
    }
}

} // namespace corvalis
