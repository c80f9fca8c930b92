#include "feedserver/FeedServer.h"
#include "platform/media/Image.h"
#include "support/AppHarness.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using Osp::Base::String;
using Osp::Base::Utility::Uri;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565;
using Osp::Graphics::BitmapPixelFormat;
using Osp::Media::RequestId;

namespace {

struct Delivery {
    int calls = 0;
    result r = E_SUCCESS;
    int width = 0, height = 0;
    BitmapPixelFormat format = Osp::Graphics::BITMAP_PIXEL_FORMAT_MIN;
    std::string message;
};

class Listener : public Osp::Media::IImageDecodeUrlEventListener {
public:
    explicit Listener(Delivery& d) : d_(d) {}
    void OnImageDecodeUrlReceived(RequestId, Osp::Graphics::Bitmap* bitmap, result r, const String,
                                  const String message) override {
        ++d_.calls;
        d_.r = r;
        d_.message = message.ToUtf8();
        if (bitmap != nullptr) {
            d_.width = bitmap->GetWidth();
            d_.height = bitmap->GetHeight();
            d_.format = bitmap->GetPixelColorFormat();
        }
    }

private:
    Delivery& d_;
};

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string dir = rt_.Home() + "/www";
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/photo.jpg", std::ios::binary)
            << pregonero::test::EncodeJpeg(pregonero::test::PatternRgba(1600, 1200), 1600, 1200);
        std::ofstream(dir + "/nota.txt") << "esto no es una foto";
        ASSERT_TRUE(server_.Start(dir));
    }
    Uri UriOf(const std::string& path) {
        Uri uri;
        uri.SetUri(String((server_.BaseUrl() + path).c_str()));
        return uri;
    }
    // The Image object is gone when this returns: requests do not depend on it.
    result Decode(const Uri& uri, BitmapPixelFormat format, int side,
                  Osp::Media::IImageDecodeUrlEventListener* listener, int height = 0) {
        Osp::Media::Image image;
        image.Construct();
        RequestId id = 1001;
        return image.DecodeUrl(uri, format, side, height > 0 ? height : side, id, listener, 10000);
    }

    // The server goes last: the runtime's open connections close first, so
    // stopping it does not wait for their keep-alive to run out.
    pregonero::feeds::FeedServer server_;
    testing_support::TestRuntime rt_;
};

} // namespace

TEST_F(ImageTest, EveryRequestCallsBackOnceAtExactlyTheRequestedSizeOrWithAFailure) {
    Delivery thumb, large, text, missing;
    Listener a(thumb), b(large), c(text), d(missing);
    ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, &a), E_SUCCESS);
    ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_RGB565, 440, &b), E_SUCCESS);
    ASSERT_EQ(Decode(UriOf("/nota.txt"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, &c), E_SUCCESS);
    ASSERT_EQ(Decode(UriOf("/nada.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, &d), E_SUCCESS);
    ASSERT_TRUE(rt_.RunUntilIdle(10000));
    for (const Delivery* delivery : {&thumb, &large, &text, &missing}) {
        EXPECT_EQ(delivery->calls, 1);
    }
    EXPECT_EQ(thumb.r, E_SUCCESS);
    EXPECT_EQ(thumb.width, 176);
    EXPECT_EQ(thumb.height, 176);
    EXPECT_EQ(thumb.format, BITMAP_PIXEL_FORMAT_ARGB8888);
    EXPECT_EQ(large.width, 440);
    EXPECT_EQ(large.format, BITMAP_PIXEL_FORMAT_RGB565);
    EXPECT_NE(text.r, E_SUCCESS);
    EXPECT_EQ(text.width, 0);
    EXPECT_NE(missing.r, E_SUCCESS);
    EXPECT_FALSE(missing.message.empty());
}

TEST_F(ImageTest, RefusalsAreSynchronousAndNeverCallBack) {
    Delivery d;
    Listener listener(d);
    for (const wchar_t* bad : {L"ftp://127.0.0.1/photo.jpg", L"file:///etc/passwd", L""}) {
        Uri uri;
        uri.SetUri(bad);
        EXPECT_EQ(Decode(uri, BITMAP_PIXEL_FORMAT_ARGB8888, 176, &listener), E_INVALID_ARG);
    }
    const Uri good = UriOf("/photo.jpg");
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 0, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, &listener, 5000), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, Osp::Graphics::BITMAP_PIXEL_FORMAT_MAX, 176, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, nullptr), E_INVALID_ARG);
    rt_.Get().Settings().networkOn = false;
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, &listener), E_NETWORK_UNAVAILABLE);
    rt_.Get().Settings().networkOn = true;
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_EQ(d.calls, 0);
    EXPECT_EQ(listener.PendingRequests(), 0u);
}

TEST_F(ImageTest, DestroyingTheListenerCancelsItsRequests) {
    server_.SetRule("/photo.jpg", testing_support::Slow(300));
    Delivery d;
    auto listener = std::make_unique<Listener>(d);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, listener.get()),
                  E_SUCCESS);
    }
    EXPECT_EQ(listener->PendingRequests(), 4u);
    listener.reset(); // the screen that owned it was left
    ASSERT_TRUE(rt_.RunUntilIdle(5000));
    EXPECT_EQ(d.calls, 0);
}
