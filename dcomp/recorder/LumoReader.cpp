#include "dcomp/recorder/LumoReader.h"

#include <cmath>
#include <cstring>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/ReaderSupport.h"
#include "dcomp/recorder/SafeFormat.h"
#include "platform/Bytes.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

constexpr uint32_t kSpeedRates[] = {64000, 32000, 21333, 16000, 12800, 10666, 8000,
                                    6400,  5333,  4000,  3200,  2666,  2000,  1600};

constexpr TLumoKind kKinds[] = {
    {0, 0, 0.0},          {8, 0, 0.0},         {12, 0, 0.0},         {16, 0, 0.0},
    {4, 0xFF0000, 200.0}, {4, 0x0000FF, 50.0}, {4, 0x0000FF, 100.0}, {0, 0, 0.0},
};

constexpr std::size_t kModuleCount = 16;
constexpr std::size_t kChannelCount = 16;
constexpr std::size_t kModulesAt = 300;
constexpr std::size_t kModuleSize = 976;
constexpr std::size_t kChannelSize = 60;

struct TSignatureText {
    const char* Text;
    int Version;
};
constexpr TSignatureText kSignatureTexts[] = {
    {"[LUMO FORMAT 1.0   ]", kLumoV1},
    {"[LUMO FORMAT 1.1   ]", kLumoV11},
    {"[LUMO FORMAT 2.0   ]", kLumoV2BK},
    {"[LUMO FORMAT 1.3S  ]", kLumoV13S},
};

bool IsAnalogKind(uint32_t kind) {
    return kind >= 4 && kind <= 6;
}

// The bytes of n samples in a channel block: analog words, or status bits packed in words.
uint64_t SampleBytes(bool analog, uint64_t n) {
    return analog ? 2 * n : 2 * ((n + 15) / 16);
}

// Samples of n: analog words × 2, the last sample repeating the one before. False when
// the stream holds fewer.
bool ReadAnalogSamples(TFieldReader& r, std::size_t& pos, uint64_t n, TAnalogDescr& channel) {
    if (!r.Has(pos, 0) || r.Size() - pos < SampleBytes(true, n)) return false;
    int32_t previous = 0;
    for (uint64_t i = 0; i < n; ++i) {
        const int32_t raw = (i + 1 < n || n == 1) ? r.I16(pos + 2 * i) * 2 : previous;
        channel.SetRaw(static_cast<int32_t>(i), raw);
        previous = raw;
    }
    pos += 2 * n;
    return true;
}

// Status samples, the most significant bit of each word first.
bool ReadStatusSamples(TFieldReader& r, std::size_t& pos, uint64_t n, TCyfrDescr& channel) {
    if (!r.Has(pos, 0) || r.Size() - pos < SampleBytes(false, n)) return false;
    uint8_t previous = 0;
    for (uint64_t i = 0; i < n; ++i) {
        uint8_t bit = previous;
        if (i + 1 < n || n == 1) bit = static_cast<uint8_t>((r.U16(pos + 2 * (i / 16)) >> (15 - i % 16)) & 1);
        channel.SetBit(static_cast<int32_t>(i), bit);
        previous = bit;
    }
    pos += SampleBytes(false, n);
    return true;
}

// Rate segment, sample count and times of a header; n before anything is sized.
void SetupRecording(TComtrade& recording, const TLumoDate& date, uint32_t before, uint64_t n, uint32_t rate) {
    TObFileParam& params = recording.FileParam();
    params.RevisionYear = 1997;
    params.LineFrequency = 50.0;
    const std::optional<int64_t> offset = MillisecondsToUs(static_cast<double>(before) * 1000.0 / rate);
    SetRecordingTimes(params, offset ? LumoDateTime(date) : std::nullopt, true, offset.value_or(0));
    params.TimeMultiplier = 1000000.0 / rate;
    TRateDescr* segment = recording.RateList().AddSegment();
    segment->Rate = rate;
    segment->SetEndSample(static_cast<int64_t>(n));
    recording.SetSampleCount(static_cast<int64_t>(n));
}

uint64_t SampleCountOf(uint32_t before, uint32_t after) {
    return uint64_t{before} + after;
}

// More samples than the stream could hold even as status bits.
bool TooManySamples(uint64_t n, std::size_t streamSize) {
    return n > 8 * uint64_t{streamSize};
}

