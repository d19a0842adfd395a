// The configuration file: every reading rule and its exact failure text, the writer's
// lines in both layouts, and reading back what was written.
#include <limits>

#include "platform/Cp1250.h"
#include "platform/Exception.h"
#include "tests/dcomp/recorder/RecorderTest.h"

namespace {

using namespace dcomp;
using recorder_test::CfgError;
using recorder_test::ReadCfgText;
using recorder_test::TMessages;
using recorder_test::TRecorderTest;

// A small configuration, line by line: 1 station, 2 counts, 3 analogue, 4-5 status,
// 6 frequency, 7-8 rates, 9 start, 10 trigger, 11 file type, 12 multiplier.
struct TCfg {
    std::string Line1 = "S1,R1,1999";
    std::string Counts = "3,1A,2D";
    std::string Analog = "1,IA,A,Bay,kV,0.5,1,0,-100,100,10,1,S";
    std::vector<std::string> Status = {"1,K1,,,1", "2,K2,,,0"};
    std::string Frequency = "50";
    std::vector<std::string> Rates = {"1", "1000,10"};
    std::string Start = "05/01/2020,10:20:30.000007";
    std::string Trigger = "05/01/2020,10:20:30.100000";
    std::string Type = "ASCII";
    std::vector<std::string> Tail = {"1"};

