#include "app/device/Halvobase.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "app/device/HalvoFiles.h"
#include "app/device/ParamOptions.h"
#include "platform/Bytes.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Prompts.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr std::string_view kTypeMarker = "VESK-";
// Why a file that was read gives nothing.
constexpr const char* kEmptyFile = "the file is empty";

const char* const kHelpText =
    "Starting parammeters programme:\n"
    "-buffile buffilename\n"
    "-zns1file zns1filename\n"
    "-zns2file zns2filename\n"
    "-halvotype [vesk2|vesk3|eproms string]\n"
    "-h -szhow this message";

// Reads the older format's fields in order; every step checks the bytes are there.
class TCursor {
public:
    explicit TCursor(std::string_view data, std::size_t pos = 0) : FData(data), FPos(pos) {}
    bool Take(std::size_t n, std::string_view& out) {
        if (n > FData.size() - FPos) return false;
        out = FData.substr(FPos, n);
        FPos += n;
        return true;
    }
    bool U8(uint8_t& v) {
        std::string_view b;
        if (!Take(1, b)) return false;
        v = static_cast<uint8_t>(b[0]);
        return true;
    }
    bool U16(uint16_t& v) {
        std::string_view b;
        if (!Take(2, b)) return false;
        v = platform::GetLe16(reinterpret_cast<const uint8_t*>(b.data()));
        return true;
    }
    bool F64(double& v) {
        std::string_view b;
        if (!Take(8, b)) return false;
        v = platform::GetLeDouble(reinterpret_cast<const uint8_t*>(b.data()));
        return true;
    }
    // A block with its 16-bit length.
    bool Block(std::string_view& out) {
        uint16_t n = 0;
        return U16(n) && Take(n, out);
    }
    std::string_view Rest() const { return FData.substr(FPos); }

private:
    std::string_view FData;
    std::size_t FPos;
};

// What an older-format file holds, checked whole before any of it is used.
struct TOlderDocument {
    uint8_t DeviceType = 0;
    uint8_t VersionMajor = 0;
    double CreationDate = 0;
    std::vector<std::string> NoteLines;  // UTF-8
    double EventsReadDate = 0, Parset1ReadDate = 0, Parset2ReadDate = 0;
    TReadOptions Options;
    std::string_view Events, Parset1, Parset2;
    std::optional<std::string_view> Identification;
};

constexpr std::size_t kOlderHeaderSize = 260;
constexpr std::size_t kOlderLineTableOffset = 16;

std::optional<TOlderDocument> ParseOlderFormat(std::string_view data) {
    if (data.size() < kOlderHeaderSize || data.substr(1, 4) != "VESK") return std::nullopt;
    TOlderDocument doc;
    doc.DeviceType = static_cast<uint8_t>(data[5]);
    doc.VersionMajor = static_cast<uint8_t>(data[6]);
    const std::size_t lineCount = static_cast<uint8_t>(data[7]);
    // The line lengths belong to the header; a table running past it is no header.
    if (kOlderLineTableOffset + lineCount > kOlderHeaderSize) return std::nullopt;
    TCursor head(data, 8);
    head.F64(doc.CreationDate);

    TCursor c(data, kOlderHeaderSize);
    for (std::size_t i = 0; i < lineCount; ++i) {
        const auto length = static_cast<uint8_t>(data[kOlderLineTableOffset + i]);
        std::string_view lengthByte, line;
        if (!c.Take(1, lengthByte) || !c.Take(length, line)) return std::nullopt;
        doc.NoteLines.push_back(platform::Cp1250ToUtf8(line));
    }
    std::string_view options;
    if (!c.F64(doc.EventsReadDate) || !c.F64(doc.Parset1ReadDate) || !c.F64(doc.Parset2ReadDate) ||
        !c.Take(THalvo::kReadOptionsSize, options) || !c.Block(doc.Events) || !c.Block(doc.Parset1) ||
        !c.Block(doc.Parset2))
        return std::nullopt;
    const auto* o = reinterpret_cast<const uint8_t*>(options.data());
    doc.Options = {o[0], o[1], o[2], o[3], o[4], o[5]};
    if (doc.VersionMajor > 2) {
        const std::string_view rest = c.Rest();
        doc.Identification = rest.substr(0, rest.find('\0'));
    }
    return doc;
}

}  // namespace

