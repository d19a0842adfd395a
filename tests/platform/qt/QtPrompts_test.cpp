// The GUI's prompts as real dialogs, offscreen; a timer answers each one as a user would.
#include "platform/qt/QtPrompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/qt/PdfPrintTarget.h"
#include "tests/platform/qt/PdfTools.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

// Runs answer on the modal dialog once it is up; a second modal (a question the dialog
// should not ask) is recorded and dismissed so nothing hangs.
class PromptsTest : public testing::Test {
protected:
    void Answer(std::function<void(QWidget&)> answer) {
        QTimer::singleShot(0, &Context, [this, answer] { AnswerWhenUp(answer, 0); });
    }
    void AnswerWhenUp(const std::function<void(QWidget&)>& answer, int tries) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && tries < 200) {
            QTimer::singleShot(10, &Context, [this, answer, tries] { AnswerWhenUp(answer, tries + 1); });
            return;
        }
        ASSERT_NE(modal, nullptr) << "no dialog came up";
        ShownTitle = modal->windowTitle();
        ShownName = modal->objectName();
        QTimer::singleShot(300, &Context, [this] { DismissExtraModal(); });
        answer(*modal);
    }
    void DismissExtraModal() {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ExtraQuestions.push_back(box->text().toStdString());
            box->reject();
        }
    }

    QApplication& Application = platform_test::QtTestApp<QApplication>();
    // The timers end with the test.
    QObject Context;
    TQtPrompts Prompts;
    QString ShownTitle, ShownName;
    std::vector<std::string> ExtraQuestions;
    platform_test::TTempDir Dir;
};

TEST_F(PromptsTest, AMessageIsCaptionedByItsTypeAndGivesTheButtonPressed) {
    struct TRow {
        TMsgDlgType Type;
        const char* Caption;
        QMessageBox::Icon Icon;
    };
    const TRow rows[] = {{TMsgDlgType::Warning, "Warning", QMessageBox::Warning},
                         {TMsgDlgType::Error, "Error", QMessageBox::Critical},
                         {TMsgDlgType::Information, "Information", QMessageBox::Information},
                         {TMsgDlgType::Confirmation, "Confirm", QMessageBox::Question}};
    for (const TRow& row : rows) {
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
        Answer([&](QWidget& w) {
            auto& box = dynamic_cast<QMessageBox&>(w);
            caption = box.windowTitle();
            text = box.text();
            icon = box.icon();
            buttons = static_cast<int>(box.buttons().size());
            box.button(QMessageBox::No)->click();
        });
        EXPECT_EQ(Prompts.MessageDlg("Replace?", row.Type, mbYes | mbNo | mbCancel), mrNo) << row.Caption;
        EXPECT_EQ(caption, row.Caption);
        EXPECT_EQ(text, "Replace?");
        EXPECT_EQ(icon, row.Icon) << row.Caption;
        EXPECT_EQ(buttons, 3);
    }
}

