#include "screens/FormNota.h"

#include "net/FeedDownload.h"

#include <memory>

#include "platform/io/File.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "net/DownloadMessage.h"

#include "net/FeedDocument.h"
#include "net/FeedServerAddress.h"
#include "net/ImageLoader.h"
#include "net/PictureRequest.h"
#include "rows/Articulo.h"
#include "nav/FormMgr.h"
#include "platform/app/Application.h"

using namespace Osp::App;
using namespace Osp::Base;
using namespace Osp::Graphics;
using namespace Osp::Net::Http;
using namespace Osp::Ui;
using namespace Osp::Ui::Controls;

namespace {
char kNotaCache[] = "/Home/Res/Nota.xml";
} // namespace

FormNota::FormNota(long returnFormId, String uriRequest)
    : backEnabled(false), labelCargando(nullptr), list(nullptr), returnFormId(returnFormId),
      httpSession(nullptr), fileName(nullptr) {
    setHostAddr(FeedServerAddress());
    setUriRequest(uriRequest);
    setFileName(kNotaCache);
}

FormNota::~FormNota() {
    delete httpSession;
}

bool FormNota::Initialize() {
    Form::Construct(FORM_STYLE_TITLE | FORM_STYLE_INDICATOR | FORM_STYLE_SOFTKEY_1);
    SetName(L"IDF_FORM_NOTA");
    SetBackSoftkey();
    SetTitleText(L"Pregonero raviv", ALIGNMENT_CENTER);
    SetBackgroundColor(Color(255, 255, 255, 255));
    SetSoftkeyEnabled(SOFTKEY_1, backEnabled);
    return true;
}

bool FormNota::SetBackSoftkey() {
    SetSoftkeyText(SOFTKEY_1, L"Atras");
    SetSoftkeyActionId(SOFTKEY_1, 100);
    AddSoftkeyActionListener(SOFTKEY_1, *this);
    return true;
}

result FormNota::OnInitializing() {
    result r = TestHttpGet();
    FeedDownload::ReportStartFailure(
        r, httpSession, L"Lo sentimos, pero esta nota no se encuentra disponible po rel momento");
    labelCargando = new Label();
    labelCargando->Construct(Rectangle(0, 100, GetBounds().width, 50), L"Cargando nota...");
    labelCargando->SetTextColor(Color::COLOR_BLUE);
    labelCargando->SetBackgroundColor(Color::COLOR_WHITE);
    labelCargando->SetTextConfig(35, LABEL_TEXT_STYLE_ITALIC);
    labelCargando->SetName(L"LabelCargando");
    AddControl(*labelCargando);
    labelCargando->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    labelCargando->SetTextHorizontalAlignment(ALIGNMENT_CENTER);
    if (IsFailed(r)) {
        // Without a download the article never arrives: let the user go back.
        EnableBack();
    }
    return r;
}

void FormNota::EnableBack() {
    // Only failures come here; a label still up would promise an article that never comes.
    if (labelCargando != nullptr) {
        labelCargando->SetText(L"Error");
    }
    backEnabled = true;
    SetSoftkeyEnabled(SOFTKEY_1, true);
    RequestRedraw(true);
}

result FormNota::OnTerminating() {
    return E_SUCCESS;
}

void FormNota::OnItemStateChanged(const Control&, int, int, ItemStatus) {}

void FormNota::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormNota::OnActionPerformed(const Control&, int actionId) {
    if (actionId != 100) {
        return;
    }
    Frame* pFrame = Application::GetInstance()->GetAppFrame()->GetFrame();
    Control* formMgr = pFrame->GetControl(L"FormMgr", false);
    if (formMgr != nullptr) {
        formMgr->SendUserEvent(returnFormId, nullptr);
    }
}

result FormNota::TestHttpGet() {
    return FeedDownload::Start(httpSession, hostAddr, uriRequest, *this);
}

