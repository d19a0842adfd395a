#include "dcomp/SettingsTools.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/PwComp/MeasListUnit.h"
#include "dcomp/SettingsModel.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Registry.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/support/TempDir.h"

using namespace dcomp;

using dcomp_test::TSeparator;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string Repeat(const std::string& text, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

struct TAttr {
    const char* Name;
    const char* Value;
};

// A root group ROOT holding the item N1 of one type, its reports collected.
class SettingsToolsTest : public dcomp_test::TUnitsTest {
protected:
    TSettItem* NewItem(TSettType type, const std::vector<TAttr>& attributes = {}) {
        FRoot = CreateXmlNode<TSettGroup>(nullptr, "",
                                          [this](const std::string& text) { FMessages.push_back(text); });
        FRoot->SetName("ROOT");
        auto* item = dynamic_cast<TSettItem*>(FRoot->AddChildOfClass(XmlClass<TSettItem>()));
        item->SetName("N1");
        item->SetType(static_cast<uint8_t>(type));
        for (const TAttr& a : attributes) item->SetAttribute(a.Name, a.Value);
        return item;
    }
    static std::string Text(const char* key) { return SettingsToolsText(key); }
    // The check's result, text and error on one line.
    static std::string Checked(TSettItem* item, const std::string& input) {
        std::string text = input, error;
        const bool ok = item->Tool().Check(text, error);
        return std::string(ok ? "ok" : "fail") + " [" + text + "] " + error;
    }

    std::unique_ptr<TSettGroup> FRoot;
    std::vector<std::string> FMessages;
};

}  // namespace

TEST_F(SettingsToolsTest, TypeNamesAndTheirTools) {
    const struct {
        const char* name;
        uint8_t code;
    } names[] = {
        {"?", 0},          {"BOOL", 1},       {"INT", 2},    {"FLOAT", 3}, {"STR", 4},
        {"SELECT", 5},     {"IP", 6},         {"COM_NR", 7}, {"DATE", 8},  {"TIME", 9},
        {"DATE_TIME", 10}, {"FILE_NAME", 11}, {"bool", 0},   {"INT ", 0},  {"", 0},
    };
    for (const auto& n : names) EXPECT_EQ(TypeCodeOfName(n.name), n.code) << n.name;
    EXPECT_EQ(TypeNameOfCode(10), "DATE_TIME");
    EXPECT_EQ(TypeNameOfCode(12), "?");
    EXPECT_EQ(TypeNameOfCode(255), "?");

    TSettItem* item = NewItem(TSettType::Bool);
    EXPECT_NE(dynamic_cast<TBoolXCfgTool*>(&item->Tool()), nullptr);
    item->SetType(7);
    EXPECT_NE(dynamic_cast<TCommNrXCfgTool*>(&item->Tool()), nullptr);
    for (uint8_t base : {0, 8, 9, 12}) {
        item->SetType(base);
        EXPECT_EQ(typeid(item->Tool()), typeid(TBaseXCfgTool)) << int(base);
        EXPECT_EQ(Checked(item, "x"), "fail [x] Nie znany typ danych");
    }
    EXPECT_EQ(item->Tool().Item, item);
}

