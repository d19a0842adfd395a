#pragma once
// Test-side writers of the recorder file formats: each file is built byte by byte at the
// named offsets of its layout, in the byte order the format asks for, never through the
// readers under test.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace reader_test {

// A byte image with fields put at offsets, growing as needed.
class TImage {
public:
    explicit TImage(bool bigEndian = false, std::size_t size = 0) : FBig(bigEndian), FBytes(size, '\0') {}

    void Int(std::size_t offset, uint64_t value, std::size_t size) {
        Grow(offset + size);
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t at = FBig ? offset + size - 1 - i : offset + i;
            FBytes[at] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    }
    void U8(std::size_t offset, uint8_t value) { Int(offset, value, 1); }
    void U16(std::size_t offset, uint16_t value) { Int(offset, value, 2); }
    void U32(std::size_t offset, uint32_t value) { Int(offset, value, 4); }
    void F32(std::size_t offset, float value) { Int(offset, std::bit_cast<uint32_t>(value), 4); }
    void F64(std::size_t offset, double value) { Int(offset, std::bit_cast<uint64_t>(value), 8); }
    // Raw bytes (code page 1250 texts are given as their bytes).
    void Raw(std::size_t offset, const std::string& bytes) {
        Grow(offset + bytes.size());
        FBytes.replace(offset, bytes.size(), bytes);
    }
    // A length byte and the characters.
    void Short(std::size_t offset, const std::string& text, std::size_t lengthByte) {
        U8(offset, static_cast<uint8_t>(lengthByte));
        Raw(offset + 1, text);
    }
    void Grow(std::size_t size) {
        if (FBytes.size() < size) FBytes.resize(size, '\0');
    }
    std::size_t Size() const { return FBytes.size(); }
    const std::string& Bytes() const { return FBytes; }
    bool BigEndian() const { return FBig; }

private:
    bool FBig;
    std::string FBytes;
};

// ---- Lumo ----------------------------------------------------------------------------

namespace lumo {
constexpr std::size_t kCfgSize = 16384;
constexpr std::size_t kCfgName = 4;
constexpr std::size_t kCfgMarker = 8;  // big-endian 0x22456733 refuses the block
constexpr std::size_t kCfgValue100 = 100;
constexpr std::size_t kModules = 300;
constexpr std::size_t kModuleSize = 976;
constexpr std::size_t kChannelSize = 60;
// Within a channel record of a module.
constexpr std::size_t kChRatio = 4, kChDescription = 8, kChName = 32, kChUnit = 38, kChScale = 48;
constexpr std::size_t kHeaderISize = 92, kHeaderIISize = 196, kHeader13SSize = 184;
constexpr std::size_t kHdrSignature = 4, kHdrDataSignature = 8, kHdrDate = 24, kHdrBefore = 60,
                      kHdrAfter = 64, kHdrSpeedOrRate = 68, kHdrName = 92;
constexpr std::size_t k13SIdentifier = 20, k13SNS = 52, k13SRecorder = 80;
constexpr std::size_t kFormIISize = 84;
constexpr std::size_t kIIPlace = 4, kIIKind = 6, kIIRange = 8, kIIRatio = 12, kIIZero = 24, kIIScale = 26,
                      kIIName = 28, kIIDescription = 34, kIIUnit = 58;
constexpr std::size_t kBlock13SSize = 132;
constexpr std::size_t kBFlags = 4, kBZero = 8, kBRange = 12, kBRatio = 16, kBX1 = 20, kBX2 = 24, kBY1 = 28,
                      kBY2 = 32, kBFactor = 44, kBName = 48, kBDescription = 54, kBUnit1 = 118, kBUnit2 = 124;
constexpr uint32_t kSigHeaderI = 0x2537AA22, kSigHeaderII = 0x2537AB22, kSigHeader13S = 0x2537AC22,
                   kSigStored = 0x2537AA66, kSigAnalogI = 0x2537AA55, kSigStatusI = 0x2537AA44,
                   kSigAnalogII = 0x2537AB55, kSigStatusII = 0x2537AB44, kSigAnalog13S = 0x2537AC56,
                   kSigStatus13S = 0x2537AC44;
}  // namespace lumo

struct TLumoDateFields {
    uint16_t Year = 2021;
    uint8_t Month = 3, Day = 4, Hour = 5, Minute = 6, Second = 7;
    uint16_t MSec = 250;
};