// Whether the first channel block at pos holds n samples whole (true when no block
// follows): the recording is sized for a header's count only when the file backs it, so
// a load that is bound to fail at that block allocates nothing for it.
bool FirstBlockHolds(TFieldReader& r, std::size_t pos, uint64_t n, bool lumtar) {
    if (!r.Has(pos, 9)) return true;
    const std::size_t left = r.Size() - pos;
    const uint32_t signature = r.U32(pos);
    std::size_t head = 0;  // the block's bytes before its samples
    bool analog = false;
    if (lumtar) {
        if (signature != kLumoSigAnalog13S && signature != kLumoSigStatus13S) return false;
        head = kLumoBlock13SSize;
        analog = signature == kLumoSigAnalog13S;
    } else if (signature == kLumoSigAnalogI || signature == kLumoSigStatusI) {
        if ((r.U16(pos + 4) >> 2) >= kModuleCount) return false;
        head = 8;
        analog = signature == kLumoSigAnalogI;
    } else if (signature == kLumoSigAnalogII || signature == kLumoSigStatusII) {
        head = 4 + kLumoFormIISize;
        analog = signature == kLumoSigAnalogII;
    } else {
        return false;
    }
    return left >= head && left - head >= SampleBytes(analog, n);
}

void Load13S(TComtrade& recording, std::span<const uint8_t> bytes) {
    if (bytes.size() < kLumoSignatureSize + kLumoHeader13SSize) return;
    const TLumoHeader13S h = ParseLumoHeader13S(bytes.subspan(kLumoSignatureSize, kLumoHeader13SSize));
    if (h.Signature != kLumoSigHeader13S || h.Rate == 0) return;
    const uint64_t n = SampleCountOf(h.Before, h.After);
    if (TooManySamples(n, bytes.size())) return;

    TObFileParam& params = recording.FileParam();
    params.SetStationName(FormatText("ID=%u %s", {h.Identifier, h.Recorder}));
    params.SetRecDeviceId(FormatText("LUM-TAR NS=%u", {h.NS}));
    TFieldReader r(bytes, TByteOrder::Big);
    std::size_t pos = kLumoSignatureSize + kLumoHeader13SSize;
    SetupRecording(recording, h.Date, h.Before, FirstBlockHolds(r, pos, n, true) ? n : 0, h.Rate);
    while (bytes.size() - pos > 8) {
        if (bytes.size() - pos < kLumoBlock13SSize) return;
        const std::size_t b = pos;
        const uint32_t signature = r.U32(b);
        pos += kLumoBlock13SSize;
        if (signature == kLumoSigAnalog13S) {
            const uint16_t flags = r.U16(b + 4);
            const double Z = r.I16(b + 8);
            const double R = r.F32(b + 12);
            const double ratio = r.F32(b + 16);
            const double x1 = r.F32(b + 20), x2 = r.F32(b + 24), y1 = r.F32(b + 28), y2 = r.F32(b + 32);
            const double F = r.F32(b + 44);
            const std::string unit118 = r.Text(b + 118, 6);
            std::string unit124 = r.Text(b + 124, 6);
            if (unit124.empty()) unit124 = unit118;
            const double k = Z * 2 / 32768 * (R * F);

            TAnalogDescr* a = recording.AnalogList().Add();
            a->SetChannelId(r.Text(b + 48, 6));
            a->SetCircuitComponent(r.Text(b + 54, 64));
            a->Min = -32768;
            a->Max = 32767;
            a->Secondary = R;
            if ((flags & 0x80) != 0 && x2 != x1) {
                const double m = (y2 - y1) / (x2 - x1);
                const double c = y1 - x1 * m;
                a->Primary = R * m * F;
                a->Multiplier = R * m / 32768 * F;
                a->Offset = c - m * k;
                a->SetUnits(unit124);
                a->PS = 0;
            } else if ((flags & 0x80) != 0) {
                a->Primary = R;
                a->Multiplier = R * F / 32768;
                a->Offset = -k;
                a->SetUnits(unit118);
                a->PS = 1;
            } else {
                a->Primary = R * ratio;
                a->Multiplier = R * ratio * F / 32768;
                a->Offset = -ratio * k;
                a->SetUnits(unit124);
                a->PS = 0;
            }
            if (!ReadAnalogSamples(r, pos, n, *a)) return;
        } else if (signature == kLumoSigStatus13S) {
            TCyfrDescr* c = recording.CyfrList().Add();
            c->SetChannelId(r.Text(b + 48, 6));
            c->SetCircuitComponent(r.Text(b + 54, 64));
            c->NormalState = 0;
            if (!ReadStatusSamples(r, pos, n, *c)) return;
        } else {
            return;
        }
    }
}

}  // namespace

