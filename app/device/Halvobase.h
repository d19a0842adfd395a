#pragma once
// The device image of one document: a fixed 20,486-byte block that is also the
// ".halvo" file, with the settings definitions and the event table of its device type.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/device/HalvoDefs.h"
#include "app/device/Halvotransfer.h"
#include "app/device/MessageLog.h"
#include "app/events/EventRecords.h"
#include "app/events/EventTables.h"
#include "platform/DateTime.h"

namespace app {

class TTransferGuard;

// The reading options; six bytes of the image, in this order.
struct TReadOptions {
    uint8_t DeviceNumber = 31;  // slave address
    uint8_t ReadParset1 = 1;
    uint8_t ReadParset2 = 1;
    uint8_t ReadEvents = 1;
    uint8_t CorrectStartTimes = 1;
    uint8_t ShowAllEvents = 0;
    bool operator==(const TReadOptions&) const = default;
};

class THalvo {
public:
    // Layout of the image. 16-bit and floating-point fields are little-endian; texts are
    // code page 1250, NUL-terminated; dates are day numbers.
    static constexpr std::size_t kImageSize = 20486;
    static constexpr std::size_t kTypeMarkerOffset = 0;  // "VESK-"
    static constexpr std::size_t kTypeDigitOffset = 5;   // '2' Vesk-2, '3' Vesk-3, '0' none
    static constexpr std::size_t kTypeEndOffset = 6;     // 0
    static constexpr std::size_t kReadOptionsOffset = 10;
    static constexpr std::size_t kReadOptionsSize = 6;
    static constexpr std::size_t kVersionMajorOffset = 30;
    static constexpr std::size_t kVersionMinorOffset = 32;
    static constexpr std::size_t kStationInfoOffset = 40;
    static constexpr std::size_t kIdentificationOffset = 140;
    static constexpr std::size_t kTextAreaSize = 100;
    static constexpr std::size_t kMaxTextLength = 99;
    static constexpr std::size_t kCreationDateOffset = 300;
    static constexpr std::size_t kEventsReadDateOffset = 316;
    static constexpr std::size_t kParset1ReadDateOffset = 332;
    static constexpr std::size_t kParset2ReadDateOffset = 348;
    static constexpr std::size_t kNoteOffset = 2048;
    static constexpr std::size_t kNoteSize = 2048;
    static constexpr std::size_t kEventsLengthOffset = 4096;
    static constexpr std::size_t kEventsOffset = 4098;
    static constexpr std::size_t kEventsCapacity = kEventsBufferSize;
    static constexpr std::size_t kParset1LengthOffset = 19458;
    static constexpr std::size_t kParset1Offset = 19460;
    static constexpr std::size_t kParset2LengthOffset = 19972;
    static constexpr std::size_t kParset2Offset = 19974;
    static constexpr std::size_t kParsetCapacity = 512;
    static_assert(kParset2Offset + kParsetCapacity == kImageSize);

    // Files above this size are not documents of either format.
    static constexpr std::size_t kMaxDocumentFileSize = 1u << 20;

    THalvo();
    THalvo(const THalvo&) = delete;
    THalvo& operator=(const THalvo&) = delete;

    // The whole image as the document file holds it.
    std::span<const uint8_t, kImageSize> Image() const { return FImage; }

    uint8_t* EventsBuffer() { return FImage.data() + kEventsOffset; }
    const uint8_t* EventsBuffer() const { return FImage.data() + kEventsOffset; }
    uint8_t* Parset1Data() { return FImage.data() + kParset1Offset; }
    const uint8_t* Parset1Data() const { return FImage.data() + kParset1Offset; }
    uint8_t* Parset2Data() { return FImage.data() + kParset2Offset; }
    const uint8_t* Parset2Data() const { return FImage.data() + kParset2Offset; }
    uint8_t* Note() { return FImage.data() + kNoteOffset; }
    const uint8_t* Note() const { return FImage.data() + kNoteOffset; }

    TReadOptions GetReadOptions() const;
    // A new device number marks the document modified.
    void SetReadOptions(const TReadOptions& options);

    // The getters never exceed their area (kEventsCapacity, kParsetCapacity), whatever
    // a file stored.
    uint16_t GetEventsLength() const;
    void SetEventsLength(uint16_t length);
    uint16_t GetParset1Length() const;
    void SetParset1Length(uint16_t length);
    uint16_t GetParset2Length() const;
    void SetParset2Length(uint16_t length);

    uint8_t GetVersionMajor() const;  // the low byte of the stored word
    void SetVersionMajor(uint16_t major);
    uint16_t GetVersionMinor() const;
    void SetVersionMinor(uint16_t minor);

    platform::TDateTime GetCreationDate() const;
    void SetCreationDate(platform::TDateTime value);
    platform::TDateTime GetEventsReadDate() const;
    void SetEventsReadDate(platform::TDateTime value);
    platform::TDateTime GetParset1ReadDate() const;
    void SetParset1ReadDate(platform::TDateTime value);
    platform::TDateTime GetParset2ReadDate() const;
    void SetParset2ReadDate(platform::TDateTime value);

    // UTF-8 texts; stored as at most 99 code page 1250 characters.
    std::string GetStationInfo() const;
    void SetStationInfo(const std::string& text);
    void SetUnitVersion(const std::string& identification);
    // The identification as shown and as the name of its ".set" file: its two halves
    // joined by "_" (an odd length loses its last character); empty when there is none.
    std::string GetUnitVersion() const;

