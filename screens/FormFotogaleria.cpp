#include "screens/FormFotogaleria.h"

#include <memory>

#include "platform/io/File.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "net/DownloadMessage.h"

#include "net/FeedServerAddress.h"
#include "platform/app/Application.h"

using namespace Osp::App;
using namespace Osp::Base;
using namespace Osp::Graphics;
using namespace Osp::Net::Http;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

namespace {
char kFotogaleriaCache[] = "/Home/Res/fotogaleria.xml";
} // namespace

FormFotogaleria::FormFotogaleria(long returnFormId, String uriRequest)
    : backEnabled(false), returnFormId(returnFormId), labelFotogaleria(nullptr),
      httpSession(nullptr), fileName(nullptr), currentPhoto(0), photoCount(0), photos(nullptr),
      optionMenu(nullptr) {
    setHostAddr(FeedServerAddress());
    setUriRequest(uriRequest);
    setFileName(kFotogaleriaCache);
}

FormFotogaleria::~FormFotogaleria() {
    delete httpSession;
}

bool FormFotogaleria::Initialize() {
    Form::Construct(FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_SOFTKEY_1 |
                    FORM_STYLE_OPTIONKEY);
    SetName(L"IDF_FORM_FOTOGALERIA");
    SetBackSoftkey();
    SetTitleText(L"Pregonero raviv", ALIGNMENT_CENTER);
    SetBackgroundColor(Color(255, 255, 255, 255));
    return true;
}

bool FormFotogaleria::SetBackSoftkey() {
    SetSoftkeyText(SOFTKEY_1, L"Atras");
    SetSoftkeyActionId(SOFTKEY_1, 100);
    AddSoftkeyActionListener(SOFTKEY_1, *this);
    return true;
}

result FormFotogaleria::OnInitializing() {
    result r = TestHttpGet();
    if (r == E_NETWORK_UNAVAILABLE) {
        ShowDownloadMessage(L"Network is unavailable");
        delete httpSession;
        httpSession = nullptr;
    } else if (IsFailed(r)) {
        ShowDownloadMessage(L"Previous transaction is being processed");
    }
    labelFotogaleria = new Label();
    labelFotogaleria->Construct(Rectangle(0, 0, GetBounds().width, 50), L"");
    labelFotogaleria->SetTextColor(Color::COLOR_RED);
    labelFotogaleria->SetBackgroundColor(Color::COLOR_YELLOW);
    labelFotogaleria->SetTextConfig(35, LABEL_TEXT_STYLE_ITALIC);
    labelFotogaleria->SetName(L"LabelFotogaleria");
    AddControl(*labelFotogaleria);
    labelFotogaleria->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    labelFotogaleria->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    return r;
}

result FormFotogaleria::OnTerminating() {
    if (optionMenu != nullptr) {
        delete optionMenu;
        optionMenu = nullptr;
    }
    if (photos != nullptr) {
        photos->RemoveAll(true);
        delete photos;
        photos = nullptr;
    }
    return E_SUCCESS;
}

void FormFotogaleria::OnItemStateChanged(const Control&, int, int, ItemStatus) {}

void FormFotogaleria::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormFotogaleria::OnActionPerformed(const Control&, int actionId) {
    if (actionId != 100) {
        return;
    }
    Frame* pFrame = Application::GetInstance()->GetAppFrame()->GetFrame();
    Control* formMgr = pFrame->GetControl(L"FormMgr", false);
    if (formMgr != nullptr) {
        formMgr->SendUserEvent(returnFormId, nullptr);
    }
}

result FormFotogaleria::TestHttpGet() {
    result r = E_SUCCESS;
    if (httpSession == nullptr) {
        httpSession = new HttpSession();
        r = httpSession->Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, hostAddr, nullptr,
                                   NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);
        if (IsFailed(r)) {
            return r;
        }
    }
    HttpTransaction* pTransaction = httpSession->OpenTransactionN();
    if (pTransaction == nullptr) {
        return GetLastResult();
    }
    // Until it completes or aborts the transaction is the session's to delete.
    r = pTransaction->AddHttpTransactionListener(*this);
    if (IsFailed(r)) {
        return r;
    }
    HttpRequest* pRequest = pTransaction->GetRequest();
    if (pRequest == nullptr) {
        return GetLastResult();
    }
    r = pRequest->SetUri(uriRequest);
    if (IsFailed(r)) {
        return r;
    }
    r = pRequest->SetMethod(NET_HTTP_METHOD_GET);
    if (IsFailed(r)) {
        return r;
    }
    return pTransaction->Submit();
}

result FormFotogaleria::SaveFile(ByteBuffer* pBuffer, char* path) {
    Osp::Io::File file;
    result r = file.Construct(String(path), L"w", true);
    if (IsFailed(r)) {
        return r;
    }
    return file.Write(*pBuffer);
}

void FormFotogaleria::loadFotogaleria(char*) {
    // The feed reader is not written yet.
}

void FormFotogaleria::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction,
                                               int) {
    HttpResponse* pResponse = httpTransaction.GetResponse();
    if (pResponse == nullptr || pResponse->GetStatusCode() != NET_HTTP_STATUS_OK) {
        // Back stays enabled: nothing to show.
        return;
    }
    std::unique_ptr<ByteBuffer> pBody(pResponse->ReadBodyN());
    if (!pBody || IsFailed(SaveFile(pBody.get(), fileName))) {
        // Back stays enabled: nothing to show.
        return;
    }
    loadFotogaleria(fileName);
}

void FormFotogaleria::OnTransactionAborted(HttpSession&, HttpTransaction& httpTransaction, result) {
    // Back stays enabled: nothing to show.
    delete &httpTransaction;
}

void FormFotogaleria::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}

void FormFotogaleria::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void FormFotogaleria::OnTransactionCompleted(HttpSession&, HttpTransaction& httpTransaction) {
    RequestRedraw(true);
    delete &httpTransaction;
}

void FormFotogaleria::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&,
                                                             String*) {}
