#include "platform/qt/PdfPrintTarget.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <cmath>

namespace platform {

namespace {

constexpr int kNumberDigits = 3;
constexpr int kTitleMax = 100;  // characters of the title in the file name

int A4Pixels(double mm) {
    return static_cast<int>(std::nearbyint(mm / 25.4 * TPdfPrintTarget::kDpi));
}

// A file name from a job title: no folder separators or control characters.
QString TitleForFileName(const std::string& title) {
    QString name = QString::fromStdString(title).left(kTitleMax);
    for (QChar& c : name)
        if (c == '/' || c == '\\' || c.category() == QChar::Other_Control) c = '_';
    return name.isEmpty() ? QStringLiteral("print") : name;
}

// The highest job number among the folder's "NNN-*.pdf" files.
int HighestNumber(const QString& folder) {
    int highest = 0;
    const QStringList names = QDir(folder).entryList({"*.pdf"}, QDir::Files);
    for (const QString& name : names) {
        bool ok = false;
        const int n = name.left(kNumberDigits).toInt(&ok);
        if (ok && name.size() > kNumberDigits && name[kNumberDigits] == '-') highest = std::max(highest, n);
    }
    return highest;
}

}  // namespace

TPdfPrintTarget::TPdfPrintTarget(std::string folder) : FFolder(std::move(folder)) {}

TPdfPrintTarget::~TPdfPrintTarget() {
    if (Printing()) EndJob();
}

bool TPdfPrintTarget::HasPrinter() const {
    return QFileInfo(QString::fromStdString(FFolder)).isDir();
}

int TPdfPrintTarget::PageWidthPixels() const {
    return A4Pixels(PageWidthMM());
}

int TPdfPrintTarget::PageHeightPixels() const {
    return A4Pixels(PageHeightMM());
}

bool TPdfPrintTarget::BeginJob(const std::string& title) {
    if (Printing() || !HasPrinter()) return false;
    const QString folder = QString::fromStdString(FFolder);
    const QString name = TitleForFileName(title);
    // Another writer may take a number first: the next one is tried, never overwritten.
    auto file = std::make_unique<QFile>();
    for (int n = HighestNumber(folder) + 1;; ++n) {
        const QString path = QDir(folder).filePath(
            QStringLiteral("%1-%2.pdf").arg(n, kNumberDigits, 10, QChar('0')).arg(name));
        file->setFileName(path);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) break;
        if (!file->exists() || n >= 100000) return false;
    }
    FWriter = std::make_unique<QPdfWriter>(file.get());
    FWriter->setResolution(kDpi);
    const QMarginsF margins(kMarginMM, kMarginMM, kMarginMM, kMarginMM);
    FWriter->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, margins, QPageLayout::Millimeter));
    FWriter->setTitle(QString::fromStdString(title));
    FWriter->setCreator("HALVO service");
    FFile = std::move(file);
    if (!BeginPainting(*FWriter, title)) {
        CloseFile(false);
        return false;
    }
    FFileName = FFile->fileName().toStdString();
    return true;
}

void TPdfPrintTarget::CloseFile(bool keep) {
    FWriter.reset();
    FFile->close();
    if (!keep) FFile->remove();
    FFile.reset();
}

void TPdfPrintTarget::EndJob() {
    if (!Printing()) return;
    EndPainting();
    CloseFile(true);
}

void TPdfPrintTarget::Abort() {
    if (!Printing()) return;
    EndPainting();
    CloseFile(false);
    FAborted = true;
}

}  // namespace platform
