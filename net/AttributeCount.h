#pragma once

#include <cstddef>
#include <string_view>

// A linear look at a feed's bytes, before any parsing, for tags that would
// make the XML library's duplicate-attribute checks quadratic: an element with
// more than `cap` attributes, or attribute-list declarations of more than
// `cap` attributes. It may count too many (an '=' inside a comment or a text
// after a '<'), never too few, whatever quotes, comments, CDATA, processing
// instructions or entity values surround the tag.
class AttributeCount {
public:
    static bool Exceeds(std::string_view xml, std::size_t cap);
};
