#pragma once

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
#include "screens/ArticleFeed.h"

class Articulo;

// One article, opened from a headline; back returns to where it came from.
class FormNota : public Osp::Ui::ICustomItemEventListener,
                 public Osp::Ui::IActionEventListener,
                 public Osp::Net::Http::IHttpTransactionEventListener,
                 public Osp::Ui::Controls::Form {
public:
    FormNota(long returnFormId, Osp::Base::String uriRequest);
    ~FormNota() override;

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
    void loadNota(char* fileName);

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

    // The picture loader releases the screen through these two.
    bool backEnabled;
    Osp::Ui::Controls::Label* labelCargando;
    Osp::Ui::Controls::CustomList* list;

private:
    enum class Picture { None, Requested };
    // The article cannot arrive any more: say "Error" and let the user move on.
    void EnableBack();
    // One "article" element as one row; n is the running row number,
    // `measured` the body characters of the feed laid out so far.
    Picture AddArticle(const ArticleFeed::Record& article, int& n, int& measured);
    Picture RequestPicture(Articulo* row, const Osp::Base::String& imgLink);
    void Reveal();

    long returnFormId;
    Osp::Net::Http::HttpSession* httpSession;
    Osp::Base::String hostAddr;
    Osp::Base::String uriRequest;
    char* fileName;
    // Members die before the form's controls, so the loaders and their
    // pending requests are gone before the rows they would fill.
    ImageLoaderSet loaders;
};
