#include "platform/ui/CustomList.h"

#include "platform/base/JsonWriter.h"

#include <algorithm>
#include <utility>

namespace Osp::Ui::Controls {

using Osp::Graphics::Canvas;
using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;
using pregonero::ui::Key;

namespace {

// White under the rows, so their translucent white backgrounds read as white;
// a dark blue under the focused row, so its white text reads.
const Color kListBackground(255, 255, 255);
const Color kHighlight(0, 40, 120);
const Color kDivider(190, 190, 190);

} // namespace

CustomList::CustomList() = default;
CustomList::~CustomList() = default;

result CustomList::Construct(const Rectangle& bounds, CustomListStyle, bool itemDivider) {
    divider_ = itemDivider;
    return SetBounds(bounds);
}

result CustomList::AddItem(const CustomListItem& item, int itemId) {
    if (!item.IsConstructed() || item.inList_) {
        return E_INVALID_ARG;
    }
    auto* owned = const_cast<CustomListItem*>(&item);
    owned->inList_ = true;
    rows_.push_back(Row{std::unique_ptr<CustomListItem>(owned), itemId});
    tops_.push_back(tops_.back() + item.GetHeight());
    RequestRedraw(true);
    return E_SUCCESS;
}

result CustomList::RemoveAllItems() {
    rows_.clear();
    tops_.assign(1, 0);
    focused_ = -1;
    scrollY_ = 0;
    RequestRedraw(true);
    return E_SUCCESS;
}

const CustomListItem* CustomList::GetItemAt(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return nullptr;
    }
    return rows_[static_cast<std::size_t>(index)].item.get();
}

CustomListItem* CustomList::GetItemAt(int index) {
    return const_cast<CustomListItem*>(std::as_const(*this).GetItemAt(index));
}

int CustomList::GetItemIdAt(int index) const {
    if (index < 0 || index >= GetItemCount()) {
        return -1;
    }
    return rows_[static_cast<std::size_t>(index)].itemId;
}

void CustomList::AddCustomItemEventListener(const Osp::Ui::ICustomItemEventListener& listener) {
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end()) {
        listeners_.push_back(&listener);
    }
}

int CustomList::MaxScroll() const {
    return static_cast<int>(std::max<long long>(0, tops_.back() - ViewHeight()));
}

void CustomList::SetScrollY(int y) {
    scrollY_ = std::clamp(y, 0, MaxScroll());
    RequestRedraw(true);
}

void CustomList::SetFocusedIndex(int index) {
    focused_ = index >= 0 && index < GetItemCount() ? index : -1;
    KeepFocusedVisible();
    RequestRedraw(true);
}

int CustomList::RowAtY(long long y) const {
    if (y < 0 || y >= tops_.back()) {
        return -1;
    }
    // The last top not after y is the row that holds it.
    auto it = std::upper_bound(tops_.begin(), tops_.end(), y);
    return static_cast<int>(it - tops_.begin()) - 1;
}

void CustomList::KeepFocusedVisible() {
    if (focused_ < 0) {
        return;
    }
    long long top = RowTop(focused_);
    long long bottom = RowBottom(focused_);
    long long view = ViewHeight();
    long long y = scrollY_;
    // A row taller than the view shows its near end: the top when reached
    // from above, the bottom when reached from below.
    if (bottom - top >= view && top <= y && y + view <= bottom) {
        return; // the view lies inside the row: the reader is part-way through it
    }
    if (top < y) {
        y = std::max(top, bottom - view);
    } else if (bottom > y + view) {
        y = std::min(top, bottom - view);
    }
    scrollY_ = static_cast<int>(std::clamp<long long>(y, 0, MaxScroll()));
}

void CustomList::MoveFocus(int step) {
    int view = ViewHeight();
    if (focused_ < 0) {
        focused_ = std::max(0, RowAtY(scrollY_));
    } else if (step > 0 && RowBottom(focused_) > scrollY_ + view) {
        // Read on through a tall row before leaving it.
        scrollY_ = static_cast<int>(
            std::min<long long>(scrollY_ + std::max(1, view / 2), RowBottom(focused_) - view));
    } else if (step < 0 && RowTop(focused_) < scrollY_) {
        scrollY_ = static_cast<int>(
            std::max<long long>(scrollY_ - std::max(1, view / 2), RowTop(focused_)));
    } else {
        focused_ = std::clamp(focused_ + step, 0, GetItemCount() - 1);
    }
    KeepFocusedVisible();
}

