#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/IActionEventListener.h"

#include <vector>

namespace Osp::Ui::Controls {

class Form;

// The menu the option key opens: main items, and sub-items under a main item.
// It floats above its form and belongs to whoever created it.
class OptionMenu : public Osp::Ui::Control {
public:
    OptionMenu();
    ~OptionMenu() override;

    result Construct();
    result AddItem(const Osp::Base::String& text, int actionId);
    result AddSubItem(int mainIndex, const Osp::Base::String& text, int actionId);
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    void AddActionEventListener(const Osp::Ui::IActionEventListener& listener);

    // Opens the menu, but only while its show state is on.
    result Show() override;

    // The stand-in's own: state, input and painting.
    bool IsOpen() const { return open_ && GetShowState(); }
    void Close();
    // Chooses the item TEXT among the items shown (sub-items first when a
    // sub-menu is open). Returns false when there is no such item.
    bool Choose(const Osp::Base::String& text);
    // Chooses the item at `index` of the level shown.
    bool ChooseAt(int index);
    bool HandleKey(pregonero::ui::Key key) override;
    void PaintOverlay(const Osp::Graphics::Canvas& canvas,
                      const Osp::Graphics::Rectangle& area) const;
    // Item at a screen point, laid out in `area`; -1 for none.
    int HitTest(const Osp::Graphics::Rectangle& area, int x, int y) const;
    void DescribeMenu(pregonero::text::JsonWriter& json) const;
    void DetachFromForm() { owner_ = nullptr; }
    const char* TypeName() const override { return "OptionMenu"; }

private:
    struct Item {
        Osp::Base::String text;
        int actionId = -1;
        std::vector<Item> subItems;
    };
    const std::vector<Item>& Shown() const;
    Osp::Graphics::Rectangle ItemRect(const Osp::Graphics::Rectangle& area, int index) const;
    void Activate(const Item& item, int index);

    std::vector<Item> items_;
    const Osp::Ui::IActionEventListener* listener_ = nullptr;
    Form* owner_ = nullptr;
    bool open_ = false;
    int openSub_ = -1;
    int focus_ = 0;
};

} // namespace Osp::Ui::Controls
