#pragma once

#include "platform/ui/UiTypes.h"

#include <cstdint>
#include <optional>

namespace pregonero::platform {

// Which handset key a desktop key stands for. Key codes are SDL's (SDLK_*),
// passed as plain integers so this header needs no SDL.
class SdlKeyMap {
public:
    static std::optional<ui::Key> HandsetKeyFor(std::int32_t sdlKeycode);
    // Whether holding the key down should repeat it: moving yes, pressing
    // softkeys or selecting no (a held Enter would open article after article).
    static bool Repeats(ui::Key key);
};

} // namespace pregonero::platform