void CustomList::Page(int direction) {
    int before = scrollY_;
    scrollY_ = std::clamp(scrollY_ + direction * ViewHeight(), 0, MaxScroll());
    if (scrollY_ == before) {
        focused_ = direction > 0 ? GetItemCount() - 1 : 0;
        KeepFocusedVisible();
        return;
    }
    // Focus the first row that starts in view, else the one cut by the top.
    int index = RowAtY(scrollY_);
    if (RowTop(index) < scrollY_ && index + 1 < GetItemCount() &&
        RowTop(index + 1) < scrollY_ + ViewHeight()) {
        ++index;
    }
    focused_ = index;
}

bool CustomList::HandleKey(Key key) {
    if (rows_.empty()) {
        return false;
    }
    switch (key) {
    case Key::Up:
        MoveFocus(-1);
        break;
    case Key::Down:
        MoveFocus(1);
        break;
    case Key::PageUp:
        Page(-1);
        break;
    case Key::PageDown:
        Page(1);
        break;
    case Key::Enter:
        if (focused_ < 0) {
            return false;
        }
        RequestRedraw(true);
        Select(focused_);
        return true; // the handler may have destroyed this list
    default:
        return false;
    }
    RequestRedraw(true);
    return true;
}

bool CustomList::ActivateRowAt(int position) {
    if (position < 0 || position >= GetItemCount()) {
        return false;
    }
    SetFocusedIndex(position);
    Select(position);
    return true;
}

void CustomList::Select(int index) {
    // Copy everything first: a listener may switch screens and destroy us.
    int itemId = GetItemIdAt(index);
    std::vector<const Osp::Ui::ICustomItemEventListener*> listeners = listeners_;
    std::weak_ptr<char> alive = alive_;
    for (const auto* listener : listeners) {
        if (alive.expired()) {
            return;
        }
        const_cast<Osp::Ui::ICustomItemEventListener*>(listener)->OnItemStateChanged(
            *this, index, itemId, Osp::Ui::ITEM_SELECTED);
    }
}

void CustomList::Paint(const Canvas& canvas) const {
    Rectangle bounds = GetBounds();
    canvas.FillRectangle(kListBackground, Rectangle(0, 0, bounds.width, bounds.height));
    int first = RowAtY(scrollY_);
    if (first < 0) {
        return;
    }
    for (int i = first; i < GetItemCount(); ++i) {
        long long top = RowTop(i) - scrollY_;
        if (top >= bounds.height) {
            break;
        }
        PaintRow(canvas, i, static_cast<int>(top));
    }
}

void CustomList::PaintRow(const Canvas& canvas, int index, int top) const {
    const CustomListItem& item = *rows_[static_cast<std::size_t>(index)].item;
    int width = GetBounds().width;
    Rectangle rowRect(0, top, width, item.GetHeight());
    bool focused = index == focused_;
    if (focused) {
        canvas.FillRectangle(kHighlight, rowRect);
    }
    pregonero::runtime::ClipScope clip(canvas.GetPainter(), canvas.ToScreen(rowRect));
    Canvas rowCanvas(canvas.GetPainter(), canvas.OriginX(), canvas.OriginY() + top);
    item.PaintElements(rowCanvas,
                       focused ? CUSTOM_LIST_ITEM_STATUS_FOCUSED : CUSTOM_LIST_ITEM_STATUS_NORMAL);
    if (divider_) {
        // On the row's own last line, so it never covers the next row's text.
        canvas.FillRectangle(kDivider, Rectangle(0, top + item.GetHeight() - 1, width, 1));
    }
}

void CustomList::Describe(pregonero::text::JsonWriter& json) const {
    json.BeginObject();
    DescribeCommon(json);
    json.Key("focusedIndex").Int(focused_);
    json.Key("scrollY").Int(scrollY_);
    json.Key("itemDivider").Bool(divider_);
    json.Key("items").BeginArray();
    for (int i = 0; i < GetItemCount(); ++i) {
        const Row& row = rows_[static_cast<std::size_t>(i)];
        json.BeginObject();
        json.Key("index").Int(i);
        json.Key("itemId").Int(row.itemId);
        json.Key("height").Int(row.item->GetHeight());
        json.Key("elements");
        row.item->DescribeElements(json);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

} // namespace Osp::Ui::Controls
