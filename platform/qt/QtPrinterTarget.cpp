#include "platform/qt/QtPrinterTarget.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <cmath>
#include <cstdlib>

#include "platform/qt/PdfPrintTarget.h"

namespace platform {

namespace {

// Where Qt's page setup dialog keeps the CUPS options it chose (pages per sheet, ...):
// name and value pairs.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

const char* Sides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation) {
    switch (duplex) {
        case QPrinter::DuplexNone:
            return "one-sided";
        case QPrinter::DuplexAuto:
            return orientation == QPageLayout::Portrait ? "two-sided-long-edge" : "two-sided-short-edge";
        case QPrinter::DuplexLongSide:
            return "two-sided-long-edge";
        case QPrinter::DuplexShortSide:
            return "two-sided-short-edge";
    }
    return "one-sided";
}

}  // namespace

TQtPrinterTarget::TQtPrinterTarget() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    FPrinter = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                             : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

TQtPrinterTarget::~TQtPrinterTarget() {
    if (Printing()) EndJob();
}

bool TQtPrinterTarget::HasPrinter() const {
    return !QPrinterInfo::defaultPrinter().isNull() && FPrinter->isValid();
}

// The device's size is whole millimetres, cut.
int TQtPrinterTarget::PageWidthMM() const {
    return static_cast<int>(std::floor(FPrinter->pageLayout().paintRect(QPageLayout::Millimeter).width()));
}

int TQtPrinterTarget::PageHeightMM() const {
    return static_cast<int>(std::floor(FPrinter->pageLayout().paintRect(QPageLayout::Millimeter).height()));
}

int TQtPrinterTarget::PageWidthPixels() const {
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).width();
}

int TQtPrinterTarget::PageHeightPixels() const {
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).height();
}

TPrinterOrientation TQtPrinterTarget::Orientation() const {
    return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? TPrinterOrientation::Landscape
                                                                          : TPrinterOrientation::Portrait;
}

int TQtPrinterTarget::PixelsPerInchX() const {
    return FPrinter->resolution();
}

int TQtPrinterTarget::PixelsPerInchY() const {
    return FPrinter->resolution();
}

bool TQtPrinterTarget::BeginJob(const std::string& title) {
    if (Printing() || !HasPrinter()) return false;
    QTemporaryFile file(QDir(QDir::tempPath()).filePath("halvo-print-XXXXXX.job"));
    file.setAutoRemove(false);
    if (!file.open()) return false;
    FJobFile = file.fileName();
    file.close();
    // A name not ending in ".pdf" keeps the printer's own engine, page and options.
    FPrinter->setOutputFileName(FJobFile);
    FPrinter->setDocName(QString::fromStdString(title));
    if (BeginPainting(*FPrinter, title)) return true;
    DropJobFile();
    return false;
}

void TQtPrinterTarget::EndJob() {
    if (!Printing()) return;
    EndPainting();
    SubmitJobFile();
    DropJobFile();
}

void TQtPrinterTarget::Abort() {
    if (!Printing()) return;
    EndPainting();
    DropJobFile();
    FAborted = true;
}

void TQtPrinterTarget::SubmitJobFile() const {
    // The queue's name without an instance ("queue/instance").
    const QByteArray queue = FPrinter->printerName().section('/', 0, 0).toLocal8Bit();
    if (queue.isEmpty()) return;
    const QPageLayout layout = FPrinter->pageLayout();
    cups_option_t* options = nullptr;
    int count = cupsAddOption("media", layout.pageSize().key().toLocal8Bit().constData(), 0, &options);
    if (FPrinter->copyCount() > 1) {
        count =
            cupsAddOption("copies", QByteArray::number(FPrinter->copyCount()).constData(), count, &options);
        if (FPrinter->collateCopies()) count = cupsAddOption("Collate", "True", count, &options);
    }
    count = cupsAddOption("sides", Sides(FPrinter->duplex(), layout.orientation()), count, &options);
    if (layout.orientation() == QPageLayout::Landscape)
        count = cupsAddOption("landscape", "", count, &options);
    const QStringList chosen = FPrinter->printEngine()->property(kCupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        count = cupsAddOption(chosen[i].toLocal8Bit().constData(), chosen[i + 1].toLocal8Bit().constData(),
                              count, &options);
    cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(FJobFile).constData(),
                   FPrinter->docName().toLocal8Bit().constData(), count, options);
    cupsFreeOptions(count, options);
}

void TQtPrinterTarget::DropJobFile() {
    FPrinter->setOutputFileName(QString());
    QFile::remove(FJobFile);
    FJobFile.clear();
}

std::unique_ptr<IPrintTarget> MakeProgramPrinter() {
    const char* folder = std::getenv("HALVO_PDF_DIR");
    if (folder && *folder && QFileInfo(QString::fromLocal8Bit(folder)).isDir())
        return std::make_unique<TPdfPrintTarget>(folder);
    return std::make_unique<TQtPrinterTarget>();
}

}  // namespace platform
