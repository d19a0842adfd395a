#include "app/lister/ChartTraces.h"

#include <algorithm>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/Interp.h"
#include "app/events/EventRecords.h"
#include "app/lister/Lister.h"
#include "app/lister/ListingTexts.h"
#include "chart/Bitbit.h"
#include "platform/Bytes.h"
#include "platform/UpdateScope.h"

namespace app {

namespace {

constexpr double kLead = 0.2;  // seconds drawn before the first and after the last record

chart::TGraphSample Template(platform::TColor color, platform::TPenStyle pen, uint8_t thickness) {
    chart::TGraphSample s;
    s.Color = color;
    s.PenStyle = static_cast<uint8_t>(pen);
    s.Thickness = thickness;
    return s;
}

bool FromStateRecord(const TTracePoint& p) {
    return p.Code == kEvCodeSwitchgear || p.Code == kEvCodeVoltages;
}

// The voltage traces of each device type, in the order of its voltage pairs.
constexpr std::array<uint8_t, 3> kType1VoltageTraces{66, 67, 68};
constexpr std::array<uint8_t, 4> kType2VoltageTraces{4, 5, 6, 7};

enum class TBitUse : uint8_t { Set, Clear, Breaker };
struct TSnapshotBit {
    uint8_t Byte;
    uint8_t Bit;  // the closed contact for a breaker; its open contact is the next bit
    uint8_t Code;
    TBitUse Use = TBitUse::Set;
};
// Which bits of a switchgear snapshot feed the trace of which event code.
constexpr std::array<TSnapshotBit, 28> kSnapshotBits{{
    {15, 0, 0x00},
    {15, 2, 0x04},
    {15, 4, 0x08},
    {15, 5, 0x0A},
    {15, 6, 0x0C},
    {15, 7, 0x0E},
    {14, 0, 0x10},
    {14, 1, 0x12},
    {14, 2, 0x14},
    {14, 3, 0x16},
    {14, 4, 0x18},
    {14, 5, 0x1A},
    {13, 0, 0x20},
    {13, 2, 0x24, TBitUse::Breaker},
    {13, 4, 0x28, TBitUse::Clear},
    {13, 5, 0x2A},
    {12, 0, 0x30},
    {12, 2, 0x34, TBitUse::Breaker},
    {12, 4, 0x38, TBitUse::Clear},
    {12, 5, 0x3A},
    {11, 0, 0x40},
    {11, 2, 0x44, TBitUse::Breaker},
    {11, 4, 0x48, TBitUse::Clear},
    {11, 5, 0x4A},
    {10, 0, 0x80},
    {10, 2, 0x84},
    {10, 4, 0x88},
    {10, 6, 0x8C},
}};

// The two contact slots of a breaker trace.
struct TBreakerSlots {
    struct TSlot {
        bool Filled = false;
        TTracePoint Point;
    };
    TSlot A, B;
    bool LastFromState = false;
    int LastValue = 0;

