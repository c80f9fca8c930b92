#include "feedserver/faults/FaultyFeedServer.h"
#include "net/ImageLoader.h"
#include "net/PictureRequest.h"
#include "rows/ResultadosItem.h"
#include "screens/FormSeccion.h"
#include "screens/HeadlineList.h"
#include "support/AppHarness.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using Osp::Base::String;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_ARGB8888;
using Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565;
using Osp::Ui::Controls::CustomListItem;
using testing_support::TestRuntime;

namespace {

char kCache[] = "/Home/Res/seccion.xml";

// A section screen as the form manager builds it, minus the download: the
// tests hand it a cache file directly.
class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        www_ = rt_.Home() + "/www";
        std::filesystem::create_directories(www_);
        std::filesystem::create_directories(rt_.Home() + "/Res");
        const std::string jpeg =
            pregonero::test::EncodeJpeg(pregonero::test::PatternRgba(320, 240), 320, 240);
        Serve("a.jpg", jpeg);
        Serve("b.jpg", jpeg);
        Serve("slow.jpg", jpeg);
        Serve("text.jpg", "no es una foto");
        pregonero::feeds::FaultRule slow;
        slow.delayMs = 400;
        server_.SetRule("/slow.jpg", slow);
        ASSERT_TRUE(server_.Start(www_));
        ImageLoader::ARTICLES_WITH_IMG = 0;
        ImageLoader::ARTICLES_PROCESSED = 0;
    }
    void Serve(const std::string& name, const std::string& bytes) {
        std::ofstream(www_ + "/" + name, std::ios::binary) << bytes;
    }
    std::string Url(const std::string& path) { return server_.BaseUrl() + path; }
    // A section feed with one article per picture path ("" for none).
    void WriteFeed(const std::vector<std::string>& pictures) {
        std::string xml = "<root>";
        for (const std::string& p : pictures) {
            xml += "<article Title=\"t\" Link=\"http://127.0.0.1/n\" ImgUrl=\"" +
                   (p.empty() ? "" : Url(p)) + "\"/>";
        }
        std::ofstream(rt_.Home() + "/Res/seccion.xml") << xml << "</root>";
    }
    std::unique_ptr<FormSeccion> NewScreen() {
        auto screen = std::make_unique<FormSeccion>(L"MEXICO", String(server_.BaseUrl().c_str()),
                                                    L"http://127.0.0.1:9/x", kCache);
        screen->Initialize();
        screen->labelCargando = HeadlineList::AddLabels(*screen, L"MEXICO", L"LabelSeccion");
        return screen;
    }
    static bool Shown(const FormSeccion& screen) {
        return screen.loaded && screen.customList != nullptr &&
               screen.customList->GetParent() == &screen &&
               screen.GetControl(L"LabelCargando") == nullptr;
    }
    static int PicturesSet(const FormSeccion& screen) {
        int n = 0;
        for (int i = 0; i < screen.customList->GetItemCount(); ++i) {
            n += screen.customList->GetItemAt(i)->GetElementKind(105) ==
                         CustomListItem::ElementKind::Bitmap
                     ? 1
                     : 0;
        }
        return n;
    }

    pregonero::feeds::FaultyFeedServer server_;
    TestRuntime rt_;
    std::string www_;
};

} // namespace

TEST_F(ImageLoaderTest, ListAppearsOnTheLastThumbnailCallbackNotBefore) {
    WriteFeed({"/a.jpg", "", "/slow.jpg", "/b.jpg"});
    auto screen = NewScreen();
    screen->loadSeccion(kCache);
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 3);
    EXPECT_FALSE(screen->loaded);
    ASSERT_TRUE(rt_.RunUntil([] { return ImageLoader::ARTICLES_PROCESSED == 2; }));
    EXPECT_FALSE(Shown(*screen)) << "the delayed picture is still out";
    EXPECT_FALSE(screen->loaded);
    ASSERT_TRUE(rt_.RunUntil([&] { return screen->loaded; }));
    EXPECT_TRUE(Shown(*screen));
    EXPECT_EQ(screen->customList->GetItemCount(), 4);
    EXPECT_EQ(PicturesSet(*screen), 3);
    EXPECT_EQ(screen->customList->GetItemAt(1)->GetElementKind(105),
              CustomListItem::ElementKind::Empty);
}

