#include "platform/qt/PagedPrintTarget.h"

namespace platform {

bool TPagedPrintTarget::BeginPainting(QPagedPaintDevice& device, const std::string& title) {
    FPainter.emplace();
    if (!FPainter->begin(&device)) {
        FPainter.reset();
        return false;
    }
    FDevice = &device;
    FTitle = title;
    FAborted = false;
    FPage = 1;
    FCanvas.emplace(*FPainter);
    return true;
}

void TPagedPrintTarget::NewPage() {
    if (!Printing()) return;
    FCanvas.reset();
    FDevice->newPage();
    ++FPage;
    FCanvas.emplace(*FPainter);
}

void TPagedPrintTarget::EndPainting() {
    if (!Printing()) return;
    FCanvas.reset();
    FPainter->end();
    FPainter.reset();
    FDevice = nullptr;
}

}  // namespace platform
