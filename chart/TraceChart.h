#pragma once
// The chart as its fillers see it: named traces of samples, filled between BeginUpdate
// and EndUpdate. TGraph implements it; tests record it.
#include <cstdint>
#include <string>

#include "platform/Canvas.h"

namespace chart {

// One sample of a trace: the segment from X to the next sample's X is drawn in this
// sample's colour, pen style and thickness. Stored as 24 little-endian bytes.
struct TGraphSample {
    double X = 0;                // seconds on the time axis
    uint8_t Reserved1[8] = {};   // zero; not read
    platform::TColor Color = 0;  // red in the low byte
    uint8_t PenStyle = 0;        // platform::TPenStyle ordinal
    uint8_t Thickness = 0;       // tenths of a millimetre
    uint8_t Reserved2[2] = {};   // zero; not read
};
static_assert(sizeof(TGraphSample) == 24);

class ITraceChart {
public:
    virtual ~ITraceChart() = default;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // Every trace and name gone; the X range back to 0..0.
    virtual void Clear() = 0;
    // Appends to the trace of that row (rows from 1).
    virtual void AddSample(const TGraphSample& sample, uint16_t row) = 0;
    virtual void SetTraceName(uint16_t row, const std::string& name) = 0;
    // Rows that hold samples: the last used row.
    virtual int SampleRowCount() = 0;
    virtual void SetPrintTitle(const std::string& title) = 0;
};

}  // namespace chart
