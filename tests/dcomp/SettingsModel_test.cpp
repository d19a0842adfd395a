#include "dcomp/SettingsModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/FormatSettings.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::RunProgram;

using dcomp_test::TSeparator;

namespace {

const char* const kSettingsXml =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<GROUP NAME=\"ROOT\" DESCR=\"&amp;PLKorzeń&amp;ENRoot\" SOURCE=\"test\">\r\n"
    "  <GROUP NAME=\"NET\">\r\n"
    "    <ITEM NAME=\"IP\" TYPE=\"IP\" VALUE=\"10.0.0.1\"/>\r\n"
    "    <ITEM NAME=\"PORT\" TYPE=\"COM_NR\" DEFVALUE=\"1\"/>\r\n"
    "  </GROUP>\r\n"
    "  <ITEM NAME=\"GAIN\" TYPE=\"FLOAT\" VALUE=\"2.5\" DEFVALUE=\"1.25\" MIN=\"0\" MAX=\"10\"/>\r\n"
    "  <ITEM NAME=\"ON\" TYPE=\"BOOL\" VALUE=\"tak\" DEFVALUE=\"&amp;PLnie&amp;ENno\"/>\r\n"
    "  <ITEM NAME=\"MODE\" TYPE=\"SELECT\" ITEMS=\"a|b\" VALUE=\"b\" "
    "ITEMDESCR=\"&amp;PLpierwszy&amp;ENfirst|&amp;PLdrugi&amp;ENsecond\" "
    "CHILD_DESCR=\"&amp;PLx&amp;ENy\"/>\r\n"
    "  <ITEM NAME=\"LIMIT\" TYPE=\"FLOAT\" VALUE=\"INF\"/>\r\n"
    "  <ITEM NAME=\"ODD\" TYPE=\"WHATEVER\" VALUE=\"x\"/>\r\n"
    "</GROUP>\r\n";

class SettingsModelTest : public dcomp_test::TXmlFileTest {
protected:
    TOnMessage Collect() {
        return [this](const std::string& text) { FMessages.push_back(text); };
    }
    // The file loaded as plain nodes and copied into a group.
    std::unique_ptr<TSettGroup> LoadAssigned(const std::string& name) {
        TLhXmlDocument doc;
        doc.LoadFromFile(Path(name), true);
        auto group = CreateXmlNode<TSettGroup>(nullptr, "", Collect());
        group->Assign(doc.MainNode(), false);
        return group;
    }
    // A tree from text, read straight into the classes.
    std::unique_ptr<TSettGroup> Parse(const std::string& xml) {
        TLhXmlDocument doc(Collect());
        TTextStream stream(xml);
        doc.Parse(stream, false);
        auto group = CreateXmlNode<TSettGroup>(nullptr, "", Collect());
        group->Assign(doc.MainNode(), false);
        return group;
    }
    static TSettItem* Item(TSettGroup* group, const std::string& name) { return group->FindItem(name); }

    std::vector<std::string> FMessages;
};

using SettingsPeerTest = SettingsModelTest;

// What both ways of loading must give.
void ExpectLoaded(TSettGroup* root) {
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name(), "ROOT");
    EXPECT_EQ(root->Descr(), "&PLKorzeń&ENRoot");
    EXPECT_EQ(root->Source(), "test");
    TSettGroup* net = root->FindGroup("net");
    ASSERT_NE(net, nullptr);
    const struct {
        TSettGroup* group;
        const char* name;
        uint8_t type;
        const char* value;
        bool valueSet;
        const char* def;
    } items[] = {
        {net, "IP", 6, "10.0.0.1", true, ""},        {net, "PORT", 7, "", false, "1"},
        {root, "GAIN", 3, "2,5", true, "1,25"},  // the process's notation
        {root, "ON", 1, "tak", true, "&PLnie&ENno"}, {root, "MODE", 5, "b", true, ""},
        {root, "LIMIT", 3, "INF", true, ""},         {root, "ODD", 0, "x", true, ""},
    };
    for (const auto& i : items) {
        SCOPED_TRACE(i.name);
        TSettItem* item = i.group->FindItem(i.name);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->TypeCode(), i.type);
        EXPECT_EQ(item->Value(), i.value);
        EXPECT_EQ(item->ValueSet(), i.valueSet);
        EXPECT_EQ(item->DefValue(), i.def);
        EXPECT_EQ(item->LoadedValue(), i.value);
        EXPECT_FALSE(item->Changed());
    }
    EXPECT_FALSE(net->Changed());
    EXPECT_FALSE(root->Changed());
    EXPECT_TRUE(root->FindItem("ON")->Tool().GetBool());  // "tak" read as the check reads it
    EXPECT_EQ(root->FindItem("MODE")->Tool().GetDisplayText(), "&PLdrugi&ENsecond");
    EXPECT_EQ(root->FindItem("GAIN")->Tool().GetText(), "2.500");
    EXPECT_EQ(root->FindItem("NET"), nullptr);  // a group is no item
}

}  // namespace

