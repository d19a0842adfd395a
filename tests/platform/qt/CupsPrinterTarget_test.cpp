// The program's printer on a real print queue: a cupsd of the test's own with a cups-pdf
// queue as the default printer. The sample document's listing, chart and settings grid
// are printed through the printer target as the document window prints them, and the
// PDFs the queue wrote are read by poppler.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPageSize>
#include <QPrinterInfo>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/forms/GridPrn.h"
#include "app/forms/SettingsGrid.h"
#include "app/lister/Lister.h"
#include "chart/Graph.h"
#include "platform/PrintJob.h"
#include "platform/Prompts.h"
#include "platform/UpdateScope.h"
#include "platform/qt/QtPrinterTarget.h"
#include "tests/app/lister/ListerFixtures.h"
#include "tests/platform/qt/CupsPdfQueue.h"
#include "tests/platform/qt/PdfTools.h"
#include "tests/support/FullDisk.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Thrown.h"

namespace platform {
namespace {

constexpr std::chrono::seconds kPdfLimit{120};

// Passes everything on to the printer and counts the pages of each job begun.
class TPageCounter : public IPrintTarget {
public:
    explicit TPageCounter(IPrintTarget& printer) : FPrinter(printer) {}
    bool HasPrinter() const override { return FPrinter.HasPrinter(); }
    int PageWidthMM() const override { return FPrinter.PageWidthMM(); }
    int PageHeightMM() const override { return FPrinter.PageHeightMM(); }
    int PageWidthPixels() const override { return FPrinter.PageWidthPixels(); }
    int PageHeightPixels() const override { return FPrinter.PageHeightPixels(); }
    TPrinterOrientation Orientation() const override { return FPrinter.Orientation(); }
    int PixelsPerInchX() const override { return FPrinter.PixelsPerInchX(); }
    int PixelsPerInchY() const override { return FPrinter.PixelsPerInchY(); }
    bool Printing() const override { return FPrinter.Printing(); }
    bool BeginJob(const std::string& title) override {
        const bool begun = FPrinter.BeginJob(title);
        if (begun) Pages.push_back(1);
        return begun;
    }
    void NewPage() override {
        FPrinter.NewPage();
        if (FPrinter.Printing()) ++Pages.back();
    }
    bool EndJob() override { return FPrinter.EndJob(); }
    void Abort() override { FPrinter.Abort(); }
    bool Aborted() const override { return FPrinter.Aborted(); }
    std::string LastError() const override { return FPrinter.LastError(); }
    std::string LastJobHeld() const override { return FPrinter.LastJobHeld(); }
    std::string Title() const override { return FPrinter.Title(); }
    int PageNumber() const override { return FPrinter.PageNumber(); }
    ICanvas* Canvas() override { return FPrinter.Canvas(); }

    std::vector<int> Pages;

private:
    IPrintTarget& FPrinter;
};

// The sample document as its window shows it: the sequence list, the listing and the
// chart of sequence 1, the settings grid of parameter set 1.
struct TSampleDocument {
    TSampleDocument() {
        Image.SetDataDirectory(HALVO_BIN_DIR);
        Loaded = Image.LoadFromFile(std::string(HALVO_BIN_DIR) + "/sample.halvo");
        Lister.SetHalvo(&Image);
        Lister.SetGraph(&Graph);
        Lister.SetListBox(&List);
        Lister.Refresh(nullptr);
        Loaded = Loaded && Lister.SequenceCount() >= 1;
        app::FillSettingsGrid(Grid, Image, 0);
    }
    app::THalvo Image;
    chart::TGraph Graph;
    app::TEvLister Lister;
    app::test::TRecordingListBox List;
    app::TGridModel Grid = app::MakeSettingsGrid();
    bool Loaded = false;
};

using platform_test::FileNames;
using platform_test::PdfText;

// One queue for the binary: the CUPS clients keep the server they first talked to.
class CupsPrinterTargetTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        platform_test::QtTestApp<QGuiApplication>();
        Queue = new platform_test::TCupsPdfQueue;
    }
    static void TearDownTestSuite() {
        delete Queue;
        Queue = nullptr;
    }
    void SetUp() override {
        if (!Queue->Unavailable().empty())
            GTEST_SKIP() << "no print queue of our own: " << Queue->Unavailable();
        ASSERT_EQ(Queue->SetupFailure(), "");
        Queue->Clear(kPdfLimit);
    }

    static platform_test::TCupsPdfQueue* Queue;
};

platform_test::TCupsPdfQueue* CupsPrinterTargetTest::Queue = nullptr;

