#include "app/events/EventRecords.h"

#include <algorithm>
#include <array>

#include "platform/Bytes.h"

namespace app {

TEventWalker::TEventWalker(std::span<const uint8_t> buffer, std::size_t storedLength,
                           const TEventTable& table)
    : FData(buffer.first(std::min({storedLength, kEventsBufferSize, buffer.size()}))), FTable(&table) {
    LookAhead();
}

void TEventWalker::LookAhead() {
    if (FOffset < FData.size() && (*FTable)[FData[FOffset]].Length == 0 && FFirstUndefinedCode < 0)
        FFirstUndefinedCode = FData[FOffset];
}

std::optional<TEventRecord> TEventWalker::Next() {
    while (FEnd == TEventWalkEnd::Running) {
        if (FOffset >= FData.size()) {
            FEnd = TEventWalkEnd::EndOfData;
            break;
        }
        const TEventDescription& d = (*FTable)[FData[FOffset]];
        if (d.Length == 0) {
            FEnd = TEventWalkEnd::UndefinedCode;
            break;
        }
        const std::size_t left = FData.size() - FOffset;
        if (d.Kind == kEvKindJump) {
            if (left < 2) {
                FEnd = TEventWalkEnd::JumpBeyondData;
                break;
            }
            const uint8_t skip = FData[FOffset + 1];
            if (skip == kJumpEndOfData) {
                FEnd = TEventWalkEnd::EndMark;
                break;
            }
            FOffset += std::min(std::size_t{skip} + 2, left);
            LookAhead();
            continue;
        }
        if (left < d.Length) {
            FEnd = TEventWalkEnd::Truncated;
            break;
        }
        TEventRecord record{FOffset, FData.subspan(FOffset, d.Length), &d};
        FOffset += d.Length;
        LookAhead();
        return record;
    }
    return std::nullopt;
}

namespace {

uint16_t BigEndian(std::span<const uint8_t> record, std::size_t at) {
    return platform::GetBe16(record.data() + at);
}

constexpr std::array<TVoltagePair, 3> kType1Voltages{{
    {"VR", 3, 5, true},
    {"Vbus", 4, 6, true},
    {"VM", 8, 8, false},
}};

constexpr std::array<TVoltagePair, 4> kType2Voltages{{
    {"VA", 8, 8, false},
    {"VbusA", 4, 6, true},
    {"VB", 7, 7, false},
    {"VbusB", 3, 5, true},
}};

}  // namespace

uint16_t EventTicks(std::span<const uint8_t> record, const TEventTable& table) {
    if (record.size() < 3) return 0;
    const TEventDescription& d = table[record[0]];
    if (d.Length == 0 || d.Kind == kEvKindClockTime) return 0;
    return BigEndian(record, 1);
}

int EventYear(uint8_t twoDigitYear) {
    return twoDigitYear == 99 ? 1999 : 2000 + twoDigitYear;
}

std::optional<TEventClockTime> ClockTimeOf(std::span<const uint8_t> record) {
    if (record.size() < 6) return std::nullopt;
    const auto& r = record;
    return TEventClockTime{EventYear(r[5]), r[4], r[3], r[2], r[1], 0};
}

std::optional<TEventClockChange> ClockChangeOf(std::span<const uint8_t> record) {
    if (record.size() < 10) return std::nullopt;
    const auto& r = record;
    return TEventClockChange{r[3], {EventYear(r[9]), r[8], r[7], r[6], r[5], r[4]}};
}

std::optional<uint16_t> RestartReasonCode(std::span<const uint8_t> record) {
    if (record.size() < 5) return std::nullopt;
    return BigEndian(record, 3);
}

std::span<const TVoltagePair> VoltagePairs(int deviceType) {
    switch (deviceType) {
        case 1:
            return kType1Voltages;
        case 2:
            return kType2Voltages;
        default:
            return {};
    }
}

std::optional<TVoltageCodes> VoltageCodesOf(std::span<const uint8_t> record, const TVoltagePair& pair) {
    if (pair.First >= record.size() || pair.Second >= record.size()) return std::nullopt;
    const uint8_t b = record[pair.Second];
    return TVoltageCodes{record[pair.First], b, pair.HasDropFlag && (b & kVoltageDropBit) != 0};
}

}  // namespace app
