// Any bytes as a COMTRADE file set: the input is cut at "\n@@\n" into the configuration,
// the data file, the set's information file, the folder's Default.inf and the header.
// Loading raises a listed exception or loads; a loaded recording saves in both formats
// and the BINARY set loads back with the same channels.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/recorder/ComtradeInterface.h"
#include "tests/fuzz/FuzzRecorder.h"

namespace {

// The handler as its callers meet it, through the base class.
const dcomp::TFileInterface& Handler() {
    return dcomp::TComtradeInterface::Instance();
}

std::vector<std::string> Parts(std::string_view input) {
    std::vector<std::string> parts;
    for (;;) {
        const size_t cut = input.find("\n@@\n");
        if (cut == std::string_view::npos || parts.size() == 4) break;
        parts.emplace_back(input.substr(0, cut));
        input.remove_prefix(cut + 4);
    }
    parts.emplace_back(input);
    parts.resize(5);
    return parts;
}

// Loads the set; whatever its configuration claims, the recording holds no more samples
// than its data file (stream 1) has bytes.
bool Load(dcomp::TComtrade& rec, const dcomp::TNameList& names, const dcomp::TStreamList& streams) {
    bool ok = true;
    try {
        Handler().LoadFromStreams(rec, names, "", streams,
                                  [](const std::string& m) { FUZZ_CHECK(fuzz::ValidUtf8(m)); });
    } catch (const platform::Exception& e) {
        FUZZ_CHECK(fuzz::ValidUtf8(e.Message()));
        ok = false;
    }
    FUZZ_CHECK(rec.SampleCount() <= streams[1]->Size());
    if (ok) fuzz::CheckRecording(rec);
    return ok;
}

}  // namespace

// The sample limits stay the model's own (unlike the other recorder targets'), so that a
// table sized by a claim instead of the data shows as an over-allocation.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        dcomp::InitUnits();
        return true;
    }();
    (void)ready;
    const auto parts = Parts(std::string_view(reinterpret_cast<const char*>(data), size));
    const dcomp::TNameList names{"d/X.CFG", "d/X.DAT", "d/X.INF", "d/Default.inf", "d/X.HDR"};
    dcomp::TStreamList streams;
    for (const std::string& part : parts) streams.push_back(std::make_unique<dcomp::TMemoryStream>(part));
    dcomp::TMemoryStream probe(parts[0]);
    Handler().CanLoad(probe, {});

    dcomp::TComtrade rec;
    if (!Load(rec, names, streams)) return 0;
    for (const char* format : {"ASCII", "BINARY"}) {
        dcomp::TNameList savedNames;
        dcomp::TStreamList saved;
        try {
            Handler().SaveToStreams(rec, savedNames, false, size % 2 == 1, format, saved, {});
        } catch (const platform::Exception& e) {
            // Data that no file can hold (a time beyond the stamps, a view past the end).
            FUZZ_CHECK(fuzz::ValidUtf8(e.Message()));
            continue;
        }
        FUZZ_CHECK(saved.size() == 4);
        dcomp::TComtrade back;
        if (Load(back, savedNames, saved)) {
            FUZZ_CHECK(back.AnalogList().Count() == rec.AnalogList().Count());
            FUZZ_CHECK(back.CyfrList().Count() == rec.CyfrList().Count());
        }
    }
    return 0;
}
