// The document window in a small frame, offscreen, its prompts and dialogs scripted.
#include "app/forms/Child.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <set>

#include "app/device/HalvoFiles.h"
#include "app/forms/Fileprop.h"
#include "app/forms/SettingsGrid.h"
#include "chart/Graph.h"
#include "chart/qt/GraphWidget.h"
#include "platform/DateTime.h"
#include "tests/app/device/ScriptedDevice.h"
#include "tests/app/forms/ChildFixture.h"
#include "tests/app/forms/FormsFixtures.h"
#include "tests/support/HeapInUse.h"
#include "tests/support/TempDirTest.h"

namespace app::test {
namespace {

using platform::mrCancel;
using platform::mrNo;
using platform::mrYes;

TEST_F(ChildTest, ANewWindowShowsAnEmptyGridNotReadAndThePagesButtons) {
    TChildForm* child = Frame.NewWindow();
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    EXPECT_EQ(ListLines(*list), std::vector<std::string>{"Not read"});
    auto* grid = Find<QTableWidget>(*child, "ZnsGrid");
    EXPECT_EQ(grid->rowCount(), 46);
    EXPECT_EQ(grid->columnCount(), 19);
    EXPECT_EQ(grid->columnWidth(0), 264);
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c) EXPECT_EQ(Cell(*grid, c, r), "");
    auto* tabs = Find<QTabBar>(*child, "TabSet1");
    EXPECT_EQ(tabs->tabText(0), "Settings - parset  1");
    EXPECT_EQ(tabs->tabText(1), "Settings - parset  2");
    EXPECT_EQ(Find<QLabel>(*child, "lbBufLoadTime")->text(), "???");
    EXPECT_FALSE(child->DeviceImage().Modified());
    EXPECT_FALSE(child->HasFileName);
    EXPECT_EQ(child->PrintFlags, 3);

    auto* notebook = Find<QTabWidget>(*child, "Notebook1");
    auto* panel = Find<QFrame>(*child, "Panel2");
    auto* btn1 = Find<QPushButton>(*child, "Btn1");
    auto* btn2 = Find<QPushButton>(*child, "Btn2");
    auto* btn3 = Find<QPushButton>(*child, "Btn3");
    EXPECT_EQ(notebook->tabText(0), "Events buffer");
    EXPECT_EQ(notebook->tabText(2), "Write/Read");
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(notebook->property("HelpContext").toInt(), 10);
    notebook->setCurrentIndex(1);
    EXPECT_EQ(notebook->property("HelpContext").toInt(), 134);
    notebook->setCurrentIndex(2);
    EXPECT_EQ(notebook->property("HelpContext").toInt(), 6);
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(btn1->text(), "Reading");
    EXPECT_EQ(btn1->toolTip(), "Read data from automation");
    EXPECT_EQ(btn1->statusTip(), "Read selected position from automation");
    EXPECT_EQ(btn2->text(), "Execute");
    EXPECT_EQ(btn2->toolTip(), "Execute recommendation");
    EXPECT_EQ(btn3->text(), "Cancel");
    EXPECT_EQ(btn3->toolTip(), "Break reading");
    EXPECT_TRUE(btn1->isEnabled());
    EXPECT_FALSE(btn3->isEnabled());

    std::vector<std::string> file;
    for (QAction* a : child->FileMenu()->actions()) file.push_back(a->text().toStdString());
    EXPECT_EQ(file, (std::vector<std::string>{"&New", "&Open", "Close", "&Save", "Save As...", "Properties",
                                              "Print", "Print preview", "Close"}));
    EXPECT_EQ(child->FileMenu()->actions()[4]->statusTip(), "Save file ass other name");
    EXPECT_EQ(child->FileMenu()->actions()[6]->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_FALSE(child->FileMenu()->actions()[8]->isEnabled());
    EXPECT_EQ(child->GraphMenu()->title(), "&Graph");
    EXPECT_EQ(child->Chart().DataTimeType(), chart::TIntervalTimeType::Seconds);
}

TEST_F(ChildTest, AVesk3DocumentShowsItsSequencesListingAndBothSets) {
    const std::string path = MakeDocument("reading.halvo");
    TChildForm* child = Open(path);
    EXPECT_EQ(child->windowTitle().toStdString(), path);
    EXPECT_TRUE(child->HasFileName);
    EXPECT_FALSE(child->DeviceImage().Modified());
    EXPECT_TRUE(Prompts.Log.empty());

    // The same lines as the decoder gives its own list box.
    const TDecoded decoded = Decode(child->DeviceImage());
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    EXPECT_EQ(ListLines(*list), decoded.ListLines);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_EQ(child->EventLister().SelectedSequence(), 1);

    auto* memo = Find<QTextEdit>(*child, "FMemo");
    std::vector<TLine> shown;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next())
        shown.push_back(
            {b.text().toStdString(), b.charFormat().fontWeight() == QFont::Bold ||
                                             b.begin().fragment().charFormat().fontWeight() == QFont::Bold
                                         ? TListingStyle::Bold
                                         : TListingStyle::Plain});
    EXPECT_EQ(Render(shown), Render(decoded.Listing));
    EXPECT_GT(child->Chart().SampleRowCount(), 0);