inline void PutLumoDate(TImage& img, std::size_t at, const TLumoDateFields& d) {
    img.U16(at, d.Year);
    img.U8(at + 2, d.Month);
    img.U8(at + 3, d.Day);
    img.U8(at + 4, d.Hour);
    img.U8(at + 5, d.Minute);
    img.U8(at + 6, d.Second);
    img.U16(at + 8, d.MSec);
}

struct TLumoCfgChannelFields {
    std::size_t Module = 0, Channel = 0;
    std::string Name, Description, Unit;
    float Ratio = 1.0f;
    uint32_t RatioBits = 0;  // when not 0: stored as this integer instead of Ratio
    uint16_t Scale = 10000;
};

struct TLumoCfgFields {
    std::string RecorderName = "REJ1";
    uint32_t ModuleKinds[16] = {};
    std::vector<TLumoCfgChannelFields> Channels;
    bool Refused = false;
};

inline std::string LumoCfg(const TLumoCfgFields& fields, bool bigEndian) {
    using namespace lumo;
    TImage img(bigEndian, kCfgSize);
    img.Raw(kCfgName, fields.RecorderName);
    if (fields.Refused) {
        TImage marker(true);
        marker.U32(0, 0x22456733);
        img.Raw(kCfgMarker, marker.Bytes());
    }
    for (std::size_t g = 0; g < 16; ++g) img.U32(kModules + g * kModuleSize, fields.ModuleKinds[g]);
    for (const auto& c : fields.Channels) {
        const std::size_t at = kModules + c.Module * kModuleSize + 4 + c.Channel * kChannelSize;
        if (c.RatioBits != 0) {
            img.U32(at + kChRatio, c.RatioBits);
        } else {
            img.F32(at + kChRatio, c.Ratio);
        }
        img.Raw(at + kChDescription, c.Description);
        img.Raw(at + kChName, c.Name);
        img.Raw(at + kChUnit, c.Unit);
        img.U16(at + kChScale, c.Scale);
    }
    return img.Bytes();
}

struct TLumoHeaderFields {
    uint32_t Signature = 0;  // 0: the right one for the header kind
    uint32_t DataSignature = lumo::kSigStored;
    TLumoDateFields Date;
    uint32_t Before = 2, After = 3;
    uint32_t SpeedOrRate = 13;  // header I: speed index; header II: rate
    std::string Name = "STACJA";
};

// The fields headers I and II share; header II adds the station name past header I's end.
inline TImage LumoHeaderImage(const TLumoHeaderFields& fields, bool bigEndian, std::size_t size,
                              uint32_t signature) {
    using namespace lumo;
    TImage img(bigEndian, size);
    img.U32(kHdrSignature, fields.Signature ? fields.Signature : signature);
    img.U32(kHdrDataSignature, fields.DataSignature);
    PutLumoDate(img, kHdrDate, fields.Date);
    img.U32(kHdrBefore, fields.Before);
    img.U32(kHdrAfter, fields.After);
    img.U32(kHdrSpeedOrRate, fields.SpeedOrRate);
    return img;
}

inline std::string LumoHeaderI(const TLumoHeaderFields& fields, bool bigEndian) {
    return LumoHeaderImage(fields, bigEndian, lumo::kHeaderISize, lumo::kSigHeaderI).Bytes();
}

inline std::string LumoHeaderII(const TLumoHeaderFields& fields, bool bigEndian) {
    TImage img = LumoHeaderImage(fields, bigEndian, lumo::kHeaderIISize, lumo::kSigHeaderII);
    img.Raw(lumo::kHdrName, fields.Name);
    return img.Bytes();
}

// Samples: analog words, or status bits packed most significant bit first.
inline std::string LumoAnalogSamples(const std::vector<int16_t>& words, bool bigEndian) {
    TImage img(bigEndian);
    for (std::size_t i = 0; i < words.size(); ++i) img.U16(2 * i, static_cast<uint16_t>(words[i]));
    return img.Bytes();
}
inline std::string LumoStatusSamples(const std::vector<int>& bits, bool bigEndian) {
    TImage img(bigEndian, 2 * ((bits.size() + 15) / 16));
    for (std::size_t w = 0; w * 16 < bits.size(); ++w) {
        uint16_t word = 0;
        for (std::size_t b = 0; b < 16 && w * 16 + b < bits.size(); ++b)
            if (bits[w * 16 + b]) word |= static_cast<uint16_t>(0x8000 >> b);
        img.U16(2 * w, word);
    }
    return img.Bytes();
}

