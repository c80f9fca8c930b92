#include "platform/graphics/TextMeasure.h"

#include "platform/runtime/Runtime.h"

namespace Osp::Graphics {

using pregonero::runtime::Runtime;
using pregonero::runtime::TextFit;
using pregonero::runtime::TextLayoutCache;
using pregonero::runtime::TextStyle;

int TextMeasure::GetWrappedHeight(const Osp::Base::String& text, int width, int textSize) {
    if (!Runtime::Exists() || width <= 0 || text.IsEmpty()) {
        return 0;
    }
    TextStyle style;
    style.size = textSize;
    return Runtime::Get()
        .Layouts()
        .Fit(text.ToUtf8(), style, width, TextLayoutCache::kUnbounded)
        .height;
}

TextFit TextMeasure::Fit(std::string_view utf8, const Rectangle& box, const TextStyle& style) {
    if (!Runtime::Exists() || utf8.empty() || box.width <= 0 || box.height <= 0) {
        return {};
    }
    return Runtime::Get().Layouts().Fit(utf8, style, box.width, box.height);
}

} // namespace Osp::Graphics