    auto* grid = Find<QTableWidget>(*child, "ZnsGrid");
    EXPECT_EQ(Cell(*grid, 0, 0), "def: Vesk3.set");
    EXPECT_EQ(Cell(*grid, 0, 1), "1. Voltages");
    EXPECT_EQ(Cell(*grid, 5, 1), "90");
    EXPECT_EQ(Find<QLabel>(*child, "lbZns1LoadTime")->text(), "2024-05-06");
    EXPECT_EQ(Find<QLabel>(*child, "lbZns2LoadTime")->text(), "???");
    EXPECT_EQ(Find<QLabel>(*child, "lbBufLoadTime")->text(), "2024-05-07");
    Find<QTabBar>(*child, "TabSet1")->setCurrentIndex(1);
    EXPECT_EQ(child->SelectedParset, 1);
    EXPECT_EQ(Cell(*grid, 5, 1), "85");
}

TEST_F(ChildTest, OpeningTakesTheFramesDataDirectory) {
    const std::string path = MakeDocument("reading.halvo");
    Dir.Write("defs/Vesk3.set", kSmallVesk3Set);
    Frame.DataDir = Dir.File("defs");
    TChildForm* child = Open(path);
    EXPECT_EQ(child->DeviceImage().DataDirectory(), Dir.File("defs"));
    EXPECT_EQ(Cell(*Find<QTableWidget>(*child, "ZnsGrid"), 1, 1), "Level 0.9Vr [%]");
}

TEST_F(ChildTest, ServiceModeShowsItsControlsAndOtherwiseForcesTheOptions) {
    const std::string path = MakeDocument("reading.halvo");
    {
        THalvo h;
        ASSERT_TRUE(h.LoadFromFile(path));
        TReadOptions o = h.GetReadOptions();
        o.CorrectStartTimes = 0;
        o.ShowAllEvents = 1;
        h.SetReadOptions(o);
        ASSERT_TRUE(h.SaveToFile(path));
    }
    TChildForm* plain = Open(path);
    EXPECT_TRUE(Find<QCheckBox>(*plain, "chbcorrectIOtimes")->isHidden());
    EXPECT_TRUE(Find<QCheckBox>(*plain, "ChBshowallEvents")->isHidden());
    EXPECT_TRUE(Find<QCheckBox>(*plain, "ChbTraceMessages")->isHidden());
    EXPECT_EQ(plain->DeviceImage().GetReadOptions().CorrectStartTimes, 1);
    EXPECT_EQ(plain->DeviceImage().GetReadOptions().ShowAllEvents, 0);
    EXPECT_FALSE(plain->DeviceImage().TraceMessages);

    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    child->OpenFile(path);
    EXPECT_FALSE(Find<QCheckBox>(*child, "chbcorrectIOtimes")->isHidden());
    EXPECT_FALSE(Find<QCheckBox>(*child, "chbcorrectIOtimes")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(*child, "ChBshowallEvents")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(*child, "ChbTraceMessages")->isChecked());
    EXPECT_TRUE(child->DeviceImage().TraceMessages);
    EXPECT_FALSE(Find<QFrame>(*child, "Panel2")->isHidden());
    auto* btn1 = Find<QPushButton>(*child, "Btn1");
    EXPECT_EQ(btn1->text(), "HexList");
    EXPECT_EQ(btn1->toolTip(), "Display buffer of events (sort ascendingly)");
    EXPECT_EQ(Find<QPushButton>(*child, "Btn2")->text(), "Save Buf");
    EXPECT_TRUE(Find<QPushButton>(*child, "Btn3")->isHidden());
    btn1->click();
    auto* memo = Find<QTextEdit>(*child, "FMemo");
    EXPECT_TRUE(memo->toPlainText().contains("F3")) << memo->toPlainText().toStdString();
}

TEST_F(ChildTest, OutsideServiceModeADocumentSavedUncorrectedIsShownCorrected) {
    const std::string corrected = MakeDocument("corrected.halvo");
    const std::string uncorrected = MakeDocument("uncorrected.halvo");
    {
        THalvo h;
        ASSERT_TRUE(h.LoadFromFile(uncorrected));
        TReadOptions o = h.GetReadOptions();
        o.CorrectStartTimes = 0;
        h.SetReadOptions(o);
        ASSERT_TRUE(h.SaveToFile(uncorrected));
    }
    const auto listing = [](TChildForm& child) {
        return std::make_pair(ListLines(*Find<QListWidget>(child, "EventsListBox")),
                              Find<QTextEdit>(child, "FMemo")->toPlainText().toStdString());
    };
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* asSaved = service.NewWindow();
    asSaved->OpenFile(uncorrected);
    const auto expected = listing(*Open(corrected));
    // The fixture's events carry start-time corrections, or this test shows nothing.
    ASSERT_NE(listing(*asSaved), expected);
    EXPECT_EQ(listing(*Open(uncorrected)), expected);
}

TEST_F(ChildTest, CorrectTimeOfStartDeviceDecodesAgainTheDeviceNumberDoesNot) {
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    child->OpenFile(MakeDocument("reading.halvo"));
    auto* memo = Find<QTextEdit>(*child, "FMemo");
    const QString listing = memo->toPlainText();
    memo->append("marker");
    auto* spin = Find<QSpinBox>(*child, "SpinSlaveNo");
    spin->setValue(12);
    EXPECT_EQ(child->DeviceImage().GetReadOptions().DeviceNumber, 12);
    EXPECT_TRUE(memo->toPlainText().contains("marker"));
    Find<QCheckBox>(*child, "chbcorrectIOtimes")->click();
    EXPECT_EQ(child->DeviceImage().GetReadOptions().CorrectStartTimes, 0);
    EXPECT_FALSE(memo->toPlainText().contains("marker"));
    EXPECT_FALSE(memo->toPlainText().isEmpty());
}

TEST_F(ChildTest, OnlyValueCellsAreEditedAndACommittedEditIsStored) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    auto* grid = Find<QTableWidget>(*child, "ZnsGrid");
    Find<QTabWidget>(*child, "Notebook1")->setCurrentIndex(1);
    EXPECT_FALSE(grid->item(1, 4)->flags() & Qt::ItemIsEditable);  // a name
    EXPECT_FALSE(grid->item(0, 5)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(1, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(40, 5)->flags() & Qt::ItemIsEditable);
    ASSERT_TRUE(grid->item(1, 5)->flags() & Qt::ItemIsEditable);

    const auto edit = [&](int row, int col, const char* text, Qt::Key key) {
        TypeIntoCell(*grid, row, col, text, key);
    };
    edit(1, 5, "91,5", Qt::Key_Escape);
    EXPECT_EQ(Word(child->DeviceImage().Parset1Data(), 2), 900);
    EXPECT_EQ(Cell(*grid, 5, 1), "90");
    EXPECT_FALSE(child->DeviceImage().Modified());
    edit(1, 5, "91,5", Qt::Key_Return);
    EXPECT_EQ(Word(child->DeviceImage().Parset1Data(), 2), 915);
    EXPECT_EQ(Cell(*grid, 5, 1), "91,5");
    EXPECT_TRUE(child->DeviceImage().Modified());
    // The program's own fill is no edit.
    child->DeviceImage().SetModified(false);
    child->FillSettingsGrid();
    EXPECT_FALSE(child->DeviceImage().Modified());

    // A number no word holds: the cell shows the old value again, the user is told why.
    edit(1, 5, "99999", Qt::Key_Return);
    EXPECT_EQ(Word(child->DeviceImage().Parset1Data(), 2), 915);
    EXPECT_EQ(Cell(*grid, 5, 1), "91,5");
    EXPECT_FALSE(child->DeviceImage().Modified());
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Kind, "MessageBox");
    EXPECT_EQ(Prompts.Log[0].Caption, "Error");
    EXPECT_EQ(Prompts.Log[0].Text, "'99999' is out of range for this setting: -3276,8 to 6553,5");
}

