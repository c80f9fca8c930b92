#pragma once

#include "platform/app/Application.h"
#include "net/ImageLoaderSet.h"
#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "platform/ui/ICustomItemEventListener.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/base/ByteBuffer.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "platform/ui/Label.h"
#include "platform/ui/OptionMenu.h"

// The front page: the headlines of the front-page groups.
class FormPortada : public Osp::Ui::ICustomItemEventListener,
                    public Osp::Ui::IActionEventListener,
                    public Osp::Net::Http::IHttpTransactionEventListener,
                    public Osp::Ui::Controls::Form {
public:
    FormPortada(Osp::Base::String hostAddr, Osp::Base::String uriRequest, char* fileName);
    ~FormPortada() override;

    bool Initialize();

    void OnItemStateChanged(const Osp::Ui::Control& source, int index, int itemId,
                            Osp::Ui::ItemStatus status) override;
    void OnItemStateChanged(const Osp::Ui::Control& source, int index, int itemId, int elementId,
                            Osp::Ui::ItemStatus status) override;
    result OnInitializing() override;
    result OnTerminating() override;
    void OnActionPerformed(const Osp::Ui::Control& source, int actionId) override;

    result TestHttpGet();
    result SaveFile(Osp::Base::ByteBuffer* pBuffer, char* path);
    void loadPortada(char* fileName);

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

    Osp::App::Application* app;
    Osp::Ui::Controls::OptionMenu* optionMenu;
    Osp::Ui::Controls::CustomList* customList;
    Osp::Ui::Controls::Label* labelCargando;
    bool loaded;

private:
    // The download failed for good: say so and let the user move on.
    void ShowLoadFailure();
    Osp::Net::Http::HttpSession* httpSession;
    Osp::Base::String hostAddr;
    Osp::Base::String uriRequest;
    char* fileName;
    // Last member: its loaders go before the form destroys the rows they fill.
    ImageLoaderSet loaders;
};
