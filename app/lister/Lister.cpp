#include "app/lister/Lister.h"

#include <algorithm>
#include <exception>

#include "app/device/Halvobase.h"
#include "app/events/EventRecords.h"
#include "app/lister/ListingTexts.h"
#include "platform/Exception.h"
#include "platform/UpdateScope.h"

namespace app {

namespace {

constexpr double kTenthsMsPerDay = 864000000.0;

}  // namespace

// The row being filled while the raw row is walked.
struct TEvLister::TSequenceBuild {
    int Row = 1;     // row 1 is the raw row; sequence k fills row k + 1
    int Column = 0;  // cells written to the row
    platform::TDateTime Earliest = 0;
    platform::TDateTime Latest = 0;
};

TEvLister::TEvLister() : FSequenceInfos(1) {}

bool TEvLister::ShowAllEvents() const {
    return FHalvo && FHalvo->GetReadOptions().ShowAllEvents != 0;
}
bool TEvLister::CorrectStartTimes() const {
    return FHalvo && FHalvo->GetReadOptions().CorrectStartTimes != 0;
}
bool TEvLister::ImplementsSysLogick() const {
    return FHalvo && FHalvo->Defs().ImplementsSysLogick;
}
int TEvLister::DeviceType() const {
    return FHalvo ? FHalvo->DeviceType() : 0;
}

TSequenceInfo TEvLister::SequenceInfo(int number) const {
    if (number < 1 || number > SequenceCount() || static_cast<std::size_t>(number) >= FSequenceInfos.size())
        return {kSequenceMissing, 0, 0};
    return FSequenceInfos[static_cast<std::size_t>(number)];
}

bool TEvLister::ReadEvent(int sequence, int column, TStampedEvent& event) {
    event.Length = 0;
    if (sequence < 1 || sequence > SequenceCount()) return false;
    const std::span<const uint8_t> cell = FSequenceMatrix.GetCellData(sequence, column);
    return !cell.empty() && event.AssignCell(cell);
}

void TEvLister::EnsureRow(int row) {
    if (row > FSequenceMatrix.RowCapacity()) FSequenceMatrix.SetRowCapacity(row);
    if (row > FSequenceMatrix.UsedRowCount()) FSequenceMatrix.SetUsedRowCount(row);
}

void TEvLister::DecodeBuffer(int row) {
    if (!FHalvo || row < 1) return;
    EnsureRow(row - 1);
    FSequenceMatrix.SetUsedRowCount(row - 1);
    TEventWalker walker({FHalvo->EventsBuffer(), THalvo::kEventsCapacity}, FHalvo->GetEventsLength(),
                        FHalvo->EventTable());
    int column = 0;
    while (const auto record = walker.Next()) {
        FSequenceMatrix.WriteCell(record->Bytes, row, ++column);
        if (!FSequenceMatrix.ErrorText().empty()) break;
    }
    FFirstUndefinedCode = walker.FirstUndefinedCode();
}

int TEvLister::LastClockTimeColumn(int row) {
    int column = FSequenceMatrix.GetCellCount(row);
    while (column >= 1 && FSequenceMatrix.GetCellByte(row, column) != kEvCodeClockTime) --column;
    return column;
}

void TEvLister::Restamp(int row, int column, platform::TDateTime stamp) {
    TStampedEvent cell;
    if (!cell.AssignCell(FSequenceMatrix.GetCellData(row, column))) return;
    cell.SetStamp(stamp);
    FSequenceMatrix.WriteCell(cell.Cell(), row, column);
}

void TEvLister::CloseRow(TSequenceBuild& build) {
    const int row = build.Row;
    if (row < 2) return;
    const int count = FSequenceMatrix.GetCellCount(row);
    auto code = [&](int column) { return count >= column ? FSequenceMatrix.GetCellByte(row, column) : -1; };

    TSequenceInfo info{kSequenceNone, build.Earliest, build.Latest};
    if (code(1) == kEvCodeRestart && code(2) == kEvCodeSwitchgear) {
        info.Kind = kSequenceRestart;
        Restamp(row, 2, build.Earliest);
    } else if (code(1) == kEvCodeSwitchgear) {
        info.Kind = kSequenceNormal;
        Restamp(row, 1, build.Earliest);
    }
    if (FListBox) FListBox->AddLine(SequenceLineText(row - 1, info));

    if (count >= 2) FSequenceMatrix.SortRow(row);
    for (int column = 1; column <= count; ++column) {
        if (code(column) != kEvCodeSwitchgear) continue;
        FSequenceMatrix.SwapCells(row, column, row, 1);
        break;
    }
    // The end snapshot takes the time of the event before it; a lone cell has none.
    if (count >= 2 && code(count) == kEvCodeSwitchgear) {
        info.Latest = FSequenceMatrix.GetCellDouble(row, count - 1);
        Restamp(row, count, info.Latest);
    }
    FSequenceInfos.resize(static_cast<std::size_t>(row));
    FSequenceInfos[static_cast<std::size_t>(row - 1)] = info;
}

void TEvLister::FinishSequences(int lastRow) {
    // Rows 2..lastRow become rows 1..lastRow - 1 and the raw row goes.
    FSequenceMatrix.SetUsedRowCount(lastRow);
    FSequenceMatrix.ReverseRows();
    FSequenceMatrix.SetUsedRowCount(lastRow - 1);
    FSequenceMatrix.ReverseRows();
    FSequenceInfos.resize(static_cast<std::size_t>(lastRow));
}

void TEvLister::BuildSequences() {
    if (FListBox) FListBox->ClearLines();
    FSequenceInfos.assign(1, TSequenceInfo{});
    if (!FHalvo) {
        FSequenceMatrix.SetUsedRowCount(0);
        return;
    }
    DecodeBuffer(1);
    const int start = LastClockTimeColumn(1);
    if (start < 1) {
        FSequenceMatrix.SetUsedRowCount(0);
        return;
    }

    const TEventTable& table = FHalvo->EventTable();
    const bool correct = CorrectStartTimes();
    TSequenceBuild build;
    platform::TDateTime clock = 0;
    int64_t tenthsMs = 0;  // since the clock-time record; integer, so no drift accumulates
    std::exception_ptr failure;
    for (int column = start; column >= 1; --column) {
        if (!FCurrent.Assign(FSequenceMatrix.GetCellData(1, column), 0)) continue;
        const std::span<const uint8_t> record = FCurrent.Record();
        if (record.empty()) continue;
        if (record[0] == kEvCodeClockTime) {
            const TEventClockTime t = ClockTimeOf(record).value_or(TEventClockTime{});
            CloseRow(build);
            try {
                clock = platform::EncodeDate(t.Year, t.Month, t.Day) +
                        platform::EncodeTime(t.Hour, t.Minute, 0, 0);
            } catch (const platform::EConvertError&) {
                failure = std::current_exception();
                break;
            }
            tenthsMs = 0;
            build = {build.Row + 1, 0, 0, 0};
            EnsureRow(build.Row);
            continue;
        }
        tenthsMs += int64_t{EventTicks(record, table)} * 25;
        int64_t stampTenths = tenthsMs;
        if (correct) stampTenths += int64_t{FHalvo->Defs().IoCorrection(table[record[0]].IoClass)} * 10;
        const platform::TDateTime stamp = clock + static_cast<double>(stampTenths) / kTenthsMsPerDay;
        FCurrent.SetStamp(stamp);
        FSequenceMatrix.WriteCell(FCurrent.Cell(), build.Row, ++build.Column);
        if (!FSequenceMatrix.ErrorText().empty()) break;
        if (build.Earliest == 0 || build.Earliest > stamp) build.Earliest = stamp;
        if (build.Latest < stamp) build.Latest = stamp;
    }
    if (!failure) CloseRow(build);
    FinishSequences(build.Row);
    if (failure) std::rethrow_exception(failure);
}

void TEvLister::Refresh(const void* sender) {
    std::exception_ptr failure;
    try {
        BuildSequences();
    } catch (const platform::EConvertError&) {
        failure = std::current_exception();
    }
    if (FHalvo && FHalvo->GetEventsLength() > 0 && FListBox && FListBox->LineCount() > 0) {
        FListBox->SetMultiSelect(true);
        FListBox->SetSelected(0, true);
        FListBox->Click(sender);
    } else {
        if (FRichEdit) FRichEdit->Clear();
        if (FGraph) FGraph->Clear();
    }
    if (failure) std::rethrow_exception(failure);
}

void TEvLister::SelectSequence(int number) {
    FSelectedSequence = static_cast<uint16_t>(std::clamp(number, 0, 0xFFFF));
    ShowListing();
    BuildGraph();
}

void TEvLister::ShowListing() {
    if (FSelectedSequence == 0 || FSelectedSequence > SequenceCount() || !FRichEdit) return;
    const platform::TUpdateScope update(*FRichEdit);
    FRichEdit->Clear();
    WriteListing(*FRichEdit);
    FRichEdit->CaretToStart();
}

void TEvLister::HexList() {
    if (!FHalvo || !FRichEdit) return;
    const platform::TUpdateScope update(*FRichEdit);
    const int saved = SequenceCount();
    const int row = saved + 1;
    DecodeBuffer(row);
    const int start = LastClockTimeColumn(row);
    FRichEdit->Clear();
    for (int column = start; column >= 1; --column)
        FRichEdit->AddLine(HexLine(FSequenceMatrix.GetCellData(row, column)), TListingStyle::Plain);
    if (FFirstUndefinedCode > 0)
        FRichEdit->AddLine(
            "First undefined event code:" + HexText(static_cast<unsigned>(FFirstUndefinedCode), 2) + "h",
            TListingStyle::Plain);
    FSequenceMatrix.SetUsedRowCount(saved);
}

}  // namespace app
