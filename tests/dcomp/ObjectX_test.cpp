#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dcomp/LangUnit.h"
#include "dcomp/XmlLight/ObjectXUnit.h"
#include "dcomp/XmlLight/ObjectYUnit.h"
#include "dcomp/XmlLight/PwStrUtils.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;

namespace {

// An object whose owner link a test can point elsewhere.
class TLinkedObject : public TXObject {
public:
    using TXObject::TXObject;
    void PointOwnerAt(TLhXMLNode* node) { SetOwner(node); }
};

// An object with a text of several languages, filtered as the code comes down the tree.
class TTextObject : public TXObject {
public:
    using TXObject::TXObject;
    void SetLanguage(const std::string& code) override {
        FShown = FilterLanguage(code, U"\n", FAllLanguages);
        TXObject::SetLanguage(code);
    }
    std::string FAllLanguages;
    std::string FShown;
};

std::string ClassOf(const TLhXMLNode* node) {
    if (dynamic_cast<const TXLangItem*>(node)) return "TXLangItem";
    if (dynamic_cast<const TXLangGroup*>(node)) return "TXLangGroup";
    if (dynamic_cast<const TXLangCfg*>(node)) return "TXLangCfg";
    if (dynamic_cast<const TXObject*>(node)) return "TXObject";
    return "TLhXMLNode";
}

// The main object of a text parsed into classes.
class TXmlTextObject {
public:
    explicit TXmlTextObject(const std::string& text) {
        TTextStream stream(text);
        FDocument.Parse(stream, false);
    }
    TXObject* get() const { return dynamic_cast<TXObject*>(FDocument.MainNode()); }
    TXObject* operator->() const { return get(); }

private:
    TLhXmlDocument FDocument;
};

class ObjectXTest : public dcomp_test::TUnitsTest {
protected:
    std::unique_ptr<TXObject> Root() { return CreateXmlNode<TXObject>(nullptr, "", FCollect); }
    TXObject* AddObject(TLhXMLNode* owner, const std::string& name) {
        auto* object = static_cast<TXObject*>(owner->AddChildOfClass(XmlClass<TXObject>()));
        object->SetName(name);
        return object;
    }
    std::vector<std::string> FMessages;
    TOnMessage FCollect = [this](const std::string& text) { FMessages.push_back(text); };
};

}  // namespace

