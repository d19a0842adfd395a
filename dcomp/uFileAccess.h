#pragma once
// The library's base class of a file held open through a descriptor, with its size and
// position kept in the object and one error callback shared by every such file.
#include <cstdint>
#include <string>

#include "platform/UniqueFd.h"

namespace dcomp {

// Called with the text, a code and an extra value; a function that reads only the text
// is a valid one.
using TFileErrorCallback = void (*)(const char* text, int32_t code, int32_t extra);

// The default callback: the text and a line feed on stderr.
void DebugOutputCallback(const char* text, int32_t code, int32_t extra);

struct TSystemInfo {
    uint32_t PageSize = 0;
    uint32_t NumberOfProcessors = 0;
};
// Read at initialisation.
const TSystemInfo& SystemInfo();

class TBaseFile {
public:
    virtual ~TBaseFile();
    TBaseFile(const TBaseFile&) = delete;
    TBaseFile& operator=(const TBaseFile&) = delete;

    // Sets the file's end at newSize; Position stays when it is still inside the file,
    // else it becomes the new size. Failures are reported, never raised.
    virtual void SetSize(int64_t newSize);
    static TFileErrorCallback ErrorCallback();
    virtual std::string Description() const { return ""; }
    virtual void CloseFileHandle();
    static void SetErrorCallback(TFileErrorCallback callback);
    // The callback gets message + ": " + FileName.
    virtual void ReportError(const std::string& message, int32_t code, int32_t extra);

    // Size becomes 0, then the descriptor is closed. A second Close only does the first.
    void Close();

    int Handle() const { return FHandle.Get(); }
    const std::string& FileName() const { return FFileName; }
    int64_t Size() const { return FSize; }
    int64_t Position() const { return FPosition; }

protected:
    explicit TBaseFile(std::string fileName);
    // The derived class's own descriptor (the file takes it over; one it held before is
    // closed) or -1.
    void SetHandle(int handle) { FHandle.Reset(handle); }
    void SetPosition(int64_t position) { FPosition = position; }

private:
    platform::TUniqueFd FHandle;
    std::string FFileName;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

void InitFileAccess();

}  // namespace dcomp
