#include "platform/ui/Form.h"

#include "platform/base/JsonWriter.h"
#include "platform/ui/IndicatorClock.h"
#include "platform/ui/OptionMenu.h"

namespace Osp::Ui::Controls {

using Osp::Graphics::Canvas;
using Osp::Graphics::Rectangle;
using pregonero::runtime::FontWeight;
using pregonero::runtime::HAlign;
using pregonero::runtime::TextStyle;
using pregonero::runtime::TextWrap;
using pregonero::runtime::VAlign;

namespace {
constexpr pregonero::runtime::Rgba kIndicatorColor{16, 16, 16, 255};
constexpr pregonero::runtime::Rgba kTitleColor{24, 58, 104, 255};
constexpr pregonero::runtime::Rgba kBarColor{36, 36, 36, 255};
constexpr pregonero::runtime::Rgba kBarText{255, 255, 255, 255};
constexpr pregonero::runtime::Rgba kBarTextDisabled{110, 110, 110, 255};
} // namespace

Form::Form() = default;

Form::~Form() {
    if (menu_ != nullptr) {
        menu_->DetachFromForm();
    }
}

result Form::Construct(unsigned long formStyle) {
    style_ = formStyle;
    SetBounds(0, 0, FormMetrics::kScreenWidth, FormMetrics::kScreenHeight);
    return E_SUCCESS;
}

result Form::SetTitleText(const Osp::Base::String& title, Osp::Ui::HorizontalAlignment align) {
    title_ = title;
    titleAlign_ = align;
    return E_SUCCESS;
}

result Form::SetBackgroundColor(const Osp::Graphics::Color& color) {
    background_ = color;
    return E_SUCCESS;
}

bool Form::HasSoftkey(Softkey softkey) const {
    if (softkey == SOFTKEY_0) {
        return (style_ & FORM_STYLE_SOFTKEY_0) != 0;
    }
    if (softkey == SOFTKEY_1) {
        return (style_ & FORM_STYLE_SOFTKEY_1) != 0;
    }
    return false;
}

result Form::SetSoftkeyText(Softkey softkey, const Osp::Base::String& text) {
    if (!HasSoftkey(softkey)) {
        return E_INVALID_ARG;
    }
    softkeys_[softkey].text = text;
    return E_SUCCESS;
}

result Form::SetSoftkeyActionId(Softkey softkey, int actionId) {
    if (!HasSoftkey(softkey)) {
        return E_INVALID_ARG;
    }
    softkeys_[softkey].actionId = actionId;
    return E_SUCCESS;
}

result Form::AddSoftkeyActionListener(Softkey softkey,
                                      const Osp::Ui::IActionEventListener& listener) {
    if (!HasSoftkey(softkey)) {
        return E_INVALID_ARG;
    }
    softkeys_[softkey].listener = &listener;
    return E_SUCCESS;
}

result Form::SetSoftkeyEnabled(Softkey softkey, bool enable) {
    if (!HasSoftkey(softkey)) {
        return E_INVALID_ARG;
    }
    softkeys_[softkey].enabled = enable;
    return E_SUCCESS;
}

bool Form::IsSoftkeyEnabled(Softkey softkey) const {
    return HasSoftkey(softkey) && softkeys_[softkey].enabled;
}

void Form::SetOptionkeyActionId(int actionId) {
    optionKeyAction_ = actionId;
}

void Form::AddOptionkeyActionListener(const Osp::Ui::IActionEventListener& listener) {
    optionKeyListener_ = &listener;
}

int Form::TopInset() const {
    int top = 0;
    if (style_ & FORM_STYLE_INDICATOR) {
        top += FormMetrics::kIndicatorHeight;
    }
    if (style_ & FORM_STYLE_TITLE) {
        top += FormMetrics::kTitleHeight;
    }
    return top;
}

int Form::BottomInset() const {
    bool bar = (style_ & (FORM_STYLE_SOFTKEY_0 | FORM_STYLE_SOFTKEY_1 | FORM_STYLE_OPTIONKEY)) != 0;
    return bar ? FormMetrics::kSoftkeyBarHeight : 0;
}

Rectangle Form::GetClientAreaBounds() const {
    Rectangle b = GetBounds();
    return Rectangle(0, TopInset(), b.width, b.height - TopInset() - BottomInset());
}

Osp::Graphics::Point Form::ChildOrigin() const {
    Osp::Graphics::Point origin = ScreenOrigin();
    origin.y += TopInset();
    return origin;
}

result Form::OnInitializing() {
    return E_SUCCESS;
}
result Form::OnTerminating() {
    return E_SUCCESS;
}

void Form::PressSoftkey(int softkey) {
    if (softkey < 0 || softkey >= SOFTKEY_COUNT) {
        return;
    }
    auto key = static_cast<Softkey>(softkey);
    if (!HasSoftkey(key) || !softkeys_[softkey].enabled || softkeys_[softkey].listener == nullptr) {
        return;
    }
    // Copy out first: the handler may destroy this form.
    const auto* listener = softkeys_[softkey].listener;
    int actionId = softkeys_[softkey].actionId;
    const_cast<Osp::Ui::IActionEventListener*>(listener)->OnActionPerformed(*this, actionId);
}

void Form::PressOptionKey() {
    if (!HasOptionkey() || optionKeyListener_ == nullptr) {
        return;
    }
    const_cast<Osp::Ui::IActionEventListener*>(optionKeyListener_)
        ->OnActionPerformed(*this, optionKeyAction_);
}

bool Form::HandleKey(pregonero::ui::Key key) {
    using pregonero::ui::Key;
    for (int i = GetControlCount() - 1; i >= 0; --i) {
        Control* child = GetControlAt(i);
        if (child->GetShowState() && child->HandleKey(key)) {
            return true;
        }
    }
    switch (key) {
    case Key::Softkey0:
        PressSoftkey(SOFTKEY_0);
        return true;
    case Key::Softkey1:
    case Key::Back:
        PressSoftkey(SOFTKEY_1);
        return true;
    case Key::OptionKey:
        PressOptionKey();
        return true;
    default:
        return false;
    }
}

Rectangle Form::SoftkeyRect(Softkey softkey) const {
    int y = GetBounds().height - FormMetrics::kSoftkeyBarHeight;
    int side = (FormMetrics::kScreenWidth - FormMetrics::kOptionKeyWidth) / 2;
    int x = softkey == SOFTKEY_0 ? 0 : side + FormMetrics::kOptionKeyWidth;
    return Rectangle(x, y, side, FormMetrics::kSoftkeyBarHeight);
}

Rectangle Form::OptionKeyRect() const {
    int y = GetBounds().height - FormMetrics::kSoftkeyBarHeight;
    int x = (FormMetrics::kScreenWidth - FormMetrics::kOptionKeyWidth) / 2;
    return Rectangle(x, y, FormMetrics::kOptionKeyWidth, FormMetrics::kSoftkeyBarHeight);
}

void Form::Paint(const Canvas& canvas) const {
    Rectangle client = GetClientAreaBounds();
    canvas.FillRectangle(background_, client);
    {
        pregonero::runtime::ClipScope clip(canvas.GetPainter(), canvas.ToScreen(client));
        PaintChildren(canvas);
    }
    PaintBars(canvas);
}

void Form::PaintBars(const Canvas& canvas) const {
    auto& painter = canvas.GetPainter();
    int width = GetBounds().width;
    int y = 0;
    if (style_ & FORM_STYLE_INDICATOR) {
        Rectangle bar(0, 0, width, FormMetrics::kIndicatorHeight);
        painter.FillRect(canvas.ToScreen(bar), kIndicatorColor);
        TextStyle clock{22, kBarText, FontWeight::Bold};
        clock.hAlign = HAlign::Right;
        clock.vAlign = VAlign::Middle;
        clock.wrap = TextWrap::SingleLine;
        canvas.DrawTextUtf8(Rectangle(0, 0, width - 12, FormMetrics::kIndicatorHeight),
                            pregonero::ui::IndicatorClock::Text(), clock);
        y += FormMetrics::kIndicatorHeight;
    }
    if (style_ & FORM_STYLE_TITLE) {
        Rectangle bar(0, y, width, FormMetrics::kTitleHeight);
        painter.FillRect(canvas.ToScreen(bar), kTitleColor);
        TextStyle title{32, kBarText, FontWeight::Bold};
        title.hAlign = titleAlign_ == Osp::Ui::ALIGNMENT_LEFT    ? HAlign::Left
                       : titleAlign_ == Osp::Ui::ALIGNMENT_RIGHT ? HAlign::Right
                                                                 : HAlign::Center;
        title.vAlign = VAlign::Middle;
        title.wrap = TextWrap::SingleLine;
        canvas.DrawText(Rectangle(12, y, width - 24, FormMetrics::kTitleHeight), title_, title);
    }
    if (BottomInset() == 0) {
        return;
    }
    Rectangle bar(0, GetBounds().height - FormMetrics::kSoftkeyBarHeight, width,
                  FormMetrics::kSoftkeyBarHeight);
    painter.FillRect(canvas.ToScreen(bar), kBarColor);
    for (int i = 0; i < SOFTKEY_COUNT; ++i) {
        auto key = static_cast<Softkey>(i);
        if (!HasSoftkey(key)) {
            continue;
        }
        TextStyle style{30, softkeys_[i].enabled ? kBarText : kBarTextDisabled, FontWeight::Bold};
        style.hAlign = HAlign::Center;
        style.vAlign = VAlign::Middle;
        style.wrap = TextWrap::SingleLine;
        canvas.DrawText(SoftkeyRect(key), softkeys_[i].text, style);
    }
    if (HasOptionkey()) {
        Rectangle key = OptionKeyRect();
        Rectangle face(key.x + 20, key.y + 10, key.width - 40, key.height - 20);
        painter.FillRect(canvas.ToScreen(face), {70, 70, 70, 255});
        for (int line = 0; line < 3; ++line) {
            Rectangle stroke(face.x + 25, face.y + 14 + line * 12, face.width - 50, 5);
            painter.FillRect(canvas.ToScreen(stroke), kBarText);
        }
    }
}

void Form::DescribeForm(pregonero::text::JsonWriter& json) const {
    Rectangle b = GetBounds();
    Rectangle c = GetClientAreaBounds();
    json.BeginObject();
    json.Key("name").String(GetName().ToUtf8());
    json.Key("title").String(title_.ToUtf8());
    json.Key("bounds").IntArray({b.x, b.y, b.width, b.height});
    json.Key("clientArea").IntArray({c.x, c.y, c.width, c.height});
    json.Key("optionKey").Bool(HasOptionkey());
    if (style_ & FORM_STYLE_INDICATOR) {
        json.Key("clock").String(pregonero::ui::IndicatorClock::Text());
    }
    json.Key("softkeys").BeginArray();
    for (int i = 0; i < SOFTKEY_COUNT; ++i) {
        if (!HasSoftkey(static_cast<Softkey>(i))) {
            continue;
        }
        json.BeginObject();
        json.Key("index").Int(i);
        json.Key("text").String(softkeys_[i].text.ToUtf8());
        json.Key("enabled").Bool(softkeys_[i].enabled);
        json.Key("actionId").Int(softkeys_[i].actionId);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

} // namespace Osp::Ui::Controls
