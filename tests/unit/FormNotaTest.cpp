#include "screens/FormNota.h"

#include "nav/FormMgr.h"
#include "net/ImageLoader.h"
#include "rows/Articulo.h"
#include "screens/FormPortada.h"
#include "support/AppHarness.h"
#include "support/ScreenFeeds.h"

#include <gtest/gtest.h>

#include <string>

using namespace Osp::Ui::Controls;
using Osp::Base::String;
using testing_support::CurrentFrame;
using testing_support::RunApp;

// The article screen end to end is checked by the end-to-end tests; these
// are the cases where nothing will ever call back, or a call comes too late.
namespace {

FormNota* Shown() {
    return dynamic_cast<FormNota*>(CurrentFrame().GetCurrentForm());
}

// The feeds outlive the runtime, so its keep-alive connections close first.
class FormNotaTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(feeds.Started()); }
    // Opens `path` the way a headline does and runs until the feed has been
    // read (the list exists) or the screen has given up (back enabled).
    FormNota* Open(const std::string& path) {
        Form* before = CurrentFrame().GetCurrentForm();
        testing_support::Manager().linkUrl = String(feeds.Url(path).c_str());
        testing_support::Manager().SendUserEvent(121, nullptr);
        rt.RunUntil([before] {
            FormNota* nota = Shown();
            return nota != nullptr && nota != before && (nota->list || nota->backEnabled);
        });
        return Shown() != before ? Shown() : nullptr;
    }
    testing_support::ScreenFeeds feeds;
    testing_support::TestRuntime rt;
};

} // namespace

TEST_F(FormNotaTest, NoPictureARefusedOneOrAnUnreadableFeedNeverHoldTheScreen) {
    // No child node: an empty body; a bare carriage return (as a character
    // reference outside CDATA) survives the clean-up. A link the decoder
    // refuses never calls back, and its row number is still taken.
    feeds.Write("n.xml", "<root><article Title=\"Sin foto\" ImgLink=\"\"/>"
                         "<article ImgLink=\"ftp://127.0.0.1/x.jpg\">uno&#13;dos</article>"
                         "<article>c</article></root>");
    feeds.Write("junk.xml", "<root><article>");
    feeds.Write("empty.xml", "<root><Article Title=\"x\"/>texto</root>");
    RunApp([&](Osp::App::Application&) {
        FormNota* nota = Open("n.xml");
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_TRUE(nota->backEnabled);
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(nota->list->GetShowState());
        ASSERT_EQ(nota->list->GetItemCount(), 3);
        EXPECT_EQ(nota->list->GetItemIdAt(1), 2);
        EXPECT_EQ(nota->list->GetItemIdAt(2), 4);
        EXPECT_EQ(dynamic_cast<Articulo*>(nota->list->GetItemAt(0))->body, String(""));
        EXPECT_EQ(dynamic_cast<Articulo*>(nota->list->GetItemAt(1))->body, String("uno\rdos"));

        nota = Open("junk.xml");
        ASSERT_NE(nota, nullptr);
        ASSERT_TRUE(rt.RunUntilIdle());
        EXPECT_EQ(nota->list, nullptr);
        ASSERT_NE(nota->labelCargando, nullptr);
        EXPECT_EQ(nota->labelCargando->GetText(), String("Cargando nota..."));
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));

        // A root without "article" (names match case and all) shows an empty list.
        nota = Open("empty.xml");
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_EQ(nota->list->GetItemCount(), 0);
        EXPECT_TRUE(nota->list->GetShowState());
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
    });
}

TEST_F(FormNotaTest, BackIsOffUntilThePictureAndLeavingCancelsTheLaterOnes) {
    feeds.WritePicture("img/fast.jpg");
    feeds.WritePicture("img/slow.jpg");
    feeds.Server().SetRule("/img/fast.jpg", testing_support::Slow(300));
    feeds.Server().SetRule("/img/slow.jpg", testing_support::Slow(2000));
    feeds.Write("n.xml", "<root><article ImgLink=\"" + feeds.Url("img/fast.jpg") +
                             "\">a</article><article ImgLink=\"" + feeds.Url("img/slow.jpg") +
                             "\">b</article></root>");
    RunApp([&](Osp::App::Application&) {
        FormNota* nota = Open("n.xml");
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_FALSE(nota->list->GetShowState());
        EXPECT_FALSE(nota->backEnabled);
        nota->PressSoftkey(SOFTKEY_1); // does nothing yet
        ASSERT_TRUE(rt.RunQueued());
        EXPECT_EQ(Shown(), nota);
        // The first picture releases the screen; the second is still on its way.
        ASSERT_TRUE(rt.RunUntil([&] { return nota->backEnabled; }, 8000));
        EXPECT_TRUE(nota->list->GetShowState());
        nota->PressSoftkey(SOFTKEY_1);
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        EXPECT_NE(dynamic_cast<FormPortada*>(CurrentFrame().GetCurrentForm()), nullptr);
        // Only the first picture counted: the cancelled one never called back.
        EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 1);
    });
}
