#include "platform/frontends/sdl/SdlKeyMap.h"

#include <SDL.h>

#include <cstring>

namespace pregonero::platform {

namespace {

KeyCommand Handset(ui::Key key) {
    return {KeyCommand::Kind::Handset, key};
}

} // namespace

KeyCommand SdlKeyMap::CommandFor(std::int32_t sdlKeycode, std::uint16_t modifiers) {
    const bool shift = (modifiers & KMOD_SHIFT) != 0;
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    switch (sdlKeycode) {
    case SDLK_F1:
    case SDLK_ESCAPE:
    case SDLK_BACKSPACE:
    case SDLK_AC_BACK:
        return Handset(ui::Key::Softkey1);
    case SDLK_F2:
    case SDLK_MENU:
    case SDLK_APPLICATION:
    case SDLK_TAB:
        return Handset(ui::Key::OptionKey);
    case SDLK_UP:
        return Handset(ui::Key::Up);
    case SDLK_DOWN:
        return Handset(ui::Key::Down);
    case SDLK_k:
        return ctrl ? KeyCommand{} : Handset(ui::Key::Up);
    case SDLK_j:
        return ctrl ? KeyCommand{} : Handset(ui::Key::Down);
    case SDLK_LEFT:
        return Handset(ui::Key::Left);
    case SDLK_RIGHT:
        return Handset(ui::Key::Right);
    case SDLK_PAGEUP:
        return Handset(ui::Key::PageUp);
    case SDLK_PAGEDOWN:
        return Handset(ui::Key::PageDown);
    case SDLK_SPACE:
        return Handset(shift ? ui::Key::PageUp : ui::Key::PageDown);
    case SDLK_HOME:
        return {KeyCommand::Kind::First, ui::Key::Enter};
    case SDLK_END:
        return {KeyCommand::Kind::Last, ui::Key::Enter};
    case SDLK_q:
        return {KeyCommand::Kind::Quit, ui::Key::Enter};
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return Handset(ui::Key::Enter);
    default:
        return {};
    }
}

KeyCommand SdlKeyMap::CommandForText(const char* utf8) {
    return std::strcmp(utf8, "?") == 0 ? KeyCommand{KeyCommand::Kind::Help, ui::Key::Enter}
                                       : KeyCommand{};
}

bool SdlKeyMap::Repeats(const KeyCommand& command) {
    if (command.kind != KeyCommand::Kind::Handset) {
        return false;
    }
    switch (command.key) {
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
