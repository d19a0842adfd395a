#pragma once
// The recordings of the Vo5 portable recorder: a format text, a header, one record per
// channel slot, then sample frames with a start bit for resynchronisation.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dcomp/recorder/ComTrade3Unit.h"

namespace dcomp {

inline constexpr std::size_t kVo5TextSize = 23;
inline constexpr const char* kVo5Text1 = "[Dane w formacie Vo5.1]";
inline constexpr const char* kVo5Text2 = "[Dane w formacie Vo5.2]";
inline constexpr std::size_t kVo5HeaderSize = 317;
inline constexpr std::size_t kVo5HeaderSize1 = 117;
inline constexpr std::size_t kVo5RecordSize = 180;
inline constexpr std::size_t kVo5RecordSize1 = 122;
inline constexpr std::size_t kVo5Slots = 22;
inline constexpr std::size_t kVo5AnalogSlots = 16;

// The input kind names by index; kinds beyond them are "NoName".
const std::array<const char*, 20>& Vo5KindNames();
std::string Vo5KindName(uint32_t kind);

struct TVo5Header {
    uint16_t A = 0, D = 0;
    float Period = 0;  // milliseconds
    uint32_t Count = 0;
    uint32_t Before = 0;
    double Start = 0;  // day number
    std::string Station;
};

struct TVo5Channel {
    bool Present = false;
    uint32_t Slot = 0;
    uint8_t Kind = 0;
    int32_t Zero = 0;
    double Secondary = 0;
    std::string Description, Unit;
    double Ratio = 0;
    uint32_t Color = 0, Color2 = 0;
    double Factor = 0;
    std::size_t Position = 0;
};

// The format (1 or 2) of a file's text; 0 for none.
int Vo5Format(std::span<const uint8_t> bytes);
// A cleared 317-byte header of which the file's part is filled in.
TVo5Header ParseVo5Header(std::span<const uint8_t> bytes);
// A channel record (180 bytes; shorter ones are cleared beyond their end).
TVo5Channel ParseVo5Channel(std::span<const uint8_t> bytes);

struct TVo5Layout {
    std::array<TVo5Channel, kVo5Slots> Slots;
    bool Unknown = false;    // a record named a slot above 21
    std::size_t Analog = 0;  // present analog slots
    std::size_t Status = 0;  // present status slots
    std::size_t Words = 0;   // words of one frame
    std::size_t DataAt = 0;  // where the frames begin
    TVo5Header Header;
};
// Format text, header and channel records; platform::Exception "Stream read error" when
// the stream is shorter, KEY_UNKNOWN_FILE_HEADER for a wrong text or slot.
TVo5Layout ReadVo5Layout(std::span<const uint8_t> bytes);

class TVo5Interface : public TFileInterface {
public:
    static const TVo5Interface& Instance();
    std::string ClassName() const override { return "TVo5Interface"; }
    std::string GetName() const override { return "VO5"; }
    std::string GetDescription() const override;
    std::string GetFileMask() const override { return "*.vo5"; }
    bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const override;
    void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                         const TStreamList& streams, const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
