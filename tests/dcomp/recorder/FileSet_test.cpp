#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dcomp/recorder/ComtradeInterface.h"
#include "platform/Cp1250.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/recorder/RecorderTest.h"
#include "tests/support/TempDir.h"

namespace {

using namespace dcomp;
using recorder_test::TFileSet;
using recorder_test::TMessages;

// The handler as its callers meet it, through the base class.
const TFileInterface& Handler() {
    return TComtradeInterface::Instance();
}

TUsTime Time(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
             int32_t microsecond) {
    TUsTime t;
    t.Year = year;
    t.Month = month;
    t.Day = day;
    t.Hour = hour;
    t.Minute = minute;
    t.Second = second;
    t.Microsecond = microsecond;
    t.DateValid = t.TimeValid = true;
    return t;
}

// Two analogue and one status channel, 10 samples at 1000 Hz.
std::unique_ptr<TComtrade> SmallRecording(int16_t revision = 1999) {
    auto r = std::make_unique<TComtrade>();
    TObFileParam& p = r->FileParam();
    p.SetStationName("Stacja Łódź");
    p.SetRecDeviceId("R1");
    p.RevisionYear = revision;
    p.LineFrequency = 50;
    p.TimeMultiplier = 1;
    p.StartTime = Time(2020, 1, 5, 10, 20, 30, 7);
    p.TriggerTime = Time(2020, 1, 5, 10, 20, 30, 2007);
    TAnalogDescr* ia = r->AnalogList().Add(0);
    ia->SetChannelId("IA");
    ia->SetPhase("A");
    ia->SetCircuitComponent("Linia 1");
    ia->SetUnits("A");
    ia->Multiplier = 0.5;
    ia->Offset = -1.25;
    ia->Min = -32768;
    ia->Max = 32767;
    ia->Primary = 400;
    ia->Secondary = 5;
    ia->PS = 1;
    ia->PenColor = 255;
    ia->Comment = "faza A";
    TAnalogDescr* ua = r->AnalogList().Add(0);
    ua->SetChannelId("UA");
    ua->SetUnits("kV");
    ua->Multiplier = 0.1;
    ua->Min = -1000;
    ua->Max = 1000;
    ua->Visible = false;
    ua->IsTrigSource = true;
    TCyfrDescr* k1 = r->CyfrList().Add();
    k1->SetChannelId("K1");
    k1->NormalState = 1;
    k1->PenColor = 0x00FF00;
    TRateDescr* s = r->RateList().AddSegment();
    s->Rate = 1000;
    s->SetEndSample(10);
    r->SetSampleCount(10);
    for (int i = 0; i < 10; ++i) {
        ia->SetRaw(i, i * 100 - 300);
        ua->SetRaw(i, -i * 7);
        k1->SetBit(i, i % 3 == 0);
    }
    r->RecAttribs = {"IA>", "próba", 7, true};
    return r;
}

std::string Text(const TMemoryStream& stream) {
    return platform::Cp1250ToUtf8(stream.Bytes());
}

TIniDocument Ini(const TMemoryStream& stream) {
    TIniDocument inf;
    inf.LoadFromText(Text(stream));
    return inf;
}

std::string ErrorOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}

// The four produced streams of a save, by extension.
struct TSaved {
    TNameList Names;
    TStreamList Streams;
    TMemoryStream& Cfg() { return *Streams.at(0); }
    TMemoryStream& Dat() { return *Streams.at(1); }
    TMemoryStream& Hdr() { return *Streams.at(2); }
    TMemoryStream& Inf() { return *Streams.at(3); }
    std::vector<std::string> CfgLines() { return platform::SplitLines(Text(Cfg())); }
};

TSaved Save(TComtrade& recording, bool visibleOnly, bool rangeOnly, const std::string& format,
            const TOnMessage& onMessage = {}) {
    TSaved saved;
    Handler().SaveToStreams(recording, saved.Names, visibleOnly, rangeOnly, format, saved.Streams, onMessage);
    return saved;
}

