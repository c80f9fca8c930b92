#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

namespace Osp::Ui::Controls {

enum LabelTextStyle {
    LABEL_TEXT_STYLE_NORMAL = 0,
    LABEL_TEXT_STYLE_BOLD = 1,
    LABEL_TEXT_STYLE_ITALIC = 2
};

class Label : public Osp::Ui::Control {
public:
    Label();
    ~Label() override;

    result Construct(const Osp::Graphics::Rectangle& rect, const Osp::Base::String& text);
    void SetText(const Osp::Base::String& text) { text_ = text; }
    Osp::Base::String GetText() const { return text_; }
    void SetTextColor(const Osp::Graphics::Color& color) { textColor_ = color; }
    result SetBackgroundColor(const Osp::Graphics::Color& color);
    Osp::Graphics::Color GetBackgroundColor() const { return background_; }
    result SetTextConfig(int size, LabelTextStyle style);
    void SetTextHorizontalAlignment(Osp::Ui::HorizontalAlignment alignment) { hAlign_ = alignment; }
    void SetTextVerticalAlignment(Osp::Ui::VerticalAlignment alignment) { vAlign_ = alignment; }

    void Paint(const Osp::Graphics::Canvas& canvas) const override;
    const char* TypeName() const override { return "Label"; }
    void Describe(pregonero::text::JsonWriter& json) const override;

private:
    Osp::Base::String text_;
    Osp::Graphics::Color textColor_{0, 0, 0};
    Osp::Graphics::Color background_{0, 0, 0, 0};
    int textSize_ = 28;
    LabelTextStyle textStyle_ = LABEL_TEXT_STYLE_NORMAL;
    Osp::Ui::HorizontalAlignment hAlign_ = Osp::Ui::ALIGNMENT_LEFT;
    Osp::Ui::VerticalAlignment vAlign_ = Osp::Ui::ALIGNMENT_TOP;
};

} // namespace Osp::Ui::Controls
