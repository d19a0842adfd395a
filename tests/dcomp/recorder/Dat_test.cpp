// The BINARY and ASCII data files: record layout, defaults, cuts, the write's ranges,
// time stamps and clamps, and every failure text.
#include "dcomp/recorder/ComtradeInterface.h"
#include "platform/Bytes.h"
#include "platform/Exception.h"
#include "tests/dcomp/recorder/RecorderTest.h"
#include "tests/support/TempDir.h"

namespace {

using namespace dcomp;
using recorder_test::TFileSet;
using recorder_test::TMessages;
using recorder_test::TRecorderTest;

// A configuration of nA analogue (a = 1, b = 0) and nD status channels.
std::string CfgFor(int analogs, int status, const std::string& rates, const std::string& type,
                   const std::string& multiplier = "1") {
    std::string t = "S,R,1999\r\n" + std::to_string(analogs + status) + "," + std::to_string(analogs) + "A," +
                    std::to_string(status) + "D\r\n";
    for (int i = 1; i <= analogs; ++i)
        t += std::to_string(i) + ",A" + std::to_string(i) + ",,,V,1,0,0,-32768,32767,1,1,P\r\n";
    for (int i = 1; i <= status; ++i) t += std::to_string(i) + ",D" + std::to_string(i) + ",,,0\r\n";
    t += "50\r\n" + rates + "\r\n05/01/2020,10:20:30.0\r\n05/01/2020,10:20:30.0\r\n" + type + "\r\n" +
         multiplier + "\r\n";
    return t;
}

std::string Record(uint32_t number, uint32_t stamp, const std::vector<int16_t>& raws,
                   const std::vector<uint16_t>& words) {
    std::string r(8 + 2 * (raws.size() + words.size()), '\0');
    auto* p = reinterpret_cast<uint8_t*>(r.data());
    platform::PutLe<uint32_t>(p, number);
    platform::PutLe<uint32_t>(p + 4, stamp);
    size_t at = 8;
    for (int16_t v : raws) platform::PutLe16(p + at, static_cast<uint16_t>(v)), at += 2;
    for (uint16_t w : words) platform::PutLe16(p + at, w), at += 2;
    return r;
}

// The recording of a configuration and a data file.
struct TLoaded {
    TComtrade Recording;
    TFileSet Set;
    TMessages Messages;

    TLoaded(const std::string& cfg, const std::string& dat, const std::string& datName = "C:\\R\\X.DAT") {
        Set.Add("C:\\R\\X.CFG", cfg).Add(datName, dat);
        TComtradeInterface handler;
        handler.ReadCfg(Recording, Set.Stream(0), Messages.Callback());
        Parser = FindDataFileParser(handler.DataFileFormat);
    }
    void Load() { Parser->LoadDataFromStream(Recording, Set.Names, Set.Streams, Messages.Callback()); }
    std::string LoadError() {
        try {
            Load();
        } catch (const platform::Exception& e) {
            return e.Message();
        }
        return "";
    }
    // Writes into a fresh ".dat" stream with a parser, returning its bytes.
    std::string Save(const TComtradeDataFileParser& parser, bool visibleOnly = false,
                     bool rangeOnly = false) {
        TFileSet out;
        out.Add("y.cfg", "").Add("y.dat", "");
        parser.SaveDataToStream(Recording, out.Names, visibleOnly, rangeOnly, out.Streams,
                                Messages.Callback());
        return out.Stream(1).Bytes();
    }
    const TAnalogDescr& A(int i) { return *Recording.AnalogList()[i]; }
    const TCyfrDescr& D(int i) { return *Recording.CyfrList()[i]; }
    const TComtradeDataFileParser* Parser = nullptr;
};

const TBinaryDataFileParser& Binary() {
    return TBinaryDataFileParser::Instance();
}
const TAsciiDataFileParser& Ascii() {
    return TAsciiDataFileParser::Instance();
}

TEST_F(TRecorderTest, BinaryRecordsOf3AnalogueAnd17Status) {
    std::string dat;
    for (uint32_t i = 0; i < 5; ++i)
        dat += Record(i == 2 ? 0 : 100 + i, 2 * i, {int16_t(i), int16_t(-1 - i), -32768},
                      {uint16_t(1u << i), uint16_t(i % 2)});
    dat += std::string(10, '\x7F');  // 100 bytes: 5 whole records of 8 + 6 + 4 and a part
    TLoaded l(CfgFor(3, 17, "0\r\n0,0", "BINARY", "500"), dat);
    l.Load();
    EXPECT_EQ(l.Recording.SampleCount(), 5);
    EXPECT_EQ(l.Recording.LoadedCount(), 5);
    const TRateList& rates = l.Recording.RateList();
    EXPECT_EQ(rates.FGetSamplIdx(0), 100);
    EXPECT_EQ(rates.FGetSamplIdx(2), 3);  // 0 keeps the default
    EXPECT_DOUBLE_EQ(rates.FGetTime(4), 8 * 500 / 1e6);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(l.A(0).GetRaw(i), i);
        EXPECT_EQ(l.A(1).GetRaw(i), -1 - i);
        EXPECT_EQ(l.A(2).GetRaw(i), -32768);
        for (int d = 0; d < 16; ++d) EXPECT_EQ(l.D(d).GetBit(i), d == i ? 1 : 0);
        EXPECT_EQ(l.D(16).GetBit(i), i % 2);
    }
}

