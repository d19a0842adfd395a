#pragma once
// The event description tables of both device types: what each event code of the
// events register is (length, kind, name, chart treatment).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace app {

struct TEventDescription {
    uint8_t Length = 0;  // record length in bytes; 0 = undefined code
    uint8_t Kind = 0;
    std::string_view Name;   // the device's event name, at most 150 characters
    uint8_t Listed = 0;      // 1 = listed and charted by default
    uint8_t IoClass = 0;     // start-time correction: 0 none, 1 DI, 2 DO, 3 AI
    uint8_t Trace = 0;       // chart trace 1..171; 0 = none
    uint8_t TraceValue = 0;  // value the event sets on its trace
};

using TEventTable = std::array<TEventDescription, 256>;

// Device type 1 (Vesk-2) or 2 (Vesk-3); any other type gives the all-undefined table.
const TEventTable& EventDescriptions(int deviceType);

// Record kinds. A suffix 1 or 2 names the device type of a kind the types do not
// share; an "Alt" kind is read as its plain namesake and no table uses it.
inline constexpr uint8_t kEvKindSignal = 1;  // binary input, output or command
inline constexpr uint8_t kEvKindLogicAlt = 2;
inline constexpr uint8_t kEvKindLogic = 3;      // LOG-logic signal
inline constexpr uint8_t kEvKindClockTime = 4;  // start of a sequence, no tick count
inline constexpr uint8_t kEvKindJump = 5;
inline constexpr uint8_t kEvKindSys = 6;  // SYS-logic signal, primary command
inline constexpr uint8_t kEvKindRestart1 = 7;
inline constexpr uint8_t kEvKindRestart2 = 8;
inline constexpr uint8_t kEvKindVoltages1 = 9;
inline constexpr uint8_t kEvKindBlocking1 = 10;
inline constexpr uint8_t kEvKindSwitchgear1 = 11;
inline constexpr uint8_t kEvKindClockChangeAlt = 12;
inline constexpr uint8_t kEvKindVoltages2 = 14;
inline constexpr uint8_t kEvKindBlocking2 = 15;
inline constexpr uint8_t kEvKindSwitchgear2 = 16;
inline constexpr uint8_t kEvKindSerialCommand = 17;  // no table uses it
inline constexpr uint8_t kEvKindClockChange = 18;
inline constexpr uint8_t kEvKindKeyboard = 19;

// Event codes the program treats by code.
inline constexpr uint8_t kEvCodeJump = 0xF0;
inline constexpr uint8_t kEvCodeClockTime = 0xF3;
inline constexpr uint8_t kEvCodeRestart = 0xF5;
inline constexpr uint8_t kEvCodeVoltages = 0xF6;
inline constexpr uint8_t kEvCodeBlocking = 0xF7;
inline constexpr uint8_t kEvCodeSwitchgear = 0xFB;
inline constexpr uint8_t kEvCodeSerialCommand = 0xFC;
inline constexpr uint8_t kEvCodeClockChange = 0xFD;
inline constexpr uint8_t kEvCodeKeyboard = 0xFE;

// I/O classes of the start-time correction.
inline constexpr uint8_t kIoNone = 0;
inline constexpr uint8_t kIoDI = 1;
inline constexpr uint8_t kIoDO = 2;
inline constexpr uint8_t kIoAI = 3;

inline constexpr std::size_t kEventNameMax = 150;

// Restart reason texts, indexed by the reason code of a restart record.
inline constexpr std::size_t kRestartReasonCount = 53;
inline constexpr std::size_t kRestartReasonLast = kRestartReasonCount - 1;
inline constexpr std::size_t kRestartReasonMax = 85;  // characters of a text
extern const std::array<std::string_view, kRestartReasonCount> RestartReasons;

// The text of a reason code; codes above the last text share the last one.
std::string_view RestartReasonText(unsigned code);

struct TTraceDescription {
    std::string_view Name;    // at most 50 characters
    uint8_t AlwaysDrawn = 0;  // 1 = drawn even when it only repeats a snapshot
    uint8_t Kind = 0;         // 1 value trace, 2 breaker state trace; 0 counts as 1
};

inline constexpr uint8_t kTraceKindValue = 1;
inline constexpr uint8_t kTraceKindBreaker = 2;
inline constexpr std::size_t kTraceCount = 172;  // trace numbers 1..171; entry 0 unused
inline constexpr std::size_t kTraceNameMax = 50;
extern const std::array<TTraceDescription, kTraceCount> TraceDescriptions;

}  // namespace app
