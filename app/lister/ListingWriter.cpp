#include "app/lister/ListingWriter.h"

#include <algorithm>
#include <string>

#include "app/device/Halvobase.h"
#include "app/events/EventRecords.h"
#include "app/lister/Lister.h"
#include "app/lister/ListingTexts.h"
#include "app/lister/StateRecordLines.h"

namespace app {

std::string ClockSourceLine(uint8_t source) {
    switch (source) {
        case 1:
            return "  Change of time source: link RS0";
        case 2:
            return "  Change of time source: link RS1";
        case 3:
            return "  Change of time source: keyboard";
        default:
            return "  ?";
    }
}

void WriteClockChangeLines(std::span<const uint8_t> record, IListingSink& sink) {
    const auto change = ClockChangeOf(record);
    if (!change) return;
    sink.AddLine(ClockSourceLine(change->Source), TListingStyle::Plain);
    const TEventClockTime& t = change->Time;
    const platform::TDateTime date = platform::EncodeDate(t.Year, t.Month, t.Day);
    const platform::TDateTime time = platform::EncodeTime(t.Hour, t.Minute, t.Second, 0);
    const platform::TFormatSettings& fs = platform::AppFormatSettings();
    sink.AddLine(
        "  New setting: Date: " + platform::DateToStr(date, fs) + "Time: " + platform::TimeToStr(time, fs),
        TListingStyle::Plain);
}

const char* SerialCommandText(uint8_t number, bool msbNotZero) {
    switch (number) {
        case 0:
            return "permanent blocking section A";
        case 1:
            return "permanent blocking section B";
        case 2:
            return "start PSSA";
        case 3:
            return "start PSSB";
        case 4:
            return "start PSSAB ";
        case 5:
            return msbNotZero ? "unblock" : "Off-automatic";
        case 29:
            return "SETTINGS - parset 2";
        case 30:
            return "SETTINGS - parset 1";
        case 31:
            return "RTC setting";
        default:
            return nullptr;
    }
}

void WriteSerialCommandLines(std::span<const uint8_t> record, IListingSink& sink) {
    if (record.size() < 4) return;
    const uint8_t b = record[3];
    const bool rs1 = (b & 0x80) != 0;
    const bool msbNotZero = (b & 0x40) != 0;
    const std::string msb = msbNotZero ? "<>0" : "=0";
    sink.AddLine(
        std::string("  Serial port command") + (rs1 ? "RS1" : "RS0") + (msbNotZero ? "" : "(broadcast)"),
        TListingStyle::Plain);
    sink.AddLine("  MSB from data register" + msb, TListingStyle::Plain);
    sink.AddLine("  " + msb, TListingStyle::Plain);
    if (const char* command = SerialCommandText(b & 0x1F, msbNotZero))
        sink.AddLine(std::string("  Command: \"") + command + "\"", TListingStyle::Plain);
}

namespace {

int TypeOfKind(uint8_t kind) {
    switch (kind) {
        case kEvKindVoltages1:
        case kEvKindBlocking1:
        case kEvKindSwitchgear1:
            return 1;
        default:
            return 2;
    }
}

}  // namespace

std::span<const uint8_t> TEvLister::CurrentRecord() const {
    const std::span<const uint8_t> record = FCurrent.Record();
    if (record.empty()) return {};
    return record.first(std::min<std::size_t>(record.size(), FHalvo->EventTable()[record[0]].Length));
}

void TEvLister::WriteRecordLine(double seconds, IListingSink& sink) const {
    const std::span<const uint8_t> record = CurrentRecord();
    sink.AddLine(SecondsText(seconds) + " [s] - " + std::string(FHalvo->EventTable()[record[0]].Name),
                 TListingStyle::Bold);
}

void TEvLister::WriteRecord(int column, int lastColumn, double seconds, int lastBlockingColumn,
                            IListingSink& sink) {
    const std::span<const uint8_t> record = CurrentRecord();
    const TEventDescription& d = FHalvo->EventTable()[record[0]];
    const TListingConditions conditions{ShowAllEvents(), ImplementsSysLogick()};
    if (!d.Listed && !conditions.ShowAllEvents) return;
    if (conditions.ShowAllEvents) sink.AddLine(HexLine(record), TListingStyle::Plain);

    switch (d.Kind) {
        case kEvKindLogicAlt:
        case kEvKindLogic:
            if (conditions.SysLogick) WriteRecordLine(seconds, sink);
            break;
        case kEvKindRestart1:
        case kEvKindRestart2:
            WriteRecordLine(seconds, sink);
            if (const auto reason = RestartReasonCode(record))
                sink.AddLine("  [" + HexText(*reason, 2) + "]h :" + std::string(RestartReasonText(*reason)),
                             TListingStyle::Plain);
            break;
        case kEvKindVoltages1:
        case kEvKindVoltages2:
            if (record[0] == kEvCodeVoltages) WriteRecordLine(seconds, sink);
            WriteVoltageLines(record, TypeOfKind(d.Kind), sink);
            break;
        case kEvKindBlocking1:
        case kEvKindBlocking2: {
            if (!conditions.ShowAllEvents && lastBlockingColumn > 0) {
                if (SameBlockingState(record,
                                      FSequenceMatrix.GetCellData(FSelectedSequence, lastBlockingColumn)))
                    break;
            }
            WriteRecordLine(seconds, sink);
            WriteBlockingLines(record, TypeOfKind(d.Kind), sink);
            break;
        }
        case kEvKindSwitchgear1:
        case kEvKindSwitchgear2:
            if (column == 1)
                sink.AddLine("STATR STATUS SWITCHGEAR", TListingStyle::Bold);
            else if (column == lastColumn)
                sink.AddLine("END STATUS SWITCHGEAR", TListingStyle::Bold);
            else
                WriteRecordLine(seconds, sink);
            WriteSwitchgearLines(record, TypeOfKind(d.Kind), conditions, sink);
            WriteVoltageLines(record, TypeOfKind(d.Kind), sink);
            break;
        case kEvKindClockChangeAlt:
        case kEvKindClockChange:
            WriteRecordLine(seconds, sink);
            WriteClockChangeLines(record, sink);
            break;
        case kEvKindSerialCommand:
            WriteRecordLine(seconds, sink);
            if (conditions.ShowAllEvents) WriteSerialCommandLines(record, sink);
            break;
        default:
            WriteRecordLine(seconds, sink);
            break;
    }
}

void TEvLister::WriteListing(IListingSink& sink) {
    if (!FHalvo || FSelectedSequence == 0 || FSelectedSequence > SequenceCount()) return;
    const int row = FSelectedSequence;
    const TSequenceInfo info = SequenceInfo(row);
    const int count = FSequenceMatrix.GetCellCount(row);
    int lastBlockingColumn = 0;
    for (int column = 1; column <= count; ++column) {
        if (!ReadEvent(row, column, FCurrent)) continue;
        const std::span<const uint8_t> record = FCurrent.Record();
        if (record.empty()) continue;
        const uint8_t length = FHalvo->EventTable()[record[0]].Length;
        if (length == 0 || record.size() < length) continue;
        WriteRecord(column, count, ListingSeconds(FCurrent.Stamp() - info.Earliest), lastBlockingColumn,
                    sink);
        if (record[0] == kEvCodeBlocking) lastBlockingColumn = column;
    }
}

}  // namespace app