TEST_F(TRecorderTest, BinaryTimesFromTheRateIgnoreTheStamps) {
    std::string dat;
    for (uint32_t i = 0; i < 4; ++i) dat += Record(i + 1, 0xFFFFFFFF, {1}, {});
    TLoaded l(CfgFor(1, 0, "1\r\n1000,4", "BINARY"), dat);
    l.Load();
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(l.Recording.RateList().FGetTime(i), i / 1000.0);
}

// A data file shorter than its configuration loads the whole records it holds.
TEST_F(TRecorderTest, BinaryCutRecordLoadsTheWholeRecords) {
    const std::string full = Record(1, 0, {7}, {1}) + Record(2, 1000, {8}, {1}) + Record(9, 2000, {9}, {1});
    for (size_t cut : {full.size() - 1, full.size() - 5, full.size() - 11, full.size() - 12, size_t{0}}) {
        TLoaded l(CfgFor(1, 1, "1\r\n1000,3", "BINARY"), full.substr(0, cut));
        l.Load();
        const int whole = static_cast<int>(cut / 12);
        EXPECT_EQ(l.Recording.SampleCount(), whole) << cut;
        EXPECT_EQ(l.Recording.LoadedCount(), whole) << cut;
        EXPECT_EQ(l.A(0).SampleCount(), whole) << cut;
        EXPECT_EQ(l.D(0).SampleCount(), whole) << cut;
        for (int i = 0; i < whole; ++i) {
            EXPECT_EQ(l.A(0).GetRaw(i), 7 + i) << cut;
            EXPECT_EQ(l.D(0).GetBit(i), 1) << cut;
            EXPECT_DOUBLE_EQ(l.Recording.RateList().FGetTime(i), i / 1000.0) << cut;
        }
        EXPECT_EQ(l.Recording.RateList().Items(0)->EndSample(), 3);  // as the configuration says
    }
}

TEST_F(TRecorderTest, BinaryReadFailures) {
    TLoaded missing(CfgFor(1, 0, "1\r\n1000,2", "BINARY"), "", "X.CFG.bak");
    EXPECT_EQ(missing.LoadError(), "TBinaryDataFileParser.LoadDataFromStream: brak pliku dat");
    TLoaded ascii(CfgFor(1, 0, "1\r\n1000,2", "ASCII"), "", "x.txt");
    EXPECT_EQ(ascii.LoadError(), "TAsciiDataFileParser.LoadDataFromStream: brak strumienia *.dat");
    TFileSet none;
    TComtrade r;
    EXPECT_THROW(Binary().SaveDataToStream(r, none.Names, false, false, none.Streams, {}),
                 platform::Exception);
    try {
        Ascii().SaveDataToStream(r, none.Names, false, false, none.Streams, {});
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "TAsciiDataFileParser.SaveDataToStream: brak strumienia *.dat");
    }
    try {
        Binary().SaveDataToStream(r, none.Names, false, false, none.Streams, {});
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "TBinaryDataFileParser.SaveDataToStream: brak strumienia *.dat");
    }
    // A count beyond the limit is wrapped with the parser's name.
    TLoaded huge(CfgFor(1, 0, "0\r\n0,0", "BINARY"), std::string(12, '\0'));
    huge.Recording.AnalogList().Add(7);  // a buffer format the model refuses
    EXPECT_EQ(huge.LoadError(),
              "TBinaryDataFileParser.LoadDataStream(): Unknown format of memory for analog buffer.");
}

