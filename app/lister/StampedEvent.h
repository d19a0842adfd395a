#pragma once
// The decoder's cells and per-sequence records.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/DateTime.h"

namespace app {

// One record of a sequence followed by its time: a cell of the sequence matrix.
struct TStampedEvent {
    static constexpr std::size_t kStampSize = 8;          // little-endian double day number
    static constexpr std::size_t kMaxRecordLength = 255;  // a table length is one byte

    std::array<uint8_t, kMaxRecordLength + kStampSize> Bytes{};
    uint16_t Length = 0;  // of the record and its stamp

    // False, leaving the event as it was, when the record is longer than the room.
    bool Assign(std::span<const uint8_t> record, platform::TDateTime stamp);
    // A whole cell, stamp included; false, leaving the event, when it does not fit.
    bool AssignCell(std::span<const uint8_t> cell);
    void SetStamp(platform::TDateTime stamp);
    std::span<const uint8_t> Cell() const { return {Bytes.data(), Length}; }
    // The record without its stamp; empty for a cell shorter than a stamp.
    std::span<const uint8_t> Record() const {
        return {Bytes.data(), Length >= kStampSize ? Length - kStampSize : 0};
    }
    platform::TDateTime Stamp() const;
};

// Writes the stamp into the last 8 bytes of a cell of at least that length.
void PutStamp(std::span<uint8_t> cell, platform::TDateTime stamp);

inline constexpr uint8_t kSequenceNone = 0;
inline constexpr uint8_t kSequenceNormal = 1;   // opens with its switchgear snapshot
inline constexpr uint8_t kSequenceRestart = 2;  // a restart, then the snapshot
inline constexpr uint8_t kSequenceMissing = 3;  // the number has no sequence

struct TSequenceInfo {
    uint8_t Kind = kSequenceNone;
    platform::TDateTime Earliest = 0;
    platform::TDateTime Latest = 0;
};
static_assert(sizeof(TSequenceInfo) == 24);

}  // namespace app
