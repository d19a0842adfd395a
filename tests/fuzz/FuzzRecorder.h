#pragma once
// What the recorder reader targets share: one handler run over the input as its only
// stream, with the sample buffers limited as the harnesses keep them, and the checks that
// every outcome is a listed exception, a message or a (partial) load.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/MemoryStream.h"
#include "platform/Exception.h"
#include "tests/fuzz/FuzzSupport.h"

namespace fuzz {

inline void LimitRecordings() {
    static const bool done = [] {
        dcomp::SetMaxSampleBytes(int64_t{64} << 20);
        return true;
    }();
    (void)done;
}

FUZZ_NO_COVERAGE inline void CheckRecording(const dcomp::TComtrade& rec) {
    for (const dcomp::TAnalogDescr* a : rec.AnalogList()) {
        FUZZ_CHECK(a->SampleCount() == rec.SampleCount());
        FUZZ_CHECK(ValidUtf8(a->ChannelId()) && ValidUtf8(a->CircuitComponent()) && ValidUtf8(a->Units()));
    }
    for (const dcomp::TCyfrDescr* d : rec.CyfrList()) {
        FUZZ_CHECK(d->SampleCount() == rec.SampleCount());
        for (uint8_t bit : d->BitBuffer()) FUZZ_CHECK(bit <= 1);
    }
    FUZZ_CHECK(ValidUtf8(rec.FileParam().StationName()) && ValidUtf8(rec.FileParam().RecDeviceId()));
}

// Loads the bytes as the first stream of a file set; false when the load raised.
inline bool LoadRecorderFile(const dcomp::TFileInterface& handler, const uint8_t* data, size_t size,
                             const std::string& selector, bool withCallback) {
    LimitRecordings();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    dcomp::TMemoryStream probe(bytes);
    handler.CanLoad(probe, {});
    dcomp::TComtrade rec;
    dcomp::TNameList names{"fuzz.rec"};
    dcomp::TStreamList streams;
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(bytes));
    dcomp::TOnMessage onMessage;
    if (withCallback) onMessage = [](const std::string& m) { FUZZ_CHECK(ValidUtf8(m)); };
    bool ok = true;
    try {
        handler.LoadFromStreams(rec, names, selector, streams, onMessage);
    } catch (const platform::Exception& e) {
        FUZZ_CHECK(ValidUtf8(e.Message()));
        ok = false;
    }
    CheckRecording(rec);
    return ok;
}

}  // namespace fuzz
