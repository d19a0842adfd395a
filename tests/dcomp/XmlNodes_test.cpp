#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/FormatSettings.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;

namespace {

// An object with two fields kept in step with its TEXT and COUNT attributes; it records
// its hooks.
class TTestItem : public TLhXMLNode {
public:
    static constexpr const char* kTagIdent = "TEST_ITEM";
    static constexpr const char* kClassName = "TTestItem";
    using TLhXMLNode::TLhXMLNode;

    std::string TagIdent() const override { return kTagIdent; }
    void FieldsToAttributes() override {
        if (FailResolve) throw std::runtime_error("resolve");
        SetAttribute("TEXT", FText);
        SetAttribute("COUNT", platform::IntToStr(FCount));
    }
    void AttributeToField(const std::string& name, const std::string& value) override {
        Log.push_back("field " + name + "=" + value);
        if (UpperFold(name) == "TEXT") FText = value;
        if (UpperFold(name) == "COUNT") {
            int64_t v = 0;
            if (!platform::TryStrToInt(value, v)) throw std::runtime_error("not a number");
            FCount = static_cast<int>(v);
        }
    }
    void AfterLoad() override { Log.push_back("AfterLoad " + FText + "/" + std::to_string(FCount)); }
    void BeforeClear() override { Log.push_back("BeforeClear"); }

    std::string FText;
    int FCount = 0;
    bool FailResolve = false;
    std::vector<std::string> Log;
};

// A group that compares itself its own way, through the line callback it is given.
class TTestGroup : public TLhXMLNode {
public:
    static constexpr const char* kTagIdent = "TEST_GROUP";
    static constexpr const char* kClassName = "TTestGroup";
    using TLhXMLNode::TLhXMLNode;

    std::string TagIdent() const override { return kTagIdent; }
    bool Compare(TLhXMLNode* older, const TOnMessage& onLine) override {
        if (onLine) onLine("group " + Path() + " vs " + older->Path() + "\\n");
        return false;
    }
    std::string DisplayName() const override { return "<" + TLhXMLNode::DisplayName() + ">"; }
};

class TOtherItem : public TLhXMLNode {
public:
    static constexpr const char* kTagIdent = "TEST_ITEM";
    static constexpr const char* kClassName = "TOtherItem";
    using TLhXMLNode::TLhXMLNode;
    std::string TagIdent() const override { return kTagIdent; }
};

std::string ClassOf(const TLhXMLNode* node) {
    if (dynamic_cast<const TTestItem*>(node)) return "TTestItem";
    if (dynamic_cast<const TTestGroup*>(node)) return "TTestGroup";
    if (dynamic_cast<const TOtherItem*>(node)) return "TOtherItem";
    return "TLhXMLNode";
}

class XmlNodesTest : public dcomp_test::TUnitsTest {
protected:
    void SetUp() override {
        TUnitsTest::SetUp();
        RegisterXmlClass<TTestItem>(0);
        RegisterXmlClass<TTestGroup>(0);
    }
    std::vector<std::string> FMessages;
    TOnMessage FCollect = [this](const std::string& text) { FMessages.push_back(text); };
};

// A parsed document, used through its main node.
struct TParsed {
    std::unique_ptr<TLhXmlDocument> Doc;
    TLhXMLNode* get() const { return Doc->MainNode(); }
    TLhXMLNode* operator->() const { return Doc->MainNode(); }
};

TParsed Parse(const std::string& text, bool plain, TOnMessage onMessage = {}) {
    TParsed parsed{std::make_unique<TLhXmlDocument>(std::move(onMessage))};
    TTextStream stream(text);
    parsed.Doc->Parse(stream, plain);
    return parsed;
}

}  // namespace

