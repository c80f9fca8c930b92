#include "screens/FormSeccion.h"

#include "nav/FormMgr.h"
#include "net/DownloadMessage.h"
#include "rows/ResultadosItem.h"
#include "net/FeedDownload.h"
#include "screens/HeadlineList.h"
#include "screens/SectionMenu.h"

using namespace Osp::Base;
using namespace Osp::Graphics;
using namespace Osp::Net::Http;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

FormSeccion::FormSeccion(String sectionTitle, String hostAddr, String uriRequest, char* fileName)
    : app(nullptr), optionMenu(nullptr), customList(nullptr), labelCargando(nullptr), loaded(false),
      httpSession(nullptr), fileName(nullptr) {
    setHostAddr(hostAddr);
    setUriRequest(uriRequest);
    setFileName(fileName);
    this->sectionTitle = sectionTitle;
}

FormSeccion::~FormSeccion() {
    delete httpSession;
    // A list still waiting for its thumbnails is not the form's yet.
    loaders.Clear();
    if (customList != nullptr && customList->GetParent() == nullptr) {
        delete customList;
    }
}

bool FormSeccion::Initialize() {
    Form::Construct(FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_OPTIONKEY);
    SetName(L"IDF_FORM_SECCION");
    SetTitleText(L"Pregonero raviv", ALIGNMENT_CENTER);
    SetBackgroundColor(Color(255, 255, 255, 255));
    return true;
}

result FormSeccion::OnInitializing() {
    SectionMenu::SetUpOptionKey(*this, *this);
    optionMenu = SectionMenu::CreateN(*this);
    result r = TestHttpGet();
    FeedDownload::ReportStartFailure(r, httpSession);
    labelCargando = HeadlineList::AddLabels(*this, sectionTitle, L"LabelSeccion");
    if (IsFailed(r)) {
        // No transaction runs, so nothing would ever replace "Cargando...".
        ShowLoadFailure();
    }
    return r;
}

void FormSeccion::ShowLoadFailure() {
    loaded = true;
    if (labelCargando != nullptr) {
        labelCargando->SetText(L"Error");
    }
    RequestRedraw(true);
}

result FormSeccion::OnTerminating() {
    delete optionMenu;
    optionMenu = nullptr;
    return E_SUCCESS;
}

void FormSeccion::OnItemStateChanged(const Control&, int index, int, ItemStatus) {
    auto* row = customList == nullptr ? nullptr
                                      : dynamic_cast<ResultadosItem*>(customList->GetItemAt(index));
    if (row == nullptr) {
        return;
    }
    if (row->link.IsEmpty()) {
        ShowDownloadMessage(L"Lo sentimos, esta nota no esta disponible por el momento.");
        return;
    }
    // The gallery section lists galleries, which open in their own screen.
    const int event = sectionTitle.Equals(L"FOTOGALERIA", false) ? 120 : 121;
    FormMgr* formMgr = SectionMenu::FindFormMgr();
    if (formMgr == nullptr) {
        return;
    }
    formMgr->linkUrl = row->link;
    formMgr->SendUserEvent(event, nullptr);
}

void FormSeccion::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormSeccion::OnActionPerformed(const Control&, int actionId) {
    SectionMenu::PerformAction(actionId, optionMenu, loaded, app);
}

result FormSeccion::TestHttpGet() {
    return FeedDownload::Start(httpSession, hostAddr, uriRequest, *this);
}

result FormSeccion::SaveFile(ByteBuffer* pBuffer, char* path) {
    return FeedDownload::Save(pBuffer, path);
}

void FormSeccion::loadSeccion(char* fileName) {
    HeadlineScreen screen{*this, *this, customList, loaders, nullptr, this};
    if (!HeadlineList::Load(screen, fileName, FeedLayout::Section)) {
        // A feed that cannot be read would leave "Cargando..." up for good.
        ShowLoadFailure();
    }
}

void FormSeccion::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    std::unique_ptr<ByteBuffer> pBody = FeedDownload::TakeOkBody(httpTransaction);
    if (!pBody || IsFailed(SaveFile(pBody.get(), fileName))) {
        ShowLoadFailure();
        return;
    }
    loadSeccion(fileName);
}

void FormSeccion::OnTransactionAborted(HttpSession&, HttpTransaction& httpTransaction, result) {
    ShowLoadFailure();
    delete &httpTransaction;
}

void FormSeccion::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}

void FormSeccion::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void FormSeccion::OnTransactionCompleted(HttpSession&, HttpTransaction& httpTransaction) {
    RequestRedraw(true);
    delete &httpTransaction;
}

void FormSeccion::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&, String*) {}