THalvo::THalvo() {
    PutReadOptions(TReadOptions{});
    SetCreationDate(platform::Now());
    SetVersionMajor(4);
    SetVersionMinor(0);
    SetDeviceType(0);
}

uint16_t THalvo::Get16(std::size_t offset) const {
    return platform::GetLe16(FImage.data() + offset);
}

void THalvo::Put16(std::size_t offset, uint16_t value) {
    platform::PutLe16(FImage.data() + offset, value);
}

platform::TDateTime THalvo::GetDate(std::size_t offset) const {
    return platform::GetLeDouble(FImage.data() + offset);
}

void THalvo::PutDate(std::size_t offset, platform::TDateTime value) {
    platform::PutLeDouble(FImage.data() + offset, value);
}

std::string THalvo::GetText(std::size_t offset) const {
    const auto* begin = reinterpret_cast<const char*>(FImage.data() + offset);
    const std::string_view area(begin, kTextAreaSize);
    // Without a NUL the text is what a NUL in the last byte would have left.
    return std::string(area.substr(0, std::min(area.find('\0'), kMaxTextLength)));
}

void THalvo::PutText(std::size_t offset, const std::string& bytes) {
    const std::size_t n = std::min(bytes.size(), kMaxTextLength);
    std::fill_n(FImage.begin() + static_cast<std::ptrdiff_t>(offset), kTextAreaSize, uint8_t{0});
    std::memcpy(FImage.data() + offset, bytes.data(), n);
}

TReadOptions THalvo::GetReadOptions() const {
    const uint8_t* o = FImage.data() + kReadOptionsOffset;
    return {o[0], o[1], o[2], o[3], o[4], o[5]};
}

void THalvo::PutReadOptions(const TReadOptions& options) {
    uint8_t* o = FImage.data() + kReadOptionsOffset;
    o[0] = options.DeviceNumber;
    o[1] = options.ReadParset1;
    o[2] = options.ReadParset2;
    o[3] = options.ReadEvents;
    o[4] = options.CorrectStartTimes;
    o[5] = options.ShowAllEvents;
}

void THalvo::SetReadOptions(const TReadOptions& options) {
    if (options.DeviceNumber != FImage[kReadOptionsOffset]) FModified = true;
    PutReadOptions(options);
}

uint16_t THalvo::GetEventsLength() const {
    return std::min<uint16_t>(Get16(kEventsLengthOffset), kEventsCapacity);
}
void THalvo::SetEventsLength(uint16_t length) {
    Put16(kEventsLengthOffset, length);
}
uint16_t THalvo::GetParset1Length() const {
    return std::min<uint16_t>(Get16(kParset1LengthOffset), kParsetCapacity);
}
void THalvo::SetParset1Length(uint16_t length) {
    Put16(kParset1LengthOffset, length);
}
uint16_t THalvo::GetParset2Length() const {
    return std::min<uint16_t>(Get16(kParset2LengthOffset), kParsetCapacity);
}
void THalvo::SetParset2Length(uint16_t length) {
    Put16(kParset2LengthOffset, length);
}

uint8_t THalvo::GetVersionMajor() const {
    return FImage[kVersionMajorOffset];
}
void THalvo::SetVersionMajor(uint16_t major) {
    Put16(kVersionMajorOffset, major);
}
uint16_t THalvo::GetVersionMinor() const {
    return Get16(kVersionMinorOffset);
}
void THalvo::SetVersionMinor(uint16_t minor) {
    Put16(kVersionMinorOffset, minor);
}

