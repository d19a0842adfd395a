// The Vo5 and Vo4 readers over files built byte by byte.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dcomp/recorder/Vo4Reader.h"
#include "dcomp/recorder/Vo5Reader.h"
#include "platform/DateTime.h"
#include "tests/dcomp/recorder/RecorderTestSupport.h"
#include "tests/dcomp/recorder/RecorderWriters.h"

namespace {

using namespace reader_test;

const dcomp::TVo5Interface& Vo5() {
    return dcomp::TVo5Interface::Instance();
}
const dcomp::TVo4Interface& Vo4() {
    return dcomp::TVo4Interface::Instance();
}

// ---- Vo5 -----------------------------------------------------------------------------

// Analog slots 1, 2 and 7 (frame positions 0, 2 and 1), status slots 17 and 19; frames
// of 4 words.
TVo5Fields ThreeAnalogsTwoStatus(int format, uint32_t count) {
    TVo5Fields s;
    s.Format = format;
    s.Count = count;
    s.Period = 0.5f;
    s.Before = 3;
    TVo5ChannelFields c;
    c.Slot = 0;
    c.Kind = 1;
    c.Zero = 10;
    s.Channels.push_back(c);
    c.Slot = 6;
    c.Kind = 25;  // beyond the names
    c.Description = "siedem";
    s.Channels.push_back(c);
    c.Slot = 1;
    c.Kind = 19;
    c.Unit = "A";
    s.Channels.push_back(c);
    c.Slot = 16;
    c.Description = "D17";
    s.Channels.push_back(c);
    c.Slot = 18;
    c.Description = "D19";
    s.Channels.push_back(c);
    return s;
}

// Frame i: slot 1 = 2i+1 (start bit), slot 7 = -2i, slot 2 = 4i; slot 17 on for odd i,
// slot 19 for even i.
std::vector<uint16_t> Frame(int i) {
    return {static_cast<uint16_t>(2 * i + 1), static_cast<uint16_t>(-2 * i), static_cast<uint16_t>(4 * i),
            static_cast<uint16_t>((i % 2 ? 2 : 0) | (i % 2 ? 0 : 8))};
}

std::string Frames(int count) {
    std::vector<uint16_t> words;
    for (int i = 0; i < count; ++i)
        for (uint16_t w : Frame(i)) words.push_back(w);
    return Words16(words, false);
}

void ExpectFrames(TLoaded& r, int count) {
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(r.A(0).GetRaw(i), 2 * i + 1);
        ASSERT_EQ(r.A(1).GetRaw(i), 4 * i);
        ASSERT_EQ(r.A(2).GetRaw(i), -2 * i);
        ASSERT_EQ(r.D(0).GetBit(i), i % 2);
        ASSERT_EQ(r.D(1).GetBit(i), 1 - i % 2);
    }
}

TEST(Vo5ReaderTest, ReadsChannelsAndFramesOfBothFormats) {
    for (int format : {1, 2}) {
        SCOPED_TRACE(format);
        const std::string file = Vo5Head(ThreeAnalogsTwoStatus(format, 6)) + Frames(6);
        EXPECT_TRUE(CanLoad(Vo5(), file));
        TLoaded r = Load(Vo5(), file);
        ASSERT_EQ(r.Error, "");
        const auto& p = r.Rec().FileParam();
        EXPECT_EQ(p.StationName(), "Stacja");
        EXPECT_EQ(p.RecDeviceId(), "VO5");
        EXPECT_EQ(p.TimeMultiplier, 500.0);
        EXPECT_EQ(r.Rec().RateList().Items(0)->Rate, 2000.0);
        EXPECT_EQ(r.Rec().RateList().Items(0)->EndSample(), 6);
        // Day 44000.5 is 18 June 2020, noon; 3 samples of 0.5 ms: round(1.5) = 2 ms later.
        EXPECT_EQ(p.StartTime.FormatCfg(), "18/06/2020,12:00:00.000000");
        EXPECT_EQ(p.TriggerTime.FormatCfg(), "18/06/2020,12:00:00.002000");
        ASSERT_EQ(r.Analogs(), 3);
        ASSERT_EQ(r.Status(), 2);
        const double factor = format == 1 ? 1.0 : 1.5;
        EXPECT_EQ(r.A(0).ChannelId(), "QJ7-U1_1");
        EXPECT_EQ(r.A(1).ChannelId(), "MAthData_2");
        EXPECT_EQ(r.A(2).ChannelId(), "NoName_7");
        EXPECT_EQ(r.A(2).CircuitComponent(), "siedem");
        EXPECT_EQ(r.A(1).Units(), "A");
        EXPECT_EQ(r.A(0).Secondary, 100.0);
        EXPECT_EQ(r.A(0).Primary, 200.0);
        EXPECT_DOUBLE_EQ(r.A(0).Multiplier, 100.0 * factor / 32768);
        EXPECT_DOUBLE_EQ(r.A(0).Offset, -20 * r.A(0).Multiplier);
        EXPECT_EQ(r.A(0).PenColor, 0x123456u);
        EXPECT_EQ(r.A(0).BackgroundColor, 0xABCDEFu);
        EXPECT_EQ(r.A(0).SourceTag, 0u);
        EXPECT_EQ(r.A(1).SourceTag, 2u);
        EXPECT_EQ(r.A(2).SourceTag, 1u);
        EXPECT_EQ(r.D(0).ChannelId(), "D_17");
        EXPECT_EQ(r.D(1).ChannelId(), "D_19");
        EXPECT_EQ(r.D(1).CircuitComponent(), "D19");
        EXPECT_EQ(r.D(0).SourceTag, 2u);
        EXPECT_EQ(r.D(1).SourceTag, 8u);
        ExpectFrames(r, 6);
    }
}

