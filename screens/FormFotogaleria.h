#pragma once

#include "platform/base/ArrayList.h"
#include "platform/ui/Form.h"
#include "platform/ui/ICustomItemEventListener.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/base/ByteBuffer.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Label.h"
#include "net/ImageLoaderSet.h"
#include "platform/ui/OptionMenu.h"

class Foto;

// One photo gallery, paged photo by photo.
class FormFotogaleria : public Osp::Ui::ICustomItemEventListener,
                        public Osp::Ui::IActionEventListener,
                        public Osp::Net::Http::IHttpTransactionEventListener,
                        public Osp::Ui::Controls::Form {
public:
    FormFotogaleria(long returnFormId, Osp::Base::String uriRequest);
    ~FormFotogaleria() override;

    bool Initialize();
    bool SetBackSoftkey();

    void OnItemStateChanged(const Osp::Ui::Control& source, int index, int itemId,
                            Osp::Ui::ItemStatus status) override;
    void OnItemStateChanged(const Osp::Ui::Control& source, int index, int itemId, int elementId,
                            Osp::Ui::ItemStatus status) override;
    result OnInitializing() override;
    result OnTerminating() override;
    void OnActionPerformed(const Osp::Ui::Control& source, int actionId) override;

    result TestHttpGet();
    result SaveFile(Osp::Base::ByteBuffer* pBuffer, char* path);
    void loadFotogaleria(char* fileName);
    void cargaGaleria(int index);
    void mSiguiente();
    void mAnterior();

    void OnTransactionReadyToRead(Osp::Net::Http::HttpSession& httpSession,
                                  Osp::Net::Http::HttpTransaction& httpTransaction,
                                  int availableBodyLen) override;
    void OnTransactionAborted(Osp::Net::Http::HttpSession& httpSession,
                              Osp::Net::Http::HttpTransaction& httpTransaction, result r) override;
    void OnTransactionReadyToWrite(Osp::Net::Http::HttpSession& httpSession,
                                   Osp::Net::Http::HttpTransaction& httpTransaction,
                                   int recommendedChunkSize) override;
    void OnTransactionHeaderCompleted(Osp::Net::Http::HttpSession& httpSession,
                                      Osp::Net::Http::HttpTransaction& httpTransaction,
                                      int headerLen, bool rs) override;
    void OnTransactionCompleted(Osp::Net::Http::HttpSession& httpSession,
                                Osp::Net::Http::HttpTransaction& httpTransaction) override;
    void OnTransactionCertVerificationRequiredN(Osp::Net::Http::HttpSession& httpSession,
                                                Osp::Net::Http::HttpTransaction& httpTransaction,
                                                Osp::Base::String* pCert) override;

    void setHostAddr(Osp::Base::String hostAddr) { this->hostAddr = hostAddr; }
    Osp::Base::String getHostAddr() { return hostAddr; }
    void setUriRequest(Osp::Base::String uriRequest) { this->uriRequest = uriRequest; }
    Osp::Base::String getUriRequest() { return uriRequest; }
    void setFileName(char* fileName) { this->fileName = fileName; }
    const char* getFileName() const { return fileName; }
    long getReturnFormId() const { return returnFormId; }

    // The picture loader releases the screen through this one.
    bool backEnabled;

private:
    enum class Picture { None, Requested };
    Picture RequestPicture(Foto* row, const Osp::Base::String& imgUrl);
    // The shown photo is complete: back and the menu work again.
    void Release();
    void DeletePhotos();

    long returnFormId;
    Osp::Ui::Controls::Label* labelFotogaleria;
    Osp::Net::Http::HttpSession* httpSession;
    Osp::Base::String hostAddr;
    Osp::Base::String uriRequest;
    char* fileName;
    int currentPhoto;
    int photoCount;
    Osp::Base::Collection::ArrayList* photos;
    Osp::Ui::Controls::OptionMenu* optionMenu;
    Osp::Ui::Controls::CustomList* list;
    // Members die before the form's controls, so the loaders and their
    // pending requests are gone before the row they would fill.
    ImageLoaderSet loaders;
};
