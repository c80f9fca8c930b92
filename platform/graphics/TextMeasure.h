#pragma once

#include "platform/base/String.h"
#include "platform/graphics/Rectangle.h"
#include "platform/runtime/rendering/PaintTypes.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <string_view>

namespace Osp::Graphics {

// The stand-in's own: how a text sits in a box when a canvas draws it, so
// that a row can be made tall enough for all of its text and a snapshot can
// tell what was left out. Both answer from the layouts the screen draws with;
// with no runtime (nothing is drawn either) they answer nothing.
class TextMeasure {
public:
    // Pixels `text` takes wrapped at `width` at `textSize`, every line drawn.
    static int GetWrappedHeight(const Osp::Base::String& text, int width, int textSize);
    // The lines drawn of `utf8` in `box` and whether some of it was left out.
    static pregonero::runtime::TextFit Fit(std::string_view utf8, const Rectangle& box,
                                           const pregonero::runtime::TextStyle& style);
};

} // namespace Osp::Graphics
