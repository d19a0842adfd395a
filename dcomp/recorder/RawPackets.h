#pragma once
// The raw packet streams of the Lumo recorder, read in place of a COMTRADE ".dat" file:
// fault recordings (QVX_RAW, fixed-length packets of big-endian words with a start bit)
// and slow trend recordings (SLOW_RAW, "#" packets with a counter).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dcomp/recorder/ComTrade3Unit.h"

namespace dcomp {

// The packets of one read, all of the same length L in words, back to back in host
// order: one buffer for all of them keeps a stream of tiny packets near its own size.
struct TDatBuf {
    std::vector<uint16_t> Words;
    std::size_t L = 0;

    std::size_t Count() const { return L == 0 ? 0 : Words.size() / L; }
    std::span<const uint16_t> Packet(std::size_t i) const { return {Words.data() + i * L, L}; }
};

// Where each channel's value stands in a QVX_RAW packet.
struct TQvxLayout {
    static constexpr int kModules = 12;
    static constexpr int kInputs = 15;
    // Position m of the packet's analog words feeds analog channel AnalogOrder[m].
    std::vector<std::size_t> AnalogOrder;
    // The present modules (k, ascending); status word nA + m belongs to Modules[m].
    std::vector<int> Modules;
    // Status channel of module Modules[m] and input j (1..15): StatusMap[m][j], or -1.
    std::vector<std::array<int, kInputs + 1>> StatusMap;

    std::size_t AnalogWords() const { return AnalogOrder.size(); }
    std::size_t Words() const { return AnalogOrder.size() + Modules.size(); }
};

// From the channel numbers of the configuration, in list order. Numbers outside the
// packet's tables take no word; a number held twice feeds its first channel.
TQvxLayout MakeQvxLayout(std::span<const int> analogNumbers, std::span<const int> statusNumbers);

enum class TQvxScanResult {
    NoStart,         // no start word found: nothing to load
    PacketTooShort,  // L cannot hold the layout's words
    Read,            // packets read (perhaps none)
};

// Reads the packets of a QVX_RAW stream into buf. With debug on, a wrong packet is
// followed by two filler packets and a damage line goes to onMessage.
TQvxScanResult ScanQvxPackets(std::span<const uint8_t> bytes, const TQvxLayout& layout, bool debug,
                              const std::function<void(const std::string&)>& onMessage, TDatBuf& buf);

// The byte offset of the first of 30 consecutive good SLOW_RAW packets, or none.
std::optional<std::size_t> SyncSlowRaw(std::span<const uint8_t> bytes, std::size_t analogCount);
// Good packets (whole, "#", counter continuing) from start, at most limit of them.
std::size_t CountSlowRaw(std::span<const uint8_t> bytes, std::size_t analogCount, std::size_t start,
                         std::size_t limit = SIZE_MAX);

// The "CmtrDebug" switch of the user's registry; 0 when absent.
int64_t ReadCmtrDebug();

// Fault recordings: analog words and module status words, a start bit in each packet.
class TLumoOPFaultDataFileParser : public TComtradeDataFileParser {
public:
    static const TLumoOPFaultDataFileParser& Instance();
    std::string ClassName() const override { return "TLumoOPFaultDataFileParser"; }
    std::string GetFormatName() const override { return "QVX_RAW"; }
    uint8_t GetCapabilities() const override { return kParserCanRead; }
    void LoadDataFromStream(TComtrade& recording, const TNameList& names, const TStreamList& streams,
                            const TOnMessage& onMessage) const override;
};

// Slow trend recordings: "#", a counter and the analog values in each packet.
class TLumoOPTrendDataFileParser : public TComtradeDataFileParser {
public:
    static const TLumoOPTrendDataFileParser& Instance();
    std::string ClassName() const override { return "TLumoOPTrendDataFileParser"; }
    std::string GetFormatName() const override { return "SLOW_RAW"; }
    uint8_t GetCapabilities() const override { return kParserCanRead; }
    void LoadDataFromStream(TComtrade& recording, const TNameList& names, const TStreamList& streams,
                            const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
