#include "platform/media/Image.h"
#include "support/AppHarness.h"
#include "support/LocalHttpServer.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

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
};

class Listener : public Osp::Media::IImageDecodeUrlEventListener {
public:
    explicit Listener(Delivery& d) : d_(d) {}
    void OnImageDecodeUrlReceived(RequestId, Osp::Graphics::Bitmap* bitmap, result r, const String,
                                  const String) override {
        ++d_.calls;
        d_.r = r;
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
    Uri UriOf(const std::string& path) {
        Uri uri;
        uri.SetUri(String(server_.Url(path).c_str()));
        return uri;
    }
    result Decode(const Uri& uri, BitmapPixelFormat format, int side,
                  Osp::Media::IImageDecodeUrlEventListener* listener, int height = 0) {
        Osp::Media::Image image;
        image.Construct();
        RequestId id = 1001;
        return image.DecodeUrl(uri, format, side, height > 0 ? height : side, id, listener, 10000);
    }

    // The server goes last: the runtime's open connections close first.
    testing_support::LocalHttpServer server_{[](httplib::Server& s) {
        const auto pixels = pregonero::test::PatternRgba(1600, 1200);
        s.Get("/photo.jpg", testing_support::Late(pregonero::test::EncodeJpeg(pixels, 1600, 1200),
                                                  "image/jpeg", 300));
    }};
    testing_support::TestRuntime rt_;
};

} // namespace

TEST_F(ImageTest, RefusalsAreSynchronousAndNeverCallBack) {
    Delivery d;
    Listener listener(d);
    // Which URLs and sizes are refused is the decode service's; here, that
    // Image refuses at once, and what only it checks.
    Uri ftp;
    ftp.SetUri(L"ftp://127.0.0.1/photo.jpg");
    EXPECT_EQ(Decode(ftp, BITMAP_PIXEL_FORMAT_ARGB8888, 176, &listener), E_INVALID_ARG);
    const Uri good = UriOf("/photo.jpg");
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 0, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, Osp::Graphics::BITMAP_PIXEL_FORMAT_MAX, 176, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, nullptr), E_INVALID_ARG);
    rt_.Get().Settings().networkOn = false;
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, &listener), E_NETWORK_UNAVAILABLE);
    rt_.Get().Settings().networkOn = true;
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_EQ(d.calls, 0);
    EXPECT_EQ(listener.PendingRequests(), 0u);
}

TEST_F(ImageTest, DestroyingTheListenerCancelsItsRequestsAndNoOthers) {
    Delivery gone, kept;
    auto listener = std::make_unique<Listener>(gone);
    Listener keeper(kept);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, listener.get()),
                  E_SUCCESS);
    }
    // The Image object is gone already: the request does not depend on it.
    ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_RGB565, 440, &keeper), E_SUCCESS);
    EXPECT_EQ(listener->PendingRequests(), 4u);
    listener.reset(); // the screen that owned it was left
    ASSERT_TRUE(rt_.RunUntilIdle(5000));
    EXPECT_EQ(gone.calls, 0);
    EXPECT_EQ(kept.calls, 1);
    EXPECT_EQ(kept.r, E_SUCCESS);
    EXPECT_EQ(kept.width, 440);
    EXPECT_EQ(kept.height, 440);
    EXPECT_EQ(kept.format, BITMAP_PIXEL_FORMAT_RGB565);
}
