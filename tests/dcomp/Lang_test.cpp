#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "dcomp/FileSignatureUnit.h"
#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/XMeasBoxCpx.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;
using dcomp_test::RunProgram;

namespace {

struct TGroupText {
    const char* Group;
    const char* Key;
    const char* Text;
};

// Every text the units register, in registration order, as the system words them.
const TGroupText kAllTexts[] = {
    {"DateFileParserUnit", "KEY_CORRUPTED_REC",
     "%s: uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"DateFileParserUnit", "KEY_CANCELLED_REC",
     "%s: przerwana rejestracja. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"DateFileParserUnit", "KEY_CORRUPTED_REC2", "Uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"},
    {"DateFileParserUnit", "KEY_DAT_NOT_FOUND", "brak pliku dat"},
    {"DateFileParserUnit", "KEY_DAT_STREAM_NOT_FOUND", "brak strumienia *.dat"},
    {"DateFileParserUnit", "KEY_READ_SAMP_TIME", "odczyt czasu dla próbki nr "},
    {"DateFileParserUnit", "KEY_ERROR", "błąd:"},
    {"DateFileParserUnit", "KEY_INCORRECT_DAT_FILE", "Niepoprawny plik *.DAT ."},
    {"DateFileParserUnit", "KEY_VO5_DESC", "Rejestrator przenośny VO5"},
    {"DateFileParserUnit", "KEY_UNKNOWN_FILE_HEADER", "Nieznany nagłówek pliku"},
    {"DateFileParserUnit", "KEY_UNEXPECTED_EOD", "Niekompletne dane"},
    {"DateFileParserUnit", "KEY_DMG_FIX_CNT", "Dane uszkodzone. Licznik napraw = %u"},
    {"DateFileParserUnit", "KEY_VO4_DESC", "Rejestrator przenośny VO4"},
    {"DateFileParserUnit", "KEY_INCOMPLETE_DATA", "Nie kompletne dane"},
    {"DateFileParserUnit", "KEY_LUMOI_DESC", "Rejestrator zakłóceń LUMO i LUMTAR"},
    {"DateFileParserUnit", "KEY_CFG_READ_ERROR", "Błąd odczytu CFG z pliku"},
    {"DateFileParserUnit", "KEY_CFG_CHKSUM_ERROR", "CFG błędna suma kontrolna"},
    {"DateFileParserUnit", "KEY_HDR_READ_ERROR", "Błąd przy odczycie nagłówka danych"},
    {"DateFileParserUnit", "KEY_UNRECOG_SIGNATURE_I", "Nie rozpoznana sygnatura dla pliku w wersji I"},
    {"DateFileParserUnit", "KEY_UNRECOG_SIGNATURE_IS", "Nie rozpoznana sygnatura dla pliku w wersji IS"},
    {"DateFileParserUnit", "KEY_UNRECOG_SIGNATURE_II", "Nie rozpoznana sygnatura dla pliku w wersji II"},
    {"DateFileParserUnit", "KEY_INVALID_HDRSPEED", "Nie właściwa wartość pola Header.PomSpeed"},
    {"DateFileParserUnit", "KEY_DAT_STORED_INCORRECTLY",
     "Plik danych nie został poprawnie zapisany w rejestratorze."},
    {"DateFileParserUnit", "KEY_DATA_CORRUPTED_IN", "Uszkodzone dane w pliku:"},
    {"DateFileParserUnit", "KEY_DATA_CORRUPTED", "Uszkodzone dane"},
    {"DateFileParserUnit", "KEY_ERROR_READING_HDR", "Błąd odczytu nagłówka"},
    {"DateFileParserUnit", "KEY_HIOKII_DESC", "Rejestrator firmy HIOKI"},
    {"DateFileParserUnit", "KEY_HIOKI_ERROR_LINE", "Błąd w linii %u pliku Hioki"},
    {"DateFileParserUnit", "KEY_SELECT_RECNUM", "W pliku jest %u rejestracji. podaj numer wybranej:"},
    {"DateFileParserUnit", "KEY_NAME", "Nazwa"},
    {"DateFileParserUnit", "KEY_INTEGRAL", "Całka"},
    {"DateFileParserUnit", "KEY_PWRCUT_ABBR", "Wyl"},
    {"DateFileParserUnit", "KEY_PWRCUT", "Wyłączenie"},
    {"DateFileParserUnit", "KEY_ERROR_IN_DAT_LINE_us", "Błąd w %u linii pliku .dat : %s"},
    {"OvBase", "YEAR", "rok"},
    {"OvBase", "YEAR_SHORT", "r"},
    {"OvBase", "MONTH", "miesięc"},
    {"OvBase", "MONTH_SHORT", "msc"},
    {"OvBase", "WEEK", "tydzień"},
    {"OvBase", "WEEK_SHORT", "tydz"},
    {"OvBase", "DAY", "dzień"},
    {"OvBase", "DAY_SHORT", "d"},
    {"OvBase", "HOUR", "godzina"},
    {"OvBase", "HOUR_SHORT", "h"},
    {"OvBase", "MINUTE", "minuta"},
    {"OvBase", "MINUTE_SHORT", "min"},
    {"OvBase", "SECOND", "sekunda"},
    {"OvBase", "SECOND_SHORT", "s"},
    {"OvBase", "MSEC", "milisekunda"},
    {"OvBase", "MSEC_SHORT", "ms"},
    {"OvBase", "USEC", "mikrosekunda"},
    {"OvBase", "USEC_SHORT", "us"},
    {"OvBase", "NSEC", "nanosekundy"},
    {"OvBase", "NSEC_SHORT", "ns"},
    {"OvBase", "YEARS", "lata"},
    {"OvBase", "YEARS_SHORT", "lata"},
    {"OvBase", "MONTHS", "miesięce"},
    {"OvBase", "MONTHS_SHORT", "mies"},
    {"OvBase", "WEEKS", "tygodnie"},
    {"OvBase", "WEEKS_SHORT", "tyg"},
    {"OvBase", "DAYS", "dni"},
    {"OvBase", "DAYS_SHORT", "dni"},
    {"OvBase", "HOURS", "godziny"},
    {"OvBase", "HOURS_SHORT", "godz"},
    {"OvBase", "MINUTES", "minuty"},
    {"OvBase", "MINUTES_SHORT", "min"},
    {"OvBase", "SECONDS", "sekundy"},
    {"OvBase", "SECONDS_SHORT", "s"},
    {"OvBase", "MSECS", "milisekundy"},
    {"OvBase", "MSECS_SHORT", "ms"},
    {"OvBase", "USECS", "mikrosekundy"},
    {"OvBase", "USECS_SHORT", "us"},
    {"OvBase", "NSECS", "nanosekundy"},
    {"OvBase", "NSECS_SHORT", "ns"},
    {"OvBase", "YEARS_GENIT", "lat"},
    {"OvBase", "YEARS_GENIT_SHORT", "lat"},
    {"OvBase", "MONTHS_GENIT", "miesięcy"},
    {"OvBase", "MONTHS_GENIT_SHORT", "m"},
    {"OvBase", "WEEKS_GENIT", "tygodni"},
    {"OvBase", "WEEKS_GENIT_SHORT", "tyg"},
    {"OvBase", "DAYS_GENIT", "dni"},
    {"OvBase", "DAYS_GENIT_SHORT", "d"},
    {"OvBase", "HOURS_GENIT", "godzin"},
    {"OvBase", "HOURS_GENIT_SHORT", "g"},
    {"OvBase", "MINUTES_GENIT", "minut"},
    {"OvBase", "MINUTES_GENIT_SHORT", "min"},
    {"OvBase", "SECONDS_GENIT", "sekund"},
    {"OvBase", "SECONDS_GENIT_SHORT", "s"},
    {"OvBase", "MSECS_GENIT", "milisekund"},
    {"OvBase", "MSECS_GENIT_SHORT", "ms"},
    {"OvBase", "USECS_GENIT", "mikrosekund"},
    {"OvBase", "USECS_GENIT_SHORT", "us"},
    {"OvBase", "NSECS_GENIT", "nanosekund"},
    {"OvBase", "NSECS_GENIT_SHORT", "ns"},
    {"OvBase", "TXT_SAMP_TYPE_ANALOG", "Analogowe"},
    {"OvBase", "TXT_SAMP_TYPE_DIGITAL", "Cyfrowe"},
    {"OvBase", "TXT_NO_BYTES", "Bajtów"},
    {"OvBase", "TXT_1000_s", "Ponowne użycie parametru %s"},
    {"OvBase", "TXT_1001_s", "Wartość parametru powinna być poprzedzona znakiem \"-\" i nazwą parametru."},
    {"SettingsTools", "TXT001", "Brak danych dla nastawy "},
    {"SettingsTools", "TXT002", "Wartość jest mniejsza od minimum dla nastawy"},
    {"SettingsTools", "TXT003", "Wartość jest większa od maximum dla nastawy"},
    {"SettingsTools", "TXT004", "Wartość nie jest liczbą rzeczywistą dla nastawy"},
    {"SettingsTools", "TXT005", "Wartość nie jest liczbą całkowitą dla nastawy"},
    {"SettingsTools", "TXT006", "Nieprawidłowa wartość dla nastawy"},
    {"SettingsTools", "TXT007", "Maksymalna ilość znaków to"},
    {"SettingsTools", "TXT008", "Podany ciąg nie jest adresem IP dla nastawy"},
    {"SettingsTools", "TXT009", "Nie istnieje port komunikacyjny o numerze"},
    {"SettingsTools", "TXT010", "Nie znany typ danych"},
    {"SettingsTools", "TXT011", "Brak nastawy"},
    {"SettingsTools", "TXT012", "Zmiana wartości nastawy"},
    {"SettingsTools", "TXT013", "z"},
    {"SettingsTools", "TXT014", "na"},
    {"SettingsTools", "TXT015", "Urządzenie nie posiada nastawy"},
    {"SettingsTools", "TXT016", "Urządzenie nie posiada grupy nastaw"},
    {"SettingsTools", "TXT017", "Wprowadzono nastawę"},
    {"SettingsTools", "TXT018", "Nie znana nastawa"},
    {"SettingsTools", "TXT019", "Porównywany plik nie jest plikiem konfiguracji."},
    {"SettingsTools", "TXT020", "Data utworzenia raportu"},
    {"SettingsTools", "TXT021", "Data utworzenia pliku konfiguracji"},
    {"SettingsTools", "TXT022", "Data ostatniej zmiany konfiguracji"},
    {"SettingsTools", "TXT023", "Typ urządzenia"},
    {"SettingsTools", "TXT024", "ID urządzenia"},
    {"SettingsTools", "TXT025", "Język"},
    {"SettingsTools", "TXT026", "Obcięcie napisu '%s' do '%s'"},
    {"SettingsTools", "TXT027", "Niewłaściwy zapis daty/godziny"},
    {"SettingsTools", "TXT028_s", "Plik nie istnieje %s"},
    {"SettingsTools", "TXT029", "Niewłaściwy indeks listy wyboru"},
    {"FileSignatureUnit", "TXT_FILE1", "Plik pojawił się na dysku."},
    {"FileSignatureUnit", "TXT_FILE2", "Plik zniknął z dysku"},
    {"FileSignatureUnit", "TXT_FILE3", "Rozmiar pliku uległ zmianie."},
    {"FileSignatureUnit", "TXT_FILE4", "Data pliku uległa zmianie"},
    {"XMeasBoxCpx", "TXT_Konfig", "Konfiguracja"},
    {"XMeasBoxCpx", "TXT_001", "Nastawa"},
    {"XMeasBoxCpx", "TXT_002", "Wartość"},
    {"XMeasBoxCpx", "TXT_003", "Domyślna"},
    {"XMeasBoxCpx", "TXT_004", "Podpowiedź"},
    {"XMeasBoxCpx", "TXT_005", "włącz"},
    {"XMeasBoxCpx", "TXT_006", "Zakres"},
    {"XMeasBoxCpx", "TXT_007", "Zakres nastawy"},
    {"XMeasBoxCpx", "TXT_008", "Bład dla nastawy"},
    {"XMeasBoxCpx", "TXT_009", "Wartość domyślna"},
    {"XMeasBoxCpx", "TXT_BladOtw", "Błąd podczas otwarcia pliku"},
    {"XMeasBoxCpx", "TXT_BladOtw", "Błąd podczas otwarcia pliku"},
    {"XMeasBoxCpx", "TXT_PlikZm", "Plik na dysku uległ zmianie."},
    {"XMeasBoxCpx", "TXT_CzyZal", "Czy załadować ponownie ?"},
    {"XMeasBoxCpx", "TXT_BrakRozn", "Brak różnic."},
    {"XMeasBoxCpx", "TXT_SaRozn", "Są różnice. Patrz okno komunikatów."},
    {"XMeasBoxCpx", "TXT_CzyOtwKonf", "Czy chcesz ponownie otworzyć konfigurację ?"},
    {"XMeasBoxCpx", "TXT_StraciszZm", "Stracisz wprowadzone zmiany."},
    {"XMeasBoxCpx", "TXT_ZawPliku", "Zawartość pliku na dysku jest taka sama jak w edytorze."},
    {"XMeasBoxCpx", "TXT_KonfigZm", "Konfiguracja została zmieniona. Czy chcesz zapisać ?"},
};

// One line a text: group, key and text separated by TABs, as the peer prints them.
std::string Lines() {
    std::string out;
    for (const TGroupText& t : kAllTexts) out += std::string(t.Group) + "\t" + t.Key + "\t" + t.Text + "\n";
    return out;
}

std::string Golden(const std::string& name) {
    std::ifstream in(std::string(HALVO_TEST_DATA) + "/golden/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using LangTest = dcomp_test::TUnitsTest;

using LangFileTest = dcomp_test::TXmlFileTest;
using LangPeerTest = dcomp_test::TXmlFileTest;

}  // namespace

TEST_F(LangTest, DictionaryHoldsTheUnitsGroupsInOrder) {
    TXLangCfg& dictionary = Dictionary();
    EXPECT_EQ(dictionary.NodeName(), "LANG_CFG");
    EXPECT_EQ(dictionary.Owner(), nullptr);
    EXPECT_EQ(dictionary.Language(), "");
    EXPECT_EQ(dictionary.Charset(), 0);
    std::string lines;
    for (int g = 0; g < dictionary.ChildCount(); ++g) {
        auto* group = dynamic_cast<TXLangGroup*>(dictionary.GetChild(g));
        ASSERT_NE(group, nullptr);
        for (int i = 0; i < group->ChildCount(); ++i) {
            auto* item = dynamic_cast<TXLangItem*>(group->GetChild(i));
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->Text(), item->OrgText());
            lines += group->Name() + "\t" + item->Name() + "\t" + item->Text() + "\n";
        }
    }
    EXPECT_EQ(lines, Lines());
    EXPECT_EQ(OvBaseGroup(), dictionary.FindChildOfClass<TXLangGroup>("OvBase"));
    EXPECT_EQ(FileSignatureGroup(), dictionary.FindChildOfClass<TXLangGroup>("FileSignatureUnit"));
    EXPECT_EQ(XMeasBoxCpxGroup(), dictionary.FindChildOfClass<TXLangGroup>("XMeasBoxCpx"));
    EXPECT_EQ(OvBaseGroup()->ChildCount(), 65);
    EXPECT_EQ(FileSignatureGroup()->ChildCount(), 4);
    EXPECT_EQ(XMeasBoxCpxGroup()->ChildCount(), 20);

    EXPECT_EQ(LanguageList().CurrentIndex(), 0);
    EXPECT_EQ(LanguageList().CurrentText(), "");
    EXPECT_TRUE(LanguageList().ProgramPath().ends_with("/dcomp_tests")) << LanguageList().ProgramPath();
}

TEST_F(LangTest, Translate) {
    const struct {
        TXLangGroup* group;
        std::string key, text;
    } cases[] = {
        {OvBaseGroup(), "YEAR", "rok"},
        {OvBaseGroup(), "year", "rok"},
        {OvBaseGroup(), "Months_Genit", "miesięcy"},
        {OvBaseGroup(), "txt_1001_S",
         "Wartość parametru powinna być poprzedzona znakiem \"-\" i nazwą parametru."},
        {FileSignatureGroup(), "txt_file2", "Plik zniknął z dysku"},
        {XMeasBoxCpxGroup(), "txt_001", "Nastawa"},
        {OvBaseGroup(), "KEY_X", "!!Not found in dictionary:OvBase\\KEY_X"},
        {OvBaseGroup(), "", "!!Not found in dictionary:OvBase\\"},
        {FileSignatureGroup(), "TXT_001", "!!Not found in dictionary:FileSignatureUnit\\TXT_001"},
        {XMeasBoxCpxGroup(), "TXT_Konfig ", "!!Not found in dictionary:XMeasBoxCpx\\TXT_Konfig "},
    };
    for (const auto& c : cases) EXPECT_EQ(c.group->Translate(c.key), c.text) << c.key;

    // An unnamed group names itself by its tag.
    auto loose = CreateXmlNode<TXLangGroup>(nullptr, "", {});
    EXPECT_EQ(loose->Translate("K"), "!!Not found in dictionary:LANG_GROUP\\K");
}

TEST_F(LangTest, RepeatedKeyFindsTheFirstItem) {
    TXLangGroup* group = XMeasBoxCpxGroup();
    auto* first = dynamic_cast<TXLangItem*>(group->GetChild(10));
    auto* second = dynamic_cast<TXLangItem*>(group->GetChild(11));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->Name(), "TXT_BladOtw");
    ASSERT_EQ(second->Name(), "TXT_BladOtw");
    EXPECT_EQ(group->FindItem("txt_bladotw"), first);
    second->SetText("second");
    EXPECT_EQ(group->Translate("TXT_BladOtw"), "Błąd podczas otwarcia pliku");
    first->SetText("first");
    EXPECT_EQ(group->Translate("TXT_BladOtw"), "first");

    TXLangItem* added = group->AddItem("TXT_001", "again");
    EXPECT_EQ(group->ChildCount(), 21);
    EXPECT_EQ(added->OrgText(), "again");
    EXPECT_EQ(group->Translate("TXT_001"), "Nastawa");
}

TEST_F(LangTest, GroupLanguageComesFromItsDictionary) {
    std::string language = "untouched";
    EXPECT_TRUE(OvBaseGroup()->TryGetLanguage(language));
    EXPECT_EQ(language, "");
    Dictionary().SetLanguageCode("EN");
    EXPECT_EQ(OvBaseGroup()->GetLanguage(), "EN");

    auto loose = CreateXmlNode<TXLangGroup>(nullptr, "", {});
    language = "untouched";
    EXPECT_FALSE(loose->TryGetLanguage(language));
    EXPECT_EQ(language, "untouched");
    EXPECT_EQ(loose->GetLanguage(), "");

    auto object = CreateXmlNode<TXObject>(nullptr, "", {});
    object->SetAttribute("LANGUAGE", "PL");
    auto* under = static_cast<TXLangGroup*>(object->AddChildOfClass(XmlClass<TXLangGroup>()));
    EXPECT_FALSE(under->TryGetLanguage(language));
    EXPECT_EQ(under->GetLanguage(), "");
}

TEST_F(LangTest, CharsetsBothWays) {
    const struct {
        int charset;
        const char* ident;
    } known[] = {
        {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
        {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
        {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
        {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
        {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
        {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
        {255, "OEM_CHARSET"},
    };
    for (int n = 0; n < 256; ++n) {
        std::string expected = "DEFAULT_CHARSET";
        for (const auto& k : known)
            if (k.charset == n) expected = k.ident;
        const std::string ident = CharsetToIdent(static_cast<uint8_t>(n));
        EXPECT_EQ(ident, expected) << n;
        EXPECT_EQ(IdentToCharset(ident), expected == "DEFAULT_CHARSET" ? 1 : n) << n;
    }
    EXPECT_EQ(CharsetToIdent(5), "DEFAULT_CHARSET");
    const struct {
        const char* ident;
        int charset;
    } read[] = {
        {"HANGUL_CHARSET", 129},
        {"ansi_charset", 1},
        {"EASTEUROPE_CHARSET ", 1},
        {"", 1},
        {"238", 1},
        {"FOO", 1},
    };
    for (const auto& r : read) EXPECT_EQ(IdentToCharset(r.ident), r.charset) << r.ident;
}

TEST_F(LangTest, CfgAttributes) {
    auto cfg = CreateXmlNode<TXLangCfg>(nullptr, "", {});
    cfg->SetAttribute("DEFAULT_CHARSET", "EASTEUROPE_CHARSET");
    cfg->SetAttribute("language", "PL");  // any case
    EXPECT_EQ(cfg->Charset(), 238);
    EXPECT_EQ(cfg->Language(), "PL");
    cfg->AttributeToField("default_charset", "OEM_CHARSET");  // exactly DEFAULT_CHARSET only
    EXPECT_EQ(cfg->Charset(), 238);
    cfg->SetAttribute("DEFAULT_CHARSET", "NO_SUCH_CHARSET");
    EXPECT_EQ(cfg->Charset(), 1);
    cfg->SetCharset(5);
    cfg->ResolveParameters();
    EXPECT_EQ(Dump(cfg.get()), "LANG_CFG(DEFAULT_CHARSET=DEFAULT_CHARSET,language=PL)");
}

TEST_F(LangFileTest, WrittenDictionaryMatchesTheGoldenFile) {
    Dictionary().SaveToFile(Path("dictionary.xml"), "");
    EXPECT_EQ(Read("dictionary.xml"), Golden("Dictionary.xml"));
}

TEST_F(LangFileTest, ReloadedDictionaryComparesEqual) {
    Dictionary().SaveToFile(Path("dictionary.xml"), "");
    std::vector<std::string> messages;
    const TOnMessage collect = [&messages](const std::string& text) { messages.push_back(text); };

    TLhXmlDocument doc;
    doc.LoadFromFile(Path("dictionary.xml"), true);
    auto cfg = CreateXmlNode<TXLangCfg>(nullptr, "", collect);
    cfg->Assign(doc.MainNode(), false);
    ASSERT_EQ(cfg->ChildCount(), Dictionary().ChildCount());
    auto* group = cfg->FindChildOfClass<TXLangGroup>("OvBase");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Translate("MONTH"), "miesięc");  // the fields took the attributes
    EXPECT_TRUE(cfg->Compare(&Dictionary(), {}));
    EXPECT_TRUE(messages.empty()) << messages.front();

    // Read into classes directly, the same.
    TLhXmlDocument classes(collect);
    classes.LoadFromFile(Path("dictionary.xml"), false);
    auto* main = dynamic_cast<TXLangCfg*>(classes.MainNode());
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->FindChildOfClass<TXLangGroup>("XMeasBoxCpx")->Translate("TXT_SaRozn"),
              "Są różnice. Patrz okno komunikatów.");
    EXPECT_TRUE(main->Compare(&Dictionary(), {}));
    EXPECT_TRUE(messages.empty());

    // One changed text is one line.
    dynamic_cast<TXLangItem*>(group->GetChild(0))->SetText("year");
    EXPECT_FALSE(cfg->Compare(&Dictionary(), {}));
    EXPECT_EQ(messages,
              std::vector<std::string>{"Xml.Differences in attribute value:LANG_CFG\\OvBase\\YEAR\\TEXT: "
                                       "[old=rok] [new=year]\\n"});
}

TEST_F(LangPeerTest, WrittenDictionaryToIndependentParsers) {
    Dictionary().SaveToFile(Path("dictionary.xml"), "");
    const auto lint = RunProgram({"xmllint", "--noout", Path("dictionary.xml")});
    EXPECT_EQ(lint.ExitCode, 0) << lint.Errors;

    // The tree's shape, then every text with its group and key; TEXT and ORGTXT must agree.
    const char* const kReader = R"(
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == "LANG_CFG", root.tag
assert root.attrib == {"LANGUAGE": "", "DEFAULT_CHARSET": "ANSI_CHARSET"}, root.attrib
for group in root:
    assert group.tag == "LANG_GROUP" and list(group.attrib) == ["NAME"], group.attrib
    for item in group:
        assert item.tag == "LANG_ITEM" and list(item.attrib) == ["NAME", "TEXT", "ORGTXT"], item.attrib
        assert len(item) == 0
        assert item.get("TEXT") == item.get("ORGTXT"), item.attrib
        sys.stdout.buffer.write(("%s\t%s\t%s\n" % (group.get("NAME"), item.get("NAME"), item.get("TEXT"))).encode("utf-8"))
)";
    const auto etree = RunProgram({"python3", "-c", kReader, Path("dictionary.xml")});
    ASSERT_EQ(etree.ExitCode, 0) << etree.Errors;
    EXPECT_EQ(etree.Output, Lines());
}

TEST_F(LangTest, MutatedDictionariesReadIntoClasses) {
    // Damaged dictionary files read into the dictionary's classes: an error of the reader
    // or a tree that writes itself and reads back.
    const std::string golden = Golden("Dictionary.xml");
    std::mt19937 rng(16);
    for (int i = 0; i < 1000; ++i) {
        std::string text = golden;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t pos = rng() % text.size();
            const char byte = "<>/=\"&! _AZaz\xC5\x81\x00"[rng() % 17];
            switch (rng() % 3) {
                case 0:
                    text[pos] = byte;
                    break;
                case 1:
                    text.insert(pos, 1, byte);
                    break;
                default:
                    text.erase(pos, 1 + rng() % 40);
                    break;
            }
        }
        SCOPED_TRACE(i);
        TLhXmlDocument doc;
        TTextStream stream(text);
        try {
            doc.Parse(stream, false);
        } catch (const XLhException&) {
            continue;
        }
        TLhXMLNode* main = doc.MainNode();
        if (!main) continue;
        if (auto* cfg = dynamic_cast<TXLangCfg*>(main)) {
            for (int g = 0; g < cfg->ChildCount(); ++g)
                if (auto* group = dynamic_cast<TXLangGroup*>(cfg->GetChild(g))) group->Translate("YEAR");
        }
        if (!IsXmlName(main->NodeName())) continue;
        std::string written;
        main->WriteToStream(written);
        TLhXmlDocument again;
        TTextStream back(written);
        EXPECT_NO_THROW(again.Parse(back, true));
    }
}
