// Printing one sequence's listing: the printer is a line sink like the rich edit.
#include "app/lister/Lister.h"
#include "platform/PrintJob.h"
#include "platform/PrintTarget.h"
#include "platform/UpdateScope.h"

namespace app {

namespace {

// A fixed pitch, as on the screen, so the listing's columns line up on paper too.
const platform::TFont kListingFont{"Courier New", 10, platform::clBlack, false};

class TPrinterSink : public IListingSink {
public:
    explicit TPrinterSink(TEvLister& lister) : FLister(lister) {}
    void AddLine(const std::string& text, TListingStyle style) override {
        FLister.PrintListingLine(text, style);
    }

private:
    TEvLister& FLister;
};

}  // namespace

void TEvLister::PrintListing(int number, platform::IPrintTarget& printer) {
    SelectSequence(number);
    platform::TPrintJob job(printer, "The listing", PrintTitle);
    FPrinter = &printer;
    FPrintLineY = 0;
    const platform::TScopeExit forget([this] { FPrinter = nullptr; });
    PrintListingLine(FListBox ? FListBox->Line(number - 1) : std::string(), TListingStyle::Plain);
    TPrinterSink sink(*this);
    WriteListing(sink);
    job.End();
}

void TEvLister::PrintListingLine(const std::string& line, TListingStyle style) {
    if (!FPrinter || !FPrinter->Printing()) return;
    platform::ICanvas* canvas = FPrinter->Canvas();
    if (!canvas) return;
    canvas->Font = kListingFont;
    const int height = canvas->TextHeight("Wg");
    if (FPrintLineY > 0 && FPrintLineY + height > FPrinter->PageHeightPixels()) {
        FPrinter->NewPage();
        FPrintLineY = 0;
        canvas = FPrinter->Printing() ? FPrinter->Canvas() : nullptr;
        if (!canvas) return;
    }
    canvas->Font = kListingFont;
    canvas->Font.Bold = style == TListingStyle::Bold;
    canvas->Brush.Style = platform::TBrushStyle::Clear;
    canvas->TextOut(0, FPrintLineY, line);
    FPrintLineY += height;
}

}  // namespace app
