// The XML reader on any text: it builds a tree or raises XLhException with one of the
// parser's codes and a position inside the text; a tree is UTF-8 throughout, and one
// whose names can be written comes back the same from its own written text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/DcompInit.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "tests/dcomp/XmlTestSupport.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace dcomp;
using dcomp_test::PositionInside;
using dcomp_test::Writable;

void Dump(const TLhXMLNode* node, std::string& out) {
    out += node->NodeName();
    for (int i = 0; i < node->Attributes().Count(); ++i) {
        const TAttribItem& a = node->Attributes().Items(i);
        out += '\x01' + a.Name() + '\x02' + a.Value();
    }
    out += '\x03';
    for (int i = 0; i < node->ChildCount(); ++i) Dump(node->GetChild(i), out);
    out += '\x04';
}

void CheckText(const TLhXMLNode* node) {
    FUZZ_CHECK(fuzz::ValidUtf8(node->NodeName()));
    for (int i = 0; i < node->Attributes().Count(); ++i) {
        FUZZ_CHECK(fuzz::ValidUtf8(node->Attributes().Items(i).Name()));
        FUZZ_CHECK(fuzz::ValidUtf8(node->Attributes().Items(i).Value()));
    }
    for (int i = 0; i < node->ChildCount(); ++i) CheckText(node->GetChild(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitUnits();
        return true;
    }();
    (void)ready;
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (bool plain : {true, false}) {
        TLhXmlDocument doc;
        TTextStream stream(text);
        try {
            doc.Parse(stream, plain);
        } catch (const XLhException& e) {
            FUZZ_CHECK(e.Code == 2 || e.Code == 4 || e.Code == 5 || e.Code == 6 || e.Code == 7 ||
                       e.Code == 8);
            FUZZ_CHECK(PositionInside(text, e.Line, e.Char));
            continue;
        }
        const TLhXMLNode* main = doc.MainNode();
        if (!main) continue;
        CheckText(main);
        if (!plain || !Writable(main)) continue;
        std::string written;
        doc.MainNode()->WriteToStream(written);
        FUZZ_CHECK(fuzz::ValidUtf8(written));
        TLhXmlDocument again;
        TTextStream back(written);
        try {
            again.Parse(back, true);
        } catch (const XLhException&) {
            FUZZ_CHECK(!"a written tree does not parse");
        }
        FUZZ_CHECK(again.MainNode() != nullptr);
        std::string before, after;
        Dump(main, before);
        Dump(again.MainNode(), after);
        FUZZ_CHECK(before == after);
    }

    // Decoding only ever shortens a value.
    FUZZ_CHECK(DecodeXmlText(text).size() <= text.size());
    return 0;
}
