#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace pregonero::feeds {

// What an export tells the person who runs it: whole lines (one per source,
// the summary) and, when the output is a terminal, a one-line bar of the
// stage under way, redrawn in place. A pipe or file gets the lines alone,
// never a carriage return or an escape code.
class ExportProgress {
public:
    // `terminal`: whether `out` is one; the bar is drawn only then.
    ExportProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

    // A new stage of `total` steps, e.g. "sources" or "pictures".
    void Stage(const std::string& name, std::size_t total);
    void Step();
    // A whole line, above the bar when one is shown.
    void Line(const std::string& text);
    // Ends the stage: the bar goes, leaving its line empty.
    void Clear();

private:
    void Draw();
    void Erase();

    std::FILE* out_;
    bool terminal_;
    std::string stage_;
    std::size_t total_ = 0;
    std::size_t done_ = 0;
    std::size_t drawnWidth_ = 0; // characters of the bar on screen; 0: none
    int drawnPercent_ = -1;
};

} // namespace pregonero::feeds
