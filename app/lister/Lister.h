#pragma once
// The event decoder of one document window: cuts the device image's events buffer into
// records, groups them into sequences (one per clock-time record), stamps and sorts
// them, fills the sequence list and writes the listing of the selected sequence.
#include <cstdint>
#include <string>
#include <vector>

#include "app/lister/ListingSink.h"
#include "app/lister/SequenceListBox.h"
#include "app/lister/StampedEvent.h"
#include "chart/Ogmarr32.h"
#include "chart/TraceChart.h"

namespace platform {
class IPrintTarget;
}

namespace app {

class THalvo;
struct TTracePoint;
using chart::ITraceChart;

class TEvLister {
public:
    TEvLister();
    TEvLister(const TEvLister&) = delete;
    TEvLister& operator=(const TEvLister&) = delete;

    // Links, not owned; nullptr unlinks. Storing a link does nothing else.
    void SetListBox(ISequenceListBox* listBox) { FListBox = listBox; }
    void SetRichEdit(IListingView* richEdit) { FRichEdit = richEdit; }
    void SetGraph(ITraceChart* graph) { FGraph = graph; }
    void SetHalvo(THalvo* halvo) { FHalvo = halvo; }

    // The whole events buffer into that row of SequenceMatrix, raw records in buffer
    // order; every row from it on is emptied first. Nothing without a device image.
    void DecodeBuffer(int row);
    // SequenceMatrix row k := sequence k, oldest first; the sequence infos and the list
    // lines follow. A clock-time record that makes no date ends the decoding with the
    // sequences before it kept, and raises platform::EConvertError.
    void BuildSequences();
    // BuildSequences, then sequence 1 through the list box's click handler, or an empty
    // listing when there is none. A decoding error is raised after that.
    void Refresh(const void* sender);
    void SelectSequence(int number);
    // The selected sequence's listing into the rich edit.
    void ShowListing();
    // The selected sequence's listing; nothing when none is selected. A clock change
    // to an impossible date raises platform::EConvertError where it stands.
    void WriteListing(IListingSink& sink);
    // Every record from the oldest clock-time record on, oldest first, in hexadecimal.
    void HexList();
    // Sequence n selected, then as one job titled PrintTitle on the printer: its list
    // line and its listing, line after line from the printable area's top left, a new
    // page when a line does not fit. platform::EInOutError when no job can start; a
    // decoding error ends the job with what was printed and passes on.
    void PrintListing(int number, platform::IPrintTarget& printer);
    // The printer's line sink: nothing once the job is aborted or outside PrintListing.
    void PrintListingLine(const std::string& line, TListingStyle style);
    std::string PrintTitle;
    // The selected sequence's traces into the chart, in one update of it that ends
    // however the build ends.
    void BuildGraph();
    // The nine state styles as a chart of their own, titled "Legend".
    void ShowLegend();

    bool ShowAllEvents() const;
    bool CorrectStartTimes() const;
    bool ImplementsSysLogick() const;
    int DeviceType() const;

    int FirstUndefinedCode() const { return FFirstUndefinedCode; }
    uint16_t SelectedSequence() const { return FSelectedSequence; }
    int SequenceCount() const { return FSequenceMatrix.UsedRowCount(); }
    // Kind kSequenceMissing, no times, for a number without a sequence.
    TSequenceInfo SequenceInfo(int number) const;
    // False, with event emptied, for a cell that does not exist.
    bool ReadEvent(int sequence, int column, TStampedEvent& event);

    chart::THalvoMatrix& SequenceMatrix() { return FSequenceMatrix; }
    chart::THalvoMatrix& TraceMatrix() { return FTraceMatrix; }
    ITraceChart* Graph() const { return FGraph; }

private:
    struct TSequenceBuild;
    void CloseRow(TSequenceBuild& build);
    void EnsureRow(int row);
    // The column of the row's last clock-time record; 0 when it has none.
    int LastClockTimeColumn(int row);
    void Restamp(int row, int column, platform::TDateTime stamp);
    // Every row from the sequences' end on dropped, the raw row 1 with them.
    void FinishSequences(int lastRow);
    void WriteRecord(int column, int lastColumn, double seconds, int lastBlockingColumn, IListingSink& sink);
    void WriteRecordLine(double seconds, IListingSink& sink) const;
    std::span<const uint8_t> CurrentRecord() const;
    // Chart traces.
    void CollectTracePoints(int sequence);
    void AddTracePoint(int trace, const TTracePoint& point);
    void AddVoltagePoints(std::span<const uint8_t> record, double seconds);
    void AddSnapshotPoints(std::span<const uint8_t> record, double seconds);
    void DrawTraces(double length);

    int FFirstUndefinedCode = -1;
    ISequenceListBox* FListBox = nullptr;
    uint16_t FSelectedSequence = 0;
    std::vector<TSequenceInfo> FSequenceInfos;  // index = sequence number; 0 unused
    IListingView* FRichEdit = nullptr;
    ITraceChart* FGraph = nullptr;
    chart::THalvoMatrix FTraceMatrix;
    TStampedEvent FCurrent;  // every record is read here before it is interpreted
    THalvo* FHalvo = nullptr;
    chart::THalvoMatrix FSequenceMatrix;
    platform::IPrintTarget* FPrinter = nullptr;  // while PrintListing runs
    int FPrintLineY = 0;
};

}  // namespace app
