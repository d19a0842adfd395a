#pragma once
// The sample part (".dat") of a COMTRADE recording in its two standard encodings.
#include "dcomp/recorder/ComTrade3Unit.h"

namespace dcomp {

// The multiplier the data files are written with. A missing one (zero or not finite) is
// estimated from the first rate or the sample times, with one warning, and kept in the
// recording.
double SettleTimeMultiplier(TComtrade& recording, const TOnMessage& onMessage);

// Little-endian records: sample number, time stamp (both 32-bit unsigned), one 16-bit raw
// per analogue channel, the status channels 16 to a word.
class TBinaryDataFileParser : public TComtradeDataFileParser {
public:
    static const TBinaryDataFileParser& Instance();
    std::string ClassName() const override { return "TBinaryDataFileParser"; }
    std::string GetFormatName() const override { return "BINARY"; }
    uint8_t GetCapabilities() const override { return kParserCanRead | kParserCanWrite; }
    void LoadDataFromStream(TComtrade& recording, const TNameList& names, const TStreamList& streams,
                            const TOnMessage& onMessage) const override;
    void SaveDataToStream(TComtrade& recording, const TNameList& names, bool visibleOnly, bool rangeOnly,
                          const TStreamList& streams, const TOnMessage& onMessage) const override;
};

// One line a sample: sample number, time stamp, the analogue raws, the status values.
class TAsciiDataFileParser : public TComtradeDataFileParser {
public:
    static const TAsciiDataFileParser& Instance();
    std::string ClassName() const override { return "TAsciiDataFileParser"; }
    std::string GetFormatName() const override { return "ASCII"; }
    uint8_t GetCapabilities() const override { return kParserCanRead | kParserCanWrite; }
    void LoadDataFromStream(TComtrade& recording, const TNameList& names, const TStreamList& streams,
                            const TOnMessage& onMessage) const override;
    void SaveDataToStream(TComtrade& recording, const TNameList& names, bool visibleOnly, bool rangeOnly,
                          const TStreamList& streams, const TOnMessage& onMessage) const override;
};

}  // namespace dcomp
