#include "platform/runtime/Config.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace pregonero::runtime {
namespace {

TEST(ConfigTest, TestHookOnlyLowersTimeOutsAndIgnoresJunk) {
    ::setenv("PREGONERO_STALL_TIMEOUT_MS", "1500", 1);
    ::setenv("PREGONERO_TOTAL_TIMEOUT_MS", "4000", 1);
    const Config hooked;
    ::unsetenv("PREGONERO_STALL_TIMEOUT_MS");
    ::unsetenv("PREGONERO_TOTAL_TIMEOUT_MS");
    const FetchLimits feed = hooked.Tightened(FetchLimits{});
    EXPECT_EQ(feed.stallTimeoutMs, 1500);
    EXPECT_EQ(feed.totalTimeoutMs, 4000);
    EXPECT_EQ(feed.connectTimeoutMs, 4000) << "connecting may not outlast the whole transfer";
    EXPECT_EQ(feed.maxBodyBytes, FetchLimits{}.maxBodyBytes);
    // A limit already lower than the hook stays; "no limit" (0) gets the hook's.
    FetchLimits tight;
    tight.stallTimeoutMs = 500;
    tight.totalTimeoutMs = 0;
    const FetchLimits kept = hooked.Tightened(tight);
    EXPECT_EQ(kept.stallTimeoutMs, 500);
    EXPECT_EQ(kept.totalTimeoutMs, 4000);

    ::setenv("PREGONERO_STALL_TIMEOUT_MS", "-5", 1);
    ::setenv("PREGONERO_TOTAL_TIMEOUT_MS", "12abc", 1);
    const Config junk;
    ::unsetenv("PREGONERO_STALL_TIMEOUT_MS");
    ::unsetenv("PREGONERO_TOTAL_TIMEOUT_MS");
    const FetchLimits untouched = junk.Tightened(FetchLimits{});
    EXPECT_EQ(untouched.stallTimeoutMs, FetchLimits{}.stallTimeoutMs);
    EXPECT_EQ(untouched.totalTimeoutMs, FetchLimits{}.totalTimeoutMs);
    EXPECT_EQ(Config{}.Tightened(FetchLimits{}).connectTimeoutMs, FetchLimits{}.connectTimeoutMs);
}

} // namespace
} // namespace pregonero::runtime
