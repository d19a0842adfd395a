#include "dcomp/recorder/Hak7Reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/FieldReader.h"
#include "dcomp/recorder/ReaderSupport.h"
#include "dcomp/recorder/SafeFormat.h"
#include "platform/Bytes.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/Prompts.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

struct TAnalogRow {
    const char* Name;
    const char* Component;  // nullptr: the integral's text
    const char* Unit;
    double Secondary;
    double Factor;
    uint32_t Color;
};
constexpr TAnalogRow kAnalogs[] = {
    {"Uo", "Uo", "V", 200.0, 0.08537109375, 0xFF0000},
    {"SIo", nullptr, "A", 1.0, 0.419970703125, 0x800080},
    {"Io", "Io", "A", 1.0, 0.419970703125, 0x0000FF},
};

struct TStatusRow {
    const char* Name;  // nullptr: the power cut's texts
    const char* Component;
    uint32_t Color;
};
constexpr TStatusRow kStatus[] = {
    {nullptr, nullptr, 0x0000FF},
    {"Pob", "Pobudzenie", 0},
    {"Blok", "Blokada", 0},
    {"PobUo", "Pobudzenie w torze Uo", 0xFF0000},
    {"PobIo", "Pobudzenie w torze Io", 0x0000FF},
    {"PobDir", "Pobudzenie w torze kierunkowo-prądowym", 0x0000FF},
    {"StUp", "Strzałka góra", 0x008000},
    {"StDn", "Strzałka dół", 0x008000},
};

}  // namespace

bool Hak7SumOk(std::span<const uint8_t> record) {
    if (record.size() < kHak7RecordSize) return false;
    uint16_t sum = 0;
    for (std::size_t i = 0; i < kHak7SumAt; ++i) sum = static_cast<uint16_t>(sum + record[i]);
    return sum == platform::GetLe16(record.data() + kHak7SumAt);
}

THak7Record ParseHak7Record(std::span<const uint8_t> record) {
    TFieldReader r(record, TByteOrder::Little);
    THak7Record h;
    h.Date = r.U16(2);
    h.Time = r.U16(4);
    h.MsSec = r.U16(6);
    for (uint8_t c : r.Bytes(8, 16)) h.Name += (c >= 33 && c <= 126) ? static_cast<char>(c) : '.';
    h.ScaleUo = r.U16(56);
    h.ScaleIo = r.U16(58);
    h.Ns = r.U16(66);
    h.TriggerMs = r.U16(88);
    return h;
}

std::optional<platform::TDateTime> Hak7Start(const THak7Record& h) {
    platform::TDateTime date = 0, time = 0;
    if (!platform::TryEncodeDate(1980 + (h.Date >> 9), (h.Date >> 5) & 0xF, h.Date & 0x1F, date))
        return std::nullopt;
    if (!platform::TryEncodeTime((h.Time >> 6) & 0x1F, h.Time & 0x3F, h.MsSec >> 10, h.MsSec & 0x3FF, time))
        return std::nullopt;
    return date + time;
}

int32_t Hak7Io(int32_t s2, int32_t s1) {
    const double value = platform::RoundHalfEven(0.37 * (8.0 * (s2 - s1) + s1));
    return static_cast<int32_t>(std::clamp(value, -4095.0, 4095.0));
}

std::optional<int64_t> WholeNumber(std::string_view text) {
    const std::string trimmed = platform::Trim(text);
    std::string_view s = trimmed;
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    int64_t value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
    return value;
}

const THak7Interface& THak7Interface::Instance() {
    static const THak7Interface instance;
    return instance;
}

bool THak7Interface::CanLoad(TMemoryStream& stream, const TOnMessage&) const {
    const std::span<const uint8_t> bytes{stream.Memory(), static_cast<std::size_t>(stream.Size())};
    const std::size_t records = bytes.size() / kHak7RecordSize;
    if (records == 0) return false;
    for (std::size_t i = 0; i < records; ++i)
        if (!Hak7SumOk(bytes.subspan(i * kHak7RecordSize, kHak7RecordSize))) return false;
    return true;
}

