// The driver's timestamps: `mark LABEL` and `mark LABEL idle` lines on stdout
// and the snapshot's "ms" and "rssKb" keys, on the program serving its own
// sample edition.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Output {
    int exitCode = -1;
    std::vector<std::string> lines;
};

// Runs the program headless on `script`, bounded by timeout(1).
Output RunScript(const std::string& script) {
    auto dir =
        std::filesystem::temp_directory_path() /
        ("pregonero-marks-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir / "home");
    std::ofstream(dir / "script") << script;
    std::string command = "timeout 60 '" PREGONERO_BINARY "' --headless --home '" +
                          (dir / "home").string() + "' --script '" + (dir / "script").string() +
                          "' 2>/dev/null";
    Output out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[1 << 16];
        std::string line;
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            line += buffer;
            if (!line.empty() && line.back() == '\n') {
                line.pop_back();
                out.lines.push_back(line);
                line.clear();
            }
        }
        int status = ::pclose(pipe);
        out.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::filesystem::remove_all(dir);
    return out;
}

double MarkAt(const Output& out, const std::string& label) {
    std::regex mark("mark " + label + " ([0-9]+\\.[0-9])");
    for (const auto& line : out.lines) {
        std::smatch m;
        if (std::regex_match(line, m, mark)) {
            return std::stod(m[1]);
        }
    }
    return -1;
}

TEST(DriverMarks, TimesComeFromOneClockAndBadMarksFail) {
    Output out = RunScript("wait 30\nsleep 20\nmark front idle\nmark later\ndump\nquit\n");
    ASSERT_EQ(out.exitCode, 0);
    const double idle = MarkAt(out, "front");
    const double later = MarkAt(out, "later");
    ASSERT_GT(idle, 0);
    // The idle time is when the wait ended, not when the mark ran: the sleep lies between.
    EXPECT_GE(later - idle, 19.0);
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(out.lines.back(), m, std::regex("\"ms\":([0-9]+),\"rssKb\":([0-9]+)")))
        << out.lines.back();
    EXPECT_GE(std::stod(m[1]), later - 1);
    EXPECT_GT(std::stol(m[2]), 1000); // a running program holds more than a megabyte

    EXPECT_EQ(RunScript("mark early idle\nquit\n").exitCode, 2); // no wait has reached idle yet
    EXPECT_EQ(RunScript("wait 30\nmark\nquit\n").exitCode, 2);
    EXPECT_EQ(RunScript("wait 30\nmark a soon\nquit\n").exitCode, 2);
}

} // namespace