TEST_F(XmlNodesTest, RegistryCreatesByExactTagThenFoldedPrefix) {
    const struct {
        std::string tag, cls;
    } cases[] = {
        {"TEST_ITEM", "TTestItem"},    {"TEST_ITEMS", "TTestItem"},  {"test_item", "TTestItem"},
        {"Test_Items_X", "TTestItem"}, {"TEST_GROUP", "TTestGroup"}, {"NODE", "TLhXMLNode"},
        {"XNODE", "TLhXMLNode"},       {"TEST_", "TLhXMLNode"},      {"", "TLhXMLNode"},
    };
    for (const auto& c : cases) {
        auto node = XmlClassRegistry().CreateNode(nullptr, c.tag, {});
        EXPECT_EQ(ClassOf(node.get()), c.cls) << c.tag;
        EXPECT_EQ(node->NodeName(), c.tag.empty() ? "XNODE" : c.tag);
    }
    EXPECT_EQ(XmlClassRegistry().FindExact("test_item"), nullptr);
    ASSERT_NE(XmlClassRegistry().FindByPrefix("test_items"), nullptr);
    EXPECT_EQ(XmlClassRegistry().FindByPrefix("test_items")->ClassName, "TTestItem");
}

TEST_F(XmlNodesTest, RegisterModesForATakenTag) {
    const struct {
        int mode;
        int added;        // entries beside the units' own (TEST_ITEM, TEST_GROUP before)
        std::string cls;  // what TEST_ITEM creates
        int firstIndex;   // of the first TEST_ITEM entry, after the units' own
    } cases[] = {
        {1, 2, "TOtherItem", 1},  // the old entry goes, the new one is appended
        {2, 2, "TTestItem", 0},   // the old entry stays, nothing is added
        {3, 3, "TTestItem", 0},   // a second entry behind the first
        {-1, 3, "TTestItem", 0},
    };
    for (const auto& c : cases) {
        FinalizeUnits();
        InitUnits();
        const int units = XmlClassRegistry().Count();
        RegisterXmlClass<TTestItem>(0);
        RegisterXmlClass<TTestGroup>(0);
        RegisterXmlClass<TOtherItem>(c.mode);
        const TRegNodeList& reg = XmlClassRegistry();
        EXPECT_EQ(reg.Count(), units + c.added) << c.mode;
        EXPECT_EQ(ClassOf(reg.CreateNode(nullptr, "TEST_ITEM", {}).get()), c.cls) << c.mode;
        int first = -1;
        for (int i = 0; i < reg.Count() && first < 0; ++i)
            if (reg.Items(i).TagIdent == "TEST_ITEM") first = i;
        EXPECT_EQ(first, units + c.firstIndex) << c.mode;
    }
}

TEST_F(XmlNodesTest, RegisterModeZeroStopsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RegisterXmlClass<TOtherItem>(0), ::testing::ExitedWithCode(13),
                "^TEST_ITEM: Ident TOtherItem already exist for type:TEST_ITEM\n$");
}

TEST_F(XmlNodesTest, ClassTreeGetsItsAttributesAppliedBeforeAfterLoad) {
    auto root =
        Parse("<ROOT><TEST_ITEM NAME=\"a\" TEXT=\"hello\" COUNT=\"5\"/><NODE x=\"1\"/></ROOT>", false);
    auto* item = dynamic_cast<TTestItem*>(root->GetChild(0));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->FText, "hello");
    EXPECT_EQ(item->FCount, 5);
    // Constructed, cleared, attributes applied in order, then AfterLoad sees the fields.
    EXPECT_EQ(item->Log,
              (std::vector<std::string>{"AfterLoad /0", "BeforeClear", "field NAME=a", "field TEXT=hello",
                                        "field COUNT=5", "AfterLoad hello/5"}));
    EXPECT_EQ(ClassOf(root->GetChild(1)), "TLhXMLNode");

    // Written back, the fields give the same attributes: nothing is lost or blanked.
    std::string text;
    root->WriteToStream(text);
    EXPECT_EQ(Dump(Parse(text, true).get()), "ROOT[TEST_ITEM(NAME=a,TEXT=hello,COUNT=5) NODE(x=1)]");

    // A plain tree has plain nodes only.
    auto plain = Parse("<TEST_ITEM TEXT=\"x\"><TEST_ITEM/></TEST_ITEM>", true);
    EXPECT_EQ(ClassOf(plain.get()), "TLhXMLNode");
    EXPECT_EQ(ClassOf(plain->GetChild(0)), "TLhXMLNode");
}

