#pragma once

#include "platform/runtime/Config.h"
#include "platform/runtime/loop/EventLoop.h"
#include "platform/runtime/network/NetworkService.h"
#include "platform/runtime/pictures/DecodeService.h"

#include <memory>

namespace pregonero::runtime {

class Framebuffer;
class TextLayoutCache;

// Everything the handset platform stand-in runs on, owned together: the
// settings, the event loop, the network and picture services, the screen and
// its text layouts. One per process, made by the entry point before the
// application starts and gone after it ends.
class Runtime {
public:
    Runtime();
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    // The live runtime; only valid between construction and destruction.
    static Runtime& Get();
    static bool Exists();

    Config& Settings() { return config_; }
    EventLoop& Loop() { return loop_; }
    Framebuffer& Screen() { return *framebuffer_; }
    TextLayoutCache& Layouts() { return *layouts_; }
    NetworkService& Network() { return *network_; }
    DecodeService& Decoder() { return *decoder_; }

    // No task runnable in `mode` and no transfer or decode in flight; under a
    // modal box (InputOnly), only no input pending.
    bool Idle(LoopMode mode) const;

private:
    Config config_;
    EventLoop loop_;
    std::unique_ptr<Framebuffer> framebuffer_;
    std::unique_ptr<TextLayoutCache> layouts_;
    // Services post into the loop, so they are declared after it and go first.
    std::unique_ptr<NetworkService> network_;
    std::unique_ptr<DecodeService> decoder_;
};

} // namespace pregonero::runtime
