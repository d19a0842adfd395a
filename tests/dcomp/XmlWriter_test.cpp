#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;
using dcomp_test::TXmlFileTest;

namespace {

using XmlWriterTest = TXmlFileTest;

const std::string kDeclaration =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

// ROOT with a leaf holding every character the writer escapes, a parent and an empty value.
std::unique_ptr<TLhXMLNode> GoldenTree() {
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "ROOT", {});
    root->SetAttribute("a", "1");
    TLhXMLNode* item = root->AddChild("ITEM", true);
    item->SetAttribute("NAME", "x");
    item->SetAttribute("v", "a\"b<c&d>e'f");
    item->SetAttribute("n", std::string("n\0l", 3));
    root->AddChild("GROUP", true)->AddChild("LEAF", true);
    root->AddChild("EMPTY", true)->SetAttribute("z", "");
    return root;
}

const std::string kGolden = kDeclaration +
                            "<ROOT a=\"1\">\r\n"
                            "  <ITEM NAME=\"x\" v=\"a&#x22;b&#x3C;c&#x26;d>e'f\" n=\"n&#x00;l\"/>\r\n"
                            "  <GROUP>\r\n"
                            "    <LEAF/>\r\n"
                            "  </GROUP>\r\n"
                            "  <EMPTY z=\"\"/>\r\n"
                            "</ROOT>\r\n";

// A tree that only differs from the golden one in a value.
std::string Changed(const std::string& value) {
    auto root = GoldenTree();
    root->SetAttribute("a", value);
    std::string text;
    root->WriteToStream(text);
    return text;
}

}  // namespace

TEST_F(XmlWriterTest, GoldenBytes) {
    auto root = GoldenTree();
    std::string text;
    root->WriteToStream(text);
    EXPECT_EQ(text, kGolden);

    root->SaveToFile(Path("golden.xml"), "");
    EXPECT_EQ(Read("golden.xml"), kGolden);

    auto single = CreateXmlNode<TLhXMLNode>(nullptr, "ONLY", {});
    text.clear();
    single->WriteToStream(text);
    EXPECT_EQ(text, kDeclaration + "<ONLY/>\r\n");
}

TEST_F(XmlWriterTest, WrittenTreeReadsBack) {
    const std::string values[] = {"\"quoted\"",    "a<b",        "a>b",
                                  "a&b",           "&lt;",       "&amp;lt;",
                                  "it's",          "  blanks  ", "zażółć gęślą jaźń ŻÓŁĆ",
                                  "<![CDATA[x]]>", "&#65;",      "line\nbreak"};
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "ROOT", {});
    for (size_t i = 0; i < std::size(values); ++i) root->SetAttribute("v" + std::to_string(i), values[i]);
    root->SaveToFile(Path("values.xml"), "");

    TLhXmlDocument doc;
    doc.LoadFromFile(Path("values.xml"), true);
    ASSERT_NE(doc.MainNode(), nullptr);
    EXPECT_EQ(Dump(doc.MainNode()), Dump(root.get()));
    EXPECT_EQ(doc.MainNode()->GetAttribute("v4"), "&lt;");  // not "<", as a raw "&" would give
}

TEST_F(XmlWriterTest, BackupNames) {
    const struct {
        std::string name, backup;
    } cases[] = {
        {"a.xml", "a.~xml"},     {"/x/y.tar.gz", "/x/y.tar.~gz"}, {"a", "a~"},
        {"dir.d/a", "dir.d/a~"}, {"dir/.cfg", "dir/.~cfg"},       {"a.", "a.~"},
    };
    for (const auto& c : cases) EXPECT_EQ(BackupFileName(c.name), c.backup) << c.name;
}

TEST_F(XmlWriterTest, SavingKeepsThePreviousFileAsBackup) {
    auto root = GoldenTree();
    const std::string file = Path("cfg.xml");
    root->SaveToFile(file, "");
    EXPECT_FALSE(platform::FileExists(Path("cfg.~xml")));
    root->SetAttribute("a", "2");
    root->SaveToFile(file, "");
    EXPECT_EQ(Read("cfg.~xml"), kGolden);
    EXPECT_EQ(Read("cfg.xml"), Changed("2"));
    root->SetAttribute("a", "3");
    root->SaveToFile(file, "");
    EXPECT_EQ(Read("cfg.~xml"), Changed("2"));
    EXPECT_EQ(Read("cfg.xml"), Changed("3"));
}

TEST_F(XmlWriterTest, BackupIsACopyWhereNoLinkIsAllowed) {
    // Another user's set-group-id file in a shared directory, which anyone may write: the
    // kernel refuses a hard link to it (protected hard links), so the backup is copied.
    Write("shared/cfg.xml", "old contents");
    ::chmod(FDir.c_str(), 0711);
    ::chmod(Path("shared").c_str(), 0777);
    ::chmod(Path("shared/cfg.xml").c_str(), 02676);
    const std::string file = Path("shared/cfg.xml");
    auto root = GoldenTree();
    EXPECT_TRUE(platform_test::RunUnprivileged([&] {
        try {
            root->SaveToFile(file, "");
            return true;
        } catch (...) {
            return false;  // never out of the forked child
        }
    }));
    EXPECT_EQ(Read("shared/cfg.~xml"), "old contents");
    EXPECT_EQ(Read("shared/cfg.xml"), kGolden);
}

