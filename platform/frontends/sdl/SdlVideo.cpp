#include "platform/frontends/sdl/SdlVideo.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace pregonero::platform {

namespace {

void Quiet(void*, int, SDL_LogPriority, const char*) {}

bool Tracing() {
    const char* trace = std::getenv("PREGONERO_TRACE");
    return trace != nullptr && std::strcmp(trace, "1") == 0;
}

} // namespace

std::unique_ptr<SdlVideo> SdlVideo::Start(const std::string& drivers, std::string* error) {
    if (!Tracing()) {
        SDL_LogSetOutputFunction(Quiet, nullptr);
    }
    // The program's own SIGINT and SIGTERM handlers end the application
    // through the platform; SDL's would only queue a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A news reader must not stop the desktop from dimming or locking.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Only the display the environment names: left to itself SDL falls back
    // to drivers that open an invisible window (offscreen, the console).
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    return std::unique_ptr<SdlVideo>(new SdlVideo());
}

SdlVideo::~SdlVideo() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    SDL_Quit();
}

} // namespace pregonero::platform
