#pragma once

#include "platform/graphics/Color.h"

// The colours every row class shares.
namespace RowColors {

// Normal colour of the title element.
inline Osp::Graphics::Color Title() {
    return Osp::Graphics::Color(67, 168, 224, 255);
}
// Fill of the background element: white at alpha 100, so the list's focus
// highlight shows through.
inline Osp::Graphics::Color Background() {
    return Osp::Graphics::Color(255, 255, 255, 100);
}

} // namespace RowColors
