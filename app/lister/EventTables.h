#pragma once
// The event description tables of both device types: what each event code of the
// events register is (length, kind, name, chart treatment).
#include <array>
#include <cstdint>
#include <string_view>

namespace app {

struct TEventDescription {
    uint8_t Length = 0;  // record length in bytes; 0 = undefined code
    uint8_t Kind = 0;
    std::string_view Name;  // the device's event name, at most 150 characters
    uint8_t Listed = 0;     // 1 = listed and charted by default
    uint8_t IoClass = 0;    // start-time correction: 0 none, 1 DI, 2 DO, 3 AI
    uint8_t Trace = 0;      // chart trace 1..171; 0 = none
    uint8_t TraceValue = 0;  // value the event sets on its trace
};

using TEventTable = std::array<TEventDescription, 256>;

// Device type 1 (Vesk-2) or 2 (Vesk-3); any other type gives the all-undefined table.
const TEventTable& EventDescriptions(int deviceType);

}  // namespace app
