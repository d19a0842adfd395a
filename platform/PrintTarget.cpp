#include "platform/PrintTarget.h"

#include <cmath>

namespace platform {

namespace {

class TAbsentPrinter : public IPrintTarget {
public:
    bool HasPrinter() const override { return false; }
    int PageWidthMM() const override { return 0; }
    int PageHeightMM() const override { return 0; }
    int PageWidthPixels() const override { return 0; }
    int PageHeightPixels() const override { return 0; }
    TPrinterOrientation Orientation() const override { return TPrinterOrientation::Portrait; }
    int PixelsPerInchX() const override { return 0; }
    int PixelsPerInchY() const override { return 0; }
    bool Printing() const override { return false; }
    bool BeginJob(const std::string&) override { return false; }
    void NewPage() override {}
    bool EndJob() override { return false; }
    void Abort() override {}
    bool Aborted() const override { return false; }
    std::string LastError() const override { return kNoDefaultPrinter; }
    std::string LastJobHeld() const override { return {}; }
    std::string Title() const override { return {}; }
    int PageNumber() const override { return 0; }
    ICanvas* Canvas() override { return nullptr; }
};

int MMToDevice(int mm, int dpi) {
    return static_cast<int>(std::nearbyint(mm * static_cast<double>(dpi) / 25.4));
}

}  // namespace

IPrintTarget& TNoPrinter::Get() {
    static TAbsentPrinter absent;
    return absent;
}

int TRecordingPrintTarget::PageWidthPixels() const {
    return MMToDevice(WidthMM, DpiX);
}

int TRecordingPrintTarget::PageHeightPixels() const {
    return MMToDevice(HeightMM, DpiY);
}

TRecordingPrintTarget::TJob* TRecordingPrintTarget::Current() {
    if (Jobs.empty() || Jobs.back().Ended || Jobs.back().Aborted || Jobs.back().Failed) return nullptr;
    return &Jobs.back();
}

const TRecordingPrintTarget::TJob* TRecordingPrintTarget::Current() const {
    if (Jobs.empty() || Jobs.back().Ended || Jobs.back().Aborted || Jobs.back().Failed) return nullptr;
    return &Jobs.back();
}

bool TRecordingPrintTarget::Printing() const {
    return Current() != nullptr;
}

void TRecordingPrintTarget::AddPage() {
    TRecordingCanvas& page = Jobs.back().Pages.emplace_back();
    page.DpiX = DpiX;
    page.DpiY = DpiY;
    page.CharWidth = CharWidth;
    page.CharHeight = CharHeight;
}

bool TRecordingPrintTarget::BeginJob(const std::string& title) {
    if (Printing()) return false;
    FLastError = !Present ? kNoDefaultPrinter : !CanBegin ? FailReason : std::string();
    if (!FLastError.empty()) return false;
    Jobs.push_back({title, {}, false, false, false, false});
    AddPage();
    return true;
}

void TRecordingPrintTarget::NewPage() {
    TJob* job = Current();
    if (!job) return;
    if (AbortAfterPage > 0 && static_cast<int>(job->Pages.size()) >= AbortAfterPage) {
        job->Aborted = true;
        return;
    }
    AddPage();
}

bool TRecordingPrintTarget::EndJob() {
    TJob* job = Current();
    if (!job) return false;
    FLastHeld.clear();
    if (!CanEnd) {
        job->Failed = true;
        FLastError = FailReason;
        return false;
    }
    job->Ended = true;
    job->Held = !HeldIn.empty();
    FLastError.clear();
    FLastHeld = HeldIn;
    return true;
}

void TRecordingPrintTarget::Abort() {
    if (TJob* job = Current()) job->Aborted = true;
}

bool TRecordingPrintTarget::Aborted() const {
    return !Jobs.empty() && Jobs.back().Aborted;
}

std::string TRecordingPrintTarget::Title() const {
    const TJob* job = Current();
    return job ? job->Title : std::string();
}

int TRecordingPrintTarget::PageNumber() const {
    const TJob* job = Current();
    return job ? static_cast<int>(job->Pages.size()) : 0;
}

ICanvas* TRecordingPrintTarget::Canvas() {
    TJob* job = Current();
    return job ? &job->Pages.back() : nullptr;
}

int TRecordingPrintTarget::PageCount() const {
    size_t n = 0;
    for (const TJob& job : Jobs) n += job.Pages.size();
    return static_cast<int>(n);
}

}  // namespace platform
