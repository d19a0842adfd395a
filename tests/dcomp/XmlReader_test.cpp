#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using namespace dcomp::TokenFlags;
using dcomp_test::Dump;
using dcomp_test::ParseText;
using dcomp_test::TUnitsTest;

namespace {

using XmlReaderTest = TUnitsTest;

struct TToken {
    std::string Text;
    TTokenFlags Flags;
    bool operator==(const TToken&) const = default;
};

void PrintTo(const TToken& t, std::ostream* os) {
    *os << "{\"" << t.Text << "\", " << int(t.Flags) << "}";
}

}  // namespace

TEST_F(XmlReaderTest, Tokenizer) {
    const struct {
        std::string text;
        std::vector<TToken> tokens;
        size_t position;  // after the last token
    } cases[] = {
        {"<name ", {{"name", TagOpen}}, 6},
        {"a=\"x y\"", {{"a", Equals}, {"x y", 0}}, 7},
        {"/>", {{"", Slash | TagEnd}}, 2},
        {"</name>", {{"name", TagOpen | Slash | TagEnd}}, 7},
        {"<name/>", {{"name", TagOpen | SelfClose | TagEnd}}, 7},
        {"<?xml ", {{"xml", TagOpen | Question}}, 6},
        // A token spans its first to its last text byte; the quotes are not text.
        {"a\"b c\" ", {{"a\"b c", 0}}, 6},
        {"\"a=<>/?\nb\"", {{"a=<>/?\nb", 0}}, 10},
        {"\"\" ", {{"", 0}}, 2},
        {"'a b'", {{"'a", 0}, {"b'", EndOfText}}, 5},  // apostrophes are text
        {"\"abc", {{"abc", EndOfText}}, 4},
        // "<" after text ends the token and stays for the next scan.
        {"ab<cd", {{"ab", 0}, {"cd", TagOpen | EndOfText}}, 5},
        {"a?b ", {{"a?b", Question}}, 4},
        {"a/b>", {{"a/b", SelfClose | TagEnd}}, 4},
        {"x=1/>", {{"x", Equals}, {"1", SelfClose | TagEnd}}, 5},
        // The bytes of the byte-order mark separate like blanks.
        {"\xEF\xBB\xBFroot ", {{"root", 0}}, 8},
        {"a\xBB"
         "b",
         {{"a", 0}, {"b", EndOfText}},
         3},
        {"\"\xEF\xBB\xBF\"", {{"\xEF\xBB\xBF", 0}}, 5},
        // A finishing byte at the very end is no end of text.
        {"<ROOT/>", {{"ROOT", TagOpen | SelfClose | TagEnd}}, 7},
        {"abc", {{"abc", EndOfText}}, 3},
        {"", {{"", EndOfText}}, 0},
        {" \r\n\t ", {{"", EndOfText}}, 5},
    };
    for (const auto& c : cases) {
        TTextStream stream(c.text);
        std::vector<TToken> tokens;
        for (size_t i = 0; i < c.tokens.size(); ++i) {
            TToken t;
            ReadToken(stream, t.Text, t.Flags);
            tokens.push_back(t);
        }
        EXPECT_EQ(tokens, c.tokens) << c.text;
        EXPECT_EQ(stream.Position(), c.position) << c.text;
    }
}

TEST_F(XmlReaderTest, TokenizerCountsLinesOverTheWholeText) {
    TTextStream stream("<a\n  b=\"x\ny\"\n  c");
    std::string token;
    TTokenFlags flags = 0;
    const struct {
        std::string text;
        uint32_t line, column;
    } steps[] = {{"a", 2, 1}, {"b", 2, 5}, {"x\ny", 3, 3}, {"c", 4, 4}};
    for (const auto& s : steps) {
        ReadToken(stream, token, flags);
        EXPECT_EQ(token, s.text);
        EXPECT_EQ(stream.Line(), s.line) << s.text;
        EXPECT_EQ(stream.Column(), s.column) << s.text;
    }
}