    std::string Text() const {
        std::vector<std::string> lines = {Line1, Counts, Analog};
        lines.insert(lines.end(), Status.begin(), Status.end());
        lines.push_back(Frequency);
        lines.insert(lines.end(), Rates.begin(), Rates.end());
        lines.insert(lines.end(), {Start, Trigger, Type});
        lines.insert(lines.end(), Tail.begin(), Tail.end());
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        return text;
    }
};

TEST_F(TRecorderTest, CfgReadsTheSmallConfiguration) {
    TComtrade r;
    TMessages messages;
    EXPECT_EQ(ReadCfgText(r, TCfg().Text(), messages.Callback()), "ASCII");
    EXPECT_TRUE(messages.Texts.empty());
    const TObFileParam& p = r.FileParam();
    EXPECT_EQ(p.StationName(), "S1");
    EXPECT_EQ(p.RecDeviceId(), "R1");
    EXPECT_EQ(p.RevisionYear, 1999);
    ASSERT_EQ(r.AnalogList().Count(), 1);
    const TAnalogDescr* a = r.AnalogList()[0];
    EXPECT_EQ(a->Number, 1);
    EXPECT_EQ(a->ChannelId(), "IA");
    EXPECT_EQ(a->Phase(), "A");
    EXPECT_EQ(a->CircuitComponent(), "Bay");
    EXPECT_EQ(a->Units(), "kV");
    EXPECT_EQ(a->Multiplier, 0.5);
    EXPECT_EQ(a->Offset, 1);
    EXPECT_EQ(a->Min, -100);
    EXPECT_EQ(a->Max, 100);
    EXPECT_EQ(a->Primary, 10);
    EXPECT_EQ(a->Secondary, 1);
    EXPECT_EQ(a->PS, 1);
    ASSERT_EQ(r.CyfrList().Count(), 2);
    EXPECT_EQ(r.CyfrList()[0]->NormalState, 1);
    EXPECT_EQ(r.CyfrList()[1]->NormalState, 0);
    EXPECT_EQ(p.LineFrequency, 50);
    ASSERT_EQ(r.RateList().Count(), 1);
    EXPECT_EQ(r.RateList()[0]->Rate, 1000);
    EXPECT_EQ(r.SampleCount(), 10);
    EXPECT_EQ(a->SampleCount(), 10);
    EXPECT_EQ(p.StartTime.FormatCfg(), "05/01/2020,10:20:30.000007");
    EXPECT_EQ(p.TriggerTime.FormatCfg(), "05/01/2020,10:20:30.100000");
    EXPECT_EQ(r.DataFileFormat(), 0);
    EXPECT_EQ(p.TimeMultiplier, 1);
    EXPECT_EQ(platform::AppFormatSettings().ShortDateFormat, FSettings.ShortDateFormat);  // untouched
}

TEST_F(TRecorderTest, CfgFirstLine) {
    const struct {
        const char* line;
        int revision;
    } cases[] = {
        {"S1,R1", 0},     {"S1,R1,1999", 1999},   {"S1,R1,abc", 1997},
        {"S1,R1, 1 ", 1}, {"S1,R1,70000", 1997},  // beyond 16 bits: not an integer
        {"S1,R1,", 1997}, {"S1,R1,2013,x", 2013},
    };
    for (const auto& c : cases) {
        TCfg cfg;
        cfg.Line1 = c.line;
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        EXPECT_EQ(r.FileParam().RevisionYear, c.revision) << c.line;
    }
    TCfg one;
    one.Line1 = "S1";
    EXPECT_EQ(CfgError(one.Text()), "Błąd w 1 linii pliku .cfg : List index out of bounds (1)");
}

TEST_F(TRecorderTest, Cfg1991LayoutSetsTheShortDateFormat) {
    TCfg cfg;
    cfg.Line1 = "S1,R1";
    TComtrade r;
    ReadCfgText(r, cfg.Text());
    EXPECT_EQ(platform::AppFormatSettings().ShortDateFormat, "mm/dd/yy");
    EXPECT_EQ(r.FileParam().StartTime.Month, 5);  // month first
    EXPECT_EQ(r.FileParam().StartTime.Day, 1);
    EXPECT_EQ(r.FileParam().TimeMultiplier, 1000);  // 1,000,000 / 1000, no line read
}

TEST_F(TRecorderTest, CfgFailuresNameTheLine) {
    const struct {
        std::function<void(TCfg&)> change;
        const char* error;
    } cases[] = {
        {[](TCfg& c) { c.Counts = "2,1A,2D"; },
         "Błąd w 2 linii pliku .cfg : Nie zgadza się ilość kanałów analogowych,cyfrowych i ich suma"},
        {[](TCfg& c) { c.Counts = "3,2,1D"; }, "Błąd w 2 linii pliku .cfg : "},
        {[](TCfg& c) { c.Counts = "3,1A,2d"; }, "Błąd w 2 linii pliku .cfg : "},
        {[](TCfg& c) { c.Counts = "3,A,2D"; }, "Błąd w 2 linii pliku .cfg : "},
        {[](TCfg& c) { c.Counts = "1,-1A,2D"; }, "Błąd w 2 linii pliku .cfg : "},
        {[](TCfg& c) { c.Counts = "3,1A"; }, "Błąd w 2 linii pliku .cfg : List index out of bounds (2)"},
        {[](TCfg& c) { c.Counts = "x,1A,2D"; },
         "Błąd w 2 linii pliku .cfg : 'x' is not a valid integer value"},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0.5,1,0,-100,100,10,1"; },
         "Błąd w 3 linii pliku .cfg : Brak informacji - [Primary/Secoundary]"},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0.5,1,0,-100,100,10,1, "; },
         "Błąd w 3 linii pliku .cfg : Błędne informacje [Primary/Secoundary] dozwolone parametry to P lub S"},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0.5,1,0,-100,100,10,1,X"; }, "Błąd w 3 linii pliku .cfg : "},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0,5,1"; },
         "Błąd w 3 linii pliku .cfg : List index out of bounds (10)"},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0;5,1,0,-100,100,10,1,S"; },
         "Błąd w 3 linii pliku .cfg : '0;5' is not a valid floating point value"},
        {[](TCfg& c) { c.Analog = "1,IA,A,Bay,kV,0,5,1,0,-100,100,10,1,S"; },  // "0,5": a comma decimal
         "Błąd w 3 linii pliku .cfg : "},
        {[](TCfg& c) { c.Analog = "1x,IA,A,Bay,kV,0.5,1,0,-100,100,10,1,S"; },
         "Błąd w 3 linii pliku .cfg : '1x' is not a valid integer value"},
        {[](TCfg& c) { c.Status[1] = "2"; }, "Błąd w 5 linii pliku .cfg : List index out of bounds (1)"},
        {[](TCfg& c) { c.Status[1] = "2,K2"; }, "Błąd w 5 linii pliku .cfg : Brak pola \"Nominal state\""},
        {[](TCfg& c) { c.Status[1] = "2,K2,,,x"; },
         "Błąd w 5 linii pliku .cfg : Zła wartość w polu \"Nominal state\""},
        {[](TCfg& c) { c.Rates = {"x"}; }, "Błąd w 7 linii pliku .cfg : 'x' is not a valid integer value"},
        {[](TCfg& c) {
             c.Rates = {"1", "1000"};
         },
         "Błąd w 8 linii pliku .cfg : List index out of bounds (1)"},
        {[](TCfg& c) {
             c.Rates = {"2", "1000,10", "500,5"};
         },
         "Błąd w 9 linii pliku .cfg : Incorrect EndSample Value"},
        {[](TCfg& c) {
             c.Rates = {"1", "1000,-10"};
         },
         "Błąd w 8 linii pliku .cfg : '-10' is not a valid integer value"},
        {[](TCfg& c) {
             c.Rates = {"1", "1000,100000001"};
         },
         "Błąd w 8 linii pliku .cfg : Incorrect EndSample Value"},
        {[](TCfg& c) { c.Start = "05/01/2020,10:20:30"; },
         "Błąd w 9 linii pliku .cfg : 10:20:30 is not valid Time"},
        {[](TCfg& c) { c.Trigger = "31/02/2020,10:20:30.0"; },
         "Błąd w 10 linii pliku .cfg : 31/02/2020 is not valid date"},
        {[](TCfg& c) { c.Trigger = "05/01/2020"; },
         "Błąd w 10 linii pliku .cfg : List index out of bounds (1)"},
        // The 1991 layout computes the multiplier from the first rate at the file type line.
        {[](TCfg& c) {
             c.Line1 = "S1,R1";
             c.Rates = {"0", "0,10"};
         },
         "Błąd w 11 linii pliku .cfg : Floating point division by zero"},
        {[](TCfg& c) {
             c.Rates = {"0", "0,10"};
             c.Tail = {};
         },
         "Błąd w 11 linii pliku .cfg : Floating point division by zero"},
    };
    for (const auto& c : cases) {
        TCfg cfg;
        c.change(cfg);
        EXPECT_EQ(CfgError(cfg.Text()), c.error) << cfg.Text();
    }
    // Cut after every line: the line that is missing fails.
    const std::string text = TCfg().Text();
    size_t end = 0;
    for (int line = 1; line <= 10; ++line) {
        end = text.find("\r\n", end) + 2;
        EXPECT_EQ(CfgError(text.substr(0, end)),
                  "Błąd w " + std::to_string(line + 1) + " linii pliku .cfg : Unexpected end of file");
    }
}

