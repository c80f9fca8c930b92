// One article of 20,000 characters: the time from the cache file on disk to
// the article shown (loadNota on a real screen in a running runtime: parse,
// markup clean-up, the row), next to `xmllint --noout` on the same file as a
// yardstick for the parse alone, and the clean-up by itself.
#include "platform/runtime/Runtime.h"
#include "screens/ArticleCleanup.h"
#include "screens/FormNota.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kBodyChars = 20000;
char kCache[] = "/Home/Res/Nota.xml";

// Paragraphs the way the newspaper writes them, markup the clean-up removes
// included, cut to exactly kBodyChars characters.
std::string Body() {
    const std::string paragraph =
        "<p align=\"left\">El pleno aprob&oacute; ayer la reforma, <em>con cambios</em> de "
        "&uacute;ltima hora.&#13;<br />Los grupos <strong>de oposici&oacute;n</strong> "
        "anunciaron recursos; m&aacute;s en <a href=\"nota.html\">esta nota</ a>.</p>\n";
    std::string body;
    while (body.size() < kBodyChars) {
        body += paragraph;
    }
    body.resize(kBodyChars);
    return body;
}

struct Scratch {
    Scratch() {
        home = (std::filesystem::temp_directory_path() / "pregonero-article-bench").string();
        std::filesystem::create_directories(home + "/Res");
        file = home + "/Res/Nota.xml";
        body = Body();
        std::ofstream out(file);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<article Title=\"La "
               "reforma, paso a paso\" Author=\"Redacción\" PubDate=\"lunes 3 de marzo\" "
               "PubTime=\"10:45\" ImgLink=\"\" ImgDes=\"\"><![CDATA["
            << body << "]]></article>\n</root>\n";
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
    std::string home;
    std::string file;
    std::string body;
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

void BM_LoadNota(benchmark::State& state) {
    pregonero::runtime::Runtime runtime;
    runtime.Settings().homeDir = Files().home;
    runtime.Settings().feedServer = "http://127.0.0.1:9";
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<FormNota>(100, L"http://127.0.0.1:9/nota.xml");
        screen->Initialize();
        state.ResumeTiming();
        screen->loadNota(kCache);
        state.PauseTiming();
        if (!screen->backEnabled || screen->list == nullptr || screen->list->GetItemCount() != 1) {
            state.SkipWithError("the article was not shown");
        }
        screen.reset();
        state.ResumeTiming();
    }
    state.counters["body_chars"] = kBodyChars;
}
BENCHMARK(BM_LoadNota)->Unit(benchmark::kMicrosecond);

void BM_ArticleCleanup(benchmark::State& state) {
    const Osp::Base::String original(Files().body.c_str());
    for (auto _ : state) {
        Osp::Base::String body = original;
        ArticleCleanup::Apply(body);
        benchmark::DoNotOptimize(body);
    }
    state.counters["body_chars"] = kBodyChars;
}
BENCHMARK(BM_ArticleCleanup)->Unit(benchmark::kMicrosecond);

} // namespace

// `ArticleBench --write-feed FILE` writes the benchmark's feed for xmllint.
int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-feed") {
        std::filesystem::copy_file(Files().file, argv[2],
                                   std::filesystem::copy_options::overwrite_existing);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