platform::TDateTime THalvo::GetCreationDate() const {
    return GetDate(kCreationDateOffset);
}
void THalvo::SetCreationDate(platform::TDateTime value) {
    PutDate(kCreationDateOffset, value);
}
platform::TDateTime THalvo::GetEventsReadDate() const {
    return GetDate(kEventsReadDateOffset);
}
void THalvo::SetEventsReadDate(platform::TDateTime value) {
    PutDate(kEventsReadDateOffset, value);
}
platform::TDateTime THalvo::GetParset1ReadDate() const {
    return GetDate(kParset1ReadDateOffset);
}
void THalvo::SetParset1ReadDate(platform::TDateTime value) {
    PutDate(kParset1ReadDateOffset, value);
}
platform::TDateTime THalvo::GetParset2ReadDate() const {
    return GetDate(kParset2ReadDateOffset);
}
void THalvo::SetParset2ReadDate(platform::TDateTime value) {
    PutDate(kParset2ReadDateOffset, value);
}

std::string THalvo::GetStationInfo() const {
    return platform::Cp1250ToUtf8(GetText(kStationInfoOffset));
}
void THalvo::SetStationInfo(const std::string& text) {
    PutText(kStationInfoOffset, platform::Utf8ToCp1250(text));
}

void THalvo::SetUnitVersion(const std::string& identification) {
    PutText(kIdentificationOffset, platform::Utf8ToCp1250(identification));
}

std::string THalvo::GetUnitVersion() const {
    const std::string id = GetText(kIdentificationOffset);
    if (id.empty()) return {};
    const std::size_t half = id.size() / 2;
    return platform::Cp1250ToUtf8(id.substr(0, half) + "_" + id.substr(half, half));
}

int THalvo::DeviceType() const {
    const std::string id = GetText(kIdentificationOffset);
    const char c = id.size() >= 2 ? id[1] : static_cast<char>(FImage[kTypeDigitOffset]);
    return c == '2' ? 1 : c == '3' ? 2 : 0;
}

void THalvo::SetDeviceType(int type) {
    std::memcpy(FImage.data() + kTypeMarkerOffset, kTypeMarker.data(), kTypeMarker.size());
    FImage[kTypeDigitOffset] = type == 1 ? '2' : type == 2 ? '3' : '0';
    FImage[kTypeEndOffset] = 0;
    FEventTable = (type == 1 || type == 2) ? EventDescriptions(type) : TEventTable{};
    LoadDefinitions();
}

std::string THalvo::DataFile(const std::string& name) const {
    return FDataDirectory.empty() ? name : platform::JoinPath(FDataDirectory, name);
}

void THalvo::LoadDefinitions() {
    const std::string unitVersion = GetUnitVersion();
    // An identification is a device's text, not a path: one with "/" names no file here.
    if (!unitVersion.empty() && unitVersion.find('/') == std::string::npos) {
        const std::string own = DataFile(unitVersion + ".set");
        if (platform::FileExists(own)) {
            FDefs.LoadFromFile(own);
            return;
        }
    }
    switch (DeviceType()) {
        case 1:
            FDefs.LoadFromFile(DataFile("Vesk2.set"));
            break;
        case 2:
            FDefs.LoadFromFile(DataFile("Vesk3.set"));
            break;
        default:
            break;
    }
}

void THalvo::FillArea(std::size_t lengthOffset, std::size_t offset, std::size_t capacity,
                      std::string_view bytes) {
    const std::size_t n = std::min(bytes.size(), capacity);
    std::memcpy(FImage.data() + offset, bytes.data(), n);
    Put16(lengthOffset, static_cast<uint16_t>(n));
}

bool THalvo::LoadOlderFormat(const std::string& content) {
    const std::optional<TOlderDocument> doc = ParseOlderFormat(content);
    if (!doc) return false;
    SetDeviceType(doc->DeviceType);
    SetVersionMajor(doc->VersionMajor);
    SetVersionMinor(0);
    SetCreationDate(doc->CreationDate);
    StringsToBuffer(doc->NoteLines, Note(), kNoteSize);
    SetEventsReadDate(doc->EventsReadDate);
    SetParset1ReadDate(doc->Parset1ReadDate);
    SetParset2ReadDate(doc->Parset2ReadDate);
    SetReadOptions(doc->Options);
    FillArea(kEventsLengthOffset, kEventsOffset, kEventsCapacity, doc->Events);
    FillArea(kParset1LengthOffset, kParset1Offset, kParsetCapacity, doc->Parset1);
    FillArea(kParset2LengthOffset, kParset2Offset, kParsetCapacity, doc->Parset2);
    if (doc->Identification) PutText(kIdentificationOffset, std::string(*doc->Identification));
    return true;
}

