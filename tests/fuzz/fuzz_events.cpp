// An events buffer of either device type, walked, decoded and listed under every
// combination of the options the listing follows. The input's last bytes choose the
// type, the definitions' flag and corrections and a stored length; the rest is the buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/events/EventRecords.h"
#include "tests/fuzz/FuzzDocument.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int type = in.ConsumeBool() ? 2 : 1;
    const bool sysLogick = in.ConsumeBool();
    const std::array<int8_t, 3> corrections{in.ConsumeIntegral<int8_t>(), in.ConsumeIntegral<int8_t>(),
                                            in.ConsumeIntegral<int8_t>()};
    std::optional<uint16_t> storedLength;
    if (in.ConsumeBool()) storedLength = in.ConsumeIntegral<uint16_t>();
    std::vector<uint8_t> events = in.ConsumeRemainingBytes<uint8_t>();
    events.resize(std::min(events.size(), app::THalvo::kEventsCapacity));

    app::THalvo halvo;
    halvo.SetDataDirectory(fuzz::Scratch().Path());  // no definitions there: the defaults
    halvo.SetDeviceType(type);
    std::copy(events.begin(), events.end(), halvo.EventsBuffer());
    halvo.SetEventsLength(storedLength.value_or(static_cast<uint16_t>(events.size())));
    halvo.Defs().ImplementsSysLogick = sysLogick;
    halvo.Defs().DiCorrection = corrections[0];
    halvo.Defs().DoCorrection = corrections[1];
    halvo.Defs().AiCorrection = corrections[2];

    const std::span<const uint8_t> area{halvo.EventsBuffer(), app::THalvo::kEventsCapacity};
    app::TEventWalker walker(area, halvo.GetEventsLength(), halvo.EventTable());
    FUZZ_CHECK(walker.DataLength() == halvo.GetEventsLength());
    std::size_t end = 0;
    while (const auto record = walker.Next()) {
        FUZZ_CHECK(record->Offset >= end && record->Bytes.data() == area.data() + record->Offset);
        FUZZ_CHECK(record->Offset + record->Bytes.size() <= walker.DataLength());
        FUZZ_CHECK(record->Bytes.size() == record->Description->Length && record->Bytes.size() > 0);
        end = record->Offset + record->Bytes.size();
    }
    FUZZ_CHECK(walker.End() != app::TEventWalkEnd::Running && walker.Offset() <= walker.DataLength());
    app::THalvo::EventsComplete(area.first(halvo.GetEventsLength()), halvo.EventTable());

    std::optional<fuzz::TListed> first;
    for (const uint8_t showAll : {0, 1}) {
        for (const uint8_t correct : {0, 1}) {
            app::TReadOptions options = halvo.GetReadOptions();
            options.ShowAllEvents = showAll;
            options.CorrectStartTimes = correct;
            halvo.SetReadOptions(options);
            const fuzz::TListed listed = fuzz::ListDocument(halvo);
            // The options change the stamps and the lines, never what is decoded.
            if (!first) first = listed;
            FUZZ_CHECK(listed.DecodeFailed == first->DecodeFailed && listed.Sequences == first->Sequences);
        }
    }
    return 0;
}
