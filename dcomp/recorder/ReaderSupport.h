#pragma once
// What the recorder readers share: their streams as bytes, errors with the unit's texts,
// and the first-sample and trigger times of a recording.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "dcomp/recorder/MemoryStream.h"
#include "platform/Clock.h"

namespace dcomp {

class TObFileParam;

// The bytes of stream i; empty when there is none.
std::span<const uint8_t> StreamBytes(const TStreamList& streams, std::size_t index = 0);

// platform::Exception with the text of one of the unit's keys.
[[noreturn]] void RaiseText(std::string_view key);

// Both times from one moment: the trigger lies triggerAfterStartUs after the start.
// When the moment is not a valid date-time, or the other time leaves the calendar,
// both are day number 0.
void SetRecordingTimes(TObFileParam& params, std::optional<platform::TDateTime> moment, bool momentIsTrigger,
                       int64_t triggerAfterStartUs);

// round(value) milliseconds as microseconds, when finite and within a hundred years.
std::optional<int64_t> MillisecondsToUs(double milliseconds);

}  // namespace dcomp
