#include "dcomp/recorder/ComTrade3Unit.h"

#include <algorithm>
#include <memory>

#include "dcomp/VersionListUnit.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/recorder/Comtrade.h"
#include "dcomp/recorder/ComtradeCfg.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/recorder/ComTrade3Unit.cpp 1.41 2011/03/24 09:12:00 rbo Exp $";

[[noreturn]] void AbstractError() {
    throw platform::Exception("Abstract Error");
}

std::unique_ptr<std::vector<const TFileInterface*>> gFileInterfaces;
std::unique_ptr<std::vector<const TComtradeDataFileParser*>> gDataFileParsers;

// The extension of a name: from its last '.', the dot included; empty when none (a dot
// inside a directory name is no extension).
std::string_view ExtensionOf(std::string_view name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos && slash > dot) return {};
    return name.substr(dot);
}

std::string_view FileNameOf(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

const TFileInterface& TFileInterface::Instance() {
    static const TFileInterface instance;
    return instance;
}

std::string TFileInterface::GetName() const {
    AbstractError();
}
std::string TFileInterface::GetDescription() const {
    AbstractError();
}
std::string TFileInterface::GetFileMask() const {
    AbstractError();
}
void TFileInterface::SaveInfoFile(TComtrade&, TMemoryStream&) const {
    AbstractError();
}
bool TFileInterface::CanLoad(TMemoryStream&, const TOnMessage&) const {
    AbstractError();
}
void TFileInterface::SaveViewAttributes(TComtrade&, TMemoryStream&) const {
    AbstractError();
}
void TFileInterface::SaveToStreams(TComtrade&, TNameList&, bool, bool, const std::string&, TStreamList&,
                                   const TOnMessage&) const {
    AbstractError();
}
void TFileInterface::LoadFromStreams(TComtrade&, const TNameList&, const std::string&, const TStreamList&,
                                     const TOnMessage&) const {
    AbstractError();
}
void TFileInterface::GetFileNames(const std::string& fileName, TNameList& names, bool) const {
    names.assign(1, fileName);
}

const TComtradeDataFileParser& TComtradeDataFileParser::Instance() {
    static const TComtradeDataFileParser instance;
    return instance;
}

std::string TComtradeDataFileParser::GetFormatName() const {
    AbstractError();
}
uint8_t TComtradeDataFileParser::GetCapabilities() const {
    AbstractError();
}
void TComtradeDataFileParser::LoadDataFromStream(TComtrade&, const TNameList&, const TStreamList&,
                                                 const TOnMessage&) const {
    AbstractError();
}
void TComtradeDataFileParser::SaveDataToStream(TComtrade&, const TNameList&, bool, bool, const TStreamList&,
                                               const TOnMessage&) const {
    AbstractError();
}

const std::vector<const TFileInterface*>& FileInterfaceList() {
    static const std::vector<const TFileInterface*> empty;
    return gFileInterfaces ? *gFileInterfaces : empty;
}

const std::vector<const TComtradeDataFileParser*>& DataFileParserList() {
    static const std::vector<const TComtradeDataFileParser*> empty;
    return gDataFileParsers ? *gDataFileParsers : empty;
}

void RegisterFileInterface(const TFileInterface& handler, int position) {
    if (!gFileInterfaces) gFileInterfaces = std::make_unique<std::vector<const TFileInterface*>>();
    auto& list = *gFileInterfaces;
    if (position < 0 || static_cast<size_t>(position) >= list.size())
        list.push_back(&handler);
    else
        list.insert(list.begin() + position, &handler);
}

void RegisterDataFileParser(const TComtradeDataFileParser& parser) {
    if (!gDataFileParsers) gDataFileParsers = std::make_unique<std::vector<const TComtradeDataFileParser*>>();
    gDataFileParsers->push_back(&parser);
}

const TComtradeDataFileParser* FindDataFileParser(std::string_view name) {
    for (const TComtradeDataFileParser* parser : DataFileParserList())
        if (parser->GetFormatName() == name) return parser;
    return nullptr;
}

int IndexOfFileByExt(std::string_view ext, const TNameList& names) {
    const std::string wanted = UpperFold(ext);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string name = UpperFold(names[i]);
        if (name == wanted || ExtensionOf(name) == wanted) return static_cast<int>(i);
    }
    return -1;
}

int IndexOfFileByName(std::string_view name, const TNameList& names) {
    const std::string wanted = UpperFold(name);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string entry = UpperFold(names[i]);
        if (entry == wanted || FileNameOf(entry) == wanted) return static_cast<int>(i);
    }
    return -1;
}

const platform::TFormatSettings& ComtradeFormatSettings() {
    static const platform::TFormatSettings settings{'.', '/', ':', "dd/mm/yyyy", "HH:mm:ss"};
    return settings;
}

void InitComTrade3Unit() {
    AddToVersionList(kHeader);
    ResetComtradeClasses();
    if (!gFileInterfaces) gFileInterfaces = std::make_unique<std::vector<const TFileInterface*>>();
    if (!gDataFileParsers) gDataFileParsers = std::make_unique<std::vector<const TComtradeDataFileParser*>>();
    RegisterFileInterface(TComtradeInterface::Instance(), 0);
}

void FinalizeComTrade3Unit() {
    gFileInterfaces.reset();
    gDataFileParsers.reset();
}

}  // namespace dcomp
