#pragma once
// The library's XML dialect and its node model: one main element of nested elements that
// carry their data in attributes only. Written as UTF-8 with the byte-order mark; read as
// UTF-8 with the mark and as code page 1250 without it. Text inside is UTF-8.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

namespace dcomp {

// The XML layer's error: a code and, for parse errors, the line and the character (both
// from 1) of the first byte the parser had not read; 0 for other errors.
class XLhException : public platform::Exception {
public:
    XLhException(int32_t code, const std::string& message, uint32_t line = 0, uint32_t character = 0)
        : Exception(message), Code(code), Line(line), Char(character) {}
    int32_t Code;
    uint32_t Line;
    uint32_t Char;
};

// Message callback of the XML, recording and settings operations; an empty one drops the text.
using TOnMessage = std::function<void(const std::string&)>;

// a-z and the nine Polish lower-case letters to capitals; every other character unchanged.
std::string UpperFold(std::string_view text);
// A-Z and the nine Polish capitals to lower case; every other character unchanged.
std::string LowerFold(std::string_view text);
// Digits, A-Z, a-z, "_" and ":" only; the empty text passes.
bool IsXmlName(std::string_view text);
// Drops leading and trailing bytes below 32; blanks stay.
std::string TrimControls(std::string_view text);

struct TXmlBoolWords {
    const char* False;
    const char* True;
};
extern const TXmlBoolWords XmlBoolWords[9];
std::string BoolToXmlText(bool value);
// The word (ASCII letters lowered) among XmlBoolWords: exactly, else, with byPrefix, as the
// beginning of words that all mean the same. False when nothing or contradicting words
// match; value is then false and pairIndex -1.
bool XmlTextToBool(std::string_view text, bool& value, int& pairIndex, bool byPrefix);

// NUL, quotation mark, "<" and "&" become "&#x..;"; everything else stays.
std::string EscapeXmlText(std::string_view text);
// A CDATA section's inside, or the text with its entities replaced (an entity gives the
// byte of its number's low 8 bits) and controls trimmed at both ends. Works on bytes.
std::string DecodeXmlText(std::string_view bytes);
// An attribute value or name as read from a file: decoded, then, with the mark, taken as
// UTF-8 when it is valid UTF-8 and as code page 1250 when it is not; without the mark,
// code page 1250.
std::string XmlValueToText(bool utf8, std::string_view raw);
// Bytes of a name as read: the same conversion as XmlValueToText, without decoding.
std::string XmlBytesToText(bool utf8, std::string_view raw);

const platform::TFormatSettings& XmlFormatSettings();
// Up to 15 significant digits, "." as separator.
std::string FloatToXmlText(double value);

// Parts between the separator, CR and LF, empty parts left out; a separator between
// single or double quotation marks stays in its part, with the marks.
void SplitText(std::string_view text, std::vector<std::string>& list, char separator);

void WriteText(std::string& stream, std::string_view text);
void WriteChar(std::string& stream, char c);
void WriteLineBreak(std::string& stream);

// "name.xml" -> "name.~xml"; a name without extension gets "~" appended.
std::string BackupFileName(const std::string& fileName);
// The old backup deleted, the file linked (or copied) to the backup name; the file itself
// stays until its replacement is written. True also when there is no file to back up.
bool BackupFile(const std::string& fileName);

using TTokenFlags = uint8_t;
namespace TokenFlags {
inline constexpr TTokenFlags TagOpen = 0x01;    // "<" before any token text
inline constexpr TTokenFlags TagEnd = 0x02;     // ">" ended the token
inline constexpr TTokenFlags Slash = 0x04;      // "/" before any token text
inline constexpr TTokenFlags Question = 0x08;   // "?" seen
inline constexpr TTokenFlags Equals = 0x10;     // "=" ended the token
inline constexpr TTokenFlags EndOfText = 0x20;  // the bytes ran out before a finishing byte
inline constexpr TTokenFlags SelfClose = 0x40;  // "/" after the token text
}  // namespace TokenFlags

// A whole file in memory with the scan position and its line and column (both from 1).
class TTextStream {
public:
    struct TMark {
        size_t Position;
        uint32_t Line;
        size_t LineStart;
    };