inline std::string LumoFormI(uint32_t signature, uint16_t address, int16_t zero, const std::string& samples,
                             bool bigEndian) {
    TImage img(bigEndian);
    img.U32(0, signature);
    img.U16(4, address);
    img.U16(6, static_cast<uint16_t>(zero));
    img.Raw(8, samples);
    return img.Bytes();
}

struct TLumoFormIIFields {
    uint32_t Signature = lumo::kSigAnalogII;
    uint8_t Channel = 0, Module = 0, Kind = 5;
    float Range = 50.0f, Ratio = 10.0f;
    int16_t Zero = 0;
    uint16_t Scale = 10000;
    std::string Name = "U1", Description = "Napiecie", Unit = "V";
};

inline std::string LumoFormII(const TLumoFormIIFields& s, const std::string& samples, bool bigEndian) {
    using namespace lumo;
    TImage img(bigEndian, 4 + kFormIISize);
    img.U32(0, s.Signature);
    const std::size_t b = 4;
    img.U16(b + kIIPlace, static_cast<uint16_t>(s.Module << 8 | s.Channel));
    img.U8(b + kIIKind, s.Kind);
    img.F32(b + kIIRange, s.Range);
    img.F32(b + kIIRatio, s.Ratio);
    img.U16(b + kIIZero, static_cast<uint16_t>(s.Zero));
    img.U16(b + kIIScale, s.Scale);
    img.Raw(b + kIIName, s.Name);
    img.Raw(b + kIIDescription, s.Description);
    img.Raw(b + kIIUnit, s.Unit);
    img.Raw(4 + kFormIISize, samples);
    return img.Bytes();
}

struct TLumo13SHeaderFields {
    uint32_t Signature = lumo::kSigHeader13S;
    uint32_t Identifier = 77;
    TLumoDateFields Date;
    uint32_t NS = 9, Before = 2, After = 3, Rate = 1000;
    std::string Recorder = "LT1";
};

inline std::string Lumo13SHeader(const TLumo13SHeaderFields& s) {
    using namespace lumo;
    TImage img(true, kHeader13SSize);
    img.U32(kHdrSignature, s.Signature);
    img.U32(k13SIdentifier, s.Identifier);
    PutLumoDate(img, kHdrDate, s.Date);
    img.U32(k13SNS, s.NS);
    img.U32(kHdrBefore, s.Before);
    img.U32(kHdrAfter, s.After);
    img.U32(kHdrSpeedOrRate, s.Rate);
    img.Raw(k13SRecorder, s.Recorder);
    return img.Bytes();
}

struct TLumo13SBlockFields {
    uint32_t Signature = lumo::kSigAnalog13S;
    uint16_t Flags = 0;
    int16_t Zero = 0;
    float Range = 100.0f, Ratio = 2.0f, X1 = 0, X2 = 0, Y1 = 0, Y2 = 0, Factor = 1.0f;
    std::string Name = "I1", Description = "Prad", Unit1 = "A", Unit2 = "kA";
};

inline std::string Lumo13SBlock(const TLumo13SBlockFields& s, const std::string& samples) {
    using namespace lumo;
    TImage img(true, kBlock13SSize);
    img.U32(0, s.Signature);
    img.U16(kBFlags, s.Flags);
    img.U16(kBZero, static_cast<uint16_t>(s.Zero));
    img.F32(kBRange, s.Range);
    img.F32(kBRatio, s.Ratio);
    img.F32(kBX1, s.X1);
    img.F32(kBX2, s.X2);
    img.F32(kBY1, s.Y1);
    img.F32(kBY2, s.Y2);
    img.F32(kBFactor, s.Factor);
    img.Raw(kBName, s.Name);
    img.Raw(kBDescription, s.Description);
    img.Raw(kBUnit1, s.Unit1);
    img.Raw(kBUnit2, s.Unit2);
    img.Raw(kBlock13SSize, samples);
    return img.Bytes();
}

inline const char* LumoSignatureText(int version) {
    switch (version) {
        case 1:
            return "[LUMO FORMAT 1.0   ]";
        case 2:
            return "[LUMO FORMAT 1.1   ]";
        case 4:
            return "[LUMO FORMAT 2.0   ]";
        case 5:
            return "[LUMO FORMAT 1.3S  ]";
    }
    return "";
}

