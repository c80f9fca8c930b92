#pragma once

#include "platform/runtime/pictures/ArgbImage.h"

namespace pregonero::runtime {

// Scales a premultiplied ARGB picture to exactly width x height, cutting the
// excess of the longer side evenly from both ends so the aspect ratio holds.
// Shrinking by more than 2x averages every covered source pixel (area
// filter); smaller changes and enlargements interpolate bilinearly.
// Separable: the scratch buffer is width x (source rows), never a second copy
// of the source.
class PictureScaler {
public:
    static ArgbImage ScaleCentreCropped(const ArgbImage& source, int width, int height);
};

} // namespace pregonero::runtime
