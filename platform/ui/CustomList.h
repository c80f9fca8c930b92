#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/CustomListItem.h"
#include "platform/ui/ICustomItemEventListener.h"

#include <memory>
#include <vector>

namespace Osp::Ui::Controls {

enum CustomListStyle { CUSTOM_LIST_STYLE_NORMAL = 0 };

// A scrolling list of rows of any height. The list owns its rows; it draws
// only the rows in view, each clipped to itself, over a highlight for the
// focused one. Row tops are kept as a prefix sum so finding the first row in
// view is a binary search however long the list is.
class CustomList : public Osp::Ui::Control {
public:
    CustomList();
    ~CustomList() override;

    result Construct(const Osp::Graphics::Rectangle& bounds, CustomListStyle style,
                     bool itemDivider = true);
    // Takes ownership of `item` on success; `item` must have been constructed.
    result AddItem(const CustomListItem& item, int itemId = -1);
    result RemoveAllItems();
    int GetItemCount() const { return static_cast<int>(rows_.size()); }
    const CustomListItem* GetItemAt(int index) const;
    CustomListItem* GetItemAt(int index);
    int GetItemIdAt(int index) const;
    void AddCustomItemEventListener(const Osp::Ui::ICustomItemEventListener& listener);

    // The stand-in's own: focus and scrolling, in pixels from the list's top.
    int GetFocusedIndex() const { return focused_; }
    void SetFocusedIndex(int index);
    int GetScrollY() const { return scrollY_; }
    void SetScrollY(int y);
    int GetContentHeight() const { return static_cast<int>(tops_.back()); }
    // Position of the row under y (content coordinates), or -1.
    int RowAtY(long long y) const;

    void Paint(const Osp::Graphics::Canvas& canvas) const override;
    const char* TypeName() const override { return "CustomList"; }
    void Describe(pregonero::text::JsonWriter& json) const override;
    bool HandleKey(pregonero::ui::Key key) override;
    bool ActivateRowAt(int position) override;

private:
    struct Row {
        std::unique_ptr<CustomListItem> item;
        int itemId = -1;
    };
    int ViewHeight() const { return GetBounds().height; }
    int MaxScroll() const;
    long long RowTop(int index) const { return tops_[static_cast<std::size_t>(index)]; }
    long long RowBottom(int index) const { return tops_[static_cast<std::size_t>(index) + 1]; }
    void KeepFocusedVisible();
    void MoveFocus(int step);
    void Page(int direction);
    void Select(int index);
    void PaintRow(const Osp::Graphics::Canvas& canvas, int index, int top) const;

    bool divider_ = true;
    std::vector<Row> rows_;
    std::vector<long long> tops_{0}; // tops_[i] = top of row i; back() = total height
    std::vector<const Osp::Ui::ICustomItemEventListener*> listeners_;
    int focused_ = -1;
    int scrollY_ = 0;
    // Selection handlers may destroy the list; they hold a weak view of this.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace Osp::Ui::Controls
