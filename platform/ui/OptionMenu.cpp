#include "platform/ui/OptionMenu.h"

#include "platform/base/JsonWriter.h"
#include "platform/ui/Form.h"

namespace Osp::Ui::Controls {

using Osp::Graphics::Rectangle;
using pregonero::ui::Key;

namespace {
constexpr int kColumns = 2;
constexpr int kItemHeight = 64;
} // namespace

OptionMenu::OptionMenu() = default;

OptionMenu::~OptionMenu() {
    if (owner_ != nullptr && owner_->GetAttachedOptionMenu() == this) {
        owner_->AttachOptionMenu(nullptr);
    }
}

result OptionMenu::Construct() {
    SetShowState(false);
    return E_SUCCESS;
}

result OptionMenu::AddItem(const Osp::Base::String& text, int actionId) {
    items_.push_back(Item{text, actionId, {}});
    return E_SUCCESS;
}

result OptionMenu::AddSubItem(int mainIndex, const Osp::Base::String& text, int actionId) {
    if (mainIndex < 0 || mainIndex >= GetItemCount()) {
        return E_OUT_OF_RANGE;
    }
    items_[static_cast<std::size_t>(mainIndex)].subItems.push_back(Item{text, actionId, {}});
    return E_SUCCESS;
}

void OptionMenu::AddActionEventListener(const Osp::Ui::IActionEventListener& listener) {
    listener_ = &listener;
    // A screen is its own listener: that is how the menu knows its form.
    auto* form = dynamic_cast<Form*>(const_cast<Osp::Ui::IActionEventListener*>(&listener));
    if (form != nullptr) {
        if (owner_ != nullptr && owner_ != form && owner_->GetAttachedOptionMenu() == this) {
            owner_->AttachOptionMenu(nullptr);
        }
        owner_ = form;
        form->AttachOptionMenu(this);
    }
}

result OptionMenu::Show() {
    if (GetShowState()) {
        open_ = true;
        openSub_ = -1;
        focus_ = 0;
    }
    return Control::Show();
}

void OptionMenu::Close() {
    open_ = false;
    openSub_ = -1;
    RequestRedraw(true);
}

const std::vector<OptionMenu::Item>& OptionMenu::Shown() const {
    return openSub_ >= 0 ? items_[static_cast<std::size_t>(openSub_)].subItems : items_;
}

bool OptionMenu::Choose(const Osp::Base::String& text) {
    if (!IsOpen()) {
        return false;
    }
    const auto& shown = Shown();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].text == text) {
            return ChooseAt(static_cast<int>(i));
        }
    }
    if (openSub_ >= 0) {
        // A main item may still be chosen while a sub-menu is open.
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].text == text) {
                openSub_ = -1;
                return ChooseAt(static_cast<int>(i));
            }
        }
    }
    return false;
}

bool OptionMenu::ChooseAt(int index) {
    const auto& shown = Shown();
    if (!IsOpen() || index < 0 || index >= static_cast<int>(shown.size())) {
        return false;
    }
    Item item = shown[static_cast<std::size_t>(index)];
    Activate(item, index);
    return true;
}

void OptionMenu::Activate(const Item& item, int index) {
    if (openSub_ < 0 && !item.subItems.empty()) {
        openSub_ = index;
        focus_ = 0;
        RequestRedraw(true);
        return;
    }
    Close();
    if (listener_ != nullptr) {
        const_cast<Osp::Ui::IActionEventListener*>(listener_)->OnActionPerformed(*this,
                                                                                 item.actionId);
    }
}

bool OptionMenu::HandleKey(Key key) {
    if (!IsOpen()) {
        return false;
    }
    int count = static_cast<int>(Shown().size());
    switch (key) {
    case Key::Up:
        focus_ = focus_ - kColumns >= 0 ? focus_ - kColumns : focus_;
        break;
    case Key::Down:
        focus_ = focus_ + kColumns < count ? focus_ + kColumns : focus_;
        break;
    case Key::Left:
        focus_ = focus_ > 0 ? focus_ - 1 : focus_;
        break;
    case Key::Right:
        focus_ = focus_ + 1 < count ? focus_ + 1 : focus_;
        break;
    case Key::Enter:
        ChooseAt(focus_);
        return true;
    case Key::Softkey0:
    case Key::Softkey1:
    case Key::Back:
    case Key::OptionKey:
        if (openSub_ >= 0) {
            focus_ = openSub_;
            openSub_ = -1;
            RequestRedraw(true);
        } else {
            Close();
        }
        return true;
    default:
        return true;
    }
    RequestRedraw(true);
    return true;
}

Rectangle OptionMenu::ItemRect(const Rectangle& area, int index) const {
    int count = static_cast<int>(Shown().size());
    int rows = (count + kColumns - 1) / kColumns;
    int top = area.y + area.height - rows * kItemHeight;
    int width = area.width / kColumns;
    return Rectangle(area.x + (index % kColumns) * width, top + (index / kColumns) * kItemHeight,
                     width, kItemHeight);
}

int OptionMenu::HitTest(const Rectangle& area, int x, int y) const {
    int count = static_cast<int>(Shown().size());
    for (int i = 0; i < count; ++i) {
        if (ItemRect(area, i).ToIntRect().Contains(x, y)) {
            return i;
        }
    }
    return -1;
}

void OptionMenu::PaintOverlay(const Osp::Graphics::Canvas& canvas, const Rectangle& area) const {
    const auto& shown = Shown();
    int count = static_cast<int>(shown.size());
    if (count == 0) {
        return;
    }
    auto& painter = canvas.GetPainter();
    Rectangle first = ItemRect(area, 0);
    Rectangle panel(area.x, first.y - 8, area.width, area.y + area.height - first.y + 8);
    painter.FillRect(canvas.ToScreen(panel), {28, 28, 28, 240});
    pregonero::runtime::TextStyle style{28, {255, 255, 255, 255}};
    style.hAlign = pregonero::runtime::HAlign::Center;
    style.vAlign = pregonero::runtime::VAlign::Middle;
    style.wrap = pregonero::runtime::TextWrap::SingleLine;
    for (int i = 0; i < count; ++i) {
        Rectangle r = ItemRect(area, i);
        Rectangle face(r.x + 4, r.y + 4, r.width - 8, r.height - 8);
        bool focused = i == focus_;
        painter.FillRect(canvas.ToScreen(face), focused
                                                    ? pregonero::runtime::Rgba{40, 110, 200, 255}
                                                    : pregonero::runtime::Rgba{60, 60, 60, 255});
        std::string label = shown[static_cast<std::size_t>(i)].text.ToUtf8();
        if (!shown[static_cast<std::size_t>(i)].subItems.empty()) {
            label += " \u25B8";
        }
        canvas.DrawTextUtf8(face, label, style);
    }
}

void OptionMenu::DescribeMenu(pregonero::text::JsonWriter& json) const {
    json.BeginObject();
    json.Key("shown").Bool(IsOpen());
    json.Key("openSubMenu").Int(IsOpen() ? openSub_ : -1);
    json.Key("items").BeginArray();
    for (const auto& item : items_) {
        json.BeginObject();
        json.Key("text").String(item.text.ToUtf8());
        json.Key("actionId").Int(item.actionId);
        json.Key("subItems").BeginArray();
        for (const auto& sub : item.subItems) {
            json.BeginObject();
            json.Key("text").String(sub.text.ToUtf8());
            json.Key("actionId").Int(sub.actionId);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

} // namespace Osp::Ui::Controls