TEST_F(TRecorderTest, CfgAnalogueFields) {
    const struct {
        const char* line1;
        const char* analog;
        double offset, skew;
        int32_t min, max;
        double primary, secondary;
        int ps;
    } cases[] = {
        {"S,R,1999", "1,IA,A,B,kV,0.5,,x,-1e12,1e12,10,1,p", 0, 0, INT32_MIN, INT32_MAX, 10, 1, 0},
        {"S,R,1999", "1,IA,A,B,kV,0.5, 2 ,1e-3,-2.5,3.5,10,1, s ", 2, 0.001, -2, 4, 10, 1, 1},
        {"S,R", "1,IA,A,B,kV,0.5,0,0,-2000,2000", 0, 0, -2000, 2000, 1000, 1000, 0},  // Max × a
        {"S,R", "1,IA,A,B,kV,0.5,0,0,-2000,2000,7", 0, 0, -2000, 2000, 7, 7, 0},
        {"S,R", "1,IA,A,B,kV,0.5,0,0", 0, 0, -32768, 32767, 32767 * 0.5, 32767 * 0.5, 0},
        {"S,R", "1,IA,A,B,kV,0.5", 0, 0, -32768, 32767, 32767 * 0.5, 32767 * 0.5, 0},
    };
    for (const auto& c : cases) {
        TCfg cfg;
        cfg.Line1 = c.line1;
        cfg.Analog = c.analog;
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        const TAnalogDescr* a = r.AnalogList()[0];
        EXPECT_EQ(a->Offset, c.offset) << c.analog;
        EXPECT_EQ(a->Skew, c.skew) << c.analog;
        EXPECT_EQ(a->Min, c.min) << c.analog;
        EXPECT_EQ(a->Max, c.max) << c.analog;
        EXPECT_EQ(a->Primary, c.primary) << c.analog;
        EXPECT_EQ(a->Secondary, c.secondary) << c.analog;
        EXPECT_EQ(a->PS, c.ps) << c.analog;
    }
    TCfg zero;
    zero.Analog = "1,IA,A,B,kV,0.5,0,0,-1,1,0,0,P";
    TMessages messages;
    TComtrade r;
    ReadCfgText(r, zero.Text(), messages.Callback());
    EXPECT_EQ(messages.Texts,
              (std::vector<std::string>{"Comtrade warning : PrimaryRange=0 for signal IA",
                                        "Comtrade warning : SecondaryRange=0 for signal IA"}));
}