void THak7Interface::LoadFromStreams(TComtrade& recording, const TNameList&, const std::string& selector,
                                     const TStreamList& streams, const TOnMessage&) const {
    const std::span<const uint8_t> bytes = StreamBytes(streams, 0);
    const auto records = static_cast<int64_t>(bytes.size() / kHak7RecordSize);
    std::optional<int64_t> number = WholeNumber(selector);
    if (!number) {
        if (records == 0) return;
        if (records == 1) {
            number = 1;
        } else {
            const std::optional<std::string> answer = platform::Prompts().InputQuery(
                "Hak7", FormatText(DataFileParsersText("KEY_SELECT_RECNUM"), {records}), "");
            if (!answer) return;
            number = WholeNumber(*answer);
            if (!number) return;
        }
    }
    if (*number < 1 || *number > records) return;
    const std::span<const uint8_t> record =
        bytes.subspan(static_cast<std::size_t>(*number - 1) * kHak7RecordSize, kHak7RecordSize);
    if (!Hak7SumOk(record)) return;
    const THak7Record h = ParseHak7Record(record);

    TObFileParam& params = recording.FileParam();
    params.SetStationName(DataFileParsersText("KEY_NAME") + FormatText("= %s, Ns=%u", {h.Name, h.Ns}));
    params.SetRecDeviceId("Hak7");
    params.RevisionYear = 1997;
    params.LineFrequency = 50.0;
    params.TimeMultiplier = 1000.0;
    SetRecordingTimes(params, Hak7Start(h), false, int64_t{h.TriggerMs} * 1000);
    TRateDescr* segment = recording.RateList().AddSegment();
    segment->Rate = 1000.0;
    segment->SetEndSample(static_cast<int64_t>(kHak7Samples));

    TAnalogDescr* analogs[3];
    for (std::size_t c = 0; c < 3; ++c) {
        const TAnalogRow& row = kAnalogs[c];
        TAnalogDescr* a = recording.AnalogList().Add();
        a->SetChannelId(row.Name);
        a->SetCircuitComponent(row.Component ? std::string(row.Component)
                                             : DataFileParsersText("KEY_INTEGRAL") + " Io");
        a->SetUnits(row.Unit);
        a->Secondary = row.Secondary;
        a->Primary = row.Secondary;
        a->Min = -2047;
        a->Max = 2047;
        a->Offset = 0;
        a->PS = 1;
        a->Multiplier = (c == 0 ? h.ScaleUo : h.ScaleIo) / 32768.0 * row.Factor;
        a->PenColor = row.Color;
        analogs[c] = a;
    }
    TCyfrDescr* status[8];
    for (std::size_t c = 0; c < 8; ++c) {
        const TStatusRow& row = kStatus[c];
        TCyfrDescr* d = recording.CyfrList().Add();
        d->SetChannelId(row.Name ? std::string(row.Name) : DataFileParsersText("KEY_PWRCUT_ABBR"));
        d->SetCircuitComponent(row.Component ? std::string(row.Component)
                                             : DataFileParsersText("KEY_PWRCUT"));
        d->NormalState = 0;
        d->PenColor = row.Color;
        status[c] = d;
    }

    recording.SetSampleCount(static_cast<int64_t>(kHak7Samples));
    int32_t s2 = 0, s1 = 0;
    for (std::size_t i = 0; i < kHak7Samples; ++i) {
        const uint16_t A = platform::GetLe16(record.data() + kHak7SamplesAt + 4 * i);
        const uint16_t B = platform::GetLe16(record.data() + kHak7SamplesAt + 4 * i + 2);
        const auto sample = static_cast<int32_t>(i);
        const int32_t sio = (B & 0xFFF) - 2048;
        analogs[0]->SetRaw(sample, (A & 0xFFF) - 2048);
        analogs[1]->SetRaw(sample, sio);
        analogs[2]->SetRaw(sample, i < 2 ? 0 : Hak7Io(s2, s1));
        for (int b = 0; b < 4; ++b) {
            status[b]->SetBit(sample, static_cast<uint8_t>((A >> (12 + b)) & 1));
            status[4 + b]->SetBit(sample, static_cast<uint8_t>((B >> (12 + b)) & 1));
        }
        s2 = s1;
        s1 = sio;
    }
}

}  // namespace dcomp