// The settings page of a window shown maximised in the frame's area: its grid.
QTableWidget* ShowSettingsPage(TChildForm& child) {
    child.parentWidget()->showMaximized();
    Find<QTabWidget>(child, "Notebook1")->setCurrentIndex(1);
    QApplication::processEvents();
    return Find<QTableWidget>(child, "ZnsGrid");
}

// The width of a column's longest text as the grid draws it.
int LongestText(const QTableWidget& grid, int col) {
    int longest = 0;
    for (int r = 1; r < grid.rowCount(); ++r)
        if (const QTableWidgetItem* item = grid.item(r, col))
            longest = std::max(longest, grid.fontMetrics().horizontalAdvance(item->text()));
    return longest;
}

// The user narrows or widens any column by dragging its border in the top row, and a
// double-click on the border fits the column to its longest text.
TEST_F(ChildTest, AColumnBorderDraggedOrDoubleClickedSizesTheColumn) {
    Frame.Area.show();
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    QTableWidget* grid = ShowSettingsPage(*child);
    QHeaderView* header = grid->horizontalHeader();
    ASSERT_TRUE(header->isVisible());
    EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal).toString(), "def: Vesk3.set");
    const auto border = [&](int col) {
        return QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) - 1,
                      header->height() / 2);
    };
    const auto drag = [&](int col, int by) {
        const QPoint from = border(col);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(header->viewport(), from + QPoint(by, 0));
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, from + QPoint(by, 0));
    };
    const int value = grid->columnWidth(2);
    drag(2, -20);
    EXPECT_EQ(grid->columnWidth(2), value - 20);
    EXPECT_EQ(child->Grid().ColWidth(2), value - 20);
    // The other set's fill keeps the width the user gave a value column.
    Find<QTabBar>(*child, "TabSet1")->setCurrentIndex(1);
    EXPECT_EQ(grid->columnWidth(2), value - 20);
    EXPECT_EQ(grid->columnWidth(5), value);

    // A name column the user narrowed stays narrow through the next fill; a double-click
    // fits it to its longest name again.
    const int names = grid->columnWidth(4);
    const int longest = LongestText(*grid, 4);
    drag(4, -40);
    ASSERT_LT(grid->columnWidth(4), longest);
    Find<QTabBar>(*child, "TabSet1")->setCurrentIndex(0);
    EXPECT_EQ(grid->columnWidth(4), names - 40);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, border(4));
    EXPECT_EQ(grid->columnWidth(4), names);
    EXPECT_GT(grid->columnWidth(4), longest);
    EXPECT_LT(grid->columnWidth(4), longest + 40);
    EXPECT_EQ(child->Grid().ColWidth(4), grid->columnWidth(4));
}

