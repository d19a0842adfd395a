// The recording model, the two registries and their lookups, the memory stream and the
// INI document.
#include <cmath>
#include <limits>

#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/IniDocument.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/recorder/RecorderTest.h"

namespace {

using namespace dcomp;
using recorder_test::TRecorderTest;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}

// Two segments: 1000 Hz to sample 1000, 500 Hz to sample 2000.
void TwoSegments(TComtrade& r) {
    TRateDescr* a = r.RateList().AddSegment();
    a->Rate = 1000;
    a->SetEndSample(1000);
    TRateDescr* b = r.RateList().AddSegment();
    b->Rate = 500;
    b->SetEndSample(2000);
    r.SetSampleCount(2000);
}

TEST_F(TRecorderTest, ClearedRecording) {
    TComtrade r;
    EXPECT_EQ(r.FileParam().RevisionYear, 1997);
    EXPECT_EQ(r.FileParam().LineFrequency, 50.0);
    EXPECT_EQ(r.AnalogList().Count(), 0);
    EXPECT_EQ(r.RateList().Count(), 0);
    EXPECT_TRUE(r.RateList().TimesFromData());
    EXPECT_EQ(r.ViewParam().ViewBegin, -1);
    EXPECT_EQ(r.SampleCount(), 0);
    EXPECT_EQ(ErrorOf([&] { r.SetDataFileFormat(2); }), "Unknown DataFileFormat");
    r.SetDataFileFormat(1);
    EXPECT_EQ(r.DataFileFormat(), 1);
}

TEST_F(TRecorderTest, TextsAreCutByCharacters) {
    TComtrade r;
    TAnalogDescr* a = r.AnalogList().Add();
    const std::string polish70 = std::string(60, 'x') + "ąęść,źżół,ń";  // 71 characters
    a->SetChannelId(polish70);
    EXPECT_EQ(a->ChannelId(), std::string(60, 'x') + "ąęść");
    a->SetChannelId("a,b");
    EXPECT_EQ(a->ChannelId(), "a.b");
    a->SetCircuitComponent("x,y");
    EXPECT_EQ(a->CircuitComponent(), "x.y");
    a->SetUnits(std::string(30, 'u') + "k,Vx");
    EXPECT_EQ(a->Units(), std::string(30, 'u') + "k.");
    a->SetPhase("ŁÓD");
    EXPECT_EQ(a->Phase(), "ŁÓ");
    r.FileParam().SetStationName(std::string(70, 's'));
    EXPECT_EQ(r.FileParam().StationName().size(), 64u);
    EXPECT_EQ(a->GetLabel(), "AN1");
    EXPECT_EQ(r.CyfrList().Add()->GetLabel(), "DG1");
}

TEST_F(TRecorderTest, NewChannelTakesTheRecordingsLengthAndTheNextNumber) {
    TComtrade r;
    TRateDescr* s = r.RateList().AddSegment();
    s->Rate = 1000;
    s->SetEndSample(2000);
    r.SetSampleCount(2000);
    r.AnalogList().Add()->Number = 7;
    TAnalogDescr* a = r.AnalogList().Add();
    EXPECT_EQ(a->Number, 8);
    EXPECT_EQ(a->SampleCount(), 2000);
    EXPECT_EQ(a->GetRaw(1999), 0);
    EXPECT_EQ(r.CyfrList().Add()->SampleCount(), 2000);
    EXPECT_EQ(r.AnalogList().MaxNumber(), 8);
    EXPECT_EQ(ErrorOf([&] { r.AnalogList().Items(2); }), "List index out of bounds (2)");
}

