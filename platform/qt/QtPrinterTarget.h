#pragma once
// Printing on the system's default printer (CUPS) through QPrinter.
#include <QPainter>
#include <QPrinter>
#include <memory>
#include <optional>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/QtCanvas.h"

namespace platform {

class TQtPrinterTarget : public IPrintTarget {
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
    bool Printing() const override { return FPainter.has_value(); }
    bool BeginJob(const std::string& title) override;
    void NewPage() override;
    void EndJob() override;
    void Abort() override;
    bool Aborted() const override { return FAborted; }
    std::string Title() const override { return Printing() ? FTitle : std::string(); }
    int PageNumber() const override { return Printing() ? FPage : 0; }
    ICanvas* Canvas() override;
    // The printer itself, for the page setup dialog.
    QPrinter& Device() { return *FPrinter; }

private:
    void Finish();

    std::unique_ptr<QPrinter> FPrinter;
    std::optional<QPainter> FPainter;
    std::optional<TQtCanvas> FCanvas;
    std::string FTitle;
    int FPage = 0;
    bool FAborted = false;
};

// The program's printer: PDF files in $HALVO_PDF_DIR when it names a folder, else the
// default printer.
std::unique_ptr<IPrintTarget> MakeProgramPrinter();

}  // namespace platform
