#include "platform/net/HttpSession.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/FeedServer.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "support/AppHarness.h"

namespace {

using namespace Osp::Net::Http;
using Osp::Base::String;

// Writes down every callback; deletes the transaction where the screens do.
class Recorder : public IHttpTransactionEventListener {
public:
    void OnTransactionReadyToRead(HttpSession&, HttpTransaction& t, int available) override {
        calls.push_back("read");
        HttpResponse* response = t.GetResponse();
        status = response->GetStatusCode();
        std::unique_ptr<Osp::Base::ByteBuffer> buffer(response->ReadBodyN());
        EXPECT_EQ(buffer->GetPosition(), 0);
        EXPECT_EQ(buffer->GetLimit(), available);
        body.assign(reinterpret_cast<const char*>(buffer->GetPointer()),
                    static_cast<std::size_t>(buffer->GetLimit()));
    }
    void OnTransactionAborted(HttpSession&, HttpTransaction& t, result r) override {
        calls.push_back("aborted");
        EXPECT_NE(r, E_SUCCESS);
        delete &t;
    }
    void OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) override {
        calls.push_back("write");
    }
    void OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) override {
        calls.push_back("header");
    }
    void OnTransactionCompleted(HttpSession&, HttpTransaction& t) override {
        calls.push_back("completed");
        delete &t;
    }
    void OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&, String*) override {
        calls.push_back("cert");
    }

    std::vector<std::string> calls;
    int status = 0;
    std::string body;
};

const std::vector<std::string> kWhole = {"header", "read", "completed"};

class HttpSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string root = rt_.Home() + "/www";
        std::filesystem::create_directories(root + "/mobile");
        body_ = std::string("<root>\xc3\xb1", 8) + std::string(1, '\0') + std::string(70000, 'x') +
                "</root>";
        std::ofstream(root + "/mobile/feed.xml", std::ios::binary) << body_;
        ASSERT_TRUE(server_.Start(root));
    }
    String Url(const std::string& path) { return String((server_.BaseUrl() + path).c_str()); }
    void Construct(HttpSession& session) {
        ASSERT_EQ(session.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, Url(""), nullptr,
                                    NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
                  E_SUCCESS);
    }
    // An opened transaction for GET of `path` (none if empty), with `recorder`
    // listening if given.
    HttpTransaction* Prepare(HttpSession& session, const std::string& path, Recorder* recorder) {
        if (session.GetHostAddress().IsEmpty()) {
            Construct(session);
        }
        HttpTransaction* t = session.OpenTransactionN();
        EXPECT_NE(t, nullptr);
        if (recorder != nullptr) {
            EXPECT_EQ(t->AddHttpTransactionListener(*recorder), E_SUCCESS);
        }
        if (!path.empty()) {
            EXPECT_EQ(t->GetRequest()->SetUri(Url(path)), E_SUCCESS);
        }
        EXPECT_EQ(t->GetRequest()->SetMethod(NET_HTTP_METHOD_GET), E_SUCCESS);
        return t;
    }
    HttpTransaction* Open(HttpSession& session, const std::string& path, Recorder& recorder) {
        HttpTransaction* t = Prepare(session, path, &recorder);
        EXPECT_EQ(t->Submit(), E_SUCCESS);
        return t;
    }
    // The server goes last: the runtime's connections close first.
    pregonero::feeds::FeedServer server_;
    testing_support::TestRuntime rt_;
    std::string body_;
};

TEST(HttpRequestTest, SetUriTakesOnlyAbsoluteHttpUrlsWithAHost) {
    HttpRequest request;
    for (const char* bad : {"", "file:///etc/passwd", "ftp://127.0.0.1/feed.xml",
                            "/mobile/feed.xml", "http://", "http:///feed.xml"}) {
        EXPECT_EQ(request.SetUri(String(bad)), E_INVALID_ARG) << bad;
        EXPECT_FALSE(request.HasValidUri()) << bad;
    }
    EXPECT_EQ(request.SetUri(L"http://127.0.0.1:8080/mobile/2notashome.xml"), E_SUCCESS);
    EXPECT_EQ(request.SetUri(L"file:///etc/passwd"), E_INVALID_ARG);
    EXPECT_EQ(request.GetUri(), String(L"http://127.0.0.1:8080/mobile/2notashome.xml"));
    EXPECT_EQ(request.SetUri(L"HTTPS://example.org/x"), E_SUCCESS);
}

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
    rt_.Get().Settings().networkOn.store(false);
    EXPECT_EQ(noUrl->Submit(), E_INVALID_STATE); // a bad link is not a network outage
    std::unique_ptr<HttpTransaction> offline(Prepare(session, "/mobile/feed.xml", &recorder));
    EXPECT_EQ(offline->Submit(), E_NETWORK_UNAVAILABLE);
    EXPECT_EQ(offline->GetResponse(), nullptr);
    rt_.Get().Settings().networkOn.store(true);
    std::unique_ptr<HttpTransaction> noListener(Prepare(session, "/mobile/feed.xml", nullptr));
    EXPECT_EQ(noListener->Submit(), E_INVALID_STATE);

    EXPECT_EQ(session.GetActiveTransactionCount(), 3);
    noUrl.reset();
    offline.reset();
    noListener.reset();
    EXPECT_EQ(session.GetActiveTransactionCount(), 0);
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(server_.RequestCount("/mobile/feed.xml"), 0);
}

TEST_F(HttpSessionTest, DeletingSessionOrTransactionInFlightSilencesIt) {
    server_.SetRule("/mobile/feed.xml", testing_support::Slow(300));
    Recorder bySession, byTransaction, survivor;
    auto session = std::make_unique<HttpSession>();
    Open(*session, "/mobile/feed.xml", bySession);
    HttpSession kept;
    HttpTransaction* cancelled = Open(kept, "/mobile/feed.xml", byTransaction);
    Open(kept, "/mobile/feed.xml", survivor);
    session.reset(); // takes its open transaction with it
    delete cancelled;
    EXPECT_EQ(kept.GetActiveTransactionCount(), 1);
    ASSERT_TRUE(rt_.RunUntilIdle(10000));
    EXPECT_TRUE(bySession.calls.empty());
    EXPECT_TRUE(byTransaction.calls.empty());
    EXPECT_EQ(survivor.calls, kWhole);
    EXPECT_EQ(survivor.status, 200);
    EXPECT_EQ(survivor.body, body_); // whole, NUL and all
}

} // namespace
