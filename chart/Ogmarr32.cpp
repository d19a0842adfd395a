#include "chart/Ogmarr32.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/Bytes.h"

namespace chart {

namespace {

constexpr size_t kInitialScratchSize = 255;
constexpr int kMaxIndex = 65535;

constexpr const char* kRowOutOfRange = "Row index out of range";
constexpr const char* kColumnOutOfRange = "Column index out of range";

bool Within(int value, int last) {
    return value >= 1 && value <= last;
}

}  // namespace

double CellTimeStamp(std::span<const uint8_t> cell) {
    if (cell.size() < 8) return 0.0;
    return platform::GetLeDouble(cell.data() + cell.size() - 8);
}

TAbsMatrix::TAbsMatrix() {
    ScratchA.Bytes.assign(kInitialScratchSize, 0);
    ScratchB.Bytes.assign(kInitialScratchSize, 0);
}

void TAbsMatrix::SetRowCapacity(int) {
    ClearError();
}
void TAbsMatrix::SetCellCapacity(int, int) {
    ClearError();
}
uint16_t TAbsMatrix::GetCellCapacity(int) {
    ClearError();
    return 0;
}
void TAbsMatrix::SetCellCount(int, int) {
    ClearError();
}
uint16_t TAbsMatrix::GetCellCount(int) {
    ClearError();
    return 0;
}
void TAbsMatrix::SwapRows(int, int) {
    ClearError();
}
void TAbsMatrix::ReadCell(std::span<uint8_t>, int, int, uint16_t& length) {
    ClearError();
    length = 0;
}
void TAbsMatrix::WriteCell(std::span<const uint8_t>, int, int) {
    ClearError();
}
void TAbsMatrix::ReadScratch(TScratch& scratch, int, int) {
    ClearError();
    scratch.Length = 0;
}

void TAbsMatrix::ReverseRows() {
    ClearError();
    const int used = FUsedRowCount;
    if (used < 2) return Fail("board has less than two lines");
    for (int i = 1; i <= used / 2; ++i) SwapRows(i, used + 1 - i);
}

void TAbsMatrix::ReverseRow(int row) {
    ClearError();
    const int count = GetCellCount(row);
    if (count < 2) return Fail("Row has less than two elements");
    for (int i = 1; i <= count / 2; ++i) SwapCells(row, i, row, count + 1 - i);
}

void TAbsMatrix::SetUsedRowCount(int n) {
    ClearError();
    if (n < 0 || n > FRowCapacity) return Fail(kRowOutOfRange);
    for (int row = n + 1; row <= FUsedRowCount; ++row) SetCellCount(row, 0);
    FUsedRowCount = static_cast<uint16_t>(n);
    ClearError();
}

void TAbsMatrix::SwapCells(int row1, int column1, int row2, int column2) {
    ClearError();
    // Every index is checked before anything is read or written.
    if (!Within(row1, FUsedRowCount) || !Within(row2, FUsedRowCount)) return Fail(kRowOutOfRange);
    const bool columnsValid = Within(column1, GetCellCount(row1)) && Within(column2, GetCellCount(row2));
    if (!columnsValid) return Fail(kColumnOutOfRange);
    if (row1 == row2 && column1 == column2) return;
    ReadScratch(ScratchA, row1, column1);
    ReadScratch(ScratchB, row2, column2);
    WriteCell(ScratchA.Cell(), row2, column2);
    WriteCell(ScratchB.Cell(), row1, column1);
}

void TAbsMatrix::SortRow(int row) {
    ClearError();
    if (!Within(row, FUsedRowCount)) return Fail("Sorting: Row index out of range");
    const int count = GetCellCount(row);
    if (count < 2) return Fail("Data in row lee than 2");
    if (!Comparator) return;
    // The order of equal cells is part of the result (simultaneous events are listed
    // in it), so this exact sequence of passes and exchanges is kept.
    for (int gap = count / 2; gap > 0; gap /= 2) {
        bool exchanged;
        do {
            exchanged = false;
            for (int d = 1; d <= count - gap; ++d) {
                ReadScratch(ScratchB, row, d);
                ReadScratch(ScratchA, row, d + gap);
                if (Comparator(ScratchB.Cell(), ScratchA.Cell()) > 0) {
                    WriteCell(ScratchB.Cell(), row, d + gap);
                    WriteCell(ScratchA.Cell(), row, d);
                    exchanged = true;
                }
            }
        } while (exchanged);
    }
}

void TOgmMatrix::SetRowCapacity(int n) {
    ClearError();
    if (n < 0 || n > kMaxIndex) return Fail(kRowOutOfRange);
    if (n == FRowCapacity) return;
    FRows.resize(static_cast<size_t>(n));
    if (n == 0) FRows.shrink_to_fit();
    FRowCapacity = static_cast<uint16_t>(n);
    FUsedRowCount = std::min(FUsedRowCount, FRowCapacity);
}

void TOgmMatrix::SetCellCapacity(int row, int n) {
    ClearError();
    if (row == 0) return;
    if (row < 0 || row > kMaxIndex) return Fail(kRowOutOfRange);
    if (n < 0 || n > kMaxIndex) return Fail(kColumnOutOfRange);
    if (row > FRowCapacity) {
        if (n == 0) return;
        SetRowCapacity(row);
    }
    TRow& r = FRows[static_cast<size_t>(row - 1)];
    if (static_cast<size_t>(n) == r.Cells.size()) return;
    if (n == 0) {
        r.Cells = {};
    } else {
        r.Cells.resize(static_cast<size_t>(n));
    }
    r.Used = std::min(r.Used, static_cast<uint16_t>(n));
}

uint16_t TOgmMatrix::GetCellCapacity(int row) {
    ClearError();
    if (!Within(row, FRowCapacity)) {
        Fail(kRowOutOfRange);
        return 0;
    }
    return static_cast<uint16_t>(FRows[static_cast<size_t>(row - 1)].Cells.size());
}

void TOgmMatrix::SetCellCount(int row, int n) {
    ClearError();
    if (!Within(row, FUsedRowCount)) return Fail(kRowOutOfRange);
    TRow& r = FRows[static_cast<size_t>(row - 1)];
    if (n < 0 || static_cast<size_t>(n) > r.Cells.size()) return Fail(kColumnOutOfRange);
    // Cut cells keep their storage for reuse.
    for (int i = n; i < r.Used; ++i) r.Cells[static_cast<size_t>(i)].Length = 0;
    r.Used = static_cast<uint16_t>(n);
}

uint16_t TOgmMatrix::GetCellCount(int row) {
    ClearError();
    if (!Within(row, FUsedRowCount)) return 0;
    return FRows[static_cast<size_t>(row - 1)].Used;
}

void TOgmMatrix::SwapRows(int a, int b) {
    ClearError();
    if (a == b) return;
    if (!Within(a, FUsedRowCount) || !Within(b, FUsedRowCount)) return Fail(kRowOutOfRange);
    std::swap(FRows[static_cast<size_t>(a - 1)], FRows[static_cast<size_t>(b - 1)]);
}

TOgmMatrix::TCell* TOgmMatrix::UsedCell(int row, int column) {
    if (!Within(row, FUsedRowCount)) {
        Fail(kRowOutOfRange);
        return nullptr;
    }
    TRow& r = FRows[static_cast<size_t>(row - 1)];
    if (!Within(column, r.Used)) {
        Fail(kColumnOutOfRange);
        return nullptr;
    }
    return &r.Cells[static_cast<size_t>(column - 1)];
}

void TOgmMatrix::ReadCell(std::span<uint8_t> buffer, int row, int column, uint16_t& length) {
    ClearError();
    length = 0;
    const TCell* cell = UsedCell(row, column);
    if (cell == nullptr) return;
    const size_t n = std::min<size_t>(cell->Length, buffer.size());
    if (n > 0) std::memcpy(buffer.data(), cell->Bytes.data(), n);
    length = static_cast<uint16_t>(n);
}

void TOgmMatrix::ReadScratch(TScratch& scratch, int row, int column) {
    ClearError();
    scratch.Length = 0;
    const TCell* cell = UsedCell(row, column);
    if (cell == nullptr) return;
    if (scratch.Bytes.size() < cell->Length) scratch.Bytes.resize(cell->Length);
    ReadCell(scratch.Bytes, row, column, scratch.Length);
}

void TOgmMatrix::WriteCell(std::span<const uint8_t> data, int row, int column) {
    ClearError();
    if (row == 0 || column == 0) return Fail("Empty column or row writing");
    if (row < 0 || row > kMaxIndex) return Fail(kRowOutOfRange);
    if (column < 0 || column > kMaxIndex || data.size() > kMaxIndex) return Fail(kColumnOutOfRange);
    if (row > FRowCapacity) SetRowCapacity(row);
    TRow& r = FRows[static_cast<size_t>(row - 1)];
    if (static_cast<size_t>(column) > r.Cells.size()) SetCellCapacity(row, column);
    TCell& cell = r.Cells[static_cast<size_t>(column - 1)];
    if (cell.Bytes.size() < data.size()) {
        // Built before the old storage goes: data may be this very cell.
        std::vector<uint8_t> fresh(data.begin(), data.end());
        cell.Bytes.swap(fresh);
    } else if (!data.empty()) {
        std::memmove(cell.Bytes.data(), data.data(), data.size());
    }
    cell.Length = static_cast<uint16_t>(data.size());
    r.Used = std::max(r.Used, static_cast<uint16_t>(column));
    FUsedRowCount = std::max(FUsedRowCount, static_cast<uint16_t>(row));
}

std::span<const uint8_t> TOgmMatrix::GetCellData(int row, int column) {
    ClearError();
    const TCell* cell = UsedCell(row, column);
    if (cell == nullptr || cell->Bytes.empty()) return {};
    return {cell->Bytes.data(), cell->Length};
}

uint8_t TOgmMatrix::GetCellByte(int row, int column) {
    ReadScratch(ScratchB, row, column);
    return ScratchB.Length > 0 ? ScratchB.Bytes[0] : 0;
}

double TOgmMatrix::GetCellDouble(int row, int column) {
    ReadScratch(ScratchA, row, column);
    return CellTimeStamp(ScratchA.Cell());
}

THalvoMatrix::THalvoMatrix() {
    Comparator = &THalvoMatrix::CompareTimeStamps;
}

int THalvoMatrix::CompareTimeStamps(std::span<const uint8_t> first, std::span<const uint8_t> second) {
    const double a = CellTimeStamp(first);
    const double b = CellTimeStamp(second);
    if (a > b) return 1;
    if (a < b) return -1;
    return 0;
}

}  // namespace chart
