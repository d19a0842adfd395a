// PDF print jobs: one numbered file a job in the folder, pages and text where the
// canvas put them, as poppler reads them.
#include "platform/qt/PdfPrintTarget.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <filesystem>
#include <set>
#include <string>

#include "platform/qt/QtPrinterTarget.h"
#include "tests/platform/qt/PdfTools.h"
#include "tests/support/FullDisk.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/TempDir.h"
#include "tests/support/TempDirTest.h"

namespace platform {
namespace {

using platform_test::FileNames;

class PdfPrintTargetTest : public testing::Test {
protected:
    PdfPrintTargetTest() { platform_test::QtTestApp<QGuiApplication>(); }
    platform_test::TTempDir Dir;
    TPdfPrintTarget Target{Dir.Path()};
};

TEST_F(PdfPrintTargetTest, ThreePagesOnA4WithTextWhereTheCanvasPutIt) {
    EXPECT_TRUE(Target.HasPrinter());
    EXPECT_EQ(Target.PageWidthMM(), 200);  // A4 less a 5 mm margin all round
    EXPECT_EQ(Target.PageHeightMM(), 287);
    ASSERT_TRUE(Target.BeginJob("Chart"));
    EXPECT_EQ(Target.Canvas()->PixelsPerInchX(), 600);
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) Target.NewPage();
        EXPECT_EQ(Target.PageNumber(), page);
        // 600 dpi: 600 pixels are 72 points.
        Target.Canvas()->TextOut(600 * page, 1200, "Page" + std::to_string(page));
    }
    Target.EndJob();
    EXPECT_FALSE(Target.Printing());
    const std::string file = Dir.File("001-Chart.pdf");
    EXPECT_EQ(Target.FileName(), file);
    EXPECT_EQ(platform_test::PdfInfo(file, "Pages"), "3");
    EXPECT_EQ(platform_test::PdfInfo(file, "Title"), "Chart");
    EXPECT_NE(platform_test::PdfInfo(file, "Page size").find("(A4)"), std::string::npos);
    const auto words = platform_test::PdfWords(file);
    ASSERT_EQ(words.size(), 3u);
    for (int page = 1; page <= 3; ++page) {
        const auto& w = words[page - 1];
        EXPECT_EQ(w.Page, page);
        EXPECT_EQ(w.Text, "Page" + std::to_string(page));
        // The canvas starts inside the margin.
        constexpr double kMargin = TPdfPrintTarget::kMarginMM * 72.0 / 25.4;
        EXPECT_NEAR(w.XMin, kMargin + 72.0 * page, 1.0);
        EXPECT_NEAR(w.YMin, kMargin + 144.0, 1.0);
    }
}

TEST_F(PdfPrintTargetTest, JobsAreNumberedAndNeverOverwritten) {
    Dir.Write("007-old.pdf", "keep");
    Dir.Write("notes.pdf", "");
    Dir.Write("12-short.pdf", "");
    ASSERT_TRUE(Target.BeginJob("a/b\tc"));
    EXPECT_FALSE(Target.BeginJob("again"));
    Target.EndJob();
    ASSERT_TRUE(Target.BeginJob(""));
    Target.EndJob();
    const std::set<std::string> expected{"007-old.pdf", "008-a_b_c.pdf", "009-print.pdf", "notes.pdf",
                                         "12-short.pdf"};
    EXPECT_EQ(FileNames(Dir.Path()), expected);
}

TEST_F(PdfPrintTargetTest, AnAbortedJobLeavesNoFile) {
    ASSERT_TRUE(Target.BeginJob("Gone"));
    Target.Canvas()->TextOut(10, 10, "x");
    Target.NewPage();
    Target.Abort();
    EXPECT_TRUE(Target.Aborted());
    EXPECT_FALSE(Target.Printing());
    EXPECT_EQ(Target.Canvas(), nullptr);
    EXPECT_TRUE(FileNames(Dir.Path()).empty());
    ASSERT_TRUE(Target.BeginJob("Next"));
    EXPECT_FALSE(Target.Aborted());
    Target.EndJob();
    EXPECT_EQ(FileNames(Dir.Path()), std::set<std::string>{"001-Next.pdf"});
}

