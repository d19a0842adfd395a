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

int Pixels(double mm) {
    return static_cast<int>(std::nearbyint(mm / 25.4 * TPdfPrintTarget::kDpi));
}

QPageLayout WithMargins(const QPageSize& size, QPageLayout::Orientation orientation) {
    constexpr double m = TPdfPrintTarget::kMarginMM;
    return QPageLayout(size, orientation, QMarginsF(m, m, m, m), QPageLayout::Millimeter);
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

TPdfPrintTarget::TPdfPrintTarget(std::string folder)
    : FFolder(std::move(folder)), FLayout(WithMargins(QPageSize(QPageSize::A4), QPageLayout::Portrait)) {}

TPdfPrintTarget::~TPdfPrintTarget() {
    if (Printing()) EndJob();
}

// The device's size is whole millimetres, cut.
int TPdfPrintTarget::PageWidthMM() const {
    return static_cast<int>(std::floor(FLayout.paintRect(QPageLayout::Millimeter).width()));
}

int TPdfPrintTarget::PageHeightMM() const {
    return static_cast<int>(std::floor(FLayout.paintRect(QPageLayout::Millimeter).height()));
}

int TPdfPrintTarget::PageWidthPixels() const {
    return Pixels(PageWidthMM());
}

int TPdfPrintTarget::PageHeightPixels() const {
    return Pixels(PageHeightMM());
}

TPrinterOrientation TPdfPrintTarget::Orientation() const {
    return FLayout.orientation() == QPageLayout::Landscape ? TPrinterOrientation::Landscape
                                                           : TPrinterOrientation::Portrait;
}

void TPdfPrintTarget::SetPageLayout(const QPageLayout& layout) {
    if (layout.pageSize().isValid()) FLayout = WithMargins(layout.pageSize(), layout.orientation());
}

bool TPdfPrintTarget::BeginJob(const std::string& title) {
    if (Printing()) return false;
    const QString folder = QString::fromStdString(FFolder);
    // A name that is no folder is told by the file it cannot hold, with the system's reason.
    if (!QFileInfo::exists(folder)) {
        FLastError = "the folder " + FFolder + " does not exist";
        return false;
    }
    const QString name = TitleForFileName(title);
    // Another writer may take a number first: the next one is tried, never overwritten.
    auto file = std::make_unique<TCheckedFile>();
    for (int n = HighestNumber(folder) + 1;; ++n) {
        const QString path = QDir(folder).filePath(
            QStringLiteral("%1-%2.pdf").arg(n, kNumberDigits, 10, QChar('0')).arg(name));
        file->setFileName(path);
        if (file->OpenForWriting(QIODevice::NewOnly)) break;
        if (!file->exists() || n >= 100000) {
            FLastError = "the file " + path.toStdString() +
                         " could not be created: " + file->errorString().toStdString();
            return false;
        }
    }
    return BeginPdf(std::move(file), FLayout, kDpi, title);
}

bool TPdfPrintTarget::EndJob() {
    return EndPdf(true);
}

void TPdfPrintTarget::Abort() {
    if (!Printing()) return;
    EndPdf(false);
    FAborted = true;
}

}  // namespace platform
