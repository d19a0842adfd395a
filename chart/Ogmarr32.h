#pragma once
// Two-level tables of byte strings: numbered rows of numbered cells, each cell a byte
// string of its own length. Rows and cells count from 1; counts, indexes and lengths are
// 16-bit. Failures never raise: every public operation empties ErrorText() first and sets
// it when it fails, leaving the matrix unchanged.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace chart {

class TAbsMatrix {
public:
    // Positive when the first cell orders after the second.
    using TComparator = std::function<int(std::span<const uint8_t> first, std::span<const uint8_t> second)>;

    TAbsMatrix();
    virtual ~TAbsMatrix() = default;
    TAbsMatrix(const TAbsMatrix&) = delete;
    TAbsMatrix& operator=(const TAbsMatrix&) = delete;

    uint16_t RowCapacity() const { return FRowCapacity; }
    uint16_t UsedRowCount() const { return FUsedRowCount; }
    const std::string& ErrorText() const { return FErrorText; }

    // The storage interface; this class only declares it.
    virtual void SetRowCapacity(int n);
    virtual void SetCellCapacity(int row, int n);
    virtual uint16_t GetCellCapacity(int row);
    virtual void SetCellCount(int row, int n);
    virtual uint16_t GetCellCount(int row);
    virtual void SwapRows(int a, int b);
    // Copies the cell into buffer; length is the number of bytes copied, which is the
    // cell's length unless the buffer is shorter (then only what fits is copied).
    virtual void ReadCell(std::span<uint8_t> buffer, int row, int column, uint16_t& length);
    // Grows the tables as needed: writing beyond the end appends, or leaves empty cells between.
    virtual void WriteCell(std::span<const uint8_t> data, int row, int column);

    // Built on the interface above.
    virtual void ReverseRows();
    virtual void ReverseRow(int row);
    // Rows above n lose their used cells (storage kept); n up to RowCapacity.
    void SetUsedRowCount(int n);
    void SwapCells(int row1, int column1, int row2, int column2);
    // Shell sort of the row's used cells by the comparator; without one, nothing moves.
    void SortRow(int row);

protected:
    struct TScratch {
        std::vector<uint8_t> Bytes;  // its size is the allocated size
        uint16_t Length = 0;         // of the cell last read into it
        std::span<const uint8_t> Cell() const { return {Bytes.data(), Length}; }
    };
    // Reads a cell into a scratch buffer, growing the buffer to the cell's length.
    virtual void ReadScratch(TScratch& scratch, int row, int column);

    void ClearError() { FErrorText.clear(); }
    void Fail(const char* text) { FErrorText = text; }

    uint16_t FRowCapacity = 0;
    uint16_t FUsedRowCount = 0;
    TScratch ScratchA;
    TScratch ScratchB;
    TComparator Comparator;

private:
    std::string FErrorText;
};

class TOgmMatrix : public TAbsMatrix {
public:
    TOgmMatrix() = default;

    void SetRowCapacity(int n) override;
    void SetCellCapacity(int row, int n) override;
    uint16_t GetCellCapacity(int row) override;
    void SetCellCount(int row, int n) override;
    uint16_t GetCellCount(int row) override;
    void SwapRows(int a, int b) override;
    void ReadCell(std::span<uint8_t> buffer, int row, int column, uint16_t& length) override;
    void WriteCell(std::span<const uint8_t> data, int row, int column) override;

    // The cell's bytes (its length long); no data for a bad index or a cell never
    // written. Valid until the cell is rewritten longer, cut by a capacity change or freed.
    std::span<const uint8_t> GetCellData(int row, int column);
    // First byte; 0 for an empty cell or a bad index.
    uint8_t GetCellByte(int row, int column);
    // The last 8 bytes as a little-endian double; 0.0 for a cell shorter than 8 bytes
    // or a bad index.
    double GetCellDouble(int row, int column);

protected:
    void ReadScratch(TScratch& scratch, int row, int column) override;

private:
    struct TCell {
        std::vector<uint8_t> Bytes;  // its size is the allocated size
        uint16_t Length = 0;
    };
    struct TRow {
        std::vector<TCell> Cells;  // its size is the cell capacity
        uint16_t Used = 0;
    };
    // The used cell, or none with the error text set.
    TCell* UsedCell(int row, int column);

    std::vector<TRow> FRows;
};

// Cells end in an 8-byte time stamp; SortRow orders a row by ascending stamp.
class THalvoMatrix : public TOgmMatrix {
public:
    THalvoMatrix();
    // 1, 0 or -1 as the first stamp is greater than, equal to or less than the second;
    // a cell shorter than 8 bytes has the stamp 0.0.
    static int CompareTimeStamps(std::span<const uint8_t> first, std::span<const uint8_t> second);
};

// The last 8 bytes of a cell as a little-endian double; 0.0 when it is shorter.
double CellTimeStamp(std::span<const uint8_t> cell);

}  // namespace chart
