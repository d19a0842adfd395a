#pragma once
// What the printer and the PDF print targets share: a painter on a paged device for the
// job, a canvas made anew for each page (so each starts with the canvas's defaults), the
// job's title, its page number and whether the last job was aborted.
#include <QPagedPaintDevice>
#include <QPainter>
#include <optional>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/qt/QtCanvas.h"

namespace platform {

class TPagedPrintTarget : public IPrintTarget {
public:
    bool Printing() const override { return FPainter.has_value(); }
    void NewPage() override;
    bool Aborted() const override { return FAborted; }
    std::string Title() const override { return Printing() ? FTitle : std::string(); }
    int PageNumber() const override { return Printing() ? FPage : 0; }
    ICanvas* Canvas() override { return FCanvas ? &*FCanvas : nullptr; }

protected:
    // Starts painting the job's first page on device; false when the painter cannot.
    bool BeginPainting(QPagedPaintDevice& device, const std::string& title);
    // The page's canvas draws what it holds back, then the painter ends. Nothing while no
    // job runs.
    void EndPainting();

    bool FAborted = false;

private:
    QPagedPaintDevice* FDevice = nullptr;
    std::optional<QPainter> FPainter;
    std::optional<TQtCanvas> FCanvas;
    std::string FTitle;
    int FPage = 0;
};

}  // namespace platform