const std::array<const char*, 7>& LumoVersionNames() {
    static const std::array<const char*, 7> names = {"LumoV1",   "LumoV1BK", "LumoV11BK",  "LumoV2",
                                                     "LumoV2BK", "LumoV3BK", "LumoUNKNOWN"};
    return names;
}

std::optional<uint32_t> LumoSpeedRate(uint32_t speedIndex) {
    if (speedIndex >= std::size(kSpeedRates)) return std::nullopt;
    return kSpeedRates[speedIndex];
}

const TLumoKind& LumoKind(uint32_t kind) {
    return kKinds[kind < std::size(kKinds) ? kind : 0];
}

TLumoDate ReadLumoDate(TFieldReader& r, std::size_t offset) {
    TLumoDate d;
    d.Year = r.U16(offset);
    d.Month = r.U8(offset + 2);
    d.Day = r.U8(offset + 3);
    d.Hour = r.U8(offset + 4);
    d.Minute = r.U8(offset + 5);
    d.Second = r.U8(offset + 6);
    d.MSec = r.U16(offset + 8);
    return d;
}

std::optional<platform::TDateTime> LumoDateTime(const TLumoDate& d) {
    platform::TDateTime date = 0, time = 0;
    if (!platform::TryEncodeDate(d.Year, d.Month, d.Day, date)) return std::nullopt;
    if (!platform::TryEncodeTime(d.Hour, d.Minute, d.Second, d.MSec, time)) return std::nullopt;
    return date + time;
}

TLumoCfg ParseLumoCfg(std::span<const uint8_t> bytes, TByteOrder order) {
    TLumoCfg cfg;
    TFieldReader r(bytes, order);
    if (r.Has(8, 4)) cfg.Refused = platform::GetBe<uint32_t>(bytes.data() + 8) == kLumoCfgRefused;
    cfg.RecorderName = r.Text(4, 64);
    cfg.Value100 = r.U32(100);
    for (std::size_t g = 0; g < kModuleCount; ++g) {
        const std::size_t m = kModulesAt + g * kModuleSize;
        TLumoCfgModule& module = cfg.Modules[g];
        module.Kind = r.U32(m) & 0xFF;
        for (std::size_t p = 0; p < kChannelCount; ++p) {
            const std::size_t c = m + 4 + p * kChannelSize;
            TLumoCfgChannel& ch = module.Channels[p];
            ch.RatioBits = r.U32(c + 4);
            ch.Ratio = r.F32(c + 4);
            ch.Description = r.Text(c + 8, 24);
            ch.Name = r.Text(c + 32, 6);
            ch.Unit = r.Text(c + 38, 6);
            ch.Scale = r.U16(c + 48);
        }
    }
    return cfg;
}

void RepairLumoRatios(TLumoCfg& cfg) {
    bool stored = false;
    for (const TLumoCfgModule& module : cfg.Modules) {
        if (!IsAnalogKind(module.Kind)) continue;
        for (std::size_t p = 0; p < 4; ++p) {
            const float x = std::fabs(module.Channels[p].Ratio);
            if (x > 0 && x < 1e-30f) stored = true;
        }
    }
    if (!stored) return;
    for (TLumoCfgModule& module : cfg.Modules)
        for (TLumoCfgChannel& ch : module.Channels) ch.Ratio = static_cast<float>(ch.RatioBits);
}

TLumoHeader ParseLumoHeaderI(std::span<const uint8_t> bytes, TByteOrder order) {
    TFieldReader r(bytes, order);
    TLumoHeader h;
    h.Signature = r.U32(4);
    h.DataSignature = r.U32(8);
    h.Date = ReadLumoDate(r, 24);
    h.Before = r.U32(60);
    h.After = r.U32(64);
    h.SpeedIndex = r.U32(68);
    return h;
}

TLumoHeader ParseLumoHeaderII(std::span<const uint8_t> bytes, TByteOrder order) {
    TFieldReader r(bytes, order);
    TLumoHeader h;
    h.Signature = r.U32(4);
    h.DataSignature = r.U32(8);
    h.Date = ReadLumoDate(r, 24);
    h.Before = r.U32(60);
    h.After = r.U32(64);
    h.Rate = r.U32(68);
    h.Name = r.Text(92, 64);
    return h;
}

