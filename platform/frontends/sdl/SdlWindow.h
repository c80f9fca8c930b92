#pragma once

#include "platform/frontends/sdl/WindowScale.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace pregonero::platform {

// The desktop window showing the handset's screen: resizable, the screen
// at the largest whole factor that fits or smoothly shrunk below that,
// centred on a dark ground, and the mouse mapped back to screen pixels.
// Only the SDL front end uses this.
class SdlWindow {
public:
    // Null with `error` set when the window or its renderer cannot be made.
    static std::unique_ptr<SdlWindow> Open(const char* title, std::string* error);

    // Copies a 480 × 800 ARGB32 frame into the window and shows it.
    void Show(const std::uint8_t* pixels, int stride);
    // Shows the last frame again (the window was uncovered or resized).
    void Refresh();
    // The screen pixel under a mouse position in window coordinates; false
    // when it lies in the margin around the screen (the pixel is then the
    // nearest one on the screen's edge).
    bool ToScreen(int windowX, int windowY, int* x, int* y) const;

private:
    // Defined with SDL's headers, which this one keeps out of its includers.
    static void DestroyWindow(SDL_Window* window) noexcept;
    static void DestroyRenderer(SDL_Renderer* renderer) noexcept;
    static void DestroyTexture(SDL_Texture* texture) noexcept;
    SdlWindow() = default;
    bool CreateRenderer();
    void SetIcon();
    WindowScale::Placement Placement() const;

    // Declared in this order so the texture goes first, the window last.
    runtime::UniqueHandle<SDL_Window, DestroyWindow> window_;
    runtime::UniqueHandle<SDL_Renderer, DestroyRenderer> renderer_;
    runtime::UniqueHandle<SDL_Texture, DestroyTexture> texture_;
    bool hasFrame_ = false;
};

} // namespace pregonero::platform
