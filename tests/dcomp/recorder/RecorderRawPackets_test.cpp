// The raw packet parsers behind a small configuration read by the CFG reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/RawPackets.h"
#include "tests/dcomp/recorder/RecorderTestSupport.h"
#include "tests/dcomp/recorder/RecorderWriters.h"
#include "tests/support/TempDirTest.h"

namespace {

using namespace reader_test;
using dcomp::TComtrade;

// A configuration with these analog and status channel numbers, n samples at rate.
std::string Cfg(const std::vector<int>& analogs, const std::vector<int>& status, int n, int rate,
                const char* type) {
    std::string t = "ST,DEV,1999\r\n" + std::to_string(analogs.size() + status.size()) + "," +
                    std::to_string(analogs.size()) + "A," + std::to_string(status.size()) + "D\r\n";
    for (int a : analogs)
        t += std::to_string(a) + ",A" + std::to_string(a) + ",,,V,1,0,0,-32768,32767,1,1,S\r\n";
    for (int d : status) t += std::to_string(d) + ",D" + std::to_string(d) + ",,,0\r\n";
    t += "50\r\n1\r\n" + std::to_string(rate) + "," + std::to_string(n) + "\r\n";
    t += "01/01/2021,00:00:00.000000\r\n01/01/2021,00:00:00.000000\r\n" + std::string(type) + "\r\n1\r\n";
    return t;
}

struct TRun {
    std::unique_ptr<TComtrade> Rec = std::make_unique<TComtrade>();
    std::vector<std::string> Messages;
    std::string Error;
};

TRun ReadDat(const dcomp::TComtradeDataFileParser& parser, const std::string& cfg, const std::string& dat,
             bool interrupted = false, int rate = -1) {
    TRun run;
    dcomp::TComtradeInterface reader;
    dcomp::TMemoryStream cfgStream(cfg);
    reader.ReadCfg(*run.Rec, cfgStream, {});
    if (interrupted) run.Rec->InfoFile().WriteBool("Quarnel RecAttribs", "Interrupted", true);
    if (rate >= 0) run.Rec->RateList().Items(0)->Rate = rate;
    dcomp::TNameList names{"C:\\rej\\plik.cfg", "C:\\rej\\plik.dat"};
    dcomp::TStreamList streams;
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(cfg));
    streams.push_back(std::make_unique<dcomp::TMemoryStream>(dat));
    try {
        parser.LoadDataFromStream(*run.Rec, names, streams,
                                  [&run](const std::string& m) { run.Messages.push_back(m); });
    } catch (const platform::Exception& e) {
        run.Error = e.Message();
    }
    return run;
}

const auto& Fault() {
    return dcomp::TLumoOPFaultDataFileParser::Instance();
}
const auto& Trend() {
    return dcomp::TLumoOPTrendDataFileParser::Instance();
}

// ---- QVX_RAW -------------------------------------------------------------------------

// Analog numbers 1, 7, 2 stand in the packet as words 0 (1), 1 (7) and 2 (2); modules 1
// and 3 take the status words 3 and 4; L = 6 leaves one spare word.
const std::vector<int> kAnalogs = {1, 7, 2};
const std::vector<int> kStatus = {101, 305, 315};
constexpr std::size_t kL = 6;

// Packet i: analog values 2i+1 (start bit), -4i, 8i; module 1 input 1 on for odd i;
// module 3 inputs 5 and 15 on for i divisible by 3.
std::vector<uint16_t> Packet(int i) {
    std::vector<uint16_t> w(kL, 0);
    w[0] = static_cast<uint16_t>(2 * i + 1);
    w[1] = static_cast<uint16_t>(-4 * i);
    w[2] = static_cast<uint16_t>(8 * i);
    w[3] = (i % 2) ? 1 << 1 : 0;
    w[4] = (i % 3 == 0) ? (1 << 5 | 1 << 15) : 0;
    return w;
}

