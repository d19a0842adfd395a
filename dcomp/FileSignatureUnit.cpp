#include "dcomp/FileSignatureUnit.h"

#include "dcomp/LangUnit.h"

namespace dcomp {

namespace {

const TLangText kTexts[] = {
    {"TXT_FILE1", "Plik pojawił się na dysku."},
    {"TXT_FILE2", "Plik zniknął z dysku"},
    {"TXT_FILE3", "Rozmiar pliku uległ zmianie."},
    {"TXT_FILE4", "Data pliku uległa zmianie"},
};

TXLangGroup* gGroup = nullptr;

}  // namespace

TXLangGroup* FileSignatureGroup() {
    return gGroup;
}

void InitFileSignatureUnit() {
    gGroup = AddLangGroup("FileSignatureUnit", kTexts);
}

void FinalizeFileSignatureUnit() {
    gGroup = nullptr;
}

}  // namespace dcomp
