#include "nav/FormMgr.h"

#include "app/Pregonero_Raviv_v101.h"
#include "nav/SectionCatalogue.h"
#include "net/FeedServerAddress.h"
#include "screens/FormFotogaleria.h"
#include "screens/FormNota.h"
#include "screens/FormPortada.h"
#include "screens/FormSeccion.h"

using namespace Osp::App;
using namespace Osp::Base;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

FormMgr::FormMgr() : app(nullptr), currentForm(nullptr) {}

FormMgr::~FormMgr() {}

bool FormMgr::Initialize() {
    Form::Construct(FORM_STYLE_NORMAL);
    SetName(L"FormMgr");
    currentFormId = 100;
    return true;
}

bool FormMgr::SetStarterForm(long requestId, Collection::IList* pArgs) {
    Frame* pFrame = Application::GetInstance()->GetAppFrame()->GetFrame();
    if (pFrame->GetCurrentForm() != this) {
        return false;
    }
    SwitchToForm(requestId, pArgs);
    return true;
}

void FormMgr::OnUserEventReceivedN(RequestId requestId, Collection::IList* pArgs) {
    SwitchToForm(requestId, pArgs);
}

void FormMgr::SwitchToForm(RequestId requestId, Collection::IList*) {
    Frame* pFrame = Application::GetInstance()->GetAppFrame()->GetFrame();
    const CatalogueRow* row = SectionCatalogue::Find(requestId);
    if (row == nullptr) {
        return;
    }
    String host = FeedServerAddress();
    Form* next = nullptr;
    switch (row->kind) {
    case ScreenKind::Portada: {
        auto* form = new FormPortada(host, host + String(row->path), row->cacheFile);
        form->Initialize();
        form->app = app;
        next = form;
        break;
    }
    case ScreenKind::Seccion: {
        auto* form =
            new FormSeccion(String(row->title), host, host + String(row->path), row->cacheFile);
        form->Initialize();
        form->app = app;
        next = form;
        break;
    }
    case ScreenKind::Fotogaleria: {
        auto* form = new FormFotogaleria(currentFormId, linkUrl);
        form->Initialize();
        next = form;
        break;
    }
    case ScreenKind::Nota: {
        auto* form = new FormNota(currentFormId, linkUrl);
        form->Initialize();
        next = form;
        break;
    }
    }
    pFrame->AddControl(*next);
    pFrame->SetCurrentForm(*next);
    next->Draw();
    next->Show();
    if (row->kind == ScreenKind::Portada || row->kind == ScreenKind::Seccion) {
        currentFormId = requestId;
    }
    if (currentForm != nullptr) {
        pFrame->RemoveControl(*currentForm);
    }
    currentForm = next;
}
