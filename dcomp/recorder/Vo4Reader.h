#pragma once
// The "*.bin" files of the older Vo4 portable recorder: a fixed header with up to 16
// channel records, then one record of 16-bit words per sample.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "dcomp/recorder/ComTrade3Unit.h"

namespace dcomp {

inline constexpr std::size_t kVo4HeaderSize = 1828;
inline constexpr std::size_t kVo4Channels = 16;
inline constexpr std::size_t kVo4ChannelAt = 28;
inline constexpr std::size_t kVo4ChannelSize = 106;
inline constexpr std::size_t kVo4StationAt = 1728;

struct TVo4Channel {
    float Range = 0;
    uint16_t Flags[4] = {};  // the words at 12, 14, 100 and 102
    std::string Unit, Description;
};

struct TVo4Header {
    uint16_t First = 0, Last = 0;
    int32_t Rate = 0;
    uint32_t Count = 0;
    uint32_t Trigger = 0;  // seconds since 1 January 1970
    uint16_t Flag24 = 0, Word26 = 0;
    std::array<TVo4Channel, kVo4Channels> Channels;
    std::string Station;
};
// From at least 1,828 bytes.
TVo4Header ParseVo4Header(std::span<const uint8_t> bytes);
// What the probe accepts.
bool Vo4HeaderPlausible(const TVo4Header& h);

class TVo4Interface : public TFileInterface {
public:
    static const TVo4Interface& Instance();
    std::string ClassName() const override { return "TVo4Interface"; }
    std::string GetName() const override { return "VO4"; }
    std::string GetDescription() const override;
    std::string GetFileMask() const override { return "*.bin"; }
    bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const override;
    void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                         const TStreamList& streams, const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
