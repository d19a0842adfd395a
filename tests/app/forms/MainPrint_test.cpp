// A print pumps the event loop between its jobs and pages: meanwhile its window and the
// frame stay open, no second print, reading or port setup starts, and each document's
// PDF files hold its own pages only.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <map>
#include <set>

#include "app/forms/PageOptions.h"
#include "platform/qt/PdfPrintTarget.h"
#include "platform/qt/QtWaiter.h"
#include "tests/app/forms/MainFixture.h"
#include "tests/platform/qt/PdfTools.h"

namespace app::test {
namespace {

class PrintBusyTest : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        std::filesystem::create_directories(Path("pdf"));
        Form =
            std::make_unique<TMainForm>(std::vector<std::string>{}, std::string(HALVO_BIN_DIR) + "/Trevolan",
                                        std::make_unique<platform::TPdfPrintTarget>(Path("pdf")));
        Form->show();
        QApplication::processEvents();
        One = OpenSample("one.halvo");
        Two = OpenSample("two.halvo");
    }

    TChildForm* OpenSample(const std::string& name) {
        Form->OpenDialogFileName = Sample(name);
        Form->MF_OpenClick(false);
        TChildForm* child = Form->ActiveChild();
        Find<QListWidget>(*child, "EventsListBox")->selectAll();
        return child;
    }

    QMdiSubWindow* SubWindowOf(TChildForm* child) const {
        for (QMdiSubWindow* sub : Form->Client().subWindowList())
            if (sub->widget() == child) return sub;
        return nullptr;
    }

    // The PDF files printed since the last call, by job title, with their pages' texts.
    std::map<std::string, std::vector<std::string>> NewPrints() {
        std::map<std::string, std::vector<std::string>> prints;
        for (const auto& e : std::filesystem::directory_iterator(Path("pdf"))) {
            const std::string name = e.path().filename().string();
            if (!Taken.insert(name).second) continue;
            const std::string text =
                platform_test::RunTool("pdftotext", {QString::fromStdString(e.path().string()), "-"});
            std::vector<std::string>& pages = prints[name.substr(name.find('-') + 1)];
            for (size_t from = 0, end; (end = text.find('\f', from)) != std::string::npos; from = end + 1)
                pages.push_back(text.substr(from, end - from));
        }
        return prints;
    }

    // What the document's print gives when nothing else happens.
    std::map<std::string, std::vector<std::string>> PrintAlone(TChildForm& child) {
        NewPrints();
        child.FilePrintClick(true);
        return NewPrints();
    }

    platform::TQtWaiter Waiter;
    platform::TWaiterScope WaiterScope{Waiter};
    TChildForm* One = nullptr;
    TChildForm* Two = nullptr;
    std::set<std::string> Taken;
};

// Every page's text mentions the document and never the other.
void ExpectOwnPages(const std::map<std::string, std::vector<std::string>>& prints, const std::string& own,
                    const std::string& other) {
    EXPECT_FALSE(prints.empty());
    for (const auto& [title, pages] : prints) {
        EXPECT_TRUE(title.starts_with(own + "-")) << title;
        for (const std::string& page : pages) {
            EXPECT_EQ(page.find(other), std::string::npos) << title << "\n" << page;
            if (title.ends_with("-Route.pdf")) {
                EXPECT_NE(page.find(own + "-"), std::string::npos) << title << "\n" << page;
            }
        }
    }
}

