#pragma once
// Printing into PDF files: each job is one file "NNN-title.pdf" (A4 portrait, 600 dpi)
// in a folder, numbered after the highest number there, never over an existing file.
// An aborted job leaves no file. Like a printer, the page keeps an unprintable margin,
// so nothing is drawn at the paper's very edge.
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <memory>
#include <optional>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/QtCanvas.h"

namespace platform {

class TPdfPrintTarget : public IPrintTarget {
public:
    static constexpr int kDpi = 600;
    static constexpr int kMarginMM = 5;

    explicit TPdfPrintTarget(std::string folder);
    ~TPdfPrintTarget() override;
    TPdfPrintTarget(const TPdfPrintTarget&) = delete;
    TPdfPrintTarget& operator=(const TPdfPrintTarget&) = delete;

    // The folder exists.
    bool HasPrinter() const override;
    int PageWidthMM() const override { return 210 - 2 * kMarginMM; }
    int PageHeightMM() const override { return 297 - 2 * kMarginMM; }
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;
    TPrinterOrientation Orientation() const override { return TPrinterOrientation::Portrait; }
    int PixelsPerInchX() const override { return kDpi; }
    int PixelsPerInchY() const override { return kDpi; }
    bool Printing() const override { return FPainter.has_value(); }
    bool BeginJob(const std::string& title) override;
    void NewPage() override;
    void EndJob() override;
    void Abort() override;
    bool Aborted() const override { return FAborted; }
    std::string Title() const override { return Printing() ? FTitle : std::string(); }
    int PageNumber() const override { return Printing() ? FPage : 0; }
    ICanvas* Canvas() override;

    // The file of the current or last job; empty before the first.
    const std::string& FileName() const { return FFileName; }

private:
    void Finish();

    std::string FFolder;
    std::string FTitle;
    std::string FFileName;
    std::unique_ptr<QFile> FFile;
    std::unique_ptr<QPdfWriter> FWriter;
    std::optional<QPainter> FPainter;
    std::optional<TQtCanvas> FCanvas;
    int FPage = 0;
    bool FAborted = false;
};

}  // namespace platform
