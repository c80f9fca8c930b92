#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pregonero::feeds {

// Builds plain text the way an edition shows it: every run of whitespace
// (no-break spaces included) is one space, no line starts or ends with a
// space, line breaks never pile up into empty lines, and control characters
// are dropped. In one-line mode a line break is a space. Stops growing at
// `kMaxBytes`, on a character boundary.
class TextWriter {
public:
    static constexpr std::size_t kMaxBytes = 1u << 20;

    explicit TextWriter(bool multiLine) : multiLine_(multiLine) {}

    // UTF-8 text.
    void Append(std::string_view text);
    // Ends the current line, if it has anything on it.
    void LineBreak();
    // Starts a line that begins with "• ".
    void ListItem();

    // `text` cut to at most `bytes`, on a character boundary.
    static std::string_view Clip(std::string_view text, std::size_t bytes = kMaxBytes);

    bool Full() const { return text_.size() >= kMaxBytes; }
    std::string Take();

private:
    void Emit(std::string_view piece);

    std::string text_;
    bool multiLine_;
    bool pendingSpace_ = false;
    bool pendingBreak_ = false;
    bool pendingBullet_ = false;
};

} // namespace pregonero::feeds
