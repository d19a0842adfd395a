#include "dcomp/recorder/ComtradeInterface.h"

#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>
#include <system_error>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/recorder/ComtradeDatParsers.h"
#include "platform/Cp1250.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

using platform::Exception;

constexpr const char* kCompanionExts[] = {".CFG", ".DAT", ".HDR", ".INF"};

// The existing entry of the folder whose name equals the path's name ignoring letter
// case, the exact spelling first; empty when none.
std::string ExistingSpelling(const std::string& path) {
    if (platform::FileExists(path)) return path;
    const std::string dir = platform::ExtractFileDir(path);
    const std::string wanted = UpperFold(platform::ExtractFileName(path));
    std::string best;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Of several spellings the first in byte order, so the choice does not depend on
        // the order the folder lists them in.
        if (UpperFold(name) == wanted && (best.empty() || name < best)) best = name;
    }
    if (best.empty()) return "";
    return dir.empty() ? best : platform::JoinPath(dir, best);
}

TMemoryStream* StreamAt(const TStreamList& streams, int index) {
    if (index < 0 || static_cast<size_t>(index) >= streams.size()) return nullptr;
    return streams[static_cast<size_t>(index)].get();
}

bool HasBytes(const TMemoryStream* stream) {
    return stream != nullptr && stream->Size() > 0;
}

// The set's own information file: an ".INF" entry that is not the folder's defaults.
int OwnInfIndex(const TNameList& names) {
    TNameList own = names;
    for (std::string& name : own)
        if (IndexOfFileByName(kDefaultInfName, TNameList{name}) == 0) name.clear();
    return IndexOfFileByExt(".INF", own);
}

std::string Section(const char* prefix, int position) {
    return prefix + std::to_string(position);
}

// A colour as the INI files keep it: a signed 32-bit number (system colours are
// negative), unsigned accepted too; anything else keeps the current colour.
uint32_t ReadColor(const TIniDocument& inf, const std::string& section, const char* key, uint32_t current) {
    const int64_t value = inf.ReadInteger(section, key, static_cast<int32_t>(current));
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<uint32_t>::max())
        return current;
    return static_cast<uint32_t>(value);
}

void ApplyChannel(const TIniDocument& inf, const std::string& section, TSygDescr& channel) {
    channel.PenColor = ReadColor(inf, section, "Pen_Color", channel.PenColor);
    channel.BackgroundColor = ReadColor(inf, section, "Background_Color", channel.BackgroundColor);
    channel.Visible = inf.ReadInteger(section, "Channel_Visible", channel.Visible ? 1 : 0) != 0;
    channel.Comment = inf.ReadString(section, "UserWaveComment", "");
}

void ApplyViewAttributes(const TIniDocument& inf, TComtrade& recording) {
    int position = 1;
    for (TAnalogDescr* c : recording.AnalogList())
        ApplyChannel(inf, Section(kInfAnalogChannel, position++), *c);
    position = 1;
    for (TCyfrDescr* c : recording.CyfrList()) ApplyChannel(inf, Section(kInfStatusChannel, position++), *c);
}

void WriteViewAttributes(TIniDocument& inf, const std::string& section, const TSygDescr& channel) {
    inf.WriteInteger(section, "Pen_Color", static_cast<int32_t>(channel.PenColor));
    inf.WriteInteger(section, "Background_Color", static_cast<int32_t>(channel.BackgroundColor));
    inf.WriteBool(section, "Channel_Visible", channel.Visible);
}

// The keys every channel section starts with.
void WriteCommonKeys(TIniDocument& inf, const std::string& section, const TSygDescr& channel) {
    inf.WriteString(section, "Channel_ID", channel.ChannelId());
    inf.WriteString(section, "Phase_ID", channel.Phase());
    inf.WriteString(section, "Monitored_Component", channel.CircuitComponent());
    WriteViewAttributes(inf, section, channel);
    inf.WriteBool(section, "IsTrigSource", channel.IsTrigSource);
    inf.WriteString(section, "UserWaveComment", channel.Comment);
}

std::string SaveText(const TIniDocument& inf) {
    return platform::Utf8ToCp1250(inf.SaveToText());
}

// The time of the first written sample, as the configuration writes it.
TUsTime FirstSampleTime(const TComtrade& recording, int32_t firstIndex) {
    TUsTime start = recording.FileParam().StartTime;
    if (firstIndex <= 0) return start;
    int64_t shift = 0;
    if (!platform::TryRoundToInt64(recording.RateList().FGetTime(firstIndex) * 1'000'000.0, shift))
        return start;
    try {
        start.AddMicroseconds(shift);
    } catch (const platform::EConvertError&) {
        return recording.FileParam().StartTime;
    }
    return start;
}

