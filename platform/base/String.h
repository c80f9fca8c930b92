#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"

#include <string>

namespace Osp::Base {

// The platform's text type: UTF-16 code units; lengths count code units.
class String : public Object {
public:
    String();
    String(const char* utf8);    // bad UTF-8 sequences become U+FFFD
    String(const wchar_t* wide); // for L"..." literals
    String(const char16_t* utf16);
    explicit String(std::u16string utf16);
    String(const String& other);
    String(String&& other) noexcept;
    ~String() override;

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator+=(const String& other);

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Clear() { text_.clear(); }

    bool Equals(const String& other, bool caseSensitive) const;
    bool Equals(const Object& obj) const override;
    int GetHashCode() const override;

    // Replaces every occurrence, scanning left to right without overlap.
    result Replace(const String& original, const String& replacement);
    result Append(int value);
    result Append(const String& other);
    result Append(const wchar_t* wide);
    bool EndsWith(const String& suffix) const;

    const char16_t* GetPointer() const { return text_.c_str(); }

    // For the stand-in's own code: the text as UTF-8 and as UTF-16.
    std::string ToUtf8() const;
    const std::u16string& Utf16() const { return text_; }

private:
    std::u16string text_;
};

bool operator==(const String& a, const String& b);
bool operator!=(const String& a, const String& b);
bool operator<(const String& a, const String& b);
String operator+(const String& a, const String& b);

} // namespace Osp::Base
