#include "platform/net/HttpSession.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/faults/FaultyFeedServer.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "platform/runtime/Runtime.h"

namespace {

namespace fs = std::filesystem;
using namespace Osp::Net::Http;
using Osp::Base::String;
using pregonero::runtime::LoopMode;
using pregonero::runtime::Runtime;

// Writes down every callback; deletes the transaction where the screens do.
class Recorder : public IHttpTransactionEventListener {
public:
    void OnTransactionReadyToRead(HttpSession&, HttpTransaction& t, int available) override {
        calls.push_back("read");
        HttpResponse* response = t.GetResponse();
        status = response->GetStatusCode();
        std::unique_ptr<Osp::Base::ByteBuffer> buffer(response->ReadBodyN());
        position = buffer->GetPosition();
        body.assign(reinterpret_cast<const char*>(buffer->GetPointer()),
                    static_cast<std::size_t>(buffer->GetLimit()));
        availableLen = available;
    }
    void OnTransactionAborted(HttpSession&, HttpTransaction& t, result r) override {
        calls.push_back("aborted");
        abortResult = r;
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
    int position = -1;
    int availableLen = -1;
    std::string body;
    result abortResult = E_SUCCESS;
};

class HttpSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("pregonero-http-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "mobile");
        body_ = std::string("<root>\xc3\xb1", 8) + std::string(1, '\0') + std::string(70000, 'x') +
                "</root>";
        std::ofstream(root_ / "mobile/feed.xml", std::ios::binary) << body_;
        ASSERT_TRUE(server_.Start(root_.string()));
    }
    void TearDown() override {
        server_.Stop();
        fs::remove_all(root_);
    }

    // Runs the event loop until the network is idle, for at most 10 s.
    bool RunUntilIdle() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        bool timedOut = false;
        runtime_.Loop().RunUntil(
            [&] {
                timedOut = std::chrono::steady_clock::now() > deadline;
                return timedOut || runtime_.Idle(LoopMode::All);
            },
            LoopMode::All);
        return !timedOut;
    }

    // A submitted GET of path on session, constructed here if need be.
    HttpTransaction* Open(HttpSession& session, const std::string& path, Recorder& recorder) {
        if (session.GetHostAddress().IsEmpty()) {
            EXPECT_EQ(session.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr,
                                        String(server_.BaseUrl().c_str()), nullptr,
                                        NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
                      E_SUCCESS);
        }
        HttpTransaction* t = session.OpenTransactionN();
        EXPECT_NE(t, nullptr);
        EXPECT_EQ(t->AddHttpTransactionListener(recorder), E_SUCCESS);
        EXPECT_EQ(t->GetRequest()->SetUri(String((server_.BaseUrl() + path).c_str())), E_SUCCESS);
        EXPECT_EQ(t->GetRequest()->SetMethod(NET_HTTP_METHOD_GET), E_SUCCESS);
        EXPECT_EQ(t->Submit(), E_SUCCESS);
        return t;
    }

    fs::path root_;
    std::string body_;
    Runtime runtime_;
    pregonero::feeds::FaultyFeedServer server_;
};

