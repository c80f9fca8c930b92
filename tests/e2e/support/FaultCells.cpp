#include "tests/e2e/support/FaultCells.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "feedserver/faults/HostilePictures.h"
#include "feedserver/PictureMaker.h"

namespace pregonero::e2e {

namespace fs = std::filesystem;

namespace {

std::string Feed(const std::string& articles) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>" + articles + "</root>";
}

const char* kWalk = "wait 30\ndump\noption\ndump\n"
                    "choose Mexico\nwait 30\ndump\noption\ndump\n"
                    "choose Deportes\nwait 30\nselect 0\nwait 30\ndump\nsoftkey 1\nwait 30\ndump\n"
                    "option\nchoose Mas...\nchoose Fotogaleria\nwait 30\nselect 0\nwait 30\ndump\n"
                    "softkey 1\nwait 30\ndump\nquit\n";

} // namespace

FaultCells::FaultCells(const std::string& name) : name_(name), fixture_("fault-" + name) {
    outside_ = (fs::path(fixture_.Home()).parent_path() / "outside").string();
    fs::create_directories(outside_);
    // Small limits through the program's test hook, so stalls end in a second.
    ::setenv("PREGONERO_STALL_TIMEOUT_MS", "1000", 1);
    ::setenv("PREGONERO_TOTAL_TIMEOUT_MS", "5000", 1);
    ::setenv("TMPDIR", outside_.c_str(), 1);
}

FaultCells::~FaultCells() {
    ::unsetenv("TMPDIR");
}

void FaultCells::WriteHealthyEdition(FaultTarget target, const std::string& detail) {
    const bool urlFault = target == FaultTarget::PictureUrl;
    extension_ = urlFault ? "jpg" : detail;
    const std::string pictures = target == FaultTarget::RefusedPicture
                                     ? std::string(kDeadServer) + "/img/"
                                     : "{{FEED_SERVER}}/img/";
    auto picture = [&](const std::string& stem) {
        return urlFault ? detail : pictures + stem + "." + extension_;
    };
    const std::string articles = target == FaultTarget::Refused ? kDeadServer : "{{FEED_SERVER}}";
    FeedFixture& fx = fixture_;
    fx.WriteFeed("mobile/2notashome.xml",
                 Feed("<group Title=\"Portada\"><article Title=\"Portada uno\" PubTime=\"10:00\" "
                      "Description=\"d\" ImgUrl=\"" +
                      picture("portada") +
                      "\"/><article Title=\"Portada dos\" PubTime=\"11:00\"/></group>"));
    fx.WriteFeed("mobile/mexico.xml",
                 Feed("<article Title=\"Seccion uno\" ImgUrl=\"" + picture("seccion") +
                      "\"/><article Title=\"Seccion dos\"/>"));
    fx.WriteFeed("mobile/deportes.xml",
                 Feed("<article Title=\"Con liga\" Link=\"" + articles + "/notas/1.xml\"/>"));
    fx.WriteFeed("mobile/fg.xml",
                 Feed("<article Title=\"Galeria\" Link=\"" + articles + "/g/1.xml\"/>"));
    fx.WriteFeed("notas/1.xml", Feed("<article Title=\"Nota\" ImgLink=\"" + picture("nota") +
                                     "\" ImgDes=\"Pie\"><![CDATA[<p>Texto</p>]]></article>"));
    fx.WriteFeed("g/1.xml", Feed("<article Title=\"Foto\" ImgUrl=\"" + picture("foto") + "\"/>"));
    for (const char* stem : {"portada", "seccion", "nota", "foto"}) {
        const std::string path = std::string("img/") + stem + "." + extension_;
        if (extension_ == "png") {
            fx.WritePicture(path, feeds::PictureMaker::Format::Png, 3);
        } else {
            fx.WriteFeed(path, feeds::HostilePictures::PlainJpeg(320));
        }
    }
}

std::vector<std::string> FaultCells::FaultPaths(FaultTarget target) const {
    if (target == FaultTarget::Feed) {
        return {"/mobile/2notashome.xml", "/mobile/mexico.xml", "/notas/1.xml", "/g/1.xml"};
    }
    if (target == FaultTarget::Picture || target == FaultTarget::OddPicture) {
        std::vector<std::string> paths;
        for (const char* stem : {"portada", "seccion", "nota", "foto"}) {
            paths.push_back(std::string("/img/") + stem + "." + extension_);
        }
        return paths;
    }
    return {};
}

