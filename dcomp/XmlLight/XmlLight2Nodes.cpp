// The node model of the XML unit: attributes, nodes, the document with its parser and
// writer, and the class registry.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"

namespace dcomp {

namespace {

// Deeper documents are refused rather than parsed on an ever deeper stack.
constexpr int kMaxDepth = 256;

[[noreturn]] void ParseError(int32_t code, const std::string& text, const TTextStream& stream) {
    throw XLhException(
        code, text + " Line=" + std::to_string(stream.Line()) + " Char=" + std::to_string(stream.Column()),
        stream.Line(), stream.Column());
}

// Errors raised below the parser (names, hooks) get the position too.
void StampPosition(XLhException& e, const TTextStream& stream) {
    if (e.Line == 0) {
        e.Line = stream.Line();
        e.Char = stream.Column();
    }
}

// One is the other or lies inside it: copying then reads what it writes.
bool Related(const TLhXMLNode* a, const TLhXMLNode* b) {
    for (const TLhXMLNode* n = a; n; n = n->Owner())
        if (n == b) return true;
    for (const TLhXMLNode* n = b; n; n = n->Owner())
        if (n == a) return true;
    return false;
}

void WriteXmlFile(const std::string& fileName, const std::string& text) {
    // Whatever the backup gives, the old file stays until the new one is complete.
    BackupFile(fileName);
    if (!platform::WriteFileAtomic(fileName, text))
        throw XLhException(11, "File \"" + fileName + "\" not written");
}

}  // namespace

TAttribItem::TAttribItem(TAttribList* list, const std::string& name) : FList(list) {
    if (!IsXmlName(name)) throw XLhException(7, "XML.Bad attribute name:" + name);
    FName = name;
}

void TAttribItem::SetName(const std::string& name) {
    if (!IsXmlName(name)) throw XLhException(7, "XML.Bad attribute name:" + name);
    FName = name;
    if (FList) FList->Reindex();
}

void TAttribItem::SetValue(const std::string& value) {
    FValue = value;
    if (FList && FName == "NAME") FList->SetNameKey(value);
}

std::string TAttribItem::GetWriteValue() const {
    return EscapeXmlText(FValue);
}

void TAttribItem::SetReadValue(bool utf8, std::string_view raw) {
    SetValue(XmlValueToText(utf8, raw));
}

TAttribItem* TAttribList::Find(std::string_view name) const {
    const auto it = FIndex.find(UpperFold(name));
    return it == FIndex.end() || it->second.empty() ? nullptr : it->second.front();
}

int TAttribList::IndexOfName(std::string_view name) const {
    const TAttribItem* item = Find(name);
    if (!item) return -1;
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item) return static_cast<int>(i);
    return -1;
}

TAttribItem& TAttribList::Add(const std::string& name) {
    auto item = std::make_unique<TAttribItem>(this, name);
    TAttribItem& ref = *item;
    FItems.push_back(std::move(item));
    FIndex[UpperFold(name)].push_back(&ref);
    return ref;
}

TAttribItem& TAttribList::SetValue(const std::string& name, const std::string& value) {
    TAttribItem* item = Find(name);
    if (!item) item = &Add(name);
    item->SetValue(value);
    return *item;
}

TAttribItem& TAttribList::SetReadValue(bool utf8, const std::string& name, std::string_view raw) {
    TAttribItem* item = Find(name);
    if (!item) item = &Add(name);
    item->SetReadValue(utf8, raw);
    return *item;
}

TAttribItem& TAttribList::AddValue(const std::string& name, const std::string& value) {
    TAttribItem& item = Add(name);
    item.SetValue(value);
    return item;
}

std::string TAttribList::GetValue(std::string_view name) const {
    const TAttribItem* item = Find(name);
    if (!item) throw XLhException(1, "Xml.Unknown attribute: " + OwnerPath() + "\\" + std::string(name));
    return item->Value();
}

std::string TAttribList::OwnerPath() const {
    return FOwner ? FOwner->Path() : "";
}

void TAttribList::WriteTo(std::string& stream) const {
    for (const auto& item : FItems) {
        WriteChar(stream, ' ');
        WriteText(stream, item->Name());
        WriteText(stream, "=\"");
        WriteText(stream, item->GetWriteValue());
        WriteChar(stream, '"');
    }
}

