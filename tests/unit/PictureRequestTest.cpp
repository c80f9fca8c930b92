#include "net/PictureRequest.h"

#include <gtest/gtest.h>

using Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565;

// Leaving a screen with pictures pending, refused pictures and unreadable
// feeds are checked end to end (the fault matrix); here, the one rule of the
// pixel format, which no screen shows.
TEST(PictureRequestTest, OnlyTheTwoExactPngEndingsKeepAlpha) {
    for (const wchar_t* alpha : {L"png", L"http://h/f.png", L"http://h/F.PNG"}) {
        EXPECT_EQ(PictureRequest::FormatForUrl(alpha), BITMAP_PIXEL_FORMAT_ARGB8888);
    }
    for (const wchar_t* opaque : {L"http://h/f.Png", L"http://h/f.jpg", L"h/f.png?v=2", L""}) {
        EXPECT_EQ(PictureRequest::FormatForUrl(opaque), BITMAP_PIXEL_FORMAT_RGB565);
    }
}
