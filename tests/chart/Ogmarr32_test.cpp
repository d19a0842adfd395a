#include "chart/Ogmarr32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace chart;

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// A cell of the decoder's shape: a tag, then a little-endian double time stamp.
std::vector<uint8_t> Stamped(const std::string& tag, double stamp) {
    std::vector<uint8_t> cell = Bytes(tag);
    const auto bits = std::bit_cast<uint64_t>(stamp);
    for (int i = 0; i < 8; ++i) cell.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return cell;
}

template <class Matrix>
std::string Read(Matrix& m, int row, int column) {
    std::vector<uint8_t> buffer(70000);
    uint16_t length = 99;
    m.ReadCell(buffer, row, column, length);
    return std::string(buffer.begin(), buffer.begin() + length);
}

// Everything a caller can see of a matrix.
std::string Snapshot(TOgmMatrix& m) {
    std::string s = "cap " + std::to_string(m.RowCapacity()) + " used " + std::to_string(m.UsedRowCount());
    for (int r = 1; r <= m.RowCapacity(); ++r) {
        s += " | " + std::to_string(m.GetCellCount(r)) + "/" + std::to_string(m.GetCellCapacity(r)) + ":";
        for (int c = 1; c <= m.GetCellCount(r); ++c) s += " [" + Read(m, r, c) + "]";
    }
    return s;
}

class OgmMatrix : public ::testing::Test {
protected:
    // Row 1: three cells, row 2: one cell, row 3: reserved but unused.
    void SetUp() override {
        Write(1, 1, "alpha");
        Write(1, 2, "");
        Write(1, 3, "gamma");
        Write(2, 1, "one");
        m.SetRowCapacity(3);
        ASSERT_EQ(m.ErrorText(), "");
    }
    void Write(int row, int column, const std::string& text) { m.WriteCell(Bytes(text), row, column); }

    TOgmMatrix m;
};

TEST_F(OgmMatrix, WritingFarBeyondTheEndGrowsExactlyAndLeavesEmptyCells) {
    TOgmMatrix fresh;
    fresh.WriteCell(Bytes("xy"), 3, 2);
    EXPECT_EQ(fresh.ErrorText(), "");
    EXPECT_EQ(Snapshot(fresh), "cap 3 used 3 | 0/0: | 0/0: | 2/2: [] [xy]");
    uint16_t length = 7;
    uint8_t buffer[4];
    fresh.ReadCell(buffer, 3, 1, length);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(fresh.ErrorText(), "");
    fresh.WriteCell(Bytes("z"), 3, 3);  // appends
    EXPECT_EQ(fresh.GetCellCapacity(3), 3);
}

