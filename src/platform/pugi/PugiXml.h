#pragma once

#include "platform/Xml.h"

namespace corvalis {

// XML through pugixml, for the portable build.
class PugiXml : public IXml {
public:
    std::unique_ptr<IXmlDocument> Parse(const std::u16string& text) const override;
};

} // namespace corvalis
