// A refresh of 20 sources that all answer 304 Not Modified: the CPU time the
// refreshing thread spends (conditional requests over kept-alive connections,
// no parse, no write), measured on that thread alone so the local server's
// own work does not count.
#include "feedserver/bridge/FeedBridge.h"
#include "feedserver/bridge/SectionTable.h"
#include "feedserver/sources/SourceFeedReader.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace pregonero::feeds;

constexpr int kSources = 20;
constexpr int kItems = 50;

std::string Feed(int source) {
    std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
                       "<title>Diario " +
                       std::to_string(source) + "</title>";
    for (int i = 0; i < kItems; ++i) {
        const std::string id = std::to_string(source) + "-" + std::to_string(i);
        feed += "<item><title>Nota " + id + "</title><link>https://diario.example.com/" + id +
                "</link><pubDate>Tue, 03 Mar 2026 09:" + std::to_string(10 + i) +
                ":00 +0100</pubDate><description><![CDATA[<p>Resumen de la nota " + id +
                ", con acentos y eñes.</p>]]></description></item>";
    }
    return feed + "</channel></rss>";
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void BM_RefreshAllNotModified(benchmark::State& state) {
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(8); };
    server.Get(R"(/feed/(\d+)\.xml)",
               [](const httplib::Request& request, httplib::Response& response) {
                   std::string etag = request.matches[1];
                   etag = '"' + etag + '"';
                   response.set_header("ETag", etag);
                   if (request.get_header_value("If-None-Match") == etag) {
                       response.status = 304;
                       return;
                   }
                   response.set_content(Feed(std::stoi(request.matches[1])), "application/rss+xml");
               });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread listener([&] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::vector<OpmlSource> sources;
    for (int i = 0; i < kSources; ++i) {
        sources.push_back(
            {"http://127.0.0.1:" + std::to_string(port) + "/feed/" + std::to_string(i) + ".xml",
             "Diario", 1 + i % 19});
    }
    const auto dir = std::filesystem::temp_directory_path() /
                     ("pregonero-bridge-bench-" + std::to_string(::getpid()));
    EditionClock clock;
    std::string error;
    clock.SetZone("UTC", &error);
    FeedBridge bridge(sources, {dir, 15, "pregonero-feeds/bench"}, clock, SourceFeedReader::Read);
    bridge.Open(&error);
    std::int64_t now = 1772539200;
    bridge.Refresh(now);
    const std::size_t parses = bridge.Parses();
    double cpu = 0;
    for (auto _ : state) {
        const double before = ThreadCpuMs();
        bridge.Refresh(now += 900);
        cpu += ThreadCpuMs() - before;
    }
    state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations());
    state.counters["parses_after_first"] = static_cast<double>(bridge.Parses() - parses);
    bridge.Stop();
    server.stop();
    listener.join();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RefreshAllNotModified)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

BENCHMARK_MAIN();