bool TAttribList::Compare(const TAttribList& older) const {
    bool same = true;
    auto report = [this](const std::string& text) {
        if (FOwner) FOwner->Report(text);
    };
    const std::string path = OwnerPath();
    for (const auto& item : FItems) {
        const TAttribItem* old = older.Find(item->Name());
        if (!old) {
            report("Old, there is no attribute:" + path + "\\" + item->Name() + "\\n");
            same = false;
        } else if (old->Value() != item->Value()) {
            report("Xml.Differences in attribute value:" + path + "\\" + item->Name() +
                   ": [old=" + old->Value() + "] [new=" + item->Value() + "]\\n");
            same = false;
        }
    }
    for (const auto& old : older.FItems) {
        if (!Find(old->Name())) {
            report("New, there is no attribute:" + path + "\\" + old->Name() + "\\n");
            same = false;
        }
    }
    return same;
}

void TAttribList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    const auto pos = FItems.begin() + index;
    // The key belongs to the NAME attribute: without it the list has no name.
    if ((*pos)->Name() == "NAME") {
        FNameKey.clear();
        FHasName = false;
    }
    auto& bucket = FIndex[UpperFold((*pos)->Name())];
    std::erase(bucket, pos->get());
    if (bucket.empty()) FIndex.erase(UpperFold((*pos)->Name()));
    FItems.erase(pos);
}

void TAttribList::Clear() {
    FItems.clear();
    FIndex.clear();
    FNameKey.clear();
    FHasName = false;
}

void TAttribList::SetNameKey(const std::string& value) {
    FNameKey = UpperFold(value);
    FHasName = true;
}

void TAttribList::Reindex() {
    FIndex.clear();
    for (const auto& item : FItems) FIndex[UpperFold(item->Name())].push_back(item.get());
}

TLhXMLNode* TLhXMLNodeList::Find(std::string_view tag, int& index) const {
    const std::string folded = UpperFold(tag);
    for (size_t i = 0; i < FItems.size(); ++i) {
        if (UpperFold(FItems[i]->NodeName()) == folded) {
            index = static_cast<int>(i);
            return FItems[i].get();
        }
    }
    index = -1;
    return nullptr;
}

TLhXMLNode* TLhXMLNodeList::FindByName(std::string_view tag, std::string_view name) const {
    const std::string foldedTag = UpperFold(tag);
    const std::string foldedName = UpperFold(name);
    for (const auto& node : FItems)
        if (UpperFold(node->NodeName()) == foldedTag && node->NameKeyOf() == foldedName) return node.get();
    return nullptr;
}

TLhXMLNode::TLhXMLNode(TLhXMLNode* owner, const std::string& nodeName, TOnMessage onMessage)
    : OnMessage(std::move(onMessage)),
      FAttributes(this),
      FChildren(this),
      FNodeName(nodeName),
      FOwner(owner) {}

TLhXMLNode::~TLhXMLNode() = default;

void TLhXMLNode::AfterCreate(TLhXMLNode& node) {
    if (node.FNodeName.empty()) node.FNodeName = node.TagIdent();
    node.AfterLoad();
}

void TLhXMLNode::AttributeToField(const std::string&, const std::string&) {}

std::string TLhXMLNode::DisplayName() const {
    return FAttributes.HasName() && !FAttributes.NameKey().empty() ? FAttributes.NameKey() : FNodeName;
}

std::unique_ptr<TLhXMLNode> TLhXMLNode::Detach() {
    if (!FOwner) return nullptr;
    auto& items = FOwner->FChildren.FItems;
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (it->get() == this) {
            std::unique_ptr<TLhXMLNode> self = std::move(*it);
            items.erase(it);
            FOwner = nullptr;
            return self;
        }
    }
    // Created for the owner but never attached.
    FOwner = nullptr;
    return nullptr;
}

bool TLhXMLNode::CompareAttributes(TLhXMLNode* older) {
    return FAttributes.Compare(older->FAttributes);
}

TAttribItem* TLhXMLNode::SetAttribute(const std::string& name, const std::string& value) {
    FAttributes.SetValue(name, value);
    ExecAttrib(name, value);
    // Looked up again: the hook may have changed the list.
    return FAttributes.Find(name);
}

bool TLhXMLNode::DeleteAttribute(std::string_view name) {
    const int index = FAttributes.IndexOfName(name);
    if (index < 0) return false;
    FAttributes.Delete(index);
    return true;
}