// At the first fill each name column is as wide as its longest name, as a double-click on
// its border makes it; value and unit columns and empty ones keep their widths.
TEST_F(ChildTest, AtTheFirstFillEachNameIsShownWhole) {
    Frame.Area.show();
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    QTableWidget* grid = ShowSettingsPage(*child);
    int fitted = 0;
    for (int c = 1; c < grid->columnCount(); c += 3) {
        const int longest = LongestText(*grid, c);
        if (longest == 0) {
            EXPECT_EQ(grid->columnWidth(c), 88) << c;
            continue;
        }
        ++fitted;
        const int width = grid->columnWidth(c);
        EXPECT_GT(width, longest) << c;
        EXPECT_EQ(child->Grid().ColWidth(c), width) << c;
        // What a double-click on the column's border runs.
        grid->resizeColumnToContents(c);
        EXPECT_EQ(grid->columnWidth(c), width) << c;
    }
    EXPECT_GE(fitted, 6);
    // Drawn at 88 pixels it read "Automatic ...".
    const QString automatic = "Automatic transfer []";
    ASSERT_FALSE(grid->findItems(automatic, Qt::MatchExactly).empty());
    EXPECT_GT(grid->columnWidth(grid->findItems(automatic, Qt::MatchExactly)[0]->column()),
              grid->fontMetrics().horizontalAdvance(automatic));
    EXPECT_EQ(grid->columnWidth(0), 264);
    EXPECT_EQ(grid->columnWidth(2), 44);
    EXPECT_EQ(grid->columnWidth(3), 29);
}

// "Transfer delay" (register 17, hundredths of a second) as the engineer types it.
TEST_F(ChildTest, ATypedTextTheSettingDoesNotTakeIsRefusedWithABoxAndADotIsTheDecimalMark) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    THalvo& image = child->DeviceImage();
    PutWord(image.Parset1Data(), 17, 150);
    child->FillSettingsGrid();
    image.SetModified(false);
    auto* grid = Find<QTableWidget>(*child, "ZnsGrid");
    Find<QTabWidget>(*child, "Notebook1")->setCurrentIndex(1);
    ASSERT_EQ(Cell(*grid, 1, 2), "Transfer delay [s]");
    ASSERT_EQ(Cell(*grid, 2, 2), "1,5");

    TypeIntoCell(*grid, 2, 2, "2.5", Qt::Key_Return);
    EXPECT_EQ(Word(image.Parset1Data(), 17), 250);
    EXPECT_EQ(Cell(*grid, 2, 2), "2,5");
    EXPECT_TRUE(image.Modified());
    EXPECT_TRUE(Prompts.Log.empty());

    image.SetModified(false);
    TypeIntoCell(*grid, 2, 2, "3 s", Qt::Key_Return);
    EXPECT_EQ(Word(image.Parset1Data(), 17), 250);
    EXPECT_EQ(Cell(*grid, 2, 2), "2,5");
    EXPECT_FALSE(image.Modified());
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Kind, "MessageBox");
    EXPECT_EQ(Prompts.Log[0].Caption, "Error");
    EXPECT_EQ(Prompts.Log[0].Text, "'3 s' is not a number for this setting: -327,68 to 655,35");
}

