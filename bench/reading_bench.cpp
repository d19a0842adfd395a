// A whole "Reading" of the Vesk simulator over a socat pty pair at the line settings of
// the field: TimeSilence 50 ms, Time_Out 500 ms. The silence waits are the time the
// reading must take; everything above them is time lost waiting for answers. Prints
// the wall time, the reading's CPU time and the ratio of wall time to those waits.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/LinkSettings.h"
#include "app/device/MessageLog.h"
#include "app/link/RsdUnit.h"
#include "platform/FormatSettings.h"
#include "platform/Waiter.h"
#include "tests/support/PeerProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kTimeSilence = 50;
constexpr int32_t kTimeOut = 500;
constexpr double kRatioLimit = 1.15;
constexpr double kCpuLimitPercent = 2.0;
// Three pages of events, ended by the device's exception answer for the fourth.
constexpr std::size_t kEventsBytes = 750;
constexpr int kRuns = 3;

// Sleeps as asked and adds up what the reading asked for.
class TCountingWaiter : public platform::IWaiter {
public:
    void WaitMs(uint32_t ms) override {
        ++Count;
        TotalMs += ms;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    int Count = 0;
    uint64_t TotalMs = 0;
};

class TQuietLog : public app::IMessageLog {
public:
    int Count() const override { return static_cast<int>(Lines.size()); }
    void Add(const std::string& line) override { Lines.push_back(line); }
    void Delete(int index) override { Lines.erase(Lines.begin() + index); }
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void TypeKey(char) override {}
    std::vector<std::string> Lines;
};

class TFixedSettings : public app::ILinkSettingsProvider {
public:
    explicit TFixedSettings(app::TLinkSettings settings) : Settings(std::move(settings)) {}
    app::TLinkSettings LinkSettings() override { return Settings; }
    app::TLinkSettings Settings;
};

std::string Fixed(double value, int decimals) {
    return platform::FormatFixed(value, decimals, platform::DotFormatSettings());
}

std::string WriteFile(const fs::path& path, std::size_t size, int seed) {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < size; ++i)
        out.put(static_cast<char>((i * 11 + static_cast<std::size_t>(seed)) & 0xFF));
    return path.string();
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct TRun {
    double WallMs = 0;
    double CpuMs = 0;
    uint64_t SilenceMs = 0;
    int Waits = 0;
    bool Ok = false;
    std::string Failure;
};

TRun ReadOnce(const fs::path& dir) {
    TRun run;
    peers::TSocatPtyPair ptys(dir);
    if (!ptys.Ready()) {
        run.Failure = "socat made no pty pair";
        return run;
    }
    peers::TPeerProcess sim(
        {HALVO_BIN_DIR "/vesk_sim", "--rtu", ptys.A(), "--dump", (dir / "dump.bin").string(), "--ident",
         "V3BENCH-00000001", "--parset1", WriteFile(dir / "p1.bin", 238, 1), "--parset2",
         WriteFile(dir / "p2.bin", 238, 2), "--events", WriteFile(dir / "ev.bin", kEventsBytes, 3)});
    if (sim.FirstLine() != "READY") {
        run.Failure = "vesk_sim did not start";
        return run;
    }

    app::TRsdHan link;
    link.SetCommPort(ptys.B());
    link.SetBaudRate(app::br115200);
    link.SetReadTotalTimeoutConstant(kTimeOut);
    link.SetSilenceTime(kTimeSilence);
    if (link.Open() != app::TRsdHan::kOpenOk) {
        run.Failure = "the pty did not open";
        return run;
    }
    TFixedSettings settings{
        app::TLinkSettings{.TimeOut = kTimeOut, .TimeSilence = kTimeSilence, .SerialLink = &link}};
    app::TLinkSettingsScope settingsScope{settings};
    TCountingWaiter waiter;
    platform::TWaiterScope waiterScope{waiter};
    TQuietLog log;
    app::THalvo halvo;
    halvo.SetDataDirectory(HALVO_BIN_DIR);
    halvo.TraceMessages = false;
    halvo.SetMessageMemo(&log);

    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    halvo.ReadFromHALVO();
    run.WallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.CpuMs = (CpuSeconds() - cpuStart) * 1000;
    run.SilenceMs = waiter.TotalMs;
    run.Waits = waiter.Count;

    run.Ok = !halvo.ErrorFlag() && halvo.GetEventsLength() == kEventsBytes &&
             halvo.GetParset1Length() == 238 && halvo.GetParset2Length() == 238;
    if (!run.Ok) {
        run.Failure = "the reading failed:";
        for (const std::string& line : log.Lines) run.Failure += " [" + line + "]";
    }
    return run;
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("reading_bench_" + std::to_string(::getpid()));
    std::puts(("reading_bench: ReadFromHALVO of the Vesk simulator over a socat pty, TimeSilence " +
               std::to_string(kTimeSilence) + " ms, Time_Out " + std::to_string(kTimeOut) + " ms, " +
               std::to_string(kEventsBytes) + " event bytes")
                  .c_str());
    std::vector<double> ratios, cpuShares;
    for (int i = 1; i <= kRuns; ++i) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const TRun run = ReadOnce(dir);
        fs::remove_all(dir);
        if (!run.Ok) {
            std::fputs(("run " + std::to_string(i) + ": " + run.Failure + "\n").c_str(), stderr);
            return 1;
        }
        const double ratio = run.WallMs / static_cast<double>(run.SilenceMs);
        const double cpuShare = 100 * run.CpuMs / run.WallMs;
        ratios.push_back(ratio);
        cpuShares.push_back(cpuShare);
        std::puts(("run " + std::to_string(i) + ": wall " + Fixed(run.WallMs, 1) + " ms, silence waits " +
                   std::to_string(run.Waits) + " = " + std::to_string(run.SilenceMs) + " ms, ratio " +
                   Fixed(ratio, 3) + ", CPU " + Fixed(run.CpuMs, 1) + " ms (" + Fixed(cpuShare, 2) +
                   " % of wall)")
                      .c_str());
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(cpuShares.begin(), cpuShares.end());
    const double ratio = ratios[ratios.size() / 2];
    const double cpuShare = cpuShares[cpuShares.size() / 2];
    std::puts(("median: ratio wall / silence waits " + Fixed(ratio, 3) + " (limit " + Fixed(kRatioLimit, 2) +
               ", " + (ratio <= kRatioLimit ? "met" : "NOT MET") + "), CPU " + Fixed(cpuShare, 2) +
               " % of wall (limit " + Fixed(kCpuLimitPercent, 0) + " %, " +
               (cpuShare < kCpuLimitPercent ? "met" : "NOT MET") + ")")
                  .c_str());
    return 0;
}