TEST_F(XmlNodesTest, PlainTreeTakesTheMainNodesClassForChildren) {
    auto main = CreateXmlNode<TTestItem>(nullptr, "", {});
    EXPECT_EQ(main->NodeName(), "TEST_ITEM");
    TTextStream stream("<A/><B/></TEST_ITEM>");
    main->ParseContent(stream, false, true);
    ASSERT_EQ(main->ChildCount(), 2);
    EXPECT_EQ(ClassOf(main->GetChild(1)), "TTestItem");
    EXPECT_EQ(main->GetChild(1)->NodeName(), "B");
}

TEST_F(XmlNodesTest, ExecAttribAndResolveReportTheirFailures) {
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "ROOT", {});
    auto* item = dynamic_cast<TTestItem*>(root->AddChild("TEST_ITEM", false));
    ASSERT_NE(item, nullptr);
    root->OnMessage = FCollect;
    item->SetAttribute("NAME", "first");
    item->SetAttribute("COUNT", "many");  // the hook throws: reported, the attribute stays
    EXPECT_EQ(item->GetAttribute("COUNT"), "many");
    item->FailResolve = true;
    EXPECT_THROW(item->ResolveParameters(), std::runtime_error);
    EXPECT_FALSE(item->Resolving());
    EXPECT_EQ(FMessages, (std::vector<std::string>{"ExecAttrib error : ROOT\\FIRST[TEST_ITEM]\\n",
                                                   "Parameter resolve error : ROOT\\FIRST[TEST_ITEM]\\n"}));
    // The node had no callback of its own: it took the root's and keeps it.
    EXPECT_TRUE(static_cast<bool>(item->OnMessage));

    // While resolving, the object's own attributes do not run back into its fields.
    item->FailResolve = false;
    item->Log.clear();
    item->FText = "t";
    item->ResolveParameters();
    EXPECT_TRUE(item->Log.empty());
    EXPECT_EQ(item->GetAttribute("TEXT"), "t");
}

TEST_F(XmlNodesTest, CopyAttributesResolvesTheSourceWithoutItsHook) {
    auto source = CreateXmlNode<TTestItem>(nullptr, "", {});
    source->FText = "src";
    source->FCount = 7;
    source->SetAttribute("extra", "e");
    source->Log.clear();
    auto target = CreateXmlNode<TTestItem>(nullptr, "", {});
    target->SetAttribute("old", "gone");
    target->Log.clear();
    target->CopyAttributes(source.get());
    EXPECT_TRUE(source->Log.empty());
    EXPECT_EQ(target->FText, "src");
    EXPECT_EQ(target->FCount, 7);
    EXPECT_EQ(Dump(target.get()), "TEST_ITEM(extra=e,TEXT=src,COUNT=7)");
}

TEST_F(XmlNodesTest, NameKeyFollowsTheNameAttribute) {
    auto node = CreateXmlNode<TLhXMLNode>(nullptr, "ITEM", {});
    EXPECT_EQ(node->DisplayName(), "ITEM");
    node->SetAttribute("NAME", "Łódź");
    EXPECT_TRUE(node->Attributes().HasName());
    EXPECT_EQ(node->NameKeyOf(), "ŁÓDŹ");
    EXPECT_EQ(node->DisplayName(), "ŁÓDŹ");
    EXPECT_NE(node->FindAttribute("name"), nullptr);
    node->SetAttribute("Name2", "x");
    EXPECT_EQ(node->NameKeyOf(), "ŁÓDŹ");

    const struct {
        std::string set, remove;
        bool hasName;
    } cases[] = {
        {"NAME", "name", false},  // the attribute named exactly NAME goes: so does the key
        {"NAME", "NAME", false},
        {"Name", "Name", false},  // "Name" never set a key
    };
    for (const auto& c : cases) {
        node->ClearAttributes();
        node->SetAttribute(c.set, "k");
        EXPECT_TRUE(node->DeleteAttribute(c.remove));
        EXPECT_EQ(node->Attributes().HasName(), c.hasName) << c.set;
        EXPECT_EQ(node->NameKeyOf(), "") << c.set;
        EXPECT_EQ(node->DisplayName(), "ITEM") << c.set;
    }
    EXPECT_FALSE(node->DeleteAttribute("none"));

    // Cleared attributes leave no key behind to pair the node by.
    auto parent = CreateXmlNode<TLhXMLNode>(nullptr, "P", {});
    TLhXMLNode* child = parent->AddChild("ITEM", true);
    child->SetAttribute("NAME", "k");
    EXPECT_EQ(parent->FindChildByName("ITEM", "k"), child);
    child->ClearAttributes();
    EXPECT_EQ(parent->FindChildByName("ITEM", "k"), nullptr);
    EXPECT_EQ(parent->FindChildByName("ITEM", ""), child);
}

