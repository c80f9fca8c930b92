#include "feedserver/faults/FaultyFeedServer.h"
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
using Osp::Media::Image;
using Osp::Media::RequestId;
using testing_support::TestRuntime;

namespace {

struct Delivery {
    int calls = 0;
    result r = E_SUCCESS;
    int width = 0;
    int height = 0;
    Osp::Graphics::BitmapPixelFormat format = Osp::Graphics::BITMAP_PIXEL_FORMAT_MIN;
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
        dir_ = rt_.Home() + "/www";
        std::filesystem::create_directories(dir_);
        Write("photo.jpg",
              pregonero::test::EncodeJpeg(pregonero::test::PatternRgba(1600, 1200), 1600, 1200));
        Write("nota.txt", "esto no es una foto");
        ASSERT_TRUE(server_.Start(dir_));
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
    }
    Uri UriOf(const std::string& path) {
        Uri uri;
        uri.SetUri(String((server_.BaseUrl() + path).c_str()));
        return uri;
    }
    result Decode(const Uri& uri, Osp::Graphics::BitmapPixelFormat format, int w, int h,
                  Osp::Media::IImageDecodeUrlEventListener* listener) {
        Image image;
        image.Construct();
        RequestId id = 1001;
        return image.DecodeUrl(uri, format, w, h, id, listener, 10000);
    }

    // The server goes last: the runtime's open connections close first, so
    // stopping it does not wait for their keep-alive to run out.
    pregonero::feeds::FaultyFeedServer server_;
    TestRuntime rt_;
    std::string dir_;
};

} // namespace

TEST_F(ImageTest, DecodesToExactlyTheRequestedSizeAndFormat) {
    Delivery thumb, large;
    Listener a(thumb), b(large);
    ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &a), E_SUCCESS);
    // The Image object is gone already: the request does not depend on it.
    ASSERT_EQ(Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_RGB565, 440, 440, &b), E_SUCCESS);
    ASSERT_TRUE(rt_.RunUntil([&] { return thumb.calls + large.calls == 2; }));
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_EQ(thumb.calls, 1);
    EXPECT_EQ(thumb.r, E_SUCCESS);
    EXPECT_EQ(thumb.width, 176);
    EXPECT_EQ(thumb.height, 176);
    EXPECT_EQ(thumb.format, BITMAP_PIXEL_FORMAT_ARGB8888);
    EXPECT_EQ(large.calls, 1);
    EXPECT_EQ(large.width, 440);
    EXPECT_EQ(large.format, BITMAP_PIXEL_FORMAT_RGB565);
}

TEST_F(ImageTest, FailuresCallBackOnceWithAResultAndNoBitmap) {
    Delivery text, missing;
    Listener a(text), b(missing);
    ASSERT_EQ(Decode(UriOf("/nota.txt"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &a), E_SUCCESS);
    ASSERT_EQ(Decode(UriOf("/nada.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &b), E_SUCCESS);
    ASSERT_TRUE(rt_.RunUntil([&] { return text.calls + missing.calls == 2; }));
    EXPECT_NE(text.r, E_SUCCESS);
    EXPECT_EQ(text.width, 0);
    EXPECT_NE(missing.r, E_SUCCESS);
    EXPECT_FALSE(missing.message.empty());
}

TEST_F(ImageTest, RefusalsAreSynchronousAndNeverCallBack) {
    Delivery d;
    Listener listener(d);
    Uri ftp;
    ftp.SetUri(L"ftp://127.0.0.1/photo.jpg");
    Uri file;
    file.SetUri(L"file:///etc/passwd");
    EXPECT_EQ(Decode(ftp, BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(file, BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(Uri(), BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &listener), E_INVALID_ARG);
    Uri good = UriOf("/photo.jpg");
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 0, 176, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, 5000, &listener), E_INVALID_ARG);
    EXPECT_EQ(Decode(good, Osp::Graphics::BITMAP_PIXEL_FORMAT_MAX, 176, 176, &listener),
              E_INVALID_ARG);
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, nullptr), E_INVALID_ARG);
    rt_.Get().Settings().networkOn = false;
    EXPECT_EQ(Decode(good, BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, &listener),
              E_NETWORK_UNAVAILABLE);
    rt_.Get().Settings().networkOn = true;
    ASSERT_TRUE(rt_.RunUntilIdle());
    EXPECT_EQ(d.calls, 0);
    EXPECT_EQ(listener.PendingRequests(), 0u);
}

TEST_F(ImageTest, DestroyingTheListenerCancelsItsRequests) {
    pregonero::feeds::FaultRule slow;
    slow.delayMs = 300;
    server_.SetRule("/photo.jpg", slow);
    Delivery d;
    auto listener = std::make_unique<Listener>(d);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(
            Decode(UriOf("/photo.jpg"), BITMAP_PIXEL_FORMAT_ARGB8888, 176, 176, listener.get()),
            E_SUCCESS);
    }
    EXPECT_EQ(listener->PendingRequests(), 4u);
    listener.reset(); // the screen that owned it was left
    ASSERT_TRUE(rt_.RunUntilIdle(5000));
    EXPECT_EQ(d.calls, 0);
}
