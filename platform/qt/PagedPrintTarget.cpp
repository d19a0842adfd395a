#include "platform/qt/PagedPrintTarget.h"

namespace platform {

qint64 TCheckedFile::writeData(const char* data, qint64 len) {
    qint64 written = QFile::writeData(data, len);
    // A short write gives no reason; the rest is tried once more, which gives the system's.
    if (written >= 0 && written < len) {
        const qint64 more = QFile::writeData(data + written, len - written);
        if (more > 0) written += more;
    }
    if (written != len && FWriteError.isEmpty()) FWriteError = errorString();
    return written;
}

bool TPagedPrintTarget::BeginPdf(std::unique_ptr<TCheckedFile> file, const QPageLayout& layout, int dpi,
                                 const std::string& title) {
    FFileName = file->fileName();
    FFile = std::move(file);
    FWriter = std::make_unique<QPdfWriter>(FFile.get());
    FWriter->setResolution(dpi);
    FWriter->setPageLayout(layout);
    FWriter->setTitle(QString::fromStdString(title));
    FWriter->setCreator("HALVO service");
    FPainter.emplace();
    if (!FPainter->begin(FWriter.get())) {
        FPainter.reset();
        FWriter.reset();
        FFile->remove();
        FFile.reset();
        FLastError = "the file " + FFileName.toStdString() + " could not be started as a PDF";
        return false;
    }
    FTitle = title;
    FAborted = false;
    FPage = 1;
    FCanvas.emplace(*FPainter);
    return true;
}

void TPagedPrintTarget::NewPage() {
    if (!Printing()) return;
    FCanvas.reset();
    FWriter->newPage();
    ++FPage;
    FCanvas.emplace(*FPainter);
}

bool TPagedPrintTarget::EndPdf(bool keep) {
    if (!Printing()) return false;
    FLastHeld.clear();
    FCanvas.reset();
    const bool ended = FPainter->end();
    FPainter.reset();
    FWriter.reset();
    const bool flushed = FFile->flush();
    QString error = FFile->WriteError();
    if (error.isEmpty() && !flushed) error = FFile->errorString();
    FFile->close();
    if (error.isEmpty() && FFile->error() != QFileDevice::NoError) error = FFile->errorString();
    if (error.isEmpty() && !ended) error = "the PDF could not be finished";
    const bool whole = error.isEmpty();
    if (!keep || !whole) FFile->remove();
    FFile.reset();
    FLastError =
        whole ? std::string()
              : "the file " + FFileName.toStdString() + " could not be written: " + error.toStdString();
    return whole;
}

}  // namespace platform