TOnMessage OrNoop(const TOnMessage& onMessage) {
    if (onMessage) return onMessage;
    return [](const std::string&) {};
}

void WriteInfoFile(const TComtrade& recording, const TAnalogList& analogs, const TCyfrList& status,
                   const TUsTime& fileStart, TIniDocument& inf) {
    inf.Clear();
    const TObFileParam& param = recording.FileParam();
    const TRateList& rates = recording.RateList();
    const char* fd = kInfFileDescription;
    inf.WriteString(fd, "Station_Name", param.StationName());
    inf.WriteString(fd, "Recording_Device_ID", param.RecDeviceId());
    inf.WriteInteger(fd, "Revision_Year", param.RevisionYear);
    inf.WriteInteger(fd, "Total_Channel_Count", analogs.Count() + status.Count());
    inf.WriteInteger(fd, "Analog_Channel_Count", analogs.Count());
    inf.WriteInteger(fd, "Status_Channel_Count", status.Count());
    inf.WriteFloat(fd, "Line_Frequency", param.LineFrequency);
    inf.WriteInteger(fd, "Sample_Rate_Count", rates.Count());
    for (int i = 0; i < rates.Count(); ++i) {
        const std::string n = std::to_string(i + 1);
        inf.WriteFloat(fd, "Sample_Rate_#" + n, rates.Items(i)->Rate);
        inf.WriteInteger(fd, "End_Sample_Rate_#" + n, rates.Items(i)->EndSample());
    }
    inf.WriteString(fd, "File_Start_Time", fileStart.FormatCfg());
    inf.WriteString(fd, "Trigger_Time", param.TriggerTime.FormatCfg());
    inf.WriteString(fd, "File_Type", kDataFileFormatNames[recording.DataFileFormat() == 0 ? 0 : 1]);
    inf.WriteFloat(fd, "Time_Multiplier", param.TimeMultiplier);

    int position = 1;
    for (const TAnalogDescr* c : analogs) {
        const std::string section = Section(kInfAnalogChannel, position++);
        WriteCommonKeys(inf, section, *c);
        inf.WriteString(section, "Channel_Units", c->Units());
        inf.WriteFloat(section, "Channel_Multiplier", c->Multiplier);
        inf.WriteFloat(section, "Channel_Offset", c->Offset);
        inf.WriteFloat(section, "Channel_Skew", c->Skew);
        inf.WriteInteger(section, "Range_Minimum_Limit_Value", c->Min);
        inf.WriteInteger(section, "Range_Maximum_Limit_Value", c->Max);
        inf.WriteFloat(section, "Channel_Ratio_Primary", c->Primary);
        inf.WriteFloat(section, "Channel_Ratio_Secondary", c->Secondary);
        inf.WriteString(section, "Data_Primary_Secondary", kPSNames[c->PS == 1 ? 1 : 0]);
    }
    position = 1;
    for (const TCyfrDescr* c : status) {
        const std::string section = Section(kInfStatusChannel, position++);
        WriteCommonKeys(inf, section, *c);
        inf.WriteBool(section, "Normal_State", c->NormalState != 0);
    }

    const TRecAttribs& attribs = recording.RecAttribs;
    inf.WriteString(kInfRecAttribs, "TrigSrcDescr", attribs.TrigSrcDescr);
    inf.WriteString(kInfRecAttribs, "Komment", attribs.Komment);
    inf.WriteInteger(kInfRecAttribs, "ID", attribs.ID);
    inf.WriteBool(kInfRecAttribs, "Interrupted", attribs.Interrupted);
}

}  // namespace

void TComtradeInterface::GetFileNames(const std::string& fileName, TNameList& names,
                                      bool existingOnly) const {
    names.clear();
    for (size_t i = 0; i < std::size(kCompanionExts); ++i) {
        const std::string upper = platform::ChangeFileExt(fileName, kCompanionExts[i]);
        const std::string existing = fileName.empty() ? "" : ExistingSpelling(upper);
        // The configuration and the data file are always named; the others when present.
        if (i < 2 || !existingOnly || !existing.empty()) names.push_back(existing.empty() ? upper : existing);
    }
    if (existingOnly && !fileName.empty()) {
        const std::string dir = platform::ExtractFileDir(fileName);
        const std::string defaults =
            ExistingSpelling(dir.empty() ? kDefaultInfName : platform::JoinPath(dir, kDefaultInfName));
        if (!defaults.empty()) names.push_back(defaults);
    }
}

