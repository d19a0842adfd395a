#include "dcomp/recorder/ComtradeDatParsers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/SafeFormat.h"
#include "platform/Bytes.h"
#include "platform/Cp1250.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

using platform::Exception;

// Records moved per pass over the channels, so a block stays in the cache.
constexpr int64_t kBlock = 512;

TMemoryStream* FindDatStream(const TNameList& names, const TStreamList& streams) {
    const int index = IndexOfFileByExt(".DAT", names);
    if (index < 0 || static_cast<size_t>(index) >= streams.size()) return nullptr;
    return streams[static_cast<size_t>(index)].get();
}

int64_t StatusWords(int64_t statusCount) {
    return (statusCount + 15) / 16;
}

// The samples to write: all, or the view interval's.
void SampleRange(const TComtrade& recording, bool rangeOnly, int32_t& first, int32_t& end) {
    first = 0;
    end = recording.SampleCount();
    if (rangeOnly) {
        first = recording.RateList().SampleAt(recording.ViewParam().ViewBegin);
        end = recording.RateList().SampleAt(recording.ViewParam().ViewEnd);
    }
}

int64_t Stamp(double seconds, double multiplier, int32_t sample, int64_t low, int64_t high) {
    int64_t stamp = 0;
    if (!platform::TryRoundToInt64(seconds / multiplier * 1'000'000.0, stamp) || stamp < low || stamp > high)
        throw Exception("Time stamp out of range for sample " + std::to_string(sample));
    return stamp;
}