// A save handed back to the loader under the names a folder would give it.
std::unique_ptr<TComtrade> Reload(TSaved& saved, const TOnMessage& onMessage = {}) {
    TFileSet set;
    const char* names[] = {"r/X.CFG", "r/X.DAT", "r/X.HDR", "r/X.INF"};
    for (size_t i = 0; i < 4; ++i) set.Add(names[i], saved.Streams.at(i)->Bytes());
    auto back = std::make_unique<TComtrade>();
    Handler().LoadFromStreams(*back, set.Names, "", set.Streams, onMessage);
    return back;
}

// A parser that only writes, so that reading with it is refused.
class TWriteOnlyParser : public TComtradeDataFileParser {
public:
    std::string ClassName() const override { return "TWriteOnlyParser"; }
    std::string GetFormatName() const override { return "WRITE_ONLY"; }
    uint8_t GetCapabilities() const override { return kParserCanWrite; }
    void SaveDataToStream(TComtrade&, const TNameList&, bool, bool, const TStreamList&,
                          const TOnMessage&) const override {}
};

// Stands in for the raw packet parser where the readers are not registered.
class TReadOnlyParser : public TComtradeDataFileParser {
public:
    std::string ClassName() const override { return "TReadOnlyParser"; }
    std::string GetFormatName() const override { return "QVX_RAW"; }
    uint8_t GetCapabilities() const override { return kParserCanRead; }
    void LoadDataFromStream(TComtrade&, const TNameList&, const TStreamList&,
                            const TOnMessage&) const override {}
};

class FileSetTest : public recorder_test::TRecorderTest {
protected:
    void SetUp() override {
        TRecorderTest::SetUp();
        static const TWriteOnlyParser writeOnly;
        RegisterDataFileParser(writeOnly);
        static const TReadOnlyParser readOnly;
        if (FindDataFileParser("QVX_RAW") == nullptr) RegisterDataFileParser(readOnly);
    }
    platform_test::TTempDir FDir;
};

// A small configuration of one analogue and one status channel, 3 samples, with the
// given file type line.
std::string SmallCfg(const std::string& fileType) {
    return "S1,R1,1999\r\n2,1A,1D\r\n1,IA,A,,A,0.5,0,0,-32768,32767,1,1,P\r\n1,K1,,,0\r\n50\r\n1\r\n"
           "1000,3\r\n05/01/2020,10:20:30.000000\r\n05/01/2020,10:20:30.001000\r\n" +
           fileType + "\r\n1\r\n";
}

std::string SmallDat() {
    std::string bytes;
    for (int i = 0; i < 3; ++i) {
        const unsigned char record[12] = {static_cast<unsigned char>(i + 1),  0, 0, 0, 0, 0, 0, 0,
                                          static_cast<unsigned char>(10 * i), 0, 1, 0};
        bytes.append(reinterpret_cast<const char*>(record), sizeof record);
    }
    return bytes;
}

// After the units' start-up COMTRADE heads the handler list, before the recorder readers.
TEST_F(FileSetTest, HandlerIsRegisteredFirst) {
    ASSERT_FALSE(FileInterfaceList().empty());
    EXPECT_EQ(FileInterfaceList().front(), &TComtradeInterface::Instance());
    EXPECT_EQ(
        std::count(FileInterfaceList().begin(), FileInterfaceList().end(), &TComtradeInterface::Instance()),
        1);
    const TFileInterface& handler = *FileInterfaceList().front();
    EXPECT_EQ(handler.GetName(), "COMTRADE");
    EXPECT_EQ(handler.GetDescription(), "Plik commtrade");
    EXPECT_EQ(handler.GetFileMask(), "*.cfg;*.zip");
}

