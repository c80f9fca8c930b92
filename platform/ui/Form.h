#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Container.h"
#include "platform/ui/IActionEventListener.h"

namespace Osp::Ui::Controls {

class OptionMenu;

enum FormStyle {
    FORM_STYLE_NORMAL = 0x00,
    FORM_STYLE_TITLE = 0x01,
    FORM_STYLE_INDICATOR = 0x02,
    FORM_STYLE_SOFTKEY_0 = 0x10,
    FORM_STYLE_SOFTKEY_1 = 0x20,
    FORM_STYLE_OPTIONKEY = 0x40,
};

enum Softkey { SOFTKEY_0 = 0, SOFTKEY_1 = 1, SOFTKEY_COUNT = 2 };

// Heights of the bars a form's style switches on, on a 480 × 800 screen.
struct FormMetrics {
    static constexpr int kScreenWidth = 480;
    static constexpr int kScreenHeight = 800;
    static constexpr int kIndicatorHeight = 38;
    static constexpr int kTitleHeight = 72;
    static constexpr int kSoftkeyBarHeight = 72;
    static constexpr int kOptionKeyWidth = 120;
};

class Form : public Osp::Ui::Container {
public:
    Form();
    ~Form() override;

    result Construct(unsigned long formStyle);
    result SetTitleText(const Osp::Base::String& title,
                        Osp::Ui::HorizontalAlignment align = Osp::Ui::ALIGNMENT_CENTER);
    result SetBackgroundColor(const Osp::Graphics::Color& color);
    Osp::Graphics::Color GetBackgroundColor() const { return background_; }

    result SetSoftkeyText(Softkey softkey, const Osp::Base::String& text);
    result SetSoftkeyActionId(Softkey softkey, int actionId);
    result AddSoftkeyActionListener(Softkey softkey, const Osp::Ui::IActionEventListener& listener);
    result SetSoftkeyEnabled(Softkey softkey, bool enable);
    bool IsSoftkeyEnabled(Softkey softkey) const;
    bool HasSoftkey(Softkey softkey) const;

    void SetOptionkeyActionId(int actionId);
    void AddOptionkeyActionListener(const Osp::Ui::IActionEventListener& listener);
    bool HasOptionkey() const { return (style_ & FORM_STYLE_OPTIONKEY) != 0; }

    Osp::Graphics::Rectangle GetClientAreaBounds() const;

    virtual result OnInitializing();
    virtual result OnTerminating();

    // The stand-in's own: input, painting, the menu this form opens.
    // Presses softkey `softkey`; a disabled or missing softkey does nothing.
    void PressSoftkey(int softkey);
    void PressOptionKey();
    void AttachOptionMenu(OptionMenu* menu) { menu_ = menu; }
    OptionMenu* GetAttachedOptionMenu() const { return menu_; }

    Osp::Graphics::Point ChildOrigin() const override;
    void Paint(const Osp::Graphics::Canvas& canvas) const override;
    const char* TypeName() const override { return "Form"; }
    void DescribeForm(pregonero::text::JsonWriter& json) const;
    bool HandleKey(pregonero::ui::Key key) override;

    // Rectangles of the bars on screen, for painting and for mouse hits.
    Osp::Graphics::Rectangle SoftkeyRect(Softkey softkey) const;
    Osp::Graphics::Rectangle OptionKeyRect() const;

private:
    struct SoftkeyState {
        Osp::Base::String text;
        int actionId = -1;
        bool enabled = true;
        const Osp::Ui::IActionEventListener* listener = nullptr;
    };
    int TopInset() const;
    int BottomInset() const;
    void PaintBars(const Osp::Graphics::Canvas& canvas) const;

    unsigned long style_ = 0;
    Osp::Base::String title_;
    Osp::Ui::HorizontalAlignment titleAlign_ = Osp::Ui::ALIGNMENT_CENTER;
    Osp::Graphics::Color background_{0, 0, 0};
    SoftkeyState softkeys_[SOFTKEY_COUNT];
    int optionKeyAction_ = -1;
    const Osp::Ui::IActionEventListener* optionKeyListener_ = nullptr;
    OptionMenu* menu_ = nullptr;
};

} // namespace Osp::Ui::Controls
