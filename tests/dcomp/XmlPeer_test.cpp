// Written files against independent XML parsers, and files of an independent writer
// against the reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "tests/dcomp/XmlFileTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;
using dcomp_test::RunProgram;
using dcomp_test::TXmlFileTest;

namespace {

using XmlPeerTest = TXmlFileTest;

// Element by element: depth, tag, then each attribute as name=hex of its UTF-8 value.
const char* const kEtreeDump = R"(
import sys, xml.etree.ElementTree as ET
def walk(e, d):
    print(d, e.tag, *[k + "=" + v.encode("utf-8").hex() for k, v in e.attrib.items()])
    for c in e:
        walk(c, d + 1)
walk(ET.parse(sys.argv[1]).getroot(), 0)
)";

std::string Hex(const std::string& s) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

void OurDump(const TLhXMLNode* node, int depth, std::string& out) {
    out += std::to_string(depth) + " " + node->NodeName();
    for (int i = 0; i < node->Attributes().Count(); ++i)
        out += " " + node->Attributes().Items(i).Name() + "=" + Hex(node->Attributes().Items(i).Value());
    out += "\n";
    for (int i = 0; i < node->ChildCount(); ++i) OurDump(node->GetChild(i), depth + 1, out);
}

std::unique_ptr<TLhXMLNode> Tree(int variant) {
    auto root = CreateXmlNode<TLhXMLNode>(nullptr, "SETTINGS", {});
    root->SetAttribute("version", "2");
    if (variant == 0) return root;
    const std::string values[] = {"\"q\"",
                                  "<",
                                  ">",
                                  "&",
                                  "&lt;",
                                  "it's",
                                  "  blanks at the ends  ",
                                  "zażółć gęślą jaźń",
                                  "ŻÓŁW",
                                  "a'b\"c<d>e&f",
                                  "",
                                  "&#65;"};
    TLhXMLNode* group = root->AddChild("GROUP", true);
    group->SetAttribute("NAME", "Grupa ą");
    for (size_t i = 0; i < std::size(values); ++i) {
        TLhXMLNode* item = group->AddChild("ITEM", true);
        item->SetAttribute("NAME", "item" + std::to_string(i));
        item->SetAttribute("value", values[i]);
        item->SetAttribute("Order", std::to_string(i));
    }
    if (variant == 2) {
        TLhXMLNode* node = root.get();
        for (int depth = 0; depth < 40; ++depth) node = node->AddChild("LEVEL", true);
        node->SetAttribute("deep", "yes");
    }
    return root;
}

}  // namespace

TEST_F(XmlPeerTest, WrittenFilesAreXmlToIndependentParsers) {
    for (int variant = 0; variant < 3; ++variant) {
        auto root = Tree(variant);
        const std::string file = Path("peer" + std::to_string(variant) + ".xml");
        root->SaveToFile(file, "");

        const auto lint = RunProgram({"xmllint", "--noout", file});
        EXPECT_EQ(lint.ExitCode, 0) << lint.Errors;

        const auto etree = RunProgram({"python3", "-c", kEtreeDump, file});
        ASSERT_EQ(etree.ExitCode, 0) << etree.Errors;
        std::string expected;
        OurDump(root.get(), 0, expected);
        EXPECT_EQ(etree.Output, expected) << variant;
    }
}

TEST_F(XmlPeerTest, ReadsWhatAnIndependentWriterWrites) {
    // ElementTree writes its own declaration (apostrophes) and escapes with named entities
    // and character references; once UTF-8 after a byte-order mark, once code page 1250.
    const char* const kWriter = R"(
import sys, xml.etree.ElementTree as ET
root = ET.Element("ROOT", {"a": "zażółć", "b": "<&>\"'", "c": " x "})
grp = ET.SubElement(root, "GROUP", {"NAME": "Łódź"})
ET.SubElement(grp, "ITEM", {"v": "line\nbreak", "w": "ŻÓŁW"})
ET.SubElement(root, "EMPTY")
utf8 = ET.tostring(root, encoding="utf-8")
open(sys.argv[1], "wb").write(b"\xef\xbb\xbf" + utf8)
open(sys.argv[2], "wb").write(ET.tostring(root, encoding="cp1250"))
)";
    const auto run = RunProgram({"python3", "-c", kWriter, Path("u.xml"), Path("w.xml")});
    ASSERT_EQ(run.ExitCode, 0) << run.Errors;
    const std::string expected =
        "ROOT(a=zażółć,b=<&>\"',c= x )[GROUP(NAME=Łódź)[ITEM(v=line\nbreak,w=ŻÓŁW)] EMPTY]";
    for (const char* name : {"u.xml", "w.xml"}) {
        TLhXmlDocument doc;
        doc.LoadFromFile(Path(name), true);
        EXPECT_EQ(Dump(doc.MainNode()), expected) << name << "\n" << Read(name);
    }
}
