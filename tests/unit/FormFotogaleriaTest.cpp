#include "screens/FormFotogaleria.h"

#include "nav/FormMgr.h"
#include "support/AppHarness.h"
#include "support/ScreenFeeds.h"

#include <gtest/gtest.h>

#include <string>

using namespace Osp::Ui::Controls;
using testing_support::CurrentFrame;

namespace {

FormFotogaleria* Shown() {
    return dynamic_cast<FormFotogaleria*>(CurrentFrame().GetCurrentForm());
}

std::string Counter(FormFotogaleria& g) {
    auto* label = dynamic_cast<Label*>(g.GetControl(L"LabelFotogaleria", false));
    return label != nullptr ? label->GetText().ToUtf8() : "";
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

std::string Photo(const std::string& url) {
    return "<article Title=\"t\" ImgUrl=\"" + url + "\" ImgDes=\"pie\"/>";
}

} // namespace

// Paging with pictures is checked end to end; here, photos whose picture
// never calls back (none, or refused) and the last photo's "Siguiente".
TEST(FormFotogaleriaTest, PhotosWithoutAPictureAreCompleteAtOnceAndPagingStopsAtTheEnd) {
    testing_support::ScreenFeeds feeds; // outlives the runtime: its connections close first
    ASSERT_TRUE(feeds.Started());
    feeds.WritePicture("img/slow.jpg");
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 600;
    feeds.Server().SetRule("/img/slow.jpg", slow);
    feeds.Write("g.xml", "<root>" + Photo(feeds.Url("img/slow.jpg")) + Photo("") +
                             Photo("file:///etc/passwd") + "</root>");
    testing_support::TestRuntime rt;
    testing_support::RunApp([&](Osp::App::Application&) {
        Form* before = CurrentFrame().GetCurrentForm();
        testing_support::Manager().linkUrl = Osp::Base::String(feeds.Url("g.xml").c_str());
        testing_support::Manager().SendUserEvent(120, nullptr);
        ASSERT_TRUE(rt.RunUntil(
            [&] { return Shown() != before && Shown() != nullptr && !Counter(*Shown()).empty(); }));
        FormFotogaleria* g = Shown();
        EXPECT_EQ(Counter(*g), "Foto: 1 de 3");
        EXPECT_FALSE(g->backEnabled);
        EXPECT_FALSE(g->IsSoftkeyEnabled(SOFTKEY_1));
        EXPECT_FALSE(MenuOpens(*g));
        ASSERT_TRUE(rt.RunUntil([&] { return g->backEnabled; }, 8000));
        EXPECT_TRUE(MenuOpens(*g));

        for (const char* counter : {"Foto: 2 de 3", "Foto: 3 de 3", "Foto: 3 de 3"}) {
            g->OnActionPerformed(*g, 102); // "Siguiente"
            EXPECT_EQ(Counter(*g), counter);
            EXPECT_TRUE(g->backEnabled);
            EXPECT_TRUE(g->IsSoftkeyEnabled(SOFTKEY_1));
            EXPECT_TRUE(MenuOpens(*g));
        }
        g->OnActionPerformed(*g, 101); // "Anterior"
        EXPECT_EQ(Counter(*g), "Foto: 2 de 3");
        EXPECT_TRUE(g->backEnabled);
    });
}
