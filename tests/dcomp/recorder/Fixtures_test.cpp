// Real COMTRADE file sets from independent writers (data/, values in each SOURCE.md):
// the configuration and the data file as the file set reads them, every cut of them,
// and the same reading under a Polish locale.
#include <clocale>
#include <cmath>
#include <locale>

#include "platform/Exception.h"
#include "tests/dcomp/recorder/RecorderTest.h"

namespace {

using namespace dcomp;
using recorder_test::DataFile;
using recorder_test::TFileSet;
using recorder_test::TMessages;
using recorder_test::TRecorderTest;

struct TSet {
    TComtrade Recording;
    TFileSet Files;
    TMessages Messages;
    std::string Format;

    // Reads the configuration, then the data file with the parser it names, then checks
    // the ranges, as the file set does.
    TSet(const std::string& cfg, const std::string& dat, const std::string& datName = "x.dat") {
        Files.Add("x.cfg", cfg).Add(datName, dat);
        TComtradeInterface handler;
        handler.ReadCfg(Recording, Files.Stream(0), Messages.Callback());
        Format = handler.DataFileFormat;
        const TComtradeDataFileParser* parser = FindDataFileParser(Format);
        if (parser == nullptr) throw platform::Exception("Unknown data file format: " + Format);
        parser->LoadDataFromStream(Recording, Files.Names, Files.Streams, Messages.Callback());
        Recording.AnalogList().CheckRange(Messages.Callback());
    }
    const TAnalogDescr& A(int i) const { return *Recording.AnalogList()[i]; }
    const TCyfrDescr& D(int i) const { return *Recording.CyfrList()[i]; }
    double Scaled(int channel, int sample) const {
        return A(channel).Multiplier * A(channel).GetRaw(sample) + A(channel).Offset;
    }
};

void SampleAsciiSet(const std::string& cfg) {
    TSet s(cfg, DataFile("python-comtrade/sample_ascii.dat"));
    const TComtrade& r = s.Recording;
    EXPECT_EQ(s.Format, "ASCII");
    EXPECT_EQ(r.FileParam().StationName(), "SMARTSTATION");
    EXPECT_EQ(r.FileParam().RevisionYear, 2013);
    EXPECT_EQ(r.AnalogList().Count(), 4);
    EXPECT_EQ(r.CyfrList().Count(), 4);
    EXPECT_EQ(s.A(0).ChannelId(), "IA ");
    EXPECT_EQ(s.A(0).Units(), " A");
    EXPECT_EQ(s.A(0).PS, 1);
    EXPECT_EQ(s.A(0).Primary, 933);
    EXPECT_EQ(s.D(3).ChannelId(), "51N");
    EXPECT_EQ(s.D(3).CircuitComponent(), "Line123");
    EXPECT_EQ(r.FileParam().LineFrequency, 60);
    EXPECT_EQ(r.RateList()[0]->Rate, 1200);
    EXPECT_EQ(r.SampleCount(), 40);
    EXPECT_EQ(r.LoadedCount(), 40);
    EXPECT_EQ(r.FileParam().StartTime.FormatCfg(), "12/01/2011,05:55:30.075011");
    EXPECT_EQ(r.FileParam().TriggerTime.FormatCfg(), "12/01/2011,05:55:30.078261");
    EXPECT_EQ(r.FileParam().TimeMultiplier, 1);
    EXPECT_EQ(s.Scaled(0, 0), -9.39605712890625);
    EXPECT_EQ((std::vector<int>{s.D(0).GetBit(39), s.D(1).GetBit(39), s.D(2).GetBit(39), s.D(3).GetBit(39)}),
              (std::vector<int>{1, 1, 0, 1}));
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(39), 39 / 1200.0);
    EXPECT_TRUE(s.Messages.Texts.empty());
}

TEST_F(TRecorderTest, PythonComtradeAsciiSet) {
    SampleAsciiSet(DataFile("python-comtrade/sample_ascii.cfg"));
    // The same configuration with CR LF and SUB bytes after its last line.
    SampleAsciiSet(DataFile("python-comtrade/sample_sub_char.cfg"));
}

