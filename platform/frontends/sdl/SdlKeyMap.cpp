#include "platform/frontends/sdl/SdlKeyMap.h"

#include <SDL.h>

namespace pregonero::platform {

std::optional<ui::Key> SdlKeyMap::HandsetKeyFor(std::int32_t sdlKeycode) {
    switch (sdlKeycode) {
    case SDLK_F1:
    case SDLK_ESCAPE:
    case SDLK_BACKSPACE:
    case SDLK_AC_BACK:
        return ui::Key::Softkey1;
    case SDLK_F2:
    case SDLK_MENU:
    case SDLK_APPLICATION:
    case SDLK_TAB:
        return ui::Key::OptionKey;
    case SDLK_UP:
        return ui::Key::Up;
    case SDLK_DOWN:
        return ui::Key::Down;
    case SDLK_LEFT:
        return ui::Key::Left;
    case SDLK_RIGHT:
        return ui::Key::Right;
    case SDLK_PAGEUP:
        return ui::Key::PageUp;
    case SDLK_PAGEDOWN:
        return ui::Key::PageDown;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return ui::Key::Enter;
    default:
        return std::nullopt;
    }
}

bool SdlKeyMap::Repeats(ui::Key key) {
    switch (key) {
    case ui::Key::Up:
    case ui::Key::Down:
    case ui::Key::Left:
    case ui::Key::Right:
    case ui::Key::PageUp:
    case ui::Key::PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace pregonero::platform
