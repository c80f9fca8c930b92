#include "app/Pregonero_Raviv_v101.h"
#include "app/Pregonero_Raviv_v101Entry.h"
#include "feedserver/FeedServer.h"
#include "feedserver/SampleEdition.h"
#include "platform/frontends/terminal/TerminalView.h"
#include "platform/frontends/terminal/TextCells.h"
#include "platform/ui/ScreenComposer.h"
#include "support/AppHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using pregonero::platform::PictureSymbols;
using pregonero::platform::TerminalView;
using pregonero::ui::Key;
using testing_support::CurrentFrame;
using testing_support::ScriptedRunner;
using testing_support::TestRuntime;

namespace {

// The sample edition served on 127.0.0.1 for one test.
class SampleServer {
public:
    SampleServer() {
        dir_ = std::filesystem::temp_directory_path() /
               ("pregonero-terminal-" + std::to_string(::getpid()));
        std::string error;
        ok_ = pregonero::feeds::WriteSampleEdition(dir_.string(), &error) &&
              server_.Start(dir_.string(), 0);
    }
    ~SampleServer() {
        server_.Stop();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    bool Ok() const { return ok_; }
    std::string Url() const { return server_.BaseUrl(); }

private:
    std::filesystem::path dir_;
    pregonero::feeds::FeedServer server_;
    bool ok_ = false;
};

std::string Screen(int cols, int rows) {
    return TerminalView::Compose(CurrentFrame(), cols, rows, PictureSymbols::HalfBlocks).Text();
}

void Press(TestRuntime& rt, Key key) {
    pregonero::ui::ScreenComposer::HandleKey(CurrentFrame(), key);
    rt.RunUntilIdle(10000);
}

bool Has(const std::string& screen, const std::string& text) {
    return screen.find(text) != std::string::npos;
}

} // namespace

TEST(TerminalViewTest, FrontPageMenuAndArticleReadInCells) {
    SampleServer sample;
    ASSERT_TRUE(sample.Ok());
    TestRuntime rt;
    rt.Get().Settings().feedServer = sample.Url();
    ScriptedRunner runner([&](Osp::App::Application&) {
        ASSERT_TRUE(rt.RunUntilIdle(10000));
        std::string front = Screen(100, 40);
        EXPECT_TRUE(Has(front, "Pregonero raviv")) << front;
        EXPECT_TRUE(Has(front, "PRIMERA")) << front;
        EXPECT_TRUE(Has(front, "¿Qué pasará con la reforma electoral?")) << front;
        EXPECT_TRUE(Has(front, "▀")) << "pictures drawn as blocks\n" << front;
        // Every line fits the terminal, at the smallest size too.
        std::string small = Screen(20, 10);
        for (size_t start = 0, end; (end = small.find('\n', start)) != std::string::npos;
             start = end + 1) {
            EXPECT_LE(pregonero::platform::TextCells::Width(
                          pregonero::platform::TextCells::Decode(small.substr(start, end - start))),
                      20);
        }
        EXPECT_EQ(Screen(19, 10).rfind("Terminal too small", 0), 0u);

        // The option menu opens over the list, with its sub-menu.
        Press(rt, Key::OptionKey);
        std::string menu = Screen(80, 24);
        EXPECT_TRUE(Has(menu, "Primera")) << menu;
        EXPECT_TRUE(Has(menu, "Deportes")) << menu;
        EXPECT_TRUE(Has(menu, "Mas...")) << menu;
        Press(rt, Key::Softkey1);
        EXPECT_FALSE(Has(Screen(80, 24), "Deportes"));

        // The focused row is highlighted: its cells differ from the others.
        Press(rt, Key::Down);
        auto grid = TerminalView::Compose(CurrentFrame(), 80, 24, PictureSymbols::HalfBlocks);
        bool highlighted = false;
        for (int row = 0; row < grid.Rows(); ++row) {
            if (grid.At(0, row).bg != grid.At(0, 12).bg && grid.RowText(row).size() > 0) {
                highlighted = true;
            }
        }
        EXPECT_TRUE(highlighted);

        // Enter opens the article; its title and byline are there.
        Press(rt, Key::Enter);
        std::string article = Screen(80, 24);
        EXPECT_TRUE(Has(article, "Atras")) << article;
        EXPECT_FALSE(Has(article, "PRIMERA")) << article;
        Press(rt, Key::Softkey1);
        EXPECT_TRUE(Has(Screen(80, 24), "PRIMERA"));
    });
    Osp::App::Application::Execute(Pregonero_Raviv_v101::CreateInstance, nullptr, 1);
}