std::string TLhXMLNode::ReadAttribute(std::string_view name, const std::string& def) const {
    const TAttribItem* item = FAttributes.Find(name);
    return item ? item->Value() : def;
}

int32_t TLhXMLNode::ReadIntAttribute(std::string_view name, int32_t def) const {
    int64_t value = 0;
    if (!platform::TryStrToInt(ReadAttribute(name, platform::IntToStr(def)), value) || value < INT32_MIN ||
        value > INT32_MAX)
        return def;
    return static_cast<int32_t>(value);
}

void TLhXMLNode::WriteOrDeleteAttribute(const std::string& name, bool deleteIt, const std::string& value) {
    if (deleteIt) {
        DeleteAttribute(name);
    } else {
        SetAttribute(name, value);
    }
}

void TLhXMLNode::ExecAttrib(const std::string& name, const std::string& value) {
    if (FResolving) return;
    try {
        AttributeToField(name, value);
    } catch (...) {
        Report("ExecAttrib error : " + Path() + "[" + FNodeName + "]\\n");
    }
}

void TLhXMLNode::ResolveParameters() {
    FResolving = true;
    try {
        FieldsToAttributes();
    } catch (...) {
        FResolving = false;
        Report("Parameter resolve error : " + Path() + "[" + FNodeName + "]\\n");
        throw;
    }
    FResolving = false;
}

void TLhXMLNode::ResolveTree() {
    ResolveParameters();
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->ResolveTree();
}

void TLhXMLNode::Report(const std::string& text) {
    if (!OnMessage) OnMessage = Root()->OnMessage;
    if (OnMessage) OnMessage(text);
}

TLhXMLNode* TLhXMLNode::Root() {
    TLhXMLNode* node = this;
    while (node->FOwner) node = node->FOwner;
    return node;
}

std::string TLhXMLNode::TagPath() const {
    std::string path = FNodeName;
    for (const TLhXMLNode* n = FOwner; n; n = n->FOwner) path = n->FNodeName + "\\" + path;
    return path;
}

std::string TLhXMLNode::Path() const {
    std::string path = DisplayName();
    for (const TLhXMLNode* n = FOwner; n; n = n->FOwner) path = n->DisplayName() + "\\" + path;
    return path;
}

void TLhXMLNode::SetNodeName(const std::string& name) {
    if (!IsXmlName(name)) throw XLhException(7, "XML. Wrong node name:" + name);
    FNodeName = name;
}

void TLhXMLNode::Clear(bool afterLoad) {
    BeforeClear();
    ClearChildren();
    ClearAttributes();
    if (afterLoad) AfterLoad();
}

void TLhXMLNode::ClearChildren() {
    // Taken out first, so a child's destructor never sees a half-cleared list.
    auto children = std::move(FChildren.FItems);
    FChildren.FItems.clear();
}

TLhXMLNode* TLhXMLNode::FindChild(std::string_view tag) const {
    int index = -1;
    return FChildren.Find(tag, index);
}

TLhXMLNode* TLhXMLNode::FindChildByName(std::string_view tag, std::string_view name) const {
    return FChildren.FindByName(tag, name);
}

TLhXMLNode* TLhXMLNode::AttachChild(std::unique_ptr<TLhXMLNode> node) {
    TLhXMLNode* child = node.get();
    child->FOwner = this;
    child->FIndent = FIndent + "  ";
    FChildren.FItems.push_back(std::move(node));
    return child;
}

TLhXMLNode* TLhXMLNode::AddChild(const std::string& tag, bool plain) {
    return AttachChild(plain ? CreateXmlNode<TLhXMLNode>(this, tag, OnMessage)
                             : XmlClassRegistry().CreateNode(this, tag, OnMessage));
}

TLhXMLNode* TLhXMLNode::AddChildOfClass(const TRegClassItem& nodeClass) {
    return AttachChild(nodeClass.Factory(this, nodeClass.TagIdent, OnMessage));
}

void TLhXMLNode::CopyAttributes(TLhXMLNode* source) {
    if (!source) return;
    // Resolving (not a bare FieldsToAttributes) keeps the source's own hook from running
    // on the attributes it writes.
    source->ResolveParameters();
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(static_cast<size_t>(source->FAttributes.Count()));
    for (int i = 0; i < source->FAttributes.Count(); ++i)
        pairs.emplace_back(source->FAttributes.Items(i).Name(), source->FAttributes.Items(i).Value());
    ClearAttributes();
    for (const auto& [name, value] : pairs) {
        FAttributes.AddValue(name, value);
        ExecAttrib(name, value);
    }
}