ProgramRun FaultCells::Run(FaultTarget target, const std::string& script,
                           std::vector<std::string> launcher) {
    // The program runs from a directory of its own, so a stray relative write shows.
    const std::vector<std::string> inOutside = {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"",
                                                outside_};
    launcher.insert(launcher.end(), inOutside.begin(), inOutside.end());
    const std::string walk = script.empty() ? kWalk : script;
    const RunOptions options{.timeoutSeconds = 180, .launcher = launcher, .args = {}};
    ProgramRun run = ProgramRun::Start(fixture_.Home(), fixture_.Url(), walk, options);
    if (target == FaultTarget::Refused && script.empty()) {
        // The headline screens get their feeds from the one feed server, so
        // they meet a refusing server in a run of their own.
        ProgramRun dead = ProgramRun::Start(fixture_.Home(), kDeadServer, kHeadlineWalk, options);
        if (dead.exitCode != 0 || dead.dumps.size() != 4 || run.dumps.size() != kDumps) {
            run.exitCode = dead.exitCode != 0 ? dead.exitCode : -2;
            run.stdErr += dead.stdErr;
            return run;
        }
        std::copy(dead.dumps.begin(), dead.dumps.end(), run.dumps.begin());
    }
    return run;
}

void FaultCells::ExpectAllCells(const ProgramRun& run, Headline headline,
                                FaultTarget target) const {
    ASSERT_EQ(run.exitCode, 0) << name_ << ": " << run.stdErr;
    ASSERT_EQ(run.dumps.size(), static_cast<std::size_t>(kDumps)) << run.stdErr;
    const bool pictureFault = target == FaultTarget::Picture || target == FaultTarget::PictureUrl ||
                              target == FaultTarget::RefusedPicture;
    const char* screens[] = {"front page", "section", "article", "gallery"};
    const char* forms[] = {"IDF_FORM_PORTADA", "IDF_FORM_SECCION", "IDF_FORM_NOTA",
                           "IDF_FORM_FOTOGALERIA"};
    for (int screen = 0; screen < 4; ++screen) {
        const Snapshot& shown = run.dumps[static_cast<std::size_t>(screen) * 2];
        const Snapshot& after = run.dumps[static_cast<std::size_t>(screen) * 2 + 1];
        SCOPED_TRACE(::testing::Message()
                     << name_ << " on the " << screens[screen] << ": " << shown);
        EXPECT_EQ(shown.Form(), forms[screen]);
        EXPECT_EQ(shown.BoxText(), std::nullopt);
        if (pictureFault) {
            // The picture slot stays empty and the screen is released all the same.
            EXPECT_EQ(shown.Elements(-1, "bitmap").size(), 0u);
            EXPECT_GE(shown.Elements(-1, "empty").size(), 1u);
        }
        if (screen < 3) {
            // A screen that failed to read its feed says so instead of "Cargando...".
            const bool list = !shown.List().is_null();
            const auto label = shown.Label("LabelCargando");
            if (headline == Headline::List) {
                EXPECT_TRUE(list);
                EXPECT_EQ(label, std::nullopt);
            } else if (headline == Headline::Error) {
                EXPECT_FALSE(list);
                EXPECT_EQ(label, "Error");
            } else {
                EXPECT_TRUE(list != (label == "Error"));
            }
        }
        if (screen < 2) {
            EXPECT_EQ(after.Menu(), "shown") << "the menu must open";
        } else {
            EXPECT_EQ(shown.Back(), "on") << "back must work";
            EXPECT_EQ(after.Form(), "IDF_FORM_SECCION") << "back must lead to the section";
        }
    }
    ExpectNothingOutsideHome();
}

void FaultCells::ExpectNothingOutsideHome() const {
    EXPECT_TRUE(fs::is_empty(outside_)) << "the program wrote into its working directory";
    for (const auto& entry : fs::recursive_directory_iterator(fixture_.Home())) {
        const fs::path relative = fs::relative(entry.path(), fixture_.Home());
        const std::string top = relative.begin()->string();
        EXPECT_EQ(top, "Res") << relative;
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            EXPECT_EQ(text.find("root:x:0:0"), std::string::npos)
                << "a local file leaked into " << relative;
        }
    }
}

} // namespace pregonero::e2e