TEST_F(OgmMatrix, FailedOperationsReportAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(TOgmMatrix&)> op;
        const char* error;
    };
    const std::vector<uint8_t> tooLong(65536, 'x');
    uint16_t length = 0;
    uint8_t buffer[16];
    const std::vector<Case> cases = {
        {"read row 0", [&](TOgmMatrix& x) { x.ReadCell(buffer, 0, 1, length); }, "Row index out of range"},
        {"read unused row", [&](TOgmMatrix& x) { x.ReadCell(buffer, 3, 1, length); },
         "Row index out of range"},
        {"read column 0", [&](TOgmMatrix& x) { x.ReadCell(buffer, 1, 0, length); },
         "Column index out of range"},
        {"read past count", [&](TOgmMatrix& x) { x.ReadCell(buffer, 2, 2, length); },
         "Column index out of range"},
        {"write row 0", [](TOgmMatrix& x) { x.WriteCell(Bytes("q"), 0, 1); }, "Empty column or row writing"},
        {"write column 0", [](TOgmMatrix& x) { x.WriteCell(Bytes("q"), 1, 0); },
         "Empty column or row writing"},
        {"write row 65536", [](TOgmMatrix& x) { x.WriteCell(Bytes("q"), 65536, 1); },
         "Row index out of range"},
        {"write row -1", [](TOgmMatrix& x) { x.WriteCell(Bytes("q"), -1, 1); }, "Row index out of range"},
        {"write column 65536", [](TOgmMatrix& x) { x.WriteCell(Bytes("q"), 1, 65536); },
         "Column index out of range"},
        {"write 65536 bytes", [&](TOgmMatrix& x) { x.WriteCell(tooLong, 1, 1); },
         "Column index out of range"},
        {"capacity of row 0", [](TOgmMatrix& x) { x.GetCellCapacity(0); }, "Row index out of range"},
        {"capacity above rows", [](TOgmMatrix& x) { x.GetCellCapacity(4); }, "Row index out of range"},
        {"row capacity 65536", [](TOgmMatrix& x) { x.SetRowCapacity(65536); }, "Row index out of range"},
        {"cell capacity 65536", [](TOgmMatrix& x) { x.SetCellCapacity(1, 65536); },
         "Column index out of range"},
        {"count of row 0", [](TOgmMatrix& x) { x.SetCellCount(0, 0); }, "Row index out of range"},
        {"count of unused row", [](TOgmMatrix& x) { x.SetCellCount(3, 0); }, "Row index out of range"},
        {"count above capacity", [](TOgmMatrix& x) { x.SetCellCount(1, 4); }, "Column index out of range"},
        {"swap rows 1, 3", [](TOgmMatrix& x) { x.SwapRows(1, 3); }, "Row index out of range"},
        {"swap rows 0, 1", [](TOgmMatrix& x) { x.SwapRows(0, 1); }, "Row index out of range"},
        {"swap cells row 0", [](TOgmMatrix& x) { x.SwapCells(0, 1, 1, 1); }, "Row index out of range"},
        {"swap cells row 0 second", [](TOgmMatrix& x) { x.SwapCells(1, 1, 0, 3); }, "Row index out of range"},
        {"swap cells column 0", [](TOgmMatrix& x) { x.SwapCells(1, 0, 1, 1); }, "Column index out of range"},
        {"swap cells column 0 second", [](TOgmMatrix& x) { x.SwapCells(1, 3, 2, 0); },
         "Column index out of range"},
        {"swap cells past count", [](TOgmMatrix& x) { x.SwapCells(1, 1, 2, 2); },
         "Column index out of range"},
        {"used rows above capacity", [](TOgmMatrix& x) { x.SetUsedRowCount(4); }, "Row index out of range"},
        {"sort row 0", [](TOgmMatrix& x) { x.SortRow(0); }, "Sorting: Row index out of range"},
        {"sort unused row", [](TOgmMatrix& x) { x.SortRow(3); }, "Sorting: Row index out of range"},
        {"sort one cell", [](TOgmMatrix& x) { x.SortRow(2); }, "Data in row lee than 2"},
        {"reverse one cell", [](TOgmMatrix& x) { x.ReverseRow(2); }, "Row has less than two elements"},
        {"reverse unused row", [](TOgmMatrix& x) { x.ReverseRow(3); }, "Row has less than two elements"},
    };
    const std::string before = Snapshot(m);
    for (const auto& c : cases) {
        c.op(m);
        EXPECT_EQ(m.ErrorText(), c.error) << c.what;
        EXPECT_EQ(Snapshot(m), before) << c.what;
    }
}

TEST_F(OgmMatrix, QueriesOutsideTheUsedRowsAreQuietZeros) {
    EXPECT_EQ(m.GetCellCount(0), 0);
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(m.GetCellCount(3), 0);
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(m.GetCellCapacity(3), 0);  // reserved row
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(TOgmMatrix().GetCellCount(1), 0);
}

TEST_F(OgmMatrix, EverySuccessEmptiesTheErrorText) {
    m.SortRow(0);
    ASSERT_NE(m.ErrorText(), "");
    m.SetUsedRowCount(3);  // between used rows and capacity
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(m.UsedRowCount(), 3);
    EXPECT_EQ(m.GetCellCount(3), 0);
}

TEST_F(OgmMatrix, OneUsedRowCannotBeReversed) {
    TOgmMatrix one;
    one.WriteCell(Bytes("a"), 1, 1);
    one.ReverseRows();
    EXPECT_EQ(one.ErrorText(), "board has less than two lines");
    EXPECT_EQ(Read(one, 1, 1), "a");
}

TEST_F(OgmMatrix, ReadingIntoAShortBufferCopiesOnlyWhatFits) {
    uint8_t buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    uint16_t length = 0;
    m.ReadCell(std::span(buffer, 3), 1, 1, length);
    EXPECT_EQ(length, 3);
    EXPECT_EQ(std::string(buffer, buffer + 8), "alp#####");
    EXPECT_EQ(m.ErrorText(), "");
}