TEST(Vo5ReaderTest, LengthBytesBeyondTheirFieldsAreCut) {
    TVo5Fields s = ThreeAnalogsTwoStatus(2, 2);
    s.Station = std::string(70, 'S');
    s.StationLength = 255;
    s.Channels[0].Description = std::string(45, 'd');
    s.Channels[0].DescriptionLength = 200;
    s.Channels[0].Unit = "123456789";
    s.Channels[0].UnitLength = 50;
    TLoaded r = Load(Vo5(), Vo5Head(s) + Frames(2));
    ASSERT_EQ(r.Error, "");
    EXPECT_EQ(r.Rec().FileParam().StationName(), std::string(64, 'S'));
    EXPECT_EQ(r.A(0).CircuitComponent(), std::string(40, 'd'));
    EXPECT_EQ(r.A(0).Units(), "12345678");
}

TEST(Vo5ReaderTest, HeaderFaults) {
    struct Case {
        const char* what;
        std::string file;
        std::string error;
        bool canLoad;
    };
    auto with = [](auto change) {
        TVo5Fields s = ThreeAnalogsTwoStatus(2, 4);
        change(s);
        return Vo5Head(s) + Frames(4);
    };
    const std::string good = with([](TVo5Fields&) {});
    const std::vector<Case> cases = {
        {"other text", with([](TVo5Fields& s) { s.Text = "[Dane w formacie Vo5.3]"; }),
         "Nieznany nagłówek pliku", false},
        {"slot 22", with([](TVo5Fields& s) { s.Channels[1].Slot = 22; }), "Nieznany nagłówek pliku", true},
        {"slot far out", with([](TVo5Fields& s) { s.Channels[1].Slot = 0x80000000u; }),
         "Nieznany nagłówek pliku", true},
        {"period 0", with([](TVo5Fields& s) { s.Period = 0; }), "Nieznany nagłówek pliku", true},
        {"period negative", with([](TVo5Fields& s) { s.Period = -1; }), "Nieznany nagłówek pliku", true},
        {"period NaN", with([](TVo5Fields& s) { s.Period = std::numeric_limits<float>::quiet_NaN(); }),
         "Nieznany nagłówek pliku", true},
        {"period infinite", with([](TVo5Fields& s) { s.Period = std::numeric_limits<float>::infinity(); }),
         "Nieznany nagłówek pliku", true},
        {"header cut", good.substr(0, 23 + 316), "Stream read error", true},
        {"records cut", good.substr(0, 23 + 317 + 5 * 180 - 1), "Stream read error", true},
        {"text cut", good.substr(0, 22), "Stream read error", false},
        {"count far beyond the data", with([](TVo5Fields& s) { s.Count = 0xFFFFFFFF; }), "Niekompletne dane",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoaded r = Load(Vo5(), c.file);
        EXPECT_EQ(r.Error, c.error);
        EXPECT_EQ(CanLoad(Vo5(), c.file), c.canLoad);
        EXPECT_EQ(r.Rec().RateList().Count(), 0);  // nothing sized
    }
}

TEST(Vo5ReaderTest, EndOfDataAndRepairs) {
    struct Case {
        const char* what;
        uint32_t count;
        std::string data;
        std::string error;
        int stored;
    };
    std::string twoSpurious = Frames(6);
    twoSpurious.insert(3 * 8, Words16({6}, false));
    twoSpurious.insert(5 * 8 + 2, Words16({7}, false));
    std::string oneSpurious = Frames(6);
    oneSpurious.insert(3 * 8, Words16({6}, false));
    const std::vector<Case> cases = {
        {"2 samples short", 8, Frames(6), "", 6},
        {"3 samples short", 9, Frames(6), "Niekompletne dane", 0},
        {"short last frame", 6, Frames(6).substr(0, 5 * 8 + 3), "", 5},
        {"count 0", 0, Frames(2), "", 0},
        {"count 1", 1, "", "", 0},
        {"one spurious word", 6, oneSpurious, "", 6},
        {"two spurious words", 6, twoSpurious, "Dane uszkodzone. Licznik napraw = 2", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoaded r = Load(Vo5(), Vo5Head(ThreeAnalogsTwoStatus(2, c.count)) + c.data);
        EXPECT_EQ(r.Error, c.error);
        if (c.stored > 0) ExpectFrames(r, c.stored);
    }
}

TEST(Vo5ReaderTest, NoPresentSlotReadsNoFrame) {
    for (uint32_t count : {0u, 2u, 3u}) {
        TVo5Fields s = ThreeAnalogsTwoStatus(2, count);
        for (auto& c : s.Channels) c.Present = 0;
        TLoaded r = Load(Vo5(), Vo5Head(s) + Frames(4));
        EXPECT_EQ(r.Error, count > 2 ? "Niekompletne dane" : "") << count;
        EXPECT_EQ(r.Analogs() + r.Status(), 0);
    }
}

TEST(Vo5ReaderTest, DamagedFilesNeverCrash) {
    unsigned seed = 3;
    for (int format : {1, 2}) {
        const std::string file = Vo5Head(ThreeAnalogsTwoStatus(format, 6)) + Frames(6);
        Mangle(file, seed++, [](const std::string& bytes) {
            TLoaded r = Load(Vo5(), bytes);
            CanLoad(Vo5(), bytes);
            EXPECT_LE(r.Samples(), static_cast<int>(bytes.size()));
        });
    }
}

// ---- Vo4 -----------------------------------------------------------------------------

TVo4Fields ChannelsTwoToFour(uint32_t count) {
    TVo4Fields s;
    s.F = 2;
    s.L = 4;
    s.Rate = 3000;
    s.Count = count;
    s.Ranges[2] = 400.0f;
    s.Ranges[3] = 5.0f;
    s.Ranges[4] = 1.0f;
    s.Units[2] = "[V]";
    s.Units[3] = "A";
    s.Units[4] = "Hz";
    s.Descriptions[2] = "U L1";
    s.Descriptions[3] = "I L1";
    return s;
}

std::string Vo4Samples(int count) {
    std::vector<uint16_t> words;
    const uint16_t values[] = {0x0000, 0x8000, 0xFFFF, 0x8001};
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 3; ++c) words.push_back(values[(i + c) % 4]);
    return Words16(words, false);
}

TEST(Vo4ReaderTest, ReadsChannelsAndSamples) {
    const std::string file = Vo4Header(ChannelsTwoToFour(8)) + Vo4Samples(8);
    EXPECT_TRUE(CanLoad(Vo4(), file));
    TLoaded r = Load(Vo4(), file);
    ASSERT_EQ(r.Error, "");
    const auto& p = r.Rec().FileParam();
    EXPECT_EQ(p.StationName(), "Stacja VO4");
    EXPECT_EQ(p.RecDeviceId(), "VO4");
    EXPECT_EQ(p.TriggerTime.FormatCfg(), "01/01/2021,00:00:00.000000");
    EXPECT_EQ(p.StartTime.FormatCfg(), "01/01/2021,00:00:00.000000");
    EXPECT_EQ(r.Rec().RateList().Items(0)->Rate, 1000.0);
    EXPECT_EQ(p.TimeMultiplier, 1000.0);
    ASSERT_EQ(r.Analogs(), 3);
    const char* names[] = {"WE_3", "WE_4", "WE_5"};
    const uint32_t colors[] = {0xFF0000, 0x0000FF, 0};
    const double ranges[] = {400, 5, 1};
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(r.A(c).ChannelId(), names[c]);
        EXPECT_EQ(r.A(c).PenColor, colors[c]);
        EXPECT_EQ(r.A(c).Primary, ranges[c]);
        EXPECT_EQ(r.A(c).Secondary, ranges[c]);
        EXPECT_EQ(r.A(c).Multiplier, ranges[c] / 32768);
        EXPECT_EQ(r.A(c).PS, 1);
    }
    EXPECT_EQ(r.A(0).CircuitComponent(), "U L1");
    EXPECT_EQ(r.A(0).Units(), "[V]");
    EXPECT_EQ(r.Raws(0), (std::vector<int32_t>{-32768, 0, 32767, 1, -32768, 0, 32767, 1}));
    EXPECT_EQ(r.Raws(1), (std::vector<int32_t>{0, 32767, 1, -32768, 0, 32767, 1, -32768}));
}