TEST_F(ChildTest, ClosingAModifiedWindowAsks) {
    const std::string path = MakeDocument("reading.halvo");
    TChildForm* child = Open(path);
    child->DeviceImage().SetStationInfo("Changed");
    child->DeviceImage().SetModified(true);
    Prompts.Answers = {mrCancel, mrNo};
    EXPECT_FALSE(child->parentWidget()->close());
    EXPECT_EQ(Frame.WindowCount(), 1);
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Text, "File " + path + " was modified\nSave changes?");
    EXPECT_EQ(Prompts.Log[0].Buttons, platform::mbYes | platform::mbNo | platform::mbCancel);
    EXPECT_TRUE(child->parentWidget()->close());
    QApplication::processEvents();
    EXPECT_EQ(Frame.WindowCount(), 0);
    THalvo h;
    ASSERT_TRUE(h.LoadFromFile(path));
    EXPECT_EQ(h.GetStationInfo(), "Station A");

    child = Open(path);
    child->DeviceImage().SetStationInfo("Saved");
    child->DeviceImage().SetModified(true);
    Prompts.Answers = {mrYes};
    EXPECT_TRUE(child->parentWidget()->close());
    ASSERT_TRUE(h.LoadFromFile(path));
    EXPECT_EQ(h.GetStationInfo(), "Saved");
}

TEST_F(ChildTest, YesForANeverSavedDocumentAsksForANameAndCancellingKeepsTheWindow) {
    TChildForm* child = Frame.NewWindow();
    child->FileName = "File 1.halvo";
    child->DeviceImage().SetModified(true);
    Prompts.Answers = {mrYes};
    EXPECT_FALSE(child->parentWidget()->close());
    ASSERT_EQ(Prompts.Log.size(), 2u);
    EXPECT_EQ(Prompts.Log[1].Kind, "SaveFileName");
    EXPECT_EQ(Prompts.Log[1].Initial, "File 1.halvo");
    EXPECT_EQ(Prompts.Log[1].FilterIndex, 1);
    EXPECT_EQ(Frame.WindowCount(), 1);

    Prompts.Answers = {mrYes};
    Prompts.FileAnswers = {Dir.File("new.halvo")};
    EXPECT_TRUE(child->parentWidget()->close());
    EXPECT_EQ(std::filesystem::file_size(Dir.File("new.halvo")), THalvo::kImageSize);
}

TEST_F(ChildTest, ClosingDuringNoTransferNeedsNoAnswerWhenUnmodified) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    EXPECT_TRUE(child->parentWidget()->close());
    EXPECT_TRUE(Prompts.Log.empty());
}

TEST_F(ChildTest, SaveAppendsTheExtensionToABareName) {
    TChildForm* child = Frame.NewWindow();
    child->FileName = Dir.File("report");
    child->HasFileName = true;
    child->FileSaveClick();
    EXPECT_EQ(child->FileName, Dir.File("report.halvo"));
    EXPECT_EQ(child->windowTitle().toStdString(), Dir.File("report.halvo"));
    EXPECT_EQ(std::filesystem::file_size(Dir.File("report.halvo")), THalvo::kImageSize);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("report")));
}

TEST_F(ChildTest, SaveAsOntoAnExistingFileAsksAndNoShowsTheDialogAgain) {
    const std::string other = Dir.Write("other.halvo", "keep me");
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Prompts.FileAnswers = {other, Dir.File("fresh.halvo")};
    Prompts.Answers = {mrNo};
    child->SaveAsClick();
    EXPECT_EQ(ReadBytes(other), "keep me");
    EXPECT_EQ(child->FileName, Dir.File("fresh.halvo"));
    EXPECT_TRUE(std::filesystem::exists(Dir.File("fresh.halvo")));
    ASSERT_EQ(Prompts.Log.size(), 3u);
    EXPECT_EQ(Prompts.Log[1].Text, "File :" + other + " file already exists\nReplace existing file?");

    Prompts.FileAnswers = {other};
    Prompts.Answers = {mrCancel};
    child->SaveAsClick();
    EXPECT_EQ(ReadBytes(other), "keep me");
    EXPECT_EQ(child->FileName, Dir.File("fresh.halvo"));

    Prompts.FileAnswers = {other};
    Prompts.Answers = {mrYes};
    child->SaveAsClick();
    EXPECT_EQ(child->FileName, other);
    EXPECT_EQ(std::filesystem::file_size(other), THalvo::kImageSize);
}

