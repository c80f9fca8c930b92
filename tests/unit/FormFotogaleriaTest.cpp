#include "screens/FormFotogaleria.h"

#include "app/Pregonero_Raviv_v101.h"
#include "nav/FormMgr.h"
#include "net/ImageLoader.h"
#include "rows/Foto.h"
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

FormFotogaleria* Shown() {
    return dynamic_cast<FormFotogaleria*>(CurrentFrame().GetCurrentForm());
}

// Opens `url` the way the gallery section does and runs until the feed has
// been read and every picture request has settled.
FormFotogaleria* OpenGallery(TestRuntime& rt, const std::string& url) {
    Form* before = CurrentFrame().GetCurrentForm();
    Manager().linkUrl = String(url.c_str());
    Manager().SendUserEvent(120, nullptr);
    rt.RunUntil([before] { return Shown() != nullptr && Shown() != before; });
    rt.RunUntilIdle(8000);
    return Shown() != before ? Shown() : nullptr;
}

CustomList* List(FormFotogaleria& g) {
    for (int i = 0; i < g.GetControlCount(); ++i) {
        if (auto* list = dynamic_cast<CustomList*>(g.GetControlAt(i))) {
            return list;
        }
    }
    return nullptr;
}

String Counter(FormFotogaleria& g) {
    return dynamic_cast<Label*>(g.GetControl(L"LabelFotogaleria", false))->GetText();
}

Foto& Row(FormFotogaleria& g) {
    return *dynamic_cast<Foto*>(List(g)->GetItemAt(0));
}

std::string Photo(const std::string& title, const std::string& url) {
    return "<article Title=\"" + title + "\" ImgUrl=\"" + url + "\" ImgDes=\"pie " + title + "\"/>";
}

bool MenuOpens(FormFotogaleria& g) {
    g.OnActionPerformed(g, 103);
    OptionMenu* menu = g.GetAttachedOptionMenu();
    const bool open = menu != nullptr && menu->IsOpen();
    if (menu != nullptr) {
        menu->Close();
    }
    return open;
}

} // namespace

TEST(FormFotogaleriaTest, PagesThroughThePhotosWithoutWrappingAround) {
    ScreenFeeds feeds; // outlives the runtime, so its keep-alive connections close first
    ASSERT_TRUE(feeds.Started());
    for (const char* name : {"a.jpg", "b.PNG", "c.png"}) {
        feeds.WritePicture(std::string("img/") + name);
    }
    feeds.Write("g.xml", "<root>" + Photo("Uno", feeds.Url("img/a.jpg")) + "<otro/>" +
                             Photo("Dos", feeds.Url("img/b.PNG")) +
                             Photo("Tres", feeds.Url("img/c.png")) + "</root>");
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Manager().SendUserEvent(119, nullptr);
        rt.RunUntilIdle();
        FormFotogaleria* g = OpenGallery(rt, feeds.Url("g.xml"));
        ASSERT_NE(g, nullptr);
        ASSERT_NE(List(*g), nullptr);
        EXPECT_EQ(List(*g)->GetBounds().y, 50);
        EXPECT_EQ(Counter(*g), String("Foto: 1 de 3"));
        EXPECT_EQ(g->getPhotoCount(), 3);
        EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 3);
        ASSERT_EQ(List(*g)->GetItemCount(), 1);
        EXPECT_EQ(List(*g)->GetItemIdAt(0), 0);
        EXPECT_EQ(Row(*g).GetId(), String("IDFOTOGALERIA1"));
        EXPECT_EQ(Row(*g).imgDes, String("pie Uno"));
        EXPECT_NE(DescribeRow(Row(*g)).find("\"format\":\"RGB565\""), std::string::npos);
        EXPECT_TRUE(g->backEnabled);

        g->OnActionPerformed(*g, 101); // "Anterior" on the first photo
        EXPECT_EQ(g->getCurrentPhoto(), 0);
        EXPECT_EQ(Counter(*g), String("Foto: 1 de 3"));

        g->OnActionPerformed(*g, 102);
        EXPECT_FALSE(g->backEnabled); // the picture is on its way
        EXPECT_FALSE(g->IsSoftkeyEnabled(SOFTKEY_1));
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        EXPECT_EQ(Counter(*g), String("Foto: 2 de 3"));
        EXPECT_EQ(List(*g)->GetItemIdAt(0), 1);
        EXPECT_EQ(Row(*g).GetId(), String("IDFOTOGALERIA2")); // no gap after a picture
        EXPECT_NE(DescribeRow(Row(*g)).find("\"format\":\"ARGB8888\""), std::string::npos);

        g->OnActionPerformed(*g, 102);
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        EXPECT_EQ(Counter(*g), String("Foto: 3 de 3"));
        EXPECT_NE(DescribeRow(Row(*g)).find("\"format\":\"ARGB8888\""), std::string::npos);
        g->OnActionPerformed(*g, 102); // the last photo stays
        EXPECT_TRUE(g->backEnabled);
        EXPECT_EQ(Counter(*g), String("Foto: 3 de 3"));
        EXPECT_EQ(List(*g)->GetItemCount(), 1);

        g->OnActionPerformed(*g, 101);
        ASSERT_TRUE(rt.RunUntilIdle(8000));
        EXPECT_EQ(Counter(*g), String("Foto: 2 de 3"));

        g->PressSoftkey(SOFTKEY_1);
        rt.RunUntilIdle();
        auto* seccion = dynamic_cast<FormSeccion*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(seccion, nullptr);
        EXPECT_EQ(seccion->sectionTitle, String("FOTOGALERIA"));
    });
}

