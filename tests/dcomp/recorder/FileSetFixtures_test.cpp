// The public sample sets through the file-set helpers: loading, and saving and reloading
// in both data formats, whole, visible-only and range-only.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "dcomp/recorder/ComtradeInterface.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "tests/dcomp/recorder/RecorderTest.h"
#include "tests/support/TempDir.h"

namespace {

using namespace dcomp;
using recorder_test::TMessages;

// The handler as its callers meet it, through the base class.
const TFileInterface& Handler() {
    return TComtradeInterface::Instance();
}

std::string DataPath(const std::string& relative) {
    return std::string(HALVO_TEST_DATA) + "/data/" + relative;
}

struct TSet {
    const char* Name;
    const char* Cfg;  // as the folder spells it
};

const TSet kSets[] = {
    {"sample_ascii", "python-comtrade/sample_ascii.cfg"},
    {"sample_bin", "python-comtrade/sample_bin.cfg"},
    {"1991-ascii-sel", "COMTRADE.jl/1991-ascii-sel.cfg"},
    {"Wisp 3", "Wisp.Comtrade/3.cfg"},
    {"Wisp 4", "Wisp.Comtrade/4.CFG"},
};

class FileSetFixturesTest : public recorder_test::TRecorderTest {
protected:
    std::unique_ptr<TComtrade> Load(const std::string& path, TMessages* messages = nullptr) {
        auto r = std::make_unique<TComtrade>();
        LoadComtradeFiles(path, *r, messages != nullptr ? messages->Callback() : TOnMessage());
        return r;
    }
    platform_test::TTempDir FDir;
};

double Scaled(const TAnalogDescr& c, int i) {
    return c.Multiplier * c.GetRaw(i) + c.Offset;
}

TEST_F(FileSetFixturesTest, SampleAsciiSet) {
    auto r = Load(DataPath("python-comtrade/sample_ascii.cfg"));
    EXPECT_EQ(r->FileParam().RevisionYear, 2013);
    ASSERT_EQ(r->AnalogList().Count(), 4);
    ASSERT_EQ(r->CyfrList().Count(), 4);
    EXPECT_EQ(r->SampleCount(), 40);
    EXPECT_EQ(r->RateList().Items(0)->Rate, 1200);
    EXPECT_EQ(r->AnalogList().Items(0)->PS, 1);
    EXPECT_EQ(r->DataFileFormat(), 0);
    EXPECT_EQ(r->FileParam().TimeMultiplier, 1);
    EXPECT_EQ(r->FileParam().StartTime.Day, 12);
    EXPECT_EQ(r->FileParam().StartTime.Month, 1);
    EXPECT_EQ(r->FileParam().StartTime.Year, 2011);
    EXPECT_EQ(r->AnalogList().Items(0)->GetRaw(0), -83);
    EXPECT_DOUBLE_EQ(Scaled(*r->AnalogList().Items(0), 0), -9.39605712890625);
    const int last = r->SampleCount() - 1;
    std::vector<int> states;
    for (const TCyfrDescr* d : r->CyfrList()) states.push_back(d->GetBit(last));
    EXPECT_EQ(states, (std::vector<int>{1, 1, 0, 1}));
    EXPECT_TRUE(r->HeaderText.empty());
    EXPECT_TRUE(r->InfoFile().Empty());
}

TEST_F(FileSetFixturesTest, SampleBinSet) {
    auto r = Load(DataPath("python-comtrade/sample_bin.cfg"));
    EXPECT_EQ(r->FileParam().RevisionYear, 1999);
    ASSERT_EQ(r->AnalogList().Count(), 4);
    ASSERT_EQ(r->CyfrList().Count(), 16);
    EXPECT_EQ(r->SampleCount(), 5);
    EXPECT_EQ(r->RateList().Items(0)->Rate, 15360);
    EXPECT_EQ(r->FileParam().StartTime.FormatCfg(), "07/01/2017,15:35:41.958268");
    EXPECT_EQ(r->DataFileFormat(), 1);
    std::vector<int32_t> first;
    for (const TAnalogDescr* a : r->AnalogList()) first.push_back(a->GetRaw(0));
    EXPECT_EQ(first, (std::vector<int32_t>{-24979, -3905, 27726, 12313}));
    for (const TCyfrDescr* d : r->CyfrList()) EXPECT_EQ(d->GetBit(0), 0);
}

TEST_F(FileSetFixturesTest, Layout1991Set) {
    TMessages messages;
    auto r = Load(DataPath("COMTRADE.jl/1991-ascii-sel.cfg"), &messages);
    EXPECT_EQ(r->FileParam().RevisionYear, 0);
    ASSERT_EQ(r->AnalogList().Count(), 24);
    ASSERT_EQ(r->CyfrList().Count(), 592);
    EXPECT_EQ(r->SampleCount(), 480);
    EXPECT_EQ(r->FileParam().LineFrequency, 60);
    EXPECT_EQ(r->FileParam().StartTime.Day, 12);
    EXPECT_EQ(r->FileParam().StartTime.Month, 2);
    EXPECT_EQ(r->FileParam().StartTime.Year, 2011);
    EXPECT_EQ(r->DataFileFormat(), 0);
    EXPECT_DOUBLE_EQ(r->FileParam().TimeMultiplier, 1'000'000.0 / 960);
    const TAnalogDescr& ia = *r->AnalogList().Items(0);
    EXPECT_EQ(ia.ChannelId(), "IA");
    EXPECT_NEAR(ia.Primary, 792.000792, 1e-9);
    EXPECT_EQ(ia.Primary, ia.Secondary);
    EXPECT_EQ(ia.GetRaw(0), 156550);
    EXPECT_NEAR(Scaled(ia, 0), -270.999876, 1e-9);
    const TAnalogDescr& va = *r->AnalogList().Items(5);
    EXPECT_EQ(va.ChannelId(), "VA(kV)");
    EXPECT_EQ(va.GetRaw(0), 106194);
    EXPECT_NEAR(Scaled(va, 0), -33.3998801, 1e-7);
    EXPECT_EQ(r->AnalogList().Items(18)->Multiplier, 0);
    EXPECT_EQ(r->AnalogList().Items(18)->Max, 999999);
    for (const char* id : {"IAY", "IBY", "ICY"})
        EXPECT_NE(std::find(messages.Texts.begin(), messages.Texts.end(),
                            std::string("Comtrade warning : Data > Max for : ") + id),
                  messages.Texts.end())
            << id;
    for (const TCyfrDescr* d : r->CyfrList()) EXPECT_EQ(d->NormalState, 0);
    ASSERT_EQ(r->HeaderText.size(), 231u);
    EXPECT_EQ(r->HeaderText[0], "Summary Data:");
    EXPECT_EQ(r->HeaderText[2], "FID = FID=SEL-311L-R157-V0-Z009004-D20060728");
}

TEST_F(FileSetFixturesTest, WispSet3) {
    auto r = Load(DataPath("Wisp.Comtrade/3.cfg"));
    ASSERT_EQ(r->AnalogList().Count(), 24);
    ASSERT_EQ(r->CyfrList().Count(), 64);
    EXPECT_EQ(r->SampleCount(), 1360);
    EXPECT_TRUE(r->RateList().TimesFromData());
    EXPECT_EQ(r->AnalogList().Items(0)->ChannelId(), "F1-IA" + std::string(15, ' '));
    EXPECT_NEAR(r->RateList().FGetTime(1), 0.001249, 1e-9);
    EXPECT_NEAR(r->RateList().FGetTime(1359), 1.698295, 1e-9);
    EXPECT_EQ(r->FileParam().StartTime.Day, 6);
    EXPECT_EQ(r->FileParam().StartTime.Month, 4);
    // First record's status words 0x0000 0x3560 0x0278 0x0004.
    const uint16_t words[] = {0x0000, 0x3560, 0x0278, 0x0004};
    for (int d = 0; d < 64; ++d)
        EXPECT_EQ(r->CyfrList().Items(d)->GetBit(0), (words[d / 16] >> (d % 16)) & 1) << d;
    EXPECT_EQ(r->HeaderText,
              (std::vector<std::string>{"[Oscillography]", "triggerNumber=267", "samplesPerCycle=16",
                                        "[Oscillography Selections]", "Samples Per Cycle=16"}));
}

TEST_F(FileSetFixturesTest, WispSet4FoundByAnyCase) {
    // The folder spells the set in upper case; a lower-case copy is found as well.
    std::string cfg, dat;
    ASSERT_TRUE(platform::ReadWholeFile(DataPath("Wisp.Comtrade/4.CFG"), cfg));
    ASSERT_TRUE(platform::ReadWholeFile(DataPath("Wisp.Comtrade/4.DAT"), dat));
    FDir.Write("4.cfg", cfg);
    FDir.Write("4.dat", dat);
    const std::string paths[] = {DataPath("Wisp.Comtrade/4.cfg"), DataPath("Wisp.Comtrade/4.CFG"),
                                 FDir.File("4.CFG"), FDir.File("4.cfg")};
    for (const std::string& path : paths) {
        auto r = Load(path);
        EXPECT_EQ(r->FileParam().StationName(), "OPG_141204_070148813.CFG") << path;
        EXPECT_EQ(r->FileParam().RevisionYear, 1997);
        ASSERT_EQ(r->AnalogList().Count(), 6);
        ASSERT_EQ(r->CyfrList().Count(), 16);
        EXPECT_EQ(r->SampleCount(), 2399);
        EXPECT_EQ(r->FileParam().StartTime.FormatCfg(), "04/12/2014,07:01:48.813000");
        EXPECT_DOUBLE_EQ(r->RateList().FGetTime(600), 1.0);
        std::vector<int32_t> first;
        for (const TAnalogDescr* a : r->AnalogList()) first.push_back(a->GetRaw(0));
        EXPECT_EQ(first, (std::vector<int32_t>{43, 45, 44, -1865, 11474, -34}));
        for (int d = 0; d < 16; ++d) EXPECT_EQ(r->CyfrList().Items(d)->GetBit(0), d == 1 ? 1 : 0);
    }
    TNameList names;
    Handler().GetFileNames(FDir.File("4.CFG"), names, true);
    EXPECT_EQ(names, (TNameList{FDir.File("4.cfg"), FDir.File("4.dat")}));
}

TEST_F(FileSetFixturesTest, CanLoadEveryConfiguration) {
    for (const char* cfg : {"python-comtrade/sample_ascii.cfg", "python-comtrade/sample_bin.cfg",
                            "python-comtrade/sample_sub_char.cfg", "COMTRADE.jl/1991-ascii-sel.cfg",
                            "Wisp.Comtrade/3.cfg", "Wisp.Comtrade/4.CFG"}) {
        TMemoryStream stream(recorder_test::DataFile(cfg));
        EXPECT_TRUE(Handler().CanLoad(stream, {})) << cfg;
        const auto lines = platform::SplitLines(stream.Bytes());
        TMemoryStream cut(lines.at(0) + "\r\n" + lines.at(1) + "\r\n");
        EXPECT_FALSE(Handler().CanLoad(cut, {})) << cfg;
    }
    for (const char* dat : {"python-comtrade/sample_bin.dat", "Wisp.Comtrade/3.dat"}) {
        TMemoryStream stream(recorder_test::DataFile(dat));
        EXPECT_FALSE(Handler().CanLoad(stream, {})) << dat;
    }
    TMemoryStream empty;
    EXPECT_FALSE(Handler().CanLoad(empty, {}));
}

// ---- Round trips ----

bool Layout1991(const TComtrade& r) {
    return r.FileParam().RevisionYear == 0 || r.FileParam().RevisionYear == 1;
}

// Equal as a value: the configuration keeps 16 decimals.
void ExpectSameFloat(double expected, double actual, const std::string& what) {
    EXPECT_NEAR(actual, expected, 6e-17 + 1e-15 * std::fabs(expected)) << what;
}

struct TMode {
    const char* Name;
    bool VisibleOnly;
    bool RangeOnly;
};

const TMode kModes[] = {{"whole", false, false}, {"visible only", true, false}, {"range only", false, true}};

void Compare(const TComtrade& src, const TComtrade& back, const std::string& format, const TMode& mode,
             int32_t first, int32_t end, const std::string& what) {
    TAnalogList analogs(nullptr, false);
    TCyfrList status(nullptr, false);
    src.CollectChannels(mode.VisibleOnly, analogs, status);
    ASSERT_EQ(back.AnalogList().Count(), analogs.Count()) << what;
    ASSERT_EQ(back.CyfrList().Count(), status.Count()) << what;
    ASSERT_EQ(back.SampleCount(), end - first) << what;
    const bool binary = format == "BINARY";
    const bool old = Layout1991(src);
    const double step = src.FileParam().TimeMultiplier / 1'000'000.0;

    EXPECT_EQ(back.FileParam().StationName(), src.FileParam().StationName()) << what;
    EXPECT_EQ(back.FileParam().RecDeviceId(), src.FileParam().RecDeviceId()) << what;
    EXPECT_EQ(back.FileParam().RevisionYear, src.FileParam().RevisionYear) << what;
    EXPECT_EQ(back.FileParam().LineFrequency, std::nearbyint(src.FileParam().LineFrequency)) << what;
    if (!old) ExpectSameFloat(src.FileParam().TimeMultiplier, back.FileParam().TimeMultiplier, what);
    EXPECT_EQ(back.FileParam().TriggerTime.FormatCfg(), src.FileParam().TriggerTime.FormatCfg()) << what;
    TUsTime start = src.FileParam().StartTime;
    if (first > 0) start.AddMicroseconds(std::llround(src.RateList().FGetTime(first) * 1e6));
    EXPECT_EQ(back.FileParam().StartTime.FormatCfg(), start.FormatCfg()) << what;
    // The information file agrees with the configuration.
    EXPECT_EQ(back.InfoFile().ReadString("Public File_Description", "File_Start_Time", ""), start.FormatCfg())
        << what;
    EXPECT_EQ(back.DataFileFormat(), binary ? 1 : 0) << what;
    EXPECT_EQ(back.HeaderText, src.HeaderText) << what;

    const double t0 = src.RateList().FGetTime(first);
    const int64_t n0 = src.RateList().FGetSamplIdx(first);
    for (int32_t i = 0; i < end - first; ++i) {
        const double expected = src.RateList().FGetTime(first + i) - t0;
        if (std::fabs(back.RateList().FGetTime(i) - expected) > step * (1 + 1e-9)) {
            ADD_FAILURE() << what << ": time of sample " << i << " " << back.RateList().FGetTime(i) << " vs "
                          << expected;
            break;
        }
        const int64_t number = binary ? i + 1 : src.RateList().FGetSamplIdx(first + i) - n0 + 1;
        if (back.RateList().FGetSamplIdx(i) != number) {
            ADD_FAILURE() << what << ": number of sample " << i;
            break;
        }
    }

    for (int c = 0; c < analogs.Count(); ++c) {
        const TAnalogDescr& a = *analogs.Items(c);
        const TAnalogDescr& b = *back.AnalogList().Items(c);
        const std::string ch = what + " analogue " + a.ChannelId();
        EXPECT_EQ(b.Number, a.Number) << ch;
        EXPECT_EQ(b.ChannelId(), a.ChannelId()) << ch;
        EXPECT_EQ(b.Phase(), a.Phase()) << ch;
        EXPECT_EQ(b.CircuitComponent(), a.CircuitComponent()) << ch;
        EXPECT_EQ(b.Units(), a.Units()) << ch;
        ExpectSameFloat(a.Multiplier, b.Multiplier, ch + " multiplier");
        ExpectSameFloat(a.Offset, b.Offset, ch + " offset");
        ExpectSameFloat(a.Skew, b.Skew, ch + " skew");
        int32_t high = a.Max, low = a.Min;
        bool rawsEqual = true;
        for (int32_t i = 0; i < end - first; ++i) {
            int32_t raw = a.GetRaw(first + i);
            if (binary) raw = std::clamp(raw, -32768, 32767);
            high = std::max(high, raw);
            if ((raw & 0xFFFF) != 0x8000) low = std::min(low, raw);
            rawsEqual = rawsEqual && b.GetRaw(i) == raw;
        }
        EXPECT_TRUE(rawsEqual) << ch;
        // Reading raises the limits to the data it finds.
        EXPECT_EQ(b.Max, high) << ch;
        EXPECT_EQ(b.Min, low) << ch;
        if (old) {
            const double ratio = std::nearbyint(a.Primary / a.Secondary);
            EXPECT_EQ(b.Primary, ratio) << ch;
            EXPECT_EQ(b.Secondary, ratio) << ch;
            EXPECT_EQ(b.PS, 0) << ch;
        } else {
            ExpectSameFloat(a.Primary, b.Primary, ch + " primary");
            ExpectSameFloat(a.Secondary, b.Secondary, ch + " secondary");
            EXPECT_EQ(b.PS, a.PS) << ch;
        }
        EXPECT_EQ(b.PenColor, a.PenColor) << ch;
        EXPECT_EQ(b.Visible, a.Visible) << ch;
        EXPECT_EQ(b.Comment, a.Comment) << ch;
    }
    for (int d = 0; d < status.Count(); ++d) {
        const TCyfrDescr& a = *status.Items(d);
        const TCyfrDescr& b = *back.CyfrList().Items(d);
        const std::string ch = what + " status " + a.ChannelId();
        EXPECT_EQ(b.Number, a.Number) << ch;
        EXPECT_EQ(b.ChannelId(), a.ChannelId()) << ch;
        if (!old) {
            EXPECT_EQ(b.Phase(), a.Phase()) << ch;
            EXPECT_EQ(b.CircuitComponent(), a.CircuitComponent()) << ch;
        }
        EXPECT_EQ(b.NormalState, src.FileParam().RevisionYear == 0 ? 0 : a.NormalState) << ch;
        EXPECT_EQ(b.PenColor, a.PenColor) << ch;
        bool same = true;
        for (int32_t i = 0; i < end - first; ++i) same = same && b.GetBit(i) == a.GetBit(first + i);
        EXPECT_TRUE(same) << ch;
    }
    EXPECT_EQ(back.RecAttribs.Komment, src.RecAttribs.Komment) << what;
    EXPECT_EQ(back.RecAttribs.ID, src.RecAttribs.ID) << what;
}

// One sample set in one data format; the three ways of saving it.
class FileSetRoundTripTest : public FileSetFixturesTest,
                             public ::testing::WithParamInterface<std::tuple<int, std::string>> {};

TEST_P(FileSetRoundTripTest, SavedAndReloaded) {
    const TSet& set = kSets[std::get<0>(GetParam())];
    const std::string format = std::get<1>(GetParam());
    for (const TMode& mode : kModes) {
        const std::string what = std::string(set.Name) + " " + format + " " + mode.Name;
        auto src = Load(DataPath(set.Cfg));
        // Distinct colours and a comment per channel, every third hidden.
        uint32_t colour = 1;
        int k = 0;
        for (TAnalogDescr* a : src->AnalogList()) {
            a->PenColor = colour++;
            a->Comment = "kanał " + std::to_string(k);
            a->Visible = k++ % 3 != 1;
        }
        k = 0;
        for (TCyfrDescr* d : src->CyfrList()) {
            d->PenColor = colour++;
            d->Visible = k++ % 3 != 2;
        }
        src->RecAttribs = {"trig", "komentarz", 42, false};
        const int32_t n = src->SampleCount();
        int32_t first = 0, end = n;
        if (mode.RangeOnly) {
            src->ViewParam().ViewBegin = src->RateList().FGetTime(n / 4);
            src->ViewParam().ViewEnd = src->RateList().FGetTime(3 * n / 4);
            first = src->RateList().SampleAt(src->ViewParam().ViewBegin);
            end = src->RateList().SampleAt(src->ViewParam().ViewEnd);
            ASSERT_GT(first, 0) << what;
            ASSERT_GT(end, first) << what;
        }
        const std::string dir = FDir.File(mode.Name);
        std::filesystem::create_directories(dir);
        SaveComtradeFiles(dir + "/X.cfg", *src, mode.VisibleOnly, mode.RangeOnly, format, {});
        TComtrade back;
        LoadComtradeFiles(dir + "/X.cfg", back, {});
        Compare(*src, back, format, mode, first, end, what);
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, FileSetRoundTripTest,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kSets))),
                                            ::testing::Values(std::string("BINARY"), std::string("ASCII"))),
                         [](const auto& info) {
                             std::string name = kSets[std::get<0>(info.param)].Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name + "_" + std::get<1>(info.param);
                         });

}  // namespace
