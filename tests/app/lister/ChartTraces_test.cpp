// From buffer bytes to chart traces: the points of a sequence, the rows, names and
// sample styles handed to the chart, the legend.
#include "app/lister/ChartTraces.h"

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/lister/ListingTexts.h"
#include "chart/Graph.h"
#include "tests/app/lister/ListerFixtures.h"

namespace app::test {
namespace {

using chart::TGraphSample;

// A sample as text: X, colour, pen, thickness.
std::string Describe(const TGraphSample& s) {
    char x[32];
    const auto end = std::to_chars(x, x + sizeof x, s.X, std::chars_format::fixed, 3).ptr;
    return std::string(x, end) + " " + std::to_string(s.Color) + "/" + std::to_string(s.PenStyle) + "/" +
           std::to_string(s.Thickness);
}

struct TRow {
    std::string Name;
    std::vector<std::string> Samples;
    bool operator==(const TRow&) const = default;
};

void PrintTo(const TRow& r, std::ostream* os) {
    *os << "{" << r.Name << ":";
    for (const auto& s : r.Samples) *os << " [" << s << "]";
    *os << "}";
}

// Rows as (X, state value) pairs in the state's style.
TRow Expect(std::string name, std::vector<std::pair<double, int>> samples) {
    TRow row{std::move(name), {}};
    for (auto [x, v] : samples) row.Samples.push_back(Describe(StateSample(v, x)));
    return row;
}

class TRecordingChart : public chart::ITraceChart {
public:
    void BeginUpdate() override { Log.push_back("Begin"); }
    void EndUpdate() override { Log.push_back("End"); }
    void Clear() override {
        Log.push_back("Clear");
        Samples.clear();
        Names.clear();
    }
    void AddSample(const TGraphSample& sample, uint16_t row) override {
        if (FailAt >= 0 && Added++ == FailAt) throw std::runtime_error("chart full");
        Samples[row].push_back(sample);
    }
    void SetTraceName(uint16_t row, const std::string& name) override { Names[row] = name; }
    int SampleRowCount() override { return Samples.empty() ? 0 : Samples.rbegin()->first; }
    void SetPrintTitle(const std::string& title) override { Title = title; }

    std::vector<TRow> Rows() const {
        std::vector<TRow> rows;
        int expected = 1;
        for (const auto& [row, samples] : Samples) {
            EXPECT_EQ(row, expected++) << "rows are filled in order";
            TRow r{Names.count(row) ? Names.at(row) : "?", {}};
            for (const TGraphSample& s : samples) {
                r.Samples.push_back(Describe(s));
                const auto* bytes = reinterpret_cast<const uint8_t*>(&s);
                for (int i : {8, 9, 10, 11, 12, 13, 14, 15, 22, 23}) EXPECT_EQ(bytes[i], 0) << i;
            }
            rows.push_back(r);
        }
        return rows;
    }

    std::vector<std::string> Log;
    std::map<uint16_t, std::vector<TGraphSample>> Samples;
    std::map<uint16_t, std::string> Names;
    std::string Title;
    int FailAt = -1;
    int Added = 0;
};

// Switchgear snapshot bytes 3..15 with the given bytes (record offsets) set.
Bytes Snapshot(std::initializer_list<std::pair<int, uint8_t>> bytes) {
    Bytes tail(13, 0);
    for (auto [at, value] : bytes) tail[static_cast<size_t>(at - 3)] = value;
    return tail;
}

constexpr uint16_t kSecond = 400;  // ticks of 2.5 ms

class ChartTraces : public TListerTest {
protected:
    ChartTraces() { Lister.SetGraph(&Chart); }

    std::vector<TRow> Build(int type, const Bytes& events, bool showAll = false) {
        Load(type, events, showAll);
        Lister.Refresh(nullptr);
        return Chart.Rows();
    }

