#pragma once
// The unit of the data-file parsers and recorder readers: its dictionary group
// "DateFileParserUnit" and its entries in the two registries.
#include <span>
#include <string>
#include <string_view>

#include "dcomp/LangUnit.h"

namespace dcomp {

// The unit's group between its initialisation and finalisation, else nullptr.
TXLangGroup* DataFileParsersLang();
// The group's text of a key; outside the unit's initialisation the default text of the
// keys registered here, else the key itself.
std::string DataFileParsersText(std::string_view key);

// The unit's keys with their default texts, in registration order.
std::span<const TLangText> DataFileParsersTexts();

// The kinds of parameter and the value engine that stores each; nothing looks them up.
struct TParamKind {
    const char* Kind;
    const char* StorageType;  // empty for the first
};
std::span<const TParamKind> ParamKinds();

// Registers the group and its texts, appends Lumo, Vo5, Vo4 and Hak7 to the handlers and
// BINARY, ASCII, QVX_RAW and SLOW_RAW to the parsers.
void InitDataFileParsersUnit();
void FinalizeDataFileParsersUnit();

}  // namespace dcomp
