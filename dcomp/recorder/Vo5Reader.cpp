#include "dcomp/recorder/Vo5Reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/FieldReader.h"
#include "dcomp/recorder/ReaderSupport.h"
#include "dcomp/recorder/SafeFormat.h"
#include "platform/Bytes.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

// Analog slots (from 1) in the order of their frame positions.
constexpr std::size_t kFrameOrder[] = {1, 7, 13, 2, 8, 14, 3, 9, 15, 4, 10, 16, 5, 11, 6, 12};

[[noreturn]] void StreamReadError() {
    throw platform::Exception("Stream read error");
}

}  // namespace

const std::array<const char*, 20>& Vo5KindNames() {
    static const std::array<const char*, 20> names = {"puste",  "QJ7-U1", "QJ7-U3",    "QJ7-U4",  "QJ7-I1",
                                                      "QJ7-I2", "QJ7-CY", "NoName",    "A2U",     "A2I",
                                                      "A2UL",   "A2UH",   "A2IL",      "A2IH",    "AI4U",
                                                      "AI4I",   "6CYF",   "Automatic", "Vo4File", "MAthData"};
    return names;
}

std::string Vo5KindName(uint32_t kind) {
    return kind < Vo5KindNames().size() ? Vo5KindNames()[kind] : "NoName";
}

int Vo5Format(std::span<const uint8_t> bytes) {
    if (bytes.size() < kVo5TextSize) return 0;
    if (std::memcmp(bytes.data(), kVo5Text1, kVo5TextSize) == 0) return 1;
    if (std::memcmp(bytes.data(), kVo5Text2, kVo5TextSize) == 0) return 2;
    return 0;
}

TVo5Header ParseVo5Header(std::span<const uint8_t> bytes) {
    std::array<uint8_t, kVo5HeaderSize> cleared{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), cleared.size()), cleared.begin());
    TFieldReader r(cleared, TByteOrder::Little);
    TVo5Header h;
    h.A = r.U16(0);
    h.D = r.U16(2);
    h.Period = r.F32(4);
    h.Count = r.U32(8);
    h.Before = r.U32(20);
    h.Start = r.F64(28);
    h.Station = r.ShortString(36, 64);
    return h;
}

TVo5Channel ParseVo5Channel(std::span<const uint8_t> bytes) {
    std::array<uint8_t, kVo5RecordSize> cleared{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), cleared.size()), cleared.begin());
    TFieldReader r(cleared, TByteOrder::Little);
    TVo5Channel c;
    c.Present = r.U8(0) != 0;
    c.Slot = r.U32(1);
    c.Kind = r.U8(5);
    c.Zero = r.I32(10);
    c.Secondary = r.F64(40);
    c.Description = r.ShortString(56, 40);
    c.Unit = r.ShortString(97, 8);
    c.Ratio = r.F64(106);
    c.Color = r.U32(114);
    c.Color2 = r.U32(118);
    c.Factor = r.F64(122);
    return c;
}

TVo5Layout ReadVo5Layout(std::span<const uint8_t> bytes) {
    const int format = Vo5Format(bytes);
    if (format == 0) {
        if (bytes.size() < kVo5TextSize) StreamReadError();
        RaiseText("KEY_UNKNOWN_FILE_HEADER");
    }
    const std::size_t headerSize = format == 2 ? kVo5HeaderSize : kVo5HeaderSize1;
    const std::size_t recordSize = format == 2 ? kVo5RecordSize : kVo5RecordSize1;
    TVo5Layout layout;
    std::size_t pos = kVo5TextSize;
    if (bytes.size() - pos < headerSize) StreamReadError();
    layout.Header = ParseVo5Header(bytes.subspan(pos, headerSize));
    pos += headerSize;
    const std::size_t records = std::size_t{layout.Header.A} + layout.Header.D;
    if ((bytes.size() - pos) / recordSize < records) StreamReadError();
    for (std::size_t i = 0; i < records; ++i, pos += recordSize) {
        TVo5Channel c = ParseVo5Channel(bytes.subspan(pos, recordSize));
        if (format == 1) c.Factor = 1.0;
        if (c.Slot >= kVo5Slots) {
            layout.Unknown = true;
            continue;
        }
        layout.Slots[c.Slot] = c;
    }
    layout.DataAt = pos;
    if (layout.Unknown) RaiseText("KEY_UNKNOWN_FILE_HEADER");

    for (std::size_t slot : kFrameOrder) {
        TVo5Channel& c = layout.Slots[slot - 1];
        if (c.Present) c.Position = layout.Analog++;
    }
    for (std::size_t s = kVo5AnalogSlots; s < kVo5Slots; ++s) {
        TVo5Channel& c = layout.Slots[s];
        if (c.Present) {
            c.Position = layout.Analog;
            ++layout.Status;
        }
    }
    layout.Words = layout.Analog + (layout.Status > 0 ? 1 : 0);
    return layout;
}

const TVo5Interface& TVo5Interface::Instance() {
    static const TVo5Interface instance;
    return instance;
}