TEST_F(TRecorderTest, BinaryWriteLayout) {
    TLoaded l(CfgFor(1, 17, "1\r\n1000,2", "BINARY"), "");
    TComtrade& r = l.Recording;
    r.AnalogList()[0]->SetRaw(0, 5);
    r.AnalogList()[0]->SetRaw(1, -3);
    r.CyfrList()[0]->SetBit(0, 1);
    r.CyfrList()[16]->SetBit(1, 1);
    EXPECT_EQ(l.Save(Binary()), Record(1, 0, {5}, {1, 0}) + Record(2, 1000, {-3}, {0, 1}));
    // 16 status channels take one word.
    TLoaded sixteen(CfgFor(0, 16, "1\r\n1000,1", "BINARY"), "");
    sixteen.Recording.CyfrList()[15]->SetBit(0, 1);
    EXPECT_EQ(sixteen.Save(Binary()), Record(1, 0, {}, {0x8000}));
    // Visible channels only.
    r.CyfrList()[16]->Visible = false;
    EXPECT_EQ(l.Save(Binary(), true), Record(1, 0, {5}, {1}) + Record(2, 1000, {-3}, {0}));
}

TEST_F(TRecorderTest, WritesOfTheViewRangeNumberFromOne) {
    TLoaded l(CfgFor(1, 0, "1\r\n1000,10", "BINARY"), "");
    TComtrade& r = l.Recording;
    for (int i = 0; i < 10; ++i) r.AnalogList()[0]->SetRaw(i, i * 10);
    r.ViewParam().ViewBegin = 0.0025;  // sample 2 (2.5 rounds to even)
    r.ViewParam().ViewEnd = 0.0045;    // sample 4
    EXPECT_EQ(l.Save(Binary(), false, true), Record(1, 0, {20}, {}) + Record(2, 1000, {30}, {}));
    for (int i = 0; i < 10; ++i) r.RateList().FSetSamplIdx(i, 11 + i);
    EXPECT_EQ(l.Save(Ascii(), false, true), "1,0,20\r\n2,1000,30\r\n");
    r.ViewParam().ViewEnd = 0.0025;  // nothing between
    EXPECT_EQ(l.Save(Binary(), false, true), "");
}

TEST_F(TRecorderTest, BinaryWriteClampsRawsAndMarksMissingValues) {
    TLoaded l(CfgFor(1, 0, "1\r\n1000,2", "ASCII"), "1,0,40000\r\n2,1,-40000\r\n");
    l.Load();
    EXPECT_EQ(l.A(0).GetRaw(0), 40000);
    TAnalogDescr* scaled = l.Recording.AnalogList().Add(1);  // multiplier 0: GetRaw fails
    (void)scaled;
    EXPECT_EQ(l.Save(Binary()), Record(1, 0, {32767, -32768}, {}) + Record(2, 1000, {-32768, -32768}, {}));
}

TEST_F(TRecorderTest, WritesWithoutATimeMultiplierTakeOneFromTheRate) {
    for (const TComtradeDataFileParser* parser :
         std::vector<const TComtradeDataFileParser*>{&Binary(), &Ascii()}) {
        TLoaded l(CfgFor(1, 1, "1\r\n1000,3", "BINARY"), "");
        l.Recording.FileParam().TimeMultiplier = 0;
        const std::string bytes = l.Save(*parser);
        EXPECT_EQ(l.Messages.Texts,
                  std::vector<std::string>{"Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"});
        EXPECT_EQ(l.Recording.FileParam().TimeMultiplier, 1000);  // kept
        if (parser == &Ascii()) {
            EXPECT_EQ(bytes, "1,0,0,0\r\n2,1,0,0\r\n3,2,0,0\r\n");
        } else {
            EXPECT_EQ(bytes, Record(1, 0, {0}, {0}) + Record(2, 1, {0}, {0}) + Record(3, 2, {0}, {0}));
        }
    }
    // Times from stamps that are all 0 leave a fallback of 0: 1.0 is taken.
    TLoaded flat(CfgFor(1, 0, "0\r\n0,2", "BINARY"), "");
    flat.Recording.FileParam().TimeMultiplier = 0;
    EXPECT_EQ(flat.Save(Binary()), Record(1, 0, {0}, {}) + Record(2, 0, {0}, {}));
    EXPECT_EQ(flat.Recording.FileParam().TimeMultiplier, 1.0);
}

