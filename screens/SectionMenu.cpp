#include "screens/SectionMenu.h"

#include "nav/FormMgr.h"
#include "platform/app/AppFrame.h"
#include "platform/ui/Frame.h"

using Osp::Ui::Controls::OptionMenu;

namespace {

struct MenuEntry {
    const wchar_t* text;
    int actionId;
};

// Display order; the ids, not the positions, say which section opens.
constexpr MenuEntry kMainItems[] = {
    {L"Primera", 200},  {L"Mexico", 201},  {L"Mundo", 202},    {L"Estados", 203},
    {L"DF", 204},       {L"EdoMex", 205},  {L"Vialidad", 206}, {L"Cartera", 207},
    {L"Deportes", 208}, {L"Showbis", 209}, {L"Mas...", 211},   {L"Salir", 221},
};

constexpr MenuEntry kMoreItems[] = {
    {L"Fotogaleria", 220},    {L"Minuto x Minuto", 219}, {L"Estilos", 210}, {L"Tecno", 212},
    {L"Letras + Artes", 214}, {L"Autopistas", 215},      {L"Ciencia", 216}, {L"Destinos", 213},
    {L"Sociedad", 217},       {L"Opinion", 218},
};

constexpr int kExitAction = 221;

} // namespace

FormMgr* SectionMenu::FindFormMgr() {
    Osp::App::Application* application = Osp::App::Application::GetInstance();
    if (application == nullptr || application->GetAppFrame() == nullptr) {
        return nullptr;
    }
    Osp::Ui::Controls::Frame* frame = application->GetAppFrame()->GetFrame();
    return frame == nullptr ? nullptr
                            : dynamic_cast<FormMgr*>(frame->GetControl(L"FormMgr", false));
}

void SectionMenu::SetUpOptionKey(Osp::Ui::Controls::Form& form,
                                 const Osp::Ui::IActionEventListener& listener) {
    form.SetOptionkeyActionId(kOptionKeyAction);
    form.AddOptionkeyActionListener(listener);
}

OptionMenu* SectionMenu::CreateN(const Osp::Ui::IActionEventListener& listener) {
    auto* menu = new OptionMenu();
    menu->Construct();
    for (const MenuEntry& entry : kMainItems) {
        menu->AddItem(entry.text, entry.actionId);
    }
    for (const MenuEntry& entry : kMoreItems) {
        menu->AddSubItem(kMoreIndex, entry.text, entry.actionId);
    }
    menu->AddActionEventListener(listener);
    return menu;
}

int SectionMenu::EventForAction(int actionId) {
    if (actionId >= 200 && actionId <= 210) {
        return actionId - 100;
    }
    if (actionId >= 212 && actionId <= 220) {
        return actionId - 101;
    }
    return -1;
}

void SectionMenu::PerformAction(int actionId, OptionMenu* optionMenu, bool loaded,
                                Osp::App::Application* app) {
    if (actionId == kOptionKeyAction) {
        if (optionMenu != nullptr) {
            optionMenu->SetShowState(true);
            if (loaded) {
                optionMenu->Show();
            }
        }
        return;
    }
    if (actionId == kExitAction) {
        if (app != nullptr) {
            app->Terminate();
        }
        return;
    }
    const int event = EventForAction(actionId);
    FormMgr* formMgr = event < 0 ? nullptr : FindFormMgr();
    if (formMgr != nullptr) {
        formMgr->SendUserEvent(event, nullptr);
    }
}
