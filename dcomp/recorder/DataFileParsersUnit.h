#pragma once
// The unit of the data-file parsers and recorder readers: its dictionary group
// "DateFileParserUnit" and its entries in the two registries.
#include <string>
#include <string_view>

namespace dcomp {

class TXLangGroup;

// The unit's group between its initialisation and finalisation, else nullptr.
TXLangGroup* DataFileParsersLang();
// The group's text of a key; outside the unit's initialisation the default text of the
// keys registered here, else the key itself.
std::string DataFileParsersText(std::string_view key);

void InitDataFileParsersUnit();
void FinalizeDataFileParsersUnit();

}  // namespace dcomp
