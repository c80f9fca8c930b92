// Leaving a screen while its work is still under way: before the connection
// is made, mid-body, and while many picture decodes and callbacks are queued.
// Late callbacks must reach nothing that is gone.
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FaultCells.h"

namespace pregonero::e2e {
namespace {

TEST(FaultLifecycleTest, LeavingScreensWithWorkInFlight) {
    FaultCells cells("lifecycle");
    cells.WriteHealthyEdition(FaultTarget::Feed);
    FeedFixture& fx = cells.Fixture();
    std::string many = "<root><group Title=\"Portada\">";
    for (int i = 0; i < 60; ++i) {
        many += "<article Title=\"n\" ImgUrl=\"{{FEED_SERVER}}/img/portada.jpg\"/>";
    }
    fx.WriteFeed("mobile/mexico.xml", many + "</group></root>");
    fx.WriteFeed("mobile/mundo.xml", many + "</group></root>");
    feeds::FaultRule late;
    late.delayMs = 1500;
    fx.Server().SetRule("/mobile/2notashome.xml", late);
    feeds::FaultRule stall;
    stall.stallMs = 3000;
    stall.stallAfterBytes = 30;
    fx.Server().SetRule("/mobile/estados.xml", stall);
    // 101 and 102 hold sixty thumbnails each: leave them at several moments
    // while fetches, decodes and deliveries are queued.
    std::string script = "sleep 100\nevent 103\nsleep 300\n";
    for (int ms : {0, 5, 20, 60, 150}) {
        script += "event 101\nsleep " + std::to_string(ms) + "\nevent 102\nsleep " +
                  std::to_string(ms) + "\n";
    }
    script += "event 108\nwait 30\nselect 0\nsleep 20\nevent 101\nwait 30\ndump\nquit\n";
    const ProgramRun run = cells.Run(FaultTarget::Feed, script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0].Form(), "IDF_FORM_SECCION");
    EXPECT_FALSE(run.dumps[0].List().is_null());
    cells.ExpectNothingOutsideHome();
}

} // namespace
} // namespace pregonero::e2e