TEST_F(TRecorderTest, RawAndScaledBuffers) {
    TAnalogDescr a(1);
    a.SetSampleCount(4);
    a.Multiplier = 0.5;
    a.Offset = 1;
    a.Min = -100;
    a.Max = 100;
    a.SetRaw(0, 10);
    EXPECT_EQ(a.ValueBuffer()[0], 6.0);
    EXPECT_EQ(a.GetRaw(0), 10);
    a.SetRaw(1, 1000);  // beyond Max
    EXPECT_EQ(a.GetRaw(1), 100);
    a.SetRaw(2, -1000);
    EXPECT_EQ(a.GetRaw(2), -100);
    a.SetRaw(3, 0);
    const_cast<double&>(a.ValueBuffer()[3]) = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(a.GetRaw(3), -32768);
    EXPECT_EQ(ErrorOf([&] { a.GetRaw(4); }), "Index out of buffer range.");
    EXPECT_EQ(ErrorOf([&] { a.SetRaw(-1, 0); }), "Index out of buffer range.");

    const struct {
        double multiplier, offset;
        const char* error;
    } bad[] = {
        {std::numeric_limits<double>::quiet_NaN(), 0, "Channel An3 has NAN Multiplier"},
        {std::numeric_limits<double>::infinity(), 0, "Channel An3 has NAN Multiplier"},
        {0, 0, "Channel An3 invalid Multiplier=0"},
        {1, std::numeric_limits<double>::infinity(), "Channel An3 has NAN offset"},
    };
    a.Number = 3;
    for (const auto& c : bad) {
        a.Multiplier = c.multiplier;
        a.Offset = c.offset;
        EXPECT_EQ(ErrorOf([&] { a.GetRaw(0); }), c.error);
    }

    TAnalogDescr unknown(2);
    EXPECT_EQ(ErrorOf([&] { unknown.SetSampleCount(3); }), "Unknown format of memory for analog buffer.");
    EXPECT_EQ(unknown.SampleCount(), 3);  // set before the check
}

