#pragma once

#include <string>
#include <string_view>

namespace pregonero::feeds {

// Mends the faults real feeds have before a second, recovering parse: HTML
// entities the document never declares (&eacute;, &nbsp;) become character
// references, and an '&' that starts no reference becomes "&amp;". CDATA
// sections, comments and the document type are left as they are, and so are
// entities the document declares. One pass over the text.
class XmlRepair {
public:
    static std::string Mend(std::string_view xml);
};

} // namespace pregonero::feeds