TEST_F(XmlReaderTest, Documents) {
    const std::string nested256 = [] {
        std::string s;
        for (int i = 0; i < 256; ++i) s += "<A>";
        return s;
    }();
    const struct {
        std::string text;
        std::string tree;
        int code;
        uint32_t line, character;
    } cases[] = {
        {"<ROOT/>", "ROOT", 0, 0, 0},
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<ROOT/>\r\n", "ROOT",
         0, 0, 0},
        {"", "", 0, 0, 0},
        {" \r\n\t", "", 0, 0, 0},
        {"<?xml version=\"1.0\"?>", "", 0, 0, 0},
        {"<?xml?><A/>", "A", 0, 0, 0},
        {"<?xml version=1.0?><A/>", "A", 0, 0, 0},  // the value token ends the declaration
        {"<?xml version=\"1.0\">\n<ROOT/>", "", 6, 1, 21},
        {"<?xml version=\"1.0\" <ROOT/>", "", 6, 1, 28},
        {"<A/><B/>", "A", 5, 1, 9},
        {"<ROOT/><X/>", "ROOT", 5, 1, 12},
        {"<ROOT/>\r\n<X>", "ROOT", 5, 2, 4},
        {"<ROOT/>junk ", "ROOT", 4, 1, 13},
        {"<ROOT/>\n>", "ROOT", 4, 2, 2},
        {"<ROOT/>junk", "ROOT", 0, 0, 0},  // a word cut off by the end of the text is dropped
        {"word <ROOT/>", "", 4, 1, 6},
        {"<A><B></C></B></A>", "A[B]", 2, 1, 11},
        {"<A>\r\n  <B>\r\n    </C>\r\n", "A[B]", 2, 3, 9},
        {"<A></a>", "A", 2, 1, 8},  // closing names compare exactly
        {"<A x=\"1\" y z=\"2\"/>", "A(x=1,y=,z=2)", 0, 0, 0},
        {"<A x=\"1\" x=\"2\"/>", "A(x=2)", 0, 0, 0},
        {"<A X=\"1\" x=\"2\"/>", "A(X=2)", 0, 0, 0},  // found by folded name
        {"<A b>", "A", 0, 0, 0},                      // ">" ends the word: no attribute
        {"<A b >", "A(b=)", 0, 0, 0},
        {"<A \"\" />", "A(=)", 0, 0, 0},  // an empty name is a valid one
        {"<A b = \"1\" c=>", "A(b=1,c=)", 0, 0, 0},
        {"<A x=/><B/>", "A(x=)", 5, 1, 12},      // "/>" after "=" closes the element
        {"<A x=1/><B/>", "A(x=1)[B]", 0, 0, 0},  // "/" after a value does not
        {"<A>some text</A>", "A(some=,text=)", 0, 0, 0},
        {"<A it's/>", "A", 0, 0, 0},  // not a bare word: "/>" follows it
        {"<A it's />", "A", 7, 1, 9},
        {"<A a\"b c\"=1/>", "A", 7, 1, 14},
        {"<A><b-c/></A>", "A", 7, 1, 10},
        {"<a-b.c/>", "a-b.c", 0, 0, 0},  // the main element's name is not checked
        {"<A><B>", "A[B]", 0, 0, 0},     // the text ends inside open elements
        {"<A>\n<B x=\"1\"", "A[B(x=1)]", 0, 0, 0},
        {"<A x=\"&lt;b&gt;&amp;amp;\"/>", "A(x=<b>&amp;)", 0, 0, 0},
        {"<A x=\"\ta b \r\n\"/>", "A(x=a b )", 0, 0, 0},
        {"<A><B/><B/></A>", "A[B B]", 0, 0, 0},
        {"<A><B></B><C x=\"1\"/></A>", "A[B C(x=1)]", 0, 0, 0},
        {nested256, "", 0, 0, 0},  // (long texts: trees not compared)
        {nested256 + "<A>", "", 8, 1, 772},
    };
    for (const auto& c : cases) {
        const auto r = ParseText(c.text);
        EXPECT_EQ(r.Code, c.code) << c.text << "\n" << r.Message;
        EXPECT_EQ(r.Line, c.line) << c.text;
        EXPECT_EQ(r.Char, c.character) << c.text;
        if (c.text.size() < 300) {
            EXPECT_EQ(r.Tree, c.tree) << c.text;
        }
    }
}

TEST_F(XmlReaderTest, NestingLimitIsExact) {
    std::string text;
    for (int i = 0; i < 256; ++i) text += "<A>";
    TLhXmlDocument doc;
    TTextStream stream(text);
    ASSERT_NO_THROW(doc.Parse(stream, true));
    int depth = 0;
    for (TLhXMLNode* n = doc.MainNode(); n; n = n->HasChildren() ? n->GetChild(0) : nullptr) ++depth;
    EXPECT_EQ(depth, 256);

    // A self-closed element one level further is too deep as well.
    text += "<A/>";
    TTextStream deeper(text);
    try {
        doc.Parse(deeper, true);
        FAIL() << "no exception";
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 8);
        EXPECT_EQ(std::string(e.what()), "Xml Error. Nesting too deep. Line=1 Char=773");
    }
}

