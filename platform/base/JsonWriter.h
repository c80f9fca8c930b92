#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pregonero::text {

// A small streaming JSON writer: commas and escaping are its business, the
// shape is the caller's.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view utf8);
    JsonWriter& Int(long long value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    JsonWriter& IntArray(std::initializer_list<long long> values);

    const std::string& Text() const { return out_; }

private:
    void Separate();
    std::string out_;
    std::vector<bool> first_; // per open container: nothing written yet
    bool afterKey_ = false;
};

} // namespace pregonero::text
