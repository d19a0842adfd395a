#pragma once
// The COMTRADE file set: the companion streams (".CFG", ".DAT", ".HDR", ".INF" and the
// folder's "Default.inf"), the information file, and loading and saving a whole set
// beside a path.
#include <string>

#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/ComtradeCfg.h"
#include "dcomp/recorder/IniDocument.h"
#include "dcomp/recorder/MemoryStream.h"

namespace dcomp {

// The information file's sections; channel sections take the 1-based position of the
// channel in its list after the prefix.
inline constexpr const char* kInfFileDescription = "Public File_Description";
inline constexpr const char* kInfAnalogChannel = "Public Analog_Channel_#";
inline constexpr const char* kInfStatusChannel = "Public Status_Channel_#";
inline constexpr const char* kInfRecAttribs = "Quarnel RecAttribs";
inline constexpr const char* kDefaultInfName = "Default.inf";

// The handler's operations are TComtradeInterface's (ComtradeCfg.h). On a case-sensitive
// file system each name of GetFileNames is the existing file of its folder whose name
// matches ignoring letter case (the exact spelling first), else the upper-case extension
// spelling. SaveToStreams changes nothing of the recording when the format has no
// writing parser; the information file it writes describes the written channels and
// starts at the first written sample.

// Opens the companions of the path that exist and loads them into the recording, which
// is cleared first.
void LoadComtradeFiles(const std::string& path, TComtrade& recording, const TOnMessage& onMessage);
// Saves the recording's file set beside the path, each file replaced whole; writes
// nothing when producing the set fails.
void SaveComtradeFiles(const std::string& path, TComtrade& recording, bool visibleOnly, bool rangeOnly,
                       const std::string& formatName, const TOnMessage& onMessage);

}  // namespace dcomp