std::string Packets(int first, int count) {
    std::vector<uint16_t> words;
    for (int i = first; i < first + count; ++i)
        for (uint16_t w : Packet(i)) words.push_back(w);
    return Words16(words, true);
}

void ExpectPackets(TRun& run, int count, int firstValue = 0) {
    ASSERT_EQ(run.Rec->SampleCount(), count);
    auto& analogs = run.Rec->AnalogList();
    auto& status = run.Rec->CyfrList();
    for (int s = 0; s < count; ++s) {
        const int i = firstValue + s;
        SCOPED_TRACE(s);
        ASSERT_EQ(analogs.Items(0)->GetRaw(s), 2 * i + 1);
        ASSERT_EQ(analogs.Items(1)->GetRaw(s), -4 * i);
        ASSERT_EQ(analogs.Items(2)->GetRaw(s), 8 * i);
        ASSERT_EQ(status.Items(0)->GetBit(s), i % 2);
        ASSERT_EQ(status.Items(1)->GetBit(s), i % 3 == 0);
        ASSERT_EQ(status.Items(2)->GetBit(s), i % 3 == 0);
    }
}

class QvxRawTest : public platform_test::TempDirTest {
protected:
    void Debug(int value) {
        Write("registry.ini", "[HKEY_CURRENT_USER\\Software\\Quarnel\\ZaVadozerO3]\r\nCmtrDebug=" +
                                  std::to_string(value) + "\r\n");
    }
};

TEST_F(QvxRawTest, ReadsPacketsIntoTheConfiguredChannels) {
    TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 10, 1000, "QVX_RAW"), Packets(0, 10));
    EXPECT_EQ(run.Error, "");
    EXPECT_TRUE(run.Messages.empty());
    ExpectPackets(run, 10);
    EXPECT_EQ(Fault().GetFormatName(), "QVX_RAW");
    EXPECT_EQ(Fault().GetCapabilities(), 1);
}

TEST_F(QvxRawTest, WordsBeforeTheFirstStartAreSkipped) {
    TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 10, 1000, "QVX_RAW"),
                       Words16({2, 4, 6}, true) + Packets(0, 10));
    EXPECT_TRUE(run.Messages.empty());
    ExpectPackets(run, 10);
}

TEST_F(QvxRawTest, AWrongPacketStaysAndWithTheSwitchGetsFillersAndAMessage) {
    std::vector<uint16_t> bad = Packet(5);
    bad[2] |= 1;  // a start bit where none belongs
    const std::string dat = Packets(0, 5) + Words16(bad, true) + Packets(6, 6);
    for (int debug : {0, 1}) {
        SCOPED_TRACE(debug);
        Debug(debug);
        TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 100, 1000, "QVX_RAW"), dat);
        auto& a = *run.Rec->AnalogList().Items(0);
        if (debug == 0) {
            ASSERT_EQ(run.Messages.size(), 1u);  // only the cut
            ASSERT_EQ(run.Rec->SampleCount(), 12);
            EXPECT_EQ(run.Rec->AnalogList().Items(2)->GetRaw(5), 41);  // kept as read
            EXPECT_EQ(a.GetRaw(6), 13);
            EXPECT_EQ(a.GetRaw(11), 23);
            continue;
        }
        ASSERT_EQ(run.Rec->SampleCount(), 14);
        EXPECT_EQ(a.GetRaw(5), 11);
        EXPECT_EQ(a.GetRaw(6), -30000);
        EXPECT_EQ(run.Rec->AnalogList().Items(2)->GetRaw(6), -30000);
        EXPECT_EQ(run.Rec->CyfrList().Items(0)->GetBit(6), 0);
        EXPECT_EQ(a.GetRaw(7), 30000);
        EXPECT_EQ(run.Rec->CyfrList().Items(0)->GetBit(7), 1);
        EXPECT_EQ(a.GetRaw(8), 13);
        ASSERT_EQ(run.Messages.size(), 3u);
        // 8 packets with the fillers; the bad word at 2 is the next start; 8 × 2 × 6 = 96 of 144 bytes.
        EXPECT_EQ(run.Messages[0], "Uszkodzenie PrbNr=8 PktLen=2/6 FileOffset=96:0x60:66.7%\\e");
        EXPECT_EQ(run.Messages[2], "Podsumowanie PrbCnt=14 PktLen=6\\e");
    }
}