TEST_F(SettingsToolsTest, IntCheck) {
    const std::string t2 = ":ROOT\\N1";
    const struct {
        std::vector<TAttr> attributes;
        const char* input;
        std::string result;
    } cases[] = {
        {{{"MIN", "5"}, {"MAX", "10"}}, "3", "fail [5] " + Text("TXT002") + t2},
        {{{"MIN", "5"}, {"MAX", "10"}}, "12", "fail [10] " + Text("TXT003") + t2},
        {{{"MIN", "5"}, {"MAX", "10"}}, " 7 ", "ok [7] "},
        {{{"MIN", "5"}, {"MAX", "10"}}, "abc", "fail [0] " + Text("TXT005") + t2},
        {{{"MIN", "5"}, {"MAX", "10"}}, "-0.5", "ok [8] "},  // 7.5 halves to even
        {{{"MIN", "5"}, {"MAX", "10"}}, "1.0", "fail [10] " + Text("TXT003") + t2},
        {{}, "-0.5", "ok [0] "},
        {{}, "0.0", "ok [1000] "},
        {{}, "0,25", "ok [1500] "},
        {{}, "0", "ok [0] "},  // an integer text is never mapped
        {{}, "+12", "ok [+12] "},
        {{}, "0x10", "fail [0] " + Text("TXT005") + t2},
        {{}, "1e300", "fail [0] " + Text("TXT005") + t2},        // mapped past 32 bits
        {{}, "99999999999", "fail [0] " + Text("TXT005") + t2},  // no 32-bit integer, mapped past
        {{}, "INF", "fail [0] " + Text("TXT005") + t2},
        {{{"MIN", "x"}}, "7", "fail [0] " + Text("TXT005") + t2},
        {{{"MIN", "10"}, {"MAX", "5"}}, "7", "fail [5] " + Text("TXT003") + t2},  // the maximum wins
        {{{"MAX", "-1"}}, "-0.5", "ok [-500] "},  // -1000 + 999 * 0.5 halves to even
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        TSettItem* item = NewItem(TSettType::Int, c.attributes);
        EXPECT_EQ(Checked(item, c.input), c.result);
    }
    // The item keeps only what passed, in its normal form.
    TSettItem* item = NewItem(TSettType::Int, {{"MIN", "5"}, {"MAX", "10"}});
    std::string error;
    EXPECT_TRUE(item->SetValueChecked(" 7 ", error));
    EXPECT_EQ(item->Value(), "7");
    EXPECT_FALSE(item->SetValueChecked("12", error));
    EXPECT_EQ(item->Value(), "7");
    EXPECT_EQ(error, Text("TXT003") + t2);
    EXPECT_EQ(Text("TXT003"), "Wartość jest większa od maximum dla nastawy");
}

