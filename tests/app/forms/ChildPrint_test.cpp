// Printing a document: the listing and the chart of each selected sequence, the grids of
// the two parameter sets; on the recording printer and into PDF files read by poppler.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>

#include "app/forms/FormParts.h"
#include "app/forms/PageOptions.h"
#include "app/forms/Pagedlg.h"
#include "chart/Graph.h"
#include "platform/qt/PdfPrintTarget.h"
#include "platform/qt/QtPrinterTarget.h"
#include "platform/qt/QtPrompts.h"
#include "tests/app/forms/ChildFixture.h"
#include "tests/platform/qt/PdfTools.h"
#include "tests/support/FullDisk.h"

namespace app::test {
namespace {

using platform::TRecordingCanvas;

std::vector<std::string> Titles(const platform::TRecordingPrintTarget& printer) {
    std::vector<std::string> titles;
    for (const auto& job : printer.Jobs) titles.push_back(job.Title);
    return titles;
}

std::string PageTexts(const platform::TRecordingPrintTarget::TJob& job) {
    std::string texts;
    for (const TRecordingCanvas& page : job.Pages)
        for (const auto& call : page.Calls)
            if (call.Kind == TRecordingCanvas::TKind::TextOut) texts += call.Text + "\n";
    return texts;
}

// The flags the print options dialog is left with.
std::function<int(QDialog&)> Choose(bool listing, bool graph, bool zns1, bool zns2) {
    return [=](QDialog& d) {
        Find<QCheckBox>(d, "cbPrintListing")->setChecked(listing);
        Find<QCheckBox>(d, "cbPrintGraph")->setChecked(graph);
        Find<QCheckBox>(d, "cbPrintZns1")->setChecked(zns1);
        Find<QCheckBox>(d, "cbPrintZns2")->setChecked(zns2);
        Find<QPushButton>(d, "OKBtn")->click();
        return d.result();
    };
}

class ChildPrintTest : public ChildTest {
protected:
    platform::TRecordingPrintTarget Printer;
    platform::TPrinterScope PrinterScope{Printer};
};

TEST_F(ChildPrintTest, TheToolBarPrintsListingAndChartOfEachSelectedSequenceWithoutTheDialog) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    TModalScope modal([](QDialog&) -> int {
        ADD_FAILURE() << "no dialog";
        return QDialog::Rejected;
    });
    child->FilePrintClick(true);
    EXPECT_FALSE(Frame.HasPageDialog());
    EXPECT_EQ(Titles(Printer), (std::vector<std::string>{
                                   "reading.halvo-Sequence 1-Listing", "reading.halvo-Sequence 1-Route",
                                   "reading.halvo-Sequence 2-Listing", "reading.halvo-Sequence 2-Route"}));
    for (const auto& job : Printer.Jobs) EXPECT_TRUE(job.Ended) << job.Title;
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    EXPECT_TRUE(PageTexts(Printer.Jobs[0]).starts_with(list->item(0)->text().toStdString() + "\n"));
    EXPECT_TRUE(PageTexts(Printer.Jobs[2]).starts_with(list->item(1)->text().toStdString() + "\n"));
}

TEST_F(ChildPrintTest, TheDialogIsMadeOnceAndItsFlagsChooseTheGrids) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    {
        TModalScope modal(Choose(false, false, true, true));
        child->FilePrintClick();
    }
    EXPECT_EQ(child->PrintFlags, 12);
    EXPECT_EQ(Titles(Printer), (std::vector<std::string>{"Settings - parset 1", "Settings - parset 2"}));
    const std::string first = PageTexts(Printer.Jobs.at(0));
    const std::string second = PageTexts(Printer.Jobs.at(1));
    // Each value is printed right after its name (as wide as the grid's column makes it).
    const auto valueAfterName = [](const std::string& texts) {
        const size_t name = texts.find("Level 0.9Vr");
        const size_t value = name == std::string::npos ? name : texts.find('\n', name) + 1;
        return name == std::string::npos ? std::string()
                                         : texts.substr(value, texts.find('\n', value) - value);
    };
    EXPECT_EQ(valueAfterName(first), "90") << first;
    EXPECT_EQ(valueAfterName(second), "85") << second;
    EXPECT_NE(first.find("str. 1"), std::string::npos);
    EXPECT_EQ(Find<QTabBar>(*child, "TabSet1")->currentIndex(), 0);
    TPageDlgFrm* dialog = &Frame.PageDialog();

