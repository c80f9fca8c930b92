#pragma once

#include "platform/app/AppFrame.h"
#include "platform/app/AppRegistry.h"
#include "platform/app/SystemTypes.h"
#include "platform/base/IList.h"
#include "platform/base/String.h"
#include "platform/ui/UiTypes.h"

#include <memory>

namespace Osp::App {

using AppAttributeType = int;

class Application : public Osp::Base::Object {
public:
    using ApplicationInstanceFactory = Application* (*)();

    Application();
    ~Application() override;

    // Creates the application through the factory, initialises it, runs the
    // event loop until Terminate, and tears it down. One at a time.
    static result Execute(ApplicationInstanceFactory factory,
                          const Osp::Base::Collection::IList* arguments,
                          AppAttributeType attribute = 0);
    static Application* GetInstance();

    AppFrame* GetAppFrame() const { return appFrame_.get(); }
    // Ends the run: OnAppTerminating follows once the current handler returns.
    result Terminate();
    bool IsTerminating() const { return terminating_; }

    virtual Osp::Base::String GetAppName() const;
    virtual Osp::Base::String GetAppId() const;
    virtual Osp::Base::String GetAppSecret() const;
    virtual bool OnAppInitializing(AppRegistry& appRegistry) = 0;
    virtual bool OnAppTerminating(AppRegistry& appRegistry, bool urgentTermination = false) = 0;
    virtual void OnForeground();
    virtual void OnBackground();
    virtual void OnLowMemory();
    virtual void OnBatteryLevelChanged(Osp::System::BatteryLevel batteryLevel);
    virtual void OnUserEventReceivedN(Osp::Ui::RequestId requestId,
                                      Osp::Base::Collection::IList* args);

private:
    std::unique_ptr<AppFrame> appFrame_;
    bool terminating_ = false;
};

} // namespace Osp::App
