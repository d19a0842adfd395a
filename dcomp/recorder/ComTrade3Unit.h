#pragma once
// The bases of the whole-file format handlers and of the data-file parsers, their two
// process-wide registries, the parser lookup and the companion-file searches.
// Handlers and parsers are used as classes: each class has one static instance, the
// registries hold references to those, and a slot a class does not override raises
// "Abstract Error".
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/recorder/MemoryStream.h"
#include "platform/FormatSettings.h"

namespace dcomp {

class TComtrade;

class TFileInterface {
public:
    virtual ~TFileInterface() = default;
    static const TFileInterface& Instance();
    virtual std::string ClassName() const { return "TFileInterface"; }

    virtual std::string GetName() const;
    virtual std::string GetDescription() const;
    virtual std::string GetFileMask() const;  // masks separated by ';'
    virtual void SaveInfoFile(TComtrade& recording, TMemoryStream& stream) const;
    virtual bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const;
    virtual void SaveViewAttributes(TComtrade& recording, TMemoryStream& stream) const;
    // Fills names with the companion names and streams with one new stream per name.
    virtual void SaveToStreams(TComtrade& recording, TNameList& names, bool visibleOnly, bool rangeOnly,
                               const std::string& formatName, TStreamList& streams,
                               const TOnMessage& onMessage) const;
    // Name i is the file name of stream i; the selector picks one recording of several.
    virtual void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                                 const TStreamList& streams, const TOnMessage& onMessage) const;
    // The base gives the one file name itself.
    virtual void GetFileNames(const std::string& fileName, TNameList& names, bool existingOnly) const;

protected:
    TFileInterface() = default;
};

inline constexpr uint8_t kParserCanRead = 1;
inline constexpr uint8_t kParserCanWrite = 2;

class TComtradeDataFileParser {
public:
    virtual ~TComtradeDataFileParser() = default;
    static const TComtradeDataFileParser& Instance();
    virtual std::string ClassName() const { return "TComtradeDataFileParser"; }

    // The configuration's file-type line that this parser reads ("BINARY", "ASCII", ...).
    virtual std::string GetFormatName() const;
    // kParserCanRead | kParserCanWrite
    virtual uint8_t GetCapabilities() const;
    // Fills the sample buffers and times of a recording whose configuration was read.
    virtual void LoadDataFromStream(TComtrade& recording, const TNameList& names, const TStreamList& streams,
                                    const TOnMessage& onMessage) const;
    virtual void SaveDataToStream(TComtrade& recording, const TNameList& names, bool visibleOnly,
                                  bool rangeOnly, const TStreamList& streams,
                                  const TOnMessage& onMessage) const;

protected:
    TComtradeDataFileParser() = default;
};

// Empty before the first registration and after the unit's finalisation.
const std::vector<const TFileInterface*>& FileInterfaceList();
const std::vector<const TComtradeDataFileParser*>& DataFileParserList();
// Position -1 appends; any other inserts there (clamped to the list).
void RegisterFileInterface(const TFileInterface& handler, int position);
void RegisterDataFileParser(const TComtradeDataFileParser& parser);
// The first parser whose GetFormatName equals the name exactly; nullptr when none.
const TComtradeDataFileParser* FindDataFileParser(std::string_view name);

// The index of the first name that equals ext or has it as extension (letter case
// ignored); -1 when none.
int IndexOfFileByExt(std::string_view ext, const TNameList& names);
// The index of the first name that equals the name, or whose part after the last '/' or
// '\' does (letter case ignored); -1 when none.
int IndexOfFileByName(std::string_view name, const TNameList& names);

// '.' decimal, '/' date and ':' time separators, "dd/mm/yyyy", "HH:mm:ss": every number of
// the COMTRADE files is read and written with these.
const platform::TFormatSettings& ComtradeFormatSettings();

void InitComTrade3Unit();
void FinalizeComTrade3Unit();

}  // namespace dcomp