TLumoHeader13S ParseLumoHeader13S(std::span<const uint8_t> bytes) {
    TFieldReader r(bytes, TByteOrder::Big);
    TLumoHeader13S h;
    h.Signature = r.U32(4);
    h.Identifier = r.U32(20);
    h.Date = ReadLumoDate(r, 24);
    h.NS = r.U32(52);
    h.Before = r.U32(60);
    h.After = r.U32(64);
    h.Rate = r.U32(68);
    h.Recorder = r.Text(80, kLumoHeader13SSize - 80);
    return h;
}

int DetectLumoVersion(std::span<const uint8_t> bytes) {
    if (bytes.size() < kLumoSignatureSize) return kLumoUnknown;
    for (const TSignatureText& s : kSignatureTexts)
        if (std::memcmp(bytes.data(), s.Text, kLumoSignatureSize) == 0) return s.Version;
    if (bytes.size() < kLumoCfgSize + kLumoHeaderISize) return kLumoUnknown;
    if (platform::GetBe<uint32_t>(bytes.data() + 8) == kLumoCfgRefused) return kLumoUnknown;
    return platform::GetLe<uint32_t>(bytes.data() + kLumoCfgSize + 4) == kLumoSigHeaderI ? kLumoV0
                                                                                         : kLumoUnknown;
}

const TLumoInterface& TLumoInterface::Instance() {
    static const TLumoInterface instance;
    return instance;
}

std::string TLumoInterface::GetDescription() const {
    return DataFileParsersText("KEY_LUMOI_DESC");
}

bool TLumoInterface::CanLoad(TMemoryStream& stream, const TOnMessage&) const {
    return DetectLumoVersion({stream.Memory(), static_cast<std::size_t>(stream.Size())}) != kLumoUnknown;
}