TEST(FormFotogaleriaTest, MenuAndBackWaitForThePhotosPicture) {
    ScreenFeeds feeds;
    ASSERT_TRUE(feeds.Started());
    feeds.WritePicture("img/slow.jpg");
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 600;
    feeds.Server().SetRule("/img/slow.jpg", slow);
    feeds.Write("g.xml", "<root>" + Photo("Lenta", feeds.Url("img/slow.jpg")) +
                             Photo("Sin foto", "") + Photo("Rechazada", "file:///etc/passwd") +
                             "</root>");
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Form* before = CurrentFrame().GetCurrentForm();
        Manager().linkUrl = String(feeds.Url("g.xml").c_str());
        Manager().SendUserEvent(120, nullptr);
        ASSERT_TRUE(rt.RunUntil([&] { return Shown() != before && Shown() && List(*Shown()); }));
        FormFotogaleria* g = Shown();
        EXPECT_EQ(Counter(*g), String("Foto: 1 de 3"));
        EXPECT_FALSE(g->backEnabled);
        EXPECT_FALSE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_FALSE(MenuOpens(*g));
        ASSERT_TRUE(rt.RunUntil([&] { return g->backEnabled; }, 8000));
        EXPECT_TRUE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(MenuOpens(*g));

        // No picture, or a picture the decoder refuses: nothing will call
        // back, so the photo is complete at once.
        g->OnActionPerformed(*g, 102);
        EXPECT_EQ(Counter(*g), String("Foto: 2 de 3"));
        EXPECT_TRUE(g->backEnabled);
        EXPECT_TRUE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_TRUE(MenuOpens(*g));
        g->OnActionPerformed(*g, 102);
        EXPECT_EQ(Counter(*g), String("Foto: 3 de 3"));
        EXPECT_TRUE(g->backEnabled);
        EXPECT_TRUE(MenuOpens(*g));
    });
}

TEST(FormFotogaleriaTest, FeedsWithoutPhotosLeaveBackWorking) {
    ScreenFeeds feeds;
    ASSERT_TRUE(feeds.Started());
    feeds.Write("empty.xml", "<root><Article Title=\"x\"/></root>");
    feeds.Write("wrong.xml", "<Root>" + Photo("x", "") + "</Root>");
    feeds.Write("one.xml", "<root>" + Photo("Sola", "") + "</root>");
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        FormFotogaleria* g = OpenGallery(rt, feeds.Url("empty.xml"));
        ASSERT_NE(g, nullptr);
        ASSERT_NE(List(*g), nullptr);
        EXPECT_EQ(List(*g)->GetItemCount(), 0);
        EXPECT_EQ(Counter(*g), String(""));
        EXPECT_TRUE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_FALSE(MenuOpens(*g));
        g->OnActionPerformed(*g, 102); // nothing to move to
        g->OnActionPerformed(*g, 101);
        EXPECT_EQ(g->getCurrentPhoto(), 0);

        g = OpenGallery(rt, feeds.Url("wrong.xml"));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(List(*g), nullptr);
        EXPECT_EQ(Counter(*g), String(""));
        EXPECT_TRUE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_EQ(g->getPhotoCount(), 0);

        g = OpenGallery(rt, feeds.Url("one.xml"));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(Counter(*g), String("Foto: 1 de 1"));
        g->OnActionPerformed(*g, 102);
        g->OnActionPerformed(*g, 101);
        EXPECT_EQ(Counter(*g), String("Foto: 1 de 1"));
        EXPECT_EQ(List(*g)->GetItemCount(), 1);
        g->PressSoftkey(SOFTKEY_1);
        rt.RunUntilIdle();
        EXPECT_NE(dynamic_cast<Form*>(CurrentFrame().GetCurrentForm()), g);
    });
}
