#include "platform/driver/DesktopKeys.h"

#include "platform/app/AppRunner.h"
#include "platform/app/Application.h"
#include "platform/runtime/Runtime.h"
#include "platform/runtime/rendering/Painter.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"
#include "platform/ui/ScreenComposer.h"

#include <array>
#include <utility>

namespace pregonero::platform {

using Osp::Ui::Controls::CustomList;

namespace {

bool MovesDown(ui::Key key) {
    return key == ui::Key::Down || key == ui::Key::PageDown;
}

bool InTallRow(const CustomList& list) {
    const auto* row = list.GetItemAt(list.GetFocusedIndex());
    return row != nullptr && row->GetHeight() > list.GetBounds().height;
}

} // namespace

CustomList* DesktopKeys::ListOnScreen() {
    Osp::Ui::Controls::Frame* frame = CurrentFrame();
    if (frame == nullptr || Osp::Ui::Controls::MessageBox::Top() != nullptr) {
        return nullptr;
    }
    Osp::Ui::Controls::Form* form = frame->GetCurrentForm();
    if (form == nullptr) {
        return nullptr;
    }
    const auto* menu = form->GetAttachedOptionMenu();
    if (menu != nullptr && menu->IsOpen()) {
        return nullptr;
    }
    // The topmost shown list takes the keys first, as Form::HandleKey asks.
    for (int i = form->GetControlCount() - 1; i >= 0; --i) {
        auto* list = dynamic_cast<CustomList*>(form->GetControlAt(i));
        if (list != nullptr && list->GetShowState()) {
            return list;
        }
    }
    return nullptr;
}

bool DesktopKeys::Step(CustomList* list, ui::Key key, const ViewCheck& worthShowing) {
    Osp::Ui::Controls::Frame* frame = CurrentFrame();
    if (frame == nullptr) {
        return false;
    }
    if (list == nullptr) {
        return ui::ScreenComposer::HandleKey(*frame, key);
    }
    const int focus = list->GetFocusedIndex();
    const int scroll = list->GetScrollY();
    ui::ScreenComposer::HandleKey(*frame, key);
    // Arrow and page keys never change screens, so the list is still there.
    // Only a row taller than the view can fill it with nothing, so only then
    // is the front end asked (it may have to draw the whole screen to know).
    if (MovesDown(key) && worthShowing && InTallRow(*list) && !worthShowing(*list)) {
        list->SetFocusedIndex(focus);
        list->SetScrollY(scroll);
        return false;
    }
    return list->GetFocusedIndex() != focus || list->GetScrollY() != scroll;
}

void DesktopKeys::Press(ui::Key key, const ViewCheck& worthShowing) {
    Step(ListOnScreen(), key, worthShowing);
}

void DesktopKeys::PageToEnd(int direction, const ViewCheck& worthShowing) {
    const ui::Key key = direction < 0 ? ui::Key::PageUp : ui::Key::PageDown;
    CustomList* list = ListOnScreen();
    if (list == nullptr) {
        Step(nullptr, key, worthShowing);
        return;
    }
    // Every page moves the view or, once it cannot, the focus to the end
    // row; a list of n rows and h pixels is done within n + h pages.
    const long long bound = list->GetItemCount() + list->GetContentHeight() + 2;
    for (long long i = 0; i < bound && Step(list, key, worthShowing); ++i) {
    }
    // Paging stops a whole view short of a view the front end refuses; the
    // arrow, which reads on through a tall row by half views, gets closer.
    const ui::Key arrow = direction < 0 ? ui::Key::Up : ui::Key::Down;
    for (long long i = 0; i < bound && Step(list, arrow, worthShowing); ++i) {
    }
}

void DesktopKeys::Perform(const KeyCommand& command, bool& helpShown,
                          const ViewCheck& worthShowing) {
    if (helpShown || command.kind == KeyCommand::Kind::Help) {
        helpShown = !helpShown;
        runtime::Runtime::Get().Loop().RequestRedraw();
        return;
    }
    switch (command.kind) {
    case KeyCommand::Kind::Handset:
        Press(command.key, worthShowing);
        break;
    case KeyCommand::Kind::First:
    case KeyCommand::Kind::Last:
        PageToEnd(command.kind == KeyCommand::Kind::First ? -1 : 1, worthShowing);
        break;
    case KeyCommand::Kind::Quit:
        if (auto* app = Osp::App::Application::GetInstance()) {
            app->Terminate();
        }
        break;
    default:
        break;
    }
}

void DesktopKeys::PaintHelp(runtime::Painter& painter) {
    static constexpr std::array<std::pair<const char*, const char*>, 9> kLines{{
        {"Up, Down, k, j", "Previous, next row"},
        {"PgUp, PgDn", "Page up, page down"},
        {"Shift-Space, Space", "Page up, page down"},
        {"Home, End", "First, last row"},
        {"Enter", "Open"},
        {"Esc, Backspace, F1", "Atras"},
        {"Tab, F2", "Option menu"},
        {"q, Ctrl-Q", "Quit"},
        {"?", "These keys"},
    }};
    constexpr int kPitch = 56;
    constexpr int kTitle = 64;
    const int top = (800 - kTitle - kPitch * static_cast<int>(kLines.size())) / 2;
    painter.FillRect({16, top - 16, 448, kTitle + kPitch * static_cast<int>(kLines.size()) + 32},
                     {24, 24, 24, 255});
    painter.StrokeRect({16, top - 16, 448, kTitle + kPitch * static_cast<int>(kLines.size()) + 32},
                       {120, 160, 220, 255}, 2);
    runtime::TextStyle title{30, {255, 255, 255, 255}, runtime::FontWeight::Bold};
    title.hAlign = runtime::HAlign::Center;
    title.wrap = runtime::TextWrap::SingleLine;
    painter.DrawText({32, top, 416, kTitle - 16}, "Keys", title);
    runtime::TextStyle keys{22, {150, 200, 255, 255}, runtime::FontWeight::Bold};
    keys.wrap = runtime::TextWrap::SingleLine;
    runtime::TextStyle what{22, {235, 235, 235, 255}};
    what.wrap = runtime::TextWrap::SingleLine;
    for (std::size_t i = 0; i < kLines.size(); ++i) {
        const int y = top + kTitle + kPitch * static_cast<int>(i);
        painter.DrawText({32, y, 216, kPitch - 16}, kLines[i].first, keys);
        painter.DrawText({256, y, 192, kPitch - 16}, kLines[i].second, what);
    }
}

} // namespace pregonero::platform
