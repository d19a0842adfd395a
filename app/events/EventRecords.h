#pragma once
// Reading the events buffer: the walk over its records and the fields of a record.
// Every reader of the buffer goes through here, so none reads past the data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "app/events/EventTables.h"

namespace app {

// The events area of the device image; a stored length above it is taken as this.
inline constexpr std::size_t kEventsBufferSize = 15360;
inline constexpr uint8_t kJumpEndOfData = 127;  // jump length that ends the data
inline constexpr double kTickMs = 2.5;

enum class TEventWalkEnd : uint8_t {
    Running,         // the walk has not ended yet
    EndOfData,       // the offset reached the data length
    EndMark,         // a jump record with length 127
    UndefinedCode,   // a code of length 0; see FirstUndefinedCode
    Truncated,       // the last record runs past the data and is not taken
    JumpBeyondData,  // a jump record whose length byte lies past the data
};

struct TEventRecord {
    std::size_t Offset = 0;                          // of the code byte in the buffer
    std::span<const uint8_t> Bytes;                  // the whole record, as long as its table length
    const TEventDescription* Description = nullptr;  // the entry of its code
    uint8_t Code() const { return Bytes[0]; }
};

// Walks the records from offset 0 in buffer order (newest first). Jump records are
// followed, never returned. The buffer and the table must outlive the walker.
class TEventWalker {
public:
    // The data is the first min(storedLength, kEventsBufferSize, buffer.size()) bytes.
    TEventWalker(std::span<const uint8_t> buffer, std::size_t storedLength, const TEventTable& table);

    // The next record, or nothing once the walk has ended (then see End()).
    std::optional<TEventRecord> Next();

    TEventWalkEnd End() const { return FEnd; }
    // Where the walk stands (never past the data); after the end, the offset of the
    // record or code that ended it, or the data length.
    std::size_t Offset() const { return FOffset; }
    // The undefined code the walk met, -1 when none.
    int FirstUndefinedCode() const { return FFirstUndefinedCode; }
    std::size_t DataLength() const { return FData.size(); }

private:
    void LookAhead();

    std::span<const uint8_t> FData;
    const TEventTable* FTable;
    std::size_t FOffset = 0;
    int FFirstUndefinedCode = -1;
    TEventWalkEnd FEnd = TEventWalkEnd::Running;
};

// Record fields. A record is its bytes from the code on; a span may run on past the
// record (a stored cell with its time stamp). A record too short for a field gives
// 0 or nothing, never a read past the span.

// Ticks of 2.5 ms since the older record (bytes 1..2, big-endian); 0 for a
// clock-time record (kind 4) and for an undefined code.
uint16_t EventTicks(std::span<const uint8_t> record, const TEventTable& table);

// Two-digit device years: 99 is 1999, any other value 2000 + the value.
int EventYear(uint8_t twoDigitYear);

// Fields as stored; the caller's date routines judge whether they make a date.
struct TEventClockTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// Clock-time record (F3h): minute 1, hour 2, day 3, month 4, year 5; second 0.
std::optional<TEventClockTime> ClockTimeOf(std::span<const uint8_t> record);

struct TEventClockChange {
    uint8_t Source = 0;  // 1 link RS0, 2 link RS1, 3 keyboard
    TEventClockTime Time;
};

// Clock-time change record (FDh): source 3, second 4, minute 5, hour 6, day 7,
// month 8, year 9.
std::optional<TEventClockChange> ClockChangeOf(std::span<const uint8_t> record);

// Restart record (F5h): the reason code of bytes 3..4, big-endian.
std::optional<uint16_t> RestartReasonCode(std::span<const uint8_t> record);

// A voltage of the voltages (F6h) and switchgear (FBh) records: two state codes
// taken from two record bytes, and whether bit 6 of the second flags a drop below Vs.
struct TVoltagePair {
    std::string_view Name;
    uint8_t First = 0;
    uint8_t Second = 0;
    bool HasDropFlag = false;
};

inline constexpr uint8_t kVoltageDropBit = 0x40;

// The voltages of a device type in their documented order; empty for other types.
std::span<const TVoltagePair> VoltagePairs(int deviceType);

struct TVoltageCodes {
    uint8_t A = 0;
    uint8_t B = 0;
    bool Drop = false;
};

std::optional<TVoltageCodes> VoltageCodesOf(std::span<const uint8_t> record, const TVoltagePair& pair);

}  // namespace app
