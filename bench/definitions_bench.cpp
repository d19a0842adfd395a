// Loading settings definitions: a large ".set" file and a damaged one (a section of
// nothing but comment lines) must load well within what a document open may take.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "app/device/HalvoDefs.h"
#include "platform/FormatSettings.h"
#include "tests/support/TempDir.h"

namespace {

constexpr double kLimitMs = 50.0;
constexpr int kSettings = 2000;
constexpr int kSettingsPerSection = 200;
constexpr std::size_t kCommentBytes = 1024 * 1024;

// Milliseconds per load in each benchmark's last run, printed after all have run.
std::map<std::string, double>& Figures() {
    static std::map<std::string, double> figures;
    return figures;
}

std::string Fixed(double value, int decimals) {
    return platform::FormatFixed(value, decimals, platform::DotFormatSettings());
}

// A scratch directory for the generated files, removed at exit.
const platform_test::TTempDir& Scratch() {
    static const platform_test::TTempDir scratch;
    return scratch;
}

std::string ManySettingsFile() {
    static const char* const kTypes[] = {"INT", "REAL", "Y/N", "UN", "HEX"};
    std::string s = "[GLOBAL]\r\nImplementsSysLogick=1\r\nZNS_SIZE=119\r\nZNS_SEND_STEP=20\r\n";
    for (int n = 1, m = 1, i = 0; i < kSettings; ++i, ++m) {
        if (i % kSettingsPerSection == 0) {
            if (i > 0) ++n;
            m = 1;
            s += "\r\n[SECTION_" + std::to_string(n) + "]\r\nTITLE=Group " + std::to_string(n) + "\r\n";
        }
        const std::string x = "X" + std::to_string(m);
        s += x + "_NAME=Setting " + std::to_string(i + 1) + "\r\n";
        s += x + "_DIM=kV\r\n";
        s += x + "_BASE=0,01\r\n";
        s += x + "_DEC_PLACES=2\r\n";
        s += x + "_TYPE=" + kTypes[i % 5] + "\r\n";
        if (m == 1) s += x + "_OFFSET=1\r\n";
    }
    return s;
}

// Short lines, so the file has many of them (about 60,000).
std::string CommentFile() {
    std::string s = "[GLOBAL]\r\n";
    for (int i = 0; s.size() < kCommentBytes; ++i) s += "; comment " + std::to_string(i) + "\r\n";
    return s;
}

void LoadDefinitions(benchmark::State& state, const char* name, const std::string& path,
                     int expectedSections) {
    if (path.empty()) {
        state.SkipWithError("cannot write the definitions file");
        return;
    }
    double totalMs = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        app::THalvoDefs defs;  // a fresh one each time: the same path is never read twice
        defs.LoadFromFile(path);
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(defs.ZnsSize);
        if (defs.SectionCount() != expectedSections) {
            state.SkipWithError("the definitions did not load as written");
            return;
        }
    }
    const double ms = totalMs / static_cast<double>(state.iterations());
    state.counters["ms"] = ms;
    state.counters["ratio_to_50ms"] = ms / kLimitMs;
    Figures()[name] = ms;
}

void BM_Load2000Settings(benchmark::State& state) {
    static const std::string path = Scratch().Write("many.set", ManySettingsFile());
    LoadDefinitions(state, "2,000 settings", path, kSettings / kSettingsPerSection);
}

void BM_Load1MbOfComments(benchmark::State& state) {
    static const std::string path = Scratch().Write("comments.set", CommentFile());
    LoadDefinitions(state, "1 MB of comment lines", path, 0);
}

BENCHMARK(BM_Load2000Settings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load1MbOfComments)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [name, ms] : Figures())
        std::printf("%s: %s ms a load, ratio to the 50 ms limit %s%s\n", name.c_str(), Fixed(ms, 3).c_str(),
                    Fixed(ms / kLimitMs, 4).c_str(), ms < kLimitMs ? "" : " (OVER THE LIMIT)");
    return 0;
}
