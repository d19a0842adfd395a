// What the data-file parsers' unit enters at start-up: its texts in the dictionary and
// its handlers and parsers in the two registries.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/LangUnit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/recorder/Hak7Reader.h"
#include "dcomp/recorder/LumoReader.h"
#include "dcomp/recorder/RawPackets.h"
#include "dcomp/recorder/Vo4Reader.h"
#include "dcomp/recorder/Vo5Reader.h"
#include "tests/dcomp/DcompTest.h"

namespace {

using RegistrationTest = dcomp_test::TUnitsTest;

// The texts as the system defines them, written out here independently of the unit.
const std::vector<std::pair<std::string, std::string>> kWant = {
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

TEST_F(RegistrationTest, TheListsAfterStartUp) {
    std::vector<std::string> handlers;
    for (const dcomp::TFileInterface* h : dcomp::FileInterfaceList()) handlers.push_back(h->GetName());
    // The file set registers itself first; the readers follow in the unit's order.
    EXPECT_EQ(handlers, (std::vector<std::string>{"COMTRADE", "LUMO", "VO5", "VO4", "HAK7"}));
    std::vector<std::string> parsers;
    for (const dcomp::TComtradeDataFileParser* p : dcomp::DataFileParserList())
        parsers.push_back(p->GetFormatName());
    EXPECT_EQ(parsers, (std::vector<std::string>{"BINARY", "ASCII", "QVX_RAW", "SLOW_RAW"}));
    EXPECT_EQ(dcomp::FindDataFileParser("QVX_RAW"), &dcomp::TLumoOPFaultDataFileParser::Instance());
    EXPECT_EQ(dcomp::FindDataFileParser("slow_raw"), nullptr);
}

TEST_F(RegistrationTest, TheUnitsTextsByteForByte) {
    dcomp::TXLangGroup* group = dcomp::DataFileParsersLang();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Name(), "DateFileParserUnit");
    const auto texts = dcomp::DataFileParsersTexts();
    ASSERT_EQ(texts.size(), kWant.size());
    for (std::size_t i = 0; i < kWant.size(); ++i) {
        SCOPED_TRACE(kWant[i].first);
        EXPECT_EQ(texts[i].Key, kWant[i].first);
        EXPECT_EQ(group->Translate(kWant[i].first), kWant[i].second);
        EXPECT_EQ(dcomp::DataFileParsersText(kWant[i].first), kWant[i].second);
    }
    EXPECT_EQ(group->Translate("KEY_NAME"), "Nazwa");
    EXPECT_EQ(group->Translate("KEY_NO_SUCH"), "!!Not found in dictionary:DateFileParserUnit\\KEY_NO_SUCH");
}

TEST_F(RegistrationTest, HandlerNamesDescriptionsAndMasks) {
    struct Case {
        const dcomp::TFileInterface& handler;
        const char *name, *description, *mask;
    };
    const std::vector<Case> cases = {
        {dcomp::TLumoInterface::Instance(), "LUMO", "Rejestrator zakłóceń LUMO i LUMTAR", "*.lum"},
        {dcomp::TVo5Interface::Instance(), "VO5", "Rejestrator przenośny VO5", "*.vo5"},
        {dcomp::TVo4Interface::Instance(), "VO4", "Rejestrator przenośny VO4", "*.bin"},
        {dcomp::THak7Interface::Instance(), "HAK7", "Plik HAK-7", "*zkl.dat"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.handler.GetName(), c.name);
        EXPECT_EQ(c.handler.GetDescription(), c.description);
        EXPECT_EQ(c.handler.GetFileMask(), c.mask);
    }
}

TEST(RegistrationTablesTest, NameAndKindTables) {
    const auto& versions = dcomp::LumoVersionNames();
    EXPECT_EQ(std::vector<std::string>(versions.begin(), versions.end()),
              (std::vector<std::string>{"LumoV1", "LumoV1BK", "LumoV11BK", "LumoV2", "LumoV2BK", "LumoV3BK",
                                        "LumoUNKNOWN"}));
    const auto& kinds = dcomp::Vo5KindNames();
    ASSERT_EQ(kinds.size(), 20u);
    EXPECT_STREQ(kinds[0], "puste");
    EXPECT_STREQ(kinds[7], "NoName");
    EXPECT_STREQ(kinds[17], "Automatic");
    EXPECT_STREQ(kinds[19], "MAthData");
    EXPECT_EQ(dcomp::Vo5KindName(20), "NoName");
    const auto params = dcomp::ParamKinds();
    ASSERT_EQ(params.size(), 21u);
    EXPECT_STREQ(params[0].Kind, "ppPARENT");
    EXPECT_STREQ(params[0].StorageType, "");
    EXPECT_STREQ(params[12].Kind, "ppDFLOAT");
    EXPECT_STREQ(params[12].StorageType, "DFLOAT");
    EXPECT_STREQ(params[20].Kind, "ppBSELECT");
    EXPECT_STREQ(params[20].StorageType, "BYTE");
}

}  // namespace