TEST_F(TRecorderTest, BinaryWriteFailsOnAStampBeyond32Bits) {
    for (double seconds : {4295.0, -1.0}) {
        TLoaded l(CfgFor(1, 0, "0\r\n0,3", "BINARY"), "");
        l.Recording.RateList().FSetTime(2, seconds);
        try {
            l.Save(Binary());
            ADD_FAILURE() << seconds;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), "Time stamp out of range for sample 2");
        }
    }
}

TEST_F(TRecorderTest, AsciiRead) {
    TLoaded l(CfgFor(2, 2, "0\r\n0,0", "ASCII", "2"),
              "  1,   0, 5,-7,1,0\n\n   \r\n,1000,6 ,8, 0 ,7\r\n3,2000,2147483647,-2147483648,0,1\n\x1a\x1a");
    l.Load();
    EXPECT_EQ(l.Recording.LoadedCount(), 3);
    EXPECT_EQ(l.Recording.SampleCount(), 3);
    EXPECT_EQ(l.A(0).RawBuffer(), (std::vector<int32_t>{5, 6, 2147483647}));
    EXPECT_EQ(l.A(1).RawBuffer(), (std::vector<int32_t>{-7, 8, -2147483648}));
    EXPECT_EQ(l.D(0).BitBuffer(), (std::vector<uint8_t>{1, 0, 0}));
    EXPECT_EQ(l.D(1).BitBuffer(), (std::vector<uint8_t>{0, 1, 1}));
    EXPECT_EQ(l.Recording.RateList().SampleNumbers(), (std::vector<int64_t>{1, 2, 3}));  // empty field: k + 1
    EXPECT_DOUBLE_EQ(l.Recording.RateList().FGetTime(2), 2000 * 2 / 1e6);
}

TEST_F(TRecorderTest, AsciiLineFailures) {
    const struct {
        const char* dat;
        const char* error;
        int kept;  // the samples of the lines before the bad one
    } cases[] = {
        {"1,0,5,1\n2,1,6,0\n3,2,x,1\n", "Błąd w 2 linii pliku .dat : 'x' is not a valid integer value", 2},
        {"1,0,5,1\n\n3,2,x,1\n", "Błąd w 2 linii pliku .dat : 'x' is not a valid integer value", 1},
        {"1,0,5\n", "Błąd w 0 linii pliku .dat : List index out of bounds (3)", 0},
        {"1,0,5,1\n2,1,2147483648,1\n",
         "Błąd w 1 linii pliku .dat : '2147483648' is not a valid integer value", 1},
        {"1,x,5,1\n",
         "Błąd w 0 linii pliku .dat : odczyt czasu dla próbki nr  0 błąd:'x' is not a valid integer value",
         0},
        {"\n\n1,\n",
         "Błąd w 2 linii pliku .dat : odczyt czasu dla próbki nr  2 błąd:'' is not a valid integer value", 0},
        {"x,0,5,1\n", "Błąd w 0 linii pliku .dat : 'x' is not a valid integer value", 0},
        // The quoted bytes are 8-bit text, shown as UTF-8; a "%s" among them stays.
        {"1,0,5\xB9\xFF,1\n", "Błąd w 0 linii pliku .dat : '5ą˙' is not a valid integer value", 0},
        {"1,0,%s%u,1\n", "Błąd w 0 linii pliku .dat : '%s%u' is not a valid integer value", 0},
    };
    for (const auto& c : cases) {
        TLoaded l(CfgFor(1, 1, "0\r\n0,0", "ASCII"), c.dat);
        EXPECT_EQ(l.LoadError(), c.error) << c.dat;
        EXPECT_EQ(l.Recording.SampleCount(), c.kept) << c.dat;
        EXPECT_EQ(l.Recording.LoadedCount(), c.kept) << c.dat;
        if (c.kept > 0) {
            EXPECT_EQ(l.A(0).GetRaw(0), 5) << c.dat;
        }
    }
    // Times from the rate: the stamp field is not read.
    TLoaded rate(CfgFor(1, 1, "1\r\n1000,2", "ASCII"), "1,x,5,1\n2,,6,0\n");
    EXPECT_EQ(rate.LoadError(), "");
    EXPECT_DOUBLE_EQ(rate.Recording.RateList().FGetTime(1), 0.001);
}

