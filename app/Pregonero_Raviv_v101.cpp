#include "app/Pregonero_Raviv_v101.h"

#include "nav/FormMgr.h"

using namespace Osp::App;
using namespace Osp::Ui::Controls;

Pregonero_Raviv_v101::Pregonero_Raviv_v101() {}

Pregonero_Raviv_v101::~Pregonero_Raviv_v101() {}

Application* Pregonero_Raviv_v101::CreateInstance() {
    return new Pregonero_Raviv_v101();
}

bool Pregonero_Raviv_v101::OnAppInitializing(AppRegistry&) {
    FormMgr* pFormMgr = new FormMgr();
    pFormMgr->app = this;
    pFormMgr->Initialize();
    Frame* pFrame = GetAppFrame()->GetFrame();
    pFrame->AddControl(*pFormMgr);
    pFormMgr->SetStarterForm(100, nullptr);
    return true;
}

bool Pregonero_Raviv_v101::OnAppTerminating(AppRegistry&, bool) {
    return true;
}

void Pregonero_Raviv_v101::OnForeground() {}

void Pregonero_Raviv_v101::OnBackground() {}

void Pregonero_Raviv_v101::OnLowMemory() {}

void Pregonero_Raviv_v101::OnBatteryLevelChanged(Osp::System::BatteryLevel) {}

void Pregonero_Raviv_v101::OnScreenOn() {}

void Pregonero_Raviv_v101::OnScreenOff() {}
