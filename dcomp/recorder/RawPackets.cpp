#include "dcomp/recorder/RawPackets.h"

#include <algorithm>
#include <cmath>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/ReaderSupport.h"
#include "dcomp/recorder/SafeFormat.h"
#include "platform/Bytes.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Registry.h"

namespace dcomp {

namespace {

// Analog channel numbers in the order their words stand in a packet.
constexpr int kAnalogOrder[] = {1, 7, 13, 2, 8, 14, 3, 9, 15, 4, 10, 16, 5, 11, 17, 6, 12, 18};
// Start words are looked for this many words ahead.
constexpr std::size_t kSearchWords = 40;
constexpr std::size_t kSyncPackets = 30;

// The ".DAT" stream of a file set; the exception of the data-file parsers when none.
std::span<const uint8_t> DatStream(const TComtradeDataFileParser& parser, const TNameList& names,
                                   const TStreamList& streams, int& index) {
    index = IndexOfFileByExt(".DAT", names);
    if (index < 0 || static_cast<std::size_t>(index) >= streams.size() ||
        !streams[static_cast<std::size_t>(index)])
        throw platform::Exception(parser.ClassName() +
                                  ".LoadDataFromStream: " + DataFileParsersText("KEY_DAT_STREAM_NOT_FOUND"));
    const TMemoryStream& stream = *streams[static_cast<std::size_t>(index)];
    return {stream.Memory(), static_cast<std::size_t>(stream.Size())};
}

// Seconds of a sample count at a rate; 0 where the rate gives no time.
double SecondsAt(int64_t samples, double rate) {
    return rate > 0 && std::isfinite(rate) ? static_cast<double>(samples) / rate : 0.0;
}

// A file name without its folder and extension.
std::string BareName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

TOnMessage Sink(const TOnMessage& onMessage) {
    if (onMessage) return onMessage;
    return [](const std::string&) {};
}

}  // namespace

TQvxLayout MakeQvxLayout(std::span<const int> analogNumbers, std::span<const int> statusNumbers) {
    TQvxLayout layout;
    for (int number : kAnalogOrder) {
        for (std::size_t i = 0; i < analogNumbers.size(); ++i) {
            if (analogNumbers[i] == number) {
                layout.AnalogOrder.push_back(i);
                break;
            }
        }
    }
    for (int k = 1; k <= TQvxLayout::kModules; ++k) {
        std::array<int, TQvxLayout::kInputs + 1> inputs;
        inputs.fill(-1);
        bool present = false;
        for (int j = 1; j <= TQvxLayout::kInputs; ++j) {
            for (std::size_t i = 0; i < statusNumbers.size(); ++i) {
                if (statusNumbers[i] == k * 100 + j) {
                    inputs[static_cast<std::size_t>(j)] = static_cast<int>(i);
                    present = true;
                    break;
                }
            }
        }
        if (present) {
            layout.Modules.push_back(k);
            layout.StatusMap.push_back(inputs);
        }
    }
    return layout;
}

TQvxScanResult ScanQvxPackets(std::span<const uint8_t> bytes, const TQvxLayout& layout, bool debug,
                              const std::function<void(const std::string&)>& onMessage, TDatBuf& buf) {
    buf.Words.clear();
    buf.L = 0;
    const std::size_t words = bytes.size() / 2;
    if (words < kSearchWords) return TQvxScanResult::NoStart;
    // Packets never overlap, so only fillers can add to the stream's words.
    buf.Words.reserve(words);
    auto word = [&](std::size_t w) { return platform::GetBe16(bytes.data() + 2 * w); };
    // The first start word among the kSearchWords words from `from`, or words when none.
    auto findStart = [&](std::size_t from) {
        for (std::size_t w = from; w < words && w < from + kSearchWords; ++w)
            if (word(w) & 1) return w;
        return words;
    };

    std::size_t pos = 0;
    while (bytes.size() - 2 * pos >= 2) {
        const std::size_t e = findStart(pos);
        if (e == words) {
            // Nothing read yet: nothing to load. Later, the packets read so far stay.
            if (buf.L == 0) return TQvxScanResult::NoStart;
            break;
        }
        if (buf.L == 0) {
            const std::size_t next = findStart(e + 1);
            if (next == words) return TQvxScanResult::NoStart;
            buf.L = next - e;
            if (buf.L < layout.Words()) return TQvxScanResult::PacketTooShort;
        }
        const std::size_t L = buf.L;
        pos = e;
        for (;;) {
            if (words - pos < L) {
                // A packet read short would be a sample of zeros: it is not kept.
                pos = words;
                break;
            }
            bool good = true;
            for (std::size_t w = 0; w < L; ++w) {
                const uint16_t value = word(pos + w);
                buf.Words.push_back(value);
                if (((value & 1) != 0) != (w == 0)) good = false;
            }
            const std::size_t start = pos;
            pos += L;
            if (good) continue;
            if (debug) {
                const std::size_t analogWords = std::min(layout.AnalogWords(), L);
                buf.Words.insert(buf.Words.end(), analogWords, static_cast<uint16_t>(-30000));
                buf.Words.insert(buf.Words.end(), L - analogWords, 0);
                buf.Words.insert(buf.Words.end(), analogWords, 30000);
                buf.Words.insert(buf.Words.end(), L - analogWords, 0xFFFF);
                uint64_t distance = 4294967295u;
                const std::size_t next = findStart(start + 1);
                if (next != words) distance = next - start;
                const uint64_t count = buf.Count();
                const uint64_t offset = count * 2 * L;
                const double percent =
                    static_cast<double>(offset) * 100.0 / static_cast<double>(bytes.size());
                onMessage(FormatText("Uszkodzenie PrbNr=%u PktLen=%u/%u FileOffset=%u:0x%x:%.1f%%\\e",
                                     {count, distance, uint64_t{L}, offset, offset, percent}));
            }
            break;
        }
    }
    return TQvxScanResult::Read;
}

std::optional<std::size_t> SyncSlowRaw(std::span<const uint8_t> bytes, std::size_t analogCount) {
    for (std::size_t s = 0; s <= 2 * analogCount; s += 2)
        if (CountSlowRaw(bytes, analogCount, s, kSyncPackets) == kSyncPackets) return s;
    return std::nullopt;
}

std::size_t CountSlowRaw(std::span<const uint8_t> bytes, std::size_t analogCount, std::size_t start,
                         std::size_t limit) {
    const std::size_t P = 2 * analogCount + 2;
    std::size_t n = 0;
    for (std::size_t off = start; n < limit && off <= bytes.size() && bytes.size() - off >= P;
         off += P, ++n) {
        if (bytes[off] != '#') break;
        if (n > 0 && bytes[off + 1] != static_cast<uint8_t>(bytes[off + 1 - P] + 1)) break;
    }
    return n;
}

int64_t ReadCmtrDebug() {
    std::string value;
    if (!platform::RegReadString(platform::HKEY::CurrentUser, "Software\\Quarnel\\ZaVadozerO3", "CmtrDebug",
                                 value))
        return 0;
    return platform::StrToIntDef(value, 0);
}

const TLumoOPFaultDataFileParser& TLumoOPFaultDataFileParser::Instance() {
    static const TLumoOPFaultDataFileParser instance;
    return instance;
}

void TLumoOPFaultDataFileParser::LoadDataFromStream(TComtrade& recording, const TNameList& names,
                                                    const TStreamList& streams,
                                                    const TOnMessage& onMessage) const {
    const TOnMessage say = Sink(onMessage);
    int index = -1;
    const std::span<const uint8_t> bytes = DatStream(*this, names, streams, index);
    const bool debug = ReadCmtrDebug() > 0;

    TAnalogList& analogs = recording.AnalogList();
    TCyfrList& status = recording.CyfrList();
    std::vector<int> analogNumbers, statusNumbers;
    for (TAnalogDescr* a : analogs) analogNumbers.push_back(a->Number);
    for (TCyfrDescr* c : status) statusNumbers.push_back(c->Number);
    const TQvxLayout layout = MakeQvxLayout(analogNumbers, statusNumbers);

    TDatBuf buf;
    switch (ScanQvxPackets(bytes, layout, debug, say, buf)) {
        case TQvxScanResult::NoStart:
            return;
        case TQvxScanResult::PacketTooShort:
            say(DataFileParsersText("KEY_INCORRECT_DAT_FILE"));
            return;
        case TQvxScanResult::Read:
            break;
    }

    TRateDescr* first = recording.RateList().Items(0);
    int64_t n = first->EndSample();
    const int64_t count = static_cast<int64_t>(buf.Count());
    if (count + 4 < n) {
        const bool cancelled = recording.InfoFile().ReadBool("Quarnel RecAttribs", "Interrupted", false);
        say(FormatText(DataFileParsersText(cancelled ? "KEY_CANCELLED_REC" : "KEY_CORRUPTED_REC"),
                       {BareName(names[static_cast<std::size_t>(index)]), SecondsAt(n, first->Rate),
                        SecondsAt(count, first->Rate)}));
    }
    if (count < n) {
        n = count;
        first->SetEndSample(n);
    }
    recording.SetSampleCount(n);
    if (debug) say(FormatText("Podsumowanie PrbCnt=%u PktLen=%u\\e", {count, uint64_t{buf.L}}));

    std::vector<TAnalogDescr*> byWord;
    for (std::size_t m : layout.AnalogOrder) byWord.push_back(analogs.Items(static_cast<int>(m)));
    const std::size_t nA = layout.AnalogWords();
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        const std::span<const uint16_t> words = buf.Packet(i);
        const auto sample = static_cast<int32_t>(i);
        for (std::size_t m = 0; m < nA; ++m) byWord[m]->SetRaw(sample, static_cast<int16_t>(words[m]));
        for (std::size_t m = 0; m < layout.Modules.size(); ++m) {
            const uint16_t word = words[nA + m];
            for (int j = 1; j <= TQvxLayout::kInputs; ++j) {
                const int channel = layout.StatusMap[m][static_cast<std::size_t>(j)];
                if (channel >= 0)
                    status.Items(channel)->SetBit(sample, static_cast<uint8_t>((word >> j) & 1));
            }
        }
    }
}