TEST_F(SettingsToolsTest, FloatCheckAndTexts) {
    TSeparator comma(',');
    const std::string t2 = ":ROOT\\N1";
    const struct {
        std::vector<TAttr> attributes;
        const char* input;
        std::string result;
    } cases[] = {
        {{{"MAX", "1"}}, "1,5", "fail [1] " + Text("TXT003") + t2},
        {{{"MAX", "1"}}, "1.5", "fail [1] " + Text("TXT003") + t2},
        {{{"MAX", "1"}}, "abc", "fail [0] " + Text("TXT004") + t2},
        {{{"MAX", "1"}}, " 0.25 ", "ok [0,25] "},
        {{{"MIN", "2.5"}}, "1", "fail [2,5] " + Text("TXT002") + t2},
        {{{"MIN", "x"}}, "-150", "fail [-100] " + Text("TXT002") + t2},  // a limit that is no number
        {{}, "1e300", "ok [1E300] "},                                    // no limits tested
        {{{"MIN", "-INF"}, {"MAX", "INF"}}, "-1e300", "ok [-1E300] "},
        {{{"MAX", "INF"}}, "INF", "ok [INF] "},
        {{{"MAX", "1e3"}}, "INF", "fail [1000] " + Text("TXT003") + t2},
        {{{"MIN", "-inf"}}, "-INF", "ok [-INF] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        TSettItem* item = NewItem(TSettType::Float, c.attributes);
        EXPECT_EQ(Checked(item, c.input), c.result);
    }

    TSettItem* item = NewItem(TSettType::Float);
    item->SetValue("2,5");
    EXPECT_EQ(item->Tool().GetText(), "2.500");
    EXPECT_EQ(item->Tool().GetStoreValue(), "2.5");
    item->SetValue("abc");
    EXPECT_EQ(item->Tool().GetText(), "0.000");
    EXPECT_EQ(item->Tool().GetStoreValue(), "0");
    item->SetValue("");
    EXPECT_EQ(item->Tool().GetStoreValue(), "");
    item->SetDefValue("-1,25");
    EXPECT_EQ(item->Tool().GetStoreDefValue(), "-1.25");
    EXPECT_EQ(item->Tool().GetDefFloat(), -1.25);
    item->Tool().SetFloat(0.125);
    EXPECT_EQ(item->Value(), "0,125");
    EXPECT_TRUE(FMessages.empty());
}

TEST_F(SettingsToolsTest, StrCheckCountsCharacters) {
    const std::string path = "ROOT\\N1:";
    const struct {
        std::vector<TAttr> attributes;
        std::string input;
        std::string result;
    } cases[] = {
        {{}, std::string(17, 'x'), "fail [" + std::string(16, 'x') + "] " + path + Text("TXT007") + "16"},
        {{}, std::string(16, 'x'), "ok [" + std::string(16, 'x') + "] "},
        {{{"MAX", "2"}}, "ąść", "fail [ąś] " + path + "Maksymalna ilość znaków to2"},
        {{{"MAX", "3"}}, "ąść", "ok [ąść] "},
        {{{"MAX", "-3"}}, "a", "fail [] " + path + Text("TXT007") + "0"},
        {{{"MAX", "x"}}, Repeat("ł", 16), "ok [" + Repeat("ł", 16) + "] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Checked(NewItem(TSettType::Str, c.attributes), c.input), c.result);
    }
}

TEST_F(SettingsToolsTest, Select) {
    TSettItem* item = NewItem(TSettType::Select, {{"ITEMS", "a|b|c"}});
    EXPECT_EQ(Checked(item, "B"), "ok [b] ");
    EXPECT_EQ(Checked(item, "d"), "fail [d] " + Text("TXT006") + ":ROOT\\N1 (d)");
    std::string text = "2", error;
    EXPECT_TRUE(item->Tool().CheckIndex(text, error));
    for (const char* bad : {"3", "-1", "x", ""}) {
        text = bad;
        EXPECT_FALSE(item->Tool().CheckIndex(text, error));
        EXPECT_EQ(error, std::string(bad) + " is not valid item index");
    }

    // Without ITEMDESCR the items are their own names.
    item->SetValue("c");
    EXPECT_EQ(item->Tool().GetDisplayText(), "c");
    item->SetAttribute("ITEMDESCR", "Alpha|Beta|Gamma");
    EXPECT_EQ(item->Tool().GetDisplayText(), "Gamma");
    EXPECT_EQ(item->Tool().GetIndexText(), "2");
    EXPECT_EQ(item->Tool().GetText(), "2");
    const struct {
        const char* shown;
        const char* stored;
    } display[] = {{"b", "b"}, {"a", "a"}, {"eta", "b"}, {"GAMMA", "c"}};
    for (const auto& d : display) {
        EXPECT_TRUE(item->Tool().SetDisplayText(d.shown, error)) << d.shown;
        EXPECT_EQ(item->Value(), d.stored) << d.shown;
    }
    EXPECT_FALSE(item->Tool().SetDisplayText("x", error));
    EXPECT_EQ(error, Text("TXT006") + ":ROOT\\N1");

    item->SetDefValue("b");
    item->Tool().SetIndexText("0");
    EXPECT_EQ(item->Value(), "a");
    item->Tool().SetIndexText("9");  // no such index: the default
    EXPECT_EQ(item->Value(), "b");

    // A value outside the list is reported and shown as the first item.
    EXPECT_TRUE(FMessages.empty());
    item->SetValue("zz");
    EXPECT_EQ(item->Tool().GetIndexText(), "0");
    EXPECT_EQ(FMessages, std::vector<std::string>{Text("TXT006") + ":ROOT\\N1 (zz)\\e"});
    EXPECT_TRUE(FRoot->MissingData());

    item->SetAttribute("ITEMDESCR", "&PLjeden&ENone|&PLdwa&ENtwo|&PLtrzy&ENthree");
    item->Tool().ApplyLanguage("PL");
    EXPECT_EQ(item->ReadAttribute("ITEMDESCR", ""), "jeden|dwa|trzy");
}

TEST_F(SettingsToolsTest, ListHelpers) {
    const struct {
        const char* list;
        const char* text;
        bool ignoreCase, partial;
        int index;
    } cases[] = {
        {"Alpha|Beta|Gamma", "b", true, true, 1},
        {"Alpha|Beta|Gamma", "a", true, true, 0},  // one prefix match; no substring pass
        {"Alpha|Beta|Gamma", "eta", true, true, 1},
        {"Alpha|Beta|Gamma", "ma", true, true, 2},
        {"ab|abc", "ab", true, true, 0},  // exact first
        {"ab|abc", "a", true, true, -1},  // two prefix matches
        {"ab|abc", "b", true, true, -1},  // two substring matches
        {"Alpha|Beta", "beta", false, true, -1},
        {"Alpha|Beta", "Beta", false, false, 1},
        {"Alpha|Beta", "B", true, false, -1},
        {"Alpha|Beta", "", true, true, -1},
        {"Żółw|zebra", "żó", true, true, 0},
        {"", "a", true, true, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindListItem(c.list, c.text, c.ignoreCase, c.partial), c.index) << c.list << " " << c.text;

    EXPECT_EQ(ItemCount("a||b|"), 2);
    EXPECT_EQ(ItemCount(""), 0);
    EXPECT_EQ(GetListItem("a|b", 1), "b");
    EXPECT_EQ(GetListItem("a|b", 2), "");
    EXPECT_EQ(GetListItem("a|b", -1), "");
    std::string item = "kept";
    EXPECT_FALSE(TryGetListItem("a|b", 5, item));
    EXPECT_EQ(item, "kept");
    EXPECT_EQ(ListIndexOf("a|B|ą", "b"), 1);
    EXPECT_EQ(ListIndexOf("a|B|ą", "Ą"), 2);
    EXPECT_EQ(ListIndexOf("a|B", "c"), -1);
}

TEST_F(SettingsToolsTest, Bool) {
    TSettItem* item = NewItem(TSettType::Bool);
    const std::string bad = "fail [0] " + Text("TXT006") + ":ROOT\\N1";
    const struct {
        const char* input;
        std::string result;
    } checks[] = {
        {"tak", "ok [1] "}, {"FALSE", "ok [0] "}, {"t", "ok [1] "}, {"prawda", "ok [1] "},
        {"nope", bad},      {"ta", bad},          {"", bad},
    };
    for (const auto& c : checks) EXPECT_EQ(Checked(item, c.input), c.result) << c.input;

    // The file's words, numbers and True/False; anything else raises.
    const struct {
        const char* value;
        bool result;
    } reads[] = {{"tak", true}, {"NIE", false}, {"2", true}, {"0,0", false}, {"True", true}, {"off", false}};
    for (const auto& r : reads) {
        item->SetValue(r.value);
        EXPECT_EQ(item->Tool().GetBool(), r.result) << r.value;
        EXPECT_EQ(item->Tool().GetValue(), r.result ? "1" : "0") << r.value;
    }
    item->SetValue("xyz");
    EXPECT_THROW(item->Tool().GetBool(), platform::EConvertError);
    item->SetDefValue("nie");
    EXPECT_FALSE(item->Tool().GetDefBool());
    item->SetDefValue("yes");
    EXPECT_TRUE(item->Tool().GetDefBool());

    item->Tool().SetBool(true);
    EXPECT_EQ(item->Value(), "1");
    EXPECT_EQ(item->Tool().GetDisplayText(), "TAK");
    std::string error;
    EXPECT_TRUE(item->Tool().SetDisplayText("N", error));
    EXPECT_EQ(item->Value(), "0");
    EXPECT_EQ(item->Tool().GetDisplayText(), "NIE");
    EXPECT_TRUE(item->Tool().SetDisplayText("t", error));
    EXPECT_EQ(item->Value(), "1");
    EXPECT_FALSE(item->Tool().SetDisplayText("", error));
    EXPECT_EQ(error, " not a bool value, allowed values: nie,tak");

    item->SetAttribute("LOW_STR", "Wyłączony");
    item->SetAttribute("HIGH_STR", "WŁĄCZONY");
    const struct {
        const char* shown;
        bool ok;
        const char* stored;
    } display[] = {
        {"WYŁ", true, "0"}, {"wŁ", true, "1"}, {"w", true, "0"}, {"Włączony", true, "1"}, {"x", false, "1"}};
    for (const auto& d : display) {
        EXPECT_EQ(item->Tool().SetDisplayText(d.shown, error), d.ok) << d.shown;
        EXPECT_EQ(item->Value(), d.stored) << d.shown;
    }
    EXPECT_EQ(error, "x not a bool value, allowed values: wyłączony,włączony");
    EXPECT_EQ(item->Tool().GetDisplayText(), "WŁĄCZONY");
    // "%s" in a word is no format.
    item->SetAttribute("LOW_STR", "%s%d");
    EXPECT_FALSE(item->Tool().SetDisplayText("ŁAD", error));
    EXPECT_EQ(error, "ład not a bool value, allowed values: %s%d,włączony");
}

// The bool words are matched in lower case, the Polish capitals too.
TEST(SettingsToolsFold, LowerFoldMirrorsUpperFold) {
    EXPECT_EQ(LowerFold("ZĄB ŁÓDŹ ŹREBIĘ ĆMA ŚNIEG ŻABA Ń"), "ząb łódź źrebię ćma śnieg żaba ń");
    EXPECT_EQ(LowerFold("ÉÜ\xC5"), "ÉÜ\xC5");  // other letters and a cut-off sequence stay
    EXPECT_EQ(LowerFold("NAME_1:X"), "name_1:x");
    EXPECT_EQ(UpperFold(LowerFold("Wyłączony ŻÓŁW")), "WYŁĄCZONY ŻÓŁW");
}

TEST_F(SettingsToolsTest, IpDateTimeAndFileName) {
    TSettItem* ip = NewItem(TSettType::Ip);
    EXPECT_EQ(Checked(ip, "192.168.1.20"), "ok [192.168.1.20] ");
    EXPECT_EQ(Checked(ip, "300.1.1.1"), "fail [0.0.0.0] " + Text("TXT008") + ":ROOT\\N1");

    TSettItem* date = NewItem(TSettType::DateTime);
    EXPECT_EQ(Checked(date, "05/03/2021,07:08:09"), "ok [05/03/2021,07:08:09.000000] ");
    platform::TDateTime value = 0;
    std::string reason;
    ASSERT_FALSE(TryCmtrStrToDateTime("32/13/2021,00:00", value, reason, 2007));
    EXPECT_EQ(Checked(date, "32/13/2021,00:00"), "fail [32/13/2021,00:00] " + reason + ":ROOT\\N1");
    date->Tool().SetDateTime(platform::EncodeDate(2021, 3, 5) + 0.5);
    EXPECT_EQ(date->Value(), "05/03/2021,12:00:00.000000");
    EXPECT_EQ(date->Tool().GetDateTime(), platform::EncodeDate(2021, 3, 5) + 0.5);
    date->SetValue("never");
    EXPECT_THROW(date->Tool().GetDateTime(), platform::Exception);

    platform_test::TTempDir dir;
    const std::string file = dir.Write("settings.bin", "x");
    TSettItem* name = NewItem(TSettType::FileName);
    EXPECT_EQ(Checked(name, file), "ok [" + file + "] ");
    EXPECT_EQ(Checked(name, dir.File("none%s")),
              "fail [" + dir.File("none%s") + "] Plik nie istnieje " + dir.File("none%s"));
    EXPECT_EQ(Checked(name, ""), "fail [] Plik nie istnieje ");
}

TEST_F(SettingsToolsTest, SerialPortsFromTheMachine) {
    platform_test::TTempDir sys;
    const auto port = [&sys](const std::string& name, const char* type) {
        std::filesystem::create_directories(sys.File(name + "/device"));
        if (type) sys.Write(name + "/type", type);
    };
    port("ttyS2", "4");
    port("ttyS0", "0");  // registered by the driver, no UART
    port("ttyUSB0", nullptr);
    port("ttyS10", "4");
    platform::SetSysfsTtyRoot(sys.Path());

    std::vector<std::string> ports{"old"};
    GetSerialPorts(ports);
    EXPECT_EQ(ports, (std::vector<std::string>{"/dev/ttyS10", "/dev/ttyS2", "/dev/ttyUSB0"}));
    EXPECT_TRUE(IsSerialPort(3));
    EXPECT_TRUE(IsSerialPort(11));
    EXPECT_FALSE(IsSerialPort(1));
    EXPECT_FALSE(IsSerialPort(0));

    TSettItem* item = NewItem(TSettType::ComNr);
    const std::string missing = Text("TXT009") + ":";
    EXPECT_EQ(Checked(item, "3"), "ok [3] ");
    EXPECT_EQ(Checked(item, "1"), "fail [1] " + missing + "1");
    EXPECT_EQ(Checked(item, "abc"), "fail [abc] " + missing + "abc");  // no exception
    EXPECT_EQ(Checked(item, ""), "fail [] " + missing);

    platform::SetSysfsTtyRoot(sys.File("gone"));
    GetSerialPorts(ports);
    EXPECT_TRUE(ports.empty());
    EXPECT_EQ(Checked(item, "3"), "fail [3] " + missing + "3");
    platform::SetSysfsTtyRoot("");
}

TEST_F(SettingsToolsTest, MissingValueIsReportedOnceAndMarksTheRoot) {
    FRoot = CreateXmlNode<TSettGroup>(nullptr, "",
                                      [this](const std::string& text) { FMessages.push_back(text); });
    FRoot->SetName("ROOT");
    auto* group = dynamic_cast<TSettGroup*>(FRoot->AddChildOfClass(XmlClass<TSettGroup>()));
    group->SetName("G");
    auto* item = dynamic_cast<TSettItem*>(group->AddChildOfClass(XmlClass<TSettItem>()));
    item->SetName("N");
    item->SetType(static_cast<uint8_t>(TSettType::Int));

    EXPECT_EQ(item->Tool().GetText(), "");
    EXPECT_EQ(FMessages, std::vector<std::string>{"Brak danych dla nastawy :ROOT\\G\\N\\e"});
    EXPECT_TRUE(FRoot->MissingData());
    EXPECT_FALSE(group->MissingData());

    // A default is enough.
    FMessages.clear();
    item->SetDefValue("4");
    EXPECT_EQ(item->Tool().GetText(), "4");
    EXPECT_EQ(item->Tool().GetValue(), "4");
    item->Tool().SetInt(-7);
    EXPECT_EQ(item->Tool().GetStoreValue(), "-7");
    EXPECT_EQ(item->Tool().GetStoreDefValue(), "4");
    EXPECT_TRUE(FMessages.empty());
}

TEST(SettingsToolsNumbers, FloatTexts) {
    const struct {
        const char* text;
        bool ok;
        double x;
    } tries[] = {
        {"1.5", true, 1.5},   {"1,5", true, 1.5}, {" INF ", true, kInf}, {"-inf", true, -kInf},
        {"+INF", true, kInf}, {"abc", false, 0},  {"", false, 0},        {"1.5.1", false, 0},
    };
    for (const auto& t : tries) {
        double x = 99;
        EXPECT_EQ(TryTextToFloatDot(t.text, x), t.ok) << t.text;
        EXPECT_EQ(x, t.x) << t.text;
    }
    const struct {
        const char* text;
        double x;
    } defs[] = {{"2.5", 2.5},    {"2,5", 7}, {"INF", kInf}, {"-INF", -kInf},
                {"xinfx", kInf}, {"abc", 7}, {"", 7}};
    for (const auto& d : defs) EXPECT_EQ(TextToFloatDotDef(d.text, 7), d.x) << d.text;

    const struct {
        double x;
        const char* text;
    } fixed[] = {
        {2.5, "2.500"},
        {0.1 + 0.2, "0.300"},
        {-1234.5678, "-1234.568"},
        {0, "0.000"},
        {1e10, "1E10"},
        {-1e10, "-1E10"},
        {123456789012.0, "1.23456789E11"},
        {kInf, "INF"},
        {9999999999.4, "9999999999.000"},
    };
    for (const auto& f : fixed) EXPECT_EQ(FormatFixed3(f.x), f.text) << f.x;

    EXPECT_EQ(FillPercentS("%s a %s", {"x"}), "x a %s");
    EXPECT_EQ(FillPercentS("%s-%s", {"%s", "b"}), "%s-b");
    EXPECT_EQ(FillPercentS("100% %d %s", {"z"}), "100% %d z");
}

TEST_F(SettingsToolsTest, GroupTextsAndTables) {
    ASSERT_NE(SettingsToolsGroup(), nullptr);
    EXPECT_EQ(SettingsToolsGroup()->Name(), "SettingsTools");
    EXPECT_EQ(SettingsToolsGroup()->ChildCount(), 29);
    EXPECT_EQ(Text("TXT019"), "Porównywany plik nie jest plikiem konfiguracji.");
    EXPECT_EQ(Text("txt028_S"), "Plik nie istnieje %s");
    // A translated text is used at once.
    SettingsToolsGroup()->FindItem("TXT009")->SetText("No port");
    TSettItem* item = NewItem(TSettType::ComNr);
    EXPECT_EQ(Checked(item, "x"), "fail [x] No port:x");

    EXPECT_EQ(std::size(kMeasFormatNames), static_cast<size_t>(kKnvInfoCount));
    EXPECT_STREQ(kMeasFormatNames[0], "AUTO");
    EXPECT_STREQ(kMeasFormatNames[11], "kXXXX");
    EXPECT_STREQ(kMeasFormatCaptions[1], "X.XXX m");
    EXPECT_STREQ(kMeasFormatCaptions[14], "XXX.X M");
    EXPECT_STREQ(kSettTypeNames[11], "FILE_NAME");
}
