// Bad and huge input: every text parses or raises XLhException with one of the parser's
// codes and a position inside the text. Fixed seeds, so every run sees the same texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "tests/dcomp/DcompTest.h"
#include "tests/dcomp/XmlTestSupport.h"

using namespace dcomp;
using dcomp_test::Dump;
using dcomp_test::PositionInside;
using dcomp_test::TUnitsTest;
using dcomp_test::Writable;

namespace {

using XmlRobustnessTest = TUnitsTest;

const std::string kSeeds[] = {
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<ROOT a=\"1\">\r\n"
    "  <ITEM NAME=\"x\" v=\"a&#x22;b&#x3C;c&#x26;d>e'f\"/>\r\n  <GROUP>\r\n    <LEAF/>\r\n  "
    "</GROUP>\r\n</ROOT>\r\n",
    "<A x=\"1\" y z='2'><B/><C a=\"&lt;&#65;&amp;\"/>text</A>",
    "<?xml version=\"1.0\"?>\n<R>\n  <S NAME=\"x\" v=\"<![CDATA[q]]>\"/>\n</R>\n",
    "<R v=\"\xB3\xF3\x64\x9F\" w = \"2\"><X/></R>",
    "\xEF\xBB\xBF<R n=\"zażółć\"><A><B><C/></B></A></R>",
};

const char kAlphabet[] = "<>/=\"?' \n\r\t&;#xA1\xEF\xBB\xBF";

uint32_t Pick(std::mt19937& rng, uint32_t n) {
    return static_cast<uint32_t>(rng() % n);
}

char RandomByte(std::mt19937& rng) {
    if (Pick(rng, 10) < 7) return kAlphabet[Pick(rng, sizeof kAlphabet - 1)];
    return static_cast<char>(Pick(rng, 256));
}

std::string Mutate(std::string text, std::mt19937& rng) {
    const uint32_t edits = 1 + Pick(rng, 4);
    for (uint32_t e = 0; e < edits; ++e) {
        const size_t pos = text.empty() ? 0 : Pick(rng, static_cast<uint32_t>(text.size()));
        switch (Pick(rng, 5)) {
            case 0:
                if (!text.empty()) text[pos] = RandomByte(rng);
                break;
            case 1:
                text.insert(pos, 1, RandomByte(rng));
                break;
            case 2:
                if (!text.empty()) text.erase(pos, 1 + Pick(rng, 4));
                break;
            case 3: {
                const size_t len = std::min<size_t>(1 + Pick(rng, 12), text.size() - pos);
                text.insert(pos, text.substr(pos, len));
                break;
            }
            default:
                text.resize(pos);
                break;
        }
    }
    return text;
}

// Parses (plain and with the registry); a writable tree must come back the same from its
// own written text.
void CheckText(const std::string& text) {
    for (bool plain : {true, false}) {
        TLhXmlDocument doc;
        TTextStream stream(text);
        try {
            doc.Parse(stream, plain);
        } catch (const XLhException& e) {
            EXPECT_TRUE(e.Code == 2 || e.Code == 4 || e.Code == 5 || e.Code == 6 || e.Code == 7 ||
                        e.Code == 8)
                << e.Code << " " << e.what();
            EXPECT_TRUE(PositionInside(text, e.Line, e.Char))
                << e.what() << " (line " << e.Line << " char " << e.Char << ")";
            continue;
        }
        TLhXMLNode* main = doc.MainNode();
        if (!plain || !main || !Writable(main)) continue;
        std::string written;
        main->WriteToStream(written);
        TLhXmlDocument again;
        TTextStream back(written);
        ASSERT_NO_THROW(again.Parse(back, true)) << written;
        EXPECT_EQ(Dump(again.MainNode()), Dump(main)) << written;
    }
}

}  // namespace

TEST_F(XmlRobustnessTest, MutatedDocuments) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = Mutate(kSeeds[static_cast<size_t>(i) % std::size(kSeeds)], rng);
        SCOPED_TRACE(::testing::PrintToString(text));
        CheckText(text);
        if (HasFatalFailure() || HasFailure()) break;
    }
}

TEST_F(XmlRobustnessTest, RandomBytes) {
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        std::string text(Pick(rng, 400), '\0');
        for (char& c : text) c = RandomByte(rng);
        SCOPED_TRACE(::testing::PrintToString(text));
        CheckText(text);
        if (HasFatalFailure() || HasFailure()) break;
    }
}

TEST_F(XmlRobustnessTest, HundredThousandNestedElements) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "<A>";
    for (bool plain : {true, false}) {
        TLhXmlDocument doc;
        TTextStream stream(text);
        try {
            doc.Parse(stream, plain);
            FAIL() << "no exception";
        } catch (const XLhException& e) {
            EXPECT_EQ(e.Code, 8);
            EXPECT_EQ(e.Line, 1u);
            EXPECT_EQ(e.Char, 257u * 3 + 1);
        }
    }
}

TEST_F(XmlRobustnessTest, HundredThousandSiblings) {
    std::string text = "<A>";
    for (int i = 0; i < 100000; ++i) text += "<B n=\"" + std::to_string(i) + "\"/>";
    text += "</A>";
    TLhXmlDocument doc;
    TTextStream stream(text);
    doc.Parse(stream, false);
    ASSERT_EQ(doc.MainNode()->ChildCount(), 100000);
    EXPECT_EQ(doc.MainNode()->GetChild(99999)->GetAttribute("n"), "99999");
    std::string written;
    doc.MainNode()->WriteToStream(written);
    TLhXmlDocument again;
    TTextStream back(written);
    again.Parse(back, true);
    EXPECT_EQ(again.MainNode()->ChildCount(), 100000);
}

TEST_F(XmlRobustnessTest, MegabyteOfBareWords) {
    // Distinct words, each seen again in other case: found by folded name, not by a walk.
    std::string words;
    int count = 0;
    while (words.size() < (1u << 20)) {
        words += "w" + std::to_string(count) + " W" + std::to_string(count) + " ";
        ++count;
    }
    TLhXmlDocument doc;
    TTextStream stream("<A " + words + "/>");
    doc.Parse(stream, true);
    const TLhXMLNode* main = doc.MainNode();
    ASSERT_EQ(main->Attributes().Count(), count);
    EXPECT_EQ(main->Attributes().Items(count - 1).Name(), "w" + std::to_string(count - 1));
    EXPECT_EQ(main->Attributes().IndexOfName("W" + std::to_string(count / 2)), count / 2);

    // The same words outside any element stop at the first.
    TTextStream outside(words + "<A/>");
    try {
        doc.Parse(outside, true);
        FAIL() << "no exception";
    } catch (const XLhException& e) {
        EXPECT_EQ(e.Code, 4);
        EXPECT_EQ(e.Char, 4u);
    }
}

TEST_F(XmlRobustnessTest, MegabyteValues) {
    const struct {
        std::string unit, decodedUnit;
    } cases[] = {
        {"&amp;", "&"},
        {"&#1", "&#1"},
        {"&#38;", "&"},
        {"&&&;", "&&&;"},
        {"&#99999999999999999999", "&#99999999999999999999"},
    };
    for (const auto& c : cases) {
        std::string raw, decoded;
        while (raw.size() < (1u << 20)) {
            raw += c.unit;
            decoded += c.decodedUnit;
        }
        EXPECT_EQ(DecodeXmlText(raw), decoded) << c.unit;
    }
}
