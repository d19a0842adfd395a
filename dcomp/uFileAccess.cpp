#include "dcomp/uFileAccess.h"

#include <unistd.h>

#include <cstdio>

#include "dcomp/uWin32Tools.h"

namespace dcomp {

namespace {

TFileErrorCallback gErrorCallback = DebugOutputCallback;
TSystemInfo gSystemInfo;

}  // namespace

void DebugOutputCallback(const char* text, int32_t, int32_t) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

const TSystemInfo& SystemInfo() {
    return gSystemInfo;
}

TBaseFile::TBaseFile(std::string fileName) : FFileName(std::move(fileName)) {}

TBaseFile::~TBaseFile() {
    Close();
}

void TBaseFile::SetSize(int64_t newSize) {
    if (::lseek(FHandle.Get(), static_cast<off_t>(newSize), SEEK_SET) < 0) {
        ReportError(LastSysErrorText(), 0, 0);
        return;
    }
    if (::ftruncate(FHandle.Get(), static_cast<off_t>(newSize)) != 0) {
        ReportError(LastSysErrorText(), 0, 0);
    } else {
        FSize = newSize;
    }
    if (FPosition < FSize) {
        if (::lseek(FHandle.Get(), static_cast<off_t>(FPosition), SEEK_SET) < 0)
            ReportError(LastSysErrorText(), 0, 0);
    } else {
        FPosition = FSize;
    }
}

TFileErrorCallback TBaseFile::ErrorCallback() {
    return gErrorCallback;
}

void TBaseFile::SetErrorCallback(TFileErrorCallback callback) {
    gErrorCallback = callback;
}

void TBaseFile::CloseFileHandle() {
    // The descriptor is gone after close() whatever it says, so it is never retried.
    if (!FHandle.Close()) ReportError(LastSysErrorText(), 0, 0);
}

void TBaseFile::ReportError(const std::string& message, int32_t code, int32_t extra) {
    if (gErrorCallback) gErrorCallback((message + ": " + FFileName).c_str(), code, extra);
}

void TBaseFile::Close() {
    FSize = 0;
    CloseFileHandle();
}

void InitFileAccess() {
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    gSystemInfo.PageSize = pageSize > 0 ? static_cast<uint32_t>(pageSize) : 0;
    gSystemInfo.NumberOfProcessors = processors > 0 ? static_cast<uint32_t>(processors) : 0;
    gErrorCallback = DebugOutputCallback;
}

}  // namespace dcomp