TEST_F(PrintBusyTest, WhileADocumentPrintsNothingClosesAndNothingElseStarts) {
    const std::pair<const char*, uint8_t> prints[] = {{"listing and chart", kPrintListing | kPrintGraph},
                                                      {"chart alone, its job open", kPrintGraph}};
    for (const auto& [what, flags] : prints) {
        SCOPED_TRACE(what);
        One->PrintFlags = flags;
        Two->PrintFlags = kPrintGraph;
        const auto alone = PrintAlone(*One);
        ExpectOwnPages(alone, "one.halvo", "two.halvo");
        Form->Client().setActiveSubWindow(SubWindowOf(One));
        ASSERT_EQ(Form->ActiveChild(), One);

        // The user acts at the print's first pass of the event loop.
        bool pumped = false, windowClosed = true, frameClosed = true;
        bool printEnabled = true, readingEnabled = true, executeEnabled = true, portEnabled = true,
             graphEnabled = true;
        QTimer::singleShot(0, Form.get(), [&] {
            pumped = true;
            portEnabled = Form->findChild<QAction*>("CommSetup")->isEnabled();
            graphEnabled = One->GraphMenu()->isEnabled();
            readingEnabled = PageButton(*Two, 2, "Btn1")->isEnabled();
            executeEnabled = PageButton(*Two, 2, "Btn2")->isEnabled();
            windowClosed = SubWindowOf(One)->close();
            frameClosed = Form->close();
            // The other document, made active, neither prints nor sets the printer up.
            Form->Client().setActiveSubWindow(SubWindowOf(Two));
            printEnabled = Find<QToolButton>(*Form, "btnPrint")->isEnabled();
            for (QAction* action : Two->FileMenu()->actions())
                if (action->text() == "Print" || action->text() == "Print preview")
                    printEnabled = printEnabled || action->isEnabled();
            Form->btnPrintClick();
            Two->ReadDevice();
        });
        QTest::mouseClick(Find<QToolButton>(*Form, "btnPrint"), Qt::LeftButton);
        QApplication::processEvents();

        EXPECT_TRUE(pumped);
        EXPECT_FALSE(windowClosed);
        EXPECT_FALSE(frameClosed);
        EXPECT_FALSE(printEnabled);
        EXPECT_FALSE(readingEnabled);
        EXPECT_FALSE(executeEnabled);
        EXPECT_FALSE(portEnabled);
        EXPECT_FALSE(graphEnabled);
        EXPECT_EQ(Form->Children(), (std::vector<TChildForm*>{One, Two}));
        EXPECT_TRUE(Prompts.Log.empty());
        EXPECT_TRUE(Find<QPlainTextEdit>(*Two, "MemoMessage")->toPlainText().isEmpty());
        EXPECT_EQ(NewPrints(), alone);
        EXPECT_FALSE(Form->PrintTarget().Printing());

        // Once it has ended, all is possible again.
        EXPECT_TRUE(Find<QToolButton>(*Form, "btnPrint")->isEnabled());
        EXPECT_TRUE(Form->findChild<QAction*>("CommSetup")->isEnabled());
        EXPECT_TRUE(One->GraphMenu()->isEnabled());
        EXPECT_TRUE(PageButton(*One, 2, "Btn1")->isEnabled());
        EXPECT_TRUE(PageButton(*Two, 2, "Btn1")->isEnabled());
        ExpectOwnPages(PrintAlone(*Two), "two.halvo", "one.halvo");
    }
    EXPECT_TRUE(Form->close());
}

using PdfFolderTest = MainFormTest;

// $HALVO_PDF_DIR names the program's printer even while its folder is missing at the start:
// each print says the folder is missing, the chart as the listing does, and nothing goes
// to paper; once the folder is made, the prints go into it.
TEST_F(PdfFolderTest, AFolderMissingAtTheStartIsStillWherePrintsGo) {
    const std::string folder = Path("pdf");
    setenv("HALVO_PDF_DIR", folder.c_str(), 1);
    Form = std::make_unique<TMainForm>(std::vector<std::string>{}, std::string(HALVO_BIN_DIR) + "/Trevolan");
    unsetenv("HALVO_PDF_DIR");
    Form->show();
    QApplication::processEvents();
    Form->OpenDialogFileName = Sample("one.halvo");
    Form->MF_OpenClick(false);
    TChildForm* child = Form->ActiveChild();
    ASSERT_NE(child, nullptr);
    const std::string missing = " could not be printed: the folder " + folder + " does not exist";
    for (const auto& [flags, text] : {std::pair<uint8_t, std::string>{kPrintGraph, "The chart" + missing},
                                      {kPrintListing, "The listing" + missing}}) {
        SCOPED_TRACE(text);
        Prompts.Log.clear();
        child->PrintFlags = flags;
        Find<QToolButton>(*Form, "btnPrint")->click();
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text, text);
        EXPECT_EQ(Prompts.Log[0].Caption, "Error");
    }
    std::filesystem::create_directory(folder);
    Prompts.Log.clear();
    child->PrintFlags = kPrintListing | kPrintGraph;
    Find<QToolButton>(*Form, "btnPrint")->click();
    EXPECT_TRUE(Prompts.Log.empty());
    EXPECT_EQ(platform_test::FileNames(folder),
              (std::set<std::string>{"001-one.halvo-Sequence 1-Listing.pdf",
                                     "002-one.halvo-Sequence 1-Route.pdf"}));
}

}  // namespace
}  // namespace app::test
