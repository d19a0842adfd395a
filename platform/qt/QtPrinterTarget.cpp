#include "platform/qt/QtPrinterTarget.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPrinterInfo>
#include <cmath>
#include <cstdlib>

#include "platform/qt/PdfPrintTarget.h"

namespace platform {

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
    FPrinter->setDocName(QString::fromStdString(title));
    return BeginPainting(*FPrinter, title);
}

void TQtPrinterTarget::EndJob() {
    EndPainting();
}

void TQtPrinterTarget::Abort() {
    if (!Printing()) return;
    EndPainting([this] { FPrinter->abort(); });
    FAborted = true;
}

std::unique_ptr<IPrintTarget> MakeProgramPrinter() {
    const char* folder = std::getenv("HALVO_PDF_DIR");
    if (folder && *folder && QFileInfo(QString::fromLocal8Bit(folder)).isDir())
        return std::make_unique<TPdfPrintTarget>(folder);
    return std::make_unique<TQtPrinterTarget>();
}

}  // namespace platform