TEST(HttpRequestTest, SetUriTakesOnlyAbsoluteHttpUrlsWithAHost) {
    HttpRequest request;
    for (const char* bad :
         {"", "file:///etc/passwd", "ftp://127.0.0.1/feed.xml", "gopher://127.0.0.1:70/",
          "javascript:alert(1)", "/mobile/feed.xml", "mobile/feed.xml", "http://",
          "http:///feed.xml", "data:text/xml,<a/>"}) {
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
    ASSERT_EQ(session.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr,
                                String(server_.BaseUrl().c_str()), nullptr,
                                NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
              E_SUCCESS);

    std::unique_ptr<HttpTransaction> noUrl(session.OpenTransactionN());
    ASSERT_EQ(noUrl->AddHttpTransactionListener(recorder), E_SUCCESS);
    EXPECT_EQ(noUrl->GetRequest()->SetUri(L""), E_INVALID_ARG);
    runtime_.Settings().networkOn.store(false);
    EXPECT_EQ(noUrl->Submit(), E_INVALID_STATE); // a bad link is not a network outage

    std::unique_ptr<HttpTransaction> offline(session.OpenTransactionN());
    ASSERT_EQ(offline->AddHttpTransactionListener(recorder), E_SUCCESS);
    ASSERT_EQ(
        offline->GetRequest()->SetUri(String((server_.BaseUrl() + "/mobile/feed.xml").c_str())),
        E_SUCCESS);
    EXPECT_EQ(offline->Submit(), E_NETWORK_UNAVAILABLE);
    EXPECT_EQ(offline->GetResponse(), nullptr);
    runtime_.Settings().networkOn.store(true);

    std::unique_ptr<HttpTransaction> noListener(session.OpenTransactionN());
    ASSERT_EQ(
        noListener->GetRequest()->SetUri(String((server_.BaseUrl() + "/mobile/feed.xml").c_str())),
        E_SUCCESS);
    EXPECT_EQ(noListener->Submit(), E_INVALID_STATE);

    EXPECT_EQ(session.GetActiveTransactionCount(), 3);
    noUrl.reset();
    offline.reset();
    noListener.reset();
    EXPECT_EQ(session.GetActiveTransactionCount(), 0);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(server_.RequestCount("/mobile/feed.xml"), 0);
}

TEST_F(HttpSessionTest, DeliversWholeBodyInOrderAndSurvivesDeletionInCallbacks) {
    server_.SetRule("/mobile/chunked.xml", [] {
        pregonero::feeds::FaultRule rule;
        rule.chunkSize = 1000;
        rule.bodyOverride = std::string(5000, 'c');
        return rule;
    }());
    server_.SetRule("/mobile/missing.xml", [] {
        pregonero::feeds::FaultRule rule;
        rule.status = 404;
        rule.bodyOverride = "gone";
        return rule;
    }());
    server_.SetRule("/mobile/dropped.xml", [] {
        pregonero::feeds::FaultRule rule;
        rule.dropAfterBytes = 10;
        rule.bodyOverride = std::string(4000, 'd');
        return rule;
    }());
    HttpSession session;
    Recorder ok, chunked, missing, dropped;
    Open(session, "/mobile/feed.xml", ok);
    // One session serves several transactions at once.
    ASSERT_EQ(session.GetActiveTransactionCount(), 1);
    HttpTransaction* t = session.OpenTransactionN();
    ASSERT_EQ(t->AddHttpTransactionListener(chunked), E_SUCCESS);
    ASSERT_EQ(t->AddHttpTransactionListener(ok), E_ALREADY_EXIST);
    ASSERT_EQ(t->GetRequest()->SetUri(String((server_.BaseUrl() + "/mobile/chunked.xml").c_str())),
              E_SUCCESS);
    ASSERT_EQ(t->Submit(), E_SUCCESS);
    EXPECT_EQ(t->Submit(), E_INVALID_STATE);
    HttpSession other1, other2;
    Open(other1, "/mobile/missing.xml", missing);
    Open(other2, "/mobile/dropped.xml", dropped);
    ASSERT_TRUE(RunUntilIdle());

    const std::vector<std::string> full = {"header", "read", "completed"};
    EXPECT_EQ(ok.calls, full);
    EXPECT_EQ(ok.status, 200);
    EXPECT_EQ(ok.position, 0);
    EXPECT_EQ(ok.body, body_);
    EXPECT_EQ(ok.availableLen, static_cast<int>(body_.size()));
    EXPECT_EQ(chunked.calls, full);
    EXPECT_EQ(chunked.body, std::string(5000, 'c'));
    EXPECT_EQ(missing.calls, full);
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(dropped.calls, std::vector<std::string>{"aborted"});
    EXPECT_NE(dropped.abortResult, E_SUCCESS);
    EXPECT_EQ(session.GetActiveTransactionCount(), 0);
    EXPECT_EQ(other2.GetActiveTransactionCount(), 0);
}

TEST_F(HttpSessionTest, DeletingSessionOrTransactionInFlightSilencesIt) {
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 300;
    server_.SetRule("/mobile/feed.xml", slow);
    Recorder bySession, byTransaction, survivor;
    auto session = std::make_unique<HttpSession>();
    Open(*session, "/mobile/feed.xml", bySession);
    HttpSession kept;
    HttpTransaction* cancelled = Open(kept, "/mobile/feed.xml", byTransaction);
    Open(kept, "/mobile/feed.xml", survivor);
    session.reset(); // takes its open transaction with it
    delete cancelled;
    EXPECT_EQ(kept.GetActiveTransactionCount(), 1);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(bySession.calls.empty());
    EXPECT_TRUE(byTransaction.calls.empty());
    EXPECT_EQ(survivor.calls, (std::vector<std::string>{"header", "read", "completed"}));
}

} // namespace