    // 1 Vesk-2, 2 Vesk-3, 0 none: the identification's second character, or the type
    // digit when the identification is shorter than that.
    int DeviceType() const;
    // Stamps the type, takes that type's event table and loads its definitions.
    void SetDeviceType(int type);
    // "<data dir>/<unit version>.set" when it exists, else Vesk2.set / Vesk3.set by type;
    // for type 0 the definitions stay as they are.
    void LoadDefinitions();

    // Either format. True when a document was loaded. Unknown content shows
    // "File unknown format" and leaves the image as it was. A file that cannot be read or
    // is empty shows which file and why, leaves the image as it was, raises no event and
    // sets readFailed when given.
    bool LoadFromFile(const std::string& name, bool* readFailed = nullptr);
    // Replaces the file only once the new one is complete; on failure shows
    // "Error Not saved." with the file and why, and the document stays modified.
    bool SaveToFile(const std::string& name);
    // Builds a document from the command line's option text (raw files, device type). A
    // raw file that cannot be read, or is empty, ends it with its name and why in message.
    void LoadFromParams(const std::string& options, bool& ok, std::string& message);

    THalvoDefs& Defs() { return FDefs; }
    const THalvoDefs& Defs() const { return FDefs; }
    const TEventTable& EventTable() const { return FEventTable; }

    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }
    // The directory of the ".set" files.
    const std::string& DataDirectory() const { return FDataDirectory; }
    void SetDataDirectory(const std::string& directory) { FDataDirectory = directory; }

    bool IsReading() const { return FIsReading; }
    bool TraceMessages = true;

    // Raised only when set.
    std::function<void()> OnEvRegCompleted;
    std::function<void()> OnCompleteZestawNastaw1;
    std::function<void()> OnCompleteZestawNastaw2;
    std::function<void()> OnBeginRead;
    std::function<void()> OnCompleteAll;

private:
    uint16_t Get16(std::size_t offset) const;
    void Put16(std::size_t offset, uint16_t value);
    platform::TDateTime GetDate(std::size_t offset) const;
    void PutDate(std::size_t offset, platform::TDateTime value);
    std::string GetText(std::size_t offset) const;  // code page 1250 bytes
    void PutText(std::size_t offset, const std::string& bytes);
    void PutReadOptions(const TReadOptions& options);
    std::string DataFile(const std::string& name) const;
    // Fills an area from raw bytes, at most its capacity, and sets its length.
    void FillArea(std::size_t lengthOffset, std::size_t offset, std::size_t capacity, std::string_view bytes);
    bool LoadOlderFormat(const std::string& content);
    void RaiseLoaded();
    static void Raise(const std::function<void()>& event) {
        if (event) event();
    }

    std::array<uint8_t, kImageSize> FImage{};
    std::string FDataDirectory;
    bool FIsReading = false;
    THalvoDefs FDefs;
    TEventTable FEventTable{};
    bool FModified = false;

    THalvoTransfer FTransfer;

public:
    using TTransferFailure = app::TTransferFailure;
    static constexpr std::size_t kFrameSize = THalvoTransfer::kFrameSize;
    // The most bytes one events reading keeps.
    static constexpr std::size_t kEventsReadLimit = 10240;
    static constexpr int kMaxParsetRegisters = static_cast<int>(kParsetCapacity / 2);

    // One transfer runs at a time in the whole process: while any runs (this image's
    // own included, which a second command from a nested event loop would start), every
    // operation below does nothing and reports failure where it returns a value.
    // Exceptions of the link pass to the caller.

    // One request, address byte to CRC (both are set here), and its answer; the result
    // is in the flags and Answer(). An empty request is taken as a cancel.
    void Transact(std::span<const uint8_t> request);
    void Identify();
    // count registers from register number start in frames of at most 125; returns the
    // data bytes stored, never more than destination holds.
    std::size_t ReadRegisters(int start, std::span<uint8_t> destination, int count);
    // n: 1 or 2. The set is replaced only when all of it arrived.
    void ReadParset(int n);
    void ReadEvents();
    // step <= 0 means the remaining count. True when every frame was accepted. A cancel
    // does not cut a write: the device would be left with a set half new, half old.
    bool WriteRegisters(int start, std::span<const uint8_t> source, int step, int count);
    // Document set n into device set m.
    void WriteParset(int n, int m);
    void ReadFromHALVO();
    void CancelReading() { FTransfer.Cancel(); }

    // Whether an events buffer already holds the register's end.
    static bool EventsComplete(std::span<const uint8_t> buffer, const TEventTable& table);

    bool ErrorFlag() const { return FTransfer.ErrorFlag(); }
    bool CancelFlag() const { return FTransfer.CancelFlag(); }
    TTransferFailure LastFailure() const { return FTransfer.LastFailure(); }
    std::span<const uint8_t> Answer() const { return FTransfer.Answer(); }

    // Not owned; nullptr unlinks. Without a log the messages are dropped.
    void SetMessageMemo(IMessageLog* log) { FTransfer.SetMessageLog(log); }
    void AddMessage(const std::string& text) { FTransfer.AddMessage(text); }
    void RemoveLastMessage() { FTransfer.RemoveLastMessage(); }
    void HexDump(std::span<const uint8_t> bytes) { FTransfer.HexDump(bytes); }

private:
    // The steps of the operations above, run under the guard their caller holds.
    // True when the command holds the guard; its transfer then begins.
    bool BeginCommand(const TTransferGuard& guard);
    void DoTransact(std::span<const uint8_t> request);
    void DoIdentify();
    std::size_t DoReadRegisters(int start, std::span<uint8_t> destination, int count);
    void DoReadParset(int n);
    void DoReadEvents();
    bool DoWriteRegisters(int start, std::span<const uint8_t> source, int step, int count,
                          TWriteProgress& progress);
    void DoWriteParset(int n, int m);
};

}  // namespace app