TEST_F(TRecorderTest, CfgStatusStates) {
    const struct {
        const char* line1;
        const char* status;
        int state;  // -1: fails
        const char* phase;
        const char* component;
    } cases[] = {
        {"S,R,1", "1,K1,1", 1, "", ""},
        {"S,R", "1,K1,1", 0, "", ""},  // revision 0 reads no state
        {"S,R", "1,K1", 0, "", ""},
        {"S,R,1", "1,K1,", 0, "", ""},  // empty counts as 0
        {"S,R,1", "1,K1", -1, "", ""},
        {"S,R,1999", "1,K1,A,Bay,1", 1, "A", "Bay"},
        {"S,R,1999", "1,K1,,,0 ", 0, "", ""},
        {"S,R,1999", "1,K1", -1, "", ""},
        {"S,R,1999", "1,K1,A,Bay,2", -1, "", ""},
    };
    for (const auto& c : cases) {
        TCfg cfg;
        cfg.Line1 = c.line1;
        cfg.Counts = "2,1A,1D";
        cfg.Status = {c.status};
        if (c.state < 0) {
            EXPECT_NE(CfgError(cfg.Text()).find("Błąd w 4 linii pliku .cfg : "), std::string::npos)
                << c.status;
            continue;
        }
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        const TCyfrDescr* d = r.CyfrList()[0];
        EXPECT_EQ(d->NormalState, c.state) << c.line1 << " " << c.status;
        EXPECT_EQ(d->Phase(), c.phase);
        EXPECT_EQ(d->CircuitComponent(), c.component);
        EXPECT_EQ(d->ChannelId(), "K1");
    }
}

// Thousands of channels, numbered out of order: each keeps the number and the id of its
// line, and the lists go on numbering after the largest.
TEST_F(TRecorderTest, CfgReadsManyChannels) {
    constexpr int kCount = 5000;
    for (const bool old : {true, false}) {
        TCfg cfg;
        cfg.Line1 = old ? "S,R" : "S,R,1999";
        cfg.Counts =
            std::to_string(2 * kCount) + "," + std::to_string(kCount) + "A," + std::to_string(kCount) + "D";
        cfg.Analog.clear();
        cfg.Status.clear();
        for (int i = 0; i < kCount; ++i) {
            if (i > 0) cfg.Analog += "\r\n";
            cfg.Analog += std::to_string(2 * i + 1) + ",A" + std::to_string(i) +
                          (old ? ",,,V,1" : ",,,V,1,0,0,-1,1,1,1,P");
            cfg.Status.push_back(std::to_string(kCount - i) + ",D" + std::to_string(i) + ",,,1");
        }
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        ASSERT_EQ(r.AnalogList().Count(), kCount);
        ASSERT_EQ(r.CyfrList().Count(), kCount);
        for (int i = 0; i < kCount; ++i) {
            const TAnalogDescr* a = r.AnalogList()[i];
            const TCyfrDescr* d = r.CyfrList()[i];
            ASSERT_EQ(a->Number, 2 * i + 1) << i;
            ASSERT_EQ(a->ChannelId(), "A" + std::to_string(i));
            ASSERT_EQ(a->SampleCount(), 10);
            ASSERT_EQ(d->Number, kCount - i) << i;
            ASSERT_EQ(d->ChannelId(), "D" + std::to_string(i));
            ASSERT_EQ(d->NormalState, old ? 0 : 1);
        }
        EXPECT_EQ(r.AnalogList().Add()->Number, 2 * kCount);
        EXPECT_EQ(r.CyfrList().Add()->Number, kCount + 1);
    }
}