TEST_F(TRecorderTest, PythonComtradeBinarySet) {
    TSet s(DataFile("python-comtrade/sample_bin.cfg"), DataFile("python-comtrade/sample_bin.dat"));
    const TComtrade& r = s.Recording;
    EXPECT_EQ(s.Format, "BINARY");
    EXPECT_EQ(r.AnalogList().Count(), 4);
    EXPECT_EQ(r.CyfrList().Count(), 16);
    EXPECT_EQ(s.A(0).PS, 0);
    EXPECT_EQ(r.RateList()[0]->Rate, 15360);
    EXPECT_EQ(r.SampleCount(), 5);
    EXPECT_EQ(r.LoadedCount(), 5);
    EXPECT_EQ(r.FileParam().StartTime.FormatCfg(), "07/01/2017,15:35:41.958268");
    EXPECT_EQ((std::vector<int32_t>{s.A(0).GetRaw(0), s.A(1).GetRaw(0), s.A(2).GetRaw(0), s.A(3).GetRaw(0)}),
              (std::vector<int32_t>{-24979, -3905, 27726, 12313}));
    for (int d = 0; d < 16; ++d) EXPECT_EQ(s.D(d).GetBit(0), 0);
}

TEST_F(TRecorderTest, Comtrade1991AsciiSet) {
    TSet s(DataFile("COMTRADE.jl/1991-ascii-sel.cfg"), DataFile("COMTRADE.jl/1991-ascii-sel.dat"));
    const TComtrade& r = s.Recording;
    EXPECT_EQ(r.FileParam().RevisionYear, 0);
    EXPECT_EQ(r.FileParam().StationName(), "FID=SEL-311L-R157-V0-Z009004-D20060929");
    EXPECT_EQ(r.FileParam().RecDeviceId(), "0");
    EXPECT_EQ(platform::AppFormatSettings().ShortDateFormat, "mm/dd/yy");
    EXPECT_EQ(r.AnalogList().Count(), 24);
    EXPECT_EQ(r.CyfrList().Count(), 592);
    EXPECT_DOUBLE_EQ(s.A(0).Primary, 999900 * 0.00079208);
    EXPECT_EQ(s.A(0).Secondary, s.A(0).Primary);
    EXPECT_EQ(s.A(0).PS, 0);
    EXPECT_EQ(s.D(0).NormalState, 0);
    EXPECT_EQ(r.FileParam().LineFrequency, 60);
    EXPECT_EQ(r.SampleCount(), 480);
    EXPECT_EQ(r.LoadedCount(), 480);
    EXPECT_EQ(r.FileParam().StartTime.FormatCfg(), "12/02/2011,11:41:11.081315");
    EXPECT_DOUBLE_EQ(r.FileParam().TimeMultiplier, 1e6 / 960);
    EXPECT_NEAR(s.Scaled(0, 0), -270.999876, 1e-6);
    EXPECT_NEAR(s.Scaled(5, 0), -33.3998801, 1e-6);
    EXPECT_EQ(s.A(5).ChannelId(), "VA(kV)");
    EXPECT_EQ(s.Messages.Texts, (std::vector<std::string>{"Comtrade warning : Data > Max for : IAY",
                                                          "Comtrade warning : Data > Max for : IBY",
                                                          "Comtrade warning : Data > Max for : ICY"}));
    EXPECT_EQ(s.A(18).Max, 999999);
    EXPECT_EQ(r.RateList().FGetSamplIdx(2), 3);
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(2), 2 / 960.0);
}

TEST_F(TRecorderTest, Wisp3BinarySetWithStampTimes) {
    TSet s(DataFile("Wisp.Comtrade/3.cfg"), DataFile("Wisp.Comtrade/3.dat"));
    const TComtrade& r = s.Recording;
    EXPECT_EQ(r.FileParam().StationName(), "W2D-C60-1    ");
    EXPECT_EQ(r.FileParam().RevisionYear, 1999);
    EXPECT_EQ(r.AnalogList().Count(), 24);
    EXPECT_EQ(r.CyfrList().Count(), 64);
    EXPECT_EQ(s.A(0).ChannelId(), "F1-IA" + std::string(15, ' '));
    EXPECT_DOUBLE_EQ(s.A(0).Multiplier, 0.001953);
    EXPECT_EQ(s.A(0).PS, 1);
    EXPECT_TRUE(r.RateList().TimesFromData());
    EXPECT_EQ(r.SampleCount(), 1360);
    EXPECT_EQ(r.LoadedCount(), 1360);
    EXPECT_EQ(r.FileParam().StartTime.FormatCfg(), "06/04/2012,06:42:59.391076");
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(0), 0);
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(1), 0.001249);
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(1359), 1.698295);
    // First record's status words 0x0000 0x3560 0x0278 0x0004.
    const uint16_t words[4] = {0x0000, 0x3560, 0x0278, 0x0004};
    for (int d = 0; d < 64; ++d) EXPECT_EQ(s.D(d).GetBit(0), (words[d / 16] >> (d % 16)) & 1) << d;
}

