#include "dcomp/recorder/ReaderSupport.h"

#include <cmath>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"

namespace dcomp {

std::span<const uint8_t> StreamBytes(const TStreamList& streams, std::size_t index) {
    if (index >= streams.size() || !streams[index]) return {};
    return {streams[index]->Memory(), static_cast<std::size_t>(streams[index]->Size())};
}

void RaiseText(std::string_view key) {
    throw platform::Exception(DataFileParsersText(key));
}

void SetRecordingTimes(TObFileParam& params, std::optional<platform::TDateTime> moment, bool momentIsTrigger,
                       int64_t triggerAfterStartUs) {
    TUsTime start, trigger;
    bool valid = moment.has_value() && std::isfinite(*moment);
    if (valid) {
        try {
            TUsTime& known = momentIsTrigger ? trigger : start;
            TUsTime& other = momentIsTrigger ? start : trigger;
            known.FromDateTime(*moment);
            other = known;
            other.AddMicroseconds(momentIsTrigger ? -triggerAfterStartUs : triggerAfterStartUs);
        } catch (const platform::Exception&) {
            valid = false;
        }
    }
    if (!valid) {
        start.FromDateTime(0.0);
        trigger.FromDateTime(0.0);
    }
    params.StartTime = start;
    params.TriggerTime = trigger;
}

std::optional<int64_t> MillisecondsToUs(double milliseconds) {
    constexpr double kLimit = 100.0 * 366 * 86400 * 1000;
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > kLimit) return std::nullopt;
    return static_cast<int64_t>(platform::RoundHalfEven(milliseconds)) * 1000;
}

}  // namespace dcomp