void THalvo::RaiseLoaded() {
    SetDeviceType(DeviceType());
    Raise(OnCompleteZestawNastaw1);
    Raise(OnEvRegCompleted);
    Raise(OnCompleteAll);
}

bool THalvo::LoadFromFile(const std::string& name, bool* readFailed) {
    FModified = false;
    if (readFailed) *readFailed = false;
    std::string content, reason;
    if (!platform::ReadFileHead(name, kMaxDocumentFileSize + 1, content, &reason) || content.empty()) {
        // No content is no document: told, so that it is never taken for an empty one.
        if (reason.empty()) reason = kEmptyFile;
        platform::Prompts().MessageDlg("File " + name + " could not be read: " + reason,
                                       platform::TMsgDlgType::Error, platform::mbOK);
        if (readFailed) *readFailed = true;
        return false;
    }
    if (content.size() == kImageSize && content.starts_with(kTypeMarker)) {
        std::memcpy(FImage.data(), content.data(), kImageSize);
    } else if (content.size() <= kMaxDocumentFileSize && LoadOlderFormat(content)) {
        // Taking over the file's reading options is no edit of the document.
        FModified = false;
    } else {
        platform::Prompts().MessageDlg("File unknown format", platform::TMsgDlgType::Error, platform::mbOK);
        return false;
    }
    RaiseLoaded();
    return true;
}

bool THalvo::SaveToFile(const std::string& name) {
    if (!SaveBufferToFile(name, FImage.data(), kImageSize)) return false;
    FModified = false;
    return true;
}

void THalvo::LoadFromParams(const std::string& options, bool& ok, std::string& message) {
    ok = true;
    message.clear();
    struct TFileOption {
        std::string Name;
        bool Given = false;
    } events, parset1, parset2;
    std::string identification;
    bool identificationGiven = false;
    int type = 0;
    bool typeGiven = false;

    const TParamOptions cut = CutParamOptions(options);
    if (!cut.Leading.empty()) {
        ok = false;
        message = " then expected character was: \"-\" :" + std::string(cut.Text);
    }
    for (std::size_t n = 0; n < cut.Options.size() && ok; ++n) {
        const std::string_view key = cut.Options[n].Key;
        const std::string value(cut.Options[n].Value);
        if (key == "buffile") {
            events = {value, true};
        } else if (key == "zns1file") {
            parset1 = {value, true};
        } else if (key == "zns2file") {
            parset2 = {value, true};
        } else if (key == "halvotype") {
            if (value == "vesk2" || value == "vesk3") {
                type = value == "vesk2" ? 1 : 2;
                typeGiven = true;
            } else {
                identification = platform::UpperCase(value);
                identificationGiven = true;
            }
        } else if (key == "h") {
            message = kHelpText;
        } else {
            ok = false;
            message = "Unknown command: " + std::string(key);
        }
    }
    if (!ok) return;

    if (events.Given || parset1.Given || parset2.Given || identificationGiven || typeGiven) {
        if (identificationGiven) {
            SetUnitVersion(identification);
            SetDeviceType(DeviceType());
        } else {
            SetDeviceType(typeGiven ? type : 0);
        }
    }
    struct TArea {
        const TFileOption& File;
        std::size_t LengthOffset, Offset, Capacity;
    };
    for (const TArea& a : {TArea{events, kEventsLengthOffset, kEventsOffset, kEventsCapacity},
                           TArea{parset1, kParset1LengthOffset, kParset1Offset, kParsetCapacity},
                           TArea{parset2, kParset2LengthOffset, kParset2Offset, kParsetCapacity}}) {
        if (!a.File.Given) continue;
        std::string bytes, reason;
        if (!platform::ReadFileHead(a.File.Name, a.Capacity, bytes, &reason) || bytes.empty()) {
            ok = false;
            message = "Cant load the file: " + a.File.Name + ": " + (reason.empty() ? kEmptyFile : reason);
            return;
        }
        FillArea(a.LengthOffset, a.Offset, a.Capacity, bytes);
    }
    RaiseLoaded();
}

}  // namespace app