// A reading that stops inside the channel lines keeps the channels appended so far; the
// one whose line failed keeps the number a new channel gets (the largest so far + 1), and
// a count of 2^31-1 that the text does not hold ends at the end of the text.
TEST_F(TRecorderTest, CfgChannelsLeftByAFailedReading) {
    constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
    const struct {
        std::vector<int32_t> existing;  // channels of the recording before the reading
        const char* count;              // channels the second line claims
        std::vector<const char*> numbers;
        std::vector<int32_t> expected;
        const char* error;
    } cases[] = {
        {{}, "3", {"5", "2", "x"}, {5, 2, 6}, "Błąd w 5 linii pliku .cfg : 'x' is not a valid integer value"},
        {{10}, "2", {"1", "x"}, {10, 1, 11}, "Błąd w 4 linii pliku .cfg : 'x' is not a valid integer value"},
        {{}, "2", {"-3", ""}, {-3, 1}, "Błąd w 4 linii pliku .cfg : '' is not a valid integer value"},
        {{},
         "2",
         {"2147483647", "x"},
         {kTop, kTop},
         "Błąd w 4 linii pliku .cfg : 'x' is not a valid integer value"},
        {{}, "2147483647", {"1", "2"}, {1, 2}, "Błąd w 5 linii pliku .cfg : Unexpected end of file"},
    };
    for (const bool analog : {true, false}) {
        for (const auto& c : cases) {
            TComtrade r;
            for (const int32_t n : c.existing) {
                if (analog)
                    r.AnalogList().Add()->Number = n;
                else
                    r.CyfrList().Add()->Number = n;
            }
            std::string text = std::string("S,R,1999\r\n") + c.count + (analog ? "," : ",0A,") + c.count +
                               (analog ? "A,0D\r\n" : "D\r\n");
            for (const char* n : c.numbers)
                text += std::string(n) + (analog ? ",A,,,V,1,0,0,-1,1,1,1,P\r\n" : ",D,,,0\r\n");
            std::string error;
            try {
                ReadCfgText(r, text);
            } catch (const platform::Exception& e) {
                error = e.Message();
            }
            EXPECT_EQ(error, c.error) << text;
            std::vector<int32_t> numbers;
            if (analog)
                for (const TAnalogDescr* a : r.AnalogList()) numbers.push_back(a->Number);
            else
                for (const TCyfrDescr* d : r.CyfrList()) numbers.push_back(d->Number);
            EXPECT_EQ(numbers, c.expected) << text;
        }
    }
}

TEST_F(TRecorderTest, CfgRatesFrequencyAndFileType) {
    {
        TCfg cfg;
        cfg.Rates = {"0", "0,1500"};
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        ASSERT_EQ(r.RateList().Count(), 1);
        EXPECT_EQ(r.RateList()[0]->Rate, 0);
        EXPECT_EQ(r.RateList()[0]->EndSample(), 1500);
        EXPECT_EQ(r.SampleCount(), 1500);
        EXPECT_TRUE(r.RateList().TimesFromData());
    }
    {
        TCfg cfg;
        cfg.Rates = {"-3", "0"};
        TComtrade r;
        ReadCfgText(r, cfg.Text());
        EXPECT_EQ(r.RateList()[0]->EndSample(), 0);
        EXPECT_EQ(r.SampleCount(), 0);
    }
    {
        TCfg cfg;
        cfg.Rates = {"2", "1000,1000", "500.5,2000"};
        cfg.Frequency = "abc";
        cfg.Type = "binary";
        TComtrade r;
        EXPECT_EQ(ReadCfgText(r, cfg.Text()), "BINARY");
        EXPECT_EQ(r.DataFileFormat(), 1);
        EXPECT_EQ(r.FileParam().LineFrequency, 50);  // the default
        EXPECT_EQ(r.RateList()[1]->Rate, 500.5);
        EXPECT_EQ(r.SampleCount(), 2000);
    }
    {
        TCfg cfg;
        cfg.Type = " Foo ";
        cfg.Frequency = "16.7";
        TComtrade r;
        EXPECT_EQ(ReadCfgText(r, cfg.Text()), "FOO");
        EXPECT_EQ(r.DataFileFormat(), 1);
        EXPECT_EQ(r.FileParam().LineFrequency, 16.7);
    }
}

