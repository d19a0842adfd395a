#pragma once
// Trees as one line of text, for tables of documents: NAME(attr=value,...)[child child];
// and the checks that the robustness tests and the fuzz target make on any parsed text.
#include <cstdint>
#include <string>

#include "dcomp/XmlLight/XmlLight2Unit.h"

namespace dcomp_test {

inline std::string Dump(const dcomp::TLhXMLNode* node) {
    if (!node) return "";
    std::string out = node->NodeName();
    const dcomp::TAttribList& attrs = node->Attributes();
    if (attrs.Count() > 0) {
        out += "(";
        for (int i = 0; i < attrs.Count(); ++i) {
            if (i > 0) out += ",";
            out += attrs.Items(i).Name() + "=" + attrs.Items(i).Value();
        }
        out += ")";
    }
    if (node->HasChildren()) {
        out += "[";
        for (int i = 0; i < node->ChildCount(); ++i) {
            if (i > 0) out += " ";
            out += Dump(node->GetChild(i));
        }
        out += "]";
    }
    return out;
}

// Parses with plain nodes; the tree, or the exception.
struct TParseResult {
    std::string Tree;
    int Code = 0;
    uint32_t Line = 0, Char = 0;
    std::string Message;
};

inline TParseResult ParseText(const std::string& text, bool plain = true) {
    TParseResult r;
    dcomp::TLhXmlDocument doc;
    dcomp::TTextStream stream(text);
    try {
        doc.Parse(stream, plain);
    } catch (const dcomp::XLhException& e) {
        r.Code = e.Code;
        r.Line = e.Line;
        r.Char = e.Char;
        r.Message = e.what();
    }
    r.Tree = Dump(doc.MainNode());
    return r;
}

// A parse error's position lies inside the text: a line that exists, a column in it or
// one past its end.
inline bool PositionInside(const std::string& text, uint32_t line, uint32_t character) {
    size_t start = 0;
    for (uint32_t l = 1; l < line; ++l) {
        start = text.find('\n', start);
        if (start == std::string::npos) return false;
        ++start;
    }
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    return line >= 1 && character >= 1 && character <= end - start + 1;
}

// Names that read back as written, and values without controls at their ends (a CDATA
// value keeps them; reading any other value trims them): such a tree must come back the
// same from its own written text.
inline bool Writable(const dcomp::TLhXMLNode* node) {
    if (node->NodeName().empty() || !dcomp::IsXmlName(node->NodeName())) return false;
    for (int i = 0; i < node->Attributes().Count(); ++i)
        if (dcomp::TrimControls(node->Attributes().Items(i).Value()) != node->Attributes().Items(i).Value())
            return false;
    for (int i = 0; i < node->ChildCount(); ++i)
        if (!Writable(node->GetChild(i))) return false;
    return true;
}

}  // namespace dcomp_test
