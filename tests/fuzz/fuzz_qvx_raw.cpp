// Any bytes as the ".dat" stream of a small fixed configuration, read by the fault
// (QVX_RAW, damage log on) and the trend (SLOW_RAW) packet parsers: no exception, every
// channel holds the recording's sample count, and no more samples than the stream holds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/RawPackets.h"
#include "tests/fuzz/FuzzRecorder.h"

namespace {

// Analog channels 1, 7, 2 and 19 (no word), status channels of modules 1 and 3 and one
// outside the packet; 100 samples at 1,000/s.
constexpr const char* kCfg =
    "ST,DEV,1999\r\n7,4A,3D\r\n"
    "1,A1,,,V,1,0,0,-32768,32767,1,1,S\r\n7,A7,,,V,1,0,0,-32768,32767,1,1,S\r\n"
    "2,A2,,,V,1,0,0,-32768,32767,1,1,S\r\n19,A19,,,V,1,0,0,-32768,32767,1,1,S\r\n"
    "101,D101,,,0\r\n315,D315,,,0\r\n1316,D1316,,,0\r\n"
    "50\r\n1\r\n1000,100\r\n01/01/2021,00:00:00.000000\r\n01/01/2021,00:00:00.000000\r\n"
    "QVX_RAW\r\n1\r\n";

void Run(const dcomp::TComtradeDataFileParser& parser, const std::string& dat) {
    dcomp::TComtrade rec;
    dcomp::TComtradeInterface reader;
    dcomp::TMemoryStream cfg(kCfg);
    reader.ReadCfg(rec, cfg, {});
    dcomp::TNameList names{"x.cfg", "x.dat"};
    dcomp::TStreamList streams;
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(kCfg));
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(dat));
    parser.LoadDataFromStream(rec, names, streams,
                              [](const std::string& m) { FUZZ_CHECK(fuzz::ValidUtf8(m)); });
    fuzz::CheckRecording(rec);
    FUZZ_CHECK(static_cast<size_t>(rec.SampleCount()) <= dat.size() || rec.SampleCount() == 100);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        // The damage log and fillers on, from the registry of this process's directory.
        setenv("HALVO_WINDIR", fuzz::Scratch().Path().c_str(), 1);
        fuzz::Scratch().Write("registry.ini",
                              "[HKEY_CURRENT_USER\\Software\\Quarnel\\ZaVadozerO3]\r\nCmtrDebug=1\r\n");
        fuzz::LimitRecordings();
        return true;
    }();
    (void)ready;
    const std::string dat(reinterpret_cast<const char*>(data), size);
    Run(dcomp::TLumoOPFaultDataFileParser::Instance(), dat);
    Run(dcomp::TLumoOPTrendDataFileParser::Instance(), dat);
    return 0;
}
