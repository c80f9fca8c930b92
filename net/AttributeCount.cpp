#include "net/AttributeCount.h"

namespace {

bool IsNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':' || c >= 0x80;
}

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The value of the character reference at `at` ("&#61;", "&#x3D;"), or -1;
// `end` is left on its ';'.
long CharacterReference(std::string_view xml, std::size_t at, std::size_t& end) {
    if (at + 1 >= xml.size() || xml[at + 1] != '#') {
        return -1;
    }
    std::size_t i = at + 2;
    const bool hex = i < xml.size() && xml[i] == 'x';
    i += hex ? 1 : 0;
    long value = 0;
    const std::size_t first = i;
    for (; i < xml.size(); ++i) {
        const char c = xml[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + digit;
    }
    end = i;
    return i > first && i < xml.size() && xml[i] == ';' ? value : -1;
}

} // namespace

// The parser reads a tag from its '<' and gives up on it at the next raw '<',
// so counting per stretch between two '<' bounds every tag. An attribute
// needs a name and then '=' (only blanks between); outside quotes, and until
// the '>' that ends the tag, each such '=' is counted. Quotes and '>' are read
// as the parser reads them in a tag, except in an entity value, where a
// character reference may spell a quote, a '<' or an '=' that the parser will
// see when it reads the value as markup: after one of those, every '=' after a
// name up to the next '<' counts, quoted or not, and a referenced '=' too.
// An attribute-list declaration needs three blanks per attribute.
bool AttributeCount::Exceeds(std::string_view xml, std::size_t cap) {
    constexpr std::string_view kAttlist = "<!ATTLIST";
    std::size_t inTag = 0;
    std::size_t declarationBlanks = 0;
    bool inDeclaration = false;
    bool counting = false; // not past the '>' that ends the tag
    bool literal = true;   // quotes and '>' mean what they say
    char quote = 0;
    bool afterName = false;
    bool afterBlank = false;
    for (std::size_t i = 0; i < xml.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(xml[i]);
        if (c == '<') {
            inTag = 0;
            inDeclaration = xml.substr(i, kAttlist.size()) == kAttlist;
            counting = true;
            literal = true;
            quote = 0;
            afterName = false;
            afterBlank = false;
            continue;
        }
        if (IsSpace(c)) {
            if (inDeclaration && !afterBlank && ++declarationBlanks > 3 * cap) {
                return true;
            }
            afterBlank = true;
            continue; // a name followed by blanks may still take its '='
        }
        afterBlank = false;
        bool equals = false;
        std::size_t end = i;
        const long reference = c == '&' ? CharacterReference(xml, i, end) : -1;
        if (reference == '"' || reference == '\'' || reference == '<' || reference == '=') {
            literal = false;
            counting = true;
            equals = reference == '=';
            i = end; // on its ';'
        } else if (literal && quote != 0) {
            quote = c == static_cast<unsigned char>(quote) ? 0 : quote;
        } else if (literal && (c == '"' || c == '\'')) {
            quote = static_cast<char>(c);
        } else if (literal && c == '>') {
            counting = false;
        } else {
            equals = c == '=' && afterName;
        }
        if (equals && counting && ++inTag > cap) {
            return true;
        }
        afterName = IsNameByte(c);
    }
    return false;
}