// Blanks and control characters at both ends.
std::string_view TrimView(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

// A trimmed integer of the ASCII data file; beyond 32 bits it is no raw value.
int64_t DatInt(std::string_view text, int64_t low = std::numeric_limits<int32_t>::min(),
               int64_t high = std::numeric_limits<int32_t>::max()) {
    std::string_view trimmed = TrimView(text);
    int64_t value = 0;
    bool ok = false;
    if (!trimmed.empty()) {
        const std::string_view digits = trimmed[0] == '+' ? trimmed.substr(1) : trimmed;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        ok = ec == std::errc() && end == digits.data() + digits.size() &&
             !(digits.size() > 0 && digits[0] == '+');
        if (!ok) ok = platform::TryStrToInt(trimmed, value);  // the other spellings an integer may take
    }
    if (!ok || value < low || value > high)
        throw platform::EConvertError("'" + platform::DecodeText8(text) + "' is not a valid integer value");
    return value;
}

// The next line of a text whose lines end with LF, CR LF or CR, as a view into it; false
// past the last line.
bool NextLine(std::string_view text, size_t& position, std::string_view& line) {
    if (position >= text.size()) return false;
    size_t end = position;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    line = text.substr(position, end - position);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    position = end + 1;
    return true;
}

void SplitDatFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string_view DatField(const std::vector<std::string_view>& fields, size_t index) {
    if (index >= fields.size()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return fields[index];
}

// Blanks, control characters and the SUB that ends some files carry no sample.
bool BlankLine(std::string_view line) {
    return TrimView(line).empty();
}

}  // namespace

double SettleTimeMultiplier(TComtrade& recording, const TOnMessage& onMessage) {
    double& multiplier = recording.FileParam().TimeMultiplier;
    if (multiplier != 0 && std::isfinite(multiplier)) return multiplier;
    if (onMessage) onMessage("Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg");
    const TRateList& rates = recording.RateList();
    double fallback = 0;
    if (rates.Count() > 0 && rates.Items(0)->Rate != 0)
        fallback = 1'000'000.0 / rates.Items(0)->Rate;
    else if (recording.SampleCount() > 0)
        fallback = (rates.FGetTime(recording.SampleCount() - 1) - rates.FGetTime(0)) /
                   recording.SampleCount() * 1'000'000.0;
    if (fallback == 0 || !std::isfinite(fallback)) fallback = 1.0;
    multiplier = fallback;
    return multiplier;
}

// ---- BINARY ----

const TBinaryDataFileParser& TBinaryDataFileParser::Instance() {
    static const TBinaryDataFileParser instance;
    return instance;
}

void TBinaryDataFileParser::LoadDataFromStream(TComtrade& recording, const TNameList& names,
                                               const TStreamList& streams, const TOnMessage&) const {
    TMemoryStream* stream = FindDatStream(names, streams);
    if (stream == nullptr)
        throw Exception(ClassName() + ".LoadDataFromStream: " + DataFileParsersText("KEY_DAT_NOT_FOUND"));
    try {
        stream->Seek(0);
        TAnalogList& analogs = recording.AnalogList();
        TCyfrList& status = recording.CyfrList();
        TRateList& rates = recording.RateList();
        const int64_t analogCount = analogs.Count(), statusCount = status.Count();
        const int64_t words = StatusWords(statusCount);
        const int64_t recordLength = 8 + 2 * analogCount + 2 * words;
        // The configuration's count when the file holds that many whole records, else the
        // whole records it holds: what the tables take is bounded by the file.
        const int64_t held = stream->Size() / recordLength;
        int64_t n = rates.LastEndSample();
        if (n == 0 || n > held) n = held;
        recording.SetSampleCount(n);
        const uint8_t* bytes = stream->Memory();
        const bool fromData = rates.TimesFromData();
        TRateClock clock(rates);
        const double multiplier = recording.FileParam().TimeMultiplier;
        std::span<double> times = rates.TimeSpan();
        std::span<int64_t> numbers = rates.SampleNumberSpan();
        for (int64_t first = 0; first < n; first += kBlock) {
            const int64_t last = std::min(n, first + kBlock);
            for (int64_t i = first; i < last; ++i) {
                const uint8_t* record = bytes + i * recordLength;
                const uint32_t number = platform::GetLe<uint32_t>(record);
                if (number != 0) numbers[static_cast<size_t>(i)] = number;
                times[static_cast<size_t>(i)] =
                    fromData ? StampToSeconds(platform::GetLe<uint32_t>(record + 4), multiplier)
                             : clock.TimeOf(i);
            }
            for (int64_t c = 0; c < analogCount; ++c) {
                TAnalogDescr* channel = analogs.Items(static_cast<int>(c));
                const uint8_t* field = bytes + 8 + 2 * c;
                std::span<int32_t> raws = channel->RawSpan();
                if (channel->MemoryFormat() == 0 && raws.size() >= static_cast<size_t>(n)) {
                    for (int64_t i = first; i < last; ++i)
                        raws[static_cast<size_t>(i)] =
                            static_cast<int16_t>(platform::GetLe16(field + i * recordLength));
                } else {
                    for (int64_t i = first; i < last; ++i)
                        channel->SetRaw(static_cast<int32_t>(i),
                                        static_cast<int16_t>(platform::GetLe16(field + i * recordLength)));
                }
            }
            for (int64_t d = 0; d < statusCount; ++d) {
                TCyfrDescr* channel = status.Items(static_cast<int>(d));
                const uint8_t* word = bytes + 8 + 2 * analogCount + 2 * (d / 16);
                const int bit = static_cast<int>(d % 16);
                std::span<uint8_t> bits = channel->BitSpan();
                for (int64_t i = first; i < last; ++i)
                    bits[static_cast<size_t>(i)] =
                        static_cast<uint8_t>(platform::GetLe16(word + i * recordLength) >> bit & 1);
            }
        }
        recording.SetLoadedCount(n);
    } catch (const Exception& e) {
        throw Exception(ClassName() + ".LoadDataStream(): " + e.Message());
    }
}

void TBinaryDataFileParser::SaveDataToStream(TComtrade& recording, const TNameList& names, bool visibleOnly,
                                             bool rangeOnly, const TStreamList& streams,
                                             const TOnMessage& onMessage) const {
    TMemoryStream* stream = FindDatStream(names, streams);
    if (stream == nullptr)
        throw Exception(ClassName() +
                        ".SaveDataToStream: " + DataFileParsersText("KEY_DAT_STREAM_NOT_FOUND"));
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    recording.CollectChannels(visibleOnly, analogs, status);
    int32_t first = 0, end = 0;
    SampleRange(recording, rangeOnly, first, end);
    if (end <= first) return;
    const double multiplier = SettleTimeMultiplier(recording, onMessage);
    const TRateList& rates = recording.RateList();
    const double t0 = rates.FGetTime(first);
    const size_t analogCount = static_cast<size_t>(analogs.Count());
    const size_t words = static_cast<size_t>(StatusWords(status.Count()));
    const size_t recordLength = 8 + 2 * analogCount + 2 * words;
    std::string block;
    block.reserve(recordLength * static_cast<size_t>(std::min<int64_t>(end - first, kBlock)));
    std::vector<uint8_t> record(recordLength);
    stream->Seek(0);
    for (int32_t r = first; r < end; ++r) {
        std::fill(record.begin(), record.end(), 0);
        platform::PutLe<uint32_t>(record.data(), static_cast<uint32_t>(r - first + 1));
        platform::PutLe<uint32_t>(
            record.data() + 4,
            static_cast<uint32_t>(Stamp(rates.FGetTime(r) - t0, multiplier, r, 0, 4'294'967'295LL)));
        for (size_t c = 0; c < analogCount; ++c) {
            int32_t raw = -32768;
            try {
                raw = std::clamp(analogs.Items(static_cast<int>(c))->GetRaw(r), -32768, 32767);
            } catch (const Exception&) {
                raw = -32768;  // 0x8000: no value
            }
            platform::PutLe16(record.data() + 8 + 2 * c, static_cast<uint16_t>(raw));
        }
        for (int d = 0; d < status.Count(); ++d)
            if (status.Items(d)->GetBit(r) != 0)
                record[8 + 2 * analogCount + 2 * (d / 16) + (d % 16) / 8] |=
                    static_cast<uint8_t>(1 << (d % 8));
        block.append(reinterpret_cast<const char*>(record.data()), recordLength);
        if (block.size() >= recordLength * kBlock) {
            stream->Write(block);
            block.clear();
        }
    }
    stream->Write(block);
}

// ---- ASCII ----

const TAsciiDataFileParser& TAsciiDataFileParser::Instance() {
    static const TAsciiDataFileParser instance;
    return instance;
}

void TAsciiDataFileParser::LoadDataFromStream(TComtrade& recording, const TNameList& names,
                                              const TStreamList& streams, const TOnMessage&) const {
    TMemoryStream* stream = FindDatStream(names, streams);
    if (stream == nullptr)
        throw Exception(ClassName() +
                        ".LoadDataFromStream: " + DataFileParsersText("KEY_DAT_STREAM_NOT_FOUND"));
    stream->Seek(0);
    const std::string_view text = stream->Bytes();
    std::string_view line;
    int64_t samples = 0;
    for (size_t at = 0; NextLine(text, at, line);)
        if (!BlankLine(line)) ++samples;
    TRateList& rates = recording.RateList();
    TAnalogList& analogs = recording.AnalogList();
    TCyfrList& status = recording.CyfrList();
    const bool fromData = rates.TimesFromData();
    TRateClock clock(rates);
    const double multiplier = recording.FileParam().TimeMultiplier;
    const size_t analogCount = static_cast<size_t>(analogs.Count());
    std::vector<std::string_view> fields;
    int32_t k = 0;  // the sample of the line
    // The recording ends up holding the samples read: all of them, or those before a bad line.
    const auto keepRead = [&] {
        recording.SetSampleCount(k);
        recording.SetLoadedCount(k);
    };
    size_t i = 0;  // the line, blank lines counted
    for (size_t at = 0; NextLine(text, at, line); ++i) {
        if (BlankLine(line)) continue;
        try {
            // The tables grow with the lines read, so a file of bad lines sizes nothing.
            if (k >= recording.SampleCount())
                recording.SetSampleCount(std::min<int64_t>(2 * int64_t{k} + 16, samples));
            SplitDatFields(line, fields);
            const std::string_view number = TrimView(DatField(fields, 0));
            rates.FSetSamplIdx(k, number.empty() ? int64_t{k} + 1
                                                 : DatInt(number, std::numeric_limits<int64_t>::min(),
                                                          std::numeric_limits<int64_t>::max()));
            double seconds = 0;
            if (fromData) {
                try {
                    seconds = StampToSeconds(
                        static_cast<double>(DatInt(DatField(fields, 1), std::numeric_limits<int64_t>::min(),
                                                   std::numeric_limits<int64_t>::max())),
                        multiplier);
                } catch (const Exception& e) {
                    throw Exception(DataFileParsersText("KEY_READ_SAMP_TIME") + " " + std::to_string(i) +
                                    " " + DataFileParsersText("KEY_ERROR") + e.Message());
                }
            } else {
                seconds = clock.TimeOf(k);
            }
            rates.FSetTime(k, seconds);
            for (size_t c = 0; c < analogCount; ++c)
                analogs.Items(static_cast<int>(c))
                    ->SetRaw(k, static_cast<int32_t>(DatInt(DatField(fields, 2 + c))));
            for (int d = 0; d < status.Count(); ++d)
                status.Items(d)->SetBit(
                    k, DatInt(DatField(fields, 2 + analogCount + static_cast<size_t>(d)),
                              std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()) != 0);
        } catch (const Exception& e) {
            keepRead();
            throw Exception(FormatText(DataFileParsersText("KEY_ERROR_IN_DAT_LINE_us"), {i, e.Message()}));
        }
        ++k;
    }
    keepRead();
}

void TAsciiDataFileParser::SaveDataToStream(TComtrade& recording, const TNameList& names, bool visibleOnly,
                                            bool rangeOnly, const TStreamList& streams,
                                            const TOnMessage& onMessage) const {
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    recording.CollectChannels(visibleOnly, analogs, status);
    const double multiplier = SettleTimeMultiplier(recording, onMessage);
    int32_t first = 0, end = 0;
    SampleRange(recording, rangeOnly, first, end);
    std::string text;
    if (end > first) {
        const TRateList& rates = recording.RateList();
        const double t0 = rates.FGetTime(first);
        const int64_t firstNumber = rates.FGetSamplIdx(first);
        for (int32_t r = first; r < end; ++r) {
            text += std::to_string(rates.FGetSamplIdx(r) - firstNumber + 1);
            text += ',';
            text += std::to_string(Stamp(rates.FGetTime(r) - t0, multiplier, r,
                                         std::numeric_limits<int64_t>::min(),
                                         std::numeric_limits<int64_t>::max()));
            for (const TAnalogDescr* c : analogs) {
                text += ',';
                text += std::to_string(c->GetRaw(r));
            }
            for (const TCyfrDescr* c : status) text += c->GetBit(r) != 0 ? ",1" : ",0";
            text += "\r\n";
        }
    }
    TMemoryStream* stream = FindDatStream(names, streams);
    if (stream == nullptr)
        throw Exception(ClassName() +
                        ".SaveDataToStream: " + DataFileParsersText("KEY_DAT_STREAM_NOT_FOUND"));
    stream->Clear();
    stream->Write(text);
}

}  // namespace dcomp
