#pragma once
// Trees as one line of text, for tables of documents: NAME(attr=value,...)[child child].
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

}  // namespace dcomp_test
