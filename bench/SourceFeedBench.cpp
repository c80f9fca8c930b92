// Converting 20 newspapers' feeds of 50 items each (bench/make_sources.py)
// into the edition, from the files on disk, as the feed server does after
// fetching them: each feed read into items, then every file of the edition
// (sections, front page, article and gallery feeds) built in memory; only
// writing them to disk is left out. The yardsticks (xmllint --noout over the
// same files, Python's feedparser) are run by bench/figures.py.
// PREGONERO_BENCH_SOURCES names the folder of the feeds.
#include "feedserver/bridge/EditionBuilder.h"
#include "feedserver/bridge/SectionTable.h"
#include "feedserver/sources/SourceFeedReader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SourceFiles() {
    const char* folder = std::getenv("PREGONERO_BENCH_SOURCES");
    std::vector<std::string> files;
    if (folder == nullptr) {
        return files;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".xml") {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void BM_ReadSources(benchmark::State& state) {
    std::vector<std::string> files = SourceFiles();
    if (files.empty()) {
        state.SkipWithError("PREGONERO_BENCH_SOURCES names no folder of feeds");
        return;
    }
    std::size_t items = 0;
    std::size_t editionBytes = 0;
    const int sections = static_cast<int>(pregonero::feeds::SectionTable::Sections().size());
    pregonero::feeds::EditionClock clock;
    for (auto _ : state) {
        items = 0;
        std::vector<pregonero::feeds::SourceFeed> feeds(files.size());
        pregonero::feeds::EditionBuilder builder(clock);
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string& file = files[i];
            std::ifstream in(file, std::ios::binary);
            std::string bytes(std::filesystem::file_size(file), '\0');
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            pregonero::feeds::SourceFeed& feed = feeds[i];
            std::string error;
            if (!pregonero::feeds::SourceFeedReader::Read(bytes, "https://example.com/feed",
                                                          "application/rss+xml", &feed, &error)) {
                state.SkipWithError(("unreadable: " + file + ": " + error).c_str());
                return;
            }
            items += feed.items.size();
            // Every section but the front page, which is then made of the newest items.
            builder.Add(1 + static_cast<int>(i) % (sections - 1), feed.items);
        }
        editionBytes = 0;
        builder.Write([&](const std::string&, const std::string& bytes) {
            editionBytes += bytes.size();
            return true;
        });
        benchmark::DoNotOptimize(editionBytes);
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["edition_bytes"] = static_cast<double>(editionBytes);
}
BENCHMARK(BM_ReadSources)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
