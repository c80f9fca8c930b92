#include "net/ImageLoader.h"
#include "net/PictureRequest.h"
#include "screens/FormSeccion.h"
#include "screens/HeadlineList.h"
#include "support/AppHarness.h"
#include "support/LocalHttpServer.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565;

// The list waiting for its last thumbnail, refused pictures and unreadable
// feeds are checked end to end (the fault matrix); here, a callback that
// would come after its screen was left.
namespace {

char kCache[] = "/Home/Res/seccion.xml";

// A section screen as the form manager builds it, minus the download: the
// tests hand it a cache file directly.
class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(rt_.Home() + "/Res");
        ImageLoader::ARTICLES_WITH_IMG = 0;
        ImageLoader::ARTICLES_PROCESSED = 0;
    }
    // A section feed with one article per picture path ("" for none).
    void WriteFeed(const std::vector<std::string>& pictures) {
        std::string xml = "<root>";
        for (const std::string& p : pictures) {
            xml += "<article Title=\"t\" Link=\"http://127.0.0.1/n\" ImgUrl=\"" +
                   (p.empty() ? "" : server_.Url(p)) + "\"/>";
        }
        std::ofstream(rt_.Home() + "/Res/seccion.xml") << xml + "</root>";
    }
    std::unique_ptr<FormSeccion> Load() {
        auto screen = std::make_unique<FormSeccion>(
            L"MEXICO", Osp::Base::String(server_.Url("").c_str()), L"http://127.0.0.1:9/x", kCache);
        screen->Initialize();
        screen->labelCargando = HeadlineList::AddLabels(*screen, L"MEXICO", L"LabelSeccion");
        screen->loadSeccion(kCache);
        return screen;
    }
    static bool Shown(const FormSeccion& screen) {
        return screen.loaded && screen.customList != nullptr &&
               screen.customList->GetParent() == &screen &&
               screen.GetControl(L"LabelCargando") == nullptr;
    }

    // The server goes last: the runtime's open connections close first.
    testing_support::LocalHttpServer server_{[](httplib::Server& s) {
        const auto pixels = pregonero::test::PatternRgba(320, 240);
        s.Get("/slow.jpg", testing_support::Late(pregonero::test::EncodeJpeg(pixels, 320, 240),
                                                 "image/jpeg", 400));
    }};
    testing_support::TestRuntime rt_;
};

} // namespace

TEST_F(ImageLoaderTest, LeavingTheScreenCancelsItsPendingPictures) {
    WriteFeed({"/slow.jpg", "/slow.jpg", "/slow.jpg"});
    auto screen = Load();
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 3);
    EXPECT_FALSE(screen->loaded);
    screen.reset();
    // The next screen set the counters; no late callback may move them.
    WriteFeed(std::vector<std::string>{""});
    auto next = Load();
    EXPECT_TRUE(Shown(*next));
    ASSERT_TRUE(rt_.RunUntilIdle(5000));
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 0);
    EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 0);
}

TEST(PictureRequestTest, OnlyTheTwoExactPngEndingsKeepAlpha) {
    for (const wchar_t* alpha : {L"png", L"http://h/f.png", L"http://h/F.PNG"}) {
        EXPECT_EQ(PictureRequest::FormatForUrl(alpha), BITMAP_PIXEL_FORMAT_ARGB8888);
    }
    for (const wchar_t* opaque : {L"http://h/f.Png", L"http://h/f.jpg", L"h/f.png?v=2", L""}) {
        EXPECT_EQ(PictureRequest::FormatForUrl(opaque), BITMAP_PIXEL_FORMAT_RGB565);
    }
}
