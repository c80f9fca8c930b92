#include "platform/runtime/rendering/StreamSafeText.h"
#include "tests/support/HostileText.h"

#include <gtest/gtest.h>

#include <string>

namespace pregonero::runtime {
namespace {

std::string Marks(std::size_t count, const std::string& mark = "\xCC\x81") {
    return testing_support::Repeat(mark, static_cast<int>(count));
}

TEST(StreamSafeTextTest, RunsOfMarksStopAtThirtyWhereverTheyStand) {
    const std::size_t kMax = StreamSafeText::kMaxMarks;
    // Thirty stay, the thirty-first goes; a letter starts a new run.
    EXPECT_EQ(StreamSafeText::Cap("b" + Marks(kMax)), "b" + Marks(kMax));
    EXPECT_FALSE(StreamSafeText::NeedsCap("b" + Marks(kMax)));
    EXPECT_EQ(StreamSafeText::Cap("b" + Marks(kMax + 1) + "c"), "b" + Marks(kMax) + "c");
    EXPECT_TRUE(StreamSafeText::NeedsCap("b" + Marks(kMax + 1)));
    EXPECT_EQ(StreamSafeText::Cap("b" + Marks(65535) + "c" + Marks(40)),
              "b" + Marks(kMax) + "c" + Marks(kMax));
    // Marks with no letter before them, and marks of different kinds in one
    // run: grave and acute (class 230), cedilla (202), an enclosing circle
    // (class 0 but a mark), a variation selector.
    EXPECT_EQ(StreamSafeText::Cap(Marks(kMax + 5)), Marks(kMax));
    const std::string mixed = Marks(10, "\xCC\x80") + Marks(10, "\xCC\xA7") +
                              Marks(10, "\xE2\x83\x9D") + Marks(10, "\xEF\xB8\x8F");
    EXPECT_EQ(StreamSafeText::Cap("o" + mixed),
              "o" + Marks(10, "\xCC\x80") + Marks(10, "\xCC\xA7") + Marks(10, "\xE2\x83\x9D"));
    // Invalid bytes pass through and end a run, as the replacement character
    // a front end draws for them would; a sequence cut short at the end too.
    EXPECT_EQ(StreamSafeText::Cap("a" + Marks(20) + "\xFF" + Marks(40) + "\xCC"),
              "a" + Marks(20) + "\xFF" + Marks(kMax) + "\xCC");
    EXPECT_EQ(StreamSafeText::Cap(Marks(kMax) + "\xC3\x28" + Marks(kMax + 1)),
              Marks(kMax) + "\xC3\x28" + Marks(kMax));
    // Text with no marks, and the accented letters of Spanish, are untouched.
    const std::string prose = "Ñandú, pingüino y acción: \xC3\xA9 y e\xCC\x81.";
    EXPECT_EQ(StreamSafeText::Cap(prose), prose);
    EXPECT_EQ(StreamSafeText::Cap(""), "");
}

} // namespace
} // namespace pregonero::runtime