TEST_F(QvxRawTest, CutsAndTheirMessages) {
    struct Case {
        const char* what;
        int configured, packets;
        bool interrupted;
        int rate;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"1000 announced, 500 read",
         1000,
         500,
         false,
         1000,
         {"plik: uszkodzony plik danych. Obcięcie z 1.000[s] do 0.500[s]\\e"}},
        {"interrupted",
         1000,
         500,
         true,
         2000,
         {"plik: przerwana rejestracja. Obcięcie z 0.500[s] do 0.250[s]\\e"}},
        {"4 missing", 14, 10, false, 1000, {}},
        {"5 missing",
         15,
         10,
         false,
         1000,
         {"plik: uszkodzony plik danych. Obcięcie z 0.015[s] do 0.010[s]\\e"}},
        {"rate 0", 15, 10, false, 0, {"plik: uszkodzony plik danych. Obcięcie z 0.000[s] do 0.000[s]\\e"}},
        {"more packets than announced", 8, 10, false, 1000, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, c.configured, 1000, "QVX_RAW"),
                           Packets(0, c.packets), c.interrupted, c.rate == 1000 ? -1 : c.rate);
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Messages, c.messages);
        ExpectPackets(run, std::min(c.configured, c.packets));
        EXPECT_EQ(run.Rec->RateList().Items(0)->EndSample(), std::min(c.configured, c.packets));
    }
}

TEST_F(QvxRawTest, StreamsThatLoadNothing) {
    std::vector<uint16_t> noStart(60, 2);
    struct Case {
        const char* what;
        std::string dat;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"39 words", Packets(0, 6).substr(0, 78), {}},
        {"no start word", Words16(noStart, true), {}},
        {"one start word only", Words16({1}, true) + Words16(noStart, true), {}},
        // L = 3 cannot hold 3 analog and 2 status words.
        {"packets too short",
         Words16(std::vector<uint16_t>{1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0,
                                       0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1},
                 true),
         {"Niepoprawny plik *.DAT ."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 10, 1000, "QVX_RAW"), c.dat);
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Messages, c.messages);
        // The configuration's count stays, the buffers hold nothing read.
        EXPECT_EQ(run.Rec->SampleCount(), 10);
        EXPECT_EQ(run.Rec->AnalogList().Items(0)->GetRaw(1), 0);
    }
}

TEST_F(QvxRawTest, DamageWithoutAnotherStartKeepsThePacketsRead) {
    // A wrong packet, then 40 words without a start bit: the 8 packets before it and the
    // wrong one itself stay.
    std::vector<uint16_t> bad = Packet(8);
    bad[1] |= 1;
    TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 9, 1000, "QVX_RAW"),
                       Packets(0, 8) + Words16(bad, true) + Words16(std::vector<uint16_t>(40, 2), true));
    EXPECT_TRUE(run.Messages.empty());
    ASSERT_EQ(run.Rec->SampleCount(), 9);
    EXPECT_EQ(run.Rec->AnalogList().Items(0)->GetRaw(7), 15);
    EXPECT_EQ(run.Rec->AnalogList().Items(1)->GetRaw(8), -32 + 1);
}

TEST_F(QvxRawTest, AShortLastPacketIsDropped) {
    TRun run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 9, 1000, "QVX_RAW"),
                       Packets(0, 9) + Words16({1, 0, 0}, true));
    EXPECT_TRUE(run.Messages.empty());
    ExpectPackets(run, 9);
    run = ReadDat(Fault(), Cfg(kAnalogs, kStatus, 20, 1000, "QVX_RAW"),
                  Packets(0, 9) + Words16({1, 0, 0}, true));
    ExpectPackets(run, 9);
}