// A Save As that did not write: the window keeps the name and caption it had, and its next
// Save goes where the document really is. The box says which file and why; the user is an
// ordinary one where the test runs as root, in a folder that lets anyone write.
TEST_F(ChildTest, AFailedSaveAsKeepsTheWindowsNameAndCaption) {
    ::chmod(Dir.Path().c_str(), 0777);
    const std::string readOnly = Dir.Write("read-only.halvo", "keep me");
    ::chmod(readOnly.c_str(), 0444);
    // 250 bytes typed without an extension get ".halvo": one byte more than a name may have.
    const std::string longName = Dir.File(std::string(250, 'n'));
    struct Case {
        std::string target;
        std::deque<int> answers;
        std::string reason;
    };
    for (const Case& c :
         {Case{Dir.File("no/such/dir/x.halvo"), {}, "No such file or directory"},
          Case{readOnly, {mrYes}, "Permission denied"}, Case{longName, {}, "File name too long"}}) {
        SCOPED_TRACE(c.target);
        const std::string path = MakeDocument("reading.halvo");
        const std::string saved = c.target == longName ? longName + ".halvo" : c.target;
        for (const bool bound : {true, false}) {
            TChildForm* child = bound ? Open(path) : Frame.NewWindow();
            if (!bound) child->FileName = "File 1.halvo";
            const std::string name = child->FileName, caption = child->windowTitle().toStdString();
            child->DeviceImage().SetModified(true);
            Prompts.Log.clear();
            Prompts.FileAnswers = {c.target};
            Prompts.Answers = c.answers;
            {
                const platform_test::TUnprivilegedScope user;
                ASSERT_TRUE(user.Dropped()) << user.Why();
                child->SaveAsClick();
            }
            EXPECT_EQ(Prompts.Texts().back(), "Error Not saved.\n" + saved + ": " + c.reason);
            EXPECT_EQ(child->FileName, name);
            EXPECT_EQ(child->windowTitle().toStdString(), caption);
            EXPECT_EQ(child->HasFileName, bound);
            EXPECT_TRUE(child->DeviceImage().Modified());
        }
        EXPECT_EQ(ReadBytes(readOnly), "keep me");
    }
    // The next Save of the bound window writes its own file.
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Prompts.FileAnswers = {Dir.File("no/such/dir/x.halvo")};
    child->SaveAsClick();
    child->DeviceImage().SetModified(true);
    Prompts.Log.clear();
    child->FileSaveClick();
    EXPECT_TRUE(Prompts.Log.empty());
    EXPECT_FALSE(child->DeviceImage().Modified());
    EXPECT_EQ(std::filesystem::file_size(Dir.File("reading.halvo")), THalvo::kImageSize);
}

// Every name the filesystem takes: 124 Polish letters and the extension are 254 bytes.
TEST_F(ChildTest, SaveAsTakesTheLongestNames) {
    std::string polish;
    for (int i = 0; i < 124; ++i) polish += "ą";
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    for (const std::string& name : {polish + ".halvo", std::string(249, 'n') + ".halvo"}) {
        Prompts.FileAnswers = {Dir.File(name)};
        child->SaveAsClick();
        EXPECT_EQ(child->FileName, Dir.File(name));
        EXPECT_EQ(std::filesystem::file_size(Dir.File(name)), THalvo::kImageSize) << name.size();
        // Over the file it wrote, too.
        Prompts.Answers = {mrYes};
        Prompts.FileAnswers = {Dir.File(name)};
        child->SaveAsClick();
        EXPECT_EQ(std::filesystem::file_size(Dir.File(name)), THalvo::kImageSize) << name.size();
    }
    for (const std::string& text : Prompts.Texts())
        EXPECT_FALSE(text.starts_with("Error Not saved.")) << text;
}

