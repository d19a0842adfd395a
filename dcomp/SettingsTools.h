#pragma once
// Check tools of the setting items: each checks and normalises what a user enters for
// its setting type, reads and writes the item's value and default, renders the value for
// display and gives the texts stored in the item's XML attributes. Messages come from
// the dictionary group "SettingsTools" and name the item by its path.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"

namespace dcomp {

class TSettItem;
class TXLangGroup;

// Type codes of the setting items, as their TYPE attribute names them.
enum class TSettType : uint8_t {
    Unknown = 0,
    Bool = 1,
    Int = 2,
    Float = 3,
    Str = 4,
    Select = 5,
    Ip = 6,
    ComNr = 7,
    Date = 8,
    Time = 9,
    DateTime = 10,
    FileName = 11,
};
inline constexpr int kSettTypeCount = 12;
// "?", "BOOL", "INT", "FLOAT", "STR", "SELECT", "IP", "COM_NR", "DATE", "TIME",
// "DATE_TIME", "FILE_NAME".
extern const char* const kSettTypeNames[kSettTypeCount];

// The base tool serves the types without a tool of their own; its Check always fails.
class TBaseXCfgTool {
public:
    explicit TBaseXCfgTool(TSettItem* item) : Item(item) {}
    virtual ~TBaseXCfgTool() = default;
    TBaseXCfgTool(const TBaseXCfgTool&) = delete;
    TBaseXCfgTool& operator=(const TBaseXCfgTool&) = delete;

    virtual std::string GetText();
    // Never raises: false with the reason in `error`; `text` may be rewritten into its
    // normal form, which the item keeps only on success.
    virtual bool Check(std::string& text, std::string& error);
    virtual bool CheckIndex(std::string& text, std::string& error);
    virtual bool GetBool();
    virtual void SetBool(bool b);
    virtual bool GetDefBool();
    // The value when set, else the default.
    virtual std::string GetValue();
    // platform::Exception when the value is no date-time.
    virtual platform::TDateTime GetDateTime();
    virtual void SetDateTime(platform::TDateTime t);
    // Unchecked.
    virtual void SetValue(const std::string& text);
    virtual void SetFloat(double x);
    virtual void SetInt(int64_t n);
    virtual double GetDefFloat();
    virtual std::string GetStoreValue();
    virtual std::string GetStoreDefValue();
    virtual void ApplyLanguage(const std::string& language);
    virtual std::string GetDisplayText();
    virtual bool SetDisplayText(const std::string& text, std::string& error);
    virtual std::string GetIndexText();
    virtual void SetIndexText(const std::string& text);

    TSettItem* Item;
};

// "1"/"0" inside, the LOW_STR and HIGH_STR words on display.
class TBoolXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
    // The check's words first, then numbers (not zero is true) and True/False; any other
    // text raises platform::EConvertError.
    bool GetBool() override;
    void SetBool(bool b) override;
    bool GetDefBool() override;
    std::string GetValue() override;
    std::string GetDisplayText() override;
    bool SetDisplayText(const std::string& text, std::string& error) override;
};

class TBaseMinMaxXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
};

// An integer within MIN and MAX; a fraction -1..1 maps onto that range.
class TIntXCfgTool : public TBaseMinMaxXCfgTool {
public:
    using TBaseMinMaxXCfgTool::TBaseMinMaxXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

// Held with the process's decimal separator, stored in files with ".".
class TFloatXCfgTool : public TBaseMinMaxXCfgTool {
public:
    using TBaseMinMaxXCfgTool::TBaseMinMaxXCfgTool;
    std::string GetText() override;
    bool Check(std::string& text, std::string& error) override;
    std::string GetStoreValue() override;
    std::string GetStoreDefValue() override;
};

// At most MAX characters (16 by default).
class TStrXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

// One of ITEMS; ITEMDESCR names them on display.
class TSelectXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    std::string GetText() override;
    bool Check(std::string& text, std::string& error) override;
    bool CheckIndex(std::string& text, std::string& error) override;
    void ApplyLanguage(const std::string& language) override;
    std::string GetDisplayText() override;
    bool SetDisplayText(const std::string& text, std::string& error) override;
    std::string GetIndexText() override;
    void SetIndexText(const std::string& text) override;
};

class TIpXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

// The number of a serial port the machine has.
class TCommNrXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

class TDateTimeXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

// The name of an existing file.
class TFileNameXCfgTool : public TBaseXCfgTool {
public:
    using TBaseXCfgTool::TBaseXCfgTool;
    bool Check(std::string& text, std::string& error) override;
};

// The value when set, else the default when set; else the item's root group is marked as
// missing data, the TXT001 line ending in "\e" is reported, and the text is empty.
std::string GetStoredText(TSettItem& item);
// "." first, then ","; "INF" and "-INF" too. False leaves x 0.
bool TryTextToFloatDot(std::string_view text, double& x);
// "." only; a text containing "INF" is infinite (negative when it begins with "-");
// `def` for any other text that is no number.
double TextToFloatDotDef(std::string_view text, double def);
// Rounded to 10 significant digits, then 3 decimals with "."; from 1e10 on, 10 digits in
// general form.
std::string FormatFixed3(double x);

// Lists of names separated by "|" (empty names left out).
int ItemCount(std::string_view list);
bool TryGetListItem(std::string_view list, int index, std::string& item);
// Empty when the index is outside the list.
std::string GetListItem(std::string_view list, int index);
// Letter case ignored; -1 when absent.
int ListIndexOf(std::string_view list, std::string_view text);
// An exact match, else with `partial` the one item the text begins, else (when none
// begins with it) the one that contains it; -1 for none or more than one.
int FindListItem(std::string_view list, std::string_view text, bool ignoreCase, bool partial);

// Exact names; 0 for any other.
uint8_t TypeCodeOfName(std::string_view name);
// "?" for codes without a name.
std::string TypeNameOfCode(uint8_t code);

// The machine's serial devices, sorted by their upper-cased text.
void GetSerialPorts(std::vector<std::string>& list);
// "COM" + n, or the device COMn opens (/dev/ttyS<n-1>), among GetSerialPorts.
bool IsSerialPort(int n);

// The names and captions of the 15 measurement display formats, "AUTO" first.
extern const char* const kMeasFormatNames[15];
extern const char* const kMeasFormatCaptions[15];

// The unit's group; none outside its initialisation and finalisation.
TXLangGroup* SettingsToolsGroup();
// The translation of a key of the group.
std::string SettingsToolsText(std::string_view key);
// Each "%s" of the text replaced in order by the next argument; plain substitution.
std::string FillPercentS(std::string_view text, const std::vector<std::string>& args);

void InitSettingsTools();
void FinalizeSettingsTools();

}  // namespace dcomp