    explicit TTextStream(std::string bytes) : FBytes(std::move(bytes)) {}
    const std::string& Bytes() const { return FBytes; }
    size_t Size() const { return FBytes.size(); }
    size_t Position() const { return FPosition; }
    bool AtEnd() const { return FPosition >= FBytes.size(); }
    uint8_t Peek() const { return static_cast<uint8_t>(FBytes[FPosition]); }
    // Moves past the byte at the position (not at the end).
    void Skip() {
        if (FBytes[FPosition] == '\n') {
            if (FLine != UINT32_MAX) ++FLine;
            FLineStart = FPosition + 1;
        }
        ++FPosition;
    }
    uint32_t Line() const { return FLine; }
    uint32_t Column() const {
        const size_t column = FPosition - FLineStart + 1;
        return column > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(column);
    }
    TMark Mark() const { return {FPosition, FLine, FLineStart}; }
    void Restore(const TMark& mark) {
        FPosition = mark.Position;
        FLine = mark.Line;
        FLineStart = mark.LineStart;
    }

private:
    std::string FBytes;
    size_t FPosition = 0;
    uint32_t FLine = 1;
    size_t FLineStart = 0;
};

// One scan from the stream position: the token is the bytes from its first to its last
// text byte. Only double quotes quote; inside them every byte is text.
void ReadToken(TTextStream& stream, std::string& token, TTokenFlags& flags);
bool StreamAtEnd(const TTextStream& stream);

class TLhXMLNode;
class TAttribList;

class TXmlElem {
public:
    virtual ~TXmlElem() = default;
};

class TAttribItem : public TXmlElem {
public:
    // Code 7 for a name that is no XML name.
    TAttribItem(TAttribList* list, const std::string& name);

    TAttribList* List() const { return FList; }
    const std::string& Name() const { return FName; }
    const std::string& Value() const { return FValue; }
    void SetName(const std::string& name);
    // A value given to the attribute named exactly NAME becomes the list's NameKey.
    void SetValue(const std::string& value);
    std::string GetWriteValue() const;
    void SetReadValue(bool utf8, std::string_view raw);

private:
    TAttribList* FList;
    std::string FName;
    std::string FValue;
};

class TAttribList {
public:
    explicit TAttribList(TLhXMLNode* owner) : FOwner(owner) {}
    TAttribList(const TAttribList&) = delete;
    TAttribList& operator=(const TAttribList&) = delete;

    TLhXMLNode* Owner() const { return FOwner; }
    const std::string& NameKey() const { return FNameKey; }
    bool HasName() const { return FHasName; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TAttribItem& Items(int index) const { return *FItems[static_cast<size_t>(index)]; }

    // By folded name, the first in list order.
    TAttribItem* Find(std::string_view name) const;
    int IndexOfName(std::string_view name) const;
    TAttribItem& Add(const std::string& name);
    TAttribItem& SetValue(const std::string& name, const std::string& value);
    TAttribItem& SetReadValue(bool utf8, const std::string& name, std::string_view raw);
    TAttribItem& AddValue(const std::string& name, const std::string& value);
    // Code 1 when there is no such attribute.
    std::string GetValue(std::string_view name) const;
    std::string OwnerPath() const;
    void WriteTo(std::string& stream) const;
    // Reports every difference through the owner; false when there is one.
    bool Compare(const TAttribList& older) const;
    void Delete(int index);
    void Clear();

private:
    friend class TAttribItem;
    void SetNameKey(const std::string& value);
    void Reindex();

    TLhXMLNode* FOwner;
    std::vector<std::unique_ptr<TAttribItem>> FItems;
    // Folded name -> items of that name in list order, so that finding is not a walk.
    std::unordered_map<std::string, std::vector<TAttribItem*>> FIndex;
    std::string FNameKey;
    bool FHasName = false;
};

class TLhXMLNodeList {
public:
    explicit TLhXMLNodeList(TLhXMLNode* owner) : FOwner(owner) {}
    TLhXMLNodeList(const TLhXMLNodeList&) = delete;
    TLhXMLNodeList& operator=(const TLhXMLNodeList&) = delete;

