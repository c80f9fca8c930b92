#pragma once

#include "platform/media/IImageDecodeUrlEventListener.h"

class ResultadosItem;
class Articulo;
class Foto;
class FormSeccion;
class FormPortada;
class FormFotogaleria;
class FormNota;

// Listener of one picture request: puts the decoded bitmap into its row and
// lets the screen that asked for it go on. The pointers are not owned.
class ImageLoader : public Osp::Media::IImageDecodeUrlEventListener {
public:
    ImageLoader();
    ~ImageLoader() override;

    void OnImageDecodeUrlReceived(Osp::Media::RequestId requestId, Osp::Graphics::Bitmap* pBitmap,
                                  result r, const Osp::Base::String errorCode,
                                  const Osp::Base::String errorMessage) override;

    // A picture that will never call back (its row failed, or the request was
    // refused) counts as processed, so the headline list still appears.
    static void CountMissing(FormPortada* formPortada, FormSeccion* formSeccion);
    // Swaps the loading label for the list once every awaited callback is in.
    static void RevealWhenComplete(FormPortada* formPortada, FormSeccion* formSeccion);

    ResultadosItem* item;
    Articulo* articulo;
    Foto* foto;
    bool isArticulo;
    bool isFoto;
    FormSeccion* formSeccion;
    FormPortada* formPortada;
    FormFotogaleria* formFotogaleria;
    FormNota* formNota;

    static int ARTICLES_WITH_IMG;
    static int ARTICLES_PROCESSED;

private:
    void SetPicture(const Osp::Graphics::Bitmap& bitmap);
    void ReleaseScreen();
};
