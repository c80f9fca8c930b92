#include "platform/ui/Label.h"

#include "platform/base/JsonWriter.h"

namespace Osp::Ui::Controls {

using pregonero::runtime::TextStyle;

Label::Label() = default;
Label::~Label() = default;

result Label::Construct(const Osp::Graphics::Rectangle& rect, const Osp::Base::String& text) {
    result r = SetBounds(rect);
    text_ = text;
    return r;
}

result Label::SetBackgroundColor(const Osp::Graphics::Color& color) {
    background_ = color;
    return E_SUCCESS;
}

result Label::SetTextConfig(int size, LabelTextStyle style) {
    if (size <= 0) {
        return E_INVALID_ARG;
    }
    textSize_ = size;
    textStyle_ = style;
    return E_SUCCESS;
}

void Label::Paint(const Osp::Graphics::Canvas& canvas) const {
    Osp::Graphics::Rectangle b = GetBounds();
    Osp::Graphics::Rectangle local(0, 0, b.width, b.height);
    if (background_.GetAlpha() != 0) {
        canvas.FillRectangle(background_, local);
    }
    TextStyle style;
    style.size = textSize_;
    style.color = textColor_.ToRgba();
    style.weight = textStyle_ == LABEL_TEXT_STYLE_BOLD ? pregonero::runtime::FontWeight::Bold
                                                       : pregonero::runtime::FontWeight::Normal;
    style.slant = textStyle_ == LABEL_TEXT_STYLE_ITALIC ? pregonero::runtime::FontSlant::Italic
                                                        : pregonero::runtime::FontSlant::Normal;
    style.hAlign = hAlign_ == Osp::Ui::ALIGNMENT_CENTER  ? pregonero::runtime::HAlign::Center
                   : hAlign_ == Osp::Ui::ALIGNMENT_RIGHT ? pregonero::runtime::HAlign::Right
                                                         : pregonero::runtime::HAlign::Left;
    style.vAlign = vAlign_ == Osp::Ui::ALIGNMENT_MIDDLE   ? pregonero::runtime::VAlign::Middle
                   : vAlign_ == Osp::Ui::ALIGNMENT_BOTTOM ? pregonero::runtime::VAlign::Bottom
                                                          : pregonero::runtime::VAlign::Top;
    const int pad = 6;
    canvas.DrawText(Osp::Graphics::Rectangle(pad, 0, b.width - 2 * pad, b.height), text_, style);
}

void Label::Describe(pregonero::text::JsonWriter& json) const {
    json.BeginObject();
    DescribeCommon(json);
    json.Key("text").String(text_.ToUtf8());
    json.Key("textColor")
        .IntArray({textColor_.GetRed(), textColor_.GetGreen(), textColor_.GetBlue(),
                   textColor_.GetAlpha()});
    json.Key("backgroundColor")
        .IntArray({background_.GetRed(), background_.GetGreen(), background_.GetBlue(),
                   background_.GetAlpha()});
    json.Key("textSize").Int(textSize_);
    json.Key("textStyle").Int(textStyle_);
    json.Key("hAlign").Int(hAlign_);
    json.Key("vAlign").Int(vAlign_);
    json.EndObject();
}

} // namespace Osp::Ui::Controls
