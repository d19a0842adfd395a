#pragma once
// Printing on the system's default printer (CUPS) through QPrinter. Qt's CUPS engine
// sends a job to the queue as its painting ends, dropped or not: the job's pages go into
// a file of its own instead, which EndJob hands to the queue and Abort deletes.
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
    void EndJob() override;
    void Abort() override;
    // The printer itself, for the page setup dialog.
    QPrinter& Device() { return *FPrinter; }

private:
    // The finished job's file to the printer's queue, with the options Qt would give it.
    void SubmitJobFile() const;
    void DropJobFile();

    std::unique_ptr<QPrinter> FPrinter;
    QString FJobFile;  // the running job's pages
};

// The program's printer: PDF files in $HALVO_PDF_DIR when it names a folder, else the
// default printer.
std::unique_ptr<IPrintTarget> MakeProgramPrinter();

}  // namespace platform