// "Save Buf" in service mode: a raw file the user may not write keeps what it held, and
// the box says which file and why; a new file takes the events buffer as it is.
TEST_F(ChildTest, SaveBufTellsWhyARawFileWasNotSaved) {
    ::chmod(Dir.Path().c_str(), 0777);
    const std::string raw = Dir.Write("events.bin", "keep me");
    ::chmod(raw.c_str(), 0444);
    const std::string fresh = Dir.File("fresh.bin");
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    child->OpenFile(MakeDocument("reading.halvo"));
    auto* saveBuf = Find<QPushButton>(*child, "Btn2");
    ASSERT_EQ(saveBuf->text(), "Save Buf");
    for (const auto& [target, boxes] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {raw, {"Error Not saved.\n" + raw + ": Permission denied"}}, {fresh, {}}}) {
        Prompts.Log.clear();
        Prompts.FileAnswers = {target};
        {
            const platform_test::TUnprivilegedScope user;
            ASSERT_TRUE(user.Dropped()) << user.Why();
            saveBuf->click();
        }
        std::vector<std::string> shown;
        for (const auto& entry : Prompts.Log)
            if (entry.Kind != "SaveFileName") shown.push_back(entry.Text);
        EXPECT_EQ(shown, boxes) << target;
    }
    EXPECT_EQ(ReadBytes(raw), "keep me");
    EXPECT_EQ(ReadBytes(fresh), std::string(kEvents.begin(), kEvents.end()));
}

TEST_F(ChildTest, AFileOfUnknownFormatLeavesTheWindowUnbound) {
    const std::string foreign = Dir.Write("foreign.halvo", std::string(300, 'x'));
    TChildForm* child = Open(foreign);
    EXPECT_FALSE(child->HasFileName);
    ASSERT_FALSE(Prompts.Log.empty());
    EXPECT_EQ(Prompts.Log[0].Text, "File unknown format");
    Prompts.Log.clear();
    child->FileSaveClick();  // the dialog is cancelled
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Kind, "SaveFileName");
    EXPECT_EQ(ReadBytes(foreign), std::string(300, 'x'));

    // A name that does not exist yet, to be created, binds the window.
    TChildForm* fresh = Frame.NewWindow();
    EXPECT_TRUE(fresh->OpenFile(Dir.File("new.halvo"), true));
    EXPECT_TRUE(fresh->HasFileName);
}

TEST_F(ChildTest, ADecoderErrorWhileOpeningIsShownOnceWhenTheWindowIsOpen) {
    // A clock-time record of month 13 makes no date.
    const std::string path = MakeDocument("bad.halvo", Join({Ev(0x05, 4), Clock(1, 9, 13, 13, 6)}));
    TChildForm* child = Open(path);
    std::vector<std::string> errors;
    for (const auto& s : Prompts.Log)
        if (s.Kind == "MessageBox") errors.push_back(s.Caption);
    EXPECT_EQ(errors, std::vector<std::string>{"Error"});
    EXPECT_TRUE(child->HasFileName);
    EXPECT_EQ(child->windowTitle().toStdString(), path);
}

TEST_F(ChildTest, SaveBufWritesTheEventsBytesThroughTheSecondFilter) {
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    child->OpenFile(MakeDocument("reading.halvo"));
    Prompts.FileAnswers = {Dir.File("events.buf")};
    Find<QPushButton>(*child, "Btn2")->click();
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].FilterIndex, 2);
    EXPECT_EQ(ReadBytes(Dir.File("events.buf")), std::string(kEvents.begin(), kEvents.end()));
}