TEST_F(TRecorderTest, ValueModes) {
    TAnalogDescr a;
    a.SetSampleCount(1);
    a.Multiplier = 2;
    a.Offset = 1;
    a.Min = -10;
    a.Max = 10;
    a.Primary = 100;
    a.Secondary = 1;
    a.SetRaw(0, 5);  // value 11
    bool ok = false;
    a.PS = 1;
    EXPECT_EQ(a.GetValue(0, 0, ok), 1100);
    EXPECT_TRUE(ok);
    EXPECT_EQ(a.GetValue(1, 0, ok), 11);
    a.PS = 0;
    EXPECT_EQ(a.GetValue(0, 0, ok), 11);
    EXPECT_EQ(a.GetValue(1, 0, ok), 0.11);
    EXPECT_EQ(a.GetValue(2, 0, ok), 5);
    EXPECT_EQ(a.GetValue(3, 0, ok), 50);  // (5 + 10) × 200 / 20 − 100
    a.Unipolar = true;
    EXPECT_EQ(a.GetValue(3, 0, ok), 75);
    EXPECT_EQ(ErrorOf([&] { a.GetValue(4, 0, ok); }), "Unknown data mode");
    EXPECT_EQ(a.GetValue(0, 1, ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ErrorOf([&] { a.Value(1); }), "Data no Exist");
    a.ValueMode = 2;
    EXPECT_EQ(a.Value(0), 5);
}

TEST_F(TRecorderTest, CheckRangeWidensTheLimitsAndWarns) {
    TComtrade r;
    r.SetSampleCount(3);
    TAnalogDescr* a = r.AnalogList().Add();
    a->SetChannelId("IA");
    a->Min = -5;
    a->Max = 5;
    a->SetRaw(0, 9);
    a->SetRaw(1, -32768);  // 0x8000 is no value
    a->SetRaw(2, -7);
    recorder_test::TMessages messages;
    r.AnalogList().CheckRange(messages.Callback());
    EXPECT_EQ(messages.Texts, (std::vector<std::string>{"Comtrade warning : Data > Max for : IA",
                                                        "Comtrade warning : Data < Min for : IA"}));
    EXPECT_EQ(a->Max, 9);
    EXPECT_EQ(a->Min, -7);
    r.AnalogList().CheckRange({});  // no callback: nothing to say, nothing to fail
}

TEST_F(TRecorderTest, ScaleAnalog) {
    TComtrade r;
    r.SetSampleCount(3);
    TAnalogDescr* a = r.AnalogList().Add();
    a->Multiplier = 1;
    a->Rescale = true;
    a->SetRaw(0, -10);
    a->SetRaw(1, 25);
    a->SetRaw(2, 3);
    TAnalogDescr* kept = r.AnalogList().Add();
    kept->Multiplier = 0.5;
    TAnalogDescr* empty = r.AnalogList().Add();  // multiplier 0, all values 0
    r.AnalogList().ScaleAnalog();
    EXPECT_DOUBLE_EQ(a->Multiplier, 30.0 / 32767);
    EXPECT_DOUBLE_EQ(a->Primary, 30);
    EXPECT_DOUBLE_EQ(a->Secondary, 30);
    EXPECT_EQ(a->PS, 1);
    EXPECT_EQ(a->Max, 32767);
    EXPECT_EQ(a->Min, -32768);
    EXPECT_EQ(kept->Multiplier, 0.5);
    EXPECT_DOUBLE_EQ(empty->Multiplier, 1.2 / 32767);
}

TEST_F(TRecorderTest, TwoSegmentsTimes) {
    TComtrade r;
    TwoSegments(r);
    const TRateList& rates = r.RateList();
    EXPECT_FALSE(rates.TimesFromData());
    EXPECT_EQ(r.SampleCount(), 2000);
    EXPECT_DOUBLE_EQ(rates.FGetTime(999), 0.999);
    EXPECT_DOUBLE_EQ(rates.FGetTime(1000), 1.0);
    EXPECT_DOUBLE_EQ(rates.FGetTime(1001), 1.002);
    EXPECT_DOUBLE_EQ(rates.TimeOfSample(500), 0.5);
    EXPECT_DOUBLE_EQ(rates.TimeOfSample(1500), 2.0);
    for (int n : {0, 1, 999, 1000, 1001, 1999})
        EXPECT_NEAR(rates.TimeOfSample(n), rates.FGetTime(n), 1e-12) << n;
    EXPECT_EQ(rates.Items(0)->SegmentSampleCount(), 1001);
    EXPECT_DOUBLE_EQ(rates.Items(0)->Duration(), 1.001);
    EXPECT_EQ(rates.Items(1)->FirstSample, 1001);
    EXPECT_EQ(rates.Items(1)->SegmentSampleCount(), 1000);
    EXPECT_DOUBLE_EQ(rates.Items(1)->Duration(), 2.0);
    EXPECT_EQ(rates.FGetSamplIdx(1999), 2000);
    EXPECT_EQ(ErrorOf([&] { rates.FGetTime(2000); }), "RateList: Index 2000, out of Bounds: <0..1999>");
    EXPECT_EQ(ErrorOf([&] { r.RateList().FSetTime(2000, 0); }),
              "TRateList.FSetTime: Index out of time buffer range.");
    EXPECT_EQ(ErrorOf([&] { rates.FGetSamplIdx(2000); }), "TRateList.FGetSamplIdx: Index out of range.");
    EXPECT_EQ(ErrorOf([&] { r.RateList().FSetSamplIdx(2000, 1); }),
              "TRateList.FSetSamplIdx: Index out of range.");
}

TEST_F(TRecorderTest, SampleAtByTheRates) {
    TComtrade r;
    TwoSegments(r);
    const struct {
        double seconds;
        int32_t sample;
    } cases[] = {{0, 0}, {0.5, 500}, {1.001, 1001}, {1.601, 1300}, {3.0, 1000 + 1000}};
    for (const auto& c : cases) EXPECT_EQ(r.RateList().SampleAt(c.seconds), c.sample) << c.seconds;
    // Past the last segment: the list's index error.
    EXPECT_EQ(ErrorOf([&] { r.RateList().SampleAt(3.5); }), "List index out of bounds (2)");
}

TEST_F(TRecorderTest, SampleAtByTheTableIsABinarySearch) {
    TComtrade r;
    TRateDescr* s = r.RateList().AddSegment();  // rate 0: times from the table
    s->SetEndSample(1000);
    r.SetSampleCount(1000);
    for (int i = 0; i < 1000; ++i) r.RateList().FSetTime(i, i * 0.001);
    const struct {
        double seconds;
        int32_t sample;
    } cases[] = {
        {-1, 0}, {0, 0}, {0.0005, 0}, {0.5615, 561}, {0.9955, 995}, {0.9985, 998}, {0.9995, 999}, {5.0, 999},
    };
    for (const auto& c : cases) EXPECT_EQ(r.RateList().SampleAt(c.seconds), c.sample) << c.seconds;
    TComtrade empty;
    EXPECT_EQ(empty.RateList().SampleAt(1.0), 0);
}

TEST_F(TRecorderTest, EndSampleChecks) {
    TComtrade r;
    TRateDescr* a = r.RateList().AddSegment();
    a->Rate = 1000;
    a->SetEndSample(1000);
    TRateDescr* b = r.RateList().AddSegment();
    b->Rate = 1000;
    EXPECT_EQ(ErrorOf([&] { b->SetEndSample(999); }), "Incorrect EndSample Value");
    EXPECT_NO_THROW(b->SetEndSample(1000));  // equal is accepted
    EXPECT_EQ(ErrorOf([&] { b->SetEndSample(-1); }), "Incorrect EndSample Value");
}

TEST_F(TRecorderTest, CountsBeyondTheLimitsFailBeforeAllocating) {
    TComtrade r;
    for (int i = 0; i < 4; ++i) r.AnalogList().Add();
    TRateDescr* s = r.RateList().AddSegment();
    s->Rate = 1;
    const struct {
        int64_t count;
        bool ok;
    } cases[] = {{-1, false}, {0, true}, {100'000'001, false}, {int64_t{1} << 40, false}, {1000, true}};
    for (const auto& c : cases) {
        for (const auto& set : std::vector<std::function<void()>>{
                 [&] { r.SetSampleCount(c.count); },
                 [&] { r.SetLoadedCount(c.count); },
                 [&] { s->SetEndSample(c.count); },
             })
            EXPECT_EQ(ErrorOf(set), c.ok ? "" : "Incorrect EndSample Value") << c.count;
    }
    // 4 raw channels, a time and a number: 32 bytes a sample.
    const int64_t saved = MaxSampleBytes();
    SetMaxSampleBytes(32 * 1000);
    EXPECT_EQ(ErrorOf([&] { r.SetSampleCount(1000); }), "");
    EXPECT_EQ(ErrorOf([&] { r.SetSampleCount(1001); }), "Incorrect EndSample Value");
    EXPECT_EQ(r.SampleCount(), 1000);
    SetMaxSampleBytes(saved);
}

TEST_F(TRecorderTest, LoadedCountAndSampleNumbers) {
    TComtrade r;
    r.SetSampleCount(3);
    r.RateList().FSetSamplIdx(2, 77);
    r.SetLoadedCount(5);  // grows the tables
    EXPECT_EQ(r.SampleCount(), 5);
    EXPECT_EQ(r.LoadedCount(), 5);
    EXPECT_EQ(r.RateList().FGetSamplIdx(2), 77);
    EXPECT_EQ(r.RateList().FGetSamplIdx(4), 5);
    r.SetSampleCount(2);
    EXPECT_EQ(r.LoadedCount(), 2);
}

TEST_F(TRecorderTest, CollectChannels) {
    TComtrade r;
    r.AnalogList().Add();
    r.AnalogList().Add()->Visible = false;
    r.CyfrList().Add()->Visible = false;
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    r.CollectChannels(true, analogs, status);
    EXPECT_EQ(analogs.Count(), 1);
    EXPECT_EQ(status.Count(), 0);
    r.CollectChannels(false, analogs, status);
    EXPECT_EQ(analogs.Count(), 3);
    EXPECT_EQ(status.Count(), 1);
}

// A derived channel class, made by the model through the hook.
class TMyAnalog : public TAnalogDescr {
public:
    using TAnalogDescr::TAnalogDescr;
};

TEST_F(TRecorderTest, ClassHooksChooseTheClasses) {
    AnalogDescrClass() = [](uint8_t format) { return std::make_unique<TMyAnalog>(format); };
    TComtrade r;
    EXPECT_NE(dynamic_cast<TMyAnalog*>(r.AnalogList().Add()), nullptr);
    ResetComtradeClasses();
    EXPECT_EQ(dynamic_cast<TMyAnalog*>(r.AnalogList().Add()), nullptr);
    double x = 1, y = 2;
    SwapDoubles(x, y);
    EXPECT_EQ(x, 2);
    EXPECT_DOUBLE_EQ(StampToSeconds(1500, 2), 0.003);
}

// ---- registries ----

class THandler : public TFileInterface {
public:
    explicit THandler(std::string name) : FName(std::move(name)) {}
    std::string GetName() const override { return FName; }

private:
    std::string FName;
};

TEST_F(TRecorderTest, RegistriesAfterStartUp) {
    std::vector<std::string> parsers;
    for (const auto* p : DataFileParserList()) parsers.push_back(p->GetFormatName());
    EXPECT_EQ(parsers, (std::vector<std::string>{"BINARY", "ASCII", "QVX_RAW", "SLOW_RAW"}));
    EXPECT_EQ(FindDataFileParser("BINARY"), &TBinaryDataFileParser::Instance());
    EXPECT_EQ(FindDataFileParser("ASCII"), &TAsciiDataFileParser::Instance());
    EXPECT_EQ(FindDataFileParser("binary"), nullptr);
    EXPECT_EQ(FindDataFileParser(" BINARY"), nullptr);
    EXPECT_EQ(TBinaryDataFileParser::Instance().GetCapabilities(), 3);
    EXPECT_EQ(DataFileParsersText("KEY_ERROR"), "błąd:");
    EXPECT_EQ(DataFileParsersText("KEY_ERROR_IN_DAT_LINE_us"), "Błąd w %u linii pliku .dat : %s");
    const platform::TFormatSettings& fs = ComtradeFormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, '.');
    EXPECT_EQ(fs.DateSeparator, '/');
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "HH:mm:ss");
}