    // The next print starts from the document's flags; Cancel prints nothing.
    Printer.Jobs.clear();
    Find<QTabBar>(*child, "TabSet1")->setCurrentIndex(1);
    TModalScope modal([&](QDialog& d) {
        EXPECT_EQ(&d, dialog);
        EXPECT_TRUE(Find<QCheckBox>(d, "cbPrintZns2")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>(d, "cbPrintListing")->isChecked());
        Find<QPushButton>(d, "CancelBtn")->click();
        return d.result();
    });
    child->FilePrintClick();
    EXPECT_TRUE(Printer.Jobs.empty());
    EXPECT_EQ(&Frame.PageDialog(), dialog);
    EXPECT_EQ(child->PrintFlags, 12);
}

// The printed widths of the cells of the grid's top row, left to right, on the first page.
std::vector<int> PrintedWidths(const TRecordingCanvas& page) {
    std::vector<int> widths;
    int bottom = -1;
    for (const auto& call : page.Calls) {
        // Each frame runs down its left side, then along its bottom to its right side.
        if (call.Kind != TRecordingCanvas::TKind::Line || call.Y1 != call.Y2 || call.X2 <= call.X1) continue;
        if (bottom < 0) bottom = call.Y1;
        if (call.Y1 == bottom) widths.push_back(call.X2 - call.X1);
    }
    return widths;
}

TEST_F(ChildPrintTest, AColumnDraggedWiderOnTheScreenIsPrintedWider) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    const auto printGrid = [&] {
        Printer.Jobs.clear();
        TModalScope modal(Choose(false, false, true, false));
        child->FilePrintClick();
        return PrintedWidths(Printer.Jobs.at(0).Pages.at(0));
    };
    const std::vector<int> before = printGrid();
    ASSERT_GT(before.size(), 3u);

    Frame.Area.show();
    child->parentWidget()->showMaximized();
    Find<QTabWidget>(*child, "Notebook1")->setCurrentIndex(1);
    QApplication::processEvents();
    QHeaderView* header = Find<QTableWidget>(*child, "ZnsGrid")->horizontalHeader();
    const int width = header->sectionSize(1);
    const QPoint border(header->sectionViewportPosition(1) + width - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, border);
    QTest::mouseMove(header->viewport(), border + QPoint(60, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, border + QPoint(60, 0));
    EXPECT_EQ(header->sectionSize(1), width + 60);
    EXPECT_EQ(child->Grid().ColWidth(1), width + 60);

    // 60 screen pixels at 96 dpi are 15,875 mm, 375 printer pixels at 600 dpi, 1.2 times.
    const std::vector<int> after = printGrid();
    ASSERT_GT(after.size(), 2u);
    EXPECT_NEAR(after[1], before[1] + 450, 1);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
}

TEST_F(ChildPrintTest, EachDocumentKeepsItsOwnFlags) {
    TChildForm* one = Open(MakeDocument("one.halvo"));
    TChildForm* two = Open(MakeDocument("two.halvo"));
    {
        TModalScope modal(Choose(false, false, true, false));
        one->FilePrintClick();
    }
    TModalScope modal([](QDialog& d) {
        EXPECT_TRUE(Find<QCheckBox>(d, "cbPrintListing")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>(d, "cbPrintZns1")->isChecked());
        Find<QPushButton>(d, "CancelBtn")->click();
        return d.result();
    });
    two->FilePrintClick();
    EXPECT_EQ(one->PrintFlags, 4);
    EXPECT_EQ(two->PrintFlags, 3);
}

TEST_F(ChildPrintTest, TheWholeDocumentGoesToTheFramesPrinterAndItsPage) {
    platform::TRecordingPrintTarget framePrinter;
    framePrinter.WidthMM = 60;  // narrow, unlike the process's printer
    Frame.Target = &framePrinter;
    Printer.WidthMM = 2000;  // the process's page would hold the whole chart
    Printer.HeightMM = 2000;
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    {
        TModalScope modal(Choose(true, true, true, true));
        child->FilePrintClick();
    }
    EXPECT_TRUE(Printer.Jobs.empty());
    EXPECT_EQ(Titles(framePrinter),
              (std::vector<std::string>{"reading.halvo-Sequence 1-Listing", "reading.halvo-Sequence 1-Route",
                                        "reading.halvo-Sequence 2-Listing", "reading.halvo-Sequence 2-Route",
                                        "Settings - parset 1", "Settings - parset 2"}));
    EXPECT_EQ(child->Chart().PageWidthMM, 60);
    // The chart's pages are counted on the page it is printed on.
    const int pages = child->Chart().GetPages(framePrinter);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(framePrinter.Jobs.at(3).Pages.size(), static_cast<size_t>(pages));  // sequence 2, shown last
    // After the printer setup the chart's page model is the frame printer's again.
    Printer.WidthMM = 100;
    child->Chart().GetPages(Printer);
    child->PrintSetupClick();
    EXPECT_EQ(child->Chart().PageWidthMM, 60);
    Frame.Target = nullptr;
}