TEST(Vo4ReaderTest, HeaderChecksOfProbeAndLoad) {
    struct Case {
        const char* what;
        void (*change)(TVo4Fields&);
        bool canLoad;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"F 15 L 15", [](TVo4Fields& s) { s.F = s.L = 15; }, true, ""},
        {"F = L = 16", [](TVo4Fields& s) { s.F = s.L = 16; }, false, "Incorrect header."},
        {"L 16", [](TVo4Fields& s) { s.L = 16; }, false, "Incorrect header."},
        {"L below F", [](TVo4Fields& s) { s.F = 5; }, false, "Incorrect header."},
        {"word 26 is 17", [](TVo4Fields& s) { s.Word26 = 17; }, false, "Incorrect header."},
        {"flag 24 is 2", [](TVo4Fields& s) { s.Flag24 = 2; }, false, ""},
        {"channel flag 2", [](TVo4Fields& s) { s.ChannelFlag = 2; }, false, ""},
        {"rate 0", [](TVo4Fields& s) { s.Rate = 0; }, true, "Incorrect header."},
        {"rate negative", [](TVo4Fields& s) { s.Rate = -3000; }, true, "Incorrect header."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TVo4Fields s = ChannelsTwoToFour(0);
        c.change(s);
        const std::string file = Vo4Header(s);
        EXPECT_EQ(CanLoad(Vo4(), file), c.canLoad);
        EXPECT_EQ(Load(Vo4(), file).Error, c.error);
    }
    const std::string cut = Vo4Header(ChannelsTwoToFour(0)).substr(0, 1827);
    EXPECT_FALSE(CanLoad(Vo4(), cut));
    EXPECT_EQ(Load(Vo4(), cut).Error, "Error reading header");
}