void TLhXMLNode::CopyFrom(TLhXMLNode* source, bool plain, bool withSelf) {
    if (!source) return;
    std::unique_ptr<TLhXMLNode> snapshot;
    if (Related(this, source)) {
        snapshot = CreateXmlNode<TLhXMLNode>(nullptr, "", source->OnMessage);
        snapshot->CopyFrom(source, true, true);
        source = snapshot.get();
    }
    if (withSelf) {
        SetNodeName(source->FNodeName);
        CopyAttributes(source);
    }
    for (int i = 0; i < source->ChildCount(); ++i) {
        TLhXMLNode* from = source->GetChild(i);
        TLhXMLNode* child = AddChild(plain ? std::string(kTagIdent) : from->FNodeName, false);
        child->SetNodeName(from->FNodeName);
        child->Assign(from, plain);
    }
    AfterLoad();
}

void TLhXMLNode::Assign(TLhXMLNode* source, bool plain) {
    std::unique_ptr<TLhXMLNode> snapshot;
    if (source && Related(this, source)) {
        // Clearing first would free or change the source.
        snapshot = CreateXmlNode<TLhXMLNode>(nullptr, "", source->OnMessage);
        snapshot->CopyFrom(source, true, true);
        source = snapshot.get();
    }
    ClearChildren();
    ClearAttributes();
    CopyFrom(source, plain, true);
}

bool TLhXMLNode::Compare(TLhXMLNode* older, const TOnMessage& onLine) {
    ResolveParameters();
    bool same = FAttributes.Compare(older->FAttributes);
    auto counterpart = [](const TLhXMLNode* among, const TLhXMLNode* child) {
        TLhXMLNode* found = among->FindChildByName(child->FNodeName, child->NameKeyOf());
        if (!found && !child->FAttributes.HasName()) found = among->FindChild(child->FNodeName);
        return found;
    };
    for (int i = 0; i < ChildCount(); ++i) {
        TLhXMLNode* child = GetChild(i);
        if (TLhXMLNode* old = counterpart(older, child)) {
            same = child->Compare(old, onLine) && same;
        } else {
            Report("Old, there is no key:" + Path() + "\\" + child->DisplayName() + "\\n");
            same = false;
        }
    }
    for (int i = 0; i < older->ChildCount(); ++i) {
        TLhXMLNode* old = older->GetChild(i);
        if (!counterpart(this, old)) {
            Report("New, there is no key:" + older->Path() + "\\" + old->DisplayName() + "\\n");
            same = false;
        }
    }
    return same;
}

void TLhXMLNode::SaveToFile(const std::string& fileName, const std::string& subPath) {
    ResolveTree();
    if (subPath.empty()) {
        std::string text;
        WriteToStream(text);
        WriteXmlFile(fileName, text);
        return;
    }
    TLhXmlDocument document(OnMessage);
    // A file that does not parse is not overwritten: its other nodes would be lost.
    if (platform::FileExists(fileName)) document.LoadFromFile(fileName, true);
    TLhXMLNode* target = document.NodeByPath(subPath + "\\" + FNodeName, true);
    target->Clear(true);
    target->Assign(this, true);
    document.SaveToFile(fileName);
}

void TLhXMLNode::ParseContent(TTextStream& stream, bool utf8, bool plain) {
    try {
        ParseElement(stream, utf8, plain, 1);
    } catch (XLhException& e) {
        StampPosition(e, stream);
        throw;
    }
}