TEST_F(TRecorderTest, RegisteringHandlersAtAPosition) {
    const THandler a("A"), b("B"), c("C");
    const size_t before = FileInterfaceList().size();
    RegisterFileInterface(a, -1);
    RegisterFileInterface(b, -1);
    RegisterFileInterface(c, 0);
    const auto& list = FileInterfaceList();
    ASSERT_EQ(list.size(), before + 3);
    EXPECT_EQ(list.front(), &c);
    EXPECT_EQ(list[list.size() - 2], &a);
    EXPECT_EQ(list.back(), &b);
}

TEST_F(TRecorderTest, AbstractSlotsAndTheBaseFileNames) {
    const TFileInterface& base = TFileInterface::Instance();
    TComtrade r;
    TMemoryStream s;
    TNameList names;
    TStreamList streams;
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { base.GetName(); },
             [&] { base.GetDescription(); },
             [&] { base.GetFileMask(); },
             [&] { base.SaveInfoFile(r, s); },
             [&] { base.CanLoad(s, {}); },
             [&] { base.SaveViewAttributes(r, s); },
             [&] { base.SaveToStreams(r, names, false, false, "", streams, {}); },
             [&] { base.LoadFromStreams(r, names, "", streams, {}); },
             [&] { TComtradeDataFileParser::Instance().GetFormatName(); },
             [&] { TComtradeDataFileParser::Instance().GetCapabilities(); },
             [&] { TComtradeDataFileParser::Instance().LoadDataFromStream(r, names, streams, {}); },
             [&] {
                 TComtradeDataFileParser::Instance().SaveDataToStream(r, names, false, false, streams, {});
             },
         })
        EXPECT_EQ(ErrorOf(call), "Abstract Error");
    names = {"x", "y"};
    base.GetFileNames("a.xyz", names, true);
    EXPECT_EQ(names, TNameList{"a.xyz"});
    EXPECT_EQ(THandler("H").GetName(), "H");
}