TEST_F(ObjectXTest, NameHashSumsTheBytes) {
    const struct {
        std::string text;
        uint16_t hash;
    } cases[] = {
        {"AB", 131},
        {"", 0},
        {"\xFF", 255},
        {"Ł", 0xC5 + 0x81},
        {std::string(1000, 'Z'), static_cast<uint16_t>(1000 * 'Z' % 65536)},  // wraps past 65,535
        {std::string(65536 / 128, '\x80'), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(NameHash(c.text), c.hash) << c.text.size();

    auto root = Root();
    root->SetName("Ab");
    EXPECT_EQ(root->Hash(), 131);  // of the folded name
    EXPECT_EQ(root->Name(), "Ab");
}

TEST_F(ObjectXTest, RegistryCreatesTheUnitsClasses) {
    const struct {
        std::string tag, cls;
    } cases[] = {
        {"XOBJECT", "TXObject"},      {"xobject_a", "TXObject"},   {"LANG_ITEM", "TXLangItem"},
        {"LANG_ITEMS", "TXLangItem"}, {"lang_item", "TXLangItem"}, {"LANG_GROUP", "TXLangGroup"},
        {"LANG_CFG", "TXLangCfg"},    {"NODE", "TLhXMLNode"},      {"LANG_", "TLhXMLNode"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassOf(XmlClassRegistry().CreateNode(nullptr, c.tag, {}).get()), c.cls);
}

TEST_F(ObjectXTest, FindChildByFoldedNameAndClassTag) {
    auto root = Root();
    root->AddChild("PLAIN", true)->SetAttribute("NAME", "Ab");  // no TXObject: never found
    TXObject* ba = AddObject(root.get(), "BA");                 // the same hash as AB
    TXObject* ab = AddObject(root.get(), "Ab");
    TXObject* laka = AddObject(root.get(), "Łąka");
    // Named after another tag: the class's tag decides, not the node's name.
    auto* other = static_cast<TXObject*>(root->AddChild("XOBJECT_OTHER", false));
    other->SetName("other");
    ASSERT_EQ(other->NodeName(), "XOBJECT_OTHER");

    const struct {
        std::string tag, name;
        TXObject* found;
    } cases[] = {
        {"XOBJECT", "Ab", ab},        {"XOBJECT", "AB", ab},
        {"xobject", "ab", ab},        {"XOBJECT", "BA", ba},
        {"XOBJECT", "Łąka", laka},    {"XOBJECT", "ŁĄKA", laka},
        {"XOBJECT", "łąka", laka},    {"XOBJECT", "LAKA", nullptr},
        {"XOBJECT", "other", other},  {"XOBJECT_OTHER", "other", nullptr},
        {"LANG_ITEM", "Ab", nullptr}, {"XOBJECT", "", nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(root->FindChild(c.tag, c.name), c.found) << c.tag << " " << c.name;
    EXPECT_EQ(root->FindChild("PLAIN"), root->GetChild(0));  // the node model's own lookup stays
}

TEST_F(ObjectXTest, TwoClassesUnderOneName) {
    auto root = Root();
    AddObject(root.get(), "x");
    auto* item = static_cast<TXLangItem*>(root->AddChildOfClass(XmlClass<TXLangItem>()));
    item->SetName("X");
    auto* group = static_cast<TXLangGroup*>(root->AddChildOfClass(XmlClass<TXLangGroup>()));
    group->SetName("x");

    EXPECT_EQ(root->FindChildOfClass<TXLangItem>("x"), item);
    EXPECT_EQ(root->FindChildOfClass<TXLangGroup>("X"), group);
    EXPECT_EQ(root->FindChildOfClass(XmlClass<TXObject>(), "x"), root->GetChild(0));
    EXPECT_EQ(root->FindChildOfClass<TXLangCfg>("x"), nullptr);
}

TEST_F(ObjectXTest, EmptyNameDropsTheNameAttribute) {
    auto root = Root();
    TXObject* child = AddObject(root.get(), "Child");
    child->ResolveParameters();
    EXPECT_EQ(Dump(child), "XOBJECT(NAME=Child)");
    EXPECT_EQ(child->DisplayName(), "Child");  // as given, not folded
    EXPECT_EQ(child->Path(), "XOBJECT\\Child");

    child->SetName("");
    EXPECT_FALSE(child->HasName());
    EXPECT_EQ(child->Hash(), 0);
    child->ResolveParameters();
    EXPECT_EQ(Dump(child), "XOBJECT");
    EXPECT_EQ(child->NameKeyOf(), "");
    EXPECT_EQ(child->DisplayName(), "XOBJECT");

    // The attribute comes back into the fields.
    child->SetAttribute("NAME", "Again");
    EXPECT_TRUE(child->HasName());
    EXPECT_EQ(child->Name(), "Again");
    child->SetAttribute("name", "ignored");  // only NAME exactly
    EXPECT_EQ(child->Name(), "Again");

    // An attribute that only looks like NAME is no name, and writing keeps it.
    TXmlTextObject parsed("<XOBJECT name=\"lower\" x=\"1\"/>");
    EXPECT_FALSE(parsed->HasName());
    parsed->ResolveParameters();
    EXPECT_EQ(Dump(parsed.get()), "XOBJECT(name=lower,x=1)");
}

TEST_F(ObjectXTest, CheckOwnersReportsABrokenLinkOnceAndDoesNotDescend) {
    auto root = Root();
    TXObject* a = AddObject(root.get(), "a");
    AddObject(a, "a1");
    auto* b = static_cast<TLinkedObject*>(root->AddChildOfClass(XmlClass<TLinkedObject>()));
    auto* b1 = static_cast<TLinkedObject*>(b->AddChildOfClass(XmlClass<TLinkedObject>()));
    TXObject* c = AddObject(root.get(), "c");
    auto* c1 = static_cast<TLinkedObject*>(c->AddChildOfClass(XmlClass<TLinkedObject>()));

    EXPECT_TRUE(root->CheckOwners());
    EXPECT_TRUE(FMessages.empty());

    // b's link and the links below b and c are broken; only b's is seen, as the check
    // descends no further once one failed.
    b->PointOwnerAt(a);
    b1->PointOwnerAt(nullptr);
    c1->PointOwnerAt(nullptr);
    EXPECT_FALSE(root->CheckOwners());
    EXPECT_EQ(FMessages, std::vector<std::string>{"Niepoprawna wartość pola OWNER \\n"});

    FMessages.clear();
    EXPECT_FALSE(c->CheckOwners());
    EXPECT_EQ(FMessages.size(), 1u);
    // The links as they were, before the tree goes.
    b->PointOwnerAt(root.get());
    b1->PointOwnerAt(b);
    c1->PointOwnerAt(c);
}

TEST_F(ObjectXTest, PlainChildIsNoObject) {
    auto root = Root();
    AddObject(root.get(), "first");
    root->AddChild("PLAIN", true);
    EXPECT_NO_THROW(root->GetObject(0));
    const std::string text = "To nie jest TXOBject :PLAIN";
    for (const auto& call : std::vector<std::function<void()>>{
             [&] { root->GetObject(1); },
             [&] { root->SetLanguage("PL"); },
             [&] { root->CheckOwners(); },
         }) {
        try {
            call();
            ADD_FAILURE() << "no exception";
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), text);
        }
    }
    EXPECT_THROW(root->GetObject(2), platform::Exception);
    EXPECT_THROW(root->GetObject(-1), platform::Exception);
}

TEST_F(ObjectXTest, SetLanguageReachesEveryObject) {
    auto root = Root();
    auto* top = static_cast<TTextObject*>(root->AddChildOfClass(XmlClass<TTextObject>()));
    TXObject* middle = AddObject(root.get(), "middle");
    auto* deep = static_cast<TTextObject*>(middle->AddChildOfClass(XmlClass<TTextObject>()));
    top->FAllLanguages = "&PLtak&ENyes";
    deep->FAllLanguages = "a&PLb\nc&ENd";
    root->SetLanguage("EN");
    EXPECT_EQ(top->FShown, "yes");
    EXPECT_EQ(deep->FShown, "a\ncd");
    root->SetLanguage("PL");
    EXPECT_EQ(top->FShown, "tak");
    EXPECT_EQ(deep->FShown, "ab\nc");
}

TEST_F(ObjectXTest, LanguageAttributeIsStrict) {
    auto root = Root();
    try {
        root->LanguageAttribute();
        ADD_FAILURE() << "no exception";
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(std::string(e.what()), "Xml.Unknown attribute: XOBJECT\\LANGUAGE");
    }
    root->SetAttribute("language", "PL");
    EXPECT_EQ(root->LanguageAttribute(), "PL");
}

TEST(LanguageFilter, Table) {
    const std::string all = TXObject::kAllLanguages;
    const struct {
        std::string code;
        std::u32string kept;
        std::string text, expected;
    } cases[] = {
        {"PL", U"", "Start&PLtak&ENyes&!end", "Starttakend"},
        {"EN", U"", "Start&PLtak&ENyes&!end", "Startyesend"},
        {all, U"", "Start&PLtak&ENyes&!end",
         "Starttakyes\x07"
         "end"},
        {all, U"", "A&P_b&E_c",
         "A\x01"
         "b\x02"
         "c\x07"},
        {all, U"", "A&PLb", "Ab"},
        {all, U"", "A&X_b",
         "A\x07"
         "b"},  // neither 1 nor 2: no final 7
        // "&&" is one "&" in every section, also in one of another language.
        {"PL", U"", "x&ENa&&b&!y", "x&y"},
        {"EN", U"", "x&ENa&&b&!y", "xa&by"},
        {all, U"", "x&&y", "x&y"},
        // A kept character is copied and ends the section.
        {"PL", U"\n", "a&ENno\nyes", "a\nyes"},
        {"PL", U"", "a&ENno\nyes", "a"},
        {all, U"\n", "a&E_b\nc",
         "a\x02"
         "b\nc\x07"},
        {"EN", U"", "&PLa&!b", "b"},
        // "&" after a started mark: nothing is copied until a kept character comes.
        {"PL", U"\n", "a&P&xy&PLz\nb", "a\nb"},
        {"PL", U"", "a&P&xy&PLz&!b", "a"},
        {all, U"\n", "a&P&x&&y\nb", "a\nb"},
        // Codes that match no two-letter section.
        {"", U"", "c&PLp&ENe&!a", "ca"},
        {"P", U"", "c&P_p&PLq&!a", "ca"},
        {"__all__", U"", "c&PLp", "c"},
        // Letters are characters, not bytes.
        {"ŁÓ", U"", "x&ŁÓy&ENz", "xy"},
        {"PL", U"", "zażółć&ENx&!ą", "zażółćą"},
        {"PL", U"¶", "a&ENb¶c", "a¶c"},
        {"PL", U"",
         "a\xFF"
         "b&EN\xC5"
         "c",
         "a\xFF"
         "b"},  // bytes that are no UTF-8 stay
        {"PL", U"", "tail&", "tail"},
        {"PL", U"", "tail&P", "tail"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TXObject::FilterLanguage(c.code, c.kept, c.text), c.expected) << c.code << " " << c.text;
}

namespace {

using ObjectFileTest = dcomp_test::TXmlFileTest;

}  // namespace

TEST_F(ObjectFileTest, SavedTagsAreClassTags) {
    auto root = CreateXmlNode<TXObject>(nullptr, "ROOTX", {});
    root->SetName("r");
    auto* child = static_cast<TXObject*>(root->AddChild("XOBJECT_A", false));
    child->SetName("c");
    auto* item = static_cast<TXLangItem*>(child->AddChild("LANG_ITEMZ", false));
    item->SetName("k");
    item->SetText("t");
    item->SetOrgText("o");
    child->AddChild("PLAIN", true)->SetAttribute("p", "1");
    ASSERT_EQ(ClassOf(item), "TXLangItem");

    root->SaveToFile(Path("x.xml"), "");
    TLhXmlDocument doc;
    doc.LoadFromFile(Path("x.xml"), true);
    EXPECT_EQ(Dump(doc.MainNode()),
              "XOBJECT(NAME=r)[XOBJECT(NAME=c)[LANG_ITEM(NAME=k,TEXT=t,ORGTXT=o) PLAIN(p=1)]]");
    EXPECT_EQ(root->NodeName(), "XOBJECT");
    EXPECT_EQ(item->NodeName(), "LANG_ITEM");
}

TEST_F(ObjectFileTest, YObjectWritesItsAttributesInOrder) {
    const double time = platform::EncodeDate(2024, 1, 1) + platform::EncodeTime(10, 11, 12, 13);
    auto object = CreateXmlNode<TYObject>(nullptr, "", {});
    object->ResolveParameters();
    EXPECT_EQ(Dump(object.get()), "XOBJECT");  // nothing set, nothing written

    // Set in reverse order; written in the class's.
    object->AttributeToField("LANGUAGE", "PL");
    object->SetRdTime(time);
    object->AttributeToField("DEV_ID", "17");
    object->SetDevType("VESK3");
    object->SetName("reading");
    object->SaveToFile(Path("y.xml"), "");
    TLhXmlDocument doc;
    doc.LoadFromFile(Path("y.xml"), true);
    EXPECT_EQ(Dump(doc.MainNode()),
              "XOBJECT(NAME=reading,DEV_TYPE=VESK3,DEV_ID=17,RD_TIME=2024.01.01 10:11:12.013,LANGUAGE=PL)");

    auto back = CreateXmlNode<TYObject>(nullptr, "", {});
    back->Assign(doc.MainNode(), false);
    EXPECT_EQ(back->Name(), "reading");
    EXPECT_EQ(back->DevType(), "VESK3");
    EXPECT_EQ(back->DevId(), "17");
    EXPECT_EQ(back->Language(), "PL");
    EXPECT_EQ(DateTimeToText(back->RdTime()), "2024.01.01 10:11:12.013");
    EXPECT_TRUE(back->HasDevType() && back->HasDevId() && back->HasLanguage() && back->HasRdTime());
}

TEST_F(ObjectXTest, YObjectBadReadingTime) {
    auto object = CreateXmlNode<TYObject>(nullptr, "", {});
    object->SetAttribute("RD_TIME", "yesterday");
    EXPECT_TRUE(object->HasRdTime());
    EXPECT_EQ(object->RdTime(), 0);
    object->ResolveParameters();
    EXPECT_EQ(Dump(object.get()),
              "XOBJECT(RD_TIME=????.??.?? ??:??:??.???"
              ")");
}