void TLhXMLNode::ParseElement(TTextStream& stream, bool utf8, bool plain, int depth) {
    using namespace TokenFlags;
    std::string token, value, next;
    for (;;) {
        TTokenFlags flags = 0, more = 0;
        ReadToken(stream, token, flags);
        if (flags & Equals) {
            ReadToken(stream, value, more);
            flags |= more;
            FAttributes.SetReadValue(utf8, XmlBytesToText(utf8, token), value);
        }
        if (flags == 0) {
            // A bare word: an attribute, with the value that follows when a lone "=" comes
            // next ("y = 1"). A name before its own "=" ("y z=1") starts the next attribute.
            const TTextStream::TMark mark = stream.Mark();
            ReadToken(stream, next, more);
            value.clear();
            if ((more & Equals) && next.empty()) {
                flags |= more;
                ReadToken(stream, value, more);
                flags |= more;
            } else {
                stream.Restore(mark);
            }
            FAttributes.SetReadValue(utf8, XmlBytesToText(utf8, token), value);
        }
        if ((flags & TagOpen) && !(flags & Slash)) {
            if (depth >= kMaxDepth) ParseError(8, "Xml Error. Nesting too deep.", stream);
            const std::string name = XmlBytesToText(utf8, token);
            auto created = XmlClassRegistry().CreateNode(this, plain ? TagIdent() : name, OnMessage);
            created->SetNodeName(name);
            created->Clear(false);
            TLhXMLNode* child = AttachChild(std::move(created));
            if (flags & SelfClose) {
                child->FinishElement(plain);
            } else {
                child->ParseElement(stream, utf8, plain, depth + 1);
            }
        }
        if (flags & Slash) {
            if (flags & TagOpen) {
                const std::string name = XmlBytesToText(utf8, token);
                if (name != FNodeName)
                    ParseError(2, "XML. Clossing wrong node: " + TagPath() + "\\" + name + ".", stream);
            }
            break;
        }
        if (flags & EndOfText) break;
    }
    FinishElement(plain);
}

void TLhXMLNode::FinishElement(bool plain) {
    if (!plain) {
        // The fields take what was read, as copying a tree into objects does.
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < FAttributes.Count(); ++i)
            pairs.emplace_back(FAttributes.Items(i).Name(), FAttributes.Items(i).Value());
        for (const auto& [name, value] : pairs) ExecAttrib(name, value);
    }
    AfterLoad();
}

void TLhXMLNode::WriteNode(std::string& stream) {
    WriteText(stream, FIndent);
    WriteChar(stream, '<');
    WriteText(stream, FNodeName);
    ResolveParameters();
    FAttributes.WriteTo(stream);
    if (HasChildren()) {
        WriteChar(stream, '>');
        WriteLineBreak(stream);
        for (int i = 0; i < ChildCount(); ++i) GetChild(i)->WriteNode(stream);
        WriteText(stream, FIndent);
        WriteChar(stream, '<');
    }
    WriteChar(stream, '/');
    if (HasChildren()) WriteText(stream, FNodeName);
    WriteChar(stream, '>');
    WriteLineBreak(stream);
}

