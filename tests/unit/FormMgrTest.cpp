#include "app/Pregonero_Raviv_v101.h"
#include "app/Pregonero_Raviv_v101Entry.h"
#include "nav/FormMgr.h"
#include "screens/FormFotogaleria.h"
#include "screens/FormNota.h"
#include "screens/FormPortada.h"
#include "screens/FormSeccion.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Osp::Ui::Controls;
using testing_support::CurrentFrame;
using testing_support::ScriptedRunner;
using testing_support::TestRuntime;

namespace {

std::vector<std::string> FormNames() {
    std::vector<std::string> names;
    for (Form* form : CurrentFrame().GetForms()) {
        names.push_back(form->GetName().ToUtf8());
    }
    return names;
}

FormMgr& Manager() {
    return *dynamic_cast<FormMgr*>(CurrentFrame().GetControl(L"FormMgr", false));
}

// Sends `id` the way the screens do and lets the loop deliver it.
void Send(TestRuntime& rt, long id) {
    Manager().SendUserEvent(id, nullptr);
    rt.RunUntilIdle();
}

result RunApp(std::function<void(Osp::App::Application&)> body) {
    ScriptedRunner runner(std::move(body));
    return Osp::App::Application::Execute(Pregonero_Raviv_v101::CreateInstance, nullptr, 1);
}

} // namespace

TEST(FormMgrTest, StartUpBuildsOnlyTheFrontPage) {
    TestRuntime rt;
    bool ran = false;
    RunApp([&](Osp::App::Application&) {
        ran = true;
        EXPECT_EQ(FormNames(), (std::vector<std::string>{"FormMgr", "IDF_FORM_PORTADA"}));
        FormMgr& mgr = Manager();
        EXPECT_EQ(mgr.currentFormId, 100);
        EXPECT_EQ(mgr.currentForm, CurrentFrame().GetCurrentForm());
        auto* portada = dynamic_cast<FormPortada*>(mgr.currentForm);
        ASSERT_NE(portada, nullptr);
        EXPECT_EQ(portada->getUriRequest(),
                  Osp::Base::String("http://127.0.0.1:9/mobile/2notashome.xml"));
        EXPECT_STREQ(portada->getFileName(), "/Home/Res/2notashome.xml");
        EXPECT_EQ(portada->app, Osp::App::Application::GetInstance());
    });
    EXPECT_TRUE(ran);
}

TEST(FormMgrTest, SwitchMakesTheNewScreenCurrentBeforeRemovingTheOldOne) {
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Form* before = CurrentFrame().GetCurrentForm();
        std::vector<std::string> seenAtRemoval;
        CurrentFrame().SetFormRemovalObserver([&](const Form& removing) {
            EXPECT_EQ(&removing, before);
            seenAtRemoval.push_back(CurrentFrame().GetCurrentForm()->GetName().ToUtf8());
        });
        Send(rt, 105);
        EXPECT_EQ(seenAtRemoval, std::vector<std::string>{"IDF_FORM_SECCION"});
        EXPECT_EQ(FormNames(), (std::vector<std::string>{"FormMgr", "IDF_FORM_SECCION"}));
        auto* seccion = dynamic_cast<FormSeccion*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(seccion, nullptr);
        EXPECT_EQ(seccion->sectionTitle, Osp::Base::String("ESTADO DE MEXICO"));
        EXPECT_EQ(seccion->getUriRequest(),
                  Osp::Base::String("http://127.0.0.1:9/mobile/edomex.xml"));
        EXPECT_STREQ(seccion->getFileName(), "/Home/Res/edomex.xml");
        EXPECT_EQ(Manager().currentFormId, 105);
        CurrentFrame().SetFormRemovalObserver(nullptr);
    });
}

TEST(FormMgrTest, IdsOutsideTheCatalogueChangeNothing) {
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Form* shown = CurrentFrame().GetCurrentForm();
        int removed = 0;
        CurrentFrame().SetFormRemovalObserver([&](const Form&) { ++removed; });
        for (long id : {99L, 122L, -1L, 0L, 1000L}) {
            Send(rt, id);
        }
        EXPECT_EQ(removed, 0);
        EXPECT_EQ(CurrentFrame().GetCurrentForm(), shown);
        EXPECT_EQ(Manager().currentFormId, 100);
        EXPECT_EQ(FormNames().size(), 2u);
        CurrentFrame().SetFormRemovalObserver(nullptr);
    });
}

TEST(FormMgrTest, ArticleAndGalleryCarryTheReturnIdAndTheLink) {
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Send(rt, 108);
        Manager().linkUrl = Osp::Base::String("http://127.0.0.1:9/notas/uno.xml");
        Send(rt, 121);
        auto* nota = dynamic_cast<FormNota*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(nota, nullptr);
        EXPECT_EQ(nota->getReturnFormId(), 108);
        EXPECT_EQ(nota->getUriRequest(), Osp::Base::String("http://127.0.0.1:9/notas/uno.xml"));
        EXPECT_EQ(nota->getHostAddr(), Osp::Base::String("http://127.0.0.1:9"));
        EXPECT_STREQ(nota->getFileName(), "/Home/Res/Nota.xml");
        EXPECT_EQ(Manager().currentFormId, 108); // still names the screen to return to

        // A second article replaces the first and keeps the same return id.
        Send(rt, 121);
        auto* second = dynamic_cast<FormNota*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->getReturnFormId(), 108);
        EXPECT_EQ(FormNames(), (std::vector<std::string>{"FormMgr", "IDF_FORM_NOTA"}));

        // Back sends the return id, which rebuilds the section from scratch.
        second->OnActionPerformed(*second, 100);
        rt.RunUntilIdle();
        auto* seccion = dynamic_cast<FormSeccion*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(seccion, nullptr);
        EXPECT_EQ(seccion->sectionTitle, Osp::Base::String("DEPORTES"));

        Send(rt, 119);
        Manager().linkUrl = Osp::Base::String("http://127.0.0.1:9/galerias/g1.xml");
        Send(rt, 120);
        auto* galeria = dynamic_cast<FormFotogaleria*>(CurrentFrame().GetCurrentForm());
        ASSERT_NE(galeria, nullptr);
        EXPECT_EQ(galeria->getReturnFormId(), 119);
        EXPECT_EQ(galeria->getUriRequest(),
                  Osp::Base::String("http://127.0.0.1:9/galerias/g1.xml"));
        EXPECT_STREQ(galeria->getFileName(), "/Home/Res/fotogaleria.xml");
    });
}

TEST(FormMgrTest, StarterFormBuildsNothingUnlessTheManagerIsCurrent) {
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        // After start-up the front page is current, so a second start is refused.
        EXPECT_FALSE(Manager().SetStarterForm(105, nullptr));
        EXPECT_EQ(FormNames(), (std::vector<std::string>{"FormMgr", "IDF_FORM_PORTADA"}));
    });
}

TEST(OspMainTest, ResultKeepsItsLowSixteenBitsAndArgumentsAreFreed) {
    char arg0[] = "pregonero";
    char arg1[] = "--algo";
    char* argv[] = {arg0, arg1, nullptr};
    // Without a runtime the platform cannot start: E_INVALID_STATE comes back masked.
    EXPECT_EQ(OspMain(2, argv), static_cast<int>(E_INVALID_STATE & 0xFFFF));
    EXPECT_EQ(OspMain(0, argv), static_cast<int>(E_INVALID_STATE & 0xFFFF));

    TestRuntime rt;
    ScriptedRunner runner([](Osp::App::Application& app) { app.Terminate(); });
    EXPECT_EQ(OspMain(2, argv), 0);
}
