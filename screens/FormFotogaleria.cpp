#include "screens/FormFotogaleria.h"

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
#include "rows/Foto.h"
#include "screens/GalleryFeed.h"
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
      optionMenu(nullptr), list(nullptr) {
    setHostAddr(FeedServerAddress());
    setUriRequest(uriRequest);
    setFileName(kFotogaleriaCache);
}

FormFotogaleria::~FormFotogaleria() {
    // Normally OnTerminating has freed these already; a form destroyed
    // without being removed from the frame must not leak them either.
    delete optionMenu;
    DeletePhotos();
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
    SetOptionkeyActionId(103);
    AddOptionkeyActionListener(*this);
    optionMenu = new OptionMenu();
    optionMenu->Construct();
    optionMenu->AddItem(L"Anterior", 101);
    optionMenu->AddItem(L"Siguiente", 102);
    optionMenu->AddActionEventListener(*this);
    result r = TestHttpGet();
    FeedDownload::ReportStartFailure(r, httpSession);
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
    delete optionMenu;
    optionMenu = nullptr;
    DeletePhotos();
    return E_SUCCESS;
}

void FormFotogaleria::DeletePhotos() {
    if (photos == nullptr) {
        return;
    }
    // A record does not delete its strings by itself.
    for (int i = 0; i < photos->GetCount(); ++i) {
        static_cast<Collection::ArrayList*>(photos->GetAt(i))->RemoveAll(true);
    }
    photos->RemoveAll(true);
    delete photos;
    photos = nullptr;
}

void FormFotogaleria::OnItemStateChanged(const Control&, int, int, ItemStatus) {}

void FormFotogaleria::OnItemStateChanged(const Control&, int, int, int, ItemStatus) {}

void FormFotogaleria::OnActionPerformed(const Control&, int actionId) {
    switch (actionId) {
    case 100: {
        Frame* pFrame = Application::GetInstance()->GetAppFrame()->GetFrame();
        Control* formMgr = pFrame->GetControl(L"FormMgr", false);
        if (formMgr != nullptr) {
            formMgr->SendUserEvent(returnFormId, nullptr);
        }
        break;
    }
    case 101:
        mAnterior();
        break;
    case 102:
        mSiguiente();
        break;
    case 103:
        if (optionMenu != nullptr) {
            optionMenu->SetShowState(true);
            // While a photo loads the menu stays shut.
            if (backEnabled) {
                optionMenu->Show();
            }
        }
        break;
    default:
        break;
    }
}

void FormFotogaleria::mSiguiente() {
    if (photoCount <= 0) {
        return;
    }
    int next = currentPhoto + 1;
    if (next <= photoCount - 1) {
        currentPhoto = next;
        cargaGaleria(next);
    }
}

void FormFotogaleria::mAnterior() {
    if (photoCount <= 0) {
        return;
    }
    if (currentPhoto >= 1) {
        currentPhoto = currentPhoto - 1;
        cargaGaleria(currentPhoto);
    }
}

result FormFotogaleria::TestHttpGet() {
    return FeedDownload::Start(httpSession, hostAddr, uriRequest, *this);
}

result FormFotogaleria::SaveFile(ByteBuffer* pBuffer, char* path) {
    return FeedDownload::Save(pBuffer, path);
}

void FormFotogaleria::loadFotogaleria(char* path) {
    // The list is the form's only once added; until then this owner frees it.
    std::unique_ptr<CustomList> pList(new CustomList());
    pList->Construct(Rectangle(0, 50, GetBounds().width, GetClientAreaBounds().height - 50),
                     CUSTOM_LIST_STYLE_NORMAL, true);
    FeedDocument doc;
    if (doc.Load(path) != FeedDocument::Status::Ok) {
        return;
    }
    photos = new Collection::ArrayList();
    photos->Construct(10);
    int withPicture = 0;
    for (GalleryFeed::Record& photo : GalleryFeed::Read(doc.Root())) {
        auto* record = new Collection::ArrayList();
        record->Construct(10);
        ++photoCount;
        if (!photo.imgUrl.IsEmpty()) {
            ++withPicture;
        }
        record->Add(*new String(std::move(photo.title)));
        record->Add(*new String(std::move(photo.imgUrl)));
        record->Add(*new String(std::move(photo.imgDes)));
        record->Add(*new String(std::move(photo.id)));
        photos->Add(*record);
    }
    ImageLoader::ARTICLES_WITH_IMG = withPicture;
    ImageLoader::ARTICLES_PROCESSED = 0;
    list = pList.release();
    AddControl(*list);
    if (photos->GetCount() > 0) {
        cargaGaleria(0);
    }
    RequestRedraw(true);
}

void FormFotogaleria::cargaGaleria(int index) {
    backEnabled = false;
    SetSoftkeyEnabled(SOFTKEY_1, false);
    auto* record = static_cast<Collection::ArrayList*>(photos->GetAt(index));
    const String& title = *static_cast<String*>(record->GetAt(0));
    const String& imgUrl = *static_cast<String*>(record->GetAt(1));
    const String& imgDes = *static_cast<String*>(record->GetAt(2));
    const String& id = *static_cast<String*>(record->GetAt(3));
    std::unique_ptr<Foto> row(new Foto());
    if (IsFailed(
            row->Construct(title, imgUrl, imgDes, id, GetBounds().width, imgDes.GetLength()))) {
        Release();
        return;
    }
    // The old row goes: a request still bound for it goes with it.
    loaders.Clear();
    list->RemoveAllItems();
    if (IsFailed(list->AddItem(*row, index))) {
        Release();
        return;
    }
    Foto* added = row.release();
    String text(L"Foto: ");
    text.Append(currentPhoto + 1);
    text.Append(L" de ");
    text.Append(photoCount);
    labelFotogaleria->SetText(text);
    // The new number line and the row show while the picture is on its way.
    RequestRedraw(true);
    if (imgUrl.IsEmpty() || RequestPicture(added, imgUrl) == Picture::None) {
        // No callback will come to hand back the softkey and the menu.
        Release();
    }
}

FormFotogaleria::Picture FormFotogaleria::RequestPicture(Foto* row, const String& imgUrl) {
    ImageLoader* loader = loaders.Add();
    loader->formFotogaleria = this;
    loader->foto = row;
    loader->isFoto = true;
    const int side = GetBounds().width - 40;
    result r =
        PictureRequest::Start(loader, imgUrl, PictureRequest::FormatForUrl(imgUrl), side, side);
    return IsFailed(r) ? Picture::None : Picture::Requested;
}

void FormFotogaleria::Release() {
    backEnabled = true;
    SetSoftkeyEnabled(SOFTKEY_1, true);
    RequestRedraw(true);
}

void FormFotogaleria::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction,
                                               int) {
    std::unique_ptr<ByteBuffer> pBody = FeedDownload::TakeOkBody(httpTransaction);
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
