#pragma once

#include "platform/app/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/OptionMenu.h"

// The option menu of the front page and the section screens, and what its
// choices and the option key do. Both screens behave the same here.
class FormMgr;

class SectionMenu {
public:
    static constexpr int kOptionKeyAction = 100;
    static constexpr int kMoreIndex = 10;

    // The option key delivers kOptionKeyAction to `listener`.
    static void SetUpOptionKey(Osp::Ui::Controls::Form& form,
                               const Osp::Ui::IActionEventListener& listener);
    // The twelve main items and the ten under "Mas...", with `listener` told
    // of every choice. The caller owns the menu.
    static Osp::Ui::Controls::OptionMenu* CreateN(const Osp::Ui::IActionEventListener& listener);
    // The user event a menu action sends to the form manager, or -1 for none.
    static int EventForAction(int actionId);
    // The form manager on the application's frame, or null.
    static FormMgr* FindFormMgr();
    // Opens the menu (only once the screen has `loaded`), sends the section's
    // event to the form manager, or ends the application.
    static void PerformAction(int actionId, Osp::Ui::Controls::OptionMenu* optionMenu, bool loaded,
                              Osp::App::Application* app);
};