TEST_F(XmlWriterTest, FailedSaveRaisesAndLeavesTheFile) {
    auto root = GoldenTree();
    try {
        root->SaveToFile(Path("missing/cfg.xml"), "");
        FAIL() << "no exception";
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 11);
        EXPECT_EQ(std::string(e.what()), "File \"" + Path("missing/cfg.xml") + "\" not written");
    }

    Write("ro/cfg.xml", "old contents");
    ::chmod(Path("ro").c_str(), 0555);
    const std::string file = Path("ro/cfg.xml");
    EXPECT_TRUE(platform_test::RunUnprivileged([&] {
        try {
            root->SaveToFile(file, "");
        } catch (const XLhException& e) {
            return e.Code == 11;
        } catch (...) {
        }
        return false;
    }));
    ::chmod(Path("ro").c_str(), 0755);
    EXPECT_EQ(Read("ro/cfg.xml"), "old contents");
}

TEST_F(XmlWriterTest, SaveUnderASubPath) {
    const std::string file = Path("tree.xml");
    Write("tree.xml", "<ROOT r=\"0\"><CFG><A x=\"1\"><KID/></A></CFG><OTHER y=\"2\"/></ROOT>");
    auto a = CreateXmlNode<TLhXMLNode>(nullptr, "A", {});
    a->SetAttribute("z", "3");
    a->SaveToFile(file, "ROOT\\CFG");
    TLhXmlDocument doc;
    doc.LoadFromFile(file, true);
    EXPECT_EQ(Dump(doc.MainNode()), "ROOT(r=0)[CFG[A(z=3)] OTHER(y=2)]");
    EXPECT_EQ(Read("tree.~xml"), "<ROOT r=\"0\"><CFG><A x=\"1\"><KID/></A></CFG><OTHER y=\"2\"/></ROOT>");

    auto b = CreateXmlNode<TLhXMLNode>(nullptr, "B", {});
    b->AddChild("C", true)->SetAttribute("q", "w");
    b->SaveToFile(file, "ROOT\\NEW\\DEEP");
    doc.LoadFromFile(file, true);
    EXPECT_EQ(Dump(doc.MainNode()), "ROOT(r=0)[CFG[A(z=3)] OTHER(y=2) NEW[DEEP[B[C(q=w)]]]]");

    // No file yet: the path is built.
    a->SaveToFile(Path("fresh.xml"), "TOP");
    doc.LoadFromFile(Path("fresh.xml"), true);
    EXPECT_EQ(Dump(doc.MainNode()), "TOP[A(z=3)]");
}

TEST_F(XmlWriterTest, SubPathSaveNeverOverwritesWhatItCannotRead) {
    auto a = CreateXmlNode<TLhXMLNode>(nullptr, "A", {});
    const struct {
        std::string contents;
        std::string subPath;
        int code;
    } cases[] = {
        {"<ROOT><X></Y></ROOT>", "ROOT", 2},
        {"text <ROOT/>", "ROOT", 4},
        {"<ROOT/>", "OTHER", 7},  // another main element
    };
    for (const auto& c : cases) {
        Write("keep.xml", c.contents);
        try {
            a->SaveToFile(Path("keep.xml"), c.subPath);
            FAIL() << c.contents;
        } catch (const XLhException& e) {
            EXPECT_EQ(e.Code, c.code) << c.contents;
        }
        EXPECT_EQ(Read("keep.xml"), c.contents);
        EXPECT_FALSE(platform::FileExists(Path("keep.~xml")));
    }
}

TEST_F(XmlWriterTest, DocumentLoadAndSave) {
    TLhXmlDocument doc;
    const struct {
        std::function<void()> action;
        int code;
        std::string message;
    } errors[] = {
        {[&] { doc.LoadFromFile("", true); }, 3, "NO File Name"},
        {[&] { doc.SaveToFile(""); }, 3, "NO File Name"},
        {[&] { doc.LoadFromFile(Path("none.xml"), true); }, 10,
         "File \"" + Path("none.xml") + "\" not exist"},
        {[&] { doc.LoadFromFile(FDir, true); }, 10, "File \"" + FDir + "\" not exist"},
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

    Write("doc.xml", "<D a=\"1\"/>");
    TLhXmlDocument loaded;
    loaded.LoadFromFile(Path("doc.xml"), true);
    EXPECT_EQ(loaded.FileName(), Path("doc.xml"));
    loaded.MainNode()->SetAttribute("a", "2");
    loaded.SaveToFile("");  // to the file it came from
    EXPECT_EQ(Read("doc.xml"), kDeclaration + "<D a=\"2\"/>\r\n");

    TLhXmlDocument empty;
    empty.SaveToFile(Path("nothing.xml"));  // no main node: nothing written
    EXPECT_FALSE(platform::FileExists(Path("nothing.xml")));
}
