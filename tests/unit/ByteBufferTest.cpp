#include "platform/base/ByteBuffer.h"

#include <gtest/gtest.h>

using Osp::Base::byte;
using Osp::Base::ByteBuffer;

TEST(ByteBufferTest, EmptyBodiesAndOverflowsAreResultsNotFaults) {
    // An empty 200 response is an empty buffer: nothing to copy, nothing to read.
    ByteBuffer empty;
    ASSERT_EQ(empty.Construct(0), E_SUCCESS);
    const byte none[1] = {0};
    EXPECT_EQ(empty.SetArray(none, 0, 0), E_SUCCESS);
    empty.Flip();
    EXPECT_EQ(empty.GetLimit(), 0);
    EXPECT_EQ(empty.GetRemaining(), 0);

    ByteBuffer small;
    ASSERT_EQ(small.Construct(3), E_SUCCESS);
    const byte data[] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(small.SetArray(data, 0, 4), E_OVERFLOW);
    EXPECT_EQ(small.SetArray(data, 1, 3), E_SUCCESS);
    EXPECT_EQ(small.SetArray(nullptr, 0, 1), E_INVALID_ARG);
    small.Flip();
    EXPECT_EQ(small.GetLimit(), 3);
    EXPECT_EQ(small.GetPointer()[0], 'b');
    EXPECT_EQ(small.Construct(5), E_INVALID_STATE);
    EXPECT_EQ(ByteBuffer().Construct(-1), E_INVALID_ARG);
}
