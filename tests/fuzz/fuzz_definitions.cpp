// A ".set" file, then the setting-word codec over each setting it describes: every
// word shown, the shown text and a typed text stored back. The input is the file, a
// text typed into the grid and the parameter set's bytes (FuzzedDataProvider layout:
// the set's length from the end, then file and typed text, each ended by a backslash
// and one more character, then the set).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/device/HalvoDefs.h"
#include "app/device/Interp.h"
#include "platform/Exception.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr std::size_t kSetSize = 512;

// Stores text over a copy of the set: only the setting's own word may change, and only
// where the set holds it.
void Store(const app::TSettingDescriptor& d, const std::string& text, std::size_t setLength,
           const std::vector<uint8_t>& set) {
    std::vector<uint8_t> copy = set;
    try {
        app::TextToSetting(d, text, setLength, copy);
    } catch (const platform::Exception&) {
        FUZZ_CHECK(copy == set);
    }
    const std::size_t word = std::size_t{d.RegisterIndex} * 2;
    const bool held = setLength != 0 && word + 2 <= set.size();
    for (std::size_t i = 0; i < set.size(); ++i)
        if (!held || i < word || i >= word + 2) FUZZ_CHECK(copy[i] == set[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t setLength = in.ConsumeIntegralInRange<std::size_t>(0, kSetSize);
    const std::string file = in.ConsumeRandomLengthString(size);
    const std::string typed = in.ConsumeRandomLengthString(40);
    std::vector<uint8_t> set = in.ConsumeBytes<uint8_t>(kSetSize);
    set.resize(kSetSize);

    const fuzz::TScratchDir& dir = fuzz::Scratch();
    app::THalvoDefs defs;
    defs.LoadFromFile(dir.Write("case.set", file));
    for (int n = 1; n <= defs.SectionCount(); ++n) {
        FUZZ_CHECK(fuzz::ValidUtf8(defs.GetSectionTitle(n)));
        const app::TSets* sets = defs.GetSection(n);
        if (!sets) continue;
        for (int m = 1; m <= sets->Count(); ++m) {
            const app::TSettingDescriptor d = sets->GetSetting(m);
            FUZZ_CHECK(fuzz::ValidUtf8(d.Name) && fuzz::ValidUtf8(d.Unit));
            const std::string shown = app::SettingToText(d, set, setLength);
            FUZZ_CHECK(fuzz::ValidUtf8(shown));
            Store(d, shown, setLength, set);
            Store(d, typed, setLength, set);
            if (d.Kind == app::skHex && shown != "?") {
                // A hexadecimal word stored as shown stays the word.
                std::vector<uint8_t> copy = set;
                app::TextToSetting(d, shown, setLength, copy);
                FUZZ_CHECK(copy == set);
            }
        }
    }
    return 0;
}