// The folder is the printer whether it exists or not: a job that cannot begin says why,
// and one begun after the folder was made goes into it.
TEST_F(PdfPrintTargetTest, AFolderThatIsMissingOrNoFolderSaysWhyEachJob) {
    Dir.Write("file", "");
    struct TRow {
        const char* Name;
        std::string Reason;
    };
    const TRow rows[] = {
        {"none", "the folder " + Dir.File("none") + " does not exist"},
        {"file", "the file " + Dir.File("file") + "/001-x.pdf could not be created: Not a directory"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        TPdfPrintTarget target(Dir.File(row.Name));
        EXPECT_TRUE(target.HasPrinter());
        for (int job = 1; job <= 2; ++job) {
            EXPECT_FALSE(target.BeginJob("x"));
            EXPECT_FALSE(target.Printing());
            EXPECT_EQ(target.LastError(), row.Reason);
        }
    }
    TPdfPrintTarget later(Dir.File("later"));
    EXPECT_FALSE(later.BeginJob("x"));
    std::filesystem::create_directory(Dir.File("later"));
    ASSERT_TRUE(later.BeginJob("x")) << later.LastError();
    EXPECT_TRUE(later.EndJob());
    EXPECT_EQ(FileNames(Dir.File("later")), std::set<std::string>{"001-x.pdf"});
}

// Three pages of text, as much as a chart's: more than the few bytes a full disk leaves.
bool PrintThreePages(TPdfPrintTarget& target, const std::string& title) {
    if (!target.BeginJob(title)) return false;
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) target.NewPage();
        for (int line = 0; line < 40; ++line)
            target.Canvas()->TextOut(600, 100 * line,
                                     "Page " + std::to_string(page) + " line " + std::to_string(line));
    }
    return target.EndJob();
}

// On a full disk no print leaves a PDF behind, whole or not, and each tells why.
TEST_F(PdfPrintTargetTest, ADiskTooFullForTheJobLeavesNoFileAndSaysWhy) {
    const size_t rooms[] = {0, 4096};
    for (const size_t room : rooms) {
        const platform_test::TFullFolder full(Dir.File("full"), room);
        SCOPED_TRACE(full.Kind() + ", " + std::to_string(room) + " bytes free");
        RecordProperty("filesystem", full.Kind());
        TPdfPrintTarget target(full.Path());
        for (int job = 1; job <= 5; ++job) {
            EXPECT_FALSE(PrintThreePages(target, "Chart"));
            EXPECT_FALSE(target.Printing());
            EXPECT_EQ(target.LastError(),
                      "the file " + target.FileName() + " could not be written: " + full.WriteError());
            EXPECT_EQ(full.Files(), std::set<std::string>{});
        }
    }
    // A disk with room again takes the next job whole.
    EXPECT_TRUE(PrintThreePages(Target, "Chart")) << Target.LastError();
    EXPECT_EQ(Target.LastError(), "");
    EXPECT_EQ(platform_test::PdfInfo(Target.FileName(), "Pages"), "3");
}

// A folder made read-only after the start: the job cannot begin, and says why.
TEST_F(PdfPrintTargetTest, AFolderMadeReadOnlyRefusesTheJobAndSaysWhy) {
    std::filesystem::permissions(
        Dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                        std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    // As a user who is not root, for whom read-only holds.
    EXPECT_TRUE(platform_test::RunUnprivileged([this] {
        return !Target.BeginJob("Chart") && !Target.Printing() &&
               Target.LastError() ==
                   "the file " + Dir.File("001-Chart.pdf") + " could not be created: Permission denied";
    }));
    EXPECT_EQ(FileNames(Dir.Path()), std::set<std::string>{});
}

TEST_F(PdfPrintTargetTest, TheProgramPrintsIntoTheFolderNamedByTheEnvironment) {
    setenv("HALVO_PDF_DIR", Dir.Path().c_str(), 1);
    const auto printer = MakeProgramPrinter();
    unsetenv("HALVO_PDF_DIR");
    ASSERT_TRUE(printer->BeginJob("Env"));
    printer->EndJob();
    EXPECT_EQ(FileNames(Dir.Path()), std::set<std::string>{"001-Env.pdf"});
    // A folder missing at the start is still the target, never the default printer.
    setenv("HALVO_PDF_DIR", Dir.File("none").c_str(), 1);
    const auto missing = MakeProgramPrinter();
    unsetenv("HALVO_PDF_DIR");
    ASSERT_NE(dynamic_cast<TPdfPrintTarget*>(missing.get()), nullptr);
    EXPECT_FALSE(missing->BeginJob("Env"));
    EXPECT_EQ(missing->LastError(), "the folder " + Dir.File("none") + " does not exist");
}

}  // namespace
}  // namespace platform
