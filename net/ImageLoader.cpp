#include "net/ImageLoader.h"

#include "platform/ui/CustomList.h"
#include "rows/Articulo.h"
#include "rows/Foto.h"
#include "rows/ResultadosItem.h"
#include "screens/FormFotogaleria.h"
#include "screens/FormNota.h"
#include "screens/FormPortada.h"
#include "screens/FormSeccion.h"

using Osp::Graphics::Bitmap;
using Osp::Ui::Controls::SOFTKEY_1;

int ImageLoader::ARTICLES_WITH_IMG = 0;
int ImageLoader::ARTICLES_PROCESSED = 0;

namespace {

// The headline screens share these steps: the list takes the label's place.
template <typename Screen> void RevealList(Screen* screen) {
    if (screen == nullptr) {
        return;
    }
    if (screen->labelCargando != nullptr) {
        screen->RemoveControl(*screen->labelCargando);
        screen->labelCargando = nullptr;
    }
    if (screen->customList != nullptr && screen->customList->GetParent() == nullptr) {
        screen->AddControl(*screen->customList);
    }
    screen->RequestRedraw(true);
    screen->loaded = true;
}

} // namespace

ImageLoader::ImageLoader()
    : item(nullptr), articulo(nullptr), foto(nullptr), isArticulo(false), isFoto(false),
      formSeccion(nullptr), formPortada(nullptr), formFotogaleria(nullptr), formNota(nullptr) {}

ImageLoader::~ImageLoader() = default;

void ImageLoader::OnImageDecodeUrlReceived(Osp::Media::RequestId, Bitmap* pBitmap, result r,
                                           const Osp::Base::String, const Osp::Base::String) {
    ++ARTICLES_PROCESSED;
    if (r == E_SUCCESS && pBitmap != nullptr) {
        SetPicture(*pBitmap);
    }
    ReleaseScreen();
}

void ImageLoader::SetPicture(const Bitmap& bitmap) {
    if (isFoto && foto != nullptr) {
        foto->SetElement(102, bitmap, &bitmap);
    }
    Osp::Ui::Controls::CustomListItem* row = item;
    if (isArticulo && articulo != nullptr) {
        row = articulo;
    }
    if (row != nullptr) {
        row->SetElement(105, bitmap, &bitmap);
    }
}

void ImageLoader::ReleaseScreen() {
    if (formFotogaleria != nullptr) {
        formFotogaleria->backEnabled = true;
        formFotogaleria->SetSoftkeyEnabled(SOFTKEY_1, true);
        formFotogaleria->RequestRedraw(true);
        return;
    }
    if (formNota != nullptr) {
        formNota->backEnabled = true;
        formNota->SetSoftkeyEnabled(SOFTKEY_1, true);
        if (formNota->list != nullptr) {
            formNota->list->SetShowState(true);
        }
        formNota->RequestRedraw(true);
        return;
    }
    RevealWhenComplete(formPortada, formSeccion);
}

void ImageLoader::CountMissing(FormPortada* formPortada, FormSeccion* formSeccion) {
    ++ARTICLES_PROCESSED;
    RevealWhenComplete(formPortada, formSeccion);
}

void ImageLoader::RevealWhenComplete(FormPortada* formPortada, FormSeccion* formSeccion) {
    if (ARTICLES_PROCESSED != ARTICLES_WITH_IMG) {
        return;
    }
    RevealList(formPortada);
    RevealList(formSeccion);
}
