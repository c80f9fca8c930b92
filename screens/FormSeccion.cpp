#include "screens/FormSeccion.h"

#include <memory>

#include "platform/io/File.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "net/DownloadMessage.h"

using namespace Osp::Base;
using namespace Osp::Graphics;
using namespace Osp::Net::Http;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

FormSeccion::FormSeccion(String sectionTitle, String hostAddr, String uriRequest, char* fileName)
    : app(nullptr), optionMenu(nullptr), labelCargando(nullptr), loaded(false),
      httpSession(nullptr), fileName(nullptr) {
    setHostAddr(hostAddr);
    setUriRequest(uriRequest);
    setFileName(fileName);
    this->sectionTitle = sectionTitle;
}

FormSeccion::~FormSeccion() {
    delete httpSession;
}

bool FormSeccion::Initialize() {
    Form::Construct(FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_OPTIONKEY);
    SetName(L"IDF_FORM_SECCION");
    SetTitleText(L"Pregonero raviv", ALIGNMENT_CENTER);
    SetBackgroundColor(Color(255, 255, 255, 255));
    return true;
}

result FormSeccion::OnInitializing() {
    result r = TestHttpGet();
    if (r == E_NETWORK_UNAVAILABLE) {
        ShowDownloadMessage(L"Network is unavailable");
        delete httpSession;
        httpSession = nullptr;
    } else if (IsFailed(r)) {
        ShowDownloadMessage(L"Previous transaction is being processed");
    }
    const int width = GetBounds().width;
    Label* pHeader = new Label();
    pHeader->Construct(Rectangle(0, 0, width, 50), sectionTitle);
    pHeader->SetTextColor(Color::COLOR_BLACK);
    pHeader->SetBackgroundColor(Color::COLOR_GREY);
    pHeader->SetTextConfig(35, LABEL_TEXT_STYLE_BOLD);
    pHeader->SetName(L"LabelSeccion");
    AddControl(*pHeader);
    pHeader->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    pHeader->SetTextHorizontalAlignment(ALIGNMENT_CENTER);

    labelCargando = new Label();
    labelCargando->Construct(Rectangle(0, 100, width, 50), L"Cargando...");
    labelCargando->SetTextColor(Color::COLOR_BLUE);
    labelCargando->SetBackgroundColor(Color::COLOR_WHITE);
    labelCargando->SetTextConfig(35, LABEL_TEXT_STYLE_ITALIC);
    labelCargando->SetName(L"LabelCargando");
    AddControl(*labelCargando);
    labelCargando->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    labelCargando->SetTextHorizontalAlignment(ALIGNMENT_CENTER);
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
    if (optionMenu != nullptr) {
        delete optionMenu;
        optionMenu = nullptr;
    }
    return E_SUCCESS;
}

void FormSeccion::OnItemStateChanged(const Control&, int, int, ItemStatus) {}

void FormSeccion::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormSeccion::OnActionPerformed(const Control&, int) {}

result FormSeccion::TestHttpGet() {
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

result FormSeccion::SaveFile(ByteBuffer* pBuffer, char* path) {
    Osp::Io::File file;
    result r = file.Construct(String(path), L"w", true);
    if (IsFailed(r)) {
        return r;
    }
    return file.Write(*pBuffer);
}

void FormSeccion::loadSeccion(char*) {
    // The feed reader is not written yet.
}

void FormSeccion::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    HttpResponse* pResponse = httpTransaction.GetResponse();
    if (pResponse == nullptr || pResponse->GetStatusCode() != NET_HTTP_STATUS_OK) {
        ShowLoadFailure();
        return;
    }
    std::unique_ptr<ByteBuffer> pBody(pResponse->ReadBodyN());
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