TEST_F(XmlReaderTest, Messages) {
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"<A>\r\n  <B>\r\n    </C>", "XML. Clossing wrong node: A\\B\\C. Line=3 Char=9"},
        {"x", ""},
        {"x <A/>", "Xml. Section is not open. Line=1 Char=3"},
        {"<A/><B/>", "Xml Error. Duplicated main node. Line=1 Char=9"},
        {"<?xml a=\"1\">", "Xml Error. Clossing Xml attributes without \"?\"."},
        {"<A><b.c/></A>", "XML. Wrong node name:b.c"},
        {"<A b.c=\"1\"/>", "XML.Bad attribute name:b.c"},
        {"<A \"b c\"/>", "XML.Bad attribute name:b c"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseText(c.text).Message, c.message) << c.text;
}

TEST_F(XmlReaderTest, FailedParseKeepsWhatWasBuilt) {
    TLhXmlDocument doc;
    TTextStream stream("<A n=\"1\"><B/><C x=\"2\"></D></C></A>");
    EXPECT_THROW(doc.Parse(stream, true), XLhException);
    EXPECT_EQ(Dump(doc.MainNode()), "A(n=1)[B C(x=2)]");
}

TEST_F(XmlReaderTest, Declaration) {
    TLhXmlDocument doc;
    EXPECT_EQ(doc.DeclarationAttributes().GetValue("version"), "1.0");
    EXPECT_EQ(doc.DeclarationAttributes().GetValue("ENCODING"), "UTF-8");
    EXPECT_EQ(doc.DeclarationAttributes().GetValue("standalone"), "yes");
    TTextStream stream("<?xml version=\"1.1\" encoding=\"windows-1252\"?><A/>");
    doc.Parse(stream, true);
    EXPECT_EQ(doc.DeclarationAttributes().Count(), 2);
    EXPECT_EQ(doc.DeclarationAttributes().GetValue("version"), "1.1");
    EXPECT_EQ(doc.DeclarationAttributes().GetValue("encoding"), "windows-1252");
    TTextStream none("<A/>");
    doc.Parse(none, true);
    EXPECT_EQ(doc.DeclarationAttributes().Count(), 0);
}

TEST_F(XmlReaderTest, TextByByteOrderMark) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string text;
        std::string value;
    } cases[] = {
        // Without the mark the bytes are code page 1250, whatever the declaration says.
        {"<A v=\"\xB3\xF3\x64\x9F\"/>", "łódź"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><A v=\"\xC5\x82\"/>", "Ĺ‚"},
        {"<A v=\"&#xB3;\"/>", "ł"},
        {bom + "<A v=\"łódź\"/>", "łódź"},
        {bom + "<A v=\"&#xC5;&#x82;\"/>", "ł"},
        // With the mark, a value that is not UTF-8 is taken whole as code page 1250.
        {bom + "<A v=\"\xB3\"/>", "ł"},
        {bom + "<A v=\"ą&#233;\"/>", "Ä…é"},
        {bom + "<A v=\"\"/>", ""},
    };
    for (const auto& c : cases) {
        const auto r = ParseText(c.text);
        EXPECT_EQ(r.Code, 0) << r.Message;
        EXPECT_EQ(r.Tree, "A(v=" + c.value + ")") << c.text;
    }
    // Names take the same conversion: an 8-bit main element name becomes UTF-8.
    EXPECT_EQ(ParseText("<\xA3\xD3\x44\x8F></\xA3\xD3\x44\x8F>").Tree, "ŁÓDŹ");
}

