#pragma once
// The settings grid as plain data: the texts, widths and heights the document window's
// grid shows and the grid printer prints, and the rules that fill it from a parameter
// set and store what the user types into it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace app {

class THalvo;
class THalvoDefs;

class TGridModel {
public:
    TGridModel(int colCount, int rowCount, int defaultColWidth, int defaultRowHeight);

    int ColCount() const { return static_cast<int>(FColWidths.size()); }
    int RowCount() const { return static_cast<int>(FRowHeights.size()); }
    // New columns and rows take the default size and empty cells.
    void SetColCount(int count);
    void SetRowCount(int count);

    // Empty outside the grid; a cell outside the grid is not stored.
    const std::string& Cell(int col, int row) const;
    void SetCell(int col, int row, std::string text);

    // 0 outside the grid.
    int ColWidth(int col) const;
    int RowHeight(int row) const;
    void SetColWidth(int col, int width);
    void SetRowHeight(int row, int height);
    // The width the user gave the column; a fill keeps it.
    void SizeColumn(int col, int width);
    bool SizedByUser(int col) const;

    int DefaultColWidth() const { return FDefaultColWidth; }
    int DefaultRowHeight() const { return FDefaultRowHeight; }

    int FixedCols = 1;
    int FixedRows = 1;
    // The screen the grid is shown on, for printing it at the same proportions.
    int ScreenDpiX = 96;
    int ScreenDpiY = 96;
    platform::TFont Font;

private:
    int FDefaultColWidth;
    int FDefaultRowHeight;
    std::vector<int> FColWidths;
    std::vector<bool> FSizedByUser;
    std::vector<int> FRowHeights;
    std::vector<std::vector<std::string>> FCells;  // [row][col]
};

// The document window's grid: 19 columns, 46 rows, 88 by 18 pixels, column 0 three
// columns wide.
TGridModel MakeSettingsGrid();

// A cell holding the value of an existing setting of the row's section: with
// k = col - fixed columns, k mod 3 = 1, and k within the section's settings.
bool IsValueCell(const THalvoDefs& defs, const TGridModel& grid, int col, int row);

// Fills the grid with the sections and settings of parameter set parset (0 or 1) of
// the image; nothing for an image of no device type. Rows below the sections are
// emptied, so nothing of other definitions stays on the screen. Columns the user sized
// keep their widths.
void FillSettingsGrid(TGridModel& grid, THalvo& image, int parset);

// Each name column that holds a name and that the user has not sized takes the width
// contentsWidth gives it: the width of its longest text, as the screen measures it.
void FitNameColumns(TGridModel& grid, const std::function<int(int col)>& contentsWidth);

enum class TCellEditOutcome : uint8_t {
    NotValueCell,  // nothing stored, the cell as it was
    Unchanged,     // the text the cell showed, or one that gives the same word
    Changed,       // the word's bytes changed; the document is modified
    Refused,       // the setting does not take the text: the cell shows the unchanged word
                   // again and a message box says what the setting takes
};

// Stores a committed cell text into parameter set parset (0 or 1) of the image and shows
// the word's text in the cell. A text equal to what the cell showed stores nothing (the
// shown text may be rounded); the document is marked modified exactly when the word's
// bytes change. A text the setting does not take is refused with a message box naming
// the text and what the setting takes.
TCellEditOutcome ApplyCellEdit(TGridModel& grid, THalvo& image, int parset, int col, int row,
                               const std::string& text);

}  // namespace app
