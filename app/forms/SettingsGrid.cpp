#include "app/forms/SettingsGrid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>

#include "app/device/Halvobase.h"
#include "app/device/Interp.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/Prompts.h"

namespace app {

namespace {

constexpr int kSettingsCols = 19;
constexpr int kSettingsRows = 46;
constexpr int kSettingsColWidth = 88;
constexpr int kSettingsRowHeight = 18;

std::span<uint8_t> ParsetData(THalvo& image, int parset) {
    return {parset == 0 ? image.Parset1Data() : image.Parset2Data(), THalvo::kParsetCapacity};
}

uint16_t ParsetLength(const THalvo& image, int parset) {
    return parset == 0 ? image.GetParset1Length() : image.GetParset2Length();
}

int SettingCount(const THalvoDefs& defs, int section) {
    const TSets* sets = defs.GetSection(section);
    return sets ? sets->Count() : 0;
}

}  // namespace

TGridModel::TGridModel(int colCount, int rowCount, int defaultColWidth, int defaultRowHeight)
    : FDefaultColWidth(defaultColWidth), FDefaultRowHeight(defaultRowHeight) {
    SetColCount(colCount);
    SetRowCount(rowCount);
}

void TGridModel::SetColCount(int count) {
    const auto n = static_cast<std::size_t>(std::max(count, 0));
    FColWidths.resize(n, FDefaultColWidth);
    FSizedByUser.resize(n, false);
    for (auto& row : FCells) row.resize(n);
}

void TGridModel::SetRowCount(int count) {
    const auto n = static_cast<std::size_t>(std::max(count, 0));
    FRowHeights.resize(n, FDefaultRowHeight);
    FCells.resize(n, std::vector<std::string>(FColWidths.size()));
}

const std::string& TGridModel::Cell(int col, int row) const {
    static const std::string empty;
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return empty;
    return FCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TGridModel::SetCell(int col, int row, std::string text) {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    FCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = std::move(text);
}

int TGridModel::ColWidth(int col) const {
    return col >= 0 && col < ColCount() ? FColWidths[static_cast<std::size_t>(col)] : 0;
}

int TGridModel::RowHeight(int row) const {
    return row >= 0 && row < RowCount() ? FRowHeights[static_cast<std::size_t>(row)] : 0;
}

void TGridModel::SetColWidth(int col, int width) {
    if (col >= 0 && col < ColCount()) FColWidths[static_cast<std::size_t>(col)] = std::max(width, 0);
}

void TGridModel::SizeColumn(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    SetColWidth(col, width);
    FSizedByUser[static_cast<std::size_t>(col)] = true;
}

bool TGridModel::SizedByUser(int col) const {
    return col >= 0 && col < ColCount() && FSizedByUser[static_cast<std::size_t>(col)];
}

void TGridModel::SetRowHeight(int row, int height) {
    if (row >= 0 && row < RowCount()) FRowHeights[static_cast<std::size_t>(row)] = std::max(height, 0);
}

TGridModel MakeSettingsGrid() {
    TGridModel grid(kSettingsCols, kSettingsRows, kSettingsColWidth, kSettingsRowHeight);
    grid.SetColWidth(0, 3 * kSettingsColWidth);
    return grid;
}

bool IsValueCell(const THalvoDefs& defs, const TGridModel& grid, int col, int row) {
    const int k = col - grid.FixedCols;
    if (k < 0 || k % 3 != 1 || row < grid.FixedRows || row > defs.SectionCount()) return false;
    return k <= 3 * SettingCount(defs, row);
}

void FillSettingsGrid(TGridModel& grid, THalvo& image, int parset) {
    if (image.DeviceType() == 0) return;
    const std::span<uint8_t> data = ParsetData(image, parset);
    const uint16_t length = ParsetLength(image, parset);
    const THalvoDefs& defs = image.Defs();
    const int sections = defs.SectionCount();
    if (grid.RowCount() < sections + 1) grid.SetRowCount(sections + 1);
    for (int r = 1; r <= sections; ++r) {
        grid.SetCell(0, r, defs.GetSectionTitle(r));
        const TSets* sets = defs.GetSection(r);
        const int count = sets ? sets->Count() : 0;
        for (int m = 1; m <= count; ++m) {
            const TSettingDescriptor setting = sets->GetSetting(m);
            const int c = grid.FixedCols + 3 * (m - 1);
            if (grid.ColCount() < c + 3) grid.SetColCount(c + 3);
            grid.SetCell(c, r, setting.Name + " [" + setting.Unit + "]");
            grid.SetCell(c + 1, r, SettingToText(setting, data, length));
            if (!grid.SizedByUser(c + 1)) grid.SetColWidth(c + 1, grid.DefaultColWidth() / 2);
            if (!grid.SizedByUser(c + 2)) grid.SetColWidth(c + 2, grid.DefaultColWidth() / 3);
        }
        for (int c = grid.FixedCols + 3 * count; c < grid.ColCount(); ++c) grid.SetCell(c, r, {});
    }
    for (int r = sections + 1; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, r, {});
    grid.SetCell(0, 0, "def: " + platform::ExtractFileName(defs.DefinitionsFileName));
}

void FitNameColumns(TGridModel& grid, const std::function<int(int col)>& contentsWidth) {
    for (int c = grid.FixedCols; c < grid.ColCount(); c += 3) {
        if (grid.SizedByUser(c)) continue;
        for (int r = grid.FixedRows; r < grid.RowCount(); ++r)
            if (!grid.Cell(c, r).empty()) {
                grid.SetColWidth(c, contentsWidth(c));
                break;
            }
    }
}

TCellEditOutcome ApplyCellEdit(TGridModel& grid, THalvo& image, int parset, int col, int row,
                               const std::string& text) {
    if (!IsValueCell(image.Defs(), grid, col, row)) return TCellEditOutcome::NotValueCell;
    const int m = (col - grid.FixedCols) / 3 + 1;
    const TSettingDescriptor setting = image.Defs().GetSection(row)->GetSetting(m);
    const std::span<uint8_t> data = ParsetData(image, parset);
    const uint16_t length = ParsetLength(image, parset);
    if (text == grid.Cell(col, row)) return TCellEditOutcome::Unchanged;

    const std::size_t offset = std::size_t{setting.RegisterIndex} * 2;
    std::array<uint8_t, 2> before{};
    const bool held = offset + 2 <= data.size();
    if (held) std::memcpy(before.data(), data.data() + offset, 2);
    try {
        TextToSetting(setting, text, length, data);
    } catch (const platform::Exception& e) {
        // The cell shows the old value again: without a word the user would take it for
        // the typed one, and what the setting takes is nowhere on the screen.
        grid.SetCell(col, row, SettingToText(setting, data, length));
        platform::Prompts().MessageBox(e.Message(), "Error", platform::mbOK);
        return TCellEditOutcome::Refused;
    }
    grid.SetCell(col, row, SettingToText(setting, data, length));
    if (!held || std::memcmp(before.data(), data.data() + offset, 2) == 0) return TCellEditOutcome::Unchanged;
    image.SetModified(true);
    return TCellEditOutcome::Changed;
}

}  // namespace app
