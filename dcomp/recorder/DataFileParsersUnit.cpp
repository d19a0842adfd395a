#include "dcomp/recorder/DataFileParsersUnit.h"

#include "dcomp/LangUnit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/ComtradeDatParsers.h"
#include "dcomp/recorder/Hak7Reader.h"
#include "dcomp/recorder/LumoReader.h"
#include "dcomp/recorder/RawPackets.h"
#include "dcomp/recorder/Vo4Reader.h"
#include "dcomp/recorder/Vo5Reader.h"

namespace dcomp {

namespace {

// The group's texts in registration order. "\\e" at the end of a text is part of it: the
// two characters that mark an error.
const TLangText kTexts[] = {
    {"KEY_CORRUPTED_REC", "%s: uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"KEY_CANCELLED_REC", "%s: przerwana rejestracja. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"KEY_CORRUPTED_REC2", "Uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"KEY_DAT_NOT_FOUND", "brak pliku dat"},
    {"KEY_DAT_STREAM_NOT_FOUND", "brak strumienia *.dat"},
    {"KEY_READ_SAMP_TIME", "odczyt czasu dla próbki nr "},
    {"KEY_ERROR", "błąd:"},
    {"KEY_INCORRECT_DAT_FILE", "Niepoprawny plik *.DAT ."},
    {"KEY_VO5_DESC", "Rejestrator przenośny VO5"},
    {"KEY_UNKNOWN_FILE_HEADER", "Nieznany nagłówek pliku"},
    {"KEY_UNEXPECTED_EOD", "Niekompletne dane"},
    {"KEY_DMG_FIX_CNT", "Dane uszkodzone. Licznik napraw = %u"},
    {"KEY_VO4_DESC", "Rejestrator przenośny VO4"},
    {"KEY_INCOMPLETE_DATA", "Nie kompletne dane"},
    {"KEY_LUMOI_DESC", "Rejestrator zakłóceń LUMO i LUMTAR"},
    {"KEY_CFG_READ_ERROR", "Błąd odczytu CFG z pliku"},
    {"KEY_CFG_CHKSUM_ERROR", "CFG błędna suma kontrolna"},
    {"KEY_HDR_READ_ERROR", "Błąd przy odczycie nagłówka danych"},
    {"KEY_UNRECOG_SIGNATURE_I", "Nie rozpoznana sygnatura dla pliku w wersji I"},
    {"KEY_UNRECOG_SIGNATURE_IS", "Nie rozpoznana sygnatura dla pliku w wersji IS"},
    {"KEY_UNRECOG_SIGNATURE_II", "Nie rozpoznana sygnatura dla pliku w wersji II"},
    {"KEY_INVALID_HDRSPEED", "Nie właściwa wartość pola Header.PomSpeed"},
    {"KEY_DAT_STORED_INCORRECTLY", "Plik danych nie został poprawnie zapisany w rejestratorze."},
    {"KEY_DATA_CORRUPTED_IN", "Uszkodzone dane w pliku:"},
    {"KEY_DATA_CORRUPTED", "Uszkodzone dane"},
    {"KEY_ERROR_READING_HDR", "Błąd odczytu nagłówka"},
    {"KEY_HIOKII_DESC", "Rejestrator firmy HIOKI"},
    {"KEY_HIOKI_ERROR_LINE", "Błąd w linii %u pliku Hioki"},
    {"KEY_SELECT_RECNUM", "W pliku jest %u rejestracji. podaj numer wybranej:"},
    {"KEY_NAME", "Nazwa"},
    {"KEY_INTEGRAL", "Całka"},
    {"KEY_PWRCUT_ABBR", "Wyl"},
    {"KEY_PWRCUT", "Wyłączenie"},
    {"KEY_ERROR_IN_DAT_LINE_us", "Błąd w %u linii pliku .dat : %s"},
};

constexpr TParamKind kParamKinds[] = {
    {"ppPARENT", ""},       {"ppWBOOL", "WORD"},     {"ppBYTE", "BYTE"},   {"ppINT", "INT16"},
    {"ppWORD", "WORD"},     {"ppLONG", "INT32"},     {"ppDWORD", "DWORD"}, {"ppBITBYTE", "BYTE"},
    {"ppBITWORD", "WORD"},  {"ppBITDWORD", "DWORD"}, {"ppSTR", "BYTE"},    {"ppFLOAT", "FLOAT"},
    {"ppDFLOAT", "DFLOAT"}, {"ppSELECT", "INT16"},   {"ppIP", "DWORD"},    {"ppPROCENT", "INT16"},
    {"ppDATETIME", "BYTE"}, {"pp1_15", "INT16"},     {"ppHIDDEN", "BYTE"}, {"ppBBOOL", "BYTE"},
    {"ppBSELECT", "BYTE"},
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

std::span<const TLangText> DataFileParsersTexts() {
    return kTexts;
}

std::span<const TParamKind> ParamKinds() {
    return kParamKinds;
}

void InitDataFileParsersUnit() {
    gGroup = AddLangGroup("DateFileParserUnit", kTexts);
    RegisterFileInterface(TLumoInterface::Instance(), -1);
    RegisterFileInterface(TVo5Interface::Instance(), -1);
    RegisterFileInterface(TVo4Interface::Instance(), -1);
    RegisterFileInterface(THak7Interface::Instance(), -1);
    RegisterDataFileParser(TBinaryDataFileParser::Instance());
    RegisterDataFileParser(TAsciiDataFileParser::Instance());
    RegisterDataFileParser(TLumoOPFaultDataFileParser::Instance());
    RegisterDataFileParser(TLumoOPTrendDataFileParser::Instance());
}

void FinalizeDataFileParsersUnit() {
    gGroup = nullptr;
}

}  // namespace dcomp