TEST_F(TRecorderTest, Wisp4BinarySetTakesTheConfiguredCount) {
    TSet s(DataFile("Wisp.Comtrade/4.CFG"), DataFile("Wisp.Comtrade/4.DAT"), "C:\\R\\4.DAT");
    const TComtrade& r = s.Recording;
    EXPECT_EQ(r.FileParam().RevisionYear, 1997);
    EXPECT_EQ(r.FileParam().RecDeviceId(), "S40/02.11 - sepam 21BBE24");
    EXPECT_DOUBLE_EQ(s.A(0).Multiplier, 2.836798);
    EXPECT_DOUBLE_EQ(s.A(0).Offset, -102.1247);
    EXPECT_EQ(r.FileParam().LineFrequency, 50);
    EXPECT_EQ(r.SampleCount(), 2399);  // of 2400 records
    EXPECT_EQ(r.LoadedCount(), 2399);
    EXPECT_EQ(r.FileParam().StartTime.FormatCfg(), "04/12/2014,07:01:48.813000");
    EXPECT_FALSE(r.RateList().TimesFromData());
    EXPECT_DOUBLE_EQ(r.RateList().FGetTime(600), 1.0);  // the stamps 0xFFFFFFFF are not used
    EXPECT_EQ((std::vector<int32_t>{s.A(0).GetRaw(0), s.A(1).GetRaw(0), s.A(2).GetRaw(0), s.A(3).GetRaw(0),
                                    s.A(4).GetRaw(0), s.A(5).GetRaw(0)}),
              (std::vector<int32_t>{43, 45, 44, -1865, 11474, -34}));
    for (int d = 0; d < 16; ++d) EXPECT_EQ(s.D(d).GetBit(0), d == 1 ? 1 : 0);
}

// Writing a real recording and reading it back in the other encoding keeps every sample.
TEST_F(TRecorderTest, RealSetsThroughBothWriters) {
    TSet s(DataFile("Wisp.Comtrade/3.cfg"), DataFile("Wisp.Comtrade/3.dat"));
    for (uint8_t format : {0, 1}) {
        TComtrade& r = s.Recording;
        TFileSet out;
        out.Add("y.CFG", "").Add("y.DAT", "");
        TComtradeInterface::Instance().WriteCfgToStream(r, out.Stream(0), r.CyfrList(), r.AnalogList(),
                                                        r.SampleCount(), 0, format);
        FindDataFileParser(kDataFileFormatNames[format])
            ->SaveDataToStream(r, out.Names, false, false, out.Streams, {});
        TSet back(out.Stream(0).Bytes(), out.Stream(1).Bytes());
        ASSERT_EQ(back.Recording.SampleCount(), r.SampleCount());
        for (int c = 0; c < r.AnalogList().Count(); ++c)
            EXPECT_EQ(back.A(c).RawBuffer(), s.A(c).RawBuffer()) << int(format) << " " << c;
        for (int d = 0; d < r.CyfrList().Count(); ++d) EXPECT_EQ(back.D(d).BitBuffer(), s.D(d).BitBuffer());
        for (int i = 0; i < r.SampleCount(); ++i)
            EXPECT_NEAR(back.Recording.RateList().FGetTime(i), r.RateList().FGetTime(i), 1e-9);
    }
}

// ---- cuts ----

struct TFixture {
    const char* cfg;
    const char* dat;
    int64_t recordLength;  // 0: lines
    int step;              // every step-th boundary
};

const TFixture kFixtures[] = {
    {"python-comtrade/sample_ascii.cfg", "python-comtrade/sample_ascii.dat", 0, 1},
    {"python-comtrade/sample_bin.cfg", "python-comtrade/sample_bin.dat", 18, 1},
    {"Wisp.Comtrade/3.cfg", "Wisp.Comtrade/3.dat", 64, 8},
    {"Wisp.Comtrade/4.CFG", "Wisp.Comtrade/4.DAT", 22, 12},
    {"COMTRADE.jl/1991-ascii-sel.cfg", "COMTRADE.jl/1991-ascii-sel.dat", 0, 120},
};

bool IsLineError(const std::string& message, const char* file) {
    return message.rfind("Błąd w ", 0) == 0 &&
           message.find(std::string(" linii pliku ") + file + " : ") != std::string::npos;
}