TEST_F(XmlReaderTest, DecodeXmlText) {
    const struct {
        std::string raw, decoded;
    } cases[] = {
        {"&lt;b&gt;&amp;amp;", "<b>&amp;"},
        {"&#65;&#x42;", "AB"},
        {"&#321;", "A"},
        {"&#x141;", "A"},
        {"&bogus;", "&bogus;"},
        {"&quot;&apos;", "\"'"},
        {"&LT;", "&LT;"},  // names compare exactly
        {"&a;", "&a;"},
        {"&lt", "&lt"},
        {"x&lt;", "x<"},
        {"&&lt;", "&<"},
        {"&lt;;", "<;"},
        {"&amp;&amp;", "&&"},
        {"&#38;lt;", "&lt;"},  // a replacement is not decoded again
        {"&#65", "&#65"},
        {"&#12a;", "&#12a;"},
        {"&#x;", "&#x;"},
        {"&#xZZ;", "&#xZZ;"},
        {"&#X41;", "&#X41;"},
        {"&#4294967295;", "\xFF"},
        {"&#4294967361;", "&#4294967361;"},  // past 32 bits
        {"&#xFFFFFFFF;", "\xFF"},
        {"&#x100000041;", "&#x100000041;"},
        {"&#0000000000065;", "A"},
        {"a&#0;b", std::string("a\0b", 3)},
        {"&#0;", ""},  // a control at the end is trimmed
        {"<![CDATA[x&lt;y]]>", "x&lt;y"},
        {"<![cdata[ x ]]>", " x "},
        {"<![CDATA[\tx]]>", "\tx"},
        {"<![CDATA[]]>", ""},
        {"<![CDATA[ab", ""},  // shorter than its brackets
        {"<![CDATA[", ""},
        {"\tvalue\r\n", "value"},
        {"  a  ", "  a  "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeXmlText(c.raw), c.decoded) << c.raw;
}

TEST_F(XmlReaderTest, XmlTextToBool) {
    const struct {
        std::string text;
        bool byPrefix;
        bool result, value;
        int pair;
    } cases[] = {
        {"TAK", false, true, true, 5},
        {"FAŁSZ", false, false, false, -1},  // only ASCII letters are
                                             // lowered
        {"fałsz", false, true, false, 1},
        {"Prawda", false, true, true, 1},
        {"off", false, true, false, 8},
        {"on", false, true, true, 8},
        {"0", false, true, false, 2},
        {"1", false, true, true, 2},
        {"-1", false, true, true, 3},
        {"fail", false, true, false, 3},
        {"n", true, true, false, 6},
        {"y", false, true, true, 6},
        {"t", false, true, true, 7},
        {"True", false, true, true, 0},
        {"", true, false, false, -1},
        {"ye", false, false, false, -1},
        {"ye", true, true, true, 4},
        {"pr", true, true, true, 1},
        {"o", true, false, false, -1},  // off and on both begin with it
        {"f", true, true, false, 3},    // false, fałsz, fail: the last match
        {"ta", true, true, true, 5},
        {"-", true, true, true, 3},
        {"x", true, false, false, -1},
        {"truex", true, false, false, -1},
    };
    for (const auto& c : cases) {
        bool value = !c.value;
        int pair = 99;
        EXPECT_EQ(XmlTextToBool(c.text, value, pair, c.byPrefix), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(pair, c.pair) << c.text;
    }
    EXPECT_EQ(BoolToXmlText(true), "1");
    EXPECT_EQ(BoolToXmlText(false), "0");
}

TEST_F(XmlReaderTest, TextHelpers) {
    EXPECT_EQ(UpperFold("ząb łódź źrebię ćma śnieg żaba ń"), "ZĄB ŁÓDŹ ŹREBIĘ ĆMA ŚNIEG ŻABA Ń");
    EXPECT_EQ(UpperFold("éüß\xC4"), "éüß\xC4");  // other letters and a cut-off sequence stay
    EXPECT_EQ(UpperFold("name_1:x"), "NAME_1:X");

    const struct {
        std::string text;
        bool ok;
    } names[] = {{"", true},     {"A_b:9", true}, {"1x", true}, {"a-b", false},
                 {"a.b", false}, {"a b", false},  {"ł", false}};
    for (const auto& n : names) EXPECT_EQ(IsXmlName(n.text), n.ok) << n.text;

    EXPECT_EQ(TrimControls("\x01\t a b \r\n\x1F"), " a b ");
    EXPECT_EQ(TrimControls("\x7F"), "\x7F");

    const struct {
        std::string text, escaped;
    } escapes[] = {
        {std::string("a\0b", 3), "a&#x00;b"},
        {"\"<&>'", "&#x22;&#x3C;&#x26;>'"},
        {"&lt;", "&#x26;lt;"},
        {"zażółć", "zażółć"},
    };
    for (const auto& e : escapes) {
        EXPECT_EQ(EscapeXmlText(e.text), e.escaped);
        EXPECT_EQ(DecodeXmlText(e.escaped), e.text);
    }

    const struct {
        std::string text;
        std::vector<std::string> parts;
    } splits[] = {
        {"A\\B\\\\C", {"A", "B", "C"}},
        {"\\A\r\nB\\", {"A", "B"}},
        {"a\\\"b\\c\"\\d", {"a", "\"b\\c\"", "d"}},
        {"'x\\y'z\\w", {"'x\\y'z", "w"}},
        {"", {}},
    };
    for (const auto& s : splits) {
        std::vector<std::string> parts = {"stale"};
        SplitText(s.text, parts, '\\');
        EXPECT_EQ(parts, s.parts) << s.text;
    }

    const struct {
        double value;
        std::string text;
    } floats[] = {{0, "0"}, {-1.5, "-1.5"}, {0.1 + 0.2, "0.3"}, {1e15, "1E15"}, {1.25e-7, "1.25E-7"}};
    for (const auto& f : floats) EXPECT_EQ(FloatToXmlText(f.value), f.text);
}
