#include "platform/qt/QtPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/PagedPrintTarget.h"

namespace platform {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

struct TButtonPair {
    unsigned Bit;
    QMessageBox::StandardButton Button;
    int Result;
};

constexpr TButtonPair kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbAll, QMessageBox::YesToAll, mrAll},
};

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::Warning:
            return QMessageBox::Warning;
        case TMsgDlgType::Error:
            return QMessageBox::Critical;
        case TMsgDlgType::Information:
            return QMessageBox::Information;
        case TMsgDlgType::Confirmation:
            return QMessageBox::Question;
        case TMsgDlgType::Custom:
            break;
    }
    return QMessageBox::NoIcon;
}

int RunBox(QMessageBox::Icon icon, const QString& caption, const std::string& text, unsigned buttons) {
    QMessageBox box(icon, caption, Q(text), TQtPrompts::ButtonsOf(buttons), QApplication::activeWindow());
    box.setObjectName("MessageBox");
    return TQtPrompts::ResultOf(box.exec());
}

constexpr QPageSize::PageSizeId kPaperSizes[] = {QPageSize::A3, QPageSize::A4, QPageSize::A5,
                                                 QPageSize::Letter, QPageSize::Legal};

// The paper and orientation of a page layout, for a target that is no printer of the
// system's (Qt's page setup dialog works on those alone). The margins stay as they are.
bool RunPageLayoutDialog(QPageLayout& layout) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("PrinterSetupDialog");
    dialog.setWindowTitle("Page Setup");
    auto* paper = new QComboBox(&dialog);
    paper->setObjectName("cbPaperSize");
    for (const QPageSize::PageSizeId id : kPaperSizes) paper->addItem(QPageSize::name(id), int{id});
    const int current = paper->findData(int{layout.pageSize().id()});
    if (current < 0) paper->addItem(layout.pageSize().name(), int{layout.pageSize().id()});
    paper->setCurrentIndex(current < 0 ? paper->count() - 1 : current);
    auto* portrait = new QRadioButton("Portrait", &dialog);
    portrait->setObjectName("rbPortrait");
    auto* landscape = new QRadioButton("Landscape", &dialog);
    landscape->setObjectName("rbLandscape");
    (layout.orientation() == QPageLayout::Landscape ? landscape : portrait)->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* orientation = new QVBoxLayout;
    orientation->addWidget(portrait);
    orientation->addWidget(landscape);
    auto* form = new QFormLayout;
    form->addRow("Paper size", paper);
    form->addRow("Orientation", orientation);
    auto* all = new QVBoxLayout(&dialog);
    all->addLayout(form);
    all->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QPageSize size(static_cast<QPageSize::PageSizeId>(paper->currentData().toInt()));
    layout.setPageSize(size);
    layout.setOrientation(landscape->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
    return true;
}

}  // namespace

TQtPrompts::TQtPrompts() = default;
TQtPrompts::~TQtPrompts() = default;

QString TQtPrompts::CaptionOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::Warning:
            return "Warning";
        case TMsgDlgType::Error:
            return "Error";
        case TMsgDlgType::Information:
            return "Information";
        case TMsgDlgType::Confirmation:
            return "Confirm";
        case TMsgDlgType::Custom:
            break;
    }
    return QCoreApplication::applicationName();
}

QMessageBox::StandardButtons TQtPrompts::ButtonsOf(unsigned buttons) {
    QMessageBox::StandardButtons result;
    for (const TButtonPair& pair : kButtons)
        if (buttons & pair.Bit) result |= pair.Button;
    return result ? result : QMessageBox::StandardButtons(QMessageBox::Ok);
}

int TQtPrompts::ResultOf(int standardButton) {
    for (const TButtonPair& pair : kButtons)
        if (standardButton == pair.Button) return pair.Result;
    // Closed without a button.
    return mrCancel;
}

QStringList TQtPrompts::NameFilters(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        filters << parts[i] + " (" + patterns + ")";
    }
    return filters;
}

QString TQtPrompts::FirstSuffix(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    if (parts.size() < 2) return {};
    const QString pattern = parts[1].trimmed();
    const QString suffix = pattern.mid(2);
    if (!pattern.startsWith("*.") || suffix.isEmpty() || suffix.contains(QRegularExpression("[*?; ]")))
        return {};
    return suffix;
}

void TQtPrompts::PrepareFileDialog(QFileDialog& dialog, bool save, const std::string& title,
                                   const std::string& filter, const std::string& initial, int filterIndex) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(Q(title));
    // Either way a name that does not exist is accepted: the caller asks what it is for.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Replacing a file is the caller's question.
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = NameFilters(filter);
    dialog.setNameFilters(filters);
    const int index = filters.empty() ? 0 : std::clamp(filterIndex, 1, static_cast<int>(filters.size())) - 1;
    if (!filters.empty()) dialog.selectNameFilter(filters[index]);
    if (!initial.empty()) {
        const QFileInfo info(Q(initial));
        if (Q(initial).contains('/')) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }
}

std::optional<std::string> TQtPrompts::FileDialog(bool save, const std::string& title,
                                                  const std::string& filter, const std::string& initial,
                                                  int* filterIndex) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(save ? "SaveDialog" : "OpenDialog");
    PrepareFileDialog(dialog, save, title, filter, initial, filterIndex ? *filterIndex : 1);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.empty()) return std::nullopt;
    const int chosenFilter = static_cast<int>(NameFilters(filter).indexOf(dialog.selectedNameFilter())) + 1;
    if (filterIndex) *filterIndex = chosenFilter;
    QString name = files.front();
    // A bare name saved under the first choice gets its extension; under any other
    // choice it stays as typed.
    const QString suffix = FirstSuffix(filter);
    if (save && chosenFilter == 1 && !suffix.isEmpty() && !QFileInfo(name).fileName().contains('.'))
        name += "." + suffix;
    return name.toStdString();
}

int TQtPrompts::MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons) {
    return RunBox(IconOf(type), CaptionOf(type), text, buttons);
}

void TQtPrompts::ShowMessage(const std::string& text) {
    RunBox(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, mbOK);
}

int TQtPrompts::MessageBox(const std::string& text, const std::string& caption, unsigned buttons) {
    return RunBox(QMessageBox::NoIcon, Q(caption), text, buttons);
}

std::optional<std::string> TQtPrompts::OpenFileName(const std::string& title, const std::string& filter,
                                                    const std::string& initial, int* filterIndex) {
    return FileDialog(false, title, filter, initial, filterIndex);
}

std::optional<std::string> TQtPrompts::SaveFileName(const std::string& title, const std::string& filter,
                                                    const std::string& initial, int* filterIndex) {
    return FileDialog(true, title, filter, initial, filterIndex);
}

bool TQtPrompts::PrinterSetup() {
    if (QPrinter* printer = FTarget ? FTarget->NativePrinter() : nullptr) {
        QPageSetupDialog dialog(printer, QApplication::activeWindow());
        dialog.setObjectName("PrinterSetupDialog");
        return dialog.exec() == QDialog::Accepted;
    }
    QPageLayout layout = FTarget ? FTarget->PageLayout() : FOwnLayout;
    if (!RunPageLayoutDialog(layout)) return false;
    if (FTarget)
        FTarget->SetPageLayout(layout);
    else
        FOwnLayout = layout;
    return true;
}

std::optional<std::string> TQtPrompts::InputQuery(const std::string& caption, const std::string& prompt,
                                                  const std::string& value) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("InputQuery");
    dialog.setWindowTitle(Q(caption));
    dialog.setLabelText(Q(prompt));
    dialog.setTextValue(Q(value));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

}  // namespace platform
