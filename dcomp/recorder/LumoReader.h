#pragma once
// The "*.lum" files of the Lumo disturbance recorder and its Lumtar variant: six
// generations that differ in signature text, byte order, configuration block and data
// header, followed by channel blocks with their samples.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/FieldReader.h"
#include "platform/Clock.h"

namespace dcomp {

// Version codes; 3 is never produced, 6 is not a Lumo file.
enum TLumoVersion : int {
    kLumoV0 = 0,
    kLumoV1 = 1,
    kLumoV11 = 2,
    kLumoV2 = 3,
    kLumoV2BK = 4,
    kLumoV13S = 5,
    kLumoUnknown = 6,
};
// The device texts of the version codes.
const std::array<const char*, 7>& LumoVersionNames();

inline constexpr std::size_t kLumoSignatureSize = 20;
inline constexpr std::size_t kLumoCfgSize = 16384;
inline constexpr std::size_t kLumoHeaderISize = 92;
inline constexpr std::size_t kLumoHeaderIISize = 196;
inline constexpr std::size_t kLumoHeader13SSize = 184;
inline constexpr std::size_t kLumoFormIISize = 84;
inline constexpr std::size_t kLumoBlock13SSize = 132;

inline constexpr uint32_t kLumoSigHeaderI = 0x2537AA22;
inline constexpr uint32_t kLumoSigHeaderII = 0x2537AB22;
inline constexpr uint32_t kLumoSigHeader13S = 0x2537AC22;
inline constexpr uint32_t kLumoSigStored = 0x2537AA66;
inline constexpr uint32_t kLumoSigAnalogI = 0x2537AA55;
inline constexpr uint32_t kLumoSigStatusI = 0x2537AA44;
inline constexpr uint32_t kLumoSigAnalogII = 0x2537AB55;
inline constexpr uint32_t kLumoSigStatusII = 0x2537AB44;
inline constexpr uint32_t kLumoSigAnalog13S = 0x2537AC56;
inline constexpr uint32_t kLumoSigStatus13S = 0x2537AC44;
// A configuration block whose value at 8 (big-endian) is this is none.
inline constexpr uint32_t kLumoCfgRefused = 0x22456733;

// The rate of a speed index 0..13, or none.
std::optional<uint32_t> LumoSpeedRate(uint32_t speedIndex);

struct TLumoKind {
    int Channels;
    uint32_t Color;
    double SecondaryRange;
};
// Kinds above 7 count as kind 0.
const TLumoKind& LumoKind(uint32_t kind);

struct TLumoDate {
    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    uint16_t MSec = 0;
};
TLumoDate ReadLumoDate(TFieldReader& r, std::size_t offset);
// The moment of a date record, when it is a valid date and time.
std::optional<platform::TDateTime> LumoDateTime(const TLumoDate& date);

struct TLumoCfgChannel {
    float Ratio = 0;
    uint32_t RatioBits = 0;
    std::string Description, Name, Unit;
    uint16_t Scale = 0;
};
struct TLumoCfgModule {
    uint32_t Kind = 0;  // low byte of the module's first value
    std::array<TLumoCfgChannel, 16> Channels;
};
struct TLumoCfg {
    bool Refused = false;
    std::string RecorderName;
    uint32_t Value100 = 0;
    std::array<TLumoCfgModule, 16> Modules;
};
// From the 16,384 bytes of a configuration block (shorter: Refused false and the reader short).
TLumoCfg ParseLumoCfg(std::span<const uint8_t> bytes, TByteOrder order);
// Older recorders stored the ratios as integers: when one of the first four channels of
// an analog module holds a ratio of 0 < |x| < 1e-30, every ratio of the block is taken
// as the integer its bits hold.
void RepairLumoRatios(TLumoCfg& cfg);

// Header II, also built from header I.
struct TLumoHeader {
    uint32_t Signature = 0;
    uint32_t DataSignature = 0;
    TLumoDate Date;
    uint32_t Before = 0, After = 0;
    uint32_t Rate = 0;
    uint32_t SpeedIndex = 0;  // header I only
    std::string Name;
};
TLumoHeader ParseLumoHeaderI(std::span<const uint8_t> bytes, TByteOrder order);
TLumoHeader ParseLumoHeaderII(std::span<const uint8_t> bytes, TByteOrder order);

struct TLumoHeader13S {
    uint32_t Signature = 0;
    uint32_t Identifier = 0;
    TLumoDate Date;
    uint32_t NS = 0;
    uint32_t Before = 0, After = 0, Rate = 0;
    std::string Recorder;
};
TLumoHeader13S ParseLumoHeader13S(std::span<const uint8_t> bytes);

int DetectLumoVersion(std::span<const uint8_t> bytes);

class TLumoInterface : public TFileInterface {
public:
    static const TLumoInterface& Instance();
    std::string ClassName() const override { return "TLumoInterface"; }
    std::string GetName() const override { return "LUMO"; }
    std::string GetDescription() const override;
    std::string GetFileMask() const override { return "*.lum"; }
    bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const override;
    void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                         const TStreamList& streams, const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