TEST_F(CupsPrinterTargetTest, QtSeesTheQueueAsTheDefaultPrinterWithAnA4Page) {
    EXPECT_TRUE(QPrinterInfo::availablePrinterNames().contains(platform_test::TCupsPdfQueue::kName));
    EXPECT_EQ(QPrinterInfo::defaultPrinterName().toStdString(), platform_test::TCupsPdfQueue::kName);
    const auto printer = MakeProgramPrinter();
    auto* target = dynamic_cast<TQtPrinterTarget*>(printer.get());
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(target->HasPrinter());
    EXPECT_EQ(target->Device().printerName().toStdString(), platform_test::TCupsPdfQueue::kName);
    EXPECT_EQ(target->Device().pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_EQ(target->Orientation(), TPrinterOrientation::Portrait);
    // The printable area lies inside the sheet, in millimetres and in pixels alike.
    EXPECT_GT(target->PageWidthMM(), 180);
    EXPECT_LE(target->PageWidthMM(), 210);
    EXPECT_GT(target->PageHeightMM(), 267);
    EXPECT_LE(target->PageHeightMM(), 297);
    const int dpi = target->PixelsPerInchX();
    EXPECT_EQ(target->PixelsPerInchY(), dpi);
    EXPECT_GE(dpi, 300);
    EXPECT_NEAR(target->PageWidthPixels(), target->PageWidthMM() / 25.4 * dpi, dpi / 25.4);
    EXPECT_NEAR(target->PageHeightPixels(), target->PageHeightMM() / 25.4 * dpi, dpi / 25.4);
}

TEST_F(CupsPrinterTargetTest, AListingAChartAndAGridComeOutOfTheQueueAsA4Pages) {
    const auto program = MakeProgramPrinter();
    ASSERT_NE(dynamic_cast<TQtPrinterTarget*>(program.get()), nullptr);
    TPageCounter printer(*program);

    TSampleDocument document;
    ASSERT_TRUE(document.Loaded);
    app::TEvLister& lister = document.Lister;
    chart::TGraph& graph = document.Graph;
    const app::test::TRecordingListBox& list = document.List;
    const app::TGridModel& grid = document.Grid;

    lister.PrintTitle = "sample.halvo-Sequence 1-Listing";
    lister.PrintListing(1, printer);
    graph.PrintTitle = "sample.halvo-Sequence 1-Route";
    const int chartPages = graph.GetPages(printer);
    graph.Print(1, chartPages, printer);
    const app::TGridPrint gridPrint(grid, printer);
    const size_t gridPages = gridPrint.ColumnRanges().size() * gridPrint.RowRanges().size();
    app::PrintGrid(grid, printer, "Settings - parset 1");

    ASSERT_EQ(printer.Pages.size(), 3u);
    EXPECT_GT(chartPages, 0);
    EXPECT_EQ(printer.Pages[1], chartPages);
    EXPECT_EQ(static_cast<size_t>(printer.Pages[2]), gridPages);
    const std::vector<std::string> pdfs = Queue->WaitForPdfs(3, kPdfLimit);
    ASSERT_EQ(pdfs.size(), 3u) << Queue->CompletedJobs() << Queue->Logs();
    const char* const titles[] = {"Listing", "Route", "parset_1"};
    for (size_t i = 0; i < pdfs.size(); ++i) {
        SCOPED_TRACE(pdfs[i]);
        EXPECT_NE(pdfs[i].find(titles[i]), std::string::npos);
        EXPECT_EQ(platform_test::PdfInfo(pdfs[i], "Pages"), std::to_string(printer.Pages[i]));
        EXPECT_EQ(platform_test::PdfPageSizePoints(pdfs[i]), "595 x 842");
    }
    // What was drawn went through the queue as text.
    const std::string listing = PdfText(pdfs[0]);
    EXPECT_TRUE(listing.starts_with(list.Line(0))) << listing;
    EXPECT_NE(PdfText(pdfs[1]).find("sample.halvo-Sequence 1-Route"), std::string::npos) << PdfText(pdfs[1]);
    const std::string gridText = PdfText(pdfs[2]);
    EXPECT_NE(gridText.find("Settings - parset 1"), std::string::npos) << gridText;
    EXPECT_NE(gridText.find("str. 1"), std::string::npos) << gridText;
    EXPECT_EQ(FileNames(Queue->TempFolder()), std::set<std::string>{});
}

TEST_F(CupsPrinterTargetTest, AnAbortedJobNeverReachesTheQueue) {
    TQtPrinterTarget printer;
    ASSERT_TRUE(printer.BeginJob("Dropped"));
    printer.Canvas()->TextOut(100, 100, "dropped");
    printer.NewPage();
    printer.Abort();
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(printer.Printing());
    ASSERT_TRUE(printer.BeginJob("Kept"));
    EXPECT_FALSE(printer.Aborted());
    printer.Canvas()->TextOut(100, 100, "kept");
    printer.EndJob();
    const std::vector<std::string> pdfs = Queue->WaitForPdfs(1, kPdfLimit);
    ASSERT_EQ(pdfs.size(), 1u) << Queue->CompletedJobs() << Queue->Logs();
    EXPECT_NE(pdfs[0].find("Kept"), std::string::npos);
    EXPECT_EQ(platform_test::PdfInfo(pdfs[0], "Pages"), "1");
    EXPECT_NE(PdfText(pdfs[0]).find("kept"), std::string::npos);
    EXPECT_EQ(FileNames(Queue->TempFolder()), std::set<std::string>{});
}

// A queue that will not take the job, as the program meets it while it runs: the job
// ends in a failure with the queue's own reason, nothing of it reaches the queue, and no
// job file is left behind.
TEST_F(CupsPrinterTargetTest, AQueueThatWillNotTakeTheJobSaysWhyAndKeepsNothing) {
    const std::string queue = platform_test::TCupsPdfQueue::kName;
    using TCommands = std::vector<std::vector<std::string>>;
    struct TRow {
        const char* What;
        TCommands Break, Mend;
        std::string Reason;  // how LastError starts
    };
    const TRow rows[] = {
        {"refusing jobs",
         {{"/usr/sbin/cupsreject", "-r", "paper jam", queue}},
         {{"/usr/sbin/cupsaccept", queue}},
         "the queue " + queue + " did not take the job: "},
        {"stopped and refusing jobs",
         {{"/usr/sbin/cupsdisable", "-r", "out of toner", queue}, {"/usr/sbin/cupsreject", queue}},
         {{"/usr/sbin/cupsaccept", queue}, {"/usr/sbin/cupsenable", queue}},
         "the queue " + queue + " did not take the job: "},
        {"deleted", {{"/usr/sbin/lpadmin", "-x", queue}}, {}, "the queue " + queue + " does not exist"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        TQtPrinterTarget printer;
        ASSERT_TRUE(printer.BeginJob("Refused")) << printer.LastError();
        printer.Canvas()->TextOut(100, 100, "refused");
        for (const auto& command : row.Break) ASSERT_EQ(platform_test::RunProgram(command).ExitCode, 0);
        EXPECT_FALSE(printer.EndJob());
        EXPECT_FALSE(printer.Printing());
        EXPECT_EQ(printer.LastJobHeld(), "");
        const std::string reason = printer.LastError();
        EXPECT_TRUE(reason.starts_with(row.Reason)) << reason;
        if (row.Reason.ends_with(": ")) {
            EXPECT_GT(reason.size(), row.Reason.size()) << "no reason from the queue";
        }
        RecordProperty(row.What, reason);
        if (row.Mend.empty()) Queue->AddQueue();
        for (const auto& command : row.Mend) EXPECT_EQ(platform_test::RunProgram(command).ExitCode, 0);
        ASSERT_EQ(Queue->SetupFailure(), "");
        EXPECT_EQ(Queue->WaitForPdfs(0, kPdfLimit), std::vector<std::string>{}) << Queue->CompletedJobs();
        EXPECT_EQ(FileNames(Queue->TempFolder()), std::set<std::string>{});
    }
    // The mended queue prints again.
    TQtPrinterTarget printer;
    ASSERT_TRUE(printer.BeginJob("Mended"));
    EXPECT_TRUE(printer.EndJob()) << printer.LastError();
    EXPECT_EQ(printer.LastError(), "");
    EXPECT_EQ(Queue->WaitForPdfs(1, kPdfLimit).size(), 1u) << Queue->CompletedJobs() << Queue->Logs();
}

// A stopped queue that takes jobs holds them, as it holds every program's: the listing,
// the chart and the grid go to it, the user is told where they wait (one box for a print
// command), and once the queue is started again they come out.
TEST_F(CupsPrinterTargetTest, AStoppedQueueHoldsTheJobsAndPrintsThemWhenStarted) {
    const std::string queue = platform_test::TCupsPdfQueue::kName;
    TSampleDocument document;
    ASSERT_TRUE(document.Loaded);
    TRecordingPrompts prompts;
    const TPromptsScope promptsScope(prompts);
    ASSERT_EQ(platform_test::RunProgram({"/usr/sbin/cupsdisable", "-r", "out of toner", queue}).ExitCode, 0);
    const TScopeExit start([&] { platform_test::RunProgram({"/usr/sbin/cupsenable", queue}); });
    const std::string where = "the queue " + queue + ", which is stopped (out of toner)";
    TQtPrinterTarget printer;

    // A part printed on its own is told on its own.
    document.Lister.PrintTitle = "sample.halvo-Sequence 1-Listing";
    EXPECT_EQ(platform_test::ThrownMessage([&] { document.Lister.PrintListing(1, printer); }), "");
    EXPECT_EQ(printer.LastError(), "");
    EXPECT_EQ(printer.LastJobHeld(), where);
    ASSERT_EQ(prompts.Log.size(), 1u);
    EXPECT_EQ(prompts.Log[0].Text,
              "The listing was sent to " + where + ": it prints when the queue is started again");
    EXPECT_EQ(prompts.Log[0].Type, TMsgDlgType::Information);

    prompts.Log.clear();
    {
        TPrintCommand command;
        document.Graph.PrintTitle = "sample.halvo-Sequence 1-Route";
        EXPECT_TRUE(document.Graph.Print(1, document.Graph.GetPages(printer), printer));
        app::PrintGrid(document.Grid, printer, "Settings - parset 1");
        EXPECT_TRUE(prompts.Log.empty());
        command.Finish();
    }
    ASSERT_EQ(prompts.Log.size(), 1u);
    EXPECT_EQ(prompts.Log[0].Text,
              "2 print jobs were sent to " + where + ": they print when the queue is started again");
    EXPECT_EQ(FileNames(Queue->TempFolder()), std::set<std::string>{});

    // The queue holds the three jobs and prints none of them.
    const std::string pending = Queue->PendingJobs();
    EXPECT_EQ(std::count(pending.begin(), pending.end(), '\n'), 3) << pending;
    EXPECT_EQ(FileNames(Queue->OutputFolder()), std::set<std::string>{});

    ASSERT_EQ(platform_test::RunProgram({"/usr/sbin/cupsenable", queue}).ExitCode, 0);
    const std::vector<std::string> pdfs = Queue->WaitForPdfs(3, kPdfLimit);
    ASSERT_EQ(pdfs.size(), 3u) << Queue->CompletedJobs() << Queue->Logs();
    const char* const titles[] = {"Listing", "Route", "parset_1"};
    for (size_t i = 0; i < pdfs.size(); ++i) EXPECT_NE(pdfs[i].find(titles[i]), std::string::npos) << pdfs[i];
    EXPECT_TRUE(PdfText(pdfs[0]).starts_with(document.List.Line(0))) << PdfText(pdfs[0]);

    // Stopped without a reason, the queue's own word for its state is given.
    ASSERT_EQ(platform_test::RunProgram({"/usr/sbin/cupsdisable", queue}).ExitCode, 0);
    ASSERT_TRUE(printer.BeginJob("Paused"));
    EXPECT_TRUE(printer.EndJob()) << printer.LastError();
    EXPECT_EQ(printer.LastJobHeld(), "the queue " + queue + ", which is stopped (Paused)");
    ASSERT_EQ(platform_test::RunProgram({"/usr/sbin/cupsenable", queue}).ExitCode, 0);
    EXPECT_EQ(Queue->WaitForPdfs(4, kPdfLimit).size(), 4u) << Queue->CompletedJobs() << Queue->Logs();
}

// A full $TMPDIR, where the job files go: the listing, the chart and the grid each say
// why they were not printed, and no job, blank or cut short, reaches the queue.
TEST_F(CupsPrinterTargetTest, AFullTemporaryFolderSubmitsNoJobAndSaysWhy) {
    TSampleDocument document;
    ASSERT_TRUE(document.Loaded);
    TQtPrinterTarget printer;
    Queue->WaitForPdfs(0, kPdfLimit);
    const std::string completed = Queue->CompletedJobs();

    const platform_test::TFullFolder full(Queue->TempFolder() + "/full", 4096);
    SCOPED_TRACE(full.Kind());
    RecordProperty("filesystem", full.Kind());
    const std::string saved = ::getenv("TMPDIR");
    ::setenv("TMPDIR", full.Path().c_str(), 1);
    struct TRow {
        const char* What;
        std::function<void()> Print;
    };
    const TRow rows[] = {
        {"The listing", [&] { document.Lister.PrintListing(1, printer); }},
        {"The chart", [&] { document.Graph.Print(1, document.Graph.GetPages(printer), printer); }},
        {"The settings grid \"Settings - parset 1\"",
         [&] { app::PrintGrid(document.Grid, printer, "Settings - parset 1"); }},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        const std::string message = platform_test::ThrownMessage(row.Print);
        const std::string start =
            std::string(row.What) + " could not be printed: the file " + full.Path() + "/halvo-print-";
        EXPECT_TRUE(message.starts_with(start)) << message;
        EXPECT_TRUE(message.ends_with(".job could not be written: " + full.WriteError())) << message;
        EXPECT_EQ(full.Files(), std::set<std::string>{});
    }
    ::setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_EQ(Queue->WaitForPdfs(0, kPdfLimit), std::vector<std::string>{}) << Queue->CompletedJobs();
    EXPECT_EQ(Queue->CompletedJobs(), completed);
}

}  // namespace
}  // namespace platform