TEST_F(ChildTest, PropertiesEditTheNoteAndTheStationInformation) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    struct Case {
        std::function<void(QDialog&)> Script;
        bool Modified;
        std::string Station;
        std::vector<std::string> Note;
    };
    const auto ok = [](QDialog& d) { Find<QPushButton>(d, "OKBtn")->click(); };
    const std::vector<Case> cases = {
        {[&](QDialog& d) {
             EXPECT_EQ(d.windowTitle().toStdString(), "Właściwości pliku");
             EXPECT_EQ(Find<QLineEdit>(d, "EditHalvoType")->text(), "VESK-3");
             EXPECT_EQ(Find<QLineEdit>(d, "tbStationInfo")->text(), "Station A");
             EXPECT_TRUE(Find<QLabel>(d, "labVer")->text().startsWith("Program version: "));
             EXPECT_EQ(Find<QLabel>(d, "lbHalvoVersion")->text(), "Unit version: ");
             ok(d);
         },
         false,
         "Station A",
         {}},
        {[&](QDialog& d) {
             Find<QTextEdit>(d, "Memo1")->setPlainText("first\nsecond");
             Find<QPushButton>(d, "CancelBtn")->click();
         },
         false,
         "Station A",
         {}},
        {[&](QDialog& d) {
             Find<QTextEdit>(d, "Memo1")->setPlainText("first\nsecond");
             ok(d);
         },
         true,
         "Station A",
         {"first", "second"}},
        {[&](QDialog& d) {
             Find<QLineEdit>(d, "tbStationInfo")->setText("Station B");
             ok(d);
         },
         true,
         "Station B",
         {"first", "second"}},
    };
    for (const Case& c : cases) {
        child->DeviceImage().SetModified(false);
        TModalScope modal([&](QDialog& d) {
            c.Script(d);
            return d.result();
        });
        child->Waciwoci1Click();
        EXPECT_EQ(child->DeviceImage().Modified(), c.Modified);
        EXPECT_EQ(child->DeviceImage().GetStationInfo(), c.Station);
        std::vector<std::string> note;
        BufferToStrings(note, child->DeviceImage().Note(), THalvo::kNoteSize);
        EXPECT_EQ(note, c.Note);
    }
    // A document of no known type.
    TChildForm* none = Frame.NewWindow();
    TModalScope modal([](QDialog& d) {
        EXPECT_EQ(Find<QLineEdit>(d, "EditHalvoType")->text(), "?");
        return int(QDialog::Rejected);
    });
    none->Waciwoci1Click();
}

TEST_F(ChildTest, ActivationGivesTheFrameTheScale) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    child->FormActivate();
    EXPECT_EQ(Frame.ScaleBoxText, "Fit");
    child->Chart().SetAutoscale(false);
    child->Chart().SetScaleX(250);
    child->FormActivate();
    EXPECT_EQ(Frame.ScaleBoxText, "250");
}

}  // namespace
}  // namespace app::test

namespace app::test {
namespace {

// A window that reads all day, traced, so that every frame is logged: its log keeps under
// its cap and keeps no undo history (nor any other copy) of the lines it deletes, so the
// heap stays flat reading after reading.
TEST_F(ChildTest, TheMessageLogKeepsNoUndoHistoryAndItsMemoryStaysFlat) {
    TScriptedDevice device;
    device.Events = kEvents;
    device.Events.resize(32 * 250);  // every page of the register map: 20 log lines each
    TFixedLinkSettings link{TLinkSettings{.SerialLink = &device}};
    TLinkSettingsScope linkScope{link};
    platform::TScriptedWaiter waiter;
    platform::TWaiterScope waiterScope{waiter};
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    ASSERT_TRUE(Find<QCheckBox>(*child, "ChbTraceMessages")->isChecked());
    const QTextDocument& log = *Find<QPlainTextEdit>(*child, "MemoMessage")->document();
    const auto readings = [&](int count) {
        for (int r = 0; r < count; ++r) {
            child->ReadDevice();
            QApplication::processEvents();
        }
    };
    readings(5);  // the log at its cap, the window's caches filled
    ASSERT_TRUE(log.toPlainText().contains("Receive:"));
    ASSERT_GE(log.blockCount(), kTrimmedLogLines);
    const std::size_t requests = device.Requests.size();
    const std::size_t before = platform_test::HeapInUse();
    readings(40);  // about 28,000 lines
    const std::size_t after = platform_test::HeapInUse();
    EXPECT_EQ(device.Requests.size(), requests * 9);
    EXPECT_LE(log.blockCount(), kMaxLogLines + 1);
    EXPECT_EQ(log.availableUndoSteps(), 0);
    EXPECT_FALSE(log.isUndoAvailable());
    EXPECT_LT(after, before + 1024 * 1024) << "heap before " << before << ", after " << after;
}

// Each page of a window with a reading draws its controls; with HALVO_SCREENSHOT_DIR
// set, the pages are kept there as PNG files to look at.
TEST_F(ChildTest, EveryPageOfAReadingIsDrawn) {
    TTestFrame service(true, HALVO_BIN_DIR);
    service.Area.show();
    TChildForm* child = service.NewWindow();
    child->OpenFile(MakeDocument("reading.halvo"));
    child->parentWidget()->showMaximized();
    auto* notebook = Find<QTabWidget>(*child, "Notebook1");
    const char* folder = std::getenv("HALVO_SCREENSHOT_DIR");
    for (int page = 0; page < notebook->count(); ++page) {
        notebook->setCurrentIndex(page);
        QApplication::processEvents();
        const QImage image = service.Area.grab().toImage();
        ASSERT_FALSE(image.isNull());
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 3u) << page;
        if (folder) image.save(QString("%1/child-page%2.png").arg(folder).arg(page));
    }
}

}  // namespace
}  // namespace app::test
