#include "screens/FormPortada.h"

#include "nav/FormMgr.h"
#include "rows/ResultadosItem.h"
#include "net/FeedDownload.h"
#include "screens/HeadlineList.h"
#include "screens/SectionMenu.h"

using namespace Osp::Base;
using namespace Osp::Graphics;
using namespace Osp::Net::Http;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

FormPortada::FormPortada(String hostAddr, String uriRequest, char* fileName)
    : app(nullptr), optionMenu(nullptr), customList(nullptr), labelCargando(nullptr), loaded(false),
      httpSession(nullptr), fileName(nullptr) {
    setHostAddr(hostAddr);
    setUriRequest(uriRequest);
    setFileName(fileName);
}

FormPortada::~FormPortada() {
    delete httpSession;
    // A list still waiting for its thumbnails is not the form's yet.
    loaders.Clear();
    if (customList != nullptr && customList->GetParent() == nullptr) {
        delete customList;
    }
}

bool FormPortada::Initialize() {
    Form::Construct(FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_OPTIONKEY);
    SetName(L"IDF_FORM_PORTADA");
    SetTitleText(L"Pregonero raviv", ALIGNMENT_CENTER);
    SetBackgroundColor(Color(255, 255, 255, 255));
    return true;
}

result FormPortada::OnInitializing() {
    SectionMenu::SetUpOptionKey(*this, *this);
    optionMenu = SectionMenu::CreateN(*this);
    result r = TestHttpGet();
    FeedDownload::ReportStartFailure(r, httpSession);
    labelCargando = HeadlineList::AddLabels(*this, L"PRIMERA", L"LabelPortada");
    if (IsFailed(r)) {
        // No transaction runs, so nothing would ever replace "Cargando...".
        ShowLoadFailure();
    }
    return r;
}

void FormPortada::ShowLoadFailure() {
    loaded = true;
    if (labelCargando != nullptr) {
        labelCargando->SetText(L"Error");
    }
    RequestRedraw(true);
}

result FormPortada::OnTerminating() {
    delete optionMenu;
    optionMenu = nullptr;
    return E_SUCCESS;
}

void FormPortada::OnItemStateChanged(const Control&, int index, int, ItemStatus) {
    auto* row = customList == nullptr ? nullptr
                                      : dynamic_cast<ResultadosItem*>(customList->GetItemAt(index));
    FormMgr* formMgr = SectionMenu::FindFormMgr();
    if (row == nullptr || formMgr == nullptr) {
        return;
    }
    // Even an empty link opens the article screen, which then says it has nothing.
    formMgr->linkUrl = row->link;
    formMgr->SendUserEvent(121, nullptr);
}

void FormPortada::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormPortada::OnActionPerformed(const Control&, int actionId) {
    SectionMenu::PerformAction(actionId, optionMenu, loaded, app);
}

result FormPortada::TestHttpGet() {
    return FeedDownload::Start(httpSession, hostAddr, uriRequest, *this);
}

result FormPortada::SaveFile(ByteBuffer* pBuffer, char* path) {
    return FeedDownload::Save(pBuffer, path);
}

void FormPortada::loadPortada(char* fileName) {
    HeadlineScreen screen{*this, *this, customList, loaders, this, nullptr};
    if (!HeadlineList::Load(screen, fileName, FeedLayout::FrontPage)) {
        // A feed that cannot be read would leave "Cargando..." up for good.
        ShowLoadFailure();
    }
}

void FormPortada::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    std::unique_ptr<ByteBuffer> pBody = FeedDownload::TakeOkBody(httpTransaction);
    if (!pBody || IsFailed(SaveFile(pBody.get(), fileName))) {
        ShowLoadFailure();
        return;
    }
    loadPortada(fileName);
}

void FormPortada::OnTransactionAborted(HttpSession&, HttpTransaction& httpTransaction, result) {
    ShowLoadFailure();
    delete &httpTransaction;
}

void FormPortada::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}

void FormPortada::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void FormPortada::OnTransactionCompleted(HttpSession&, HttpTransaction& httpTransaction) {
    RequestRedraw(true);
    delete &httpTransaction;
}

void FormPortada::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&, String*) {}
