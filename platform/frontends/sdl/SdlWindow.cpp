#include "platform/frontends/sdl/SdlWindow.h"

#include <SDL.h>

#include "platform/frontends/sdl/WindowIcon.h"
#include "platform/runtime/pictures/ArgbImage.h"
#include "platform/runtime/pictures/PngDecoder.h"
#include "platform/runtime/rendering/Framebuffer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

namespace pregonero::platform {

using runtime::Framebuffer;

namespace {

// Around the screen when the window is not its exact multiple.
constexpr Uint8 kMargin[3] = {24, 24, 28};
// A window can be made this small; the screen then shows shrunk.
constexpr int kMinWidth = 120;
constexpr int kMinHeight = 200;

// Whether the machine has a GPU a graphics driver can render
// with: one shows a DRM render node. Without one, GL is Mesa's llvmpipe,
// which does on the processor what SDL's own renderer does, at a cost of
// some 90 MB of LLVM.
bool HasGpu() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        if (entry.path().filename().string().starts_with("renderD")) {
            return true;
        }
    }
    return false;
}

} // namespace

void SdlWindow::DestroyWindow(SDL_Window* window) noexcept {
    SDL_DestroyWindow(window);
}
void SdlWindow::DestroyRenderer(SDL_Renderer* renderer) noexcept {
    SDL_DestroyRenderer(renderer);
}
void SdlWindow::DestroyTexture(SDL_Texture* texture) noexcept {
    SDL_DestroyTexture(texture);
}

std::unique_ptr<SdlWindow> SdlWindow::Open(const char* title, std::string* error) {
    std::unique_ptr<SdlWindow> self(new SdlWindow());
    int factor = 1;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        factor = WindowScale::IntegerFactor(usable.w, usable.h);
    }
    self->window_.reset(SDL_CreateWindow(
        title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Framebuffer::kWidth * factor,
        Framebuffer::kHeight * factor, SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE));
    if (!self->window_) {
        *error = SDL_GetError();
        return nullptr;
    }
    SDL_SetWindowMinimumSize(self->window_.get(), kMinWidth, kMinHeight);
    self->SetIcon();
    if (!self->CreateRenderer()) {
        *error = SDL_GetError();
        return nullptr;
    }
    self->texture_.reset(SDL_CreateTexture(self->renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STREAMING, Framebuffer::kWidth,
                                           Framebuffer::kHeight));
    if (!self->texture_) {
        *error = SDL_GetError();
        return nullptr;
    }
    return self;
}

bool SdlWindow::CreateRenderer() {
    SDL_Window* window = window_.get();
    const char* chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    bool software = chosen != nullptr && std::strcmp(chosen, "software") == 0;
    if (chosen == nullptr || *chosen == '\0') {
        software = !HasGpu();
    }
    if (software) {
        // Else SDL would put even the software renderer's window surface
        // on a GL texture, loading the GL stack all the same.
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
        renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    } else {
        renderer_.reset(SDL_CreateRenderer(window, -1, 0));
    }
    if (!renderer_) {
        // SDL's own software renderer always works.
        renderer_.reset(SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE));
    }
    return static_cast<bool>(renderer_);
}

void SdlWindow::SetIcon() {
    runtime::ArgbImage icon;
    if (!runtime::PngDecoder::Decode(WindowIcon::Png(), icon).empty() || icon.width <= 0) {
        return;
    }
    // SDL wants straight alpha; the decoder gives premultiplied.
    std::vector<std::uint32_t> straight(icon.pixels.size());
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        std::uint32_t p = icon.pixels[i];
        std::uint32_t a = p >> 24;
        auto channel = [&](int shift) {
            std::uint32_t c = (p >> shift) & 0xFF;
            return a == 0 ? 0u : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a) << shift;
        };
        straight[i] = (a << 24) | channel(16) | channel(8) | channel(0);
    }
    std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> surface(
        SDL_CreateRGBSurfaceWithFormatFrom(straight.data(), icon.width, icon.height, 32,
                                           icon.width * 4, SDL_PIXELFORMAT_ARGB8888),
        SDL_FreeSurface);
    if (surface) {
        SDL_SetWindowIcon(window_.get(), surface.get()); // SDL keeps its own copy
    }
}

WindowScale::Placement SdlWindow::Placement() const {
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &width, &height);
    return WindowScale::Fit(width, height);
}

void SdlWindow::Show(const std::uint8_t* pixels, int stride) {
    // Cairo's ARGB32 is a native-endian 32-bit word, which is SDL's ARGB8888.
    if (SDL_UpdateTexture(texture_.get(), nullptr, pixels, stride) == 0) {
        hasFrame_ = true;
    }
    Refresh();
}

void SdlWindow::Refresh() {
    SDL_Renderer* renderer = renderer_.get();
    SDL_SetRenderDrawColor(renderer, kMargin[0], kMargin[1], kMargin[2], 255);
    SDL_RenderClear(renderer);
    const WindowScale::Placement at = Placement();
    if (hasFrame_ && at.width > 0) {
        // Whole factors stay crisp; a shrunk screen is filtered so text stays legible.
        SDL_SetTextureScaleMode(texture_.get(),
                                at.whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        const SDL_Rect dest{at.x, at.y, at.width, at.height};
        SDL_RenderCopy(renderer, texture_.get(), nullptr, &dest);
    }
    SDL_RenderPresent(renderer);
}

bool SdlWindow::ToScreen(int windowX, int windowY, int* x, int* y) const {
    // Mouse positions are in window points; the drawable may be denser.
    int pointsWide = 0;
    int pointsHigh = 0;
    int pixelsWide = 0;
    int pixelsHigh = 0;
    SDL_GetWindowSize(window_.get(), &pointsWide, &pointsHigh);
    SDL_GetRendererOutputSize(renderer_.get(), &pixelsWide, &pixelsHigh);
    double sx = pointsWide > 0 ? static_cast<double>(pixelsWide) / pointsWide : 1.0;
    double sy = pointsHigh > 0 ? static_cast<double>(pixelsHigh) / pointsHigh : 1.0;
    return WindowScale::ToScreen(WindowScale::Fit(pixelsWide, pixelsHigh), (windowX + 0.5) * sx,
                                 (windowY + 0.5) * sy, x, y);
}

} // namespace pregonero::platform
