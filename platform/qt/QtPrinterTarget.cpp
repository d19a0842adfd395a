#include "platform/qt/QtPrinterTarget.h"

#include <cups/cups.h>

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/qt/PdfPrintTarget.h"

namespace platform {

namespace {

// Where Qt's page setup dialog keeps the CUPS options it chose (pages per sheet, ...):
// name and value pairs.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

const char* Sides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation) {
    switch (duplex) {
        case QPrinter::DuplexNone:
            return "one-sided";
        case QPrinter::DuplexAuto:
            return orientation == QPageLayout::Portrait ? "two-sided-long-edge" : "two-sided-short-edge";
        case QPrinter::DuplexLongSide:
            return "two-sided-long-edge";
        case QPrinter::DuplexShortSide:
            return "two-sided-short-edge";
    }
    return "one-sided";
}

// What CUPS says of a queue; nothing when it cannot say.
struct TQueueState {
    bool Missing = false;
    // Set while the queue is stopped: its own message, or its first state reason.
    std::optional<std::string> Stopped;
};

std::optional<TQueueState> AskQueue(const std::string& queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     queue.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char* const kWanted[] = {"printer-state", "printer-state-message", "printer-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, kWanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response) return std::nullopt;
    TQueueState queueState;
    queueState.Missing = ippGetStatusCode(response) == IPP_STATUS_ERROR_NOT_FOUND;
    ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
    if (state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED) {
        ipp_attribute_t* message = ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT);
        ipp_attribute_t* reasons = ippFindAttribute(response, "printer-state-reasons", IPP_TAG_KEYWORD);
        const char* text = message ? ippGetString(message, 0, nullptr) : nullptr;
        if (!text || !*text) text = reasons ? ippGetString(reasons, 0, nullptr) : nullptr;
        queueState.Stopped = text && *text ? text : "no reason given";
    }
    ippDelete(response);
    return queueState;
}

}  // namespace

TQtPrinterTarget::TQtPrinterTarget() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    FPrinter = info.isNull() ? std::make_unique<QPrinter>(QPrinter::HighResolution)
                             : std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

TQtPrinterTarget::~TQtPrinterTarget() {
    if (Printing()) EndJob();
}

bool TQtPrinterTarget::HasPrinter() const {
    return !QPrinterInfo::defaultPrinter().isNull() && FPrinter->isValid();
}

// The device's size is whole millimetres, cut.
int TQtPrinterTarget::PageWidthMM() const {
    return static_cast<int>(std::floor(FPrinter->pageLayout().paintRect(QPageLayout::Millimeter).width()));
}

int TQtPrinterTarget::PageHeightMM() const {
    return static_cast<int>(std::floor(FPrinter->pageLayout().paintRect(QPageLayout::Millimeter).height()));
}

int TQtPrinterTarget::PageWidthPixels() const {
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).width();
}

int TQtPrinterTarget::PageHeightPixels() const {
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).height();
}

TPrinterOrientation TQtPrinterTarget::Orientation() const {
    return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? TPrinterOrientation::Landscape
                                                                          : TPrinterOrientation::Portrait;
}

int TQtPrinterTarget::PixelsPerInchX() const {
    return FPrinter->resolution();
}

int TQtPrinterTarget::PixelsPerInchY() const {
    return FPrinter->resolution();
}

bool TQtPrinterTarget::BeginJob(const std::string& title) {
    if (Printing()) return false;
    if (!HasPrinter()) {
        FLastError = kNoDefaultPrinter;
        return false;
    }
    QTemporaryFile name(QDir(QDir::tempPath()).filePath("halvo-print-XXXXXX.job"));
    name.setAutoRemove(false);
    if (!name.open()) {
        FLastError = "no job file could be created in " + QDir::tempPath().toStdString() + ": " +
                     name.errorString().toStdString();
        return false;
    }
    FJobFile = name.fileName();
    name.close();
    auto file = std::make_unique<TCheckedFile>(FJobFile);
    if (!file->OpenForWriting(QIODevice::Truncate)) {
        FLastError = "the job file " + FJobFile.toStdString() +
                     " could not be opened: " + file->errorString().toStdString();
        DropJobFile();
        return false;
    }
    FPrinter->setDocName(QString::fromStdString(title));
    if (BeginPdf(std::move(file), FPrinter->pageLayout(), FPrinter->resolution(), title)) return true;
    DropJobFile();
    return false;
}

