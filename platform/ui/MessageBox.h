#pragma once

#include "platform/ui/Control.h"

namespace Osp::Ui::Controls {

enum MessageBoxStyle {
    MSGBOX_STYLE_NONE = 0,
    MSGBOX_STYLE_OK = 1,
};

enum MessageBoxModalResult { MSGBOX_RESULT_CLOSE = 0, MSGBOX_RESULT_OK = 1 };

// A modal box. ShowAndWait runs a nested loop that handles only input and
// drawing; every other queued task waits until the box is closed.
class MessageBox : public Osp::Ui::Control {
public:
    MessageBox();
    ~MessageBox() override;

    result Construct(const Osp::Base::String& title, const Osp::Base::String& text,
                     MessageBoxStyle style, unsigned long timeout);
    result ShowAndWait(int& modalResult);

    Osp::Base::String GetText() const { return text_; }

    // The stand-in's own: the box on top, its OK button, painting.
    static MessageBox* Top();
    void PressOk();
    bool HandleKey(pregonero::ui::Key key) override;
    void PaintOverlay(const Osp::Graphics::Canvas& canvas) const;
    Osp::Graphics::Rectangle OkButtonRect() const;
    void DescribeBox(pregonero::text::JsonWriter& json) const;
    const char* TypeName() const override { return "MessageBox"; }

private:
    Osp::Graphics::Rectangle BoxRect() const;

    Osp::Base::String title_;
    Osp::Base::String text_;
    MessageBoxStyle style_ = MSGBOX_STYLE_OK;
    unsigned long timeoutMs_ = 0;
    bool closed_ = false;
    int result_ = MSGBOX_RESULT_CLOSE;
};

} // namespace Osp::Ui::Controls