TEST_F(PromptsTest, AMessageBoxHasTheGivenCaptionAndClosingItIsCancel) {
    QString caption;
    Answer([&](QWidget& w) {
        caption = w.windowTitle();
        dynamic_cast<QMessageBox&>(w).button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(Prompts.MessageBox("-h text", "Information:", mbOK), mrOk);
    EXPECT_EQ(caption, "Information:");

    Answer([](QWidget& w) { dynamic_cast<QMessageBox&>(w).button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(
        Prompts.MessageBox("Save settings - parset 1", "Confirm realization of recommendation", mbYes | mbNo),
        mrYes);
}

TEST_F(PromptsTest, FiltersAndSuffixAreMadeFromTheFilterText) {
    EXPECT_EQ(TQtPrompts::NameFilters("Registration file|*.halvo|All files|*.*"),
              (QStringList{"Registration file (*.halvo)", "All files (*.*)"}));
    EXPECT_EQ(TQtPrompts::FirstSuffix("Registration file|*.halvo|All files|*.*"), "halvo");
    EXPECT_EQ(TQtPrompts::FirstSuffix("All files|*.*"), "");
    EXPECT_EQ(TQtPrompts::FirstSuffix("Pictures|*.png;*.bmp"), "");
    EXPECT_EQ(TQtPrompts::ButtonsOf(0), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(TQtPrompts::ResultOf(QMessageBox::NoButton), mrCancel);
}

constexpr const char* kFilter = "Registration file|*.halvo|All files|*.*";

// Types a name into the file dialog, the filter chosen as a user would, and confirms.
std::function<void(QWidget&)> TypeName(const QString& name, int filter = 0) {
    return [name, filter](QWidget& w) {
        auto& dialog = dynamic_cast<QFileDialog&>(w);
        if (filter > 0) {
            auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
            ASSERT_NE(types, nullptr);
            types->setCurrentIndex(filter);
            emit types->activated(filter);
        }
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(name);
        static_cast<QDialog&>(dialog).accept();
    };
}

TEST_F(PromptsTest, TheSaveDialogAddsTheSuffixOnlyUnderTheFirstFilter) {
    const QString dir = QString::fromStdString(Dir.Path());
    int filterIndex = 1;
    Answer(TypeName("report"));
    EXPECT_EQ(Prompts.SaveFileName("Save As", kFilter, Dir.File("old.halvo"), &filterIndex),
              Dir.File("report.halvo"));
    EXPECT_EQ(filterIndex, 1);

    Answer(TypeName("raw", 1));
    EXPECT_EQ(Prompts.SaveFileName("Save As", kFilter, Dir.File("old.halvo"), &filterIndex), Dir.File("raw"));
    EXPECT_EQ(filterIndex, 2);

    // Started under "All files": no suffix.
    Answer(TypeName("buffer"));
    EXPECT_EQ(Prompts.SaveFileName("Save As", kFilter, Dir.File("x"), &filterIndex), Dir.File("buffer"));
    EXPECT_TRUE(ExtraQuestions.empty());
}

TEST_F(PromptsTest, TheSaveDialogAsksNothingAboutAnExistingFile) {
    Dir.Write("kept.halvo", "x");
    Answer(TypeName("kept.halvo"));
    EXPECT_EQ(Prompts.SaveFileName("Save As", kFilter, Dir.File("")), Dir.File("kept.halvo"));
    EXPECT_TRUE(ExtraQuestions.empty()) << ExtraQuestions.front();
    EXPECT_EQ(ShownTitle, "Save As");
}

TEST_F(PromptsTest, TheOpenDialogAcceptsAMissingNameAndStartsInTheGivensFolder) {
    QString folder;
    Answer([&](QWidget& w) {
        folder = dynamic_cast<QFileDialog&>(w).directory().absolutePath();
        TypeName("new.halvo")(w);
    });
    EXPECT_EQ(Prompts.OpenFileName("Open", kFilter, Dir.File("old.halvo")), Dir.File("new.halvo"));
    EXPECT_EQ(folder.toStdString(), std::filesystem::canonical(Dir.Path()).string());

    Answer([](QWidget& w) { dynamic_cast<QDialog&>(w).reject(); });
    EXPECT_EQ(Prompts.OpenFileName("Open", kFilter, ""), std::nullopt);
}

TEST_F(PromptsTest, TheInputBoxGivesTheEditedAnswerOrNothing) {
    QString caption, label;
    Answer([&](QWidget& w) {
        auto& dialog = dynamic_cast<QInputDialog&>(w);
        caption = dialog.windowTitle();
        label = dialog.labelText();
        dialog.setTextValue(dialog.textValue() + "2");
        dialog.accept();
    });
    EXPECT_EQ(Prompts.InputQuery("Record", "Number of the record", "1"), "12");
    EXPECT_EQ(caption, "Record");
    EXPECT_EQ(label, "Number of the record");
    Answer([](QWidget& w) { dynamic_cast<QDialog&>(w).reject(); });
    EXPECT_EQ(Prompts.InputQuery("Record", "Number of the record", "1"), std::nullopt);
}

// Qt's warnings about its page setup dialog while it lives.
class TQtWarnings {
public:
    TQtWarnings() : FPrevious(qInstallMessageHandler(&TQtWarnings::Handle)) { Texts().clear(); }
    ~TQtWarnings() { qInstallMessageHandler(FPrevious); }
    static std::vector<std::string>& Texts() {
        static std::vector<std::string> texts;
        return texts;
    }

private:
    static void Handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        if (text.contains("QPageSetupDialog")) Texts().push_back(text.toStdString());
    }
    QtMessageHandler FPrevious;
};

// The page setup of the PDF folder: its paper and orientation reach the PDF pages and
// the sizes the target reports, and Qt's dialog for printers of the system's is not used
// on it.
TEST_F(PromptsTest, ThePageSetupChoosesThePdfPages) {
    TPdfPrintTarget target(Dir.Path());
    Prompts.SetPrintTarget(&target);
    struct TRow {
        const char* Paper;
        bool Landscape;
        bool Ok;
        TPrinterOrientation Orientation;
        int WidthMM, HeightMM;  // the printable area, 5 mm inside the paper
        const char* Points;
    };
    const TRow rows[] = {
        {"A4", true, true, TPrinterOrientation::Landscape, 287, 200, "842 x 595"},
        {"A3", false, false, TPrinterOrientation::Landscape, 287, 200, "842 x 595"},  // cancelled
        {"A3", false, true, TPrinterOrientation::Portrait, 287, 410, "842 x 1191"},
        {"A5", true, true, TPrinterOrientation::Landscape, 200, 138, "595 x 420"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(std::string(row.Paper) + (row.Landscape ? " landscape" : " portrait"));
        const TQtWarnings warnings;
        Answer([&](QWidget& w) {
            auto& dialog = dynamic_cast<QDialog&>(w);
            auto* paper = w.findChild<QComboBox*>("cbPaperSize");
            auto* orientation = w.findChild<QRadioButton*>(row.Landscape ? "rbLandscape" : "rbPortrait");
            if (!paper || !orientation) {
                ADD_FAILURE() << "no paper size and orientation in the page setup";
                return dialog.reject();
            }
            paper->setCurrentIndex(paper->findText(row.Paper, Qt::MatchStartsWith));
            orientation->setChecked(true);
            row.Ok ? dialog.accept() : dialog.reject();
        });
        EXPECT_EQ(Prompts.PrinterSetup(), row.Ok);
        EXPECT_EQ(ShownName, "PrinterSetupDialog");
        EXPECT_EQ(ShownTitle, "Page Setup");
        EXPECT_EQ(warnings.Texts(), std::vector<std::string>{});
        EXPECT_EQ(target.Orientation(), row.Orientation);
        EXPECT_EQ(target.PageWidthMM(), row.WidthMM);
        EXPECT_EQ(target.PageHeightMM(), row.HeightMM);
        ASSERT_TRUE(target.BeginJob("page"));
        target.Canvas()->TextOut(0, 0, "page");
        ASSERT_TRUE(target.EndJob()) << target.LastError();
        EXPECT_EQ(platform_test::PdfPageSizePoints(target.FileName()), row.Points);
    }
}

TEST_F(PromptsTest, WithoutATargetThePageSetupKeepsItsChoice) {
    const TQtWarnings warnings;
    Answer([](QWidget& w) {
        auto& dialog = dynamic_cast<QDialog&>(w);
        auto* landscape = w.findChild<QRadioButton*>("rbLandscape");
        if (!landscape) {
            ADD_FAILURE() << "no orientation in the page setup";
            return dialog.reject();
        }
        landscape->setChecked(true);
        dialog.accept();
    });
    EXPECT_TRUE(Prompts.PrinterSetup());
    bool landscape = false;
    Answer([&](QWidget& w) {
        const auto* button = w.findChild<QRadioButton*>("rbLandscape");
        landscape = button && button->isChecked();
        dynamic_cast<QDialog&>(w).reject();
    });
    EXPECT_FALSE(Prompts.PrinterSetup());
    EXPECT_TRUE(landscape);
    EXPECT_EQ(warnings.Texts(), std::vector<std::string>{});
}

}  // namespace
}  // namespace platform