bool TQtPrinterTarget::EndJob() {
    if (!Printing()) return false;
    const bool sent = EndPdf(true) && SubmitJobFile();
    DropJobFile();
    return sent;
}

void TQtPrinterTarget::Abort() {
    if (!Printing()) return;
    EndPdf(false);
    DropJobFile();
    FAborted = true;
}

QPageLayout TQtPrinterTarget::PageLayout() const {
    return FPrinter->pageLayout();
}

void TQtPrinterTarget::SetPageLayout(const QPageLayout& layout) {
    FPrinter->setPageSize(layout.pageSize());
    FPrinter->setPageOrientation(layout.orientation());
}

QPrinter* TQtPrinterTarget::NativePrinter() {
    return FPrinter->outputFormat() == QPrinter::NativeFormat ? FPrinter.get() : nullptr;
}

bool TQtPrinterTarget::SubmitJobFile() {
    // The queue's name without an instance ("queue/instance").
    const QByteArray queue = FPrinter->printerName().section('/', 0, 0).toLocal8Bit();
    if (queue.isEmpty()) {
        FLastError = kNoDefaultPrinter;
        return false;
    }
    const std::string name = queue.toStdString();
    if (const std::optional<TQueueState> state = AskQueue(name); state && state->Missing) {
        FLastError = "the queue " + name + " does not exist";
        return false;
    }
    const QPageLayout layout = FPrinter->pageLayout();
    cups_option_t* options = nullptr;
    int count = cupsAddOption("media", layout.pageSize().key().toLocal8Bit().constData(), 0, &options);
    if (FPrinter->copyCount() > 1) {
        count =
            cupsAddOption("copies", QByteArray::number(FPrinter->copyCount()).constData(), count, &options);
        if (FPrinter->collateCopies()) count = cupsAddOption("Collate", "True", count, &options);
    }
    count = cupsAddOption("sides", Sides(FPrinter->duplex(), layout.orientation()), count, &options);
    if (layout.orientation() == QPageLayout::Landscape)
        count = cupsAddOption("landscape", "", count, &options);
    const QStringList chosen = FPrinter->printEngine()->property(kCupsOptionsKey).toStringList();
    for (qsizetype i = 0; i + 1 < chosen.size(); i += 2)
        count = cupsAddOption(chosen[i].toLocal8Bit().constData(), chosen[i + 1].toLocal8Bit().constData(),
                              count, &options);
    const int job =
        cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.constData(), QFile::encodeName(FJobFile).constData(),
                       FPrinter->docName().toLocal8Bit().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0) {
        FLastError = cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND
                         ? "the queue " + name + " does not exist"
                         : "the queue " + name + " did not take the job: " + cupsLastErrorString();
        return false;
    }
    // A stopped queue that takes jobs holds them until it is started again, as it does
    // every program's.
    if (const std::optional<TQueueState> state = AskQueue(name); state && state->Stopped)
        FLastHeld = "the queue " + name + ", which is stopped (" + *state->Stopped + ")";
    return true;
}

void TQtPrinterTarget::DropJobFile() {
    if (!FJobFile.isEmpty()) QFile::remove(FJobFile);
    FJobFile.clear();
}

std::unique_ptr<IPrintTarget> MakeProgramPrinter() {
    // The folder is the target even while it is missing: each print tells so, rather than
    // going to paper.
    const char* folder = std::getenv("HALVO_PDF_DIR");
    if (folder && *folder) return std::make_unique<TPdfPrintTarget>(folder);
    return std::make_unique<TQtPrinterTarget>();
}

}  // namespace platform