result FormNota::SaveFile(ByteBuffer* pBuffer, char* path) {
    return FeedDownload::Save(pBuffer, path);
}

void FormNota::loadNota(char* path) {
    // The list is the form's only once added; until then this owner frees it.
    std::unique_ptr<CustomList> pList(new CustomList());
    pList->Construct(Rectangle(0, 0, 480, GetClientAreaBounds().height), CUSTOM_LIST_STYLE_NORMAL,
                     true);
    pList->SetShowState(false);
    FeedDocument doc;
    if (doc.Load(path) != FeedDocument::Status::Ok) {
        // The feed will not be read again: the way back is all that is left.
        EnableBack();
        return;
    }
    list = pList.get();
    int n = 0;
    Picture picture = Picture::None;
    ImageLoader::ARTICLES_WITH_IMG = 0;
    ImageLoader::ARTICLES_PROCESSED = 0;
    int measured = 0;
    for (const ArticleFeed::Record& article : ArticleFeed::Read(doc.Root())) {
        if (AddArticle(article, n, measured) == Picture::Requested) {
            picture = Picture::Requested;
        }
    }
    if (labelCargando != nullptr) {
        RemoveControl(*labelCargando);
        labelCargando = nullptr;
    }
    AddControl(*pList.release());
    if (picture == Picture::None) {
        Reveal();
    }
}

FormNota::Picture FormNota::AddArticle(const ArticleFeed::Record& article, int& n, int& measured) {
    // Laying a body out takes about a microsecond a character: past this
    // many in one feed the rows keep one pixel per character, so a feed of
    // thousands of long articles still opens at once.
    constexpr int kMeasuredCharacters = 256 * 1024;
    const int bodyLength = article.body.GetLength();
    const bool fitBody = measured < kMeasuredCharacters;
    if (fitBody) {
        measured += bodyLength;
    }
    ++n;
    String id(L"IDNOTA");
    id.Append(n);
    std::unique_ptr<Articulo> row(new Articulo());
    result r = row->Construct(article.title, article.author, article.pubDate, article.pubTime,
                              article.imgLink, article.imgDes, article.body, id, GetBounds().width,
                              bodyLength, fitBody);
    if (IsFailed(r) || IsFailed(list->AddItem(*row, n))) {
        return Picture::None;
    }
    Articulo* added = row.release();
    if (article.imgLink.IsEmpty()) {
        return Picture::None;
    }
    ++n; // a pictured article takes two numbers
    return RequestPicture(added, article.imgLink);
}

FormNota::Picture FormNota::RequestPicture(Articulo* row, const String& imgLink) {
    ImageLoader* loader = loaders.Add();
    loader->formNota = this;
    loader->articulo = row;
    loader->isArticulo = true;
    ImageLoader::ARTICLES_WITH_IMG = 1;
    const int side = GetBounds().width - 40;
    result r =
        PictureRequest::Start(loader, imgLink, PictureRequest::FormatForUrl(imgLink), side, side);
    // A refused request never calls back; waiting for it would keep back off for good.
    return IsFailed(r) ? Picture::None : Picture::Requested;
}

void FormNota::Reveal() {
    backEnabled = true;
    list->SetShowState(true);
    SetSoftkeyEnabled(SOFTKEY_1, true);
    RequestRedraw(true);
}

void FormNota::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    std::unique_ptr<ByteBuffer> pBody = FeedDownload::TakeOkBody(httpTransaction);
    if (!pBody || IsFailed(SaveFile(pBody.get(), fileName))) {
        EnableBack();
        return;
    }
    loadNota(fileName);
}

void FormNota::OnTransactionAborted(HttpSession&, HttpTransaction& httpTransaction, result) {
    EnableBack();
    delete &httpTransaction;
}

void FormNota::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}

void FormNota::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void FormNota::OnTransactionCompleted(HttpSession&, HttpTransaction& httpTransaction) {
    RequestRedraw(true);
    delete &httpTransaction;
}

void FormNota::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&, String*) {}
