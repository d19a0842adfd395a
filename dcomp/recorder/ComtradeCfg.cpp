#include "dcomp/recorder/ComtradeCfg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/Cp1250.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

using platform::Exception;

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        if (comma == std::string::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

// Field n counted from 1.
const std::string& Field(const std::vector<std::string>& fields, size_t n) {
    if (n < 1 || n > fields.size())
        throw Exception("List index out of bounds (" + std::to_string(n - 1) + ")");
    return fields[n - 1];
}

double ToFloat(const std::string& text) {
    double value = 0;
    if (!platform::TryStrToFloat(platform::Trim(text), value, ComtradeFormatSettings()) ||
        !std::isfinite(value))
        throw platform::EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

double ToFloatDef(const std::string& text, double def) {
    double value = 0;
    return platform::TryStrToFloat(platform::Trim(text), value, ComtradeFormatSettings()) &&
                   std::isfinite(value)
               ? value
               : def;
}

int64_t ToInt(const std::string& text, int64_t low = std::numeric_limits<int32_t>::min(),
              int64_t high = std::numeric_limits<int32_t>::max()) {
    int64_t value = 0;
    const std::string trimmed = platform::Trim(text);
    if (trimmed.empty() || !platform::TryStrToInt(trimmed, value) || value < low || value > high)
        throw platform::EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

// A float limit rounded halves to even, clamped to 32 bits.
int32_t ToLimit(const std::string& text) {
    const double v = platform::RoundHalfEven(ToFloat(text));
    return static_cast<int32_t>(
        std::clamp<double>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool Layout1991(int revision) {
    return revision == 0 || revision == 1;
}

std::string NoCommas(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string Fixed(double value, int decimals) {
    return platform::FormatFixed(value, decimals, ComtradeFormatSettings());
}

std::string Padded(uint64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// 1,000,000 / rate, failing where a rate of 0 leaves nothing to divide by.
double MultiplierFromRate(const TComtrade& recording) {
    const double rate = recording.RateList().Items(0)->Rate;
    if (rate == 0) throw Exception("Floating point division by zero");
    return 1'000'000.0 / rate;
}

// The 1991 layout writes the month first, as its readers expect.
std::string FormatCfgTime(const TUsTime& time, bool layout1991) {
    std::string text = time.FormatCfg();
    if (layout1991) {
        std::swap(text[0], text[3]);
        std::swap(text[1], text[4]);
    }
    return text;
}

}  // namespace

void TSourceList::LoadFromBytes(std::string_view bytes) {
    Lines = platform::SplitLines(platform::DecodeText8(bytes));
    Counter = 0;
}

std::string TSourceList::NextLine() {
    if (AtEnd()) {
        ++Counter;
        throw Exception("Unexpected end of file");
    }
    return platform::Trim(Lines[static_cast<size_t>(Counter++)]);
}

const TComtradeInterface& TComtradeInterface::Instance() {
    static const TComtradeInterface instance;
    return instance;
}

void TComtradeInterface::ReadCfg(TComtrade& recording, TMemoryStream& stream, const TOnMessage& onMessage) {
    const auto message = [&](const std::string& text) {
        if (onMessage) onMessage(text);
    };
    TSourceList source;
    source.LoadFromBytes(stream.Bytes());
    TObFileParam& param = recording.FileParam();
    try {
        // 1. station, device, revision
        auto fields = SplitFields(source.NextLine());
        param.SetStationName(Field(fields, 1));
        param.SetRecDeviceId(Field(fields, 2));
        param.RevisionYear = 0;
        if (fields.size() >= 3) {
            int64_t revision = 0;
            const std::string text = platform::Trim(fields[2]);
            const bool isInt = !text.empty() && platform::TryStrToInt(text, revision) &&
                               revision >= std::numeric_limits<int16_t>::min() &&
                               revision <= std::numeric_limits<int16_t>::max();
            param.RevisionYear = static_cast<int16_t>(isInt ? revision : 1997);
        }
        const int revision = param.RevisionYear;
        const bool old = Layout1991(revision);
        if (old) platform::AppFormatSettings().ShortDateFormat = "mm/dd/yy";

        // 2. channel counts
        fields = SplitFields(source.NextLine());
        const int64_t total = ToInt(Field(fields, 1), 0, std::numeric_limits<int32_t>::max());
        const auto count = [&](size_t n, char letter) {
            const std::string text = platform::Trim(Field(fields, n));
            if (text.empty() || text.back() != letter) throw Exception("");
            int64_t value = 0;
            const std::string number = platform::Trim(text.substr(0, text.size() - 1));
            if (number.empty() || !platform::TryStrToInt(number, value) || value < 0 ||
                value > std::numeric_limits<int32_t>::max())
                throw Exception("");
            return value;
        };
        const int64_t analogCount = count(2, 'A');
        const int64_t statusCount = count(3, 'D');
        if (analogCount + statusCount != total)
            throw Exception("Nie zgadza się ilość kanałów analogowych,cyfrowych i ich suma");

        // 3. analogue channels. Each is added with the number Add would give it (the
        // largest so far + 1, kept as we go rather than found by scanning the list each
        // time), so a line that fails leaves the channel numbered as Add numbers it.
        int32_t largest = recording.AnalogList().MaxNumber();
        for (int64_t i = 0; i < analogCount; ++i) {
            fields = SplitFields(source.NextLine());
            TAnalogDescr* c = recording.AnalogList().AddNumbered(0, TAnalogList::NumberAfter(largest));
            c->Number = static_cast<int32_t>(ToInt(Field(fields, 1)));
            largest = std::max(largest, c->Number);
            c->SetChannelId(Field(fields, 2));
            c->SetPhase(Field(fields, 3));
            c->SetCircuitComponent(Field(fields, 4));
            c->SetUnits(Field(fields, 5));
            c->Multiplier = ToFloat(Field(fields, 6));
            if (fields.size() >= 7 && !platform::Trim(fields[6]).empty()) c->Offset = ToFloat(fields[6]);
            if (fields.size() >= 8) c->Skew = ToFloatDef(fields[7], 0);
            c->Min = fields.size() >= 9 ? ToLimit(fields[8]) : -32768;
            c->Max = fields.size() >= 10 ? ToLimit(fields[9]) : 32767;
            if (!old) {
                c->Primary = ToFloat(Field(fields, 11));
                if (c->Primary == 0)
                    message("Comtrade warning : PrimaryRange=0 for signal " + c->ChannelId());
                c->Secondary = ToFloat(Field(fields, 12));
                if (c->Secondary == 0)
                    message("Comtrade warning : SecondaryRange=0 for signal " + c->ChannelId());
                if (fields.size() < 13) throw Exception("Brak informacji - [Primary/Secoundary]");
                const std::string ps = UpperFold(platform::Trim(fields[12]));
                if (ps.empty())
                    throw Exception("Błędne informacje [Primary/Secoundary] dozwolone parametry to P lub S");
                if (ps[0] == 'P')
                    c->PS = 0;
                else if (ps[0] == 'S')
                    c->PS = 1;
                else
                    throw Exception("");
            } else {
                c->Primary = fields.size() >= 11 ? ToFloat(fields[10]) : c->Max * c->Multiplier;
                c->Secondary = c->Primary;
                c->PS = 0;
            }
        }

        // 4. status channels, numbered as the analogue ones
        largest = recording.CyfrList().MaxNumber();
        for (int64_t i = 0; i < statusCount; ++i) {
            fields = SplitFields(source.NextLine());
            TCyfrDescr* c = recording.CyfrList().AddNumbered(TCyfrList::NumberAfter(largest));
            c->Number = static_cast<int32_t>(ToInt(Field(fields, 1)));
            largest = std::max(largest, c->Number);
            c->SetChannelId(Field(fields, 2));
            if (revision == 0) continue;
            size_t stateField = 3;
            if (revision != 1) {
                if (fields.size() >= 3) c->SetPhase(fields[2]);
                if (fields.size() >= 4) c->SetCircuitComponent(fields[3]);
                stateField = std::max<size_t>(fields.size(), 3);
            }
            if (stateField > fields.size()) throw Exception("Brak pola \"Nominal state\"");
            const std::string state = platform::Trim(fields[stateField - 1]);
            if (state.empty() || state[0] == '0')
                c->NormalState = 0;
            else if (state[0] == '1')
                c->NormalState = 1;
            else
                throw Exception("Zła wartość w polu \"Nominal state\"");
        }

        // 5. line frequency
        recording.FileParam().LineFrequency = ToFloatDef(source.NextLine(), 50);

        // 6. sampling rates
        const int64_t rates = ToInt(source.NextLine(), std::numeric_limits<int64_t>::min(),
                                    std::numeric_limits<int64_t>::max());
        if (rates < 1) {
            fields = SplitFields(source.NextLine());
            TRateDescr* s = recording.RateList().AddSegment();
            s->Rate = 0;
            s->SetEndSample(0);
            if (fields.size() >= 2) s->SetEndSample(ToInt(fields[1], 0, std::numeric_limits<int64_t>::max()));
        } else {
            for (int64_t i = 0; i < rates; ++i) {
                fields = SplitFields(source.NextLine());
                TRateDescr* s = recording.RateList().AddSegment();
                s->Rate = ToFloat(Field(fields, 1));
                s->SetEndSample(ToInt(Field(fields, 2), 0, std::numeric_limits<int64_t>::max()));
            }
        }
        // With the tables deferred (a file set's reading) the data file sizes them.
        const int64_t last = recording.RateList().LastEndSample();
        if (last > 0 && !recording.RateList().TablesDeferred()) recording.SetSampleCount(last);

        // 7, 8. first-sample and trigger times
        fields = SplitFields(source.NextLine());
        param.StartTime.ParseDate(Field(fields, 1), revision);
        param.StartTime.ParseTime(Field(fields, 2), revision);
        fields = SplitFields(source.NextLine());
        param.TriggerTime.ParseDate(Field(fields, 1), revision);
        param.TriggerTime.ParseTime(Field(fields, 2), revision);

        // 9. data file type
        DataFileFormat = platform::UpperCase(source.NextLine());
        recording.SetDataFileFormat(DataFileFormat == kDataFileFormatNames[0] ? 0 : 1);

        // 10. time multiplier
        if (old) {
            param.TimeMultiplier = MultiplierFromRate(recording);
        } else {
            double multiplier = 0;
            bool read = false;
            if (!source.AtEnd())
                read = platform::TryStrToFloat(source.NextLine(), multiplier, ComtradeFormatSettings()) &&
                       std::isfinite(multiplier);
            if (!read) {
                message("Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg");
                multiplier = MultiplierFromRate(recording);
            }
            param.TimeMultiplier = multiplier;
        }
    } catch (const Exception& e) {
        throw Exception("Błąd w " + std::to_string(source.Counter) + " linii pliku .cfg : " + e.Message());
    }
}

void TComtradeInterface::WriteCfg(const TComtrade& recording, std::vector<std::string>& lines,
                                  const TCyfrList& statusChannels, const TAnalogList& analogChannels,
                                  int64_t endIndex, int64_t firstIndex, uint8_t formatByte) const {
    const TObFileParam& param = recording.FileParam();
    const bool old = Layout1991(param.RevisionYear);
    if (old) platform::AppFormatSettings().ShortDateFormat = "mm/dd/yy";
    const auto join = [](const std::vector<std::string>& fields) {
        std::string line;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0) line += ',';
            line += NoCommas(fields[i]);
        }
        return line;
    };

    lines.push_back(NoCommas(param.StationName()) + "," + NoCommas(param.RecDeviceId()) + "," +
                    Padded(static_cast<uint32_t>(int32_t{param.RevisionYear}), 4));
    lines.push_back(std::to_string(analogChannels.Count() + statusChannels.Count()) + "," +
                    Padded(static_cast<uint64_t>(analogChannels.Count()), 2) + "A," +
                    Padded(static_cast<uint64_t>(statusChannels.Count()), 2) + "D");
    for (const TAnalogDescr* c : analogChannels) {
        std::vector<std::string> f = {std::to_string(c->Number), c->ChannelId(),     c->Phase(),
                                      c->CircuitComponent(),     c->Units(),         Fixed(c->Multiplier, 16),
                                      Fixed(c->Offset, 16),      Fixed(c->Skew, 16), std::to_string(c->Min),
                                      std::to_string(c->Max)};
        if (!old) {
            f.push_back(Fixed(c->Primary, 16));
            f.push_back(Fixed(c->Secondary, 16));
            f.push_back(kPSNames[c->PS == 1 ? 1 : 0]);
        } else {
            int64_t ratio = 0;
            if (!platform::TryRoundToInt64(c->Primary / c->Secondary, ratio)) ratio = 0;
            f.push_back(std::to_string(ratio));
        }
        lines.push_back(join(f));
    }
    for (const TCyfrDescr* c : statusChannels) {
        std::vector<std::string> f = {std::to_string(c->Number), c->ChannelId()};
        if (!old) {
            f.push_back(c->Phase());
            f.push_back(c->CircuitComponent());
        }
        f.push_back(c->NormalState != 0 ? "1" : "0");
        lines.push_back(join(f));
    }
    lines.push_back(Fixed(param.LineFrequency, 0));

    const TRateList& rates = recording.RateList();
    if (rates.Count() == 0 || (rates.Count() == 1 && rates.Items(0)->Rate == 0)) {
        if (endIndex <= 0) endIndex = recording.SampleCount();
        lines.push_back("0");
        lines.push_back("0," + std::to_string(std::max<int64_t>(endIndex - firstIndex, 0)));
    } else {
        std::vector<std::string> segments;
        for (int i = 0; i < rates.Count(); ++i) {
            const TRateDescr* s = rates.Items(i);
            const int64_t previous = i == 0 ? 0 : rates.Items(i - 1)->EndSample();
            if (s->EndSample() > firstIndex && previous < endIndex)
                segments.push_back(Fixed(s->Rate, 3) + "," +
                                   std::to_string(std::min(s->EndSample(), endIndex) - firstIndex));
        }
        lines.push_back(std::to_string(segments.size()));
        lines.insert(lines.end(), segments.begin(), segments.end());
    }

    TUsTime start = param.StartTime;
    if (firstIndex > 0) {
        int64_t shift = 0;
        if (platform::TryRoundToInt64(rates.FGetTime(static_cast<int32_t>(firstIndex)) * 1'000'000.0,
                                      shift)) {
            try {
                start.AddMicroseconds(shift);
            } catch (const platform::EConvertError&) {
                start = param.StartTime;  // a time that cannot move is written as it is
            }
        }
    }
    lines.push_back(FormatCfgTime(start, old));
    lines.push_back(FormatCfgTime(param.TriggerTime, old));
    if (formatByte <= 1) lines.push_back(kDataFileFormatNames[formatByte]);
    if (!old) lines.push_back(Fixed(param.TimeMultiplier, 12));
}

void TComtradeInterface::WriteCfgToStream(const TComtrade& recording, TMemoryStream& stream,
                                          const TCyfrList& statusChannels, const TAnalogList& analogChannels,
                                          int64_t endIndex, int64_t firstIndex, uint8_t formatByte) const {
    std::vector<std::string> lines;
    WriteCfg(recording, lines, statusChannels, analogChannels, endIndex, firstIndex, formatByte);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    stream.Clear();
    stream.Write(platform::Utf8ToCp1250(text));
}

}  // namespace dcomp
