#include "platform/frontends/terminal/TerminalColors.h"

#include <climits>

namespace pregonero::platform {

namespace {

constexpr int kCubeLevels[6] = {0, 95, 135, 175, 215, 255};

// The basic colours as most terminals show them, in curses order.
constexpr runtime::Rgba kBasic[8] = {{0, 0, 0, 255},     {205, 0, 0, 255},    {0, 205, 0, 255},
                                     {205, 205, 0, 255}, {0, 0, 238, 255},    {205, 0, 205, 255},
                                     {0, 205, 205, 255}, {229, 229, 229, 255}};

int Distance(runtime::Rgba a, runtime::Rgba b) {
    int dr = a.r - b.r;
    int dg = a.g - b.g;
    int db = a.b - b.b;
    // Weighted towards green, as the eye is.
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

} // namespace

runtime::Rgba TerminalColors::Palette256(int index) {
    if (index < 8) {
        return kBasic[index < 0 ? 0 : index];
    }
    if (index < 16) {
        return kBasic[index - 8];
    }
    if (index < 232) {
        int i = index - 16;
        return {static_cast<std::uint8_t>(kCubeLevels[i / 36]),
                static_cast<std::uint8_t>(kCubeLevels[(i / 6) % 6]),
                static_cast<std::uint8_t>(kCubeLevels[i % 6]), 255};
    }
    auto grey = static_cast<std::uint8_t>(8 + 10 * (index - 232));
    return {grey, grey, grey, 255};
}

int TerminalColors::Nearest256(runtime::Rgba color) {
    // Only the cube and the grey ramp: the first sixteen differ between terminals.
    int best = 16;
    int bestDistance = INT_MAX;
    for (int index = 16; index < 256; ++index) {
        int d = Distance(color, Palette256(index));
        if (d < bestDistance) {
            bestDistance = d;
            best = index;
        }
    }
    return best;
}

int TerminalColors::Nearest8(runtime::Rgba color) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (int index = 0; index < 8; ++index) {
        int d = Distance(color, kBasic[index]);
        if (d < bestDistance) {
            bestDistance = d;
            best = index;
        }
    }
    return best;
}

bool TerminalColors::IsDark(runtime::Rgba color) {
    return 299 * color.r + 587 * color.g + 114 * color.b < 128 * 1000;
}

} // namespace pregonero::platform