TEST(RecorderLookups, IndexOfFile) {
    const struct {
        const char* wanted;
        TNameList names;
        int byExt, byName;
    } cases[] = {
        {".dat", {"C:\\R\\X.CFG", "C:\\R\\X.DAT"}, 1, -1},
        {".HDR", {"X.CFG"}, -1, -1},
        {".DAT", {".dat"}, 0, 0},
        {".DAT", {}, -1, -1},
        {".DAT", {"/r/x.dat.bak", "/r/y.Dat"}, 1, -1},
        {".DAT", {"/r.dat/x"}, -1, -1},  // a dot in a directory is no extension
        {"DEFAULT.INF", {"C:\\R\\X.CFG", "C:\\R\\Default.inf"}, -1, 1},
        {"DEFAULT.INF", {"/r/x.cfg", "/r/default.INF"}, -1, 1},
        {"Default.inf", {"Default.inf"}, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IndexOfFileByExt(c.wanted, c.names), c.byExt) << c.wanted;
        EXPECT_EQ(IndexOfFileByName(c.wanted, c.names), c.byName) << c.wanted;
    }
}

TEST(RecorderStreams, MemoryStream) {
    TMemoryStream s;
    s.Write("abcdef");
    EXPECT_EQ(s.Position(), 6);
    s.Seek(4);
    char buf[4] = {};
    try {
        s.ReadBuffer(buf, 3);
        ADD_FAILURE();
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_EQ(s.Position(), 4);
    s.ReadBuffer(buf, 2);
    EXPECT_EQ(std::string(buf, 2), "ef");
    EXPECT_EQ(s.Read(buf, 4), 0u);
    s.Seek(8);
    s.Write("z");
    EXPECT_EQ(s.Bytes(), std::string("abcdef\0\0z", 9));
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
}

TEST(RecorderIni, OrderCaseAndLayout) {
    TIniDocument ini;
    ini.WriteString("Public File_Description", "Station_Name", "Łódź");
    ini.WriteInteger("Public Analog_Channel_#1", "Pen_Color", 255);
    ini.WriteBool("public file_description", "Flag", true);
    ini.WriteFloat("Public Analog_Channel_#1", "Channel_Multiplier", 0.1 + 0.2);
    ini.WriteFloat("Public Analog_Channel_#1", "Big", 1e20);
    ini.WriteString("PUBLIC FILE_DESCRIPTION", "station_name", "Gdańsk");
    EXPECT_EQ(ini.SaveToText(),
              "[Public File_Description]\r\nStation_Name=Gdańsk\r\nFlag=1\r\n\r\n"
              "[Public Analog_Channel_#1]\r\nPen_Color=255\r\nChannel_Multiplier=0.3\r\nBig=1E20\r\n\r\n");
    EXPECT_EQ(ini.ReadInteger("public analog_channel_#1", "PEN_COLOR", 0), 255);
    EXPECT_TRUE(ini.ReadBool("Public File_Description", "flag", false));
    EXPECT_EQ(ini.ReadFloat("Public Analog_Channel_#1", "Channel_Multiplier", 0), 0.3);
    EXPECT_EQ(ini.ReadString("Public Analog_Channel_#1", "Missing", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("Public File_Description", "Station_Name", -1), -1);

    TIniDocument back;
    back.LoadFromText("; comment\nStray=1\n[A]\n  K = v \nK=w\r\n[b]\nx=1\n[a]\nL=2\n");
    EXPECT_EQ(back.Sections(), (std::vector<std::string>{"A", "b"}));
    EXPECT_EQ(back.Keys("a"), (std::vector<std::string>{"K", "L"}));
    EXPECT_EQ(back.ReadString("A", "k", ""), "w");
    back.EraseSection("B");
    EXPECT_FALSE(back.SectionExists("b"));

    // Polish letters match in either case, other letters never; after an erase the
    // sections behind it are still found, and a new one goes to the end.
    back.WriteString("Źródło Ą", "Klucz", "1");
    back.WriteString("źródło ą", "KLUCZ", "2");
    back.WriteString("Źródło Ę", "Klucz", "3");
    back.WriteString("Zrodlo A", "Klucz", "4");
    back.EraseSection("a");
    EXPECT_EQ(back.Sections(), (std::vector<std::string>{"Źródło Ą", "Źródło Ę", "Zrodlo A"}));
    EXPECT_EQ(back.ReadString("ŹRÓDŁO ą", "klucz", ""), "2");
    EXPECT_EQ(back.ReadString("źródło ę", "klucz", ""), "3");
    EXPECT_EQ(back.ReadString("ZRODLO a", "klucz", ""), "4");
    back.WriteString("a", "K", "5");
    EXPECT_EQ(back.Sections(), (std::vector<std::string>{"Źródło Ą", "Źródło Ę", "Zrodlo A", "a"}));
    EXPECT_EQ(back.ReadString("A", "k", ""), "5");
}

// Among thousands of keys a repeated one keeps its first place and spelling and takes the
// last value; names fold ASCII and Polish letters only; each section has its own keys.
TEST(RecorderIni, RepeatedKeysAmongManyKeepTheirFirstPlaceAndLastValue) {
    constexpr int kKeys = 20000;
    std::string text = "[Public Analog_Channel_#1]\r\nŹródło_1=x\r\n";
    std::vector<std::string> keys = {"Źródło_1"};
    for (int i = 0; i < kKeys; ++i) {
        text += "Key_" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
        keys.push_back("Key_" + std::to_string(i));
    }
    text += "[Other]\r\nKey_7=other\r\n";
    text += "[PUBLIC ANALOG_CHANNEL_#1]\r\nkey_19999 = b\r\nKEY_10=a\r\n";
    text += "źRÓDŁO_1=y\r\nZrodlo_1=z\r\nKey_10=c\r\n";
    keys.push_back("Zrodlo_1");
    TIniDocument ini;
    ini.LoadFromText(text);
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Public Analog_Channel_#1", "Other"}));
    EXPECT_EQ(ini.Keys("public analog_channel_#1"), keys);
    struct Case {
        const char* section;
        const char* key;
        const char* value;  // nullptr: absent
    };
    const std::vector<Case> cases = {
        {"Public Analog_Channel_#1", "key_0", "0"},
        {"Public Analog_Channel_#1", "KEY_10", "c"},
        {"Public Analog_Channel_#1", "Key_19999", "b"},
        {"Public Analog_Channel_#1", "KEY_7", "7"},
        {"Public Analog_Channel_#1", "ŹRÓDŁO_1", "y"},
        {"Public Analog_Channel_#1", "zrodlo_1", "z"},
        {"Public Analog_Channel_#1", "Key_20000", nullptr},
        {"Public Analog_Channel_#1", "Key_1 ", nullptr},
        {"other", "key_7", "other"},
        {"other", "key_8", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "|" + c.key);
        EXPECT_EQ(ini.ValueExists(c.section, c.key), c.value != nullptr);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "-"), c.value ? c.value : "-");
    }
    // Writing keeps the place of a key it finds and appends one it does not.
    ini.WriteString("public analog_channel_#1", "źródło_1", "w");
    ini.WriteString("Public Analog_Channel_#1", "Nowy", "n");
    ini.EraseSection("Public Analog_Channel_#1");
    ini.LoadFromText("[Public Analog_Channel_#1]\r\nA=1\r\na=2\r\n");
    ini.WriteString("OTHER", "KEY_7", "again");
    EXPECT_EQ(ini.SaveToText(), "[Other]\r\nKey_7=again\r\n\r\n[Public Analog_Channel_#1]\r\nA=2\r\n\r\n");
    TIniDocument written;
    written.LoadFromText(text);
    written.WriteString("public analog_channel_#1", "źródło_1", "w");
    written.WriteString("Public Analog_Channel_#1", "Nowy", "n");
    keys.push_back("Nowy");
    EXPECT_EQ(written.Keys("Public Analog_Channel_#1"), keys);
    EXPECT_EQ(written.ReadString("Public Analog_Channel_#1", "ŹRÓDŁO_1", ""), "w");
}

