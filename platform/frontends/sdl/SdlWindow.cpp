#include "platform/frontends/sdl/SdlWindow.h"

#include <SDL.h>

#include "platform/frontends/sdl/WindowScale.h"
#include "platform/runtime/rendering/Framebuffer.h"

namespace pregonero::platform {

using runtime::Framebuffer;

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
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        self->factor_ = WindowScale::IntegerFactor(usable.w, usable.h);
    }
    self->window_.reset(SDL_CreateWindow(
        title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Framebuffer::kWidth * self->factor_,
        Framebuffer::kHeight * self->factor_, SDL_WINDOW_ALLOW_HIGHDPI));
    if (!self->window_) {
        *error = SDL_GetError();
        return nullptr;
    }
    self->renderer_.reset(SDL_CreateRenderer(self->window_.get(), -1, 0));
    if (!self->renderer_) {
        // No usable GPU driver: SDL's own software renderer always works.
        self->renderer_.reset(SDL_CreateRenderer(self->window_.get(), -1, SDL_RENDERER_SOFTWARE));
    }
    if (!self->renderer_) {
        *error = SDL_GetError();
        return nullptr;
    }
    SDL_Renderer* renderer = self->renderer_.get();
    // A logical size makes SDL scale the frame and map mouse positions back
    // to screen pixels, whatever the window's size in device pixels.
    SDL_RenderSetLogicalSize(renderer, Framebuffer::kWidth, Framebuffer::kHeight);
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GetRendererOutputSize(renderer, &drawableWidth, &drawableHeight);
    bool crisp = WindowScale::IsWholeMultiple(drawableWidth, drawableHeight);
    SDL_RenderSetIntegerScale(renderer, crisp ? SDL_TRUE : SDL_FALSE);
    self->texture_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STREAMING, Framebuffer::kWidth,
                                           Framebuffer::kHeight));
    if (!self->texture_) {
        *error = SDL_GetError();
        return nullptr;
    }
    SDL_SetTextureScaleMode(self->texture_.get(),
                            crisp ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    return self;
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
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    if (hasFrame_) {
        SDL_RenderCopy(renderer, texture_.get(), nullptr, nullptr);
    }
    SDL_RenderPresent(renderer);
}

} // namespace pregonero::platform
