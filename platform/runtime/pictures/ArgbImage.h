#pragma once

#include <cstdint>
#include <vector>

namespace pregonero::runtime {

// A decoded picture on its way to the requested size: one native-endian
// 0xAARRGGBB word per pixel, premultiplied alpha, rows packed without padding.
// Premultiplied so that filtering never bleeds the colour of transparent pixels.
struct ArgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

} // namespace pregonero::runtime
