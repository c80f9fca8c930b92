#include "platform/runtime/loop/EventLoop.h"
#include "platform/ui/Control.h"
#include "platform/ui/MessageBox.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

using pregonero::runtime::EventLoop;
using pregonero::runtime::LoopMode;
using pregonero::runtime::TaskKind;
using testing_support::TestRuntime;

namespace {

class RecordingControl : public Osp::Ui::Control {
public:
    explicit RecordingControl(std::vector<std::string>& log) : log_(log) {}
    void OnUserEventReceivedN(Osp::Ui::RequestId id, Osp::Base::Collection::IList*) override {
        log_.push_back("event " + std::to_string(id));
    }

private:
    std::vector<std::string>& log_;
};

} // namespace

TEST(EventLoopTest, UserEventArrivesAfterTheSendingHandlerReturnsAndNotToADestroyedControl) {
    TestRuntime rt;
    std::vector<std::string> log;
    RecordingControl target(log);
    auto destroyed = std::make_unique<RecordingControl>(log);
    destroyed->SendUserEvent(100, nullptr);
    destroyed.reset(); // a screen switch destroyed it before delivery
    rt.Get().Loop().Post([&] {
        target.SendUserEvent(121, nullptr);
        log.push_back("handler done");
    });
    ASSERT_TRUE(rt.RunUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"handler done", "event 121"}));
}

TEST(EventLoopTest, TasksFromOtherThreadsRunInOrderOnTheLoopThread) {
    TestRuntime rt;
    auto loopThread = std::this_thread::get_id();
    std::vector<int> order;
    std::atomic<bool> wrongThread{false};
    std::thread poster([&] {
        for (int i = 0; i < 200; ++i) {
            rt.Get().Loop().Post([&, i] {
                wrongThread = wrongThread || std::this_thread::get_id() != loopThread;
                order.push_back(i);
            });
        }
    });
    poster.join();
    ASSERT_TRUE(rt.RunUntil([&] { return order.size() == 200; }));
    EXPECT_FALSE(wrongThread);
    std::vector<int> expected(200);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
}

TEST(EventLoopTest, RedrawsAreCoalescedIntoOneFramePerDrainedQueue) {
    TestRuntime rt;
    int frames = 0;
    rt.Get().Loop().SetRenderHook([&] { ++frames; });
    int ran = 0;
    for (int i = 0; i < 50; ++i) {
        rt.Get().Loop().Post([&] {
            rt.Get().Loop().RequestRedraw();
            ++ran;
        });
    }
    ASSERT_TRUE(rt.RunUntil([&] { return ran == 50 && !rt.Get().Loop().RedrawPending(); }));
    EXPECT_EQ(frames, 1);
    rt.Get().Loop().SetRenderHook(nullptr);
}

TEST(EventLoopTest, ModalBoxRunsInputOnlyAndOtherTasksWaitUntilItCloses) {
    TestRuntime rt;
    auto& loop = rt.Get().Loop();
    std::vector<std::string> log;
    Osp::Ui::Controls::MessageBox box;
    box.Construct(L"TestHttpGet", L"Network is unavailable", Osp::Ui::Controls::MSGBOX_STYLE_OK, 0);
    loop.Post([&] { log.push_back("http callback"); });
    loop.Post([&] { log.push_back("key"); }, TaskKind::Input);
    loop.Post(
        [&] {
            EXPECT_EQ(Osp::Ui::Controls::MessageBox::Top(), &box);
            box.PressOk();
        },
        TaskKind::Input);
    int modal = -1;
    box.ShowAndWait(modal);
    log.push_back("box closed");
    EXPECT_EQ(modal, Osp::Ui::Controls::MSGBOX_RESULT_OK);
    EXPECT_EQ(Osp::Ui::Controls::MessageBox::Top(), nullptr);
    ASSERT_TRUE(rt.RunUntilIdle());
    EXPECT_EQ(log, (std::vector<std::string>{"key", "box closed", "http callback"}));
}
