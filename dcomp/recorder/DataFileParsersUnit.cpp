#include "dcomp/recorder/DataFileParsersUnit.h"

#include "dcomp/LangUnit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/ComtradeDatParsers.h"

namespace dcomp {

namespace {

// The group's texts in registration order.
const TLangText kTexts[] = {
    {"KEY_DAT_NOT_FOUND", "brak pliku dat"},
    {"KEY_DAT_STREAM_NOT_FOUND", "brak strumienia *.dat"},
    {"KEY_READ_SAMP_TIME", "odczyt czasu dla próbki nr "},
    {"KEY_ERROR", "błąd:"},
    {"KEY_ERROR_IN_DAT_LINE_us", "Błąd w %u linii pliku .dat : %s"},
};

TXLangGroup* gGroup = nullptr;

}  // namespace

TXLangGroup* DataFileParsersLang() {
    return gGroup;
}

std::string DataFileParsersText(std::string_view key) {
    if (gGroup != nullptr) return gGroup->Translate(key);
    for (const TLangText& t : kTexts)
        if (key == t.Key) return t.Text;
    return std::string(key);
}

void InitDataFileParsersUnit() {
    gGroup = AddLangGroup("DateFileParserUnit", kTexts);
    RegisterDataFileParser(TBinaryDataFileParser::Instance());
    RegisterDataFileParser(TAsciiDataFileParser::Instance());
}

void FinalizeDataFileParsersUnit() {
    gGroup = nullptr;
}

}  // namespace dcomp