    TRecordingChart Chart;
};

TEST(StateStyles, TemplatesAndStateArithmetic) {
    struct Case {
        int Value;
        platform::TColor Color;
        uint8_t Pen;
        uint8_t Thickness;
    };
    for (const Case& c :
         {Case{0, 0, 0, 3}, Case{1, 255, 0, 15}, Case{2, 65535, 0, 15}, Case{3, 0, 2, 3}, Case{4, 0, 0, 3},
          Case{5, 255, 0, 6}, Case{6, 65535, 0, 9}, Case{7, 32768, 0, 12}, Case{8, 32768, 0, 16}}) {
        const TGraphSample& s = StateSampleStyles[static_cast<size_t>(c.Value)];
        EXPECT_EQ(Describe(s), Describe(StateSample(c.Value, 0)));
        EXPECT_EQ(std::tuple(s.Color, s.PenStyle, s.Thickness), std::tuple(c.Color, c.Pen, c.Thickness))
            << c.Value;
        EXPECT_EQ(s.X, 0.0);
    }
    // A value without a style of its own is drawn as unknown.
    for (int v : {-1, 9, 200}) EXPECT_EQ(Describe(StateSample(v, 1.5)), Describe(StateSample(3, 1.5))) << v;
    for (auto [v, inverted] : std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {2, 2}, {3, 3}, {7, 7}})
        EXPECT_EQ(InvertState(v), inverted) << v;
    for (auto [a, b, c] :
         std::vector<std::tuple<int, int, int>>{{0, 0, 0}, {1, 1, 1}, {0, 1, 2}, {1, 2, 2}, {2, 2, 2}})
        EXPECT_EQ(CombineStates(a, b), c) << a << b;
}

TEST(TracePoint, SixteenBytesTheLastThreeZero) {
    const auto cell = TracePointCell({1.5, 0xFB, 2});
    const Bytes expected{0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0xFB, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(Bytes(cell.begin(), cell.end()), expected);
    const TTracePoint back = TracePointOf(cell);
    EXPECT_EQ(back.Seconds, 1.5);
    EXPECT_EQ(back.Code, 0xFBu);
    EXPECT_EQ(back.Value, 2);
}

struct TracesCase {
    const char* Name;
    int Type;
    Bytes Events;  // buffer order, newest first
    std::vector<TRow> Rows;
};

void PrintTo(const TracesCase& c, std::ostream* os) {
    *os << c.Name;
}

const Bytes kClock = Clock(0, 10, 14, 3, 6);
const Bytes kZeroSnapshot = Snapshot({});

// A type 2 snapshot of all zeros draws the three breakers as ambiguous and the four
// voltages below Vlt; the signals only repeat it.
std::vector<TRow> Type2SnapshotRows(double end) {
    std::vector<TRow> rows;
    for (const char* name : {"CA State", "CR State", "CB State"})
        rows.push_back(Expect(name, {{-0.2, 2}, {end, 2}}));
    for (const char* name : {"VA", "VbusA", "VB", "VbusB"})
        rows.push_back(Expect(name, {{-0.2, 4}, {end, 4}}));
    return rows;
}

std::vector<TRow> With(std::vector<TRow> rows, std::initializer_list<TRow> more) {
    rows.insert(rows.end(), more);
    return rows;
}

class TraceRows : public ChartTraces, public testing::WithParamInterface<TracesCase> {};

TEST_P(TraceRows, RowsNamesAndStyles) {
    const TracesCase& c = GetParam();
    EXPECT_EQ(Build(c.Type, c.Events), c.Rows);
    EXPECT_EQ(Chart.Log, (std::vector<std::string>{"Begin", "Clear", "End"}));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TraceRows,
    testing::Values(
        // One record: length 0, every trace ends at 0.2.
        TracesCase{"snapshot only", 2, Join({Ev(0xFB, 0, kZeroSnapshot), kClock}), Type2SnapshotRows(0.2)},
        TracesCase{
            "snapshot, then the other value", 2,
            Join({Ev(0x00, kSecond), Ev(0xFB, 0, kZeroSnapshot), kClock}),
            With(Type2SnapshotRows(1.2), {Expect("Auxiliary voltage", {{-0.2, 0}, {1.0, 1}, {1.2, 1}})})},
        TracesCase{"snapshot, then the same value", 2,
                   Join({Ev(0x01, kSecond), Ev(0xFB, 0, kZeroSnapshot), kClock}), Type2SnapshotRows(1.2)},
        // Traces 10 to 12 only repeat the snapshot: 13 takes the next row.
        TracesCase{"skipped traces take no row", 2,
                   Join({Ev(0x0A, kSecond), Ev(0xFB, 0, kZeroSnapshot), kClock}),
                   With(Type2SnapshotRows(1.2),
                        {Expect("Permission on AS CBA>CBB and CBB>CBA", {{-0.2, 0}, {1.0, 1}, {1.2, 1}})})},
        TracesCase{"a first event sets 1",
                   2,
                   Join({Ev(0x04, 200), Ev(0x00, 0), kClock}),
                   {Expect("Auxiliary voltage", {{-0.2, 0}, {0, 1}, {0.7, 1}}),
                    Expect("SA Key", {{-0.2, 0}, {0.5, 1}, {0.7, 1}})}},
        TracesCase{"one contact, no snapshot",
                   2,
                   Join({Ev(0x25, kSecond), Ev(0x24, 0), kClock}),
                   {Expect("CA State", {{-0.2, 3}, {1.2, 3}})}},
        // A empty takes the first contact, B the other: the breaker is known once both are.
        TracesCase{"both contacts, no snapshot",
                   2,
                   Join({Ev(0x25, kSecond), Ev(0x26, kSecond), Ev(0x27, kSecond), Ev(0x24, 0), kClock}),
                   {Expect("CA State", {{-0.2, 0}, {0, 2}, {1.0, 1}, {2.0, 2}, {3.0, 0}, {3.2, 0}})}},
        TracesCase{"the open contact first",
                   2,
                   Join({Ev(0x24, kSecond), Ev(0x27, 0), kClock}),
                   {Expect("CA State", {{-0.2, 0}, {0, 2}, {1.0, 1}, {1.2, 1}})}},
        TracesCase{"snapshot, then contacts", 2,
                   Join({Ev(0x25, kSecond), Ev(0x26, kSecond), Ev(0xFB, 0, Snapshot({{13, 0x04}})), kClock}),
                   [] {
                       std::vector<TRow> rows = Type2SnapshotRows(2.2);
                       rows[0] = Expect("CA State", {{-0.2, 1}, {1.0, 2}, {2.0, 0}, {2.2, 0}});
                       return rows;
                   }()},
        TracesCase{"type 1 snapshot",
                   1,
                   Join({Ev(0xFB, 0, Snapshot({{13, 0x04}, {11, 0x08}, {3, 0x01}, {8, 0x0F}})), kClock}),
                   {Expect("CM State", {{-0.2, 1}, {0.2, 1}}), Expect("CR State", {{-0.2, 0}, {0.2, 0}}),
                    Expect("Vr ", {{-0.2, 5}, {0.2, 5}}), Expect("Vbus", {{-0.2, 4}, {0.2, 4}}),
                    Expect("Vm", {{-0.2, 8}, {0.2, 8}})}}),
    [](const testing::TestParamInfo<TracesCase>& info) {
        std::string name;
        for (const char* p = info.param.Name; *p; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
        return name;
    });

TEST_F(ChartTraces, SnapshotBitsFeedTheTracesOfTheirCodes) {
    struct Case {
        int Type;
        int Byte;
        uint8_t Value;
        std::map<int, int> Points;  // trace -> value, of the traces the byte feeds
    };
    const std::vector<Case> cases{
        {2, 15, 0xF5, {{10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 1}, {15, 1}}},
        {2, 15, 0x0A, {{10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}}},
        {2, 14, 0x3F, {{16, 1}, {17, 1}, {18, 1}, {19, 1}, {20, 1}, {21, 1}}},
        // Breaker bytes: bit 2 closed, bit 3 open, bit 4 counts when clear.
        {2, 13, 0x04, {{22, 0}, {1, 1}, {23, 1}, {24, 0}}},
        {2, 13, 0x39, {{22, 1}, {1, 0}, {23, 0}, {24, 1}}},
        {2, 13, 0x0C, {{22, 0}, {1, 2}, {23, 1}, {24, 0}}},
        {2, 12, 0x21, {{26, 1}, {2, 2}, {27, 1}, {28, 1}}},
        {2, 11, 0x14, {{30, 0}, {3, 1}, {31, 0}, {32, 0}}},
        {2, 10, 0x55, {{34, 1}, {35, 1}, {36, 1}, {37, 1}}},
        // Codes the Vesk-2 table leaves undefined give no point.
        {1, 15, 0xFF, {{74, 1}, {75, 1}, {76, 1}, {77, 1}, {78, 1}, {79, 1}}},
        {1, 14, 0x3F, {{80, 1}, {81, 1}, {82, 1}, {83, 1}}},
        {1, 13, 0x04, {{64, 1}, {85, 1}, {86, 0}}},
        {1, 12, 0xFF, {}},
        {1, 11, 0x08, {{88, 0}, {65, 0}, {89, 1}, {90, 0}}},
        {1, 10, 0x55, {{92, 1}, {93, 1}, {94, 1}}},
    };
    const std::map<int, std::vector<int>> fed{
        {15, {10, 11, 12, 13, 14, 15, 74, 75, 76, 77, 78, 79}},
        {14, {16, 17, 18, 19, 20, 21, 80, 81, 82, 83}},
        {13, {22, 1, 23, 24, 64, 85, 86}},
        {12, {26, 2, 27, 28}},
        {11, {30, 3, 31, 32, 88, 65, 89, 90}},
        {10, {34, 35, 36, 37, 92, 93, 94}},
    };
    for (const Case& c : cases) {
        Build(c.Type, Join({Ev(0xFB, 0, Snapshot({{c.Byte, c.Value}})), kClock}));
        std::map<int, int> points;
        for (int trace : fed.at(c.Byte)) {
            auto& m = Lister.TraceMatrix();
            if (m.GetCellCount(trace) == 0) continue;
            EXPECT_EQ(m.GetCellCount(trace), 1) << trace;
            const TTracePoint p = TracePointOf(m.GetCellData(trace, 1));
            EXPECT_EQ(p.Code, 0xFBu);
            EXPECT_EQ(p.Seconds, 0.0);
            points[trace] = p.Value;
        }
        EXPECT_EQ(points, c.Points) << c.Type << " byte " << c.Byte;
    }
}

TEST_F(ChartTraces, VoltageRecordsFeedTheVoltageTraces) {
    // Bytes 3..8: band 1, 2 (and 3 through the pair), 0 and 4; bit 6 flags a drop only.
    const Bytes codes{0x01, 0x03, 0x00, 0x4B, 0x0F, 0x00};
    struct Case {
        int Type;
        std::map<int, int> Points;
    };
    for (const Case& c : {Case{2, {{4, 4}, {5, 7}, {6, 8}, {7, 5}}}, Case{1, {{66, 5}, {67, 7}, {68, 4}}}}) {
        Build(c.Type, Join({Ev(0xF6, kSecond, codes), Ev(0x00, 0), kClock}));
        std::map<int, int> points;
        for (int trace = 1; trace <= Lister.TraceMatrix().UsedRowCount(); ++trace) {
            if (Lister.TraceMatrix().GetCellCount(trace) == 0) continue;
            const TTracePoint p = TracePointOf(Lister.TraceMatrix().GetCellData(trace, 1));
            if (p.Code != 0xF6) continue;
            EXPECT_EQ(p.Seconds, 1.0);
            points[trace] = p.Value;
        }
        EXPECT_EQ(points, c.Points) << c.Type;
    }
}

TEST_F(ChartTraces, LogicSignalsNeedSysLogickAndUnlistedOnesShowAll) {
    auto names = [&] {
        std::vector<std::string> out;
        for (const TRow& r : Chart.Rows()) out.push_back(r.Name);
        return out;
    };
    const Bytes events = Join({Ev(0x2E, kSecond), Ev(0xD0, kSecond), Ev(0x04, 0), kClock});
    struct Case {
        bool SysLogick;
        bool ShowAll;
        std::vector<std::string> Names;
    };
    for (const Case& c :
         {Case{false, false, {"SA Key"}}, Case{true, false, {"SA Key", "SA LOG Key"}},
          Case{false, true, {"SA Key", "VP2 exceeded value on CBA above 2.4V"}},
          Case{true, true, {"SA Key", "VP2 exceeded value on CBA above 2.4V", "SA LOG Key"}}}) {
        Load(2, events, c.ShowAll);
        Halvo.Defs().ImplementsSysLogick = c.SysLogick;
        Lister.Refresh(nullptr);
        EXPECT_EQ(names(), c.Names) << c.SysLogick << c.ShowAll;
    }
}

TEST_F(ChartTraces, SecondsKeepRisingPastADay) {
    // 530 records of 163.8 s: the sequence runs 24 h 7 min.
    Bytes events;
    for (int i = 0; i < 530; ++i) events = Join({events, Ev(i % 2 ? 0x04 : 0x05, 65535)});
    events = Join({events, Ev(0x04, 0), kClock});
    Build(2, events);
    const auto& samples = Chart.Samples.at(1);
    ASSERT_EQ(samples.size(), 533u);
    for (size_t i = 1; i < samples.size(); ++i) ASSERT_LT(samples[i - 1].X, samples[i].X) << i;
    EXPECT_NEAR(samples.back().X, 530 * 163.8375 + 0.2, 0.001);
    EXPECT_EQ(SecondsText(ListingSeconds(1 + platform::EncodeTime(0, 0, 1, 500))), "86401,500");
}

TEST_F(ChartTraces, OnlyTheSelectedSequenceIsDrawn) {
    Load(2, Join({Ev(0x04, 0), Clock(0, 11, 14, 3, 6), Ev(0x00, 0), kClock}));
    Lister.Refresh(nullptr);
    EXPECT_EQ(Chart.Rows(), (std::vector<TRow>{Expect("Auxiliary voltage", {{-0.2, 0}, {0, 1}, {0.2, 1}})}));
    Lister.SelectSequence(2);
    EXPECT_EQ(Chart.Rows(), (std::vector<TRow>{Expect("SA Key", {{-0.2, 0}, {0, 1}, {0.2, 1}})}));
    EXPECT_EQ(Lister.TraceMatrix().GetCellCount(10), 0);
    // No such sequence: the chart is left alone.
    Chart.Log.clear();
    Lister.SelectSequence(3);
    EXPECT_TRUE(Chart.Log.empty());
}

TEST_F(ChartTraces, RefreshWithoutASequenceClearsTheChart) {
    for (const Bytes& events : {Bytes{}, Join({Ev(0x04, 0), Ev(0x00, 0)})}) {
        Chart.Samples[1].push_back(StateSample(1, 0));
        Chart.Log.clear();
        Load(2, events);
        Lister.Refresh(nullptr);
        EXPECT_EQ(Chart.Log, std::vector<std::string>{"Clear"});
        EXPECT_TRUE(Chart.Samples.empty());
    }
}

TEST_F(ChartTraces, TheUpdateEndsWhenABuildFails) {
    Load(2, Join({Ev(0x04, 0), kClock}));
    Chart.FailAt = 1;
    EXPECT_THROW(Lister.Refresh(nullptr), std::runtime_error);
    EXPECT_EQ(Chart.Log, (std::vector<std::string>{"Begin", "Clear", "End"}));
    Chart.Log.clear();
    Chart.Added = 0;
    EXPECT_THROW(Lister.ShowLegend(), std::runtime_error);
    EXPECT_EQ(Chart.Log, (std::vector<std::string>{"Begin", "Clear", "End"}));
}

TEST_F(ChartTraces, TheLegendShowsEveryStyle) {
    Lister.ShowLegend();
    std::vector<TRow> expected;
    const std::vector<std::string> names{"Switches states:   OFF",
                                         "Switches states:   ON",
                                         "Switches states:   AMBIGUOUS STATE",
                                         "UNKNOWN STATE",
                                         "Voltages rang:   V<Vlt",
                                         "Voltages rang:   Vlt<V<VL",
                                         "Voltages rang:   VL<V<0,9Vr",
                                         "Voltages rang:   0.9Vr<V<Vr",
                                         "Voltages rang:   V>Vr"};
    for (int v = 0; v < 9; ++v)
        expected.push_back(Expect(names[static_cast<size_t>(v)], {{0, v}, {10.0, v}}));
    EXPECT_EQ(Chart.Rows(), expected);
    EXPECT_EQ(Chart.Title, "Legend");
    EXPECT_EQ(Chart.Log, (std::vector<std::string>{"Begin", "Clear", "End"}));
    Lister.SetGraph(nullptr);
    Lister.ShowLegend();  // nothing to draw on
}

TEST_F(ChartTraces, ARealChartHoldsTheSamples) {
    chart::TGraph graph;
    Lister.SetGraph(&graph);
    Load(2, Join({Ev(0x00, kSecond), Ev(0xFB, 0, kZeroSnapshot), kClock}));
    Lister.Refresh(nullptr);
    EXPECT_EQ(graph.TraceSamples.UsedRowCount(), 8);
    EXPECT_EQ(graph.GetTraceLabel(1), "1. CA State");
    EXPECT_EQ(graph.GetTraceLabel(8), "8. Auxiliary voltage");
    ASSERT_EQ(graph.TraceSamples.GetCellCount(8), 3);
    EXPECT_EQ(Describe(graph.Sample(8, 2)), Describe(StateSample(1, 1.0)));
    EXPECT_EQ(graph.DataMinRange(), -0.2);
    EXPECT_EQ(graph.DataMaxRange(), 1.2);
    EXPECT_FALSE(graph.Updating());

    Lister.ShowLegend();
    EXPECT_EQ(graph.TraceSamples.UsedRowCount(), 9);
    EXPECT_EQ(graph.GetTraceLabel(4), "4. UNKNOWN STATE");
    EXPECT_EQ(graph.PrintTitle, "Legend");
    EXPECT_EQ(std::pair(graph.DataMinRange(), graph.DataMaxRange()), std::pair(0.0, 10.0));
}

}  // namespace
}  // namespace app::test
