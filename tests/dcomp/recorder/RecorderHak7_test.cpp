// The Hak7 reader over records built byte by byte, choosing a record through the prompts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dcomp/recorder/Hak7Reader.h"
#include "platform/Prompts.h"
#include "tests/dcomp/recorder/RecorderTestSupport.h"
#include "tests/dcomp/recorder/RecorderWriters.h"

namespace {

using namespace reader_test;

const dcomp::THak7Interface& Hak7() {
    return dcomp::THak7Interface::Instance();
}

// Record `tag`: A carries Uo = 10 × tag + i mod 7 and the status bits of i; B an integral
// that repeats 100, 90, 50, 50, 2047, -2048, -2048, 2047.
THak7Fields Record(int tag) {
    THak7Fields s;
    s.Ns = static_cast<uint16_t>(tag);
    s.Name = "HAK TEST" + std::to_string(tag);
    const int integral[] = {100, 90, 50, 50, 2047, -2048, -2048, 2047};
    for (int i = 0; i < 1000; ++i) {
        const int uo = 10 * tag + i % 7;
        s.A.push_back(static_cast<uint16_t>((uo + 2048) | (i % 16) << 12));
        s.B.push_back(static_cast<uint16_t>((integral[i % 8] + 2048) | ((i / 16) % 16) << 12));
    }
    return s;
}

std::string File(int records) {
    std::string out;
    for (int r = 1; r <= records; ++r) out += Hak7Record(Record(r));
    return out;
}

// The record a load took, by its Ns; 0 when nothing was loaded.
int Loaded(TLoaded& r) {
    if (r.Analogs() == 0) return 0;
    return r.A(0).GetRaw(0) / 10;
}

TEST(Hak7ReaderTest, OneRecordLoadsWithoutAsking) {
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope(prompts);
    const std::string file = File(1);
    EXPECT_TRUE(CanLoad(Hak7(), file));
    TLoaded r = Load(Hak7(), file);
    ASSERT_EQ(r.Error, "");
    EXPECT_TRUE(prompts.Log.empty());
    const auto& p = r.Rec().FileParam();
    // Unprintable bytes (the blank and the NULs after the name) show as dots.
    EXPECT_EQ(p.StationName(), "Nazwa= HAK.TEST1......., Ns=1");
    EXPECT_EQ(p.RecDeviceId(), "Hak7");
    EXPECT_EQ(p.RevisionYear, 1997);
    EXPECT_EQ(p.TimeMultiplier, 1000.0);
    EXPECT_EQ(p.StartTime.FormatCfg(), "29/02/2020,13:45:30.500000");
    EXPECT_EQ(p.TriggerTime.FormatCfg(), "29/02/2020,13:45:30.750000");
    EXPECT_EQ(r.Rec().RateList().Items(0)->Rate, 1000.0);
    EXPECT_EQ(r.Rec().RateList().Items(0)->EndSample(), 1000);
    ASSERT_EQ(r.Samples(), 1000);

    ASSERT_EQ(r.Analogs(), 3);
    struct Want {
        const char* name;
        const char* component;
        const char* unit;
        double secondary, multiplier;
        uint32_t color;
    };
    const Want want[] = {
        {"Uo", "Uo", "V", 200.0, 16384 / 32768.0 * 0.08537109375, 0xFF0000},
        {"SIo", "Całka Io", "A", 1.0, 32768 / 32768.0 * 0.419970703125, 0x800080},
        {"Io", "Io", "A", 1.0, 32768 / 32768.0 * 0.419970703125, 0x0000FF},
    };
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(r.A(c).ChannelId(), want[c].name);
        EXPECT_EQ(r.A(c).CircuitComponent(), want[c].component);
        EXPECT_EQ(r.A(c).Units(), want[c].unit);
        EXPECT_EQ(r.A(c).Secondary, want[c].secondary);
        EXPECT_EQ(r.A(c).Primary, want[c].secondary);
        EXPECT_DOUBLE_EQ(r.A(c).Multiplier, want[c].multiplier);
        EXPECT_EQ(r.A(c).PenColor, want[c].color);
        EXPECT_EQ(r.A(c).Min, -2047);
        EXPECT_EQ(r.A(c).Max, 2047);
        EXPECT_EQ(r.A(c).Offset, 0.0);
        EXPECT_EQ(r.A(c).PS, 1);
    }
    ASSERT_EQ(r.Status(), 8);
    const char* names[] = {"Wyl", "Pob", "Blok", "PobUo", "PobIo", "PobDir", "StUp", "StDn"};
    const char* components[] = {"Wyłączenie",
                                "Pobudzenie",
                                "Blokada",
                                "Pobudzenie w torze Uo",
                                "Pobudzenie w torze Io",
                                "Pobudzenie w torze kierunkowo-prądowym",
                                "Strzałka góra",
                                "Strzałka dół"};
    const uint32_t colors[] = {0x0000FF, 0, 0, 0xFF0000, 0x0000FF, 0x0000FF, 0x008000, 0x008000};
    for (int c = 0; c < 8; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(r.D(c).ChannelId(), names[c]);
        EXPECT_EQ(r.D(c).CircuitComponent(), components[c]);
        EXPECT_EQ(r.D(c).PenColor, colors[c]);
        EXPECT_EQ(r.D(c).NormalState, 0);
    }
    for (int i = 0; i < 1000; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(r.A(0).GetRaw(i), 10 + i % 7);
        for (int b = 0; b < 4; ++b) {
            ASSERT_EQ(r.D(b).GetBit(i), (i % 16 >> b) & 1);
            ASSERT_EQ(r.D(4 + b).GetBit(i), ((i / 16) % 16 >> b) & 1);
        }
    }
    // Io from the integral two and one samples back.
    const std::vector<int32_t> all = r.Raws(2);
    const std::vector<int32_t> io(all.begin(), all.begin() + 10);
    // 0, 0; (100, 90): round(62.9) = 63; (90, 50): round(0.37 × 370) = 137; (50, 50): 18.5 → 18;
    // (50, 2047): -4095 at the limit; (2047, -2048): 4095; (-2048, -2048): round(-757.76);
    // (-2048, 2047): -4095; (2047, 100): round(0.37 × 15676) = 5800 → 4095.
    EXPECT_EQ(io, (std::vector<int32_t>{0, 0, 63, 137, 18, -4095, 4095, -758, -4095, 4095}));
    EXPECT_EQ(r.A(1).GetRaw(4), 2047);
    EXPECT_EQ(r.A(1).GetRaw(5), -2048);
}

