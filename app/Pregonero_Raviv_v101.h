#pragma once

#include "platform/app/Application.h"
#include "platform/app/SystemTypes.h"

// The application object: it builds the form manager and asks it for the
// front page; everything after that happens in the forms.
class Pregonero_Raviv_v101 : public Osp::App::Application,
                             public Osp::System::IScreenEventListener {
public:
    Pregonero_Raviv_v101();
    ~Pregonero_Raviv_v101() override;

    static Osp::App::Application* CreateInstance();

    bool OnAppInitializing(Osp::App::AppRegistry& appRegistry) override;
    bool OnAppTerminating(Osp::App::AppRegistry& appRegistry,
                          bool urgentTermination = false) override;
    void OnForeground() override;
    void OnBackground() override;
    void OnLowMemory() override;
    void OnBatteryLevelChanged(Osp::System::BatteryLevel batteryLevel) override;
    void OnScreenOn() override;
    void OnScreenOff() override;
};
