#pragma once
// The named object of the library: an XML node whose name lives in a field mirrored in
// its NAME attribute, with a name hash for lookups among its children, a language code
// passed down the tree, and the filter that picks one language out of a text holding
// several.
#include <cstdint>
#include <string>
#include <string_view>

#include "dcomp/XmlLight/XmlLight2Unit.h"

namespace dcomp {

// The sum of the text's bytes, modulo 65,536.
uint16_t NameHash(std::string_view text);

class TXObject : public TLhXMLNode {
public:
    static constexpr const char* kTagIdent = "XOBJECT";
    static constexpr const char* kClassName = "TXObject";
    // The language code that keeps every section and marks each with a control character.
    static constexpr const char* kAllLanguages = "__ALL__";

    using TLhXMLNode::FindChild;
    using TLhXMLNode::TLhXMLNode;

    std::string TagIdent() const override { return kTagIdent; }
    void FieldsToAttributes() override;
    void AttributeToField(const std::string& name, const std::string& value) override;
    // Saved with every object's class tag as its element name.
    void SaveToFile(const std::string& fileName, const std::string& subPath) override;
    // The name as given, else the class's tag.
    std::string DisplayName() const override;

    // XLhException code 1 when there is no LANGUAGE attribute.
    virtual std::string LanguageAttribute() const;
    virtual void SetName(const std::string& name);
    // Each child whose owner link is not this object is reported once; children are
    // descended into only while every link so far was sound.
    virtual bool CheckOwners();
    // Passes the code to every child (each must be a TXObject); derived classes filter
    // their own texts first.
    virtual void SetLanguage(const std::string& code);

    bool HasName() const { return FHasName; }
    const std::string& Name() const { return FName; }
    uint16_t Hash() const { return FHash; }

    // platform::Exception "To nie jest TXOBject :" + node name for a child of another
    // class, and for an index outside the children.
    TXObject* GetObject(int index) const;
    // The first TXObject child whose class tag (not its node name) and name match, both
    // compared folded.
    TXObject* FindChild(std::string_view tag, std::string_view name) const;
    TXObject* FindChildOfClass(const TRegClassItem& nodeClass, std::string_view name) const;
    template <class T>
    T* FindChildOfClass(std::string_view name) const {
        return dynamic_cast<T*>(FindChild(T::kTagIdent, name));
    }
    // The node and its TXObject descendants take their class tags as node names.
    void NormalizeTags();

    // Multi-language texts: "&" and two letters open that language's section, "&!" a
    // section for all, "&&" is one "&", and a character of `kept` is always copied and
    // ends the section. kAllLanguages marks the sections instead of choosing one.
    static std::string FilterLanguage(std::string_view code, std::u32string_view kept, std::string_view text);
    static std::string SelectLanguage(std::string_view code, std::u32string_view kept, std::string_view text);
    // Every section kept, each mark turned into a control character: 1 for "&P_", 2 for
    // "&E_", 7 for "&!" and any other "&L_"; a final 7 follows when a 1 or 2 was written.
    static std::string MarkAllLanguages(std::u32string_view kept, std::string_view text);

private:
    bool FHasName = false;
    std::string FName;
    uint16_t FHash = 0;
};

void InitObjectXUnit();

}  // namespace dcomp
