#include "screens/FormNota.h"

#include "app/Pregonero_Raviv_v101.h"
#include "nav/FormMgr.h"
#include "net/ImageLoader.h"
#include "rows/Articulo.h"
#include "screens/FormPortada.h"
#include "screens/FormSeccion.h"
#include "support/AppHarness.h"
#include "support/ScreenFeeds.h"

#include <gtest/gtest.h>

#include <string>

using namespace Osp::Ui::Controls;
using Osp::Base::String;
using testing_support::CurrentFrame;
using testing_support::DescribeRow;
using testing_support::ScreenFeeds;
using testing_support::ScriptedRunner;
using testing_support::TestRuntime;

namespace {

FormMgr& Manager() {
    return *dynamic_cast<FormMgr*>(CurrentFrame().GetControl(L"FormMgr", false));
}

void RunApp(std::function<void(Osp::App::Application&)> body) {
    ScriptedRunner runner(std::move(body));
    Osp::App::Application::Execute(Pregonero_Raviv_v101::CreateInstance, nullptr, 1);
}

FormNota* Shown() {
    return dynamic_cast<FormNota*>(CurrentFrame().GetCurrentForm());
}

// Opens `url` the way a headline does and runs until the feed has been read
// (the list exists) or the screen has given up (back enabled).
FormNota* OpenArticle(TestRuntime& rt, const std::string& url) {
    Form* before = CurrentFrame().GetCurrentForm();
    Manager().linkUrl = String(url.c_str());
    Manager().SendUserEvent(121, nullptr);
    rt.RunUntil([before] {
        FormNota* nota = Shown();
        return nota != nullptr && nota != before && (nota->list || nota->backEnabled);
    });
    return Shown() != before ? Shown() : nullptr;
}

Articulo& Row(FormNota& nota, int index) {
    return *dynamic_cast<Articulo*>(nota.list->GetItemAt(index));
}

bool HasPicture(FormNota& nota, int index, const char* format) {
    const std::string row = DescribeRow(Row(nota, index));
    return row.find(std::string("\"format\":\"") + format + "\"") != std::string::npos;
}

} // namespace

TEST(FormNotaTest, PicturedArticleKeepsBackOffUntilItsPictureArrives) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    TestRuntime rt;
    ASSERT_TRUE(feeds.Started());
    feeds.WritePicture("img/a.jpg");
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 600;
    feeds.Server().SetRule("/img/a.jpg", slow);
    feeds.Write("n.xml", "<root><article Title=\"Uno\" Author=\"Ana\" PubDate=\"6/12\" "
                         "PubTime=\"10:00\" ImgLink=\"" +
                             feeds.Url("img/a.jpg") +
                             "\" ImgDes=\"Pie\"><![CDATA[<p>Hola</p>&#13;]]></article>"
                             "<note/><article Title=\"Dos\"><![CDATA[texto</em> final]]></article>"
                             "</root>");
    RunApp([&](Osp::App::Application&) {
        FormNota* nota = OpenArticle(rt, feeds.Url("n.xml"));
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        // Waiting for the picture: label gone, list added but hidden, no way back.
        EXPECT_EQ(nota->labelCargando, nullptr);
        EXPECT_EQ(nota->GetControl(L"LabelCargando", false), nullptr);
        EXPECT_FALSE(nota->list->GetShowState());
        EXPECT_FALSE(nota->backEnabled);
        EXPECT_FALSE(nota->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 1);
        EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 0);
        ASSERT_EQ(nota->list->GetItemCount(), 2);
        EXPECT_EQ(nota->list->GetItemIdAt(0), 1);
        EXPECT_EQ(nota->list->GetItemIdAt(1), 3);
        EXPECT_EQ(Row(*nota, 0).GetId(), String("IDNOTA1"));
        EXPECT_EQ(Row(*nota, 1).GetId(), String("IDNOTA3"));
        EXPECT_EQ(Row(*nota, 0).body, String("Hola"));
        EXPECT_EQ(Row(*nota, 0).imgDes, String("Pie"));
        EXPECT_EQ(Row(*nota, 1).body, String("texto final"));
        EXPECT_EQ(Row(*nota, 1).author, String(""));
        EXPECT_EQ(nota->list->GetBounds().width, 480);
        EXPECT_EQ(nota->list->GetBounds().height, nota->GetClientAreaBounds().height);
        nota->PressSoftkey(SOFTKEY_1);
        rt.RunUntil([] { return false; }, 100);
        EXPECT_EQ(Shown(), nota);

        ASSERT_TRUE(rt.RunUntil([&] { return nota->backEnabled; }, 8000));
        EXPECT_TRUE(nota->list->GetShowState());
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(HasPicture(*nota, 0, "RGB565")) << DescribeRow(Row(*nota, 0));
        EXPECT_NE(DescribeRow(Row(*nota, 0)).find("\"width\":440"), std::string::npos);

        // Back returns to where the headline was, with a new front page.
        nota->PressSoftkey(SOFTKEY_1);
        rt.RunUntilIdle();
        EXPECT_NE(dynamic_cast<FormPortada*>(CurrentFrame().GetCurrentForm()), nullptr);
    });
}

