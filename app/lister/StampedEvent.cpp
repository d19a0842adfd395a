#include "app/lister/StampedEvent.h"

#include <algorithm>

#include "chart/Ogmarr32.h"
#include "platform/Bytes.h"

namespace app {

void PutStamp(std::span<uint8_t> cell, platform::TDateTime stamp) {
    if (cell.size() < TStampedEvent::kStampSize) return;
    platform::PutLeDouble(cell.last(TStampedEvent::kStampSize).data(), stamp);
}

bool TStampedEvent::Assign(std::span<const uint8_t> record, platform::TDateTime stamp) {
    if (record.size() > kMaxRecordLength) return false;
    std::copy(record.begin(), record.end(), Bytes.begin());
    Length = static_cast<uint16_t>(record.size() + kStampSize);
    SetStamp(stamp);
    return true;
}

bool TStampedEvent::AssignCell(std::span<const uint8_t> cell) {
    if (cell.size() > Bytes.size()) return false;
    std::copy(cell.begin(), cell.end(), Bytes.begin());
    Length = static_cast<uint16_t>(cell.size());
    return true;
}

void TStampedEvent::SetStamp(platform::TDateTime stamp) {
    PutStamp({Bytes.data(), Length}, stamp);
}

platform::TDateTime TStampedEvent::Stamp() const {
    return chart::CellTimeStamp(Cell());
}

}  // namespace app