class IniPeerTest : public platform_test::TempDirTest {};

// Python's configparser reads what the document writes.
TEST_F(IniPeerTest, ConfigParserReadsTheText) {
    TIniDocument ini;
    ini.WriteString("Public File_Description", "Station_Name", "Stacja Łódź");
    ini.WriteFloat("Public File_Description", "Line_Frequency", 16.7);
    ini.WriteInteger("Public Analog_Channel_#1", "Pen_Color", 16711680);
    ini.WriteBool("Quarnel RecAttribs", "Interrupted", false);
    const std::string path = Path("x.inf");
    ASSERT_TRUE(platform::WriteFileAtomic(path, ini.SaveToText()));
    static const char kReader[] =
        "import configparser,sys\n"
        "c=configparser.ConfigParser(interpolation=None)\n"
        "c.optionxform=str\n"
        "c.read(sys.argv[1],encoding='utf-8')\n"
        "for s in c.sections():\n"
        "  for k,v in c[s].items(): print(s+'|'+k+'|'+v)\n";
    const auto run = dcomp_test::RunProgram({"python3", "-c", kReader, path});
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    EXPECT_EQ(run.Output,
              "Public File_Description|Station_Name|Stacja Łódź\n"
              "Public File_Description|Line_Frequency|16.7\n"
              "Public Analog_Channel_#1|Pen_Color|16711680\n"
              "Quarnel RecAttribs|Interrupted|0\n");
}

}  // namespace