TEST_F(XmlNodesTest, AttributeAccess) {
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "ROOT", {});
    TLhXMLNode* kid = root->AddChild("KID", true);
    kid->SetAttribute("n", "12");
    kid->SetAttribute("h", "$10");
    kid->SetAttribute("bad", "1x");
    kid->SetAttribute("big", "99999999999");
    const struct {
        std::string name;
        int32_t expected;
    } ints[] = {{"n", 12}, {"N", 12}, {"h", 16}, {"bad", -3}, {"big", -3}, {"none", -3}};
    for (const auto& c : ints) EXPECT_EQ(kid->ReadIntAttribute(c.name, -3), c.expected) << c.name;
    EXPECT_EQ(kid->ReadAttribute("none", "def"), "def");
    EXPECT_EQ(kid->ReadAttribute("N", "def"), "12");

    kid->WriteOrDeleteAttribute("w", false, "v");
    EXPECT_EQ(kid->GetAttribute("W"), "v");
    kid->WriteOrDeleteAttribute("w", true, "v");
    EXPECT_EQ(kid->FindAttribute("w"), nullptr);

    const struct {
        std::function<void()> action;
        int code;
        std::string message;
    } errors[] = {
        {[&] { kid->GetAttribute("x"); }, 1, "Xml.Unknown attribute: ROOT\\KID\\x"},
        {[&] { kid->SetAttribute("a-b", "1"); }, 7, "XML.Bad attribute name:a-b"},
        {[&] { kid->Attributes().Items(0).SetName("a.b"); }, 7, "XML.Bad attribute name:a.b"},
        {[&] { kid->SetNodeName("a-b"); }, 7, "XML. Wrong node name:a-b"},
        {[&] {
             TAttribList list(nullptr);
             list.GetValue("q");
         },
         1, "Xml.Unknown attribute: \\q"},
    };
    for (const auto& e : errors) {
        try {
            e.action();
            FAIL() << e.message;
        } catch (const XLhException& x) {
            EXPECT_EQ(x.Code, e.code);
            EXPECT_EQ(std::string(x.what()), e.message);
        }
    }
    EXPECT_EQ(kid->NodeName(), "KID");

    // A renamed attribute is found under its new name only.
    kid->Attributes().Items(0).SetName("renamed");
    EXPECT_EQ(kid->FindAttribute("n"), nullptr);
    EXPECT_EQ(kid->ReadAttribute("RENAMED", ""), "12");
}

TEST_F(XmlNodesTest, TreeStructure) {
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "ROOT", {});
    TLhXMLNode* a = root->AddChild("A", true);
    TLhXMLNode* b = a->AddChild("B", true);
    b->SetAttribute("NAME", "bee");
    TLhXMLNode* c = b->AddChild("C", true);
    EXPECT_EQ(c->Indent(), "      ");
    EXPECT_EQ(c->Root(), root.get());
    EXPECT_EQ(c->TagPath(), "ROOT\\A\\B\\C");
    EXPECT_EQ(c->Path(), "ROOT\\A\\BEE\\C");
    EXPECT_EQ(a->FindChild("b"), b);
    EXPECT_EQ(a->FindChildByName("B", "Bee"), b);
    EXPECT_EQ(a->FindChildByName("B", "wasp"), nullptr);
    int index = 5;
    EXPECT_EQ(root->Children().Find("nothing", index), nullptr);
    EXPECT_EQ(index, -1);

    std::unique_ptr<TLhXMLNode> detached = b->Detach();
    EXPECT_EQ(detached.get(), b);
    EXPECT_EQ(b->Owner(), nullptr);
    EXPECT_EQ(a->ChildCount(), 0);
    EXPECT_EQ(c->Path(), "BEE\\C");
    EXPECT_EQ(b->Detach(), nullptr);

    auto* group = static_cast<TTestGroup*>(root->AddChildOfClass(XmlClass<TTestGroup>()));
    EXPECT_EQ(group->NodeName(), "TEST_GROUP");
    EXPECT_EQ(group->Path(), "ROOT\\<TEST_GROUP>");  // the class's own display name

    auto item = CreateXmlNode<TTestItem>(nullptr, "", {});
    item->Log.clear();
    item->AddChild("X", true);
    item->Clear(true);
    EXPECT_EQ(item->Log, (std::vector<std::string>{"BeforeClear", "AfterLoad /0"}));
    EXPECT_FALSE(item->HasChildren());
}

