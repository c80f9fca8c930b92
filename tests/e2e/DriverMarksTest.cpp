// The driver's timestamps: `mark LABEL` and `mark LABEL idle` lines on stdout
// and the snapshot's "ms" and "rssKb" keys, on the program serving its own
// sample edition.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

// The milliseconds of the line `mark LABEL MS`, or -1.
double MarkAt(const ProgramRun& run, const std::string& label) {
    for (const std::string& line : run.lines) {
        std::istringstream words(line);
        std::string mark, name, rest;
        double ms = -1;
        if (words >> mark >> name >> ms && mark == "mark" && name == label && !(words >> rest)) {
            return ms;
        }
    }
    return -1;
}

TEST(DriverMarks, TimesComeFromOneClockAndBadMarksFail) {
    FeedFixture fx("marks");
    auto run = [&](const std::string& script) { return ProgramRun::Start(fx.Home(), "", script); };
    const ProgramRun marked = run("wait 30\nsleep 20\nmark front idle\nmark later\ndump\nquit\n");
    ASSERT_EQ(marked.exitCode, 0) << marked.stdErr;
    const double idle = MarkAt(marked, "front");
    const double later = MarkAt(marked, "later");
    ASSERT_GT(idle, 0);
    // The idle time is when the wait ended, not when the mark ran: the sleep lies between.
    EXPECT_GE(later - idle, 19.0);
    ASSERT_EQ(marked.dumps.size(), 1u);
    EXPECT_GE(marked.dumps[0].Json()["ms"].get<double>(), later - 1);
    // A running program holds more than a megabyte.
    EXPECT_GT(marked.dumps[0].Json()["rssKb"].get<long>(), 1000);

    EXPECT_EQ(run("mark early idle\nquit\n").exitCode, 2); // no wait has reached idle yet
    EXPECT_EQ(run("wait 30\nmark\nquit\n").exitCode, 2);
    EXPECT_EQ(run("wait 30\nmark a soon\nquit\n").exitCode, 2);
}

} // namespace
} // namespace pregonero::e2e