TEST_F(ImageLoaderTest, FailedOrRefusedPicturesStillCountSoTheListAppears) {
    // Three failures of three kinds, the last one delayed.
    pregonero::feeds::FaultRule slowMissing;
    slowMissing.delayMs = 300;
    slowMissing.status = 404;
    server_.SetRule("/gone.jpg", slowMissing);
    WriteFeed({"/text.jpg", "/nada.jpg", "/gone.jpg"});
    auto screen = NewScreen();
    screen->loadSeccion(kCache);
    ASSERT_TRUE(rt_.RunUntil([] { return ImageLoader::ARTICLES_PROCESSED == 2; }));
    EXPECT_FALSE(screen->loaded);
    ASSERT_TRUE(rt_.RunUntil([&] { return screen->loaded; }));
    EXPECT_TRUE(Shown(*screen));
    EXPECT_EQ(PicturesSet(*screen), 0);

    // With the network off every request is refused at once: nothing would
    // ever call back, so the list must be shown straight away.
    rt_.Get().Settings().networkOn = false;
    auto offline = NewScreen();
    offline->loadSeccion(kCache);
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 3);
    EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 3);
    EXPECT_TRUE(Shown(*offline));
}

TEST_F(ImageLoaderTest, LeavingTheScreenCancelsItsPendingPictures) {
    WriteFeed({"/slow.jpg", "/slow.jpg", "/slow.jpg"});
    auto screen = NewScreen();
    screen->loadSeccion(kCache);
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 3);
    screen.reset();
    // The next screen set the counters; no late callback may move them.
    WriteFeed({""});
    auto next = NewScreen();
    next->loadSeccion(kCache);
    EXPECT_TRUE(Shown(*next));
    ASSERT_TRUE(rt_.RunUntilIdle(5000));
    EXPECT_EQ(ImageLoader::ARTICLES_WITH_IMG, 0);
    EXPECT_EQ(ImageLoader::ARTICLES_PROCESSED, 0);
}

TEST_F(ImageLoaderTest, UnreadableFeedBuildsNothingAndShowsError) {
    for (const char* body : {"<root><article", "<rss><article ImgUrl=\"x\"/></rss>", ""}) {
        std::ofstream(rt_.Home() + "/Res/seccion.xml") << body;
        auto screen = NewScreen();
        screen->loadSeccion(kCache);
        EXPECT_EQ(screen->customList, nullptr) << body;
        EXPECT_TRUE(screen->loaded) << body;
        EXPECT_EQ(screen->labelCargando->GetText().ToUtf8(), "Error") << body;
    }
}

TEST(PictureRequestTest, OnlyTheTwoExactPngEndingsKeepAlpha) {
    EXPECT_EQ(PictureRequest::FormatForUrl(L"http://h/f.png"), BITMAP_PIXEL_FORMAT_ARGB8888);
    EXPECT_EQ(PictureRequest::FormatForUrl(L"http://h/F.PNG"), BITMAP_PIXEL_FORMAT_ARGB8888);
    EXPECT_EQ(PictureRequest::FormatForUrl(L"png"), BITMAP_PIXEL_FORMAT_ARGB8888);
    EXPECT_EQ(PictureRequest::FormatForUrl(L"http://h/f.Png"), BITMAP_PIXEL_FORMAT_RGB565);
    EXPECT_EQ(PictureRequest::FormatForUrl(L"http://h/f.jpg"), BITMAP_PIXEL_FORMAT_RGB565);
    EXPECT_EQ(PictureRequest::FormatForUrl(L"http://h/f.png?v=2"), BITMAP_PIXEL_FORMAT_RGB565);
    EXPECT_EQ(PictureRequest::FormatForUrl(L""), BITMAP_PIXEL_FORMAT_RGB565);
}