    TLhXMLNode* Owner() const { return FOwner; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TLhXMLNode* Items(int index) const { return FItems[static_cast<size_t>(index)].get(); }
    // First node with that folded name; index -1 and none when absent.
    TLhXMLNode* Find(std::string_view tag, int& index) const;
    TLhXMLNode* FindByName(std::string_view tag, std::string_view name) const;

private:
    friend class TLhXMLNode;
    TLhXMLNode* FOwner;
    std::vector<std::unique_ptr<TLhXMLNode>> FItems;
};

// A node class as the registry knows it: its tag, its name and its factory.
using TXmlNodeFactory = std::unique_ptr<TLhXMLNode> (*)(TLhXMLNode* owner, const std::string& nodeName,
                                                        const TOnMessage& onMessage);
struct TRegClassItem {
    std::string TagIdent;
    std::string ClassName;
    TXmlNodeFactory Factory;
};

class TLhXMLNode : public TXmlElem {
public:
    static constexpr const char* kTagIdent = "XNODE";
    static constexpr const char* kClassName = "TLhXMLNode";

    // Not attached to the owner's Children (AttachChild does that). Create nodes through
    // CreateXmlNode, which names an unnamed node and runs AfterLoad.
    TLhXMLNode(TLhXMLNode* owner, const std::string& nodeName, TOnMessage onMessage);
    ~TLhXMLNode() override;
    TLhXMLNode(const TLhXMLNode&) = delete;
    TLhXMLNode& operator=(const TLhXMLNode&) = delete;

    // What every factory does after constructing: an empty name becomes the TagIdent,
    // then AfterLoad.
    static void AfterCreate(TLhXMLNode& node);

    // Hooks of derived classes, which keep their fields in step with their attributes.
    virtual void FieldsToAttributes() {}
    virtual void AttributeToField(const std::string& name, const std::string& value);
    virtual void AfterLoad() {}
    virtual void BeforeClear() {}
    virtual std::string TagIdent() const { return kTagIdent; }
    // This (newer) tree against an older one; every difference reported through Report.
    // onLine is for derived comparisons and passed on to the children's Compare.
    virtual bool Compare(TLhXMLNode* older, const TOnMessage& onLine);
    // With a sub-path the node replaces the node at that path inside the file.
    virtual void SaveToFile(const std::string& fileName, const std::string& subPath);
    virtual std::string DisplayName() const;

    TAttribList& Attributes() { return FAttributes; }
    const TAttribList& Attributes() const { return FAttributes; }
    TLhXMLNodeList& Children() { return FChildren; }
    const TLhXMLNodeList& Children() const { return FChildren; }
    const std::string& NodeName() const { return FNodeName; }
    const std::string& Indent() const { return FIndent; }
    TLhXMLNode* Owner() const { return FOwner; }
    bool Resolving() const { return FResolving; }
    TOnMessage OnMessage;

    // Takes the node out of its owner's Children; the caller then owns it.
    std::unique_ptr<TLhXMLNode> Detach();
    bool HasChildren() const { return FChildren.Count() > 0; }
    int ChildCount() const { return FChildren.Count(); }
    TLhXMLNode* GetChild(int index) const { return FChildren.Items(index); }

    bool CompareAttributes(TLhXMLNode* older);
    TAttribItem* FindAttribute(std::string_view name) const { return FAttributes.Find(name); }
    TAttribItem* SetAttribute(const std::string& name, const std::string& value);
    bool DeleteAttribute(std::string_view name);
    void ClearAttributes() { FAttributes.Clear(); }
    // Code 1 when the node lacks the attribute.
    std::string GetAttribute(std::string_view name) const { return FAttributes.GetValue(name); }
    std::string ReadAttribute(std::string_view name, const std::string& def) const;
    int32_t ReadIntAttribute(std::string_view name, int32_t def) const;
    void WriteOrDeleteAttribute(const std::string& name, bool deleteIt, const std::string& value);
    void ExecAttrib(const std::string& name, const std::string& value);
    void ResolveParameters();
    void ResolveTree();
    void Report(const std::string& text);

    TLhXMLNode* Root();
    std::string TagPath() const;
    std::string Path() const;
    std::string NameKeyOf() const { return FAttributes.NameKey(); }
    // Code 7 for a name that is no XML name.
    void SetNodeName(const std::string& name);
    void Clear(bool afterLoad);
    void ClearChildren();
    TLhXMLNode* FindChild(std::string_view tag) const;
    TLhXMLNode* FindChildByName(std::string_view tag, std::string_view name) const;
    TLhXMLNode* AttachChild(std::unique_ptr<TLhXMLNode> node);
    TLhXMLNode* AddChild(const std::string& tag, bool plain);
    TLhXMLNode* AddChildOfClass(const TRegClassItem& nodeClass);
    void CopyAttributes(TLhXMLNode* source);
    void CopyFrom(TLhXMLNode* source, bool plain, bool withSelf);
    void Assign(TLhXMLNode* source, bool plain);

