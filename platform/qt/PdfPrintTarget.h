#pragma once
// Printing into PDF files: each job is one file "NNN-title.pdf" (600 dpi, A4 portrait
// until the page setup chooses another paper or orientation) in a folder, numbered after
// the highest number there, never over an existing file. An aborted job, or one the disk
// could not take whole, leaves no file. Like a printer, the page keeps an unprintable
// margin, so nothing is drawn at the paper's very edge.
#include <QPageLayout>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/PagedPrintTarget.h"

namespace platform {

class TPdfPrintTarget : public TPagedPrintTarget {
public:
    static constexpr int kDpi = 600;
    static constexpr int kMarginMM = 5;

    explicit TPdfPrintTarget(std::string folder);
    ~TPdfPrintTarget() override;
    TPdfPrintTarget(const TPdfPrintTarget&) = delete;
    TPdfPrintTarget& operator=(const TPdfPrintTarget&) = delete;

    // Always: the target is the folder, whether it exists or not; a job in a missing
    // folder cannot begin, and says so.
    bool HasPrinter() const override { return true; }
    int PageWidthMM() const override;
    int PageHeightMM() const override;
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;
    TPrinterOrientation Orientation() const override;
    int PixelsPerInchX() const override { return kDpi; }
    int PixelsPerInchY() const override { return kDpi; }
    bool BeginJob(const std::string& title) override;
    bool EndJob() override;
    void Abort() override;
    QPageLayout PageLayout() const override { return FLayout; }
    // The margins stay the target's own.
    void SetPageLayout(const QPageLayout& layout) override;

    // The file of the current or last job; empty before the first.
    std::string FileName() const { return PdfFileName().toStdString(); }

private:
    std::string FFolder;
    QPageLayout FLayout;
};

}  // namespace platform