const TLumoOPTrendDataFileParser& TLumoOPTrendDataFileParser::Instance() {
    static const TLumoOPTrendDataFileParser instance;
    return instance;
}

void TLumoOPTrendDataFileParser::LoadDataFromStream(TComtrade& recording, const TNameList& names,
                                                    const TStreamList& streams,
                                                    const TOnMessage& onMessage) const {
    const TOnMessage say = Sink(onMessage);
    int index = -1;
    const std::span<const uint8_t> bytes = DatStream(*this, names, streams, index);
    TAnalogList& analogs = recording.AnalogList();
    const std::size_t nA = static_cast<std::size_t>(analogs.Count());
    const std::size_t P = 2 * nA + 2;
    if (bytes.size() / P <= 29) return;
    const std::optional<std::size_t> start = SyncSlowRaw(bytes, nA);
    if (!start) {
        say(DataFileParsersText("KEY_INCORRECT_DAT_FILE"));
        return;
    }
    const auto count = static_cast<int64_t>(CountSlowRaw(bytes, nA, *start));
    TRateDescr* first = recording.RateList().Items(0);
    const int64_t n = first->EndSample();
    if (count + 4 < n)
        say(FormatText(DataFileParsersText("KEY_CORRUPTED_REC2"),
                       {SecondsAt(n, first->Rate), SecondsAt(count, first->Rate)}));
    first->SetEndSample(count);
    recording.SetSampleCount(count);
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t* packet = bytes.data() + *start + static_cast<std::size_t>(i) * P;
        for (std::size_t p = 0; p < nA; ++p)
            analogs.Items(static_cast<int>(p))
                ->SetRaw(static_cast<int32_t>(i),
                         static_cast<int16_t>(platform::GetBe16(packet + 2 + 2 * p)));
    }
}

}  // namespace dcomp