// A print that does not get out is told in one box, with what was not printed and why,
// and the print command stops there.
TEST_F(ChildPrintTest, APrintThatDoesNotGetOutIsToldOnceAndStopsTheCommand) {
    struct TRow {
        const char* What;
        bool Present, CanEnd;
        uint8_t Flags;
        const char* Text;
        const char* Caption;
        size_t Jobs;
    };
    const TRow rows[] = {
        {"no printer, the grids", false, true, kPrintParset1 | kPrintParset2,
         "The settings grid \"Settings - parset 1\" could not be printed: there is no default printer",
         "Error", 0},
        {"no printer, chart and grids", false, true, kPrintGraph | kPrintParset1, "Brak domyślnej drukarki",
         "Błąd", 0},
        {"no printer, everything", false, true, 15,
         "The listing could not be printed: there is no default printer", "Error", 0},
        {"refused, the grid", true, false, kPrintParset2,
         "The settings grid \"Settings - parset 2\" could not be printed: the printer refused the job",
         "Error", 1},
        {"refused, the chart", true, false, kPrintGraph | kPrintParset1,
         "The chart could not be printed: the printer refused the job", "Error", 1},
        {"refused, everything", true, false, 15,
         "The listing could not be printed: the printer refused the job", "Error", 1},
    };
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        Printer.Jobs.clear();
        Prompts.Log.clear();
        Printer.Present = row.Present;
        Printer.CanEnd = row.CanEnd;
        child->PrintFlags = row.Flags;
        // As the tool bar runs it.
        forms::Guarded([&] { child->FilePrintClick(true); });
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text, row.Text);
        EXPECT_EQ(Prompts.Log[0].Caption, row.Caption);
        EXPECT_EQ(Printer.Jobs.size(), row.Jobs);
        for (const auto& job : Printer.Jobs) EXPECT_FALSE(job.Ended);
        EXPECT_FALSE(Printer.Printing());
    }
}

// Stretched so far that each sequence's chart needs more pages than paper takes.
void StretchBeyondPaper(chart::TGraph& chart) {
    chart.SetAutoscale(false);
    chart.SetScaleX(std::numeric_limits<int32_t>::max());
}

std::string TooLongForPaper(const std::string& title) {
    return "The chart \"" + title + "\" was not printed: it would print on more than 10000 pages.";
}

// A chart refused for its own reason is told in its box, and every other part still
// prints; the printer's own failures stop the print (above).
TEST_F(ChildPrintTest, AChartTooLongForPaperIsToldAndTheRestStillPrints) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    StretchBeyondPaper(child->Chart());
    child->PrintFlags = kPrintListing | kPrintGraph | kPrintParset1 | kPrintParset2;
    forms::Guarded([&] { child->FilePrintClick(true); });
    EXPECT_EQ(Titles(Printer), (std::vector<std::string>{"reading.halvo-Sequence 1-Listing",
                                                         "reading.halvo-Sequence 2-Listing",
                                                         "Settings - parset 1", "Settings - parset 2"}));
    for (const auto& job : Printer.Jobs) EXPECT_TRUE(job.Ended) << job.Title;
    ASSERT_EQ(Prompts.Log.size(), 2u);
    EXPECT_EQ(Prompts.Log[0].Text, TooLongForPaper("reading.halvo-Sequence 1-Route"));
    EXPECT_EQ(Prompts.Log[1].Text, TooLongForPaper("reading.halvo-Sequence 2-Route"));
    for (const auto& shown : Prompts.Log) EXPECT_EQ(shown.Caption, "Print");
}