bool TComtradeInterface::CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const {
    try {
        TComtrade recording;
        const TDeferredTables deferred(recording.RateList());  // deciding needs no sample tables
        TComtradeInterface work;
        work.ReadCfg(recording, stream, OrNoop(onMessage));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The selector picks nothing: a set holds one recording.
void TComtradeInterface::LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string&,
                                         const TStreamList& streams, const TOnMessage& onMessageIn) const {
    const TOnMessage onMessage = OrNoop(onMessageIn);
    TComtradeInterface work;
    // The configuration's sample count sizes nothing: the data file's parser sizes the
    // tables by the samples the file holds.
    const TDeferredTables deferred(recording.RateList());

    recording.HeaderText.clear();
    if (const int hdr = IndexOfFileByExt(".HDR", names); hdr >= 0)
        if (const TMemoryStream* stream = StreamAt(streams, hdr))
            recording.HeaderText = platform::SplitLines(platform::DecodeText8(stream->Bytes()));

    recording.InfoFile().Clear();
    const int inf = OwnInfIndex(names);
    if (const TMemoryStream* stream = StreamAt(streams, inf))
        recording.InfoFile().LoadFromText(platform::DecodeText8(stream->Bytes()));

    const int cfg = IndexOfFileByExt(".CFG", names);
    if (TMemoryStream* stream = StreamAt(streams, cfg); HasBytes(stream))
        work.ReadCfg(recording, *stream, onMessage);
    else if (inf < 0)
        throw Exception(ClassName() + ".prvLoadFromStream: *.CFG stream not found");

    const TComtradeDataFileParser* parser = FindDataFileParser(work.DataFileFormat);
    if (parser == nullptr) throw Exception("Unknown data file format: " + work.DataFileFormat);
    if ((parser->GetCapabilities() & kParserCanRead) == 0)
        throw Exception("Read not supported for format :" + work.DataFileFormat);
    parser->LoadDataFromStream(recording, names, streams, onMessage);
    recording.AnalogList().CheckRange(onMessage);

    if (const int defaults = IndexOfFileByName("DEFAULT.INF", names); defaults > 0)
        if (const TMemoryStream* stream = StreamAt(streams, defaults); HasBytes(stream)) {
            TIniDocument defaultInf;
            defaultInf.LoadFromText(platform::DecodeText8(stream->Bytes()));
            ApplyViewAttributes(defaultInf, recording);
        }

    const TIniDocument& own = recording.InfoFile();
    ApplyViewAttributes(own, recording);
    recording.RecAttribs.TrigSrcDescr = own.ReadString(kInfRecAttribs, "TrigSrcDescr", "");
    recording.RecAttribs.Komment = own.ReadString(kInfRecAttribs, "Komment", "");
    const int64_t id = own.ReadInteger(kInfRecAttribs, "ID", 0);
    recording.RecAttribs.ID =
        id < std::numeric_limits<int32_t>::min() || id > std::numeric_limits<int32_t>::max()
            ? 0
            : static_cast<int32_t>(id);
    recording.RecAttribs.Interrupted = own.ReadBool(kInfRecAttribs, "Interrupted", false);
}

void TComtradeInterface::SaveToStreams(TComtrade& recording, TNameList& names, bool visibleOnly,
                                       bool rangeOnly, const std::string& formatName, TStreamList& streams,
                                       const TOnMessage& onMessageIn) const {
    const TOnMessage onMessage = OrNoop(onMessageIn);
    const std::string format = formatName.empty() ? "BINARY" : formatName;
    // Looked up before anything changes, so a failed save leaves the recording as it was.
    const TComtradeDataFileParser* parser = FindDataFileParser(format);
    if (parser == nullptr) throw Exception("Unknown data file format: " + format);
    if ((parser->GetCapabilities() & kParserCanWrite) == 0)
        throw Exception("Write not supported for format :" + format);

    TComtradeInterface work;
    work.DataFileFormat = format;
    const uint8_t formatByte = format == kDataFileFormatNames[0] ? 0 : 1;
    recording.SetDataFileFormat(formatByte);

    GetFileNames("", names, false);
    streams.clear();
    for (size_t i = 0; i < names.size(); ++i) streams.push_back(std::make_unique<TMemoryStream>());

    // An unset view (either end -1) selects nothing: the whole recording is saved.
    const TViewParam& view = recording.ViewParam();
    const bool range = rangeOnly && view.ViewBegin >= 0 && view.ViewEnd >= 0;
    int32_t firstIndex = 0;
    int32_t endIndex = recording.SampleCount();
    if (range) {
        firstIndex = recording.RateList().SampleAt(view.ViewBegin);
        endIndex = recording.RateList().SampleAt(view.ViewEnd);
    }

    recording.AnalogList().ScaleAnalog();
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    recording.CollectChannels(visibleOnly, analogs, status);
    // Settled before the configuration is written, so that it carries the value the data
    // file is written with.
    SettleTimeMultiplier(recording, onMessage);

    work.WriteCfgToStream(recording, *streams[0], status, analogs, endIndex, firstIndex, formatByte);
    parser->SaveDataToStream(recording, names, visibleOnly, range, streams, onMessage);

    if (const int hdr = IndexOfFileByExt(".HDR", names); hdr >= 0 && !recording.HeaderText.empty()) {
        std::string text;
        for (const std::string& line : recording.HeaderText) text += line + "\r\n";
        TMemoryStream& stream = *streams[static_cast<size_t>(hdr)];
        stream.Clear();
        stream.Write(platform::Utf8ToCp1250(text));
    }
    if (const int inf = IndexOfFileByExt(".INF", names); inf >= 0) {
        WriteInfoFile(recording, analogs, status, FirstSampleTime(recording, firstIndex),
                      recording.InfoFile());
        TMemoryStream& stream = *streams[static_cast<size_t>(inf)];
        stream.Clear();
        stream.Write(SaveText(recording.InfoFile()));
    }
}

void TComtradeInterface::SaveInfoFile(TComtrade& recording, TMemoryStream& stream) const {
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    recording.CollectChannels(false, analogs, status);
    WriteInfoFile(recording, analogs, status, recording.FileParam().StartTime, recording.InfoFile());
    stream.Clear();
    stream.Write(SaveText(recording.InfoFile()));
}

void TComtradeInterface::SaveViewAttributes(TComtrade& recording, TMemoryStream& stream) const {
    TIniDocument inf;
    const auto write = [&inf](const std::string& section, const TSygDescr& channel) {
        WriteViewAttributes(inf, section, channel);
        inf.WriteString(section, "UserWaveComment", channel.Comment);
    };
    int position = 1;
    for (const TAnalogDescr* c : recording.AnalogList()) write(Section(kInfAnalogChannel, position++), *c);
    position = 1;
    for (const TCyfrDescr* c : recording.CyfrList()) write(Section(kInfStatusChannel, position++), *c);
    stream.Clear();
    stream.Write(SaveText(inf));
}

void LoadComtradeFiles(const std::string& path, TComtrade& recording, const TOnMessage& onMessage) {
    TNameList names;
    const TComtradeInterface& handler = TComtradeInterface::Instance();
    handler.GetFileNames(path, names, true);
    TStreamList streams;
    for (const std::string& name : names) {
        std::string bytes;
        // A missing companion is an empty stream; the handler says what it lacks.
        if (platform::FileExists(name) && !platform::ReadWholeFile(name, bytes))
            throw Exception("Cannot open file \"" + name + "\"");
        streams.push_back(std::make_unique<TMemoryStream>(std::move(bytes)));
    }
    recording.Clear();
    handler.LoadFromStreams(recording, names, "", streams, onMessage);
}

void SaveComtradeFiles(const std::string& path, TComtrade& recording, bool visibleOnly, bool rangeOnly,
                       const std::string& formatName, const TOnMessage& onMessage) {
    TNameList names;
    TStreamList streams;
    const TComtradeInterface& handler = TComtradeInterface::Instance();
    handler.SaveToStreams(recording, names, visibleOnly, rangeOnly, formatName, streams, onMessage);
    TNameList targets;
    handler.GetFileNames(path, targets, false);
    for (size_t i = 0; i < names.size() && i < streams.size(); ++i) {
        const int target = IndexOfFileByExt(names[i], targets);
        if (target < 0) continue;
        const std::string& file = targets[static_cast<size_t>(target)];
        if (!platform::WriteFileAtomic(file, streams[i]->Bytes()))
            throw Exception("Cannot create file \"" + file + "\"");
    }
}

}  // namespace dcomp
