#pragma once
// Printing on the system's default printer (CUPS): the printer's page, resolution and
// options come from a QPrinter. Qt's CUPS engine sends a job to the queue as its painting
// ends, dropped, cut short by a full disk or not, and never says whether the queue took
// it: the job's pages go into a PDF file of its own instead ($TMPDIR), which EndJob hands
// to the queue when it was written whole and Abort deletes.
#include <QPrinter>
#include <QString>
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
    bool EndJob() override;
    void Abort() override;
    QPageLayout PageLayout() const override;
    void SetPageLayout(const QPageLayout& layout) override;
    // The printer when it is one of the system's.
    QPrinter* NativePrinter() override;
    // The printer itself.
    QPrinter& Device() { return *FPrinter; }

private:
    // The finished job's file to the printer's queue, with the options Qt would give it;
    // false when the queue did not take it (FLastError says why). A stopped queue takes
    // it and holds it (FLastHeld says so).
    bool SubmitJobFile();
    void DropJobFile();

    std::unique_ptr<QPrinter> FPrinter;
    QString FJobFile;  // the running job's pages
};

// The program's printer: PDF files in $HALVO_PDF_DIR when it is set, else the default
// printer.
std::unique_ptr<IPrintTarget> MakeProgramPrinter();

}  // namespace platform