void TLhXMLNode::WriteToStream(std::string& stream) {
    WriteText(stream, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
    WriteLineBreak(stream);
    WriteNode(stream);
}

TLhXmlDocument::TLhXmlDocument(TOnMessage onMessage) : OnMessage(std::move(onMessage)) {
    FDeclaration.SetValue("version", "1.0");
    FDeclaration.SetValue("encoding", "UTF-8");
    FDeclaration.SetValue("standalone", "yes");
}

TLhXmlDocument::~TLhXmlDocument() = default;

TLhXMLNode* TLhXmlDocument::MainNode(const std::string& name, bool plain) {
    if (!FMainNode) {
        FMainNode = plain ? CreateXmlNode<TLhXMLNode>(nullptr, name, OnMessage) : CreateMainNode(name);
    } else if (FMainNode->NodeName() != name) {
        throw XLhException(5, "Xml Error. Main node already exists.");
    }
    return FMainNode.get();
}

void TLhXmlDocument::Clear() {
    FDeclaration.Clear();
    FMainNode.reset();
}

std::unique_ptr<TLhXMLNode> TLhXmlDocument::CreateMainNode(const std::string& tag) {
    return XmlClassRegistry().CreateNode(nullptr, tag, OnMessage);
}

void TLhXmlDocument::Parse(TTextStream& stream, bool plain) {
    using namespace TokenFlags;
    Clear();
    bool utf8 = false;
    if (stream.Size() - stream.Position() >= 3 &&
        stream.Bytes().compare(stream.Position(), 3, "\xEF\xBB\xBF") == 0) {
        utf8 = true;
        for (int i = 0; i < 3; ++i) stream.Skip();
    }
    bool inDeclaration = false;
    std::string token, value;
    try {
        for (;;) {
            if (StreamAtEnd(stream)) return;
            TTokenFlags flags = 0;
            ReadToken(stream, token, flags);
            if (flags & EndOfText) continue;
            if (FMainNode) {
                if (flags & TagOpen) ParseError(5, "Xml Error. Duplicated main node.", stream);
                ParseError(4, "Xml. Section is not open.", stream);
            }
            if (inDeclaration) {
                if (flags & Equals) {
                    ReadToken(stream, value, flags);
                    FDeclaration.SetReadValue(utf8, XmlBytesToText(utf8, token), value);
                }
                // The token that carries ">", name or value, ends the declaration.
                if (flags & TagEnd) {
                    if (!(flags & Question))
                        throw XLhException(6, "Xml Error. Clossing Xml attributes without \"?\".",
                                           stream.Line(), stream.Column());
                    inDeclaration = false;
                }
                continue;
            }
            if (!(flags & TagOpen)) ParseError(4, "Xml. Section is not open.", stream);
            if (flags & Question) {
                inDeclaration = !(flags & TagEnd);
                continue;
            }
            const std::string name = XmlBytesToText(utf8, token);
            FMainNode = plain ? CreateXmlNode<TLhXMLNode>(nullptr, name, OnMessage) : CreateMainNode(name);
            FMainNode->Clear(false);
            // "<ROOT/>" is complete as it stands; what follows is outside it.
            if (flags & SelfClose) {
                FMainNode->FinishElement(plain);
            } else {
                FMainNode->ParseElement(stream, utf8, plain, 1);
            }
        }
    } catch (XLhException& e) {
        StampPosition(e, stream);
        throw;
    }
}

void TLhXmlDocument::LoadFromFile(const std::string& fileName, bool plain) {
    if (!fileName.empty()) FFileName = fileName;
    if (FFileName.empty()) throw XLhException(3, "NO File Name");
    std::string bytes;
    if (!platform::FileExists(FFileName) || !platform::ReadWholeFile(FFileName, bytes))
        throw XLhException(10, "File \"" + FFileName + "\" not exist");
    TTextStream stream(std::move(bytes));
    Parse(stream, plain);
}

void TLhXmlDocument::SaveToFile(const std::string& fileName) {
    if (!fileName.empty()) FFileName = fileName;
    if (FFileName.empty()) throw XLhException(3, "NO File Name");
    if (FMainNode) FMainNode->SaveToFile(FFileName, "");
}

TLhXMLNode* TLhXmlDocument::NodeByPath(const std::string& path, bool plain) {
    std::vector<std::string> parts;
    SplitText(path, parts, '\\');
    if (!FMainNode) MainNode(parts.empty() ? std::string() : parts[0], plain);
    TLhXMLNode* node = FMainNode.get();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i == 0) {
            if (parts[0] != node->NodeName()) throw XLhException(7, "XML. Wrong main node name.");
            continue;
        }
        TLhXMLNode* child = node->FindChild(parts[i]);
        node = child ? child : node->AddChild(parts[i], plain);
    }
    return node;
}

const TRegClassItem* TRegNodeList::FindExact(std::string_view tag) const {
    for (const auto& item : FItems)
        if (item.TagIdent == tag) return &item;
    return nullptr;
}

const TRegClassItem* TRegNodeList::FindByPrefix(std::string_view tag) const {
    const std::string folded = UpperFold(tag);
    for (const auto& item : FItems)
        if (folded.starts_with(UpperFold(item.TagIdent))) return &item;
    return nullptr;
}

std::unique_ptr<TLhXMLNode> TRegNodeList::CreateNode(TLhXMLNode* owner, const std::string& tag,
                                                     const TOnMessage& onMessage) const {
    const TRegClassItem* item = FindExact(tag);
    if (!item) item = FindByPrefix(tag);
    if (item) return item->Factory(owner, tag, onMessage);
    return CreateXmlNode<TLhXMLNode>(owner, tag, onMessage);
}

void TRegNodeList::Register(const TRegClassItem& nodeClass, int mode) {
    if (const TRegClassItem* existing = FindExact(nodeClass.TagIdent)) {
        switch (mode) {
            case 0:
                // Two classes under one tag is a build mistake: the program stops.
                std::fprintf(stderr, "%s: Ident %s already exist for type:%s\n", nodeClass.TagIdent.c_str(),
                             nodeClass.ClassName.c_str(), nodeClass.TagIdent.c_str());
                std::fflush(nullptr);
                std::_Exit(13);
            case 1:
                FItems.erase(FItems.begin() + (existing - FItems.data()));
                break;
            case 2:
                return;
            default:
                break;
        }
    }
    FItems.push_back(nodeClass);
}

}  // namespace dcomp
