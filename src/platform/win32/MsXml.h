#pragma once

#include "platform/Xml.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {

// XML through MSXML 6, the platform's own library.
class MsXml : public IXml {
public:
    std::unique_ptr<IXmlDocument> Parse(const std::u16string& text) const override;

private:
    win32::ComApartment com_;
};

} // namespace corvalis
