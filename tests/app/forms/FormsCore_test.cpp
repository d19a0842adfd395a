// The document window's rules that need no window: the settings grid's fill and edits,
// the print options' margins and flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/forms/PageOptions.h"
#include "app/forms/SettingsGrid.h"
#include "platform/Exception.h"
#include "platform/Prompts.h"
#include "tests/app/forms/FormsFixtures.h"

namespace app::test {
namespace {

using platform_test::TTempDir;

class SettingsGridTest : public testing::Test {
protected:
    SettingsGridTest() {
        Dir.Write("Vesk3.set", kSmallVesk3Set);
        Image.SetDataDirectory(Dir.Path());
        Image.SetDeviceType(2);
        PutWord(Image.Parset1Data(), 1, 250);   // 25,0 %
        PutWord(Image.Parset1Data(), 2, 1234);  // 12,34 s shown as 12
        PutWord(Image.Parset1Data(), 3, 1);
        PutWord(Image.Parset1Data(), 4, 0x00FF);
        Image.SetParset1Length(238);
        PutWord(Image.Parset2Data(), 1, 100);
        Image.SetParset2Length(238);
        Image.SetModified(false);
        FillSettingsGrid(Grid, Image, 0);
    }

    TTempDir Dir;
    THalvo Image;
    TGridModel Grid = MakeSettingsGrid();
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope Scope{Prompts};
};

TEST_F(SettingsGridTest, FillShowsSectionsNamesValuesAndTheDefinitions) {
    EXPECT_EQ(Grid.Cell(0, 0), "def: Vesk3.set");
    EXPECT_EQ(Grid.Cell(0, 1), "1. Voltages");
    EXPECT_EQ(Grid.Cell(1, 1), "Level 0.9Vr [%]");
    EXPECT_EQ(Grid.Cell(2, 1), "25");
    EXPECT_EQ(Grid.Cell(4, 1), "Delay [s]");
    EXPECT_EQ(Grid.Cell(5, 1), "12");
    EXPECT_EQ(Grid.Cell(8, 1), "Y");
    EXPECT_EQ(Grid.Cell(11, 1), "00FF");
    EXPECT_EQ(Grid.Cell(1, 2), "Counter []");
    EXPECT_EQ(Grid.ColWidth(0), 3 * 88);
    EXPECT_EQ(Grid.ColWidth(2), 44);
    EXPECT_EQ(Grid.ColWidth(3), 29);

    FillSettingsGrid(Grid, Image, 1);
    EXPECT_EQ(Grid.Cell(2, 1), "10");
}

// The screen measures each column; here a column is as wide as 7 pixels a letter of its
// longest text.
TEST_F(SettingsGridTest, NameColumnsTakeTheirLongestTextsWidthUnlessTheUserSizedThem) {
    std::vector<int> measured;
    const auto measure = [&](int col) {
        measured.push_back(col);
        std::size_t longest = 0;
        for (int r = Grid.FixedRows; r < Grid.RowCount(); ++r)
            longest = std::max(longest, Grid.Cell(col, r).size());
        return static_cast<int>(7 * longest);
    };
    FitNameColumns(Grid, measure);
    // Names only, and only columns that hold one: the rest keep the default.
    EXPECT_EQ(measured, (std::vector<int>{1, 4, 7, 10}));
    EXPECT_EQ(Grid.ColWidth(1), 7 * 15);  // "Level 0.9Vr [%]"
    EXPECT_EQ(Grid.ColWidth(4), 7 * 9);   // "Delay [s]"
    EXPECT_EQ(Grid.ColWidth(13), 88);
    EXPECT_EQ(Grid.ColWidth(0), 3 * 88);
    EXPECT_EQ(Grid.ColWidth(2), 44);

    // A width the user gave stays through the next fill and fit.
    Grid.SizeColumn(4, 30);
    measured.clear();
    FillSettingsGrid(Grid, Image, 1);
    FitNameColumns(Grid, measure);
    EXPECT_EQ(measured, (std::vector<int>{1, 7, 10}));
    EXPECT_EQ(Grid.ColWidth(4), 30);
    EXPECT_EQ(Grid.ColWidth(1), 7 * 15);
}

TEST_F(SettingsGridTest, RowsAndCellsBeyondTheDefinitionsAreEmptiedAtEachFill) {
    Grid.SetCell(4, 2, "left over");
    Grid.SetCell(0, 3, "old section");
    Grid.SetCell(5, 7, "old value");
    FillSettingsGrid(Grid, Image, 0);
    EXPECT_EQ(Grid.Cell(4, 2), "");
    EXPECT_EQ(Grid.Cell(0, 3), "");
    EXPECT_EQ(Grid.Cell(5, 7), "");
    EXPECT_EQ(Grid.RowCount(), 46);  // never lowered
}

TEST_F(SettingsGridTest, AnImageOfNoTypeLeavesTheGridEmpty) {
    THalvo none;
    TGridModel grid = MakeSettingsGrid();
    FillSettingsGrid(grid, none, 0);
    for (int r = 0; r < grid.RowCount(); ++r)
        for (int c = 0; c < grid.ColCount(); ++c) EXPECT_EQ(grid.Cell(c, r), "") << c << "," << r;
}

TEST_F(SettingsGridTest, OnlyValueCellsOfExistingSettingsAreEditable) {
    struct Case {
        int col, row;
        bool value;
    };
    for (const Case& c : {Case{2, 1, true}, Case{5, 1, true}, Case{11, 1, true}, Case{14, 1, false},
                          Case{1, 1, false}, Case{3, 1, false}, Case{0, 1, false}, Case{2, 0, false},
                          Case{2, 2, true}, Case{5, 2, false}, Case{2, 3, false}})
        EXPECT_EQ(IsValueCell(Image.Defs(), Grid, c.col, c.row), c.value) << c.col << "," << c.row;
}

TEST_F(SettingsGridTest, EditsStoreTheWordAndMarkTheDocumentExactlyWhenItsBytesChange) {
    struct Case {
        int col;
        std::string text;
        TCellEditOutcome outcome;
        int reg;
        uint16_t word;
        std::string shown;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {2, "26,1", TCellEditOutcome::Changed, 1, 0x0105, "26,1", {}},
        // The text the cell showed is no edit, though it would round the word.
        {5, "12", TCellEditOutcome::Unchanged, 2, 1234, "12", {}},
        {5, "13", TCellEditOutcome::Changed, 2, 1300, "13", {}},
        {2, "25,0", TCellEditOutcome::Unchanged, 1, 250, "25", {}},
        // The grid has no thousands separator: "." is the decimal mark.
        {2, "26.1", TCellEditOutcome::Changed, 1, 0x0105, "26,1", {}},
        // Not a number: the cell shows the old value again, and the user is told why.
        {2,
         "26,1 %",
         TCellEditOutcome::Refused,
         1,
         250,
         "25",
         {"'26,1 %' is not a number for this setting: -3276,8 to 6553,5"}},
        // Only the low 16 bits of 999990 would reach the device: refused, and said why.
        {2,
         "99999",
         TCellEditOutcome::Refused,
         1,
         250,
         "25",
         {"'99999' is out of range for this setting: -3276,8 to 6553,5"}},
        {2, "6553,5", TCellEditOutcome::Changed, 1, 65535, "6553,5", {}},
        {8, "0", TCellEditOutcome::Unchanged, 3, 1, "Y", {"Allowable values: [Y/N]"}},
        {8, "n", TCellEditOutcome::Changed, 3, 0, "N", {}},
        {11, "1A2B", TCellEditOutcome::Changed, 4, 0x1A2B, "1A2B", {}},
        // Hexadecimal digits are capitals, as the device's texts.
        {11,
         "1a2b",
         TCellEditOutcome::Refused,
         4,
         0x00FF,
         "00FF",
         {"'1a2b' is not a hexadecimal number for this setting: 0000 to FFFF, digits 0 to 9 and A to F"}},
        {11,
         "xyz",
         TCellEditOutcome::Refused,
         4,
         0x00FF,
         "00FF",
         {"'xyz' is not a hexadecimal number for this setting: 0000 to FFFF, digits 0 to 9 and A to F"}},
        {1, "Name", TCellEditOutcome::NotValueCell, 1, 250, "Level 0.9Vr [%]", {}},
    };
    for (const Case& c : cases) {
        PutWord(Image.Parset1Data(), 1, 250);
        PutWord(Image.Parset1Data(), 2, 1234);
        PutWord(Image.Parset1Data(), 3, 1);
        PutWord(Image.Parset1Data(), 4, 0x00FF);
        FillSettingsGrid(Grid, Image, 0);
        Image.SetModified(false);
        Prompts.Log.clear();
        EXPECT_EQ(ApplyCellEdit(Grid, Image, 0, c.col, 1, c.text), c.outcome) << c.text;
        EXPECT_EQ(Word(Image.Parset1Data(), c.reg), c.word) << c.text;
        EXPECT_EQ(Grid.Cell(c.col, 1), c.shown) << c.text;
        EXPECT_EQ(Image.Modified(), c.outcome == TCellEditOutcome::Changed) << c.text;
        EXPECT_EQ(Prompts.Texts(), c.messages) << c.text;
    }
}

TEST_F(SettingsGridTest, EditsGoToTheSelectedSetAndAnUnreadSetStoresNothing) {
    FillSettingsGrid(Grid, Image, 1);
    EXPECT_EQ(ApplyCellEdit(Grid, Image, 1, 2, 1, "7,5"), TCellEditOutcome::Changed);
    EXPECT_EQ(Word(Image.Parset2Data(), 1), 75);
    EXPECT_EQ(Word(Image.Parset1Data(), 1), 250);

    Image.SetParset2Length(0);
    Image.SetModified(false);
    FillSettingsGrid(Grid, Image, 1);
    EXPECT_EQ(Grid.Cell(2, 1), "?");
    EXPECT_EQ(ApplyCellEdit(Grid, Image, 1, 2, 1, "9"), TCellEditOutcome::Unchanged);
    EXPECT_EQ(Word(Image.Parset2Data(), 1), 75);
    EXPECT_EQ(Grid.Cell(2, 1), "?");
    EXPECT_FALSE(Image.Modified());
}

TEST(Margins, TextsAndTypedMargins) {
    EXPECT_EQ(MarginText(25), "2,50 cm");
    EXPECT_EQ(MarginText(0), "0,00 cm");
    EXPECT_EQ(MarginText(37), "3,70 cm");
    struct Case {
        std::string text;
        int32_t mm;
    };
    for (const Case& c :
         {Case{"3,7 cm", 37}, Case{"3,7", 37}, Case{"-1", 0}, Case{"2,50 cm", 25}, Case{"0,05", 0},
          Case{"0,25", 2}, Case{"+4", 40}, Case{"3.7", 30}, Case{"214748364", 2147483640}})
        EXPECT_EQ(MarginFromText(c.text), c.mm) << c.text;
    EXPECT_EQ(MarginFromText(""), std::nullopt);
    for (const char* bad : {"abc", " 3", "--1", "214748365", "99999999999999999999"})
        EXPECT_THROW(MarginFromText(bad), platform::EConvertError) << bad;
}

TEST(Margins, SpinButtonsMoveTheShownTextByAMillimetre) {
    EXPECT_EQ(MarginStepText("2,50 cm", 25, +1), "2,60 cm");
    EXPECT_EQ(MarginStepText("2,50 cm", 25, -1), "2,40 cm");
    EXPECT_EQ(MarginStepText("", 30, +1), "3,10 cm");
    EXPECT_THROW(MarginStepText("abc", 25, +1), platform::EConvertError);
}

TEST(PrintFlags, EachCheckBoxIsItsBit) {
    EXPECT_EQ(ChecksFromFlags(5), (TPrintChecks{true, false, true, false}));
    EXPECT_EQ(ChecksFromFlags(2), (TPrintChecks{false, true, false, false}));
    for (int f = 0; f < 16; ++f) EXPECT_EQ(FlagsFromChecks(ChecksFromFlags(static_cast<uint8_t>(f))), f);
}

}  // namespace
}  // namespace app::test