// Sets whose configurations claim far more samples than their data files hold, read from
// a folder as a program reads them. The model refuses any sample table beyond the budget
// set here, so CanLoad and the load passing under it show that a claim sizes nothing:
// the set holds the samples of its data file, and a file of bad lines fails at its first
// line before the tables grow.
TEST_F(TRecorderTest, ClaimedSamplesBeyondTheDataFileSizeNothing) {
    struct TBudget {
        const int64_t Saved = MaxSampleBytes();
        TBudget() { SetMaxSampleBytes(int64_t{1} << 20); }
        ~TBudget() { SetMaxSampleBytes(Saved); }
    } budget;
    std::string asciiBad;
    for (int i = 0; i < 10000; ++i) asciiBad += "x\r\n";
    std::vector<int16_t> raws20;
    for (int16_t c = 1; c <= 20; ++c) raws20.push_back(c);
    const struct {
        const char* name;
        int analogs;
        const char* rates;
        const char* type;
        std::string dat;
        const char* error;
        std::vector<int32_t> lastRaws;  // the last channel's samples
        std::vector<double> times;
    } rows[] = {
        {"BINARY, 99,999,999 at 1000 Hz",
         1,
         "1\r\n1000,99999999",
         "BINARY",
         Record(1, 0, {7}, {}),
         "",
         {7},
         {0}},
        {"BINARY, 99,999,999 timed by the data",
         1,
         "0\r\n0,99999999",
         "BINARY",
         Record(1, 5, {7}, {}),
         "",
         {7},
         {5e-6}},
        {"ASCII, 99,999,999 at 1000 Hz",
         1,
         "1\r\n1000,99999999",
         "ASCII",
         "1,0,7\r\n2,1,8\r\n3,2,9\r\n",
         "",
         {7, 8, 9},
         {0, 0.001, 0.002}},
        {"BINARY, 20 analogue, 10,000,000",
         20,
         "1\r\n1000,10000000",
         "BINARY",
         Record(1, 0, raws20, {}),
         "",
         {20},
         {0}},
        {"ASCII of bad lines, 400 analogue",
         400,
         "0\r\n0,0",
         "ASCII",
         asciiBad,
         "Błąd w 0 linii pliku .dat : 'x' is not a valid integer value",
         {},
         {}},
    };
    const platform_test::TTempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string cfg = CfgFor(row.analogs, 0, row.rates, row.type);
        const std::string path = dir.Write("X.CFG", cfg);
        dir.Write("X.DAT", row.dat);
        TMemoryStream probe(cfg);
        EXPECT_TRUE(TComtradeInterface::Instance().CanLoad(probe, {}));
        TComtrade r;
        std::string error;
        try {
            LoadComtradeFiles(path, r, {});
        } catch (const platform::Exception& e) {
            error = e.Message();
        }
        EXPECT_EQ(error, row.error);
        const int held = static_cast<int>(row.times.size());
        EXPECT_EQ(r.SampleCount(), held);
        EXPECT_EQ(r.LoadedCount(), held);
        for (const TAnalogDescr* a : r.AnalogList()) EXPECT_EQ(a->SampleCount(), held);
        ASSERT_EQ(r.AnalogList().Count(), row.analogs);
        EXPECT_EQ(r.AnalogList()[row.analogs - 1]->RawBuffer(), row.lastRaws);
        EXPECT_EQ(r.RateList().TimeTable(), row.times);
    }
}

TEST_F(TRecorderTest, AsciiWrite) {
    TLoaded l(CfgFor(2, 2, "1\r\n1000,2", "ASCII"), "1,0,5,-7,1,0\r\n2,1000,6,8,0,1\r\n");
    l.Load();
    EXPECT_EQ(l.Save(Ascii()), "1,0,5,-7,1,0\r\n2,1000,6,8,0,1\r\n");
    l.Recording.AnalogList()[1]->Visible = false;
    EXPECT_EQ(l.Save(Ascii(), true), "1,0,5,1,0\r\n2,1000,6,0,1\r\n");
    EXPECT_TRUE(l.Messages.Texts.empty());
}

}  // namespace
