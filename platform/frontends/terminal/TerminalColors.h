#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

namespace pregonero::platform {

// The terminal colour that comes closest to a true colour, for terminals
// with the 256-colour xterm palette or only the eight basic colours.
class TerminalColors {
public:
    static int Nearest256(runtime::Rgba color);
    static int Nearest8(runtime::Rgba color);
    // The palette's own colour for an index the two functions above return.
    static runtime::Rgba Palette256(int index);
    // Whether a colour reads as dark (light text goes on it).
    static bool IsDark(runtime::Rgba color);
};

} // namespace pregonero::platform
