#pragma once
// What the printer and the PDF print targets share: each job is painted as a PDF into a
// file, a canvas made anew for each page (so each starts with the canvas's defaults), the
// job's title, its page number, whether the last job was aborted and why the last one
// failed. Every byte written to the file is checked: a file the disk could not take whole
// is never passed on as a job.
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <memory>
#include <optional>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/QtCanvas.h"

class QPrinter;

namespace platform {

// A file that remembers the first write that did not go through, which QPdfWriter does
// not tell.
class TCheckedFile : public QFile {
public:
    using QFile::QFile;
    // Opens the file for writing, unbuffered: each write that fails has its own reason.
    bool OpenForWriting(QIODevice::OpenMode mode) { return open(mode | WriteOnly | Unbuffered); }
    // The first failed write's reason; empty while every write went through.
    const QString& WriteError() const { return FWriteError; }

protected:
    qint64 writeData(const char* data, qint64 len) override;

private:
    QString FWriteError;
};

class TPagedPrintTarget : public IPrintTarget {
public:
    bool Printing() const override { return FPainter.has_value(); }
    void NewPage() override;
    bool Aborted() const override { return FAborted; }
    std::string LastError() const override { return FLastError; }
    std::string LastJobHeld() const override { return FLastHeld; }
    std::string Title() const override { return Printing() ? FTitle : std::string(); }
    int PageNumber() const override { return Printing() ? FPage : 0; }
    ICanvas* Canvas() override { return FCanvas ? &*FCanvas : nullptr; }

    // The paper, orientation and margins of the next job's pages, as the page setup
    // chooses them.
    virtual QPageLayout PageLayout() const = 0;
    virtual void SetPageLayout(const QPageLayout& layout) = 0;
    // A printer the system's own page setup dialog works on; nullptr when there is none.
    virtual QPrinter* NativePrinter() { return nullptr; }

protected:
    // Starts painting the job's first page into file, open for writing, as a PDF with the
    // layout at dpi; false when the painter cannot (the file is removed then).
    bool BeginPdf(std::unique_ptr<TCheckedFile> file, const QPageLayout& layout, int dpi,
                  const std::string& title);
    // Ends the painting and closes the file; true when all of it was written. The file
    // is removed unless keep is set and it is whole. Nothing while no job runs.
    bool EndPdf(bool keep);
    // The running or last job's file.
    const QString& PdfFileName() const { return FFileName; }

    bool FAborted = false;
    std::string FLastError;
    std::string FLastHeld;

private:
    std::unique_ptr<TCheckedFile> FFile;
    std::unique_ptr<QPdfWriter> FWriter;
    std::optional<QPainter> FPainter;
    std::optional<TQtCanvas> FCanvas;
    QString FFileName;
    std::string FTitle;
    int FPage = 0;
};

}  // namespace platform