TEST_F(TRecorderTest, CfgTimeMultiplier) {
    const struct {
        std::vector<std::string> tail;
        double multiplier;
        bool warns;
    } cases[] = {
        {{}, 1000, true},  // the file ends after the file type line
        {{"abc"}, 1000, true},
        {{""}, 1000, true},
        {{"2.5", "-5h30,-5h30", "B,3"}, 2.5, false},  // later lines ignored
        {{" 1e1 "}, 10, false},
    };
    for (const auto& c : cases) {
        TCfg cfg;
        cfg.Tail = c.tail;
        TComtrade r;
        TMessages messages;
        ReadCfgText(r, cfg.Text(), messages.Callback());
        EXPECT_EQ(r.FileParam().TimeMultiplier, c.multiplier);
        EXPECT_EQ(messages.Texts.size(), c.warns ? 1u : 0u);
        if (c.warns) {
            EXPECT_EQ(messages.Texts[0], "Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg");
        }
    }
}

TEST_F(TRecorderTest, CfgCodePages) {
    TCfg cfg;
    cfg.Line1 =
        "Stacja \xA3\xF3"
        "d\x9F,R1,1999";  // code page 1250
    TComtrade r;
    ReadCfgText(r, cfg.Text());
    EXPECT_EQ(r.FileParam().StationName(), "Stacja Łódź");
    cfg.Line1 = "Stacja Łódź,R1,1999";
    TComtrade utf8;
    ReadCfgText(utf8, "\xEF\xBB\xBF" + cfg.Text());
    EXPECT_EQ(utf8.FileParam().StationName(), "Stacja Łódź");

    TComtradeInterface handler;
    TMemoryStream out;
    handler.WriteCfgToStream(utf8, out, utf8.CyfrList(), utf8.AnalogList(), utf8.SampleCount(), 0, 0);
    EXPECT_EQ(out.Bytes().substr(0, 21),
              "Stacja \xA3\xF3"
              "d\x9F,R1,1999\r\n");
}

// ---- writing ----

// 1 analogue and 1 status channel, two segments (1000 Hz to 1000, 500 Hz to 2000).
void Sample(TComtrade& r, int16_t revision) {
    TObFileParam& p = r.FileParam();
    p.SetStationName("S1");
    p.SetRecDeviceId("R,1");
    p.RevisionYear = revision;
    p.LineFrequency = 50;
    p.TimeMultiplier = 1;
    p.StartTime.ParseDate("05/01/2020", 1999);
    p.StartTime.ParseTime("10:20:30.000007", 1999);
    p.TriggerTime.ParseDate("05/01/2020", 1999);
    p.TriggerTime.ParseTime("10:20:30.1", 1999);
    TAnalogDescr* a = r.AnalogList().Add();
    a->SetChannelId("IA");
    a->SetPhase("A");
    a->SetCircuitComponent("Bay");
    a->SetUnits("kV");
    a->Multiplier = 0.5;
    a->Offset = 1;
    a->Min = -100;
    a->Max = 100;
    a->Primary = 10;
    a->Secondary = 1;
    a->PS = 1;
    TCyfrDescr* d = r.CyfrList().Add();
    d->SetChannelId("K1");
    d->NormalState = 1;
    TRateDescr* s1 = r.RateList().AddSegment();
    s1->Rate = 1000;
    s1->SetEndSample(1000);
    TRateDescr* s2 = r.RateList().AddSegment();
    s2->Rate = 500;
    s2->SetEndSample(2000);
    r.SetSampleCount(2000);
}

std::vector<std::string> Written(const TComtrade& r, int64_t end, int64_t first, uint8_t format = 1) {
    std::vector<std::string> lines;
    TComtradeInterface::Instance().WriteCfg(r, lines, r.CyfrList(), r.AnalogList(), end, first, format);
    return lines;
}

