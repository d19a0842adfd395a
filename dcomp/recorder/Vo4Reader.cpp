#include "dcomp/recorder/Vo4Reader.h"

#include <algorithm>
#include <vector>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/FieldReader.h"
#include "dcomp/recorder/ReaderSupport.h"
#include "platform/Bytes.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

// Day number of 1 January 1970.
constexpr double kUnixEpochDays = 25569.0;

[[noreturn]] void IncorrectHeader() {
    throw platform::Exception("Incorrect header.");
}

uint32_t UnitColor(const std::string& unit) {
    const std::size_t at = (!unit.empty() && unit[0] == '[') ? 1 : 0;
    if (unit.size() > at && unit[at] == 'V') return 0xFF0000;
    if (unit.size() > at && unit[at] == 'A') return 0x0000FF;
    return 0;
}

}  // namespace

TVo4Header ParseVo4Header(std::span<const uint8_t> bytes) {
    TFieldReader r(bytes, TByteOrder::Little);
    TVo4Header h;
    h.First = r.U16(0);
    h.Last = r.U16(2);
    h.Rate = r.I32(4);
    h.Count = r.U32(8);
    h.Trigger = r.U32(16);
    h.Flag24 = r.U16(24);
    h.Word26 = r.U16(26);
    for (std::size_t e = 0; e < kVo4Channels; ++e) {
        const std::size_t c = kVo4ChannelAt + e * kVo4ChannelSize;
        TVo4Channel& ch = h.Channels[e];
        ch.Range = r.F32(c);
        ch.Flags[0] = r.U16(c + 12);
        ch.Flags[1] = r.U16(c + 14);
        ch.Flags[2] = r.U16(c + 100);
        ch.Flags[3] = r.U16(c + 102);
        ch.Unit = r.Text(c + 20, 40);
        ch.Description = r.Text(c + 60, 40);
    }
    h.Station = r.Text(kVo4StationAt, 98);
    return h;
}

bool Vo4HeaderPlausible(const TVo4Header& h) {
    if (h.First > 15 || h.Last > 15 || h.Last < h.First || h.Word26 > 16 || h.Flag24 > 1) return false;
    for (const TVo4Channel& ch : h.Channels)
        for (uint16_t flag : ch.Flags)
            if (flag > 1) return false;
    return true;
}

const TVo4Interface& TVo4Interface::Instance() {
    static const TVo4Interface instance;
    return instance;
}

std::string TVo4Interface::GetDescription() const {
    return DataFileParsersText("KEY_VO4_DESC");
}

bool TVo4Interface::CanLoad(TMemoryStream& stream, const TOnMessage&) const {
    if (stream.Size() < static_cast<int64_t>(kVo4HeaderSize)) return false;
    return Vo4HeaderPlausible(ParseVo4Header({stream.Memory(), kVo4HeaderSize}));
}

void TVo4Interface::LoadFromStreams(TComtrade& recording, const TNameList&, const std::string&,
                                    const TStreamList& streams, const TOnMessage&) const {
    const std::span<const uint8_t> bytes = StreamBytes(streams, 0);
    if (bytes.size() < kVo4HeaderSize) throw platform::Exception("Error reading header");
    const TVo4Header h = ParseVo4Header(bytes.first(kVo4HeaderSize));
    // Channel 16 does not exist: its record would be read from the station text.
    if (h.First > 15 || h.Last > 15 || h.Last < h.First || h.Word26 > 16 || h.Rate <= 0) IncorrectHeader();

    const std::size_t N = std::size_t{h.Last} - h.First + 1;
    const int64_t count = h.Count;
    const std::size_t recordSize = 2 * N;
    const std::size_t whole = (bytes.size() - kVo4HeaderSize) / recordSize;
    // A short read counts as one record more, and up to ten records may be missing.
    if (count - 10 > static_cast<int64_t>(whole) + 1) RaiseText("KEY_INCOMPLETE_DATA");

    TObFileParam& params = recording.FileParam();
    params.SetStationName(h.Station);
    params.SetRecDeviceId("VO4");
    params.RevisionYear = 1997;
    params.LineFrequency = 50.0;
    SetRecordingTimes(params, kUnixEpochDays + h.Trigger / 86400.0, true, 0);
    const double rate = static_cast<double>(h.Rate) / static_cast<double>(N);
    params.TimeMultiplier = 1000000.0 / rate;
    TRateDescr* segment = recording.RateList().AddSegment();
    segment->Rate = rate;
    segment->SetEndSample(count);

    std::vector<TAnalogDescr*> channels;
    for (std::size_t e = h.First; e <= h.Last; ++e) {
        const TVo4Channel& ch = h.Channels[e];
        TAnalogDescr* a = recording.AnalogList().Add();
        a->SetChannelId("WE_" + std::to_string(e + 1));
        a->SetCircuitComponent(ch.Description);
        a->SetUnits(ch.Unit);
        a->Primary = ch.Range;
        a->Secondary = ch.Range;
        a->Min = -32768;
        a->Max = 32767;
        a->Multiplier = ch.Range / 32768.0;
        a->Offset = 0;
        a->PS = 1;
        a->PenColor = UnitColor(ch.Unit);
        channels.push_back(a);
    }

    recording.SetSampleCount(count);
    // The samples past the last whole record keep their defaults.
    const int64_t stored = std::min(count, static_cast<int64_t>(whole));
    for (int64_t i = 0; i < stored; ++i) {
        const uint8_t* record = bytes.data() + kVo4HeaderSize + static_cast<std::size_t>(i) * recordSize;
        for (std::size_t c = 0; c < N; ++c)
            channels[c]->SetRaw(static_cast<int32_t>(i), int32_t{platform::GetLe16(record + 2 * c)} - 0x8000);
    }
}

}  // namespace dcomp