namespace {

using namespace dcomp;
using recorder_test::TRecorderTest;

// Setting a segment's end again rebuilds what the data or an earlier rate changed.
TEST_F(TRecorderTest, EndSampleRebuildsChangedTimesAndNumbers) {
    TComtrade r;
    TRateDescr* a = r.RateList().AddSegment();
    a->SetEndSample(4);  // rate 0 yet: no times
    a->Rate = 1000;      // a rate given after the end
    TRateDescr* b = r.RateList().AddSegment();
    b->Rate = 500;
    b->SetEndSample(6);
    EXPECT_EQ(r.RateList().TimeTable(), (std::vector<double>{0, 0.001, 0.002, 0.003, 0.004, 0.006}));
    r.SetSampleCount(6);
    r.RateList().FSetTime(1, 9);
    r.RateList().FSetSamplIdx(2, 77);
    b->SetEndSample(7);
    EXPECT_EQ(r.RateList().TimeTable(), (std::vector<double>{0, 0.001, 0.002, 0.003, 0.004, 0.006, 0.008}));
    EXPECT_EQ(r.RateList().SampleNumbers(), (std::vector<int64_t>{1, 2, 3, 4, 5, 6, 7}));
    a->Rate = 2000;
    b->SetEndSample(7);
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(3), 0.0015);
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(6), 0.002 + 0.004);
}