void TLumoInterface::LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string&,
                                     const TStreamList& streams, const TOnMessage& onMessage) const {
    const std::span<const uint8_t> bytes = StreamBytes(streams, 0);
    const int version = DetectLumoVersion(bytes);
    if (version == kLumoV13S) {
        Load13S(recording, bytes);
        return;
    }
    if (version != kLumoV0 && version != kLumoV1 && version != kLumoV11 && version != kLumoV2BK)
        RaiseText("KEY_UNRECOG_SIGNATURE_I");

    const TByteOrder order =
        (version == kLumoV0 || version == kLumoV2BK) ? TByteOrder::Little : TByteOrder::Big;
    TLumoCfg cfg;
    TLumoHeader h;
    std::size_t pos = 0;
    if (version == kLumoV0 || version == kLumoV1) {
        const std::size_t cfgAt = version == kLumoV1 ? kLumoSignatureSize : 0;
        if (bytes.size() - cfgAt < kLumoCfgSize) RaiseText("KEY_CFG_READ_ERROR");
        cfg = ParseLumoCfg(bytes.subspan(cfgAt, kLumoCfgSize), order);
        if (cfg.Refused) {
            if (version == kLumoV1) throw platform::Exception("This is not CFG in first version. Error.");
            RaiseText("KEY_CFG_CHKSUM_ERROR");
        }
        RepairLumoRatios(cfg);
        pos = cfgAt + kLumoCfgSize;
        if (bytes.size() - pos < kLumoHeaderISize) RaiseText("KEY_HDR_READ_ERROR");
        h = ParseLumoHeaderI(bytes.subspan(pos, kLumoHeaderISize), order);
        pos += kLumoHeaderISize;
        if (h.Signature != kLumoSigHeaderI)
            RaiseText(version == kLumoV1 ? "KEY_UNRECOG_SIGNATURE_IS" : "KEY_UNRECOG_SIGNATURE_I");
        h.Name = cfg.RecorderName;
        const std::optional<uint32_t> rate = LumoSpeedRate(h.SpeedIndex);
        if (!rate) RaiseText("KEY_INVALID_HDRSPEED");
        h.Rate = *rate;
    } else {
        pos = kLumoSignatureSize;
        if (bytes.size() - pos < kLumoHeaderIISize) RaiseText("KEY_HDR_READ_ERROR");
        h = ParseLumoHeaderII(bytes.subspan(pos, kLumoHeaderIISize), order);
        pos += kLumoHeaderIISize;
        if (h.Signature != kLumoSigHeaderII) RaiseText("KEY_UNRECOG_SIGNATURE_II");
    }
    if (h.DataSignature != kLumoSigStored) RaiseText("KEY_DAT_STORED_INCORRECTLY");

    TObFileParam& params = recording.FileParam();
    params.SetStationName(h.Name);
    params.SetRecDeviceId(LumoVersionNames()[static_cast<std::size_t>(version)]);
    params.RevisionYear = 1997;
    params.LineFrequency = 50.0;
    if (h.Rate == 0) RaiseText("KEY_ERROR_READING_HDR");
    const uint64_t n = SampleCountOf(h.Before, h.After);
    if (TooManySamples(n, bytes.size())) RaiseText("KEY_INCOMPLETE_DATA");
    TFieldReader r(bytes, order);
    SetupRecording(recording, h.Date, h.Before, FirstBlockHolds(r, pos, n, false) ? n : 0, h.Rate);
    const std::string streamName = names.empty() ? std::string() : names[0];
    // The channel blocks of both forms: texts, range, ratio, scale (in 1/10000) and zero.
    const auto addAnalog = [&](int number, const std::string& id, const std::string& description,
                               const std::string& unit, double range, double ratio, uint16_t scale,
                               int16_t zero, uint32_t color) {
        TAnalogDescr* a = recording.AnalogList().Add();
        a->Number = number;
        a->SetChannelId(id);
        a->SetCircuitComponent(description);
        a->SetUnits(unit);
        a->Secondary = range;
        a->Primary = range * ratio;
        a->Min = -32768;
        a->Max = 32767;
        a->Multiplier = range * (scale / 10000.0) / 32768;
        a->Offset = -2.0 * zero * a->Multiplier;
        a->PS = 1;
        a->PenColor = color;
        a->BackgroundColor = 0xFFFFFF;
        a->SourceTag = 0;
        if (!ReadAnalogSamples(r, pos, n, *a)) RaiseText("KEY_INCOMPLETE_DATA");
    };
    const auto addStatus = [&](int number, const std::string& id, const std::string& description,
                               uint32_t color) {
        TCyfrDescr* c = recording.CyfrList().Add();
        c->Number = number;
        c->SetChannelId(id);
        c->SetCircuitComponent(description);
        c->NormalState = 0;
        c->PenColor = color;
        c->BackgroundColor = 0xFFFFFF;
        if (!ReadStatusSamples(r, pos, n, *c)) RaiseText("KEY_INCOMPLETE_DATA");
    };
    while (bytes.size() - pos > 8) {
        const uint32_t signature = r.U32(pos);
        pos += 4;
        const bool formI = signature == kLumoSigAnalogI || signature == kLumoSigStatusI;
        const bool formII = signature == kLumoSigAnalogII || signature == kLumoSigStatusII;
        const bool analog = signature == kLumoSigAnalogI || signature == kLumoSigAnalogII;
        bool known = formI || formII;
        if (formI) {
            if (bytes.size() - pos < 4) RaiseText("KEY_INCOMPLETE_DATA");
            const uint16_t address = r.U16(pos);
            const int16_t zero = r.I16(pos + 2);
            pos += 4;
            const std::size_t g = address >> 2, p = address & 3;
            known = g < kModuleCount;
            if (known) {
                const TLumoCfgModule& module = cfg.Modules[g];
                const TLumoCfgChannel& ch = module.Channels[p];
                const TLumoKind& kind = LumoKind(module.Kind);
                if (analog)
                    addAnalog(address + 1, ch.Name, ch.Description, ch.Unit, kind.SecondaryRange, ch.Ratio,
                              ch.Scale, zero, kind.Color);
                else
                    addStatus(address + 1, ch.Name, ch.Description, kind.Color);
            }
        } else if (formII) {
            if (bytes.size() - pos < kLumoFormIISize) RaiseText("KEY_INCOMPLETE_DATA");
            const std::size_t b = pos;
            pos += kLumoFormIISize;
            const uint16_t place = r.U16(b + 4);
            const int channel = place & 0xFF, module = place >> 8;
            const TLumoKind& kind = LumoKind(r.U8(b + 6));
            if (analog)
                addAnalog(channel + 1, r.Text(b + 28, 6), r.Text(b + 34, 24), r.Text(b + 58, 6), r.F32(b + 8),
                          r.F32(b + 12), r.U16(b + 26), r.I16(b + 24), kind.Color);
            else
                addStatus(module * 100 + channel + 101, r.Text(b + 28, 6), r.Text(b + 34, 24), kind.Color);
        }
        if (!known) {
            if (!onMessage) RaiseText("KEY_DATA_CORRUPTED");
            onMessage(DataFileParsersText("KEY_DATA_CORRUPTED_IN") + " " + streamName + "\\e");
            return;
        }
    }
}

}  // namespace dcomp
