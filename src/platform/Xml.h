#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalis {

// An element of a parsed XML document. Child lookups compare local names, so that they
// find elements whatever the document's default namespace.
class IXmlElement {
public:
    virtual ~IXmlElement() = default;
    // The first child element of that name; nullptr when there is none.
    virtual IXmlElement* FirstChild(const std::u16string& name) = 0;
    // Every child element of that name, in document order.
    virtual std::vector<IXmlElement*> Children(const std::u16string& name) = 0;
    // A new last child, in the namespace of this element.
    virtual IXmlElement& AddChild(const std::u16string& name) = 0;
    virtual std::u16string Text() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
    // nullopt when the element has no attribute of that name.
    virtual std::optional<std::u16string> Attribute(const std::u16string& name) const = 0;
    virtual void SetAttribute(const std::u16string& name, const std::u16string& value) = 0;
};

class IXmlDocument {
public:
    virtual ~IXmlDocument() = default;
    virtual IXmlElement* Root() = 0;
    // The document as text, everything it holds kept as it was parsed: elements,
    // attributes, namespaces, comments and the white space between elements.
    virtual std::u16string Serialize() const = 0;
};

// The XML library of the platform.
class IXml {
public:
    virtual ~IXml() = default;
    // Parses a document without an XML declaration; nullptr when it is not well-formed.
    virtual std::unique_ptr<IXmlDocument> Parse(const std::u16string& text) const = 0;
};

} // namespace corvalis

namespace corvalis {

// The XML library the build uses: MSXML on Windows, pugixml elsewhere.
std::unique_ptr<IXml> MakeDocumentXml();

} // namespace corvalis