TEST_F(SettingsModelTest, LoadedPlainAndAssignedOrParsedWithClasses) {
    TSeparator comma(',');
    Write("settings.xml", kSettingsXml);
    ExpectLoaded(LoadAssigned("settings.xml").get());

    TLhXmlDocument doc(Collect());
    doc.LoadFromFile(Path("settings.xml"), false);
    ExpectLoaded(dynamic_cast<TSettGroup*>(doc.MainNode()));
    EXPECT_TRUE(FMessages.empty()) << FMessages.front();
}

TEST_F(SettingsPeerTest, SavedFileToIndependentParsers) {
    TSeparator comma(',');
    Write("settings.xml", kSettingsXml);
    auto root = LoadAssigned("settings.xml");
    Item(root.get(), "GAIN")->SetValue("3,75");
    root->FindGroup("NET")->FindItem("PORT")->SetDefValue("2");
    Item(root.get(), "ODD")->SetType(42);
    root->SetDescr("");
    root->SaveToFile(Path("saved.xml"), "");

    const auto lint = RunProgram({"xmllint", "--noout", Path("saved.xml")});
    EXPECT_EQ(lint.ExitCode, 0) << lint.Errors;
    const char* const kReader = R"(
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
def show(node, depth):
    attrs = " ".join("%s=%s" % kv for kv in node.attrib.items())
    sys.stdout.buffer.write(("%s%s %s\n" % ("  " * depth, node.tag, attrs)).encode("utf-8"))
    for child in node:
        show(child, depth + 1)
show(root, 0)
)";
    const auto etree = RunProgram({"python3", "-c", kReader, Path("saved.xml")});
    ASSERT_EQ(etree.ExitCode, 0) << etree.Errors;
    EXPECT_EQ(
        etree.Output,
        "GROUP NAME=ROOT SOURCE=test\n"
        "  GROUP NAME=NET\n"
        "    ITEM NAME=IP TYPE=IP VALUE=10.0.0.1\n"
        "    ITEM NAME=PORT TYPE=COM_NR DEFVALUE=2\n"
        "  ITEM NAME=GAIN TYPE=FLOAT VALUE=3.75 DEFVALUE=1.25 MIN=0 MAX=10\n"
        "  ITEM NAME=ON TYPE=BOOL VALUE=tak DEFVALUE=&PLnie&ENno\n"
        "  ITEM NAME=MODE TYPE=SELECT ITEMS=a|b VALUE=b ITEMDESCR=&PLpierwszy&ENfirst|&PLdrugi&ENsecond "
        "CHILD_DESCR=&PLx&ENy\n"
        "  ITEM NAME=LIMIT TYPE=FLOAT VALUE=INF\n"
        "  ITEM NAME=ODD TYPE=? VALUE=x\n");

    // Read back, it is what was saved.
    auto again = LoadAssigned("saved.xml");
    EXPECT_EQ(Item(again.get(), "GAIN")->Value(), "3,75");
    EXPECT_EQ(Item(again.get(), "LIMIT")->Value(), "INF");
    std::vector<TSettCompareLine> lines;
    EXPECT_TRUE(again->CompareWith(root.get(), &lines));
    EXPECT_EQ(lines.size(), 0u);
    EXPECT_TRUE(FMessages.empty()) << FMessages.front();
}

TEST_F(SettingsModelTest, ChangedReachesTheRootAndClearsWhenUndone) {
    auto root = Parse(
        "<GROUP NAME=\"R\"><GROUP NAME=\"A\"><GROUP NAME=\"B\">"
        "<ITEM NAME=\"X\" TYPE=\"INT\" VALUE=\"1\"/></GROUP></GROUP>"
        "<ITEM NAME=\"Y\" TYPE=\"STR\" VALUE=\"s\"/></GROUP>");
    TSettGroup* a = root->FindGroup("A");
    TSettGroup* b = a->FindGroup("B");
    TSettItem* x = b->FindItem("X");
    TSettItem* y = root->FindItem("Y");
    const auto flags = [&] {
        return std::string() + (root->Changed() ? "R" : "-") + (a->Changed() ? "A" : "-") +
               (b->Changed() ? "B" : "-") + (x->Changed() ? "X" : "-") + (y->Changed() ? "Y" : "-");
    };
    EXPECT_EQ(flags(), "-----");
    x->SetValue("2");
    EXPECT_EQ(flags(), "RABX-");
    y->SetValue("t");
    EXPECT_EQ(flags(), "RABXY");
    x->SetValue("1");
    EXPECT_EQ(flags(), "R---Y");
    y->SetValue("S");  // letter case counts
    EXPECT_EQ(flags(), "R---Y");
    y->SetValue("s");
    EXPECT_EQ(flags(), "-----");
    std::string error;
    EXPECT_FALSE(x->SetValueChecked("abc", error));
    EXPECT_EQ(flags(), "-----");
    EXPECT_TRUE(x->SetValueChecked(" 5", error));
    EXPECT_EQ(flags(), "RABX-");
}

