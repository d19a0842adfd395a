#pragma once
// The GUI's prompts: message boxes, file dialogs, the input box and the page setup, as
// Qt dialogs over the active window.
#include <QFileDialog>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "platform/Prompts.h"

namespace platform {

class TPagedPrintTarget;

class TQtPrompts : public IPrompts {
public:
    TQtPrompts();
    ~TQtPrompts() override;

    int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) override;
    void ShowMessage(const std::string& text) override;
    int MessageBox(const std::string& text, const std::string& caption, unsigned buttons = mbOK) override;
    // The open dialog accepts a name that does not exist yet; the caller offers to create it.
    std::optional<std::string> OpenFileName(const std::string& title, const std::string& filter,
                                            const std::string& initial, int* filterIndex = nullptr) override;
    // The caller asks about replacing a file, not the dialog; the first choice's
    // extension is added to a bare name only while that choice is selected.
    std::optional<std::string> SaveFileName(const std::string& title, const std::string& filter,
                                            const std::string& initial, int* filterIndex = nullptr) override;
    bool PrinterSetup() override;
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& value) override;

    // The print target whose pages the page setup chooses: the system's page setup dialog
    // for a printer of the system's, else a dialog of paper size and orientation. Without
    // one, that dialog keeps its choice to itself.
    void SetPrintTarget(TPagedPrintTarget* target) { FTarget = target; }

    // How the pieces are made, for the dialogs above and their tests.
    static QString CaptionOf(TMsgDlgType type);
    static QMessageBox::StandardButtons ButtonsOf(unsigned buttons);
    static int ResultOf(int standardButton);
    // "Name|pattern|Name|pattern" as Qt's name filters "Name (pattern)".
    static QStringList NameFilters(const std::string& filter);
    // The first choice's extension when its pattern is "*.ext", else empty.
    static QString FirstSuffix(const std::string& filter);
    static void PrepareFileDialog(QFileDialog& dialog, bool save, const std::string& title,
                                  const std::string& filter, const std::string& initial, int filterIndex);

private:
    std::optional<std::string> FileDialog(bool save, const std::string& title, const std::string& filter,
                                          const std::string& initial, int* filterIndex);

    TPagedPrintTarget* FTarget = nullptr;
    QPageLayout FOwnLayout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
};

}  // namespace platform