TEST_F(FileSetTest, GetFileNamesFindsTheCompanionsIgnoringCase) {
    struct TRow {
        const char* Name;
        std::vector<std::string> Files;  // in the row's folder
        std::string Asked;
        bool ExistingOnly;
        std::vector<std::string> Expected;  // relative to the folder
    };
    const TRow rows[] = {
        {"upper case, existing only",
         {"X.CFG", "X.DAT", "Default.inf"},
         "X.cfg",
         true,
         {"X.CFG", "X.DAT", "Default.inf"}},
        {"upper case, all four",
         {"X.CFG", "X.DAT", "Default.inf"},
         "X.cfg",
         false,
         {"X.CFG", "X.DAT", "X.HDR", "X.INF"}},
        {"lower-case set asked in upper case",
         {"x.cfg", "x.dat", "x.inf", "DEFAULT.INF"},
         "X.CFG",
         true,
         {"x.cfg", "x.dat", "x.inf", "DEFAULT.INF"}},
        {"mixed spellings, the header found",
         {"Rec.Cfg", "rec.dat", "REC.hdr"},
         "rec.cfg",
         true,
         {"Rec.Cfg", "rec.dat", "REC.hdr"}},
        {"the upper-case spelling first", {"X.cfg", "X.CFG", "X.DAT"}, "X.cfg", true, {"X.CFG", "X.DAT"}},
        {"of two other spellings the first in byte order",
         {"x.cfg", "X.cfg", "X.DAT"},
         "X.cfg",
         true,
         {"X.cfg", "X.DAT"}},
        {"nothing there", {}, "none.cfg", true, {"none.CFG", "none.DAT"}},
        {"nothing there, all four", {}, "none.cfg", false, {"none.CFG", "none.DAT", "none.HDR", "none.INF"}},
    };
    int n = 0;
    for (const TRow& row : rows) {
        const std::string dir = FDir.File("row" + std::to_string(n++));
        std::filesystem::create_directories(dir);
        for (const std::string& f : row.Files) FDir.Write(platform::ExtractFileName(dir) + "/" + f, "x");
        TNameList names;
        Handler().GetFileNames(dir + "/" + row.Asked, names, row.ExistingOnly);
        std::vector<std::string> expected;
        for (const std::string& e : row.Expected) expected.push_back(dir + "/" + e);
        EXPECT_EQ(names, expected) << row.Name;
    }
    TNameList names;
    Handler().GetFileNames("", names, false);
    EXPECT_EQ(names, (TNameList{".CFG", ".DAT", ".HDR", ".INF"}));
}

TEST_F(FileSetTest, LoadingFailsWithTheHandlersTexts) {
    struct TRow {
        const char* Name;
        std::vector<std::pair<std::string, std::string>> Files;
        std::string Expected;
    };
    const std::string inf = "[Quarnel RecAttribs]\r\nID=3\r\n";
    const TRow rows[] = {
        {"no configuration, no information file",
         {{"r/X.DAT", SmallDat()}},
         "TComtradeInterface.prvLoadFromStream: *.CFG stream not found"},
        // The folder's defaults are not the set's own information file.
        {"only Default.inf",
         {{"r/X.DAT", SmallDat()}, {"r/Default.inf", inf}},
         "TComtradeInterface.prvLoadFromStream: *.CFG stream not found"},
        {"information file, empty configuration",
         {{"r/X.CFG", ""}, {"r/X.DAT", SmallDat()}, {"r/X.INF", inf}},
         "Unknown data file format: "},
        {"unregistered file type",
         {{"r/X.CFG", SmallCfg("FLOAT32")}, {"r/X.DAT", SmallDat()}},
         "Unknown data file format: FLOAT32"},
        {"file type that cannot be read",
         {{"r/X.CFG", SmallCfg("write_only")}, {"r/X.DAT", SmallDat()}},
         "Read not supported for format :WRITE_ONLY"},
        {"lower-case binary", {{"r/X.CFG", SmallCfg("binary")}, {"r/X.DAT", SmallDat()}}, ""},
    };
    for (const TRow& row : rows) {
        TFileSet set;
        for (const auto& [name, bytes] : row.Files) set.Add(name, bytes);
        TComtrade recording;
        EXPECT_EQ(ErrorOf([&] { Handler().LoadFromStreams(recording, set.Names, "", set.Streams, {}); }),
                  row.Expected)
            << row.Name;
    }
    TFileSet set;
    set.Add("r/X.CFG", SmallCfg("binary")).Add("r/X.DAT", SmallDat());
    TComtrade recording;
    Handler().LoadFromStreams(recording, set.Names, "", set.Streams, {});
    EXPECT_EQ(recording.DataFileFormat(), 1);
    EXPECT_EQ(recording.AnalogList().Items(0)->RawBuffer(), (std::vector<int32_t>{0, 10, 20}));
    EXPECT_EQ(recording.CyfrList().Items(0)->BitBuffer(), (std::vector<uint8_t>{1, 1, 1}));
}