TEST_F(TRecorderTest, CfgWriter1999Layout) {
    TComtrade r;
    Sample(r, 1999);
    const std::vector<std::string> whole = {
        "S1,R.1,1999",
        "2,01A,01D",
        "1,IA,A,Bay,kV,0.5000000000000000,1.0000000000000000,0.0000000000000000,-100,100,10.0000000000000000,"
        "1.0000000000000000,S",
        "1,K1,,,1",
        "50",
        "2",
        "1000.000,1000",
        "500.000,2000",
        "05/01/2020,10:20:30.000007",
        "05/01/2020,10:20:30.100000",
        "BINARY",
        "1.000000000000",
    };
    EXPECT_EQ(Written(r, 2000, 0), whole);
    std::vector<std::string> part = whole;
    part[6] = "1000.000,500";
    part[7] = "500.000,1000";
    part[8] = "05/01/2020,10:20:30.500007";  // the first written sample's time
    EXPECT_EQ(Written(r, 1500, 500), part);
    // Only the segments that hold written samples.
    const std::vector<std::string> second = Written(r, 2000, 1200);
    EXPECT_EQ(std::vector<std::string>(second.begin() + 5, second.begin() + 7),
              (std::vector<std::string>{"1", "500.000,800"}));
    EXPECT_EQ(Written(r, 2000, 0, 0)[10], "ASCII");
    EXPECT_EQ(Written(r, 2000, 0, 7)[10], "1.000000000000");  // no file type line
    r.FileParam().LineFrequency = 16.7;
    EXPECT_EQ(Written(r, 2000, 0)[4], "17");
}

TEST_F(TRecorderTest, CfgWriter1991LayoutWritesTheMonthFirst) {
    TComtrade r;
    Sample(r, 0);
    const std::vector<std::string> lines = Written(r, 2000, 0);
    ASSERT_EQ(lines.size(), 11u);  // no time multiplier
    EXPECT_EQ(lines[0], "S1,R.1,0000");
    EXPECT_EQ(lines[2], "1,IA,A,Bay,kV,0.5000000000000000,1.0000000000000000,0.0000000000000000,-100,100,10");
    EXPECT_EQ(lines[3], "1,K1,1");
    EXPECT_EQ(lines[8], "01/05/2020,10:20:30.000007");
    EXPECT_EQ(platform::AppFormatSettings().ShortDateFormat, "mm/dd/yy");
    // Read back, 5 January stays 5 January.
    TComtrade back;
    TMemoryStream stream;
    TComtradeInterface::Instance().WriteCfgToStream(r, stream, r.CyfrList(), r.AnalogList(), 2000, 0, 1);
    TComtradeInterface handler;
    handler.ReadCfg(back, stream, {});
    EXPECT_EQ(back.FileParam().StartTime.FormatCfg(), "05/01/2020,10:20:30.000007");
    EXPECT_EQ(back.FileParam().TriggerTime.FormatCfg(), "05/01/2020,10:20:30.100000");
    EXPECT_EQ(back.FileParam().TimeMultiplier, 1000);
}

TEST_F(TRecorderTest, CfgWriterRateZero) {
    TComtrade r;
    r.RateList().AddSegment()->SetEndSample(1500);
    r.SetSampleCount(1500);
    r.FileParam().StartTime.ParseDate("05/01/2020", 1999);
    r.FileParam().StartTime.ParseTime("10:20:30.0", 1999);
    r.RateList().FSetTime(500, 0.25);
    const struct {
        int64_t end, first;
        const char* count;
    } cases[] = {{1500, 0, "0,1500"}, {0, 0, "0,1500"}, {1500, 500, "0,1000"}, {1000, 1, "0,999"}};
    for (const auto& c : cases) {
        const auto lines = Written(r, c.end, c.first);  // no channels: the rates follow line 3
        EXPECT_EQ(lines[3], "0");
        EXPECT_EQ(lines[4], c.count) << c.first;
    }
    EXPECT_EQ(Written(r, 1500, 500)[5], "05/01/2020,10:20:30.250000");
    TComtrade empty;
    EXPECT_EQ(Written(empty, 0, 0)[4], "0,0");
}

