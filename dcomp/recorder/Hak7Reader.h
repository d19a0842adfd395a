#pragma once
// The record files of the Hak7 device: fixed records of one second, 1,000 samples of two
// 12-bit measurements and eight binary signals, each record protected by a byte sum.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "platform/Clock.h"

namespace dcomp {

inline constexpr std::size_t kHak7RecordSize = 4092;
inline constexpr std::size_t kHak7Samples = 1000;
inline constexpr std::size_t kHak7SamplesAt = 90;
inline constexpr std::size_t kHak7SumAt = 4090;

struct THak7Record {
    uint16_t Date = 0, Time = 0, MsSec = 0;
    std::string Name;  // bytes outside 33..126 as '.'
    uint16_t ScaleUo = 0, ScaleIo = 0;
    uint16_t Ns = 0;
    uint16_t TriggerMs = 0;
};
// True when the record's byte sum is right.
bool Hak7SumOk(std::span<const uint8_t> record);
THak7Record ParseHak7Record(std::span<const uint8_t> record);
// The record's start moment, when its packed date and time are possible.
std::optional<platform::TDateTime> Hak7Start(const THak7Record& record);
// Io from two earlier values of its integral: round(0.37 × (8 × (s2 − s1) + s1)) within ±4095.
int32_t Hak7Io(int32_t s2, int32_t s1);
// A whole decimal number (blanks around allowed).
std::optional<int64_t> WholeNumber(std::string_view text);

class THak7Interface : public TFileInterface {
public:
    static const THak7Interface& Instance();
    std::string ClassName() const override { return "THak7Interface"; }
    std::string GetName() const override { return "HAK7"; }
    std::string GetDescription() const override { return "Plik HAK-7"; }
    std::string GetFileMask() const override { return "*zkl.dat"; }
    bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const override;
    void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                         const TStreamList& streams, const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
