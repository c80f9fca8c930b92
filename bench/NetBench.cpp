// HTTP fetch of 100 files of 8 KB through the runtime's NetworkService, cold
// (a fresh service, no open connection) and warm (connections kept alive from
// the previous round), next to `curl --parallel --parallel-max 6` fetching the
// same URLs. The server is whatever PREGONERO_BENCH_BASE points at (bench/run.sh
// starts nginx); files are BASE/f000.bin .. BASE/f099.bin. Client CPU per
// transfer is the process's user + system time over the round divided by 100.
#include "platform/runtime/Runtime.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using namespace pregonero::runtime;

constexpr int kFiles = 100;

std::vector<std::string> Urls() {
    const char* base = std::getenv("PREGONERO_BENCH_BASE");
    std::vector<std::string> urls;
    if (base == nullptr) {
        return urls;
    }
    for (int i = 0; i < kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.bin", i);
        urls.push_back(std::string(base) + "/" + name);
    }
    return urls;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Fetches every URL once; false when one failed.
bool FetchAll(Runtime& runtime, const std::vector<std::string>& urls) {
    int done = 0;
    int good = 0;
    for (const auto& url : urls) {
        runtime.Network().Start(url, FetchLimits{}, [&](FetchResult&& result) {
            ++done;
            good += result.outcome == FetchOutcome::Completed && result.status == 200 &&
                    result.body.size() == 8192;
        });
    }
    runtime.Loop().RunUntil([&] { return done == static_cast<int>(urls.size()); }, LoopMode::All);
    return good == done;
}

void Report(benchmark::State& state, double cpu) {
    state.counters["cpu_us_per_transfer"] =
        cpu * 1e6 / (static_cast<double>(state.iterations()) * kFiles);
}

void BM_FetchCold(benchmark::State& state) {
    auto urls = Urls();
    if (urls.empty()) {
        state.SkipWithError("PREGONERO_BENCH_BASE is not set");
        return;
    }
    // Process-wide first-use costs (curl's global set-up, thread start-up,
    // the resolver) are paid once here; cold means no open connection.
    static const bool warmed = [&urls] {
        Runtime runtime;
        return FetchAll(runtime, urls);
    }();
    if (!warmed) {
        state.SkipWithError("a fetch failed");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto runtime = std::make_unique<Runtime>();
        state.ResumeTiming();
        double before = CpuSeconds();
        if (!FetchAll(*runtime, urls)) {
            state.SkipWithError("a fetch failed");
            break;
        }
        cpu += CpuSeconds() - before;
        state.PauseTiming();
        runtime.reset();
        state.ResumeTiming();
    }
    Report(state, cpu);
}
BENCHMARK(BM_FetchCold)
    ->Iterations(1)
    ->Repetitions(15)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FetchWarm(benchmark::State& state) {
    auto urls = Urls();
    if (urls.empty()) {
        state.SkipWithError("PREGONERO_BENCH_BASE is not set");
        return;
    }
    Runtime runtime;
    if (!FetchAll(runtime, urls)) { // opens the connections
        state.SkipWithError("a fetch failed");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        double before = CpuSeconds();
        if (!FetchAll(runtime, urls)) {
            state.SkipWithError("a fetch failed");
            break;
        }
        cpu += CpuSeconds() - before;
    }
    Report(state, cpu);
}
BENCHMARK(BM_FetchWarm)
    ->Iterations(5)
    ->Repetitions(15)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The anchor: one curl process fetching the same 100 URLs, six at a time.
void BM_CurlParallel(benchmark::State& state) {
    auto urls = Urls();
    if (urls.empty()) {
        state.SkipWithError("PREGONERO_BENCH_BASE is not set");
        return;
    }
    auto config = std::filesystem::temp_directory_path() / "pregonero-netbench.curl";
    {
        std::ofstream out(config);
        for (const auto& url : urls) {
            out << "url = \"" << url << "\"\noutput = \"/dev/null\"\n";
        }
    }
    std::string path = config.string();
    std::vector<std::string> args = {"curl",   "--silent",   "--no-progress-meter",
                                     "--fail", "--parallel", "--parallel-max",
                                     "6",      "--config",   path};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed or is missing");
            break;
        }
    }
    std::filesystem::remove(config);
}
BENCHMARK(BM_CurlParallel)
    ->Iterations(1)
    ->Repetitions(15)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