TEST_F(TRecorderTest, ConfigurationCutAfterEveryLine) {
    for (const TFixture& f : kFixtures) {
        const std::string cfg = DataFile(f.cfg);
        for (size_t end = cfg.find('\n'); end != std::string::npos; end = cfg.find('\n', end + 1)) {
            TComtrade r;
            try {
                recorder_test::ReadCfgText(r, cfg.substr(0, end + 1));
            } catch (const platform::Exception& e) {
                EXPECT_TRUE(IsLineError(e.Message(), ".cfg")) << f.cfg << " @" << end << ": " << e.Message();
            }
        }
    }
}

TEST_F(TRecorderTest, DataFileCutAroundEveryRecord) {
    for (const TFixture& f : kFixtures) {
        const std::string cfg = DataFile(f.cfg), dat = DataFile(f.dat);
        std::vector<size_t> boundaries;
        if (f.recordLength > 0) {
            for (size_t b = 0; b <= dat.size(); b += static_cast<size_t>(f.recordLength))
                boundaries.push_back(b);
        } else {
            for (size_t b = dat.find('\n'); b != std::string::npos; b = dat.find('\n', b + 1))
                boundaries.push_back(b + 1);
        }
        const TSet full(cfg, dat);
        // The first, every step-th and the last three boundaries.
        const size_t tail = boundaries.size() > 3 ? boundaries.size() - 3 : 0;
        for (size_t i = 0; i < boundaries.size(); i = i + static_cast<size_t>(f.step) < tail
                                                          ? i + static_cast<size_t>(f.step)
                                                          : std::max(i + 1, tail)) {
            for (int delta : {-1, 0, 1}) {
                if (boundaries[i] == 0 && delta < 0) continue;
                const size_t cut = std::min(dat.size(), boundaries[i] + delta);
                try {
                    const TSet s(cfg, dat.substr(0, cut));
                    // What the cut file holds, no sample more.
                    EXPECT_EQ(s.Recording.SampleCount(), s.Recording.LoadedCount()) << f.dat << " @" << cut;
                    EXPECT_LE(s.Recording.LoadedCount(), full.Recording.LoadedCount());
                    if (f.recordLength > 0) {
                        EXPECT_EQ(s.Recording.LoadedCount(),
                                  std::min<int64_t>(static_cast<int64_t>(cut) / f.recordLength,
                                                    full.Recording.LoadedCount()));
                    }
                } catch (const platform::Exception& e) {
                    EXPECT_TRUE(f.recordLength == 0 && IsLineError(e.Message(), ".dat"))
                        << f.dat << " @" << cut << ": " << e.Message();
                }
            }
        }
    }
}

// ---- locale ----

// Nothing the recording files hold may take its shape from the process's locale.
TEST_F(TRecorderTest, PolishLocaleChangesNothing) {
    const std::string cfg4 = DataFile("Wisp.Comtrade/4.CFG"), dat4 = DataFile("Wisp.Comtrade/4.DAT");
    const std::string cfgA = DataFile("python-comtrade/sample_ascii.cfg"),
                      datA = DataFile("python-comtrade/sample_ascii.dat");
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    ASSERT_NE(std::setlocale(LC_ALL, "pl_PL.UTF-8"), nullptr)
        << "pl_PL.UTF-8 is missing: run scripts/install-deps";
    const std::locale savedGlobal = std::locale::global(std::locale("pl_PL.UTF-8"));
    {
        TSet s(cfg4, dat4);
        EXPECT_DOUBLE_EQ(s.A(0).Multiplier, 2.836798);
        EXPECT_DOUBLE_EQ(s.A(0).Offset, -102.1247);
        TSet a(cfgA, datA);
        EXPECT_EQ(a.Scaled(0, 0), -9.39605712890625);
        std::vector<std::string> lines;
        TComtradeInterface::Instance().WriteCfg(s.Recording, lines, s.Recording.CyfrList(),
                                                s.Recording.AnalogList(), s.Recording.SampleCount(), 0, 1);
        EXPECT_EQ(lines[2].substr(0, 29), "1,I1,7,1,A,2.8367979999999999");
        TFileSet out;
        out.Add("y.dat", "");
        TAsciiDataFileParser::Instance().SaveDataToStream(a.Recording, out.Names, false, false, out.Streams,
                                                          {});
        EXPECT_EQ(out.Stream(0).Bytes().substr(0, 31), "1,0,-83,68,7,-8,0,0,0,0\r\n2,833,");
    }
    std::locale::global(savedGlobal);
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
