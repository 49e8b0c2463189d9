#include "platform/win32/MsXml.h"

#include <msxml2.h>

#include <list>

#include "platform/Exceptions.h"
#include "platform/TextEncoding.h"

namespace corvalis {
namespace {

using win32::ComPtr;

// mingw's headers declare these interface identifiers without a library to link them from.
constexpr IID kIXMLDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

class Bstr {
public:
    explicit Bstr(const std::u16string& text)
        : bstr_(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())))
    {
    }
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { ::SysFreeString(bstr_); }

    BSTR Get() const { return bstr_; }
    BSTR* Receive()
    {
        ::SysFreeString(bstr_);
        bstr_ = nullptr;
        return &bstr_;
    }
    std::u16string Text() const
    {
        return std::u16string(reinterpret_cast<const char16_t*>(bstr_), ::SysStringLen(bstr_));
    }

private:
    BSTR bstr_ = nullptr;
};

class MsXmlElement : public IXmlElement {
public:
    MsXmlElement(ComPtr<IXMLDOMNode> node, IXMLDOMDocument2* document, std::list<MsXmlElement>& elements)
        : node_(std::move(node)), document_(document), elements_(elements)
    {
    }

    IXmlElement* FirstChild(const std::u16string& name) override
    {
        const std::vector<IXmlElement*> children = Children(name, true);
        return children.empty() ? nullptr : children.front();
    }

    std::vector<IXmlElement*> Children(const std::u16string& name) override { return Children(name, false); }

    IXmlElement& AddChild(const std::u16string& name) override
    {
        // Created in the parent's namespace: an element without one would be written with xmlns="".
        Bstr namespaceUri;
        Bstr prefix;
        node_->get_namespaceURI(namespaceUri.Receive());
        node_->get_prefix(prefix.Receive());
        const std::u16string qualified = prefix.Text().empty() ? name : prefix.Text() + u":" + name;
        VARIANT type;
        ::VariantInit(&type);
        type.vt = VT_I4;
        type.lVal = NODE_ELEMENT;
        ComPtr<IXMLDOMNode> created;
        ComPtr<IXMLDOMNode> appended;
        if (FAILED(document_->createNode(type, Bstr(qualified).Get(), namespaceUri.Get(), created.Receive())) ||
            FAILED(node_->appendChild(created.Get(), appended.Receive())))
            throw Exception("Cannot add the element " + Utf16ToUtf8(name) + " to the XML document");
        return elements_.emplace_back(std::move(appended), document_, elements_);
    }

    std::u16string Text() const override
    {
        Bstr text;
        node_->get_text(text.Receive());
        return text.Text();
    }

    void SetText(const std::u16string& text) override { node_->put_text(Bstr(text).Get()); }

    std::optional<std::u16string> Attribute(const std::u16string& name) const override
    {
        ComPtr<IXMLDOMElement> element;
        VARIANT value;
        ::VariantInit(&value);
        if (!node_.As(element, kIXMLDOMElement) || element->getAttribute(Bstr(name).Get(), &value) != S_OK)
            return std::nullopt;
        std::optional<std::u16string> text;
        if (value.vt == VT_BSTR)
            text = std::u16string(reinterpret_cast<const char16_t*>(value.bstrVal), ::SysStringLen(value.bstrVal));
        ::VariantClear(&value);
        return text;
    }

    void SetAttribute(const std::u16string& name, const std::u16string& value) override
    {
        ComPtr<IXMLDOMElement> element;
        Bstr text(value);
        VARIANT variant;
        ::VariantInit(&variant);
        variant.vt = VT_BSTR;
        variant.bstrVal = text.Get();
        if (!node_.As(element, kIXMLDOMElement) || FAILED(element->setAttribute(Bstr(name).Get(), variant)))
            throw Exception("Cannot set the attribute " + Utf16ToUtf8(name) + " in the XML document");
    }

private:
    std::vector<IXmlElement*> Children(const std::u16string& name, bool firstOnly)
    {
        std::vector<IXmlElement*> children;
        ComPtr<IXMLDOMNode> child;
        node_->get_firstChild(child.Receive());
        while (child && !(firstOnly && !children.empty())) {
            DOMNodeType type = NODE_INVALID;
            Bstr baseName;
            child->get_nodeType(&type);
            ComPtr<IXMLDOMNode> next;
            child->get_nextSibling(next.Receive());
            if (type == NODE_ELEMENT && SUCCEEDED(child->get_baseName(baseName.Receive())) && baseName.Text() == name)
                children.push_back(&elements_.emplace_back(std::move(child), document_, elements_));
            child = std::move(next);
        }
        return children;
    }

    ComPtr<IXMLDOMNode> node_;
    IXMLDOMDocument2* document_;
    std::list<MsXmlElement>& elements_;
};

class MsXmlDocument : public IXmlDocument {
public:
    explicit MsXmlDocument(ComPtr<IXMLDOMDocument2> document) : document_(std::move(document)) {}

    IXmlElement* Root() override
    {
        ComPtr<IXMLDOMElement> root;
        if (FAILED(document_->get_documentElement(root.Receive())) || !root)
            return nullptr;
        ComPtr<IXMLDOMNode> node;
        root.As(node, kIXMLDOMNode);
        return &elements_.emplace_back(std::move(node), document_.Get(), elements_);
    }

    // The nodes one by one: the document's own text would add line breaks between them.
    std::u16string Serialize() const override
    {
        std::u16string text;
        ComPtr<IXMLDOMNode> child;
        document_->get_firstChild(child.Receive());
        while (child) {
            Bstr xml;
            child->get_xml(xml.Receive());
            text += xml.Text();
            ComPtr<IXMLDOMNode> next;
            child->get_nextSibling(next.Receive());
            child = std::move(next);
        }
        return text;
    }

private:
    ComPtr<IXMLDOMDocument2> document_;
    std::list<MsXmlElement> elements_;
};

} // namespace

std::unique_ptr<IXmlDocument> MsXml::Parse(const std::u16string& text) const
{
    win32::ComForThisThread();
    CLSID clsid;
    ComPtr<IXMLDOMDocument2> document;
    if (FAILED(::CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIXMLDOMDocument2, document.ReceiveVoid())))
        return nullptr;
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    // Without this the white space between elements is dropped and re-indented on output.
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (FAILED(document->loadXML(Bstr(text).Get(), &loaded)) || loaded != VARIANT_TRUE)
        return nullptr;
    return std::make_unique<MsXmlDocument>(std::move(document));
}

std::unique_ptr<IXml> MakeDocumentXml()
{
    return std::make_unique<MsXml>();
}

} // namespace corvalis
