#include "platform/frontends/sdl/SdlKeyMap.h"

#include <SDL2/SDL_keycode.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using pregonero::platform::SdlKeyMap;
using pregonero::ui::Key;

TEST(SdlKeyMapTest, DesktopKeysReachEveryHandsetKeyTheReaderNeeds) {
    const std::vector<std::pair<SDL_Keycode, Key>> table = {
        {SDLK_F1, Key::Softkey1},
        {SDLK_ESCAPE, Key::Softkey1},
        {SDLK_BACKSPACE, Key::Softkey1},
        {SDLK_AC_BACK, Key::Softkey1},
        {SDLK_F2, Key::OptionKey},
        {SDLK_MENU, Key::OptionKey},
        {SDLK_APPLICATION, Key::OptionKey},
        {SDLK_TAB, Key::OptionKey},
        {SDLK_UP, Key::Up},
        {SDLK_DOWN, Key::Down},
        {SDLK_LEFT, Key::Left},
        {SDLK_RIGHT, Key::Right},
        {SDLK_PAGEUP, Key::PageUp},
        {SDLK_PAGEDOWN, Key::PageDown},
        {SDLK_RETURN, Key::Enter},
        {SDLK_KP_ENTER, Key::Enter},
        {SDLK_RETURN2, Key::Enter},
    };
    for (const auto& [sdl, key] : table) {
        auto mapped = SdlKeyMap::HandsetKeyFor(sdl);
        ASSERT_TRUE(mapped.has_value()) << "key code " << sdl;
        EXPECT_EQ(*mapped, key) << "key code " << sdl;
    }
    // Typing letters or pressing other function keys does nothing.
    for (SDL_Keycode other : {SDLK_a, SDLK_SPACE, SDLK_F3, SDLK_HOME, SDLK_q, SDLK_UNKNOWN}) {
        EXPECT_FALSE(SdlKeyMap::HandsetKeyFor(other).has_value()) << other;
    }
}

TEST(SdlKeyMapTest, OnlyMovingKeysRepeatWhenHeld) {
    for (Key key : {Key::Up, Key::Down, Key::PageUp, Key::PageDown, Key::Left, Key::Right}) {
        EXPECT_TRUE(SdlKeyMap::Repeats(key));
    }
    for (Key key : {Key::Enter, Key::Softkey0, Key::Softkey1, Key::OptionKey, Key::Back}) {
        EXPECT_FALSE(SdlKeyMap::Repeats(key));
    }
}