std::string TVo5Interface::GetDescription() const {
    return DataFileParsersText("KEY_VO5_DESC");
}

bool TVo5Interface::CanLoad(TMemoryStream& stream, const TOnMessage&) const {
    return Vo5Format({stream.Memory(), static_cast<std::size_t>(stream.Size())}) != 0;
}

void TVo5Interface::LoadFromStreams(TComtrade& recording, const TNameList&, const std::string&,
                                    const TStreamList& streams, const TOnMessage&) const {
    const std::span<const uint8_t> bytes = StreamBytes(streams, 0);
    const TVo5Layout layout = ReadVo5Layout(bytes);
    const TVo5Header& h = layout.Header;
    const double period = h.Period;
    if (!(period > 0) || !std::isfinite(period)) RaiseText("KEY_UNKNOWN_FILE_HEADER");

    const int64_t count = h.Count;
    const std::size_t W = layout.Words;
    const std::size_t frames = W == 0 ? 0 : (bytes.size() - layout.DataAt) / (2 * W);
    if (count - 2 > static_cast<int64_t>(frames)) RaiseText("KEY_UNEXPECTED_EOD");

    TObFileParam& params = recording.FileParam();
    params.SetStationName(h.Station);
    params.SetRecDeviceId("VO5");
    params.RevisionYear = 1997;
    params.LineFrequency = 50.0;
    const std::optional<int64_t> offset = MillisecondsToUs(static_cast<double>(h.Before) * period);
    SetRecordingTimes(params, offset ? std::optional<platform::TDateTime>(h.Start) : std::nullopt, false,
                      offset.value_or(0));
    params.TimeMultiplier = period * 1000;
    TRateDescr* segment = recording.RateList().AddSegment();
    segment->Rate = 1000 / period;
    segment->SetEndSample(count);

    std::vector<std::pair<TAnalogDescr*, std::size_t>> analogs;
    for (std::size_t s = 1; s <= kVo5AnalogSlots; ++s) {
        const TVo5Channel& c = layout.Slots[s - 1];
        if (!c.Present) continue;
        TAnalogDescr* a = recording.AnalogList().Add();
        a->SetChannelId(Vo5KindName(c.Kind) + "_" + std::to_string(s));
        a->SetCircuitComponent(c.Description);
        a->SetUnits(c.Unit);
        a->Secondary = c.Secondary;
        a->Primary = c.Secondary * c.Ratio;
        a->Min = -32768;
        a->Max = 32767;
        a->Multiplier = c.Secondary * c.Factor / 32768;
        a->Offset = -2.0 * c.Zero * a->Multiplier;
        a->PS = 1;
        a->PenColor = c.Color;
        a->BackgroundColor = c.Color2;
        a->SourceTag = static_cast<uint32_t>(c.Position);
        analogs.emplace_back(a, c.Position);
    }
    std::vector<std::pair<TCyfrDescr*, uint16_t>> status;
    for (std::size_t s = kVo5AnalogSlots + 1; s <= kVo5Slots; ++s) {
        const TVo5Channel& c = layout.Slots[s - 1];
        if (!c.Present) continue;
        TCyfrDescr* d = recording.CyfrList().Add();
        d->SetChannelId("D_" + std::to_string(s));
        d->SetCircuitComponent(c.Description);
        d->NormalState = 0;
        d->PenColor = c.Color;
        d->BackgroundColor = c.Color2;
        const auto mask = static_cast<uint16_t>(2u << (s - kVo5AnalogSlots - 1));
        d->SourceTag = mask;
        status.emplace_back(d, mask);
    }

    recording.SetSampleCount(count);
    const std::size_t words = (bytes.size() - layout.DataAt) / 2;
    auto word = [&](std::size_t w) { return platform::GetLe16(bytes.data() + layout.DataAt + 2 * w); };
    auto valid = [&](std::size_t f) {
        for (std::size_t w = 0; w < W; ++w)
            if (((word(f + w) & 1) != 0) != (w == 0)) return false;
        return true;
    };
    uint64_t repairs = 0;
    int64_t stored = 0;
    std::size_t f = 0;
    while (W > 0 && stored < count && words - f >= W) {
        if (!valid(f)) {
            ++repairs;
            ++f;
            continue;
        }
        const auto i = static_cast<int32_t>(stored);
        for (const auto& [a, position] : analogs) a->SetRaw(i, static_cast<int16_t>(word(f + position)));
        const uint16_t bits = layout.Status > 0 ? word(f + layout.Analog) : 0;
        for (const auto& [d, mask] : status) d->SetBit(i, (bits & mask) != 0 ? 1 : 0);
        ++stored;
        f += W;
    }
    if (stored < count - 2) RaiseText("KEY_UNEXPECTED_EOD");
    if (repairs > 1) throw platform::Exception(FormatText(DataFileParsersText("KEY_DMG_FIX_CNT"), {repairs}));
}

}  // namespace dcomp