TEST_F(XmlNodesTest, NodeByPath) {
    TLhXmlDocument doc;
    TLhXMLNode* bb = doc.NodeByPath("A\\B\\B", true);
    EXPECT_EQ(Dump(doc.MainNode()), "A[B[B]]");
    EXPECT_EQ(bb->TagPath(), "A\\B\\B");
    EXPECT_EQ(doc.NodeByPath("A\\B\\B", true), bb);
    EXPECT_EQ(doc.NodeByPath("\\A\\\\b\\", true), bb->Owner());  // empty parts dropped, folded lookup
    EXPECT_EQ(doc.NodeByPath("A", true), doc.MainNode());
    EXPECT_EQ(doc.NodeByPath("", true), doc.MainNode());
    try {
        doc.NodeByPath("B\\X", true);
        FAIL();
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 7);
        EXPECT_EQ(std::string(e.what()), "XML. Wrong main node name.");
    }
    try {
        doc.MainNode("OTHER", true);
        FAIL();
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 5);
        EXPECT_EQ(std::string(e.what()), "Xml Error. Main node already exists.");
    }
    EXPECT_EQ(doc.MainNode("A", true), doc.MainNode());

    TLhXmlDocument classes;
    TLhXMLNode* item = classes.NodeByPath("TEST_GROUP\\TEST_ITEM", false);
    EXPECT_EQ(ClassOf(classes.MainNode()), "TTestGroup");
    EXPECT_EQ(ClassOf(item), "TTestItem");
}

TEST_F(XmlNodesTest, CopyAndAssign) {
    auto source =
        Parse("<S a=\"1\"><TEST_ITEM TEXT=\"t\" COUNT=\"2\"><K/></TEST_ITEM><P q=\"x\"/></S>", false);
    const std::string tree = "S(a=1)[TEST_ITEM(TEXT=t,COUNT=2)[K] P(q=x)]";
    ASSERT_EQ(Dump(source.get()), tree);

    const struct {
        bool plain;
        std::string childClass;
    } cases[] = {{true, "TLhXMLNode"}, {false, "TTestItem"}};
    for (const auto& c : cases) {
        auto target = CreateXmlNode<TLhXMLNode>(nullptr, "T", {});
        target->SetAttribute("stale", "1");
        target->AddChild("STALE", true);
        target->Assign(source.get(), c.plain);
        EXPECT_EQ(Dump(target.get()), tree);
        EXPECT_EQ(ClassOf(target->GetChild(0)), c.childClass);
        EXPECT_EQ(target->GetChild(0)->GetChild(0)->Indent(), "    ");
    }
    // The node keeps its own class; the children are made by the registry.
    auto target = CreateXmlNode<TLhXMLNode>(nullptr, "T", {});
    target->Assign(source.get(), false);
    EXPECT_EQ(ClassOf(target.get()), "TLhXMLNode");
    auto* item = dynamic_cast<TTestItem*>(target->GetChild(0));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->FText, "t");
    EXPECT_EQ(item->FCount, 2);

    // Without the node itself only the children are added.
    auto more = CreateXmlNode<TLhXMLNode>(nullptr, "M", {});
    more->SetAttribute("own", "1");
    more->CopyFrom(source.get(), true, false);
    EXPECT_EQ(Dump(more.get()), "M(own=1)[TEST_ITEM(TEXT=t,COUNT=2)[K] P(q=x)]");
    more->CopyFrom(nullptr, true, true);
    EXPECT_EQ(Dump(more.get()), "M(own=1)[TEST_ITEM(TEXT=t,COUNT=2)[K] P(q=x)]");
}