// ---- Vo5 -----------------------------------------------------------------------------

namespace vo5 {
constexpr std::size_t kTextSize = 23;
constexpr std::size_t kHeader2 = 317, kHeader1 = 117, kRecord2 = 180, kRecord1 = 122;
constexpr std::size_t kHA = 0, kHD = 2, kHPeriod = 4, kHCount = 8, kHBefore = 20, kHStart = 28,
                      kHStation = 36;
constexpr std::size_t kCPresent = 0, kCSlot = 1, kCKind = 5, kCZero = 10, kCSecondary = 40,
                      kCDescription = 56, kCUnit = 97, kCRatio = 106, kCColor = 114, kCColor2 = 118,
                      kCFactor = 122;
}  // namespace vo5

struct TVo5ChannelFields {
    uint8_t Present = 1;
    uint32_t Slot = 0;  // 0..21
    uint8_t Kind = 1;
    int32_t Zero = 0;
    double Secondary = 100.0;
    std::string Description = "opis";
    std::string Unit = "V";
    std::size_t DescriptionLength = SIZE_MAX, UnitLength = SIZE_MAX;  // the length bytes, when not the text's
    double Ratio = 2.0;
    uint32_t Color = 0x123456, Color2 = 0xABCDEF;
    double Factor = 1.5;
};

struct TVo5Fields {
    int Format = 2;
    std::string Text;       // empty: the format's text
    uint16_t A = 0, D = 0;  // 0: counted from the channels
    float Period = 1.0f;
    uint32_t Count = 0;
    uint32_t Before = 0;
    double Start = 44000.5;
    std::string Station = "Stacja";
    std::size_t StationLength = SIZE_MAX;
    std::vector<TVo5ChannelFields> Channels;
};

// Format text, header and records; the frames are appended by the caller.
inline std::string Vo5Head(const TVo5Fields& s) {
    using namespace vo5;
    TImage img;
    img.Raw(
        0, s.Text.empty() ? (s.Format == 1 ? "[Dane w formacie Vo5.1]" : "[Dane w formacie Vo5.2]") : s.Text);
    const std::size_t headerSize = s.Format == 1 ? kHeader1 : kHeader2;
    TImage h(false, headerSize);
    uint16_t a = 0, d = 0;
    for (const auto& c : s.Channels) (c.Slot < 16 ? a : d)++;
    h.U16(kHA, s.A ? s.A : a);
    h.U16(kHD, s.D ? s.D : d);
    h.F32(kHPeriod, s.Period);
    h.U32(kHCount, s.Count);
    h.U32(kHBefore, s.Before);
    h.F64(kHStart, s.Start);
    h.Short(kHStation, s.Station, s.StationLength == SIZE_MAX ? s.Station.size() : s.StationLength);
    img.Raw(kTextSize, h.Bytes().substr(0, headerSize));
    std::size_t at = kTextSize + headerSize;
    const std::size_t recordSize = s.Format == 1 ? kRecord1 : kRecord2;
    for (const auto& c : s.Channels) {
        TImage r(false, kRecord2);
        r.U8(kCPresent, c.Present);
        r.U32(kCSlot, c.Slot);
        r.U8(kCKind, c.Kind);
        r.U32(kCZero, static_cast<uint32_t>(c.Zero));
        r.F64(kCSecondary, c.Secondary);
        r.Short(kCDescription, c.Description,
                c.DescriptionLength == SIZE_MAX ? c.Description.size() : c.DescriptionLength);
        r.Short(kCUnit, c.Unit, c.UnitLength == SIZE_MAX ? c.Unit.size() : c.UnitLength);
        r.F64(kCRatio, c.Ratio);
        r.U32(kCColor, c.Color);
        r.U32(kCColor2, c.Color2);
        r.F64(kCFactor, c.Factor);
        img.Raw(at, r.Bytes().substr(0, recordSize));
        at += recordSize;
    }
    return img.Bytes();
}

inline std::string Words16(const std::vector<uint16_t>& words, bool bigEndian) {
    TImage img(bigEndian);
    for (std::size_t i = 0; i < words.size(); ++i) img.U16(2 * i, words[i]);
    return img.Bytes();
}

// ---- Vo4 -----------------------------------------------------------------------------

