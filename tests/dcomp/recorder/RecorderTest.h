#pragma once
// What the recording tests share: the sample files beside them, stream lists, and a
// configuration read from a text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/ComtradeDatParsers.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "tests/dcomp/DcompTest.h"

namespace recorder_test {

inline std::string DataFile(const std::string& relative) {
    std::string bytes;
    const std::string path = std::string(HALVO_TEST_DATA) + "/data/" + relative;
    if (!platform::ReadWholeFile(path, bytes)) ADD_FAILURE() << "cannot read " << path;
    return bytes;
}

// Parallel name and stream lists, as a file set hands them over.
struct TFileSet {
    dcomp::TNameList Names;
    dcomp::TStreamList Streams;

    TFileSet& Add(const std::string& name, std::string bytes) {
        Names.push_back(name);
        Streams.push_back(std::make_unique<dcomp::TMemoryStream>(std::move(bytes)));
        return *this;
    }
    dcomp::TMemoryStream& Stream(size_t i) { return *Streams.at(i); }
};

// Messages a callback received.
struct TMessages {
    std::vector<std::string> Texts;
    dcomp::TOnMessage Callback() {
        return [this](const std::string& text) { Texts.push_back(text); };
    }
};

// ReadCfg of a text; the handler's working instance keeps the file type.
inline std::string ReadCfgText(dcomp::TComtrade& recording, const std::string& text,
                               const dcomp::TOnMessage& onMessage = {}) {
    dcomp::TComtradeInterface handler;
    dcomp::TMemoryStream stream(text);
    handler.ReadCfg(recording, stream, onMessage);
    return handler.DataFileFormat;
}

// The failure text of ReadCfg, empty when it read.
inline std::string CfgError(const std::string& text, const dcomp::TOnMessage& onMessage = {}) {
    dcomp::TComtrade recording;
    try {
        ReadCfgText(recording, text, onMessage);
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return "";
}

// Every test runs inside the units and leaves the process-wide date format as it was.
class TRecorderTest : public dcomp_test::TUnitsTest {
protected:
    platform::TFormatSettings FSettings = platform::AppFormatSettings();
    platform::TAppFormatSettingsScope FFormat{FSettings};
};

}  // namespace recorder_test