TEST_F(FileSetTest, OwnAttributesWinOverTheDefaults) {
    struct TRow {
        const char* Name;
        std::string OwnInf;  // empty: no own information file
        std::string DefaultInf;
        bool DefaultFirst;
        uint32_t PenColor;
        bool Visible;
        std::string Comment;
        TRecAttribs Attribs;
    };
    const std::string an1 = "[Public Analog_Channel_#1]\r\n";
    const TRow rows[] = {
        {"default colour, own file without it",
         an1 + "Channel_Visible=1\r\n",
         an1 + "Pen_Color=255\r\n",
         false,
         255,
         true,
         "",
         {}},
        {"own colour wins",
         an1 + "Pen_Color=100\r\n",
         an1 + "Pen_Color=255\r\nChannel_Visible=0\r\n",
         false,
         100,
         false,
         "",
         {}},
        {"a comment only in the defaults is dropped",
         an1 + "Pen_Color=1\r\n",
         an1 + "UserWaveComment=domyślny\r\n",
         false,
         1,
         true,
         "",
         {}},
        {"own comment and record attributes",
         an1 + "UserWaveComment=własny\r\n[Quarnel RecAttribs]\r\nTrigSrcDescr=IA>\r\nKomment=k\r\nID=12\r\n"
               "Interrupted=1\r\n",
         "",
         false,
         0,
         true,
         "własny",
         {"IA>", "k", 12, true}},
        {"defaults without an own file stay defaults",
         "",
         an1 + "Pen_Color=255\r\n[Quarnel RecAttribs]\r\nKomment=x\r\nID=5\r\nInterrupted=1\r\n",
         false,
         255,
         true,
         "",
         {}},
        {"defaults named first are not read", "", an1 + "Pen_Color=255\r\n", true, 0, true, "", {}},
        {"system colour", an1 + "Pen_Color=-16777201\r\n", "", false, 0xFF00000Fu, true, "", {}},
    };
    for (const TRow& row : rows) {
        TFileSet set;
        if (row.DefaultFirst) set.Add("r/Default.inf", platform::Utf8ToCp1250(row.DefaultInf));
        set.Add("r/X.CFG", SmallCfg("BINARY")).Add("r/X.DAT", SmallDat());
        if (!row.OwnInf.empty()) set.Add("r/X.INF", platform::Utf8ToCp1250(row.OwnInf));
        if (!row.DefaultFirst && !row.DefaultInf.empty())
            set.Add("r/default.INF", platform::Utf8ToCp1250(row.DefaultInf));
        TComtrade recording;
        recording.RecAttribs = {"old", "old", 99, true};
        Handler().LoadFromStreams(recording, set.Names, "", set.Streams, {});
        const TAnalogDescr& a = *recording.AnalogList().Items(0);
        EXPECT_EQ(a.PenColor, row.PenColor) << row.Name;
        EXPECT_EQ(a.Visible, row.Visible) << row.Name;
        EXPECT_EQ(a.Comment, row.Comment) << row.Name;
        EXPECT_EQ(recording.RecAttribs.TrigSrcDescr, row.Attribs.TrigSrcDescr) << row.Name;
        EXPECT_EQ(recording.RecAttribs.Komment, row.Attribs.Komment) << row.Name;
        EXPECT_EQ(recording.RecAttribs.ID, row.Attribs.ID) << row.Name;
        EXPECT_EQ(recording.RecAttribs.Interrupted, row.Attribs.Interrupted) << row.Name;
        EXPECT_EQ(recording.InfoFile().Empty(), row.OwnInf.empty()) << row.Name;
    }
}