void ExpectSameConfiguration(const TComtrade& a, const TComtrade& b) {
    EXPECT_EQ(a.FileParam().StationName(), b.FileParam().StationName());
    EXPECT_EQ(a.FileParam().RecDeviceId(), b.FileParam().RecDeviceId());
    EXPECT_EQ(a.FileParam().RevisionYear, b.FileParam().RevisionYear);
    EXPECT_EQ(a.FileParam().LineFrequency, b.FileParam().LineFrequency);
    EXPECT_EQ(a.FileParam().TimeMultiplier, b.FileParam().TimeMultiplier);
    EXPECT_EQ(a.FileParam().StartTime.FormatCfg(), b.FileParam().StartTime.FormatCfg());
    EXPECT_EQ(a.FileParam().TriggerTime.FormatCfg(), b.FileParam().TriggerTime.FormatCfg());
    EXPECT_EQ(a.DataFileFormat(), b.DataFileFormat());
    ASSERT_EQ(a.AnalogList().Count(), b.AnalogList().Count());
    for (int i = 0; i < a.AnalogList().Count(); ++i) {
        const TAnalogDescr *x = a.AnalogList()[i], *y = b.AnalogList()[i];
        EXPECT_EQ(x->Number, y->Number);
        EXPECT_EQ(x->ChannelId(), y->ChannelId());
        EXPECT_EQ(x->Phase(), y->Phase());
        EXPECT_EQ(x->CircuitComponent(), y->CircuitComponent());
        EXPECT_EQ(x->Units(), y->Units());
        EXPECT_EQ(x->Multiplier, y->Multiplier);
        EXPECT_EQ(x->Offset, y->Offset);
        EXPECT_EQ(x->Skew, y->Skew);
        EXPECT_EQ(x->Min, y->Min);
        EXPECT_EQ(x->Max, y->Max);
        EXPECT_EQ(x->Primary, y->Primary);
        EXPECT_EQ(x->Secondary, y->Secondary);
        EXPECT_EQ(x->PS, y->PS);
    }
    ASSERT_EQ(a.CyfrList().Count(), b.CyfrList().Count());
    for (int i = 0; i < a.CyfrList().Count(); ++i) {
        EXPECT_EQ(a.CyfrList()[i]->Number, b.CyfrList()[i]->Number);
        EXPECT_EQ(a.CyfrList()[i]->ChannelId(), b.CyfrList()[i]->ChannelId());
        EXPECT_EQ(a.CyfrList()[i]->Phase(), b.CyfrList()[i]->Phase());
        EXPECT_EQ(a.CyfrList()[i]->NormalState, b.CyfrList()[i]->NormalState);
    }
    ASSERT_EQ(a.RateList().Count(), b.RateList().Count());
    for (int i = 0; i < a.RateList().Count(); ++i) {
        EXPECT_EQ(a.RateList()[i]->Rate, b.RateList()[i]->Rate);
        EXPECT_EQ(a.RateList()[i]->EndSample(), b.RateList()[i]->EndSample());
    }
    EXPECT_EQ(a.SampleCount(), b.SampleCount());
}

TEST_F(TRecorderTest, CfgReadBackIsTheSameRecording) {
    TComtrade r;
    Sample(r, 1999);
    r.FileParam().TimeMultiplier = 0.125;
    r.SetDataFileFormat(1);
    r.FileParam().SetRecDeviceId("R.1");        // the writer turns commas into dots
    r.AnalogList()[0]->Skew = 0.0001220703125;  // exact in 16 decimals
    for (int i = 0; i < 16; ++i) {
        TCyfrDescr* d = r.CyfrList().Add();
        d->SetChannelId("Ł" + std::to_string(i));
        d->SetPhase("B");
        d->NormalState = static_cast<uint8_t>(i % 2);
    }
    TMemoryStream stream;
    TComtradeInterface::Instance().WriteCfgToStream(r, stream, r.CyfrList(), r.AnalogList(), r.SampleCount(),
                                                    0, 1);
    TComtrade back;
    TComtradeInterface handler;
    handler.ReadCfg(back, stream, {});
    ExpectSameConfiguration(r, back);
}

}  // namespace
