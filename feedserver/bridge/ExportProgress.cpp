#include "feedserver/bridge/ExportProgress.h"

#include <algorithm>

namespace pregonero::feeds {

namespace {

constexpr std::size_t kBarCells = 30;

} // namespace

void ExportProgress::Stage(const std::string& name, std::size_t total) {
    stage_ = name;
    total_ = total;
    done_ = 0;
    drawnPercent_ = -1;
    Draw();
}

void ExportProgress::Step() {
    ++done_;
    Draw();
}

void ExportProgress::Line(const std::string& text) {
    Erase();
    std::fprintf(out_, "%s\n", text.c_str());
    drawnPercent_ = -1;
    Draw();
    std::fflush(out_);
}

void ExportProgress::Clear() {
    Erase();
    total_ = 0;
}

void ExportProgress::Erase() {
    if (drawnWidth_ > 0) {
        // Spaces over the bar rather than an erase code: plain text on any terminal.
        std::fprintf(out_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
        drawnWidth_ = 0;
        std::fflush(out_);
    }
}

void ExportProgress::Draw() {
    if (!terminal_ || total_ == 0) {
        return;
    }
    // Redrawn only when the bar moves, so a thousand pictures cost a hundred writes.
    const int percent = static_cast<int>(done_ * 100 / total_);
    if (percent == drawnPercent_) {
        return;
    }
    drawnPercent_ = percent;
    const std::size_t filled = done_ * kBarCells / total_;
    const std::string line = "[" + std::string(filled, '#') + std::string(kBarCells - filled, '.') +
                             "] " + stage_ + " " + std::to_string(done_) + "/" +
                             std::to_string(total_);
    std::fprintf(out_, "\r%s", line.c_str());
    if (line.size() < drawnWidth_) {
        std::fprintf(out_, "%*s", static_cast<int>(drawnWidth_ - line.size()), "");
    }
    drawnWidth_ = std::max(drawnWidth_, line.size());
    std::fflush(out_);
}

} // namespace pregonero::feeds