TEST_F(FileSetTest, SavingPicksTheFormat) {
    auto r = SmallRecording();
    r->SetDataFileFormat(0);
    TSaved saved = Save(*r, false, false, "");
    EXPECT_EQ(saved.Names, (TNameList{".CFG", ".DAT", ".HDR", ".INF"}));
    EXPECT_EQ(saved.CfgLines().at(saved.CfgLines().size() - 2), "BINARY");
    EXPECT_EQ(r->DataFileFormat(), 1);
    EXPECT_EQ(saved.Dat().Size(), 10 * (8 + 4 + 2));
    EXPECT_EQ(Ini(saved.Inf()).ReadString("Public File_Description", "File_Type", ""), "BINARY");

    struct TRow {
        std::string Format;
        std::string Error;
    };
    const TRow rows[] = {
        {"QVX_RAW", "Write not supported for format :QVX_RAW"},
        {"binary", "Unknown data file format: binary"},
        {"FLOAT32", "Unknown data file format: FLOAT32"},
    };
    for (const TRow& row : rows) {
        auto rec = SmallRecording();
        rec->SetDataFileFormat(0);
        rec->FileParam().TimeMultiplier = 0;
        TNameList names{"keep"};
        TStreamList streams;
        EXPECT_EQ(
            ErrorOf([&] { Handler().SaveToStreams(*rec, names, false, false, row.Format, streams, {}); }),
            row.Error);
        // Nothing of the recording changed.
        EXPECT_EQ(rec->DataFileFormat(), 0) << row.Format;
        EXPECT_EQ(rec->FileParam().TimeMultiplier, 0) << row.Format;
        EXPECT_EQ(names, TNameList{"keep"});
    }
}

// The information file of a small recording, byte for byte.
TEST_F(FileSetTest, InformationFileText) {
    auto r = SmallRecording();
    r->InfoFile().WriteString("Old", "Key", "dropped");
    TMemoryStream stream("old bytes that are longer than nothing");
    Handler().SaveInfoFile(*r, stream);
    const std::string expected =
        "[Public File_Description]\r\n"
        "Station_Name=Stacja Łódź\r\n"
        "Recording_Device_ID=R1\r\n"
        "Revision_Year=1999\r\n"
        "Total_Channel_Count=3\r\n"
        "Analog_Channel_Count=2\r\n"
        "Status_Channel_Count=1\r\n"
        "Line_Frequency=50\r\n"
        "Sample_Rate_Count=1\r\n"
        "Sample_Rate_#1=1000\r\n"
        "End_Sample_Rate_#1=10\r\n"
        "File_Start_Time=05/01/2020,10:20:30.000007\r\n"
        "Trigger_Time=05/01/2020,10:20:30.002007\r\n"
        "File_Type=ASCII\r\n"
        "Time_Multiplier=1\r\n"
        "\r\n"
        "[Public Analog_Channel_#1]\r\n"
        "Channel_ID=IA\r\n"
        "Phase_ID=A\r\n"
        "Monitored_Component=Linia 1\r\n"
        "Pen_Color=255\r\n"
        "Background_Color=16777215\r\n"
        "Channel_Visible=1\r\n"
        "IsTrigSource=0\r\n"
        "UserWaveComment=faza A\r\n"
        "Channel_Units=A\r\n"
        "Channel_Multiplier=0.5\r\n"
        "Channel_Offset=-1.25\r\n"
        "Channel_Skew=0\r\n"
        "Range_Minimum_Limit_Value=-32768\r\n"
        "Range_Maximum_Limit_Value=32767\r\n"
        "Channel_Ratio_Primary=400\r\n"
        "Channel_Ratio_Secondary=5\r\n"
        "Data_Primary_Secondary=S\r\n"
        "\r\n"
        "[Public Analog_Channel_#2]\r\n"
        "Channel_ID=UA\r\n"
        "Phase_ID=\r\n"
        "Monitored_Component=\r\n"
        "Pen_Color=0\r\n"
        "Background_Color=16777215\r\n"
        "Channel_Visible=0\r\n"
        "IsTrigSource=1\r\n"
        "UserWaveComment=\r\n"
        "Channel_Units=kV\r\n"
        "Channel_Multiplier=0.1\r\n"
        "Channel_Offset=0\r\n"
        "Channel_Skew=0\r\n"
        "Range_Minimum_Limit_Value=-1000\r\n"
        "Range_Maximum_Limit_Value=1000\r\n"
        "Channel_Ratio_Primary=1\r\n"
        "Channel_Ratio_Secondary=1\r\n"
        "Data_Primary_Secondary=P\r\n"
        "\r\n"
        "[Public Status_Channel_#1]\r\n"
        "Channel_ID=K1\r\n"
        "Phase_ID=\r\n"
        "Monitored_Component=\r\n"
        "Pen_Color=65280\r\n"
        "Background_Color=16777215\r\n"
        "Channel_Visible=1\r\n"
        "IsTrigSource=0\r\n"
        "UserWaveComment=\r\n"
        "Normal_State=1\r\n"
        "\r\n"
        "[Quarnel RecAttribs]\r\n"
        "TrigSrcDescr=IA>\r\n"
        "Komment=próba\r\n"
        "ID=7\r\n"
        "Interrupted=1\r\n"
        "\r\n";
    EXPECT_EQ(stream.Bytes(), platform::Utf8ToCp1250(expected));
    EXPECT_EQ(r->InfoFile().SaveToText(), expected);  // the read file is replaced
    EXPECT_EQ(r->InfoFile().Sections(),
              (std::vector<std::string>{"Public File_Description", "Public Analog_Channel_#1",
                                        "Public Analog_Channel_#2", "Public Status_Channel_#1",
                                        "Quarnel RecAttribs"}));
}