// A stopped queue that takes jobs holds them: the print goes on, and one Information box
// for the print command says where its parts wait.
TEST_F(ChildPrintTest, PartsAStoppedQueueHoldsAreToldInOneBoxForThePrint) {
    const std::string where = "the queue Q, which is stopped (Paused)";
    struct TRow {
        const char* What;
        uint8_t Flags;
        size_t Jobs;
        std::string Text;
    };
    const TRow rows[] = {
        {"everything", 15, 6,
         "6 print jobs were sent to " + where + ": they print when the queue is started again"},
        {"the grid", kPrintParset2, 1,
         "The settings grid \"Settings - parset 2\" was sent to " + where +
             ": it prints when the queue is started again"},
    };
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    Printer.HeldIn = where;
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        Printer.Jobs.clear();
        Prompts.Log.clear();
        child->PrintFlags = row.Flags;
        forms::Guarded([&] { child->FilePrintClick(true); });
        ASSERT_EQ(Printer.Jobs.size(), row.Jobs);
        for (const auto& job : Printer.Jobs) EXPECT_TRUE(job.Ended && job.Held) << job.Title;
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text, row.Text);
        EXPECT_EQ(Prompts.Log[0].Type, platform::TMsgDlgType::Information);
    }
}

// The queue refuses a part after it held the first ones: the failure's one box also says
// where those wait.
TEST_F(ChildPrintTest, AFailureAfterHeldPartsIsToldInOneBoxWithThem) {
    class TRefusesThirdJob : public platform::TRecordingPrintTarget {
    public:
        bool EndJob() override {
            CanEnd = Jobs.size() != 3;
            return TRecordingPrintTarget::EndJob();
        }
    } printer;
    printer.HeldIn = "the queue Q, which is stopped (Paused)";
    Frame.Target = &printer;
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    child->PrintFlags = kPrintListing | kPrintGraph;
    forms::Guarded([&] { child->FilePrintClick(true); });
    Frame.Target = nullptr;
    EXPECT_EQ(printer.Jobs.size(), 3u);
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Text,
              "The listing could not be printed: the printer refused the job\n2 print jobs were sent to the "
              "queue Q, which is stopped (Paused): they print when the queue is started again");
    EXPECT_EQ(Prompts.Log[0].Caption, "Error");
}

class ChildPdfTest : public ChildTest {
protected:
    ChildPdfTest() { std::filesystem::create_directories(Dir.File("pdf")); }
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(Dir.File("pdf")))
            files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }
    // Copies of the PDFs in $HALVO_SCREENSHOT_DIR, when set, to look at.
    static void KeepForLooking(const std::vector<std::string>& files) {
        if (const char* keep = std::getenv("HALVO_SCREENSHOT_DIR"))
            for (const std::string& f : files)
                std::filesystem::copy_file(f,
                                           std::filesystem::path(keep) / std::filesystem::path(f).filename(),
                                           std::filesystem::copy_options::overwrite_existing);
    }

    platform::TPdfPrintTarget Printer{Dir.File("pdf")};
    platform::TPrinterScope PrinterScope{Printer};
};

TEST_F(ChildPdfTest, TheSelectedSequencesListingsChartsAndBothGridsArePrinted) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    const std::string line = list->item(0)->text().toStdString();
    ASSERT_TRUE(line.starts_with("Sequence no.1")) << line;
    child->FilePrintClick(true);
    {
        TModalScope modal(Choose(false, false, true, true));
        child->FilePrintClick();
    }
    const std::vector<std::string> files = Files();
    ASSERT_EQ(files.size(), 4u);
    KeepForLooking(files);
    EXPECT_EQ(platform_test::PdfInfo(files[0], "Pages"), "1");
    EXPECT_EQ(platform_test::PdfInfo(files[1], "Pages"), "1");
    // 19 columns: three pages across.
    EXPECT_EQ(platform_test::PdfInfo(files[2], "Pages"), "3");
    EXPECT_EQ(platform_test::PdfInfo(files[3], "Pages"), "3");

    const std::string listing = platform_test::PdfText(files[0]);
    EXPECT_NE(listing.find("Sequence no.1"), std::string::npos) << listing;
    for (const TLine& l : Decode(child->DeviceImage()).Listing) {
        const std::string trimmed = l.Text.substr(l.Text.find_first_not_of(' '));
        EXPECT_NE(listing.find(trimmed.substr(0, trimmed.find("  "))), std::string::npos) << l.Text;
    }
    EXPECT_FALSE(platform_test::PdfText(files[1]).empty());  // the chart

    const std::string grid1 = platform_test::PdfText(files[2]);
    const std::string grid2 = platform_test::PdfText(files[3]);
    for (const char* word :
         {"Settings - parset 1", "str. 1", "1. Voltages", "Level 0.9Vr [%]", "def: Vesk3.set"})
        EXPECT_NE(grid1.find(word), std::string::npos) << word << "\n" << grid1;
    EXPECT_NE(grid2.find("Settings - parset 2"), std::string::npos) << grid2;
    // The value beside its name: the first word right of "0.9Vr" on its line.
    const auto valueBeside = [](const std::string& path) {
        const std::vector<platform_test::TPdfWord> words = platform_test::PdfWords(path);
        const auto name =
            std::find_if(words.begin(), words.end(), [](const auto& w) { return w.Text == "0.9Vr"; });
        if (name == words.end()) return std::string();
        for (auto w = name + 1; w != words.end(); ++w)
            if (w->Text != "[%]" && std::abs(w->YMin - name->YMin) < 2) return w->Text;
        return std::string();
    };
    EXPECT_EQ(valueBeside(files[2]), "90");
    EXPECT_EQ(valueBeside(files[3]), "85");
}