TEST_F(XmlNodesTest, CopyWithinOneTreeReadsTheSourceAsItWas) {
    const std::string tree = "R(r=1)[A(a=2)[B(b=3)]]";
    const struct {
        const char* what;
        std::function<void(TLhXMLNode*)> action;
        std::string result;
    } cases[] = {
        {"self", [](TLhXMLNode* r) { r->Assign(r, true); }, tree},
        {"descendant", [](TLhXMLNode* r) { r->Assign(r->GetChild(0), true); }, "A(a=2)[B(b=3)]"},
        {"ancestor", [](TLhXMLNode* r) { r->GetChild(0)->Assign(r, true); },
         "R(r=1)[R(r=1)[A(a=2)[B(b=3)]]]"},
        {"copy from self", [](TLhXMLNode* r) { r->CopyFrom(r, true, false); },
         "R(r=1)[A(a=2)[B(b=3)] A(a=2)[B(b=3)]]"},
        {"copy from ancestor", [](TLhXMLNode* r) { r->GetChild(0)->GetChild(0)->CopyFrom(r, true, false); },
         "R(r=1)[A(a=2)[B(b=3)[A(a=2)[B(b=3)]]]]"},
    };
    for (const auto& c : cases) {
        auto root = Parse("<R r=\"1\"><A a=\"2\"><B b=\"3\"/></A></R>", true);
        ASSERT_EQ(Dump(root.get()), tree);
        c.action(root.get());
        EXPECT_EQ(Dump(root.get()), c.result) << c.what;
    }
}

TEST_F(XmlNodesTest, Compare) {
    const struct {
        std::string newer, older;
        bool same;
        std::vector<std::string> lines;
    } cases[] = {
        {"<R><I v=\"1\"/></R>", "<R><I v=\"1\"/></R>", true, {}},
        {"<R><I v=\"2\"/></R>",
         "<R><I v=\"1\"/></R>",
         false,
         {"Xml.Differences in attribute value:R\\I\\v: [old=1] [new=2]\\n"}},
        {"<R><I v=\"A\"/></R>",
         "<R><I V=\"a\"/></R>",
         false,
         {"Xml.Differences in attribute value:R\\I\\v: [old=a] [new=A]\\n"}},
        {"<R><I v=\"1\" w=\"2\"/></R>",
         "<R><I v=\"1\" x=\"3\"/></R>",
         false,
         {"Old, there is no attribute:R\\I\\w\\n", "New, there is no attribute:R\\I\\x\\n"}},
        // Named children pair by name, whatever their order.
        {"<R><I NAME=\"a\" v=\"1\"/><I NAME=\"b\" v=\"2\"/></R>",
         "<R><I NAME=\"b\" v=\"2\"/><I NAME=\"a\" v=\"1\"/></R>",
         true,
         {}},
        {"<R><I NAME=\"a\"/><J/></R>",
         "<R><I NAME=\"c\"/><K/></R>",
         false,
         {"Old, there is no key:R\\A\\n", "Old, there is no key:R\\J\\n", "New, there is no key:R\\C\\n",
          "New, there is no key:R\\K\\n"}},
        // A named child pairs by its name only; an unnamed one also by its tag.
        {"<R><I NAME=\"a\"/></R>", "<R><I/></R>", false, {"Old, there is no key:R\\A\\n"}},
        {"<R><I/></R>",
         "<R><I NAME=\"a\"/></R>",
         false,
         {"New, there is no attribute:R\\I\\NAME\\n", "New, there is no key:R\\A\\n"}},
    };
    for (const auto& c : cases) {
        FMessages.clear();
        auto newer = Parse(c.newer, true, FCollect);
        auto older = Parse(c.older, true);
        EXPECT_EQ(newer->Compare(older.get(), {}), c.same) << c.newer;
        EXPECT_EQ(FMessages, c.lines) << c.newer;
    }

    // The line callback reaches a class's own comparison; the base does not use it.
    std::vector<std::string> lines;
    auto newer = Parse("<R><TEST_GROUP NAME=\"g\"/></R>", false);
    auto older = Parse("<R><TEST_GROUP NAME=\"g\"/></R>", false);
    EXPECT_FALSE(newer->Compare(older.get(), [&](const std::string& l) { lines.push_back(l); }));
    EXPECT_EQ(lines, (std::vector<std::string>{"group R\\<G> vs R\\<G>\\n"}));
    EXPECT_TRUE(newer->CompareAttributes(older.get()));
}
