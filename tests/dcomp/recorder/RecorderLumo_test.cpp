// The Lumo reader over files built byte by byte for each generation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "dcomp/recorder/LumoReader.h"
#include "tests/dcomp/recorder/RecorderTestSupport.h"
#include "tests/dcomp/recorder/RecorderWriters.h"

namespace {

using namespace reader_test;
using dcomp::TLumoInterface;
namespace L = reader_test::lumo;

const TLumoInterface& Lumo() {
    return TLumoInterface::Instance();
}

bool BigEndian(int version) {
    return version == 1 || version == 2;
}

// A whole file of a version 0, 1, 2 or 4: signature text, CFG and header I, or header II.
std::string LumoFile(int version, const TLumoCfgFields& cfg, const TLumoHeaderFields& header,
                     const std::string& blocks) {
    const bool big = BigEndian(version);
    std::string out = version == 0 ? "" : LumoSignatureText(version);
    if (version == 0 || version == 1) {
        out += LumoCfg(cfg, big) + LumoHeaderI(header, big);
    } else {
        out += LumoHeaderII(header, big);
    }
    return out + blocks;
}

TLumoCfgFields OneAnalogModuleCfg() {
    TLumoCfgFields cfg;
    cfg.RecorderName = "REJESTRATOR \xA3\xD3\x44\xAF";  // ŁÓDŻ in code page 1250
    cfg.ModuleKinds[1] = 4;                             // analog, 200 V range, red
    cfg.ModuleKinds[3] = 1;                             // status
    cfg.Channels.push_back({1, 2, "U2", "Napiecie U2", "kV", 3.0f, 0, 5000});
    cfg.Channels.push_back({3, 1, "P1", "Pobudzenie", "", 1.0f, 0, 0});
    return cfg;
}

// Header I at speed index 13 (1,600 samples/s) or header II at 1,600 samples/s: 5 samples.
TLumoHeaderFields FiveSamples() {
    TLumoHeaderFields h;
    h.Before = 2;
    h.After = 3;
    h.SpeedOrRate = 13;
    return h;
}

TEST(LumoReaderTest, FormIBlocksThroughTheCfgInVersions0And1) {
    for (int version : {0, 1}) {
        SCOPED_TRACE(version);
        const bool big = BigEndian(version);
        const std::string blocks =
            LumoFormI(L::kSigAnalogI, 1 << 2 | 2, 100, LumoAnalogSamples({10, -20, 30, -40, 999}, big), big) +
            LumoFormI(L::kSigStatusI, 3 << 2 | 1, 0, LumoStatusSamples({1, 0, 1, 1, 0}, big), big);
        TLoaded r = Load(Lumo(), LumoFile(version, OneAnalogModuleCfg(), FiveSamples(), blocks));
        ASSERT_EQ(r.Error, "");
        EXPECT_TRUE(CanLoad(Lumo(), LumoFile(version, OneAnalogModuleCfg(), FiveSamples(), blocks)));
        const auto& p = r.Rec().FileParam();
        EXPECT_EQ(p.StationName(), "REJESTRATOR ŁÓDŻ");
        EXPECT_EQ(p.RecDeviceId(), version == 0 ? "LumoV1" : "LumoV1BK");
        EXPECT_EQ(p.RevisionYear, 1997);
        EXPECT_EQ(p.LineFrequency, 50.0);
        EXPECT_DOUBLE_EQ(p.TimeMultiplier, 1000000.0 / 1600);
        ASSERT_EQ(r.Rec().RateList().Count(), 1);
        EXPECT_EQ(r.Rec().RateList().Items(0)->Rate, 1600);
        EXPECT_EQ(r.Rec().RateList().Items(0)->EndSample(), 5);
        EXPECT_EQ(r.Samples(), 5);
        // 2 samples before the trigger at 1,600/s: round(1.25) = 1 ms.
        EXPECT_EQ(p.TriggerTime.FormatCfg(), "04/03/2021,05:06:07.250000");
        EXPECT_EQ(p.StartTime.FormatCfg(), "04/03/2021,05:06:07.249000");

        ASSERT_EQ(r.Analogs(), 1);
        auto& a = r.A(0);
        EXPECT_EQ(a.Number, 7);
        EXPECT_EQ(a.ChannelId(), "U2");
        EXPECT_EQ(a.CircuitComponent(), "Napiecie U2");
        EXPECT_EQ(a.Units(), "kV");
        EXPECT_EQ(a.Secondary, 200.0);
        EXPECT_EQ(a.Primary, 600.0);
        EXPECT_EQ(a.Min, -32768);
        EXPECT_EQ(a.Max, 32767);
        EXPECT_DOUBLE_EQ(a.Multiplier, 200.0 * 0.5 / 32768);
        EXPECT_DOUBLE_EQ(a.Offset, -2 * 100 * a.Multiplier);
        EXPECT_EQ(a.PS, 1);
        EXPECT_EQ(a.PenColor, 0xFF0000u);
        EXPECT_EQ(a.BackgroundColor, 0xFFFFFFu);
        // Words × 2; the last sample repeats the one before.
        EXPECT_EQ(r.Raws(0), (std::vector<int32_t>{20, -40, 60, -80, -80}));

        ASSERT_EQ(r.Status(), 1);
        EXPECT_EQ(r.D(0).Number, 14);
        EXPECT_EQ(r.D(0).ChannelId(), "P1");
        EXPECT_EQ(r.D(0).CircuitComponent(), "Pobudzenie");
        EXPECT_EQ(r.Bits(0), (std::vector<uint8_t>{1, 0, 1, 1, 1}));
    }
}

TEST(LumoReaderTest, FormIIBlocksInBothByteOrders) {
    for (int version : {2, 4}) {
        SCOPED_TRACE(version);
        const bool big = BigEndian(version);
        TLumoHeaderFields h = FiveSamples();
        h.SpeedOrRate = 2000;
        TLumoFormIIFields analog;  // kind 5, range 50, ratio 10, scale 10000
        analog.Channel = 4;
        analog.Zero = -8;
        TLumoFormIIFields status;
        status.Signature = L::kSigStatusII;
        status.Module = 2;
        status.Channel = 5;
        status.Kind = 9;  // above 7: kind 0
        status.Name = "D5";
        const std::string blocks = LumoFormII(analog, LumoAnalogSamples({1, 2, 3, 4, 5}, big), big) +
                                   LumoFormII(status, LumoStatusSamples({0, 1, 0, 0, 1}, big), big);
        const std::string file = LumoFile(version, {}, h, blocks);
        TLoaded r = Load(Lumo(), file);
        ASSERT_EQ(r.Error, "");
        EXPECT_TRUE(CanLoad(Lumo(), file));
        EXPECT_EQ(r.Rec().FileParam().StationName(), "STACJA");
        EXPECT_EQ(r.Rec().FileParam().RecDeviceId(), version == 2 ? "LumoV11BK" : "LumoV2BK");
        // 2 samples at 2,000/s: 1 ms before the trigger.
        EXPECT_EQ(r.Rec().FileParam().StartTime.FormatCfg(), "04/03/2021,05:06:07.249000");
        ASSERT_EQ(r.Analogs(), 1);
        auto& a = r.A(0);
        EXPECT_EQ(a.Number, 5);
        EXPECT_EQ(a.Secondary, 50.0);
        EXPECT_EQ(a.Primary, 500.0);
        EXPECT_DOUBLE_EQ(a.Multiplier, 50.0 / 32768);
        EXPECT_DOUBLE_EQ(a.Offset, 16 * 50.0 / 32768);
        EXPECT_EQ(a.PenColor, 0x0000FFu);
        EXPECT_EQ(a.ChannelId(), "U1");
        EXPECT_EQ(a.CircuitComponent(), "Napiecie");
        EXPECT_EQ(a.Units(), "V");
        EXPECT_EQ(r.Raws(0), (std::vector<int32_t>{2, 4, 6, 8, 8}));
        ASSERT_EQ(r.Status(), 1);
        EXPECT_EQ(r.D(0).Number, 306);
        EXPECT_EQ(r.D(0).PenColor, 0u);
        EXPECT_EQ(r.Bits(0), (std::vector<uint8_t>{0, 1, 0, 0, 0}));
    }
}

TEST(LumoReaderTest, StoredIntegerRatiosAreRepaired) {
    TLumoCfgFields cfg = OneAnalogModuleCfg();
    cfg.Channels[0].RatioBits = 0;
    cfg.Channels[0].Ratio = 0;
    cfg.Channels.push_back({1, 0, "U0", "", "", 0, 3, 10000});  // 3 as an integer: a tiny float
    cfg.Channels.push_back({1, 2, "U2", "", "", 0, 40, 10000});
    TLumoHeaderFields h = FiveSamples();
    const std::string blocks =
        LumoFormI(L::kSigAnalogI, 1 << 2 | 2, 0, LumoAnalogSamples({1, 1, 1, 1, 1}, false), false);
    TLoaded r = Load(Lumo(), LumoFile(0, cfg, h, blocks));
    ASSERT_EQ(r.Error, "");
    EXPECT_EQ(r.A(0).Primary, 200.0 * 40);
    // A tiny ratio on a status module's channel repairs nothing.
    TLumoCfgFields quiet = OneAnalogModuleCfg();
    quiet.Channels.push_back({3, 0, "P0", "", "", 0, 3, 0});
    quiet.Channels[0].RatioBits = 0x40400000;  // the float 3.0 stored as it is
    r = Load(Lumo(), LumoFile(0, quiet, h, blocks));
    ASSERT_EQ(r.Error, "");
    EXPECT_EQ(r.A(0).Primary, 600.0);
}

TEST(LumoReaderTest, HeaderFaultsRaiseTheirTexts) {
    struct Case {
        const char* what;
        int version;
        TLumoCfgFields cfg;
        TLumoHeaderFields header;
        std::string error;
        bool segment;  // a rate segment was added before the failure
    };
    auto header = [](auto change) {
        TLumoHeaderFields h = FiveSamples();
        change(h);
        return h;
    };
    TLumoCfgFields refused;
    refused.Refused = true;
    const std::vector<Case> cases = {
        {"speed 14",
         0,
         {},
         header([](auto& h) { h.SpeedOrRate = 14; }),
         "Nie właściwa wartość pola Header.PomSpeed",
         false},
        {"speed far out",
         1,
         {},
         header([](auto& h) { h.SpeedOrRate = 0x80000000u; }),
         "Nie właściwa wartość pola Header.PomSpeed",
         false},
        {"stored incorrectly",
         4,
         {},
         header([](auto& h) { h.DataSignature = 0x2537AA67; }),
         "Plik danych nie został poprawnie zapisany w rejestratorze.",
         false},
        {"header I signature in 1.0",
         1,
         {},
         header([](auto& h) { h.Signature = 0x2537AB22; }),
         "Nie rozpoznana sygnatura dla pliku w wersji IS",
         false},
        {"header II signature",
         2,
         {},
         header([](auto& h) { h.Signature = 0x2537AA22; }),
         "Nie rozpoznana sygnatura dla pliku w wersji II",
         false},
        {"refused CFG in 1.0", 1, refused, FiveSamples(), "This is not CFG in first version. Error.", false},
        {"refused CFG without text", 0, refused, FiveSamples(),
         "Nie rozpoznana sygnatura dla pliku w wersji I", false},
        {"rate 0", 4, {}, header([](auto& h) { h.SpeedOrRate = 0; }), "Błąd odczytu nagłówka", false},
        {"n beyond the stream",
         2,
         {},
         header([](auto& h) {
             h.SpeedOrRate = 1000;
             h.Before = 0xFFFFFFFF;
             h.After = 0xFFFFFFFF;
         }),
         "Nie kompletne dane",
         false},
        {"samples missing", 4, {}, header([](auto& h) { h.SpeedOrRate = 1000; }), "Nie kompletne dane", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool big = BigEndian(c.version);
        std::string blocks;
        if (c.segment) blocks = LumoFormII({}, LumoAnalogSamples({1, 2, 3}, big), big);
        TLoaded r = Load(Lumo(), LumoFile(c.version, c.cfg, c.header, blocks));
        EXPECT_EQ(r.Error, c.error);
        EXPECT_EQ(r.Rec().RateList().Count(), c.segment ? 1 : 0);
        // The channel added before the short samples stays.
        EXPECT_EQ(r.Analogs(), c.segment ? 1 : 0);
    }
}

TEST(LumoReaderTest, ShortHeadersAndUnknownFiles) {
    const std::string v4 = LumoFile(4, {}, FiveSamples(), "");
    const std::string v1 = LumoFile(1, {}, FiveSamples(), "");
    struct Case {
        const char* what;
        std::string bytes;
        std::string error;
        bool canLoad;
    };
    const std::vector<Case> cases = {
        {"empty", "", "Nie rozpoznana sygnatura dla pliku w wersji I", false},
        {"text only", "[LUMO FORMAT 2.0   ]", "Błąd przy odczycie nagłówka danych", true},
        {"header II cut", v4.substr(0, v4.size() - 1), "Błąd przy odczycie nagłówka danych", true},
        {"CFG cut", v1.substr(0, 20 + 16383), "Błąd odczytu CFG z pliku", true},
        {"header I cut", v1.substr(0, v1.size() - 1), "Błąd przy odczycie nagłówka danych", true},
        {"unknown text", std::string("[LUMO FORMAT 9.9   ]") + std::string(20000, '\0'),
         "Nie rozpoznana sygnatura dla pliku w wersji I", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(Lumo(), c.bytes).Error, c.error);
        EXPECT_EQ(CanLoad(Lumo(), c.bytes), c.canLoad);
    }
}

TEST(LumoReaderTest, UnknownBlocksEndTheLoadWithAMessageOrRaise) {
    const TLumoHeaderFields h = FiveSamples();
    const std::string good =
        LumoFormI(L::kSigAnalogI, 1 << 2 | 2, 0, LumoAnalogSamples({1, 2, 3, 4, 5}, false), false);
    struct Case {
        const char* what;
        std::string blocks;
    };
    const std::vector<Case> cases = {
        {"unknown signature", good + LumoFormI(0x12345678, 0, 0, std::string(10, '\0'), false)},
        // Module 16 of a form-I address lies beyond the CFG's 16 modules.
        {"module 16", good + LumoFormI(L::kSigAnalogI, 16 << 2, 0, std::string(10, '\0'), false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = LumoFile(0, OneAnalogModuleCfg(), h, c.blocks);
        TLoaded quiet = Load(Lumo(), file, "", true, "C:\\rej\\plik.lum");
        EXPECT_EQ(quiet.Error, "");
        EXPECT_EQ(quiet.Messages, std::vector<std::string>{"Uszkodzone dane w pliku: C:\\rej\\plik.lum\\e"});
        EXPECT_EQ(quiet.Analogs(), 1);
        TLoaded loud = Load(Lumo(), file, "", false);
        EXPECT_EQ(loud.Error, "Uszkodzone dane");
        EXPECT_EQ(loud.Analogs(), 1);
    }
}

TEST(LumoReaderTest, OneAndNoSamples) {
    for (uint32_t n : {0u, 1u}) {
        TLumoHeaderFields h = FiveSamples();
        h.Before = 0;
        h.After = n;
        h.SpeedOrRate = 1000;
        const std::string blocks =
            LumoFormII({}, LumoAnalogSamples(std::vector<int16_t>(n, -7), false), false) +
            LumoFormII({.Signature = L::kSigStatusII}, LumoStatusSamples(std::vector<int>(n, 1), false),
                       false);
        TLoaded r = Load(Lumo(), LumoFile(4, {}, h, blocks + (n == 0 ? std::string(12, '\0') : "")));
        ASSERT_EQ(r.Error, "") << n;
        EXPECT_EQ(r.Samples(), static_cast<int>(n));
        EXPECT_EQ(r.Raws(0), std::vector<int32_t>(n, -14));
        if (n == 1) {
            EXPECT_EQ(r.Bits(0), std::vector<uint8_t>{1});
        }
    }
}

TEST(LumoReaderTest, ImpossibleDatesGiveTimeZero) {
    for (auto change : {+[](TLumoDateFields& d) { d.Month = 13; }, +[](TLumoDateFields& d) { d.MSec = 1000; },
                        +[](TLumoDateFields& d) { d.Year = 0; }}) {
        TLumoHeaderFields h = FiveSamples();
        h.SpeedOrRate = 1000;
        change(h.Date);
        TLoaded r = Load(Lumo(), LumoFile(4, {}, h, ""));
        ASSERT_EQ(r.Error, "");
        EXPECT_EQ(r.Rec().FileParam().TriggerTime.FormatCfg(), "30/12/1899,00:00:00.000000");
        EXPECT_EQ(r.Rec().FileParam().StartTime.FormatCfg(), "30/12/1899,00:00:00.000000");
    }
}

std::string File13S(const TLumo13SHeaderFields& h, const std::string& blocks) {
    return std::string(LumoSignatureText(5)) + Lumo13SHeader(h) + blocks;
}

TEST(LumoReaderTest, Lumtar13SCalibrationBranches) {
    const std::string samples = LumoAnalogSamples({100, 200, 300, 400, 500}, true);
    TLumo13SBlockFields line;  // bit 7 set, x2 != x1
    line.Flags = 0x80;
    line.X1 = 1;
    line.X2 = 3;
    line.Y1 = 10;
    line.Y2 = 50;
    line.Zero = 16384;
    line.Range = 8;
    line.Factor = 0.5f;
    TLumo13SBlockFields flat = line;  // bit 7 set, x2 = x1
    flat.X2 = 1;
    TLumo13SBlockFields ratio = line;  // bit 7 clear
    ratio.Flags = 0x7F;
    ratio.Ratio = 4;
    ratio.Unit2 = "";  // empty: the other unit
    TLumo13SBlockFields status;
    status.Signature = dcomp::kLumoSigStatus13S;
    status.Name = "ST";
    const std::string file =
        File13S({}, Lumo13SBlock(line, samples) + Lumo13SBlock(flat, samples) + Lumo13SBlock(ratio, samples) +
                        Lumo13SBlock(status, LumoStatusSamples({1, 1, 0, 0, 1}, true)));
    EXPECT_TRUE(CanLoad(Lumo(), file));
    TLoaded r = Load(Lumo(), file);
    ASSERT_EQ(r.Error, "");
    EXPECT_EQ(r.Rec().FileParam().StationName(), "ID=77 LT1");
    EXPECT_EQ(r.Rec().FileParam().RecDeviceId(), "LUM-TAR NS=9");
    EXPECT_EQ(r.Rec().RateList().Items(0)->Rate, 1000);
    ASSERT_EQ(r.Analogs(), 3);
    const double k = 16384.0 * 2 / 32768 * (8 * 0.5);  // 4
    const double m = 20, c = -10;
    struct Want {
        double primary, a, b;
        const char* unit;
        int ps;
    };
    const Want want[] = {
        {8 * m * 0.5, 8 * m / 32768 * 0.5, c - m * k, "kA", 0},
        {8, 8 * 0.5 / 32768, -k, "A", 1},
        {8 * 4, 8 * 4 * 0.5 / 32768, -4 * k, "A", 0},
    };
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(r.A(i).Primary, want[i].primary);
        EXPECT_DOUBLE_EQ(r.A(i).Multiplier, want[i].a);
        EXPECT_DOUBLE_EQ(r.A(i).Offset, want[i].b);
        EXPECT_EQ(r.A(i).Units(), want[i].unit);
        EXPECT_EQ(r.A(i).PS, want[i].ps);
        EXPECT_EQ(r.A(i).Secondary, 8.0);
        EXPECT_EQ(r.A(i).ChannelId(), "I1");
        EXPECT_EQ(r.A(i).CircuitComponent(), "Prad");
        EXPECT_EQ(r.Raws(i), (std::vector<int32_t>{200, 400, 600, 800, 800}));
    }
    ASSERT_EQ(r.Status(), 1);
    EXPECT_EQ(r.Bits(0), (std::vector<uint8_t>{1, 1, 0, 0, 0}));
}

TEST(LumoReaderTest, Lumtar13SEndsQuietly) {
    const std::string samples = LumoAnalogSamples({1, 2, 3, 4, 5}, true);
    struct Case {
        const char* what;
        std::string file;
        bool params;
        int analogs;
    };
    TLumo13SHeaderFields badSignature;
    badSignature.Signature = 0x2537AC23;
    TLumo13SHeaderFields rate0;
    rate0.Rate = 0;
    TLumo13SHeaderFields huge;
    huge.Before = 0x7FFFFFFF;
    const std::string one = Lumo13SBlock({}, samples);
    const std::vector<Case> cases = {
        {"header cut", File13S({}, "").substr(0, 20 + 183), false, 0},
        {"signature", File13S(badSignature, one), false, 0},
        {"rate 0", File13S(rate0, one), false, 0},
        {"n beyond the stream", File13S(huge, one), false, 0},
        {"block cut", File13S({}, one + one.substr(0, 100)), true, 1},
        {"samples cut", File13S({}, one + one.substr(0, 140)), true, 2},
        {"unknown block", File13S({}, one + std::string(140, 'x') + one), true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoaded r = Load(Lumo(), c.file, "", false);
        EXPECT_EQ(r.Error, "");
        EXPECT_EQ(r.Rec().FileParam().StationName().empty(), !c.params);
        EXPECT_EQ(r.Analogs(), c.analogs);
    }
}

// A header may claim up to 8 samples a byte of the file; the recording takes the claim
// only when the first channel block holds that many samples, else it sizes nothing.
TEST(LumoReaderTest, ClaimsTheFirstBlockDoesNotHoldSizeNothing) {
    struct Case {
        const char* what;
        std::function<std::string(uint32_t n)> file;  // the file for a claim of n samples
        uint32_t claim;                               // 0: 8 samples a byte of the file
        bool callback;
        std::string error;
        std::vector<std::string> messages;
        int analogs, status;
        bool holds;  // the claim loads whole
    };
    const auto v4 = [](const std::string& blocks) {
        return [blocks](uint32_t n) {
            TLumoHeaderFields h = FiveSamples();
            h.Before = 0;
            h.After = n;
            h.SpeedOrRate = 1000;
            return LumoFile(4, {}, h, blocks);
        };
    };
    const auto v0 = [](const std::string& blocks) {
        return [blocks](uint32_t n) {
            TLumoHeaderFields h = FiveSamples();
            h.After = n - h.Before;
            return LumoFile(0, OneAnalogModuleCfg(), h, blocks);
        };
    };
    const auto v13S = [](const std::string& blocks) {
        return [blocks](uint32_t n) {
            TLumo13SHeaderFields h;
            h.Before = 0;
            h.After = n;
            return File13S(h, blocks);
        };
    };
    const std::string analogII =
        LumoFormII({}, LumoAnalogSamples(std::vector<int16_t>(300, 5), false), false);
    const std::string corrupted = "Uszkodzone dane w pliku: rec.lum\\e";
    const std::vector<Case> cases = {
        {"analog samples cut", v4(analogII), 0, true, "Nie kompletne dane", {}, 1, 0, false},
        {"status samples cut",
         v0(LumoFormI(L::kSigStatusI, 3 << 2 | 1, 0, LumoStatusSamples(std::vector<int>(32, 1), false),
                      false)),
         0,
         false,
         "Nie kompletne dane",
         {},
         0,
         1,
         false},
        {"form II cut", v4(analogII.substr(0, 40)), 0, true, "Nie kompletne dane", {}, 0, 0, false},
        {"unknown first block", v4(std::string(100, 'x')), 0, true, "", {corrupted}, 0, 0, false},
        {"unknown first block, no callback",
         v4(std::string(100, 'x')),
         0,
         false,
         "Uszkodzone dane",
         {},
         0,
         0,
         false},
        {"status bits held",
         v4(LumoFormII({.Signature = L::kSigStatusII}, std::string(500, '\x5A'), false)),
         4000,
         true,
         "",
         {},
         0,
         1,
         true},
        {"no blocks", v4(""), 1700, true, "", {}, 0, 0, true},
        {"1.3S samples cut",
         v13S(Lumo13SBlock({}, LumoAnalogSamples(std::vector<int16_t>(100, 1), true))),
         0,
         false,
         "",
         {},
         1,
         0,
         false},
        {"1.3S block cut", v13S(Lumo13SBlock({}, "").substr(0, 100)), 0, false, "", {}, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t n = c.claim ? c.claim : static_cast<uint32_t>(8 * c.file(0).size());
        const std::string file = c.file(n);
        ASSERT_LE(n, 8 * file.size());
        TLoaded r = Load(Lumo(), file, "", c.callback);
        EXPECT_EQ(r.Error, c.error);
        EXPECT_EQ(r.Messages, c.messages);
        EXPECT_EQ(r.Analogs(), c.analogs);
        EXPECT_EQ(r.Status(), c.status);
        const int samples = c.holds ? static_cast<int>(n) : 0;
        EXPECT_EQ(r.Samples(), samples);
        ASSERT_EQ(r.Rec().RateList().Count(), 1);
        EXPECT_EQ(r.Rec().RateList().Items(0)->EndSample(), samples);
        for (int i = 0; i < r.Analogs(); ++i) EXPECT_EQ(r.A(i).SampleCount(), samples);
        for (int i = 0; i < r.Status(); ++i) EXPECT_EQ(r.D(i).SampleCount(), samples);
    }
}

TEST(LumoReaderTest, DamagedFilesNeverCrash) {
    std::vector<std::string> files;
    const TLumoHeaderFields h = FiveSamples();
    for (int version : {0, 1}) {
        const bool big = BigEndian(version);
        files.push_back(
            LumoFile(version, OneAnalogModuleCfg(), h,
                     LumoFormI(L::kSigAnalogI, 6, 3, LumoAnalogSamples({1, 2, 3, 4, 5}, big), big) +
                         LumoFormI(L::kSigStatusI, 13, 0, LumoStatusSamples({1, 0, 1, 0, 1}, big), big)));
    }
    TLumoHeaderFields h2 = h;
    h2.SpeedOrRate = 500;
    for (int version : {2, 4})
        files.push_back(LumoFile(
            version, {}, h2,
            LumoFormII({}, LumoAnalogSamples({1, 2, 3, 4, 5}, BigEndian(version)), BigEndian(version))));
    files.push_back(File13S({}, Lumo13SBlock({}, LumoAnalogSamples({1, 2, 3, 4, 5}, true))));
    unsigned seed = 1;
    for (const std::string& file : files) {
        // The CFG is large: cut only around the header and the blocks.
        const std::size_t keep = file.size() > 17000 ? 16300 : 0;
        const std::string head = file.substr(0, keep);
        Mangle(file.substr(keep), seed++, [&](const std::string& tail) {
            for (bool callback : {true, false}) {
                TLoaded r = Load(Lumo(), head + tail, "", callback);
                // No more samples than the stream holds bits.
                EXPECT_LE(static_cast<std::size_t>(r.Samples()), 8 * (head.size() + tail.size()));
            }
            CanLoad(Lumo(), head + tail);
        });
    }
}

}  // namespace
