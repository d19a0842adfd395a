// A COMTRADE configuration and its data file from one input (the configuration text, a
// NUL byte, the data bytes): reading either never crashes, hangs or over-allocates, a
// failure is one of the texts of the readers, and what was read writes and reads back
// with the same samples in both encodings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/DcompInit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/ComtradeDatParsers.h"
#include "platform/Exception.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace dcomp;

TStreamList Streams(std::string cfg, std::string dat) {
    TStreamList streams;
    streams.push_back(std::make_unique<TMemoryStream>(std::move(cfg)));
    streams.push_back(std::make_unique<TMemoryStream>(std::move(dat)));
    return streams;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitUnits();
        SetMaxSampleBytes(int64_t{64} << 20);
        return true;
    }();
    (void)ready;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string cfg = input.substr(0, nul);
    const std::string dat = nul == std::string::npos ? std::string() : input.substr(nul + 1);
    const TNameList names = {"x.cfg", "x.dat"};
    TStreamList streams = Streams(cfg, dat);

    TComtrade recording;
    TComtradeInterface handler;
    try {
        handler.ReadCfg(recording, *streams[0], {});
    } catch (const platform::Exception& e) {
        FUZZ_CHECK(e.Message().rfind("Błąd w ", 0) == 0 && fuzz::ValidUtf8(e.Message()));
        return 0;
    }
    const TComtradeDataFileParser* parser = FindDataFileParser(handler.DataFileFormat);
    if (parser == nullptr) return 0;
    try {
        parser->LoadDataFromStream(recording, names, streams, {});
        recording.AnalogList().CheckRange({});
    } catch (const platform::Exception& e) {
        const std::string m = e.Message();
        FUZZ_CHECK(m.rfind("Błąd w ", 0) == 0 || m.rfind("TBinaryDataFileParser.LoadDataStream(): ", 0) == 0);
        FUZZ_CHECK(fuzz::ValidUtf8(m));
        return 0;
    }
    FUZZ_CHECK(recording.LoadedCount() <= recording.SampleCount());
    // The standard encodings load what the data file holds, however many samples the
    // configuration claims: every sample takes bytes of the file.
    if (handler.DataFileFormat == "BINARY" || handler.DataFileFormat == "ASCII") {
        FUZZ_CHECK(recording.LoadedCount() == recording.SampleCount());
        FUZZ_CHECK(recording.SampleCount() <= static_cast<int64_t>(dat.size()));
    }
    // Writing millions of samples that a few bytes declared proves nothing more than a few.
    if (recording.SampleCount() > 100'000) return 0;

    // Written and read back in each encoding, the samples stay.
    for (uint8_t format : {0, 1}) {
        TStreamList out = Streams("", "");
        try {
            handler.WriteCfgToStream(recording, *out[0], recording.CyfrList(), recording.AnalogList(),
                                     recording.SampleCount(), 0, format);
            FindDataFileParser(kDataFileFormatNames[format])
                ->SaveDataToStream(recording, names, false, false, out, {});
        } catch (const platform::Exception&) {
            continue;  // a time stamp beyond 32 bits, a time that cannot move
        }
        TComtrade back;
        TComtradeInterface reader;
        try {
            reader.ReadCfg(back, *out[0], {});
            FindDataFileParser(reader.DataFileFormat)->LoadDataFromStream(back, names, out, {});
        } catch (const platform::Exception& e) {
            FUZZ_CHECK(fuzz::ValidUtf8(e.Message()));
            continue;  // texts with line breaks or commas of their own do not read back
        }
        FUZZ_CHECK(back.AnalogList().Count() == recording.AnalogList().Count());
        FUZZ_CHECK(back.CyfrList().Count() == recording.CyfrList().Count());
        if (back.SampleCount() != recording.SampleCount()) continue;
        for (int d = 0; d < back.CyfrList().Count(); ++d)
            FUZZ_CHECK(back.CyfrList()[d]->BitBuffer() == recording.CyfrList()[d]->BitBuffer());
    }
    return 0;
}