TEST_F(SettingsModelTest, CompareWith) {
    const std::string base =
        "<GROUP NAME=\"R\"><ITEM NAME=\"V\" TYPE=\"STR\" VALUE=\"1.5\"/>"
        "<ITEM NAME=\"D\" TYPE=\"INT\" DEFVALUE=\"3\"/>"
        "<GROUP NAME=\"G\"><ITEM NAME=\"I\" TYPE=\"INT\" VALUE=\"1\"/></GROUP></GROUP>";
    const struct {
        std::string other;
        bool same;
        std::vector<std::string> lines;
        std::vector<std::string> objects;  // the line's object, by path; "-" for none
    } cases[] = {
        {base, true, {}, {}},
        // A value and an equal default are the same.
        {"<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1.5\"/><ITEM NAME=\"d\" VALUE=\"3\"/>"
         "<GROUP NAME=\"g\"><ITEM NAME=\"I\" VALUE=\"1\"/></GROUP></GROUP>",
         true,
         {},
         {}},
        {"<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1.50\"/><ITEM NAME=\"D\" VALUE=\"3\"/>"
         "<GROUP NAME=\"G\"><ITEM NAME=\"I\" VALUE=\"1\"/></GROUP></GROUP>",
         false,
         {"R\\V : [1.5]<->[1.50]"},
         {"R\\V"}},
        {"<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1.5\"/><ITEM NAME=\"D\" VALUE=\"3\"/>"
         "<GROUP NAME=\"G\"/><ITEM NAME=\"NEW\"/><GROUP NAME=\"NG\"/></GROUP>",
         false,
         {"R\\G\\I;MISS", "R\\NEW;MORE", "R\\NG;MORE"},
         {"R\\G\\I", "-", "-"}},
        // A missing group is one line, its subtree none.
        {"<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1.5\"/><ITEM NAME=\"D\" VALUE=\"3\"/></GROUP>",
         false,
         {"R\\G;MISS"},
         {"R\\G"}},
        {"<GROUP NAME=\"R\"><ITEM NAME=\"D\" VALUE=\"4\"/><GROUP NAME=\"G\"><ITEM NAME=\"I\" VALUE=\"1\"/>"
         "</GROUP></GROUP>",
         false,
         {"R\\V;MISS", "R\\D : [3]<->[4]"},
         {"R\\V", "R\\D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.other);
        auto a = Parse(base);
        auto b = Parse(c.other);
        std::vector<TSettCompareLine> lines;
        EXPECT_EQ(a->CompareWith(b.get(), &lines), c.same);
        EXPECT_EQ(a->CompareWith(b.get(), nullptr), c.same);
        std::vector<std::string> texts, objects;
        for (const auto& line : lines) {
            texts.push_back(line.Text);
            objects.push_back(line.Object ? line.Object->Path() : "-");
        }
        EXPECT_EQ(texts, c.lines);
        EXPECT_EQ(objects, c.objects);
    }

    // An empty group against a filled one.
    auto empty = Parse("<GROUP NAME=\"R\"/>");
    auto full = Parse(base);
    std::vector<TSettCompareLine> lines;
    EXPECT_FALSE(empty->CompareWith(full.get(), &lines));
    EXPECT_EQ(lines.size(), 3u);
    lines.clear();
    EXPECT_FALSE(full->CompareWith(nullptr, &lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, "R;MISS");
    EXPECT_EQ(lines[0].Object, full.get());
}

TEST_F(SettingsModelTest, CompareSendsLinesWithTheirEnding) {
    auto a = Parse("<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1\"/></GROUP>");
    auto b = Parse("<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"2\"/><ITEM NAME=\"W\"/></GROUP>");
    std::vector<std::string> lines;
    const TOnMessage onLine = [&lines](const std::string& text) { lines.push_back(text); };
    EXPECT_FALSE(a->Compare(b.get(), onLine));
    EXPECT_EQ(lines, (std::vector<std::string>{"R\\V : [1]<->[2]\\n", "R\\W;MORE\\n"}));

    lines.clear();
    auto same = Parse("<GROUP NAME=\"R\"><ITEM NAME=\"V\" VALUE=\"1\"/></GROUP>");
    EXPECT_TRUE(a->Compare(same.get(), onLine));
    EXPECT_TRUE(lines.empty());

    // Any other node is no settings file.
    auto plain = CreateXmlNode<TLhXMLNode>(nullptr, "GROUP", {});
    EXPECT_FALSE(a->Compare(plain.get(), onLine));
    EXPECT_EQ(lines, std::vector<std::string>{"Porównywany plik nie jest plikiem konfiguracji."});
    EXPECT_FALSE(a->Compare(plain.get(), {}));
    EXPECT_TRUE(FMessages.empty());
}

TEST_F(SettingsModelTest, SetLanguageFiltersTheTexts) {
    TSeparator comma(',');
    auto root = Parse(kSettingsXml);
    root->FindGroup("NET")->SetShortDescr("&PLsieć&ENnetwork");
    root->SetLanguage("PL");
    EXPECT_EQ(root->Descr(), "Korzeń");
    EXPECT_EQ(root->FindGroup("NET")->ShortDescr(), "sieć");
    TSettItem* mode = root->FindItem("MODE");
    EXPECT_EQ(mode->ReadAttribute("ITEMDESCR", ""), "pierwszy|drugi");
    EXPECT_EQ(mode->Tool().GetDisplayText(), "drugi");
    EXPECT_EQ(mode->GetChildDescr(), "x");
    TSettItem* on = root->FindItem("ON");
    EXPECT_EQ(on->DefValue(), "nie");
    EXPECT_FALSE(on->Tool().GetDefBool());
    EXPECT_EQ(on->Value(), "tak");  // values are no texts to translate

    auto english = Parse(kSettingsXml);
    english->SetLanguage("EN");
    EXPECT_EQ(english->Descr(), "Root");
    EXPECT_EQ(english->FindItem("MODE")->ReadAttribute("ITEMDESCR", ""), "first|second");
    EXPECT_EQ(english->FindItem("ON")->DefValue(), "no");
}

TEST_F(SettingsModelTest, ItemAttributes) {
    auto root = CreateXmlNode<TSettGroup>(nullptr, "", Collect());
    auto* item = dynamic_cast<TSettItem*>(root->AddChildOfClass(XmlClass<TSettItem>()));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->TypeCode(), 0);
    EXPECT_EQ(typeid(item->Tool()), typeid(TBaseXCfgTool));
    EXPECT_FALSE(item->ValueSet());
    EXPECT_FALSE(item->DefValueSet());

    item->SetName("N");
    item->SetDescr("d");
    item->SetChildDescr("cd");
    item->SetChildShortDescr("cs");
    item->SetType(11);
    item->SetDefValue("");
    item->ResolveParameters();
    EXPECT_EQ(dcomp_test::Dump(item),
              "ITEM(CHILD_DESCR=cd,CHILD_SHORTDESCR=cs,NAME=N,DESCR=d,TYPE=FILE_NAME,DEFVALUE=)");
    item->SetChildDescr("");
    item->SetDescr("");
    item->SetType(200);
    item->SetValue("v");
    item->ResolveParameters();
    EXPECT_EQ(dcomp_test::Dump(item), "ITEM(CHILD_SHORTDESCR=cs,NAME=N,TYPE=?,DEFVALUE=,VALUE=v)");
    EXPECT_EQ(item->GetChildDescr(), "");
    EXPECT_EQ(item->GetChildShortDescr(), "cs");
    EXPECT_EQ(item->GetValueOrDefault(), "v");
    EXPECT_TRUE(FMessages.empty());
}

TEST_F(SettingsModelTest, FloatValuesFromFiles) {
    TSeparator comma(',');
    const struct {
        const char* value;
        const char* held;
    } cases[] = {
        {"2.5", "2,5"}, {"-1e-7", "-1E-7"}, {"abc", "0"}, {"2,5", "0"},
        {"INF", "INF"}, {"-INF", "-INF"},   {"", ""},
    };
    for (const auto& c : cases) {
        auto root =
            Parse(std::string("<GROUP><ITEM NAME=\"F\" VALUE=\"") + c.value + "\" TYPE=\"FLOAT\"/></GROUP>");
        TSettItem* item = root->FindItem("F");
        ASSERT_NE(item, nullptr) << c.value;
        EXPECT_EQ(item->Value(), c.held) << c.value;
        EXPECT_FALSE(item->Changed()) << c.value;
    }
}
