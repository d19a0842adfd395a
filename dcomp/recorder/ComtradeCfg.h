#pragma once
// The COMTRADE handler's configuration file (".CFG"): reading into a recording and
// writing from one, in the 1991 layout (revision 0 or 1) and the 1999 layout.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"

namespace dcomp {

// The unit's two text tables: data file formats by index and PS letters by value.
inline constexpr const char* kDataFileFormatNames[2] = {"ASCII", "BINARY"};
inline constexpr const char* kPSNames[2] = {"P", "S"};

// The lines of a text with a counter of the lines taken.
class TSourceList {
public:
    std::vector<std::string> Lines;
    int Counter = 0;  // the 1-based number of the last line taken

    // Code page 1250, or UTF-8 after a byte-order mark; counter back to 0.
    void LoadFromBytes(std::string_view bytes);
    bool AtEnd() const { return Counter >= static_cast<int>(Lines.size()); }
    // The next line without blanks and control characters at its ends; platform::Exception
    // "Unexpected end of file" past the last line.
    std::string NextLine();
};

class TComtradeInterface : public TFileInterface {
public:
    static const TComtradeInterface& Instance();
    std::string ClassName() const override { return "TComtradeInterface"; }

    // The file set's operations (ComtradeInterface.cpp).
    std::string GetName() const override { return "COMTRADE"; }
    std::string GetDescription() const override { return "Plik commtrade"; }
    std::string GetFileMask() const override { return "*.cfg;*.zip"; }
    void SaveInfoFile(TComtrade& recording, TMemoryStream& stream) const override;
    bool CanLoad(TMemoryStream& stream, const TOnMessage& onMessage) const override;
    void SaveViewAttributes(TComtrade& recording, TMemoryStream& stream) const override;
    void SaveToStreams(TComtrade& recording, TNameList& names, bool visibleOnly, bool rangeOnly,
                       const std::string& formatName, TStreamList& streams,
                       const TOnMessage& onMessage) const override;
    void LoadFromStreams(TComtrade& recording, const TNameList& names, const std::string& selector,
                         const TStreamList& streams, const TOnMessage& onMessage) const override;
    void GetFileNames(const std::string& fileName, TNameList& names, bool existingOnly) const override;

    // The data file format name of the working instance: the upper-cased file type line
    // that ReadCfg found, or the format asked to write.
    std::string DataFileFormat;

    // From the stream's beginning into a recording in its Clear state; every failure is
    // platform::Exception "Błąd w %u linii pliku .cfg : %s". The recording takes the
    // last segment's sample count, unless its rate list defers the tables.
    void ReadCfg(TComtrade& recording, TMemoryStream& stream, const TOnMessage& onMessage);
    // The configuration of the given channels and of the samples firstIndex (inclusive)
    // to endIndex (exclusive); formatByte 0 "ASCII", 1 "BINARY", no file type line else.
    void WriteCfg(const TComtrade& recording, std::vector<std::string>& lines,
                  const TCyfrList& statusChannels, const TAnalogList& analogChannels, int64_t endIndex,
                  int64_t firstIndex, uint8_t formatByte) const;
    // WriteCfg into the emptied stream, code page 1250, lines ended by CR LF.
    void WriteCfgToStream(const TComtrade& recording, TMemoryStream& stream, const TCyfrList& statusChannels,
                          const TAnalogList& analogChannels, int64_t endIndex, int64_t firstIndex,
                          uint8_t formatByte) const;
};

}  // namespace dcomp