namespace vo4 {
constexpr std::size_t kHeaderSize = 1828;
constexpr std::size_t kF = 0, kL = 2, kRate = 4, kCount = 8, kTrigger = 16, kFlag24 = 24, kWord26 = 26,
                      kChannels = 28, kChannelSize = 106, kStation = 1728;
constexpr std::size_t kCRange = 0, kCFlag12 = 12, kCFlag14 = 14, kCUnit = 20, kCDescription = 60,
                      kCFlag100 = 100, kCFlag102 = 102;
}  // namespace vo4

struct TVo4Fields {
    uint16_t F = 0, L = 1;
    int32_t Rate = 2000;
    uint32_t Count = 0;
    uint32_t Trigger = 1609459200;  // 2021-01-01 00:00:00
    uint16_t Flag24 = 1, Word26 = 16;
    float Ranges[16] = {};
    std::string Units[16], Descriptions[16];
    uint16_t ChannelFlag = 1;
    std::string Station = "Stacja VO4";
};

inline std::string Vo4Header(const TVo4Fields& s) {
    using namespace vo4;
    TImage img(false, kHeaderSize);
    img.U16(kF, s.F);
    img.U16(kL, s.L);
    img.U32(kRate, static_cast<uint32_t>(s.Rate));
    img.U32(kCount, s.Count);
    img.U32(kTrigger, s.Trigger);
    img.U16(kFlag24, s.Flag24);
    img.U16(kWord26, s.Word26);
    for (std::size_t e = 0; e < 16; ++e) {
        const std::size_t c = kChannels + e * kChannelSize;
        img.F32(c + kCRange, s.Ranges[e]);
        img.U16(c + kCFlag12, s.ChannelFlag);
        img.U16(c + kCFlag14, s.ChannelFlag);
        img.Raw(c + kCUnit, s.Units[e]);
        img.Raw(c + kCDescription, s.Descriptions[e]);
        img.U16(c + kCFlag100, s.ChannelFlag);
        img.U16(c + kCFlag102, s.ChannelFlag);
    }
    img.Raw(kStation, s.Station);
    return img.Bytes();
}

// ---- Hak7 ----------------------------------------------------------------------------

namespace hak7 {
constexpr std::size_t kRecordSize = 4092;
constexpr std::size_t kDate = 2, kTime = 4, kMsSec = 6, kName = 8, kScaleUo = 56, kScaleIo = 58, kNs = 66,
                      kTriggerMs = 88, kSamples = 90, kSum = 4090;
}  // namespace hak7

struct THak7Fields {
    int Year = 2020, Month = 2, Day = 29, Hour = 13, Minute = 45, Second = 30, MSec = 500;
    uint16_t PackedDate = 0, PackedTime = 0, PackedMsSec = 0;  // when not 0: written as they are
    std::string Name = "HAK-TEST";
    uint16_t ScaleUo = 16384, ScaleIo = 32768, Ns = 12;
    uint16_t TriggerMs = 250;
    std::vector<uint16_t> A, B;  // up to 1,000 samples; the rest 0
    int SumError = 0;            // added to the right sum
};

inline std::string Hak7Record(const THak7Fields& s) {
    using namespace hak7;
    TImage img(false, kRecordSize);
    img.U16(kDate,
            s.PackedDate ? s.PackedDate : static_cast<uint16_t>((s.Year - 1980) << 9 | s.Month << 5 | s.Day));
    img.U16(kTime, s.PackedTime ? s.PackedTime : static_cast<uint16_t>(s.Hour << 6 | s.Minute));
    img.U16(kMsSec, s.PackedMsSec ? s.PackedMsSec : static_cast<uint16_t>(s.Second << 10 | s.MSec));
    img.Raw(kName, s.Name.substr(0, 16));
    img.U16(kScaleUo, s.ScaleUo);
    img.U16(kScaleIo, s.ScaleIo);
    img.U16(kNs, s.Ns);
    img.U16(kTriggerMs, s.TriggerMs);
    for (std::size_t i = 0; i < s.A.size(); ++i) img.U16(kSamples + 4 * i, s.A[i]);
    for (std::size_t i = 0; i < s.B.size(); ++i) img.U16(kSamples + 4 * i + 2, s.B[i]);
    unsigned sum = 0;
    for (std::size_t i = 0; i < kSum; ++i) sum += static_cast<uint8_t>(img.Bytes()[i]);
    img.U16(kSum, static_cast<uint16_t>(sum + s.SumError));
    return img.Bytes();
}

}  // namespace reader_test