TEST_F(FileSetTest, ViewAttributesText) {
    auto r = SmallRecording();
    TMemoryStream stream("old");
    Handler().SaveViewAttributes(*r, stream);
    EXPECT_EQ(
        Text(stream),
        "[Public Analog_Channel_#1]\r\nPen_Color=255\r\nBackground_Color=16777215\r\nChannel_Visible=1\r\n"
        "UserWaveComment=faza A\r\n\r\n"
        "[Public Analog_Channel_#2]\r\nPen_Color=0\r\nBackground_Color=16777215\r\nChannel_Visible=0\r\n"
        "UserWaveComment=\r\n\r\n"
        "[Public Status_Channel_#1]\r\nPen_Color=65280\r\nBackground_Color=16777215\r\nChannel_Visible=1\r\n"
        "UserWaveComment=\r\n\r\n");
    // What it writes is what the loader takes as defaults.
    TFileSet set;
    set.Add("r/X.CFG", SmallCfg("BINARY")).Add("r/X.DAT", SmallDat()).Add("r/Default.inf", stream.Bytes());
    TComtrade back;
    Handler().LoadFromStreams(back, set.Names, "", set.Streams, {});
    EXPECT_EQ(back.AnalogList().Items(0)->PenColor, 255u);
    EXPECT_EQ(back.CyfrList().Items(0)->PenColor, 0x00FF00u);
}

class InfPeerTest : public FileSetTest {};

// Python's configparser, an independent reader, sees the sections and values we read.
TEST_F(InfPeerTest, ConfigParserReadsTheInformationFile) {
    auto r = SmallRecording();
    TSaved saved = Save(*r, false, false, "ASCII");
    const std::string path = FDir.Write("X.INF", saved.Inf().Bytes());
    static const char kReader[] =
        "import configparser,sys\n"
        "c=configparser.ConfigParser(interpolation=None)\n"
        "c.optionxform=str\n"
        "c.read(sys.argv[1],encoding='cp1250')\n"
        "for s in c.sections():\n"
        "  for k,v in c[s].items(): print(s+'|'+k+'|'+v)\n";
    const auto run = dcomp_test::RunProgram({"python3", "-c", kReader, path});
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    std::string ours;
    const TIniDocument inf = Ini(saved.Inf());
    for (const auto& section : inf.SectionList())
        for (const auto& entry : section.Entries)
            ours += section.Name + "|" + entry.Key + "|" + entry.Value + "\n";
    EXPECT_EQ(run.Output, ours);
    EXPECT_NE(run.Output.find("Quarnel RecAttribs|Komment|próba\n"), std::string::npos);
    EXPECT_NE(run.Output.find("Public Analog_Channel_#1|Channel_Multiplier|0.5\n"), std::string::npos);
}

