#pragma once
// Printing a grid as it looks on the screen: each cell a framed box with its text, the
// sizes scaled from the screen to the printer through millimetres (columns 1.2 times
// wider), cut into pages across and down, each page titled and labelled.
#include <string>
#include <utility>
#include <vector>

#include "platform/Canvas.h"

namespace platform {
class IPrintTarget;
}

namespace app {

class TGridModel;

// First and last column (or row) of one page, both inclusive.
using TGridRange = std::pair<int, int>;

// One print of a grid on one printer.
class TGridPrint {
public:
    TGridPrint(const TGridModel& grid, platform::IPrintTarget& printer);

    // Printer pixels; 0 outside the grid or with a resolution of 0.
    int ColumnWidth(int col) const;
    int RowHeight(int row) const;
    // The printable rectangle: 15 mm at the sides, 20 mm at the top and the bottom.
    const platform::TRect& Margins() const { return FMargins; }
    // The pages across and down, cut by filling each page while the next column (row)
    // fits; a column wider than the page goes alone on its page. No pages when nothing
    // has a size.
    const std::vector<TGridRange>& ColumnRanges() const { return FColumns; }
    const std::vector<TGridRange>& RowRanges() const { return FRows; }

    // The whole grid as one job titled title; an aborted job stops at the next page.
    void Print(const std::string& title);

private:
    std::vector<TGridRange> Cut(int count, int (TGridPrint::*size)(int) const, int available) const;
    void PrintPage(platform::ICanvas& canvas, const std::string& title, int pageRow, int pageCol,
                   const TGridRange& rows, const TGridRange& cols);

    const TGridModel& FGrid;
    platform::IPrintTarget& FPrinter;
    platform::TRect FMargins;
    std::vector<TGridRange> FColumns;
    std::vector<TGridRange> FRows;
    int FPenWidth = 1;
    int FCharWidth = 0;
    int FCharHeight = 0;
};

// The grid as one print job with the given title.
void PrintGrid(const TGridModel& grid, platform::IPrintTarget& printer, const std::string& title);

}  // namespace app
