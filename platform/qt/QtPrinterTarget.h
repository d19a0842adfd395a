#pragma once
// Printing on the system's default printer (CUPS) through QPrinter.
#include <QPrinter>
#include <memory>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/PagedPrintTarget.h"

namespace platform {

class TQtPrinterTarget : public TPagedPrintTarget {
public:
    TQtPrinterTarget();
    ~TQtPrinterTarget() override;
    TQtPrinterTarget(const TQtPrinterTarget&) = delete;
    TQtPrinterTarget& operator=(const TQtPrinterTarget&) = delete;

    bool HasPrinter() const override;
    int PageWidthMM() const override;
    int PageHeightMM() const override;
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;
    TPrinterOrientation Orientation() const override;
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;
    bool BeginJob(const std::string& title) override;
    void EndJob() override;
    void Abort() override;
    // The printer itself, for the page setup dialog.
    QPrinter& Device() { return *FPrinter; }

private:
    std::unique_ptr<QPrinter> FPrinter;
};

// The program's printer: PDF files in $HALVO_PDF_DIR when it names a folder, else the
// default printer.
std::unique_ptr<IPrintTarget> MakeProgramPrinter();

}  // namespace platform