// Saving only the visible channels numbers their sections by the written lists, so each
// reloaded channel gets its own colours.
TEST_F(FileSetTest, VisibleOnlyInformationFileDescribesTheWrittenChannels) {
    auto r = SmallRecording();
    TAnalogDescr* third = r->AnalogList().Add(0);
    third->SetChannelId("IB");
    third->Multiplier = 1;
    third->PenColor = 0x123456;
    third->Comment = "trzeci";
    TSaved saved = Save(*r, true, false, "BINARY");
    const TIniDocument inf = Ini(saved.Inf());
    EXPECT_EQ(inf.ReadInteger("Public File_Description", "Total_Channel_Count", -1), 3);
    EXPECT_EQ(inf.ReadInteger("Public File_Description", "Analog_Channel_Count", -1), 2);
    EXPECT_EQ(inf.ReadString("Public Analog_Channel_#2", "Channel_ID", ""), "IB");
    EXPECT_FALSE(inf.SectionExists("Public Analog_Channel_#3"));

    auto back = Reload(saved);
    ASSERT_EQ(back->AnalogList().Count(), 2);
    EXPECT_EQ(back->AnalogList().Items(1)->ChannelId(), "IB");
    EXPECT_EQ(back->AnalogList().Items(1)->PenColor, 0x123456u);
    EXPECT_TRUE(back->AnalogList().Items(1)->Visible);
    EXPECT_EQ(back->AnalogList().Items(1)->Comment, "trzeci");
    EXPECT_EQ(back->AnalogList().Items(0)->Comment, "faza A");
}

// The information file's start time is the first written sample's, as in the configuration.
TEST_F(FileSetTest, FileStartTimeIsTheFirstWrittenSample) {
    struct TRow {
        const char* Name;
        double ViewBegin, ViewEnd;
        bool RangeOnly;
        std::string Start;
        int Samples;
    };
    const TRow rows[] = {
        {"unset view, whole", -1, -1, false, "05/01/2020,10:20:30.000007", 10},
        {"set view, whole", 0.004, 0.008, false, "05/01/2020,10:20:30.000007", 10},
        {"set view, range", 0.004, 0.008, true, "05/01/2020,10:20:30.004007", 4},
        // An unset view selects nothing to cut: the whole recording is saved.
        {"unset view, range", -1, -1, true, "05/01/2020,10:20:30.000007", 10},
        {"half-set view, range", 0.004, -1, true, "05/01/2020,10:20:30.000007", 10},
    };
    for (const TRow& row : rows) {
        for (const char* format : {"BINARY", "ASCII"}) {
            auto r = SmallRecording();
            r->ViewParam().ViewBegin = row.ViewBegin;
            r->ViewParam().ViewEnd = row.ViewEnd;
            TSaved saved = Save(*r, false, row.RangeOnly, format);
            const auto cfg = saved.CfgLines();
            EXPECT_EQ(Ini(saved.Inf()).ReadString("Public File_Description", "File_Start_Time", ""),
                      row.Start)
                << row.Name;
            auto back = Reload(saved);
            EXPECT_EQ(back->FileParam().StartTime.FormatCfg(), row.Start) << row.Name << " " << format;
            ASSERT_EQ(back->SampleCount(), row.Samples) << row.Name << " " << format;
            const int first = row.Samples == 10 ? 0 : 4;
            for (int i = 0; i < row.Samples; ++i)
                EXPECT_EQ(back->AnalogList().Items(0)->GetRaw(i),
                          r->AnalogList().Items(0)->GetRaw(first + i));
        }
    }
}

