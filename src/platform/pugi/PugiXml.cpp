#include "platform/pugi/PugiXml.h"

#include <pugixml.hpp>

#include <list>
#include <sstream>

#include "platform/TextEncoding.h"

namespace corvalis {
namespace {

// Everything kept as written: no line-end or attribute white-space normalisation.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_doctype | pugi::parse_ws_pcdata;

std::string LocalName(const char* name)
{
    const std::string text = name;
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

class PugiElement : public IXmlElement {
public:
    PugiElement(pugi::xml_node node, std::list<PugiElement>& elements) : node_(node), elements_(elements) {}

    IXmlElement* FirstChild(const std::u16string& name) override
    {
        const std::vector<IXmlElement*> children = Children(name, true);
        return children.empty() ? nullptr : children.front();
    }

    std::vector<IXmlElement*> Children(const std::u16string& name) override { return Children(name, false); }

    IXmlElement& AddChild(const std::u16string& name) override
    {
        const std::string parent = node_.name();
        const size_t colon = parent.find(':');
        const std::string prefix = colon == std::string::npos ? std::string() : parent.substr(0, colon + 1);
        return elements_.emplace_back(node_.append_child((prefix + Utf16ToUtf8(name)).c_str()), elements_);
    }

    std::u16string Text() const override { return Utf8ToUtf16(node_.child_value()); }

    void SetText(const std::u16string& text) override
    {
        while (node_.first_child())
            node_.remove_child(node_.first_child());
        node_.append_child(pugi::node_pcdata).set_value(Utf16ToUtf8(text).c_str());
    }

    std::optional<std::u16string> Attribute(const std::u16string& name) const override
    {
        const pugi::xml_attribute attribute = node_.attribute(Utf16ToUtf8(name).c_str());
        return attribute ? std::optional<std::u16string>(Utf8ToUtf16(attribute.value())) : std::nullopt;
    }

    void SetAttribute(const std::u16string& name, const std::u16string& value) override
    {
        const std::string key = Utf16ToUtf8(name);
        pugi::xml_attribute attribute = node_.attribute(key.c_str());
        (attribute ? attribute : node_.append_attribute(key.c_str())).set_value(Utf16ToUtf8(value).c_str());
    }

private:
    std::vector<IXmlElement*> Children(const std::u16string& name, bool firstOnly)
    {
        const std::string wanted = Utf16ToUtf8(name);
        std::vector<IXmlElement*> children;
        for (pugi::xml_node child = node_.first_child(); child && !(firstOnly && !children.empty());
             child = child.next_sibling())
            if (child.type() == pugi::node_element && LocalName(child.name()) == wanted)
                children.push_back(&elements_.emplace_back(child, elements_));
        return children;
    }

    pugi::xml_node node_;
    std::list<PugiElement>& elements_;
};

class PugiDocument : public IXmlDocument {
public:
    bool Load(const std::u16string& text)
    {
        const std::string utf8 = Utf16ToUtf8(text);
        return document_.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
    }

    IXmlElement* Root() override
    {
        pugi::xml_node root = document_.document_element();
        return root ? &elements_.emplace_back(root, elements_) : nullptr;
    }

    std::u16string Serialize() const override
    {
        std::ostringstream text;
        document_.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        return Utf8ToUtf16(text.str());
    }

private:
    pugi::xml_document document_;
    // The element wrappers handed out, alive as long as the document.
    std::list<PugiElement> elements_;
};

} // namespace

std::unique_ptr<IXmlDocument> PugiXml::Parse(const std::u16string& text) const
{
    auto document = std::make_unique<PugiDocument>();
    if (!document->Load(text))
        return nullptr;
    return document;
}

} // namespace corvalis

namespace corvalis {

std::unique_ptr<IXml> MakeDocumentXml()
{
    return std::make_unique<PugiXml>();
}

} // namespace corvalis
