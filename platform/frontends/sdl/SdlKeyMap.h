#pragma once

#include "platform/driver/DesktopKeys.h"

#include <cstdint>

namespace pregonero::platform {

// What a desktop key asks for. Key codes and modifiers are SDL's (SDLK_*,
// KMOD_*), passed as plain integers so this header needs no SDL.
class SdlKeyMap {
public:
    static KeyCommand CommandFor(std::int32_t sdlKeycode, std::uint16_t modifiers);
    // What typed text asks for: "?" is typed with whatever keys the layout
    // wants, so it comes as text rather than as a key.
    static KeyCommand CommandForText(const char* utf8);
    // Whether holding the key down should repeat it: moving yes, pressing
    // softkeys or selecting no (a held Enter would open article after article).
    static bool Repeats(const KeyCommand& command);
};

} // namespace pregonero::platform
