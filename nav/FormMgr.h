#pragma once

#include "platform/app/Application.h"
#include "platform/ui/Form.h"

class Pregonero_Raviv_v101;

// The invisible form that builds every screen: user events 100 to 121 name
// the screen to build; the one shown before is removed once the new one is up.
class FormMgr : public Osp::Ui::Controls::Form {
public:
    FormMgr();
    ~FormMgr() override;

    bool Initialize();
    bool SetStarterForm(long requestId, Osp::Base::Collection::IList* pArgs);
    void OnUserEventReceivedN(Osp::Ui::RequestId requestId,
                              Osp::Base::Collection::IList* pArgs) override;

    long currentFormId;
    Pregonero_Raviv_v101* app;
    Osp::Ui::Controls::Form* currentForm;
    Osp::Base::String linkUrl;

private:
    void SwitchToForm(Osp::Ui::RequestId requestId, Osp::Base::Collection::IList* pArgs);
};
