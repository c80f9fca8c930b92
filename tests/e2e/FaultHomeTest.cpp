// Faults of the home directory: a full disk and a read-only cache folder.
// Each run gets a private mount namespace with a small tmpfs over HOME/Res;
// root ignores permission bits, so read-only must come from the mount.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FaultCells.h"

namespace pregonero::e2e {
namespace {

bool CanUnshare() {
    return std::system("unshare -m true >/dev/null 2>&1") == 0;
}

std::vector<std::string> WithRes(const std::string& home, const std::string& mountThenFill) {
    std::filesystem::create_directories(home + "/Res");
    return {"/usr/bin/unshare",
            "-m",
            "/bin/sh",
            "-c",
            "cd \"$0\" && " + mountThenFill + " && cd / && exec \"$@\"",
            home};
}

TEST(FaultHomeTest, FullDiskAndReadOnlyCacheLeaveEveryScreenAWayOn) {
    if (!CanUnshare()) {
        GTEST_SKIP() << "unshare -m is not permitted here";
    }
    const std::pair<const char*, std::string> cases[] = {
        {"FullDisk", "mount -t tmpfs -o size=4k tmpfs Res && "
                     "(dd if=/dev/zero of=Res/fill bs=4k count=2 2>/dev/null; true)"},
        {"ReadOnlyRes", "mount -t tmpfs -o ro,size=64k tmpfs Res"},
    };
    for (const auto& [name, setup] : cases) {
        SCOPED_TRACE(name);
        FaultCells cells(name);
        cells.WriteHealthyEdition(FaultTarget::Feed);
        // Every screen reads its feed back from the cache, so with none the
        // section rows that lead to articles and galleries never appear:
        // only the headline screens are reachable, and they must not trap.
        const ProgramRun run = cells.Run(FaultTarget::Feed,
                                         "wait 30\ndump\noption\ndump\nchoose Mexico\nwait 30\n"
                                         "dump\noption\ndump\nquit\n",
                                         WithRes(cells.Fixture().Home(), setup));
        ASSERT_EQ(run.exitCode, 0) << run.stdErr;
        ASSERT_EQ(run.dumps.size(), 4u);
        for (std::size_t screen = 0; screen < 2; ++screen) {
            const Snapshot& shown = run.dumps[screen * 2];
            EXPECT_EQ(shown.Label("LabelCargando"), "Error") << shown;
            EXPECT_TRUE(shown.List().is_null());
            EXPECT_EQ(run.dumps[screen * 2 + 1].Menu(), "shown");
        }
        cells.ExpectNothingOutsideHome();
    }
}

} // namespace
} // namespace pregonero::e2e