TEST_F(OgmMatrix, ShorterRewriteKeepsStorageLongerOneReplacesIt) {
    const uint8_t* first = m.GetCellData(1, 1).data();
    Write(1, 1, "ab");
    EXPECT_EQ(m.GetCellData(1, 1).data(), first);
    EXPECT_EQ(m.GetCellData(1, 1).size(), 2u);
    Write(1, 1, "abcde");  // as long as the storage: still in place
    EXPECT_EQ(m.GetCellData(1, 1).data(), first);
    Write(1, 1, "abcdefgh");
    EXPECT_NE(m.GetCellData(1, 1).data(), first);
    EXPECT_EQ(Read(m, 1, 1), "abcdefgh");
}

TEST_F(OgmMatrix, CellDataOfMissingAndEmptyCells) {
    EXPECT_EQ(m.GetCellData(1, 2).data(), nullptr);  // never held bytes
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(m.GetCellData(1, 4).data(), nullptr);
    EXPECT_EQ(m.ErrorText(), "Column index out of range");
    m.SetCellCount(1, 0);
    m.SetCellCount(1, 3);
    EXPECT_NE(m.GetCellData(1, 1).data(), nullptr);  // cut, storage kept
    EXPECT_EQ(m.GetCellData(1, 1).size(), 0u);
}

TEST_F(OgmMatrix, LoweringTheCountCutsCellsRaisingItShowsThemEmpty) {
    m.SetCellCount(1, 1);
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 1/3: [alpha] | 1/1: [one] | 0/0:");
    m.SetCellCount(1, 3);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 3/3: [alpha] [] [] | 1/1: [one] | 0/0:");
}

TEST_F(OgmMatrix, UsedRowCountShrinksWithoutFreeing) {
    m.SetUsedRowCount(0);
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(m.UsedRowCount(), 0);
    EXPECT_EQ(m.RowCapacity(), 3);
    EXPECT_EQ(m.GetCellCapacity(1), 3);
    m.SetUsedRowCount(2);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 0/3: | 0/1: | 0/0:");
}

TEST_F(OgmMatrix, CapacityChanges) {
    m.SetCellCapacity(1, 2);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 2/2: [alpha] [] | 1/1: [one] | 0/0:");
    m.SetCellCapacity(1, 0);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 0/0: | 1/1: [one] | 0/0:");
    m.SetCellCapacity(5, 4);  // beyond the rows: the table grows to that row
    EXPECT_EQ(m.RowCapacity(), 5);
    EXPECT_EQ(m.GetCellCapacity(5), 4);
    EXPECT_EQ(m.UsedRowCount(), 2);
    m.SetCellCapacity(0, 4);  // row 0: nothing
    EXPECT_EQ(m.ErrorText(), "");
    m.SetRowCapacity(1);
    EXPECT_EQ(Snapshot(m), "cap 1 used 1 | 0/0:");
    m.SetRowCapacity(0);
    EXPECT_EQ(Snapshot(m), "cap 0 used 0");
    Write(2, 1, "back");
    EXPECT_EQ(Snapshot(m), "cap 2 used 2 | 0/0: | 1/1: [back]");
}

TEST_F(OgmMatrix, SwapsAndReversals) {
    m.SwapRows(1, 2);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 1/1: [one] | 3/3: [alpha] [] [gamma] | 0/0:");
    m.SwapRows(2, 2);
    EXPECT_EQ(m.ErrorText(), "");
    m.SwapCells(2, 1, 1, 1);  // across rows, different lengths
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 1/1: [alpha] | 3/3: [one] [] [gamma] | 0/0:");
    m.ReverseRow(2);
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 1/1: [alpha] | 3/3: [gamma] [] [one] | 0/0:");
    m.ReverseRows();
    EXPECT_EQ(Snapshot(m), "cap 3 used 2 | 3/3: [gamma] [] [one] | 1/1: [alpha] | 0/0:");
    EXPECT_EQ(m.ErrorText(), "");
}

TEST_F(OgmMatrix, CellsLongerThanTheScratchBuffersSwapWhole) {
    const std::string longA(300, 'a'), longB(1000, 'b');
    Write(2, 1, longA);
    Write(2, 2, longB);
    m.ReverseRow(2);
    EXPECT_EQ(Read(m, 2, 1), longB);
    EXPECT_EQ(Read(m, 2, 2), longA);
}

