// A section feed of 10,000 articles without pictures: the time from the cache
// file on disk to the list shown (loadSeccion on a real screen in a running
// runtime), next to `xmllint --noout` on the same file as a yardstick for the
// parse alone. Peak resident memory is reported as a counter.
#include "platform/runtime/Runtime.h"
#include "screens/FormSeccion.h"
#include "screens/HeadlineList.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kArticles = 10000;
char kCache[] = "/Home/Res/seccion.xml";

struct Scratch {
    Scratch() {
        home = (std::filesystem::temp_directory_path() / "pregonero-section-bench").string();
        std::filesystem::create_directories(home + "/Res");
        file = home + "/Res/seccion.xml";
        std::ofstream out(file);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
        for (int i = 0; i < kArticles; ++i) {
            out << "<article Title=\"Título de la nota número " << i
                << "\" Link=\"http://127.0.0.1/nota" << i
                << ".xml\" PubTime=\"12:34\" ImgUrl=\"\" Description=\"Resumen de la nota, "
                   "con acentos y eñes, lo bastante largo para ocupar dos líneas.\"/>\n";
        }
        out << "</root>\n";
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
    std::string home;
    std::string file;
};

Scratch& Files() {
    static Scratch scratch;
    return scratch;
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_LoadSeccion(benchmark::State& state) {
    pregonero::runtime::Runtime runtime;
    runtime.Settings().homeDir = Files().home;
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<FormSeccion>(L"MEXICO", L"http://127.0.0.1:9",
                                                    L"http://127.0.0.1:9/x", kCache);
        screen->Initialize();
        screen->labelCargando = HeadlineList::AddLabels(*screen, L"MEXICO", L"LabelSeccion");
        state.ResumeTiming();
        screen->loadSeccion(kCache);
        state.PauseTiming();
        if (!screen->loaded || screen->customList->GetItemCount() != kArticles) {
            state.SkipWithError("the list was not shown whole");
        }
        screen.reset();
        state.ResumeTiming();
    }
    state.counters["articles"] = kArticles;
    state.counters["peak_rss_MiB"] = PeakRssMiB();
}
BENCHMARK(BM_LoadSeccion)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_XmllintNoout(benchmark::State& state) {
    const std::string command = "xmllint --noout '" + Files().file + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("xmllint failed or is missing (package libxml2-utils)");
            break;
        }
    }
}
BENCHMARK(BM_XmllintNoout)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