TEST(FormNotaTest, WithoutPictureTheArticleIsShownRightAfterParsing) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    TestRuntime rt;
    ASSERT_TRUE(feeds.Started());
    // No child node: an empty body; a bare carriage return (as a character
    // reference outside CDATA) survives the clean-up.
    feeds.Write("n.xml", "<root>\n  <article Title=\"Sin foto\" ImgLink=\"\"/>\n"
                         "  <article Title=\"Dos\">uno&#13;dos</article>\n</root>");
    RunApp([&](Osp::App::Application&) {
        Manager().SendUserEvent(108, nullptr);
        rt.RunUntilIdle();
        FormNota* nota = OpenArticle(rt, feeds.Url("n.xml"));
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_TRUE(nota->backEnabled);
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(nota->list->GetShowState());
        ASSERT_EQ(nota->list->GetItemCount(), 2);
        EXPECT_EQ(nota->list->GetItemIdAt(1), 2); // no picture: no number skipped
        EXPECT_EQ(Row(*nota, 0).body, String(""));
        EXPECT_EQ(Row(*nota, 1).body, String("uno\rdos"));
        EXPECT_EQ(Row(*nota, 1).GetId(), String("IDNOTA2"));

        nota->PressSoftkey(SOFTKEY_1);
        rt.RunUntilIdle();
        auto* seccion = dynamic_cast<FormSeccion*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(seccion, nullptr);
        EXPECT_EQ(seccion->sectionTitle, String("DEPORTES"));
    });
}

TEST(FormNotaTest, PictureFormatFollowsTheLinkEndingAndARefusalReleasesTheScreen) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    TestRuntime rt;
    ASSERT_TRUE(feeds.Started());
    std::string feed = "<root>";
    for (const char* name : {"a.PNG", "b.png", "c.Png", "d.jpg"}) {
        feeds.WritePicture(std::string("img/") + name);
        feed += "<article Title=\"x\" ImgLink=\"" + feeds.Url(std::string("img/") + name) +
                "\">b</article>";
    }
    feeds.Write("n.xml", feed + "</root>");
    // A link the decoder refuses never calls back; the screen must not wait for it.
    feeds.Write("refused.xml", "<root><article ImgLink=\"ftp://127.0.0.1/x.jpg\">b</article>"
                               "<article>c</article></root>");
    RunApp([&](Osp::App::Application&) {
        FormNota* nota = OpenArticle(rt, feeds.Url("n.xml"));
        ASSERT_NE(nota, nullptr);
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        ASSERT_EQ(nota->list->GetItemCount(), 4);
        EXPECT_EQ(nota->list->GetItemIdAt(3), 7);
        EXPECT_TRUE(HasPicture(*nota, 0, "ARGB8888"));
        EXPECT_TRUE(HasPicture(*nota, 1, "ARGB8888"));
        EXPECT_TRUE(HasPicture(*nota, 2, "RGB565"));
        EXPECT_TRUE(HasPicture(*nota, 3, "RGB565"));

        nota = OpenArticle(rt, feeds.Url("refused.xml"));
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_TRUE(nota->backEnabled);
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(nota->list->GetShowState());
        EXPECT_EQ(nota->list->GetItemIdAt(1), 3); // the number is still taken
        EXPECT_EQ(DescribeRow(Row(*nota, 0)).find("\"bitmap\":{"), std::string::npos);
    });
}

TEST(FormNotaTest, UnreadableFeedLeavesTheLoadingLabelAndAWayBack) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    TestRuntime rt;
    ASSERT_TRUE(feeds.Started());
    feeds.Write("root.xml", "<Root><article Title=\"x\">b</article></Root>");
    feeds.Write("junk.xml", "<root><article>");
    feeds.Write("empty.xml", "<root><Article Title=\"x\"/>texto</root>");
    RunApp([&](Osp::App::Application&) {
        for (const char* name : {"root.xml", "junk.xml"}) {
            FormNota* nota = OpenArticle(rt, feeds.Url(name));
            ASSERT_NE(nota, nullptr);
            rt.RunUntilIdle();
            EXPECT_EQ(nota->list, nullptr) << name;
            ASSERT_NE(nota->labelCargando, nullptr) << name;
            EXPECT_EQ(nota->labelCargando->GetText(), String("Cargando nota..."));
            EXPECT_TRUE(nota->backEnabled) << name;
            EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1)) << name;
        }
        // A root without "article" (names match case and all) shows an empty list.
        FormNota* nota = OpenArticle(rt, feeds.Url("empty.xml"));
        ASSERT_NE(nota, nullptr);
        ASSERT_NE(nota->list, nullptr);
        EXPECT_EQ(nota->list->GetItemCount(), 0);
        EXPECT_EQ(nota->labelCargando, nullptr);
        EXPECT_TRUE(nota->list->GetShowState());
        EXPECT_TRUE(nota->IsSoftkeyEnabled(SOFTKEY_1));
    });
}

TEST(FormNotaTest, LeavingBeforeTheLaterPicturesArriveIsSafe) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    TestRuntime rt;
    ASSERT_TRUE(feeds.Started());
    feeds.WritePicture("img/fast.jpg");
    feeds.WritePicture("img/slow.jpg");
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 800;
    feeds.Server().SetRule("/img/slow.jpg", slow);
    feeds.Write("n.xml", "<root><article ImgLink=\"" + feeds.Url("img/fast.jpg") +
                             "\">a</article><article ImgLink=\"" + feeds.Url("img/slow.jpg") +
                             "\">b</article></root>");
    RunApp([&](Osp::App::Application&) {
        FormNota* nota = OpenArticle(rt, feeds.Url("n.xml"));
        ASSERT_NE(nota, nullptr);
        // The first picture releases the screen; the second is still on its way.
        ASSERT_TRUE(rt.RunUntil([&] { return nota->backEnabled; }, 8000));
        nota->PressSoftkey(SOFTKEY_1);
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        EXPECT_NE(dynamic_cast<FormPortada*>(CurrentFrame().GetCurrentForm()), nullptr);
        // Only the first picture counted: the cancelled one never called back.
        EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 1);
    });
}
