#include "platform/base/String.h"

#include "platform/base/Utf8.h"

#include <functional>

namespace Osp::Base {

namespace {

// Simple case folding: ASCII, Latin-1 and the Latin Extended-A pairs cover
// the Spanish texts the reader compares.
char16_t FoldCase(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return static_cast<char16_t>(c + 32);
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 32);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
        c != 0x17F) {
        bool evenIsUpper = (c < 0x139) || (c >= 0x14A && c < 0x179);
        bool isEven = (c % 2) == 0;
        if (evenIsUpper == isEven) {
            return static_cast<char16_t>(c + 1);
        }
    }
    return c;
}

std::u16string FromWide(const wchar_t* wide) {
    std::u16string out;
    if (wide == nullptr) {
        return out;
    }
    for (; *wide != 0; ++wide) {
        auto cp = static_cast<char32_t>(*wide);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else if (cp > 0x10FFFF) {
            out.push_back(u'\uFFFD');
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

} // namespace

String::String() = default;
String::String(const char* utf8)
    : text_(utf8 ? pregonero::text::Utf8ToUtf16Lenient(utf8) : std::u16string()) {}
String::String(const wchar_t* wide) : text_(FromWide(wide)) {}
String::String(const char16_t* utf16) : text_(utf16 ? utf16 : u"") {}
String::String(std::u16string utf16) : text_(std::move(utf16)) {}
String::String(const String& other) = default;
String::String(String&& other) noexcept = default;
String::~String() = default;
String& String::operator=(const String& other) = default;
String& String::operator=(String&& other) noexcept = default;

String& String::operator+=(const String& other) {
    text_ += other.text_;
    return *this;
}

bool String::Equals(const String& other, bool caseSensitive) const {
    if (caseSensitive) {
        return text_ == other.text_;
    }
    if (text_.size() != other.text_.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (FoldCase(text_[i]) != FoldCase(other.text_[i])) {
            return false;
        }
    }
    return true;
}

bool String::Equals(const Object& obj) const {
    const auto* other = dynamic_cast<const String*>(&obj);
    return other != nullptr && other->text_ == text_;
}

int String::GetHashCode() const {
    return static_cast<int>(std::hash<std::u16string>{}(text_));
}

result String::Replace(const String& original, const String& replacement) {
    if (original.text_.empty()) {
        return E_INVALID_ARG;
    }
    std::u16string out;
    std::size_t from = 0;
    for (;;) {
        std::size_t at = text_.find(original.text_, from);
        if (at == std::u16string::npos) {
            break;
        }
        out.append(text_, from, at - from);
        out += replacement.text_;
        from = at + original.text_.size();
    }
    out.append(text_, from, std::u16string::npos);
    text_ = std::move(out);
    return E_SUCCESS;
}

result String::Append(int value) {
    for (char c : std::to_string(value)) {
        text_.push_back(static_cast<char16_t>(c));
    }
    return E_SUCCESS;
}

result String::Append(const String& other) {
    text_ += other.text_;
    return E_SUCCESS;
}

result String::Append(const wchar_t* wide) {
    text_ += FromWide(wide);
    return E_SUCCESS;
}

bool String::EndsWith(const String& suffix) const {
    return text_.size() >= suffix.text_.size() &&
           text_.compare(text_.size() - suffix.text_.size(), suffix.text_.size(), suffix.text_) ==
               0;
}

std::string String::ToUtf8() const {
    return pregonero::text::Utf16ToUtf8(text_);
}

bool operator==(const String& a, const String& b) {
    return a.Utf16() == b.Utf16();
}
bool operator!=(const String& a, const String& b) {
    return !(a == b);
}
bool operator<(const String& a, const String& b) {
    return a.Utf16() < b.Utf16();
}

String operator+(const String& a, const String& b) {
    String out(a);
    out += b;
    return out;
}

} // namespace Osp::Base
