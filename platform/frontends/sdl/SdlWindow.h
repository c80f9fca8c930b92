#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace pregonero::platform {

// The desktop window showing the handset's screen: scaled by a whole factor
// when the display has room, crisp on high-density displays, and mapping the
// mouse back to screen pixels. Only the SDL front end uses this.
class SdlWindow {
public:
    // Null with `error` set when the window or its renderer cannot be made.
    static std::unique_ptr<SdlWindow> Open(const char* title, std::string* error);

    // Copies a 480 × 800 ARGB32 frame into the window and shows it.
    void Show(const std::uint8_t* pixels, int stride);
    // Shows the last frame again (the window was uncovered or moved).
    void Refresh();
    int Factor() const { return factor_; }

private:
    struct WindowDeleter {
        void operator()(SDL_Window* window) const;
    };
    struct RendererDeleter {
        void operator()(SDL_Renderer* renderer) const;
    };
    struct TextureDeleter {
        void operator()(SDL_Texture* texture) const;
    };
    SdlWindow() = default;

    // Declared in this order so the texture goes first, the window last.
    std::unique_ptr<SDL_Window, WindowDeleter> window_;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer_;
    std::unique_ptr<SDL_Texture, TextureDeleter> texture_;
    int factor_ = 1;
    bool hasFrame_ = false;
};

} // namespace pregonero::platform