TEST_F(QvxRawTest, NumbersOutsideThePacketTakeNoWord) {
    // 19 and 0 have no word, the second 7 reads nothing, 116 and 1301 neither; 101 and
    // 305 still take words 3 and 4 after the analog words of 1, 7 and 2.
    const std::vector<int> analogs = {19, 1, 7, 0, 7, 2};
    const std::vector<int> status = {116, 101, 1301, 305, 101};
    TRun run = ReadDat(Fault(), Cfg(analogs, status, 10, 1000, "QVX_RAW"), Packets(0, 10));
    EXPECT_EQ(run.Error, "");
    const auto& a = run.Rec->AnalogList();
    const auto& d = run.Rec->CyfrList();
    EXPECT_EQ(a.Items(0)->GetRaw(3), 0);
    EXPECT_EQ(a.Items(1)->GetRaw(3), 7);
    EXPECT_EQ(a.Items(2)->GetRaw(3), -12);
    EXPECT_EQ(a.Items(4)->GetRaw(3), 0);
    EXPECT_EQ(a.Items(5)->GetRaw(3), 24);
    EXPECT_EQ(d.Items(1)->GetBit(3), 1);
    EXPECT_EQ(d.Items(4)->GetBit(3), 0);
    EXPECT_EQ(d.Items(3)->GetBit(3), 1);
    EXPECT_EQ(d.Items(0)->GetBit(3), 0);
    EXPECT_EQ(d.Items(2)->GetBit(3), 0);
    const dcomp::TQvxLayout layout = dcomp::MakeQvxLayout(analogs, status);
    EXPECT_EQ(layout.AnalogOrder, (std::vector<std::size_t>{1, 2, 5}));
    EXPECT_EQ(layout.Modules, (std::vector<int>{1, 3}));
}

TEST_F(QvxRawTest, ManySmallPacketsLoadWhole) {
    constexpr int kPackets = 20000;
    struct Case {
        const char* what;
        std::vector<int> status;  // analog channel 1 always
        std::size_t words;        // in a packet
        int bad;                  // the packet whose start bit is missing, or -1
        int debug;
    };
    const std::vector<Case> cases = {
        {"one word", {}, 1, -1, 0},
        {"one word and a module", {101, 115}, 2, -1, 0},
        {"one word, a wrong one among them, fillers", {}, 1, 777, 1},
        {"one word and a module, a wrong one among them", {115}, 2, 12345, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Debug(c.debug);
        std::vector<uint16_t> words;
        for (int i = 0; i < kPackets; ++i) {
            words.push_back(static_cast<uint16_t>(i == c.bad ? 2 * i : 2 * i + 1));
            if (c.words == 2) words.push_back(static_cast<uint16_t>(i % 3 == 0 ? 1 << 15 | 1 << 1 : 0));
        }
        const bool fillers = c.bad >= 0 && c.debug > 0;
        const int count = kPackets + (fillers ? 2 : 0);
        TRun run = ReadDat(Fault(), Cfg({1}, c.status, count, 1000, "QVX_RAW"), Words16(words, true));
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Messages.size(), fillers ? 2u : 0u);
        ASSERT_EQ(run.Rec->SampleCount(), count);
        const auto& a = *run.Rec->AnalogList().Items(0);
        const auto& d = run.Rec->CyfrList();
        for (int s = 0; s < count; ++s) {
            // The packets after the fillers stand two samples later.
            const int i = fillers && s > c.bad ? (s <= c.bad + 2 ? -1 : s - 2) : s;
            const int32_t want = i < 0 ? (s == c.bad + 1 ? -30000 : 30000)
                                       : static_cast<int16_t>(i == c.bad ? 2 * i : 2 * i + 1);
            ASSERT_EQ(a.GetRaw(s), want) << s;
            for (int k = 0; k < d.Count(); ++k)
                ASSERT_EQ(d.Items(k)->GetBit(s), i >= 0 && i % 3 == 0 ? 1 : 0) << s;
        }
    }
}

