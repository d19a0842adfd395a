#pragma once
// The texts of the file-change watcher, in the dictionary group "FileSignatureUnit".
namespace dcomp {

class TXLangGroup;
// None outside the unit's initialisation and finalisation.
TXLangGroup* FileSignatureGroup();

void InitFileSignatureUnit();
void FinalizeFileSignatureUnit();

}  // namespace dcomp
