#include "app/Pregonero_Raviv_v101Entry.h"
#include "nav/FormMgr.h"
#include "screens/FormSeccion.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Osp::Ui::Controls;
using testing_support::CurrentFrame;
using testing_support::Manager;
using testing_support::RunApp;
using testing_support::TestRuntime;

// Which screen an event builds, and the frame's forms after it, are checked
// end to end; here, the order of the switch, which no snapshot shows.
TEST(FormMgrTest, SwitchMakesTheNewScreenCurrentBeforeRemovingTheOldOne) {
    TestRuntime rt;
    RunApp([&](Osp::App::Application&) {
        Form* before = CurrentFrame().GetCurrentForm();
        std::vector<std::string> seenAtRemoval;
        CurrentFrame().SetFormRemovalObserver([&](const Form& removing) {
            EXPECT_EQ(&removing, before);
            seenAtRemoval.push_back(CurrentFrame().GetCurrentForm()->GetName().ToUtf8());
        });
        Manager().SendUserEvent(105, nullptr); // as the screens send it
        rt.RunUntilIdle();
        EXPECT_EQ(seenAtRemoval, std::vector<std::string>{"IDF_FORM_SECCION"});
        EXPECT_NE(dynamic_cast<FormSeccion*>(CurrentFrame().GetCurrentForm()), nullptr);
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