TEST_F(QvxRawTest, AMissingDatStreamRaises) {
    TComtrade rec;
    dcomp::TNameList names{"x.cfg"};
    dcomp::TStreamList streams;
    streams.push_back(std::make_unique<dcomp::TMemoryStream>());
    try {
        Fault().LoadDataFromStream(rec, names, streams, {});
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "TLumoOPFaultDataFileParser.LoadDataFromStream: brak strumienia *.dat");
    }
}

TEST_F(QvxRawTest, DamagedStreamsNeverCrash) {
    Debug(1);
    const std::string cfg = Cfg(kAnalogs, kStatus, 12, 1000, "QVX_RAW");
    Mangle(Packets(0, 12), 7, [&](const std::string& dat) {
        TRun run = ReadDat(Fault(), cfg, dat);
        EXPECT_EQ(run.Error, "");
        EXPECT_LE(run.Rec->SampleCount(), 12);
    });
}

// ---- SLOW_RAW ------------------------------------------------------------------------

// Two analog channels: packets "#", counter, then two big-endian values.
std::string Slow(int first, int count, uint8_t counter = 0) {
    TImage img(true);
    for (int i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 6;
        img.U8(at, '#');
        img.U8(at + 1, static_cast<uint8_t>(counter + i));
        img.U16(at + 2, static_cast<uint16_t>(100 * (first + i)));
        img.U16(at + 4, static_cast<uint16_t>(-(first + i)));
    }
    return img.Bytes();
}

TEST(SlowRawTest, ReadsUntilTheCounterJumps) {
    struct Case {
        const char* what;
        std::string dat;
        int configured;
        int loaded;  // -1: the configuration's count stays
        std::vector<std::string> messages;
        int rate = -1;
    };
    const std::vector<Case> cases = {
        {"jump after 40",
         Slow(0, 40, 250) + Slow(40, 10, 7),
         50,
         40,
         {"Uszkodzony plik danych. Obcięcie z 0.050[s] do 0.040[s]\\e"}},
        {"4 missing", Slow(0, 36), 40, 36, {}},
        {"rate 0", Slow(0, 30), 40, 30, {"Uszkodzony plik danych. Obcięcie z 0.000[s] do 0.000[s]\\e"}, 0},
        {"more than announced", Slow(0, 35), 30, 35, {}},
        {"29 packets", Slow(0, 29), 40, -1, {}},
        {"two bytes of noise first", "\x01\x02" + Slow(0, 35), 35, 35, {}},
        {"no synchronisation", Slow(0, 20) + Slow(20, 20, 99), 40, -1, {"Niepoprawny plik *.DAT ."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TRun run = ReadDat(Trend(), Cfg({1, 2}, {}, c.configured, 1000, "SLOW_RAW"), c.dat, false, c.rate);
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Messages, c.messages);
        const int loaded = c.loaded < 0 ? c.configured : c.loaded;
        ASSERT_EQ(run.Rec->SampleCount(), loaded);
        if (c.loaded < 0) continue;
        EXPECT_EQ(run.Rec->RateList().Items(0)->EndSample(), loaded);
        for (int i = 0; i < loaded; ++i) {
            ASSERT_EQ(run.Rec->AnalogList().Items(0)->GetRaw(i), 100 * i) << i;
            ASSERT_EQ(run.Rec->AnalogList().Items(1)->GetRaw(i), -i) << i;
        }
    }
    EXPECT_EQ(Trend().GetFormatName(), "SLOW_RAW");
    EXPECT_EQ(Trend().GetCapabilities(), 1);
}

TEST(SlowRawTest, DamagedStreamsNeverCrash) {
    const std::string cfg = Cfg({1, 2}, {}, 40, 1000, "SLOW_RAW");
    Mangle(Slow(0, 40), 11, [&](const std::string& dat) {
        TRun run = ReadDat(Trend(), cfg, dat);
        EXPECT_EQ(run.Error, "");
    });
}

}  // namespace