// The program's own printer on $HALVO_PDF_DIR: the grid as its first fill shows it, each
// setting's name whole ("Automatic transfer []", not "Automatic transfer").
TEST_F(ChildTest, EachSettingsNameIsPrintedWhole) {
    const std::string folder = Dir.File("program-pdf");
    std::filesystem::create_directories(folder);
    const char* old = std::getenv("HALVO_PDF_DIR");
    const std::optional<std::string> previous = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("HALVO_PDF_DIR", folder.c_str(), 1);
    const std::unique_ptr<platform::IPrintTarget> printer = platform::MakeProgramPrinter();
    if (previous)
        ::setenv("HALVO_PDF_DIR", previous->c_str(), 1);
    else
        ::unsetenv("HALVO_PDF_DIR");
    const platform::TPrinterScope scope(*printer);

    TChildForm* child = Open(MakeDocument("reading.halvo"));
    {
        TModalScope modal(Choose(false, false, true, false));
        child->FilePrintClick();
    }
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(folder)) files.push_back(e.path().string());
    ASSERT_EQ(files.size(), 1u);
    if (const char* keep = std::getenv("HALVO_SCREENSHOT_DIR"))
        std::filesystem::copy_file(files[0], std::filesystem::path(keep) / "grid-names.pdf",
                                   std::filesystem::copy_options::overwrite_existing);
    const std::string text = platform_test::PdfText(files[0]);
    const TGridModel& grid = child->Grid();
    int names = 0;
    for (int c = grid.FixedCols; c < grid.ColCount(); c += 3)
        for (int r = grid.FixedRows; r < grid.RowCount(); ++r)
            if (const std::string& name = grid.Cell(c, r); !name.empty()) {
                ++names;
                EXPECT_NE(text.find(name), std::string::npos) << name << "\n" << text;
            }
    EXPECT_GT(names, 20);
    EXPECT_NE(text.find("Automatic transfer []"), std::string::npos);
}

// A PDF folder on a full disk: the print says why and leaves no PDF, whole or not.
TEST_F(ChildPdfTest, AFullDiskLeavesNoPdfAndIsToldOnce) {
    const platform_test::TFullFolder full(Dir.File("full"), 4096);
    SCOPED_TRACE(full.Kind());
    RecordProperty("filesystem", full.Kind());
    platform::TPdfPrintTarget target(full.Path());
    Frame.Target = &target;
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    for (const uint8_t flags :
         {uint8_t{kPrintListing | kPrintGraph}, uint8_t{kPrintGraph}, uint8_t{kPrintParset1}}) {
        SCOPED_TRACE(int{flags});
        Prompts.Log.clear();
        child->PrintFlags = flags;
        forms::Guarded([&] { child->FilePrintClick(true); });
        ASSERT_EQ(Prompts.Log.size(), 1u);
        const std::string& text = Prompts.Log[0].Text;
        EXPECT_TRUE(text.ends_with(".pdf could not be written: " + full.WriteError())) << text;
        EXPECT_TRUE(text.find(" could not be printed: the file " + full.Path() + "/001-") !=
                    std::string::npos)
            << text;
        EXPECT_EQ(full.Files(), std::set<std::string>{});
    }
    Frame.Target = nullptr;
}