TEST(Hak7ReaderTest, ChoosingARecord) {
    const std::string three = File(3);
    struct Case {
        const char* what;
        std::string selector;
        std::vector<std::optional<std::string>> answers;
        int loaded;
        bool asked;
    };
    const std::vector<Case> cases = {
        {"selector 2", "2", {}, 2, false},          {"selector 4", "4", {}, 0, false},
        {"selector 0", "0", {}, 0, false},          {"selector -1", "-1", {}, 0, false},
        {"answer 2", "", {"2"}, 2, true},           {"answer 3 with blanks", "", {" 3 "}, 3, true},
        {"answer x", "", {"x"}, 0, true},           {"answer 7", "", {"7"}, 0, true},
        {"cancelled", "", {std::nullopt}, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::TRecordingPrompts prompts;
        platform::TPromptsScope scope(prompts);
        for (const auto& a : c.answers) prompts.InputAnswers.push_back(a);
        TLoaded r = Load(Hak7(), three, c.selector);
        EXPECT_EQ(r.Error, "");
        EXPECT_EQ(Loaded(r), c.loaded);
        if (c.loaded == 0) {
            EXPECT_EQ(r.Rec().RateList().Count(), 0);
        }
        ASSERT_EQ(prompts.Log.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(prompts.Log[0].Kind, "InputQuery");
            EXPECT_EQ(prompts.Log[0].Text, "W pliku jest 3 rejestracji. podaj numer wybranej:");
        }
    }
}

TEST(Hak7ReaderTest, SumsAndTheProbe) {
    THak7Fields bad = Record(2);
    bad.SumError = 1;
    const std::string badSecond = Hak7Record(Record(1)) + Hak7Record(bad) + Hak7Record(Record(3));
    struct Case {
        const char* what;
        std::string bytes;
        bool canLoad;
        std::string selector;
        int loaded;
    };
    const std::vector<Case> cases = {
        {"empty", "", false, "", 0},
        {"part of a record", File(1).substr(0, 4091), false, "", 0},
        {"one record and a tail", File(1) + "tail", true, "", 1},
        {"sum off by one", badSecond, false, "2", 0},
        {"its good neighbour", badSecond, false, "3", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CanLoad(Hak7(), c.bytes), c.canLoad);
        TLoaded r = Load(Hak7(), c.bytes, c.selector);
        EXPECT_EQ(r.Error, "");
        EXPECT_EQ(Loaded(r), c.loaded);
    }
}

TEST(Hak7ReaderTest, ImpossibleDatesGiveTimeZeroAndTheSamplesLoad) {
    const uint16_t goodDate = (2020 - 1980) << 9 | 2 << 5 | 29;
    struct Case {
        const char* what;
        uint16_t date, time, msSec;
    };
    const std::vector<Case> cases = {
        {"day 0", (2020 - 1980) << 9 | 2 << 5, 1, 1},
        {"month 13", (2020 - 1980) << 9 | 13 << 5 | 1, 1, 1},
        {"29 February 2021", (2021 - 1980) << 9 | 2 << 5 | 29, 1, 1},
        {"hour 24", goodDate, 24 << 6, 1},
        {"minute 60", goodDate, 60, 1},
        {"second 60", goodDate, 1, 60 << 10},
        {"millisecond 1000", goodDate, 1, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        THak7Fields s = Record(1);
        s.PackedDate = c.date;
        s.PackedTime = c.time;
        s.PackedMsSec = c.msSec;
        TLoaded r = Load(Hak7(), Hak7Record(s));
        EXPECT_EQ(r.Rec().FileParam().StartTime.FormatCfg(), "30/12/1899,00:00:00.000000");
        EXPECT_EQ(r.Rec().FileParam().TriggerTime.FormatCfg(), "30/12/1899,00:00:00.000000");
        EXPECT_EQ(Loaded(r), 1);
    }
}

TEST(Hak7ReaderTest, DamagedFilesNeverCrash) {
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope(prompts);
    // Sums fail after most flips: keep the sum right so the samples get read.
    const std::string file = File(1);
    Mangle(file.substr(0, 120), 9, [&](const std::string& head) {
        std::string bytes = head + file.substr(std::min<std::size_t>(head.size(), 120));
        if (bytes.size() >= 4092) {
            unsigned sum = 0;
            for (std::size_t i = 0; i < 4090; ++i) sum += static_cast<uint8_t>(bytes[i]);
            bytes[4090] = static_cast<char>(sum & 0xFF);
            bytes[4091] = static_cast<char>(sum >> 8 & 0xFF);
        }
        TLoaded r = Load(Hak7(), bytes, "1");
        EXPECT_EQ(r.Error, "");
        CanLoad(Hak7(), bytes);
    });
}

}  // namespace