// Deferred, segment ends claim what they like and size nothing (only the sample count
// limit holds); the count that a data file sets then gets the same times and numbers as
// the segments would have built.
TEST_F(TRecorderTest, DeferredTablesTakeTheirSizeFromTheData) {
    TComtrade r;
    r.AnalogList().Add();
    {
        const TDeferredTables deferred(r.RateList());
        TRateDescr* a = r.RateList().AddSegment();
        a->Rate = 1000;
        a->SetEndSample(1000);
        TRateDescr* b = r.RateList().AddSegment();
        b->Rate = 500;
        b->SetEndSample(100'000'000);
        EXPECT_EQ(ErrorOf([&] { b->SetEndSample(100'000'001); }), "Incorrect EndSample Value");
        b->SetEndSample(2000);
        EXPECT_EQ(r.SampleCount(), 0);
        EXPECT_TRUE(r.RateList().SampleNumbers().empty());
        r.SetSampleCount(1500);
        b->SetEndSample(3000);  // the table keeps the data's length
        EXPECT_EQ(r.SampleCount(), 1500);
    }
    EXPECT_FALSE(r.RateList().TablesDeferred());
    TComtrade full;
    TwoSegments(full);
    const std::vector<double>& times = full.RateList().TimeTable();
    EXPECT_EQ(r.RateList().TimeTable(), std::vector<double>(times.begin(), times.begin() + 1500));
    EXPECT_EQ(r.RateList().FGetSamplIdx(1499), 1500);
    EXPECT_EQ(r.AnalogList()[0]->SampleCount(), 1500);
}

}  // namespace