    // The content of the element just opened, up to its closing tag or the end of the text.
    void ParseContent(TTextStream& stream, bool utf8, bool plain);
    void WriteNode(std::string& stream);
    // Byte-order mark, declaration and the node.
    void WriteToStream(std::string& stream);

protected:
    // Moves only the link, not the node: for a derived class that checks the links.
    void SetOwner(TLhXMLNode* owner) { FOwner = owner; }

private:
    friend class TLhXmlDocument;
    void ParseElement(TTextStream& stream, bool utf8, bool plain, int depth);
    void FinishElement(bool plain);

    TAttribList FAttributes;
    TLhXMLNodeList FChildren;
    std::string FNodeName;
    std::string FIndent;
    TLhXMLNode* FOwner;
    bool FResolving = false;
};

// Creates a node of a class: constructs, then AfterCreate.
template <class T>
std::unique_ptr<T> CreateXmlNode(TLhXMLNode* owner, const std::string& nodeName,
                                 const TOnMessage& onMessage) {
    auto node = std::make_unique<T>(owner, nodeName, onMessage);
    TLhXMLNode::AfterCreate(*node);
    return node;
}
template <class T>
std::unique_ptr<TLhXMLNode> XmlNodeFactory(TLhXMLNode* owner, const std::string& nodeName,
                                           const TOnMessage& onMessage) {
    return CreateXmlNode<T>(owner, nodeName, onMessage);
}
// The registry's entry for a class with kTagIdent and kClassName.
template <class T>
TRegClassItem XmlClass() {
    return {T::kTagIdent, T::kClassName, &XmlNodeFactory<T>};
}

class TLhXmlDocument {
public:
    // Declaration version "1.0", encoding "UTF-8", standalone "yes"; no main node.
    explicit TLhXmlDocument(TOnMessage onMessage = {});
    virtual ~TLhXmlDocument();
    TLhXmlDocument(const TLhXmlDocument&) = delete;
    TLhXmlDocument& operator=(const TLhXmlDocument&) = delete;

    TOnMessage OnMessage;
    // None before one is parsed or asked for.
    TLhXMLNode* MainNode() const { return FMainNode.get(); }
    // Creates the main node when there is none; code 5 when there is one of another name.
    TLhXMLNode* MainNode(const std::string& name, bool plain);
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& fileName) { FFileName = fileName; }
    TAttribList& DeclarationAttributes() { return FDeclaration; }

    void Clear();
    virtual std::unique_ptr<TLhXMLNode> CreateMainNode(const std::string& tag);
    // What the parse built stays when it fails.
    void Parse(TTextStream& stream, bool plain);
    void LoadFromFile(const std::string& fileName, bool plain);
    virtual void SaveToFile(const std::string& fileName);
    // Parts separated by "\"; the first names the main node, missing nodes are added.
    TLhXMLNode* NodeByPath(const std::string& path, bool plain);

private:
    std::unique_ptr<TLhXMLNode> FMainNode;
    std::string FFileName;
    TAttribList FDeclaration{nullptr};
};

class TRegNodeList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const TRegClassItem& Items(int index) const { return FItems[static_cast<size_t>(index)]; }
    const TRegClassItem* FindExact(std::string_view tag) const;
    // The first class, in registration order, whose folded TagIdent begins the folded tag.
    const TRegClassItem* FindByPrefix(std::string_view tag) const;
    // Exact tag, else prefix, else a plain TLhXMLNode; named by the tag.
    std::unique_ptr<TLhXMLNode> CreateNode(TLhXMLNode* owner, const std::string& tag,
                                           const TOnMessage& onMessage) const;
    // Mode for a TagIdent already registered: 0 ends the program (exit code 13), 1 replaces
    // the entry, 2 keeps it, any other adds a second entry.
    void Register(const TRegClassItem& nodeClass, int mode);

private:
    std::vector<TRegClassItem> FItems;
};

// The process's registry, between the unit's initialisation and finalisation;
// platform::Exception outside them.
TRegNodeList& XmlClassRegistry();
void RegisterXmlClass(const TRegClassItem& nodeClass, int mode);
template <class T>
void RegisterXmlClass(int mode) {
    RegisterXmlClass(XmlClass<T>(), mode);
}

void InitXmlLight2Unit();
void FinalizeXmlLight2Unit();

}  // namespace dcomp
