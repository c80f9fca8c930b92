#include "platform/net/HttpSession.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "support/AppHarness.h"
#include "support/LocalHttpServer.h"

namespace {

using namespace Osp::Net::Http;
using Osp::Base::String;

// Writes down every callback; deletes the transaction where the screens do.
class Recorder : public IHttpTransactionEventListener {
public:
    void OnTransactionReadyToRead(HttpSession&, HttpTransaction& t, int) override {
        calls += "read ";
        status = t.GetResponse()->GetStatusCode();
    }
    void OnTransactionAborted(HttpSession&, HttpTransaction& t, result) override {
        calls += "aborted ";
        delete &t;
    }
    void OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) override {
        calls += "write ";
    }
    void OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) override {
        calls += "header ";
    }
    void OnTransactionCompleted(HttpSession&, HttpTransaction& t) override {
        calls += "completed ";
        delete &t;
    }
    void OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&, String*) override {
        calls += "cert ";
    }
    std::string calls;
    int status = 0;
};

class HttpSessionTest : public ::testing::Test {
protected:
    // An opened transaction for GET of `path` (none if empty), with `recorder`
    // listening if given; the session is constructed on first use.
    HttpTransaction* Prepare(HttpSession& session, const std::string& path, Recorder* recorder) {
        if (session.GetHostAddress().IsEmpty()) {
            EXPECT_EQ(session.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, Url(""), nullptr,
                                        NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
                      E_SUCCESS);
        }
        HttpTransaction* t = session.OpenTransactionN();
        EXPECT_NE(t, nullptr);
        if (recorder != nullptr) {
            EXPECT_EQ(t->AddHttpTransactionListener(*recorder), E_SUCCESS);
        }
        if (!path.empty()) {
            EXPECT_EQ(t->GetRequest()->SetUri(Url(path)), E_SUCCESS);
        }
        return t;
    }
    HttpTransaction* Open(HttpSession& session, Recorder& recorder) {
        HttpTransaction* t = Prepare(session, "/feed.xml", &recorder);
        EXPECT_EQ(t->Submit(), E_SUCCESS);
        return t;
    }
    String Url(const std::string& path) { return String(server_.Url(path).c_str()); }

    std::atomic<int> requests_{0};
    // The server goes last: the runtime's connections close first.
    testing_support::LocalHttpServer server_{[this](httplib::Server& s) {
        s.Get("/feed.xml", [this](const auto&, auto& res) {
            ++requests_;
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a slow server
            res.set_content("<root/>", "text/xml");
        });
    }};
    testing_support::TestRuntime rt_;
};

TEST_F(HttpSessionTest, SubmitRefusesAtOnceWithoutNetworkOrUrl) {
    Recorder recorder;
    HttpSession session;
    EXPECT_EQ(session.OpenTransactionN(), nullptr); // not constructed
    EXPECT_EQ(GetLastResult(), E_INVALID_STATE);
    HttpSession badHost;
    EXPECT_EQ(badHost.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, L"", nullptr,
                                NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
              E_INVALID_ARG);

    std::unique_ptr<HttpTransaction> noUrl(Prepare(session, "", &recorder));
    EXPECT_EQ(noUrl->GetRequest()->SetUri(L""), E_INVALID_ARG);
    // A bad link is not a network outage (which is checked end to end).
    rt_.Get().Settings().networkOn.store(false);
    EXPECT_EQ(noUrl->Submit(), E_INVALID_STATE);
    rt_.Get().Settings().networkOn.store(true);
    std::unique_ptr<HttpTransaction> noListener(Prepare(session, "/feed.xml", nullptr));
    EXPECT_EQ(noListener->Submit(), E_INVALID_STATE);

    EXPECT_EQ(session.GetActiveTransactionCount(), 2);
    noUrl.reset();
    noListener.reset();
    EXPECT_EQ(session.GetActiveTransactionCount(), 0);
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_EQ(recorder.calls, "");
    EXPECT_EQ(requests_, 0);
}

TEST_F(HttpSessionTest, DeletingSessionOrTransactionInFlightSilencesIt) {
    Recorder bySession, byTransaction, survivor;
    auto session = std::make_unique<HttpSession>();
    Open(*session, bySession);
    HttpSession kept;
    HttpTransaction* cancelled = Open(kept, byTransaction);
    HttpTransaction* second = Open(kept, survivor);
    EXPECT_EQ(second->Submit(), E_INVALID_STATE); // once only
    session.reset();                              // takes its open transaction with it
    delete cancelled;
    EXPECT_EQ(kept.GetActiveTransactionCount(), 1);
    ASSERT_TRUE(rt_.RunUntilIdle(10000));
    EXPECT_EQ(bySession.calls, "");
    EXPECT_EQ(byTransaction.calls, "");
    EXPECT_EQ(survivor.calls, "header read completed ");
    EXPECT_EQ(survivor.status, 200); // its body reaching the cache whole is checked end to end
    EXPECT_EQ(kept.GetActiveTransactionCount(), 0);
}

} // namespace