TEST(Vo4ReaderTest, MissingSamples) {
    struct Case {
        const char* what;
        uint32_t count;
        std::string data;
        std::string error;
        bool sized;
    };
    const std::vector<Case> cases = {
        {"10 short", 30, Vo4Samples(20), "", true},
        {"11 short, the short read counts", 31, Vo4Samples(20), "", true},
        {"11 short with a partial record", 31, Vo4Samples(20) + "xy", "", true},
        {"12 short", 32, Vo4Samples(20), "Nie kompletne dane", false},
        {"count far beyond", 0xFFFFFFFF, Vo4Samples(20), "Nie kompletne dane", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoaded r = Load(Vo4(), Vo4Header(ChannelsTwoToFour(c.count)) + c.data);
        EXPECT_EQ(r.Error, c.error);
        EXPECT_EQ(r.Rec().RateList().Count(), c.sized ? 1 : 0);
        if (c.sized) {
            EXPECT_EQ(r.Samples(), static_cast<int>(c.count));
            EXPECT_EQ(r.A(0).GetRaw(19), 1);
            EXPECT_EQ(r.A(0).GetRaw(20), 0);
        }
    }
}

TEST(Vo4ReaderTest, DamagedFilesNeverCrash) {
    const std::string file = Vo4Header(ChannelsTwoToFour(8)) + Vo4Samples(8);
    const std::string head = file.substr(0, 1700);
    Mangle(file.substr(1700), 5, [&](const std::string& tail) {
        TLoaded r = Load(Vo4(), head + tail);
        CanLoad(Vo4(), head + tail);
        EXPECT_LE(r.Samples(), static_cast<int>(head.size() + tail.size()));
    });
    Mangle(file.substr(0, 200), 6, [&](const std::string& start) { Load(Vo4(), start + file.substr(200)); });
}

}  // namespace
