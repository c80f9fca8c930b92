#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pregonero::feeds {

// Reads HTML in one pass, left to right, as a browser's tokenizer does, and
// reports its start tags, end tags and text to a Handler; no tree is built.
// Comments, doctypes, processing instructions and CDATA sections are
// skipped; the content of script, style, iframe, noscript, textarea, title,
// xmp, noembed and noframes is text up to the element's own end tag, never
// markup. Character references (named, decimal, hexadecimal) are decoded in
// text and attribute values by the HTML rules: an unknown name stays as
// written, an invalid code point becomes U+FFFD. A tag cut off by the end of
// the input is not reported. Bytes are passed on as they came: checking
// UTF-8 is the handler's business.
class HtmlScanner {
public:
    // A start tag: its lower-case name, whether it ended in "/>", and its
    // attributes, read when asked for.
    class Tag {
    public:
        Tag(std::string_view name, std::string_view attributes, bool selfClosing)
            : name_(name), attributes_(attributes), selfClosing_(selfClosing) {}

        std::string_view Name() const { return name_; }
        bool SelfClosing() const { return selfClosing_; }
        // The decoded value of the first attribute called `name` (lower case),
        // or nothing when the tag has none.
        std::optional<std::string> Attribute(std::string_view name) const;

    private:
        std::string_view name_;
        std::string_view attributes_;
        bool selfClosing_;
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void StartTag(const Tag& tag) = 0;
        virtual void EndTag(std::string_view name) = 0;
        // Decoded text; one run of text may come in several calls.
        virtual void Text(std::string_view text) = 0;
    };

    static void Scan(std::string_view html, Handler& handler);

    // `text` with its character references decoded, appended to `out`.
    static void Decode(std::string_view text, bool inAttribute, std::string& out);
};

} // namespace pregonero::feeds