// A missing time multiplier is settled before the configuration is written, once.
TEST_F(FileSetTest, MissingTimeMultiplierIsSettledBeforeTheConfiguration) {
    for (const char* format : {"ASCII", "BINARY"}) {
        auto r = SmallRecording();
        r->FileParam().TimeMultiplier = 0;
        TMessages messages;
        TSaved saved = Save(*r, false, false, format, messages.Callback());
        EXPECT_EQ(messages.Texts,
                  (std::vector<std::string>{"Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"}))
            << format;
        EXPECT_EQ(saved.CfgLines().back(), "1000.000000000000") << format;
        EXPECT_EQ(r->FileParam().TimeMultiplier, 1000);
        EXPECT_EQ(Ini(saved.Inf()).ReadString("Public File_Description", "Time_Multiplier", ""), "1000");
        auto back = Reload(saved);
        EXPECT_EQ(back->FileParam().TimeMultiplier, 1000);
    }
    // The ASCII data carries stamps in units of that multiplier: 1 ms steps.
    auto r = SmallRecording();
    r->FileParam().TimeMultiplier = 0;
    TSaved saved = Save(*r, false, false, "ASCII");
    EXPECT_EQ(platform::SplitLines(Text(saved.Dat())).at(3), "4,3,0,-21,1");
}

// The 1991 layout writes the month first and reads it back so.
TEST_F(FileSetTest, Layout1991KeepsTheDate) {
    auto r = SmallRecording(0);
    TSaved saved = Save(*r, false, false, "ASCII");
    EXPECT_EQ(saved.CfgLines().at(0), "Stacja Łódź,R1,0000");
    auto back = Reload(saved);
    EXPECT_EQ(back->FileParam().RevisionYear, 0);
    EXPECT_EQ(back->FileParam().StartTime.Day, 5);
    EXPECT_EQ(back->FileParam().StartTime.Month, 1);
    EXPECT_EQ(back->FileParam().StartTime.Year, 2020);
    EXPECT_EQ(back->FileParam().TriggerTime.FormatCfg(), "05/01/2020,10:20:30.002007");
}

TEST_F(FileSetTest, CanLoadReadsTheConfigurationOnly) {
    struct TRow {
        const char* Name;
        std::string Bytes;
        bool Expected;
    };
    const TRow rows[] = {
        {"configuration", SmallCfg("BINARY"), true},
        {"unknown file type still a configuration", SmallCfg("FLOAT32"), true},
        {"data file", SmallDat(), false},
        {"empty", "", false},
        {"cut after line 2", "S1,R1,1999\r\n2,1A,1D\r\n", false},
    };
    for (const TRow& row : rows) {
        TMemoryStream stream(row.Bytes);
        EXPECT_EQ(Handler().CanLoad(stream, {}), row.Expected) << row.Name;
    }
}

// A save that fails leaves the files of the set as they were.
TEST_F(FileSetTest, FailedSaveKeepsTheOldFiles) {
    auto r = SmallRecording();
    const std::string path = FDir.File("X.cfg");
    SaveComtradeFiles(path, *r, false, false, "BINARY", {});
    std::string cfg, dat;
    ASSERT_TRUE(platform::ReadWholeFile(FDir.File("X.CFG"), cfg));
    ASSERT_TRUE(platform::ReadWholeFile(FDir.File("X.DAT"), dat));
    for (const char* format : {"NOPE", "QVX_RAW"}) {
        auto other = SmallRecording();
        other->AnalogList().Items(0)->SetRaw(0, 1234);
        EXPECT_THROW(SaveComtradeFiles(path, *other, false, false, format, {}), platform::Exception);
        std::string cfgAfter, datAfter;
        ASSERT_TRUE(platform::ReadWholeFile(FDir.File("X.CFG"), cfgAfter));
        ASSERT_TRUE(platform::ReadWholeFile(FDir.File("X.DAT"), datAfter));
        EXPECT_EQ(cfgAfter, cfg);
        EXPECT_EQ(datAfter, dat);
    }
    // The saved set loads back through the folder.
    TComtrade back;
    LoadComtradeFiles(FDir.File("x.CFG"), back, {});
    EXPECT_EQ(back.AnalogList().Items(1)->RawBuffer(), r->AnalogList().Items(1)->RawBuffer());
    EXPECT_EQ(back.RecAttribs.Komment, "próba");
    EXPECT_FALSE(back.AnalogList().Items(1)->Visible);
    // A second load into the same recording replaces the first.
    LoadComtradeFiles(FDir.File("X.cfg"), back, {});
    EXPECT_EQ(back.AnalogList().Count(), 2);
    EXPECT_EQ(back.CyfrList().Count(), 1);
    EXPECT_EQ(back.RateList().Count(), 1);
}

}  // namespace
