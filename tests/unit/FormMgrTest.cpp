#include "app/Pregonero_Raviv_v101Entry.h"
#include "nav/FormMgr.h"
#include "screens/FormSeccion.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Osp::Ui::Controls;
using Osp::Base::String;
using testing_support::CurrentFrame;
using testing_support::Manager;
using testing_support::RunApp;
using testing_support::TestRuntime;

namespace {

std::vector<std::string> FormNames() {
    std::vector<std::string> names;
    for (Form* form : CurrentFrame().GetForms()) {
        names.push_back(form->GetName().ToUtf8());
    }
    return names;
}

// Sends `id` the way the screens do and lets the loop deliver it.
void Send(TestRuntime& rt, long id) {
    Manager().SendUserEvent(id, nullptr);
    rt.RunUntilIdle();
}

template <typename T> T* Current() {
    return dynamic_cast<T*>(CurrentFrame().GetCurrentForm());
}

} // namespace

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
        ASSERT_NE(Current<FormSeccion>(), nullptr);
        EXPECT_EQ(Current<FormSeccion>()->getUriRequest(),
                  String("http://127.0.0.1:9/mobile/edomex.xml"));
        EXPECT_EQ(Manager().currentFormId, 105);
        CurrentFrame().SetFormRemovalObserver(nullptr);
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
    testing_support::ScriptedRunner runner([](Osp::App::Application& app) { app.Terminate(); });
    EXPECT_EQ(OspMain(2, argv), 0);
}
