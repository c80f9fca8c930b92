#include "platform/ui/MessageBox.h"

#include "platform/base/JsonWriter.h"
#include "platform/runtime/Runtime.h"

#include <algorithm>
#include <chrono>

namespace Osp::Ui::Controls {

using Osp::Graphics::Rectangle;
using pregonero::runtime::Runtime;

namespace {
std::vector<MessageBox*>& OpenBoxes() {
    static std::vector<MessageBox*> boxes;
    return boxes;
}
constexpr int kBoxWidth = 420;
constexpr int kBoxHeight = 300;
} // namespace

MessageBox::MessageBox() = default;

MessageBox::~MessageBox() {
    auto& boxes = OpenBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

result MessageBox::Construct(const Osp::Base::String& title, const Osp::Base::String& text,
                             MessageBoxStyle style, unsigned long timeout) {
    title_ = title;
    text_ = text;
    style_ = style;
    timeoutMs_ = timeout;
    SetBounds(BoxRect());
    return E_SUCCESS;
}

MessageBox* MessageBox::Top() {
    auto& boxes = OpenBoxes();
    return boxes.empty() ? nullptr : boxes.back();
}

result MessageBox::ShowAndWait(int& modalResult) {
    if (!Runtime::Exists()) {
        return E_INVALID_STATE;
    }
    closed_ = false;
    result_ = MSGBOX_RESULT_CLOSE;
    OpenBoxes().push_back(this);
    auto& loop = Runtime::Get().Loop();
    loop.RequestRedraw();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
    loop.RunUntil(
        [&] { return closed_ || (timeoutMs_ > 0 && std::chrono::steady_clock::now() >= deadline); },
        pregonero::runtime::LoopMode::InputOnly);
    auto& boxes = OpenBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
    loop.RequestRedraw();
    modalResult = result_;
    return E_SUCCESS;
}

void MessageBox::PressOk() {
    closed_ = true;
    result_ = MSGBOX_RESULT_OK;
    if (Runtime::Exists()) {
        Runtime::Get().Loop().Wake();
    }
}

bool MessageBox::HandleKey(pregonero::ui::Key key) {
    if (key == pregonero::ui::Key::Enter) {
        PressOk();
    }
    return true; // a modal box swallows every key
}

Rectangle MessageBox::BoxRect() const {
    return Rectangle((480 - kBoxWidth) / 2, (800 - kBoxHeight) / 2, kBoxWidth, kBoxHeight);
}

Rectangle MessageBox::OkButtonRect() const {
    Rectangle box = BoxRect();
    return Rectangle(box.x + (box.width - 180) / 2, box.y + box.height - 76, 180, 60);
}

void MessageBox::PaintOverlay(const Osp::Graphics::Canvas& canvas) const {
    auto& painter = canvas.GetPainter();
    painter.FillRect({0, 0, 480, 800}, {0, 0, 0, 120});
    Rectangle box = BoxRect();
    painter.FillRect(box.ToIntRect(), {250, 250, 250, 255});
    painter.StrokeRect(box.ToIntRect(), {60, 60, 60, 255}, 2);
    Rectangle titleBar(box.x, box.y, box.width, 60);
    painter.FillRect(titleBar.ToIntRect(), {24, 58, 104, 255});
    pregonero::runtime::TextStyle title{
        28, {255, 255, 255, 255}, pregonero::runtime::FontWeight::Bold};
    title.vAlign = pregonero::runtime::VAlign::Middle;
    title.wrap = pregonero::runtime::TextWrap::SingleLine;
    canvas.DrawText(Rectangle(box.x + 14, box.y, box.width - 28, 60), title_, title);
    pregonero::runtime::TextStyle body{26, {20, 20, 20, 255}};
    canvas.DrawText(Rectangle(box.x + 14, box.y + 72, box.width - 28, box.height - 160), text_,
                    body);
    if (style_ != MSGBOX_STYLE_NONE) {
        Rectangle ok = OkButtonRect();
        painter.FillRect(ok.ToIntRect(), {40, 110, 200, 255});
        pregonero::runtime::TextStyle okStyle{
            28, {255, 255, 255, 255}, pregonero::runtime::FontWeight::Bold};
        okStyle.hAlign = pregonero::runtime::HAlign::Center;
        okStyle.vAlign = pregonero::runtime::VAlign::Middle;
        okStyle.wrap = pregonero::runtime::TextWrap::SingleLine;
        canvas.DrawTextUtf8(ok, "OK", okStyle);
    }
}

void MessageBox::DescribeBox(pregonero::text::JsonWriter& json) const {
    json.BeginObject();
    json.Key("title").String(title_.ToUtf8());
    json.Key("text").String(text_.ToUtf8());
    json.EndObject();
}

} // namespace Osp::Ui::Controls