TEST_F(OgmMatrix, CellByteAndCellDouble) {
    m.WriteCell(Stamped("tag", 2.75), 2, 2);
    m.WriteCell(Stamped("", -1.5), 2, 3);
    struct Case {
        int row, column;
        uint8_t byte;
        double stamp;
        const char* error;
    };
    const std::vector<Case> cases = {
        {2, 2, 't', 2.75, ""},
        {2, 3, 0x00, -1.5, ""},  // exactly 8 bytes
        {1, 1, 'a', 0.0, ""},    // shorter than 8 bytes: no stamp
        {1, 2, 0, 0.0, ""},      // empty
        {1, 4, 0, 0.0, "Column index out of range"},
        {0, 1, 0, 0.0, "Row index out of range"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(m.GetCellByte(c.row, c.column), c.byte) << c.row << "," << c.column;
        EXPECT_EQ(m.ErrorText(), c.error);
        EXPECT_EQ(m.GetCellDouble(c.row, c.column), c.stamp) << c.row << "," << c.column;
        EXPECT_EQ(m.ErrorText(), c.error);
    }
}

TEST_F(OgmMatrix, WithoutAComparatorSortingMovesNothing) {
    const std::string before = Snapshot(m);
    m.SortRow(1);
    EXPECT_EQ(m.ErrorText(), "");
    EXPECT_EQ(Snapshot(m), before);
}

struct Event {
    std::string tag;
    double stamp;
};

std::string SortedTags(const std::vector<Event>& events) {
    THalvoMatrix m;
    for (size_t i = 0; i < events.size(); ++i)
        m.WriteCell(Stamped(events[i].tag, events[i].stamp), 1, static_cast<int>(i + 1));
    m.SortRow(1);
    EXPECT_EQ(m.ErrorText(), "");
    std::string tags;
    for (int c = 1; c <= m.GetCellCount(1); ++c) {
        const std::string cell = Read(m, 1, c);
        tags += cell.substr(0, cell.size() - 8);
    }
    return tags;
}

TEST(HalvoMatrix, SortsByAscendingTimeStamp) {
    EXPECT_EQ(SortedTags({{"c", 3.0}, {"a", 1.0}, {"b", 2.0}}), "abc");
    EXPECT_EQ(SortedTags({{"b", 0.0}, {"a", -2.0}}), "ab");
    EXPECT_EQ(SortedTags({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}}), "abc");
}

TEST(HalvoMatrix, EqualStampsComeOutInTheShellSortsOrder) {
    // Simultaneous events: the listing shows them in this order, not in arrival order.
    const std::vector<Event> events = {{"a", 1.0}, {"b", 1.0}, {"c", 0.0}, {"d", 2.0}};
    std::vector<Event> stable = events;
    std::stable_sort(stable.begin(), stable.end(),
                     [](const Event& x, const Event& y) { return x.stamp < y.stamp; });
    std::string stableTags;
    for (const auto& e : stable) stableTags += e.tag;
    EXPECT_EQ(stableTags, "cabd");
    EXPECT_EQ(SortedTags(events), "cbad");

    // Gaps 3 and 1 over seven cells with three equal stamps.
    EXPECT_EQ(SortedTags({{"a", 5}, {"b", 5}, {"c", 1}, {"d", 5}, {"e", 0}, {"f", 2}, {"g", 1}}), "egcfabd");
}

TEST(HalvoMatrix, SortsAFewThousandCells) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> stamp(0, 500);
    THalvoMatrix m;
    std::vector<double> stamps;
    for (int c = 1; c <= 3000; ++c) {
        stamps.push_back(stamp(random) * 0.25);
        m.WriteCell(Stamped(std::string(static_cast<size_t>(c % 20), 'x'), stamps.back()), 1, c);
    }
    m.SortRow(1);
    std::sort(stamps.begin(), stamps.end());
    std::vector<double> sorted;
    for (int c = 1; c <= m.GetCellCount(1); ++c) sorted.push_back(m.GetCellDouble(1, c));
    EXPECT_EQ(sorted, stamps);
}

TEST(HalvoMatrix, CompareTimeStamps) {
    struct Case {
        std::vector<uint8_t> first, second;
        int result;
    };
    const std::vector<Case> cases = {
        {Stamped("x", 2.0), Stamped("yy", 1.0), 1},
        {Stamped("x", 1.0), Stamped("", 1.0), 0},
        {Stamped("x", -3.0), Stamped("", 1.0), -1},
        {Bytes("short"), Stamped("", 0.0), 0},  // too short for a stamp: 0.0
        {Bytes("short"), Stamped("", -1.0), 1},
        {{}, Stamped("", 0.5), -1},
    };
    for (const auto& c : cases) EXPECT_EQ(THalvoMatrix::CompareTimeStamps(c.first, c.second), c.result);
}

}  // namespace
