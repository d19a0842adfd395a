// Loading a BINARY data file of 1,000,000 samples × 16 analogue and 16 status channels
// into a recording that its configuration sized must take at most three times reading
// the file's bytes (open and read whole, warm cache, best of 5 each).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "dcomp/DcompInit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/ComtradeDatParsers.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "tests/support/TempDir.h"

namespace {

using namespace dcomp;
using Clock = std::chrono::steady_clock;

constexpr int kSamples = 1'000'000;
constexpr int kChannels = 16;
constexpr int kRuns = 5;
constexpr double kRatioLimit = 3.0;

std::string Fixed(double value, int decimals) {
    return platform::FormatFixed(value, decimals, platform::DotFormatSettings());
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The file's bytes as a program would take them: open, size, read whole.
std::string ReadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

void MakeRecording(TComtrade& r) {
    r.FileParam().SetStationName("Bench");
    r.FileParam().SetRecDeviceId("R1");
    r.FileParam().RevisionYear = 1999;
    r.FileParam().TimeMultiplier = 1;
    r.FileParam().StartTime.ParseDate("05/01/2020", 1999);
    r.FileParam().StartTime.ParseTime("10:20:30.0", 1999);
    r.FileParam().TriggerTime = r.FileParam().StartTime;
    for (int c = 0; c < kChannels; ++c) {
        TAnalogDescr* a = r.AnalogList().Add();
        a->SetChannelId("A" + std::to_string(c + 1));
        a->Multiplier = 0.01;
        a->Min = -32768;
        a->Max = 32767;
        r.CyfrList().Add()->SetChannelId("D" + std::to_string(c + 1));
    }
    TRateDescr* s = r.RateList().AddSegment();
    s->Rate = 10'000;
    s->SetEndSample(kSamples);
    r.SetSampleCount(kSamples);
    for (int c = 0; c < kChannels; ++c) {
        TAnalogDescr* a = r.AnalogList()[c];
        TCyfrDescr* d = r.CyfrList()[c];
        for (int i = 0; i < kSamples; ++i) {
            a->SetRaw(i, (i * 37 + c * 1009) % 65536 - 32768);
            d->SetBit(i, static_cast<uint8_t>((i >> c) & 1));
        }
    }
}

}  // namespace

int main() {
    InitUnits();
    const platform_test::TTempDir scratch;
    const std::string cfgPath = platform::JoinPath(scratch.Path(), "bench.cfg");
    const std::string datPath = platform::JoinPath(scratch.Path(), "bench.dat");
    {
        TComtrade r;
        MakeRecording(r);
        TNameList names = {cfgPath, datPath};
        TStreamList streams;
        streams.push_back(std::make_unique<TMemoryStream>());
        streams.push_back(std::make_unique<TMemoryStream>());
        TComtradeInterface::Instance().WriteCfgToStream(r, *streams[0], r.CyfrList(), r.AnalogList(),
                                                        r.SampleCount(), 0, 1);
        TBinaryDataFileParser::Instance().SaveDataToStream(r, names, false, false, streams, {});
        if (!platform::WriteFileAtomic(cfgPath, streams[0]->Bytes()) ||
            !platform::WriteFileAtomic(datPath, streams[1]->Bytes())) {
            std::puts("comtrade_bench: cannot write the files");
            return 1;
        }
    }

    double readMs = 1e300;
    std::string datBytes;
    for (int run = 0; run < kRuns + 1; ++run) {  // the first run warms the cache
        const auto start = Clock::now();
        datBytes = ReadFile(datPath);
        if (run > 0) readMs = std::min(readMs, MsSince(start));
    }
    const std::string cfgBytes = ReadFile(cfgPath);

    double loadMs = 1e300;
    const TNameList names = {cfgPath, datPath};
    for (int run = 0; run < kRuns; ++run) {
        TStreamList streams;
        streams.push_back(std::make_unique<TMemoryStream>(cfgBytes));
        streams.push_back(std::make_unique<TMemoryStream>(datBytes));
        TComtrade r;
        TComtradeInterface handler;
        handler.ReadCfg(r, *streams[0], {});  // sizes the recording, as the file set does
        const TComtradeDataFileParser* parser = FindDataFileParser(handler.DataFileFormat);
        const auto start = Clock::now();
        parser->LoadDataFromStream(r, names, streams, {});
        loadMs = std::min(loadMs, MsSince(start));
        if (r.LoadedCount() != kSamples ||
            r.AnalogList()[3]->GetRaw(12345) != (12345 * 37 + 3 * 1009) % 65536 - 32768 ||
            r.CyfrList()[5]->GetBit(12345) != ((12345 >> 5) & 1)) {
            std::puts("comtrade_bench: the loaded samples differ from the written ones");
            return 1;
        }
    }

    const double ratio = loadMs / readMs;
    std::printf("BINARY data file: %d samples x %d analogue + %d status channels, %s MB\n", kSamples,
                kChannels, kChannels, Fixed(static_cast<double>(datBytes.size()) / 1e6, 1).c_str());
    std::puts(("read the file's bytes (best of 5): " + Fixed(readMs, 2) + " ms").c_str());
    std::puts(("LoadDataFromStream (best of 5): " + Fixed(loadMs, 2) + " ms").c_str());
    std::puts(("ratio load / read " + Fixed(ratio, 2) + " (limit " + Fixed(kRatioLimit, 2) + ", " +
               (ratio <= kRatioLimit ? "met" : "NOT MET") + ")")
                  .c_str());
    FinalizeUnits();
    return 0;
}
