#pragma once
// Every printed page (chart, settings grid, listing) goes to a print target: the GUI
// prints through the system's default printer or into PDF files, tests record the jobs.
// Page coordinates are device pixels with the origin at the printable area's top-left.
#include <cstdint>
#include <deque>
#include <string>

#include "platform/Canvas.h"
#include "platform/ServiceScope.h"

namespace platform {

enum class TPrinterOrientation : uint8_t { Portrait, Landscape };

// The reason a job cannot begin without a printer.
inline constexpr const char* kNoDefaultPrinter = "there is no default printer";

class IPrintTarget {
public:
    virtual ~IPrintTarget() = default;

    // A default printer exists; without one nothing can be printed.
    virtual bool HasPrinter() const = 0;
    // The printable area in whole millimetres (as the device reports its size).
    virtual int PageWidthMM() const = 0;
    virtual int PageHeightMM() const = 0;
    // The printable area in device pixels.
    virtual int PageWidthPixels() const = 0;
    virtual int PageHeightPixels() const = 0;
    virtual TPrinterOrientation Orientation() const = 0;
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;

    // A job has begun and has neither ended nor been aborted.
    virtual bool Printing() const = 0;
    // Starts a job with its first page; false when none could start (no printer, an
    // unwritable file), and nothing is printed then; LastError says why.
    virtual bool BeginJob(const std::string& title) = 0;
    // Ends the current page and starts the next one.
    virtual void NewPage() = 0;
    // Ends the job: its pages go out. False when they did not all reach the printer or a
    // whole file (nothing of the job is kept then); LastError says why.
    virtual bool EndJob() = 0;
    // Drops the job: nothing of it goes out.
    virtual void Abort() = 0;
    // The last job was aborted (by Abort or by the user); cleared by the next BeginJob.
    virtual bool Aborted() const = 0;
    // Why the last BeginJob or EndJob failed, in words for the user (the system's or the
    // queue's own reason); empty after one that did not.
    virtual std::string LastError() const = 0;
    // Where the last job that got out waits instead of printing, in words for the user
    // ("the queue Q, which is stopped (its reason)"); empty when it went on to print.
    virtual std::string LastJobHeld() const = 0;
    // The job's title while printing.
    virtual std::string Title() const = 0;
    // The current page, from 1; 0 without a job.
    virtual int PageNumber() const = 0;
    // The current page's canvas while printing, else nullptr. Each page starts with the
    // canvas's default pen, brush and font.
    virtual ICanvas* Canvas() = 0;
};

// Process-wide; without one set, a target without a printer.
struct TNoPrinter {
    static IPrintTarget& Get();
};
using TPrinterService = TProcessService<IPrintTarget, TNoPrinter>;
using TPrinterScope = TPrinterService::TScope;
inline IPrintTarget& Printer() {
    return TPrinterService::Current();
}

// Records every job with its title and every page's drawing calls. The page, the
// resolution and the printer's presence are set by the test; A4 portrait at 600 dpi at
// the start.
class TRecordingPrintTarget : public IPrintTarget {
public:
    struct TJob {
        std::string Title;
        std::deque<TRecordingCanvas> Pages;
        bool Ended = false;
        bool Aborted = false;
        bool Failed = false;  // EndJob did not get it out
        bool Held = false;    // it got out and waits in HeldIn
    };

    bool HasPrinter() const override { return Present; }
    int PageWidthMM() const override { return WidthMM; }
    int PageHeightMM() const override { return HeightMM; }
    int PageWidthPixels() const override;
    int PageHeightPixels() const override;
    TPrinterOrientation Orientation() const override { return PageOrientation; }
    int PixelsPerInchX() const override { return DpiX; }
    int PixelsPerInchY() const override { return DpiY; }
    bool Printing() const override;
    bool BeginJob(const std::string& title) override;
    void NewPage() override;
    bool EndJob() override;
    void Abort() override;
    bool Aborted() const override;
    std::string LastError() const override { return FLastError; }
    std::string LastJobHeld() const override { return FLastHeld; }
    std::string Title() const override;
    int PageNumber() const override;
    ICanvas* Canvas() override;

    // Every page of every job in order.
    int PageCount() const;

    bool Present = true;
    int WidthMM = 210;
    int HeightMM = 297;
    TPrinterOrientation PageOrientation = TPrinterOrientation::Portrait;
    int DpiX = 600;
    int DpiY = 600;
    // Measures of the pages' text (see TRecordingCanvas).
    int CharWidth = 50;
    int CharHeight = 100;
    // When k > 0, the user aborts as page k ends: asking for the next page aborts the
    // job instead (page k+1 never starts).
    int AbortAfterPage = 0;
    // False makes BeginJob fail, as an unwritable output would.
    bool CanBegin = true;
    // False makes EndJob fail, as a queue that refuses the job would: the job is dropped.
    bool CanEnd = true;
    // LastError after a failure that CanBegin or CanEnd makes.
    std::string FailReason = "the printer refused the job";
    // Not empty: each job that ends gets out and waits there, as in a stopped queue.
    std::string HeldIn;
    std::deque<TJob> Jobs;

private:
    std::string FLastError;
    std::string FLastHeld;
    TJob* Current();
    const TJob* Current() const;
    void AddPage();
};

}  // namespace platform