    void Feed(TTracePoint p) {
        LastValue = p.Value;
        LastFromState = FromStateRecord(p);
        if (LastFromState) {
            A = B = {true, p};
            return;
        }
        // The fading of a contact counts as its turn-up event.
        if (p.Code % 2 != 0) p.Code -= 1;
        // An empty A takes the point too: else A never fills without a snapshot.
        if (!A.Filled || FromStateRecord(A.Point) || A.Point.Code == p.Code)
            A = {true, p};
        else
            B = {true, p};
    }
    bool Full() const { return A.Filled && B.Filled; }
    int Combined() const { return CombineStates(A.Point.Value, B.Point.Value); }
};

}  // namespace

std::array<uint8_t, sizeof(TTracePoint)> TracePointCell(const TTracePoint& point) {
    std::array<uint8_t, sizeof(TTracePoint)> b{};
    platform::PutLeDouble(&b[0], point.Seconds);
    platform::PutLe(&b[8], point.Code);
    b[12] = point.Value;
    std::copy(std::begin(point.Unset), std::end(point.Unset), b.begin() + 13);
    return b;
}

TTracePoint TracePointOf(std::span<const uint8_t> cell) {
    std::array<uint8_t, sizeof(TTracePoint)> b{};
    std::copy_n(cell.begin(), std::min(cell.size(), b.size()), b.begin());
    TTracePoint p;
    p.Seconds = platform::GetLeDouble(&b[0]);
    p.Code = platform::GetLe<uint32_t>(&b[8]);
    p.Value = b[12];
    std::copy(b.begin() + 13, b.end(), std::begin(p.Unset));
    return p;
}

const std::array<chart::TGraphSample, kStateCount> StateSampleStyles{
    Template(platform::clBlack, platform::TPenStyle::Solid, 3),    // OFF
    Template(platform::clRed, platform::TPenStyle::Solid, 15),     // ON
    Template(platform::clYellow, platform::TPenStyle::Solid, 15),  // AMBIGUOUS STATE
    Template(platform::clBlack, platform::TPenStyle::Dot, 3),      // UNKNOWN STATE
    Template(platform::clBlack, platform::TPenStyle::Solid, 3),    // V<Vlt
    Template(platform::clRed, platform::TPenStyle::Solid, 6),      // Vlt<V<VL
    Template(platform::clYellow, platform::TPenStyle::Solid, 9),   // VL<V<0,9Vr
    Template(platform::clGreen, platform::TPenStyle::Solid, 12),   // 0.9Vr<V<Vr
    Template(platform::clGreen, platform::TPenStyle::Solid, 16),   // V>Vr
};

int StateStyle(int value) {
    return value >= 0 && value < kStateCount ? value : kStateUnknown;
}

chart::TGraphSample StateSample(int value, double x) {
    chart::TGraphSample s = StateSampleStyles[static_cast<size_t>(StateStyle(value))];
    s.X = x;
    return s;
}

int InvertState(int value) {
    if (value == kStateOff) return kStateOn;
    if (value == kStateOn) return kStateOff;
    return value;
}

int CombineStates(int a, int b) {
    return a == b ? a : kStateAmbiguous;
}

void TEvLister::AddTracePoint(int trace, const TTracePoint& point) {
    if (trace < 1 || static_cast<size_t>(trace) >= kTraceCount) return;
    FTraceMatrix.WriteCell(TracePointCell(point), trace, FTraceMatrix.GetCellCount(trace) + 1);
}

void TEvLister::AddVoltagePoints(std::span<const uint8_t> record, double seconds) {
    const int type = DeviceType();
    const std::span<const uint8_t> traces = type == 1 ? std::span<const uint8_t>(kType1VoltageTraces)
                                                      : std::span<const uint8_t>(kType2VoltageTraces);
    const std::span<const TVoltagePair> pairs = VoltagePairs(type);
    for (size_t i = 0; i < pairs.size() && i < traces.size(); ++i) {
        const auto codes = VoltageCodesOf(record, pairs[i]);
        if (!codes) continue;
        const auto value = static_cast<uint8_t>(VoltageBandIndex(codes->A, codes->B));
        AddTracePoint(traces[i], {seconds, record[0], value});
    }
}

void TEvLister::AddSnapshotPoints(std::span<const uint8_t> record, double seconds) {
    const TEventTable& table = FHalvo->EventTable();
    for (const TSnapshotBit& s : kSnapshotBits) {
        if (s.Byte >= record.size()) continue;
        const uint8_t bits = record[s.Byte];
        int value = chart::BitIsSet(s.Bit, bits) ? 1 : 0;
        if (s.Use == TBitUse::Clear) value = 1 - value;
        if (s.Use == TBitUse::Breaker)
            value = ContactState(chart::BitIsSet(s.Bit, bits), chart::BitIsSet(s.Bit + 1, bits));
        AddTracePoint(table[s.Code].Trace, {seconds, record[0], static_cast<uint8_t>(value)});
    }
}

void TEvLister::CollectTracePoints(int sequence) {
    const TEventTable& table = FHalvo->EventTable();
    const int count = FSequenceMatrix.GetCellCount(sequence);
    const platform::TDateTime first = FSequenceMatrix.GetCellDouble(sequence, 1);
    const bool sysLogick = ImplementsSysLogick();
    const bool showAll = ShowAllEvents();
    TStampedEvent event;
    for (int column = 1; column <= count; ++column) {
        if (!ReadEvent(sequence, column, event)) continue;
        const std::span<const uint8_t> record = event.Record();
        if (record.empty()) continue;
        const TEventDescription& d = table[record[0]];
        if ((d.Kind == kEvKindLogicAlt || d.Kind == kEvKindLogic) && !sysLogick) continue;
        const double seconds = ListingSeconds(event.Stamp() - first);
        if (d.Trace != 0 && (d.Listed != 0 || showAll)) {
            AddTracePoint(d.Trace, {seconds, record[0], d.TraceValue});
        } else if (record[0] == kEvCodeVoltages) {
            AddVoltagePoints(record, seconds);
        } else if (record[0] == kEvCodeSwitchgear) {
            AddSnapshotPoints(record, seconds);
            AddVoltagePoints(record, seconds);
        }
    }
}

void TEvLister::DrawTraces(double length) {
    const int lastTrace = std::min<int>(FTraceMatrix.UsedRowCount(), kTraceCount - 1);
    std::vector<TTracePoint> points;
    for (int trace = 1; trace <= lastTrace; ++trace) {
        const int n = FTraceMatrix.GetCellCount(trace);
        if (n == 0) continue;
        points.clear();
        for (int k = 1; k <= n; ++k) points.push_back(TracePointOf(FTraceMatrix.GetCellData(trace, k)));
        const TTraceDescription& d = TraceDescriptions[static_cast<size_t>(trace)];
        const bool repeatsSnapshot = FromStateRecord(points[0]) &&
                                     std::all_of(points.begin(), points.end(), [&](const TTracePoint& p) {
                                         return p.Value == points[0].Value;
                                     });
        if (d.AlwaysDrawn == 0 && repeatsSnapshot) continue;

        const auto row = static_cast<uint16_t>(FGraph->SampleRowCount() + 1);
        int lastStyle = kStateUnknown;
        auto add = [&](int value, double x) {
            lastStyle = StateStyle(value);
            FGraph->AddSample(StateSample(lastStyle, x), row);
        };
        if (d.Kind == kTraceKindBreaker) {
            TBreakerSlots slots;
            size_t k = 0;
            while (k < points.size() && !slots.Full()) slots.Feed(points[k++]);
            if (slots.LastFromState) {
                add(slots.LastValue, -kLead);
            } else if (!slots.Full()) {
                add(kStateUnknown, -kLead);
            } else {
                const TTracePoint& a = slots.A.Point;
                const TTracePoint& b = slots.B.Point;
                add(CombineStates(InvertState(a.Value), InvertState(b.Value)), -kLead);
                if (b.Seconds < a.Seconds) add(CombineStates(InvertState(a.Value), b.Value), b.Seconds);
                if (a.Seconds < b.Seconds) add(CombineStates(a.Value, InvertState(b.Value)), a.Seconds);
                add(CombineStates(a.Value, b.Value), std::max(a.Seconds, b.Seconds));
            }
            for (; k < points.size(); ++k) {
                slots.Feed(points[k]);
                add(slots.Combined(), points[k].Seconds);
            }
        } else {
            const TTracePoint& p = points[0];
            if (FromStateRecord(p)) {
                add(p.Value, -kLead);
            } else {
                add(InvertState(p.Value), -kLead);
                add(p.Value, p.Seconds);
            }
            for (size_t k = 1; k < points.size(); ++k) add(points[k].Value, points[k].Seconds);
        }
        add(lastStyle, length + kLead);
        FGraph->SetTraceName(row, std::string(d.Name));
    }
}

void TEvLister::BuildGraph() {
    const int sequence = FSelectedSequence;
    if (!FGraph || sequence < 1 || sequence > SequenceCount()) return;
    FTraceMatrix.SetUsedRowCount(0);
    const platform::TUpdateScope update(*FGraph);
    FGraph->Clear();
    const int count = FSequenceMatrix.GetCellCount(sequence);
    const int type = DeviceType();
    if (count == 0 || (type != 1 && type != 2)) return;
    CollectTracePoints(sequence);
    const platform::TDateTime first = FSequenceMatrix.GetCellDouble(sequence, 1);
    DrawTraces(ListingSeconds(FSequenceMatrix.GetCellDouble(sequence, count) - first));
}

void TEvLister::ShowLegend() {
    if (!FGraph) return;
    const platform::TUpdateScope update(*FGraph);
    FGraph->Clear();
    for (int v = 0; v < kStateCount; ++v) {
        const auto row = static_cast<uint16_t>(v + 1);
        FGraph->AddSample(StateSample(v, 0), row);
        FGraph->AddSample(StateSample(v, 10.0), row);
        std::string name = StateText(v);
        if (v < kStateUnknown) name = "Switches states:   " + name;
        if (v > kStateUnknown) name = "Voltages rang:   " + name;
        FGraph->SetTraceName(row, name);
    }
    FGraph->SetPrintTitle("Legend");
}

}  // namespace app