// $HALVO_PDF_DIR names a folder that is not there: each part says so with the target's own
// reason, the chart as the listing and the grid.
TEST_F(ChildPdfTest, AMissingFolderIsToldByEachPartWithItsReason) {
    platform::TPdfPrintTarget target(Dir.File("none"));
    Frame.Target = &target;
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    const std::string reason = " could not be printed: the folder " + Dir.File("none") + " does not exist";
    const std::pair<uint8_t, std::string> rows[] = {
        {kPrintListing | kPrintGraph, "The listing" + reason},
        {kPrintGraph | kPrintParset1, "The chart" + reason},
        {kPrintParset2, "The settings grid \"Settings - parset 2\"" + reason}};
    for (const auto& [flags, text] : rows) {
        SCOPED_TRACE(text);
        Prompts.Log.clear();
        child->PrintFlags = flags;
        forms::Guarded([&] { child->FilePrintClick(true); });
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text, text);
        EXPECT_EQ(Prompts.Log[0].Caption, "Error");
    }
    Frame.Target = nullptr;
}

// The print of a chart too long for paper, as PDF files: both listings and both grids,
// whole, and no file for the charts.
TEST_F(ChildPdfTest, AChartTooLongForPaperLeavesTheOtherPartsPrinted) {
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    Find<QListWidget>(*child, "EventsListBox")->selectAll();
    StretchBeyondPaper(child->Chart());
    child->PrintFlags = 15;
    forms::Guarded([&] { child->FilePrintClick(true); });
    EXPECT_EQ(Prompts.Texts(), (std::vector<std::string>{TooLongForPaper("reading.halvo-Sequence 1-Route"),
                                                         TooLongForPaper("reading.halvo-Sequence 2-Route")}));
    const std::vector<std::string> files = Files();
    ASSERT_EQ(files.size(), 4u);
    KeepForLooking(files);
    const char* const names[] = {"001-reading.halvo-Sequence 1-Listing.pdf",
                                 "002-reading.halvo-Sequence 2-Listing.pdf", "003-Settings - parset 1.pdf",
                                 "004-Settings - parset 2.pdf"};
    for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(std::filesystem::path(files[i]).filename(), names[i]);
    EXPECT_NE(platform_test::PdfText(files[1]).find("Sequence no.2"), std::string::npos);
    EXPECT_EQ(platform_test::PdfInfo(files[3], "Pages"), "3");
    EXPECT_NE(platform_test::PdfText(files[3]).find("Settings - parset 2"), std::string::npos);
}

// Answers the next modal dialog once it is up, as a user would.
void AnswerModal(const std::function<void(QDialog&)>& answer, int tries = 0) {
    QTimer::singleShot(tries == 0 ? 0 : 10, [answer, tries] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            answer(*dialog);
        else if (tries < 300)
            AnswerModal(answer, tries + 1);
    });
}

// The page setup chooses the PDF pages: A4 landscape, on which the chart counts and
// prints its pages.
TEST_F(ChildPdfTest, ThePageSetupReachesThePdfPagesAndTheChartsPageCount) {
    platform::TQtPrompts dialogs;
    dialogs.SetPrintTarget(&Printer);
    const platform::TPromptsScope dialogsScope(dialogs);
    TChildForm* child = Open(MakeDocument("reading.halvo"));
    // Stretched over pages across, which a wider page makes fewer.
    child->Chart().SetAutoscale(false);
    child->Chart().SetScaleX(50000);
    const int portraitPages = child->Chart().GetPages(Printer);
    ASSERT_GT(portraitPages, 2);
    AnswerModal([](QDialog& d) {
        auto* landscape = d.findChild<QRadioButton*>("rbLandscape");
        if (!landscape) {
            ADD_FAILURE() << "no orientation in the page setup";
            return d.reject();
        }
        landscape->setChecked(true);
        d.accept();
    });
    child->PrintSetupClick();
    EXPECT_EQ(child->Chart().PageWidthMM, 287);
    EXPECT_EQ(child->Chart().PageHeightMM, 200);
    EXPECT_EQ(child->Chart().PageOrientation, platform::TPrinterOrientation::Landscape);
    child->PrintFlags = kPrintGraph | kPrintParset1;
    child->FilePrintClick(true);
    const std::vector<std::string> files = Files();
    ASSERT_EQ(files.size(), 2u);
    KeepForLooking(files);
    const int pages = child->Chart().GetPages(Printer);
    EXPECT_LT(pages, portraitPages);
    EXPECT_EQ(platform_test::PdfInfo(files[0], "Pages"), std::to_string(pages));
    for (const std::string& file : files)
        EXPECT_EQ(platform_test::PdfPageSizePoints(file), "842 x 595") << file;
}

}  // namespace
}  // namespace app::test
