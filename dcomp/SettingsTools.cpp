#include "dcomp/SettingsTools.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/OvbTypes.h"
#include "dcomp/SettingsModel.h"
#include "dcomp/XmlLight/PwStrUtils.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

const TLangText kTexts[] = {
    {"TXT001", "Brak danych dla nastawy "},
    {"TXT002", "Wartość jest mniejsza od minimum dla nastawy"},
    {"TXT003", "Wartość jest większa od maximum dla nastawy"},
    {"TXT004", "Wartość nie jest liczbą rzeczywistą dla nastawy"},
    {"TXT005", "Wartość nie jest liczbą całkowitą dla nastawy"},
    {"TXT006", "Nieprawidłowa wartość dla nastawy"},
    {"TXT007", "Maksymalna ilość znaków to"},
    {"TXT008", "Podany ciąg nie jest adresem IP dla nastawy"},
    {"TXT009", "Nie istnieje port komunikacyjny o numerze"},
    {"TXT010", "Nie znany typ danych"},
    {"TXT011", "Brak nastawy"},
    {"TXT012", "Zmiana wartości nastawy"},
    {"TXT013", "z"},
    {"TXT014", "na"},
    {"TXT015", "Urządzenie nie posiada nastawy"},
    {"TXT016", "Urządzenie nie posiada grupy nastaw"},
    {"TXT017", "Wprowadzono nastawę"},
    {"TXT018", "Nie znana nastawa"},
    {"TXT019", "Porównywany plik nie jest plikiem konfiguracji."},
    {"TXT020", "Data utworzenia raportu"},
    {"TXT021", "Data utworzenia pliku konfiguracji"},
    {"TXT022", "Data ostatniej zmiany konfiguracji"},
    {"TXT023", "Typ urządzenia"},
    {"TXT024", "ID urządzenia"},
    {"TXT025", "Język"},
    {"TXT026", "Obcięcie napisu '%s' do '%s'"},
    {"TXT027", "Niewłaściwy zapis daty/godziny"},
    {"TXT028_s", "Plik nie istnieje %s"},
    {"TXT029", "Niewłaściwy indeks listy wyboru"},
};

const char* const kNotValidIndex = "%s is not valid item index";
const char* const kNotBool = "%s not a bool value, allowed values: %s,%s";
const char* const kHighStr = "TAK";
const char* const kLowStr = "NIE";
// The date-time layout of setting values.
constexpr int kDateTimeSelector = 2007;

TXLangGroup* gGroup = nullptr;

std::string Text(std::string_view key) {
    return SettingsToolsText(key);
}

// The message, ":" and the item's path.
std::string ItemError(std::string_view key, TSettItem& item) {
    std::string text = Text(key);
    text += ':';
    text += item.Path();
    return text;
}

std::string GeneralText(double x) {
    return platform::FloatToStrGeneral(x, 15, 0, platform::AppFormatSettings());
}

bool HasAttribute(const TSettItem& item, std::string_view name) {
    return item.FindAttribute(name) != nullptr;
}

void MarkMissingData(TSettItem& item) {
    if (auto* root = dynamic_cast<TSettGroup*>(item.Root())) root->SetMissingData(true);
}

std::vector<std::string> ListItems(std::string_view list) {
    std::vector<std::string> items;
    SplitText(list, items, '|');
    return items;
}

// The words the check takes, then numbers and True/False.
bool TextToBool(const std::string& text) {
    bool value = false;
    int pair = -1;
    if (XmlTextToBool(text, value, pair, false)) return value;
    double x = 0;
    if (TryTextToFloat(text, x)) return x != 0;
    if (platform::SameText(text, "true")) return true;
    if (platform::SameText(text, "false")) return false;
    throw platform::EConvertError("'" + text + "' is not a valid boolean value");
}

}  // namespace

const char* const kSettTypeNames[kSettTypeCount] = {
    "?", "BOOL", "INT", "FLOAT", "STR", "SELECT", "IP", "COM_NR", "DATE", "TIME", "DATE_TIME", "FILE_NAME",
};

const char* const kMeasFormatNames[15] = {
    "AUTO",   "mX_XXX", "mXX_XX", "mXXX_X", "X_XXX",  "XX_XX",  "XXX_X",  "XXXX",
    "kX_XXX", "kXX_XX", "kXXX_X", "kXXXX",  "MX_XXX", "MXX_XX", "MXXX_X",
};
const char* const kMeasFormatCaptions[15] = {
    "AUTO",    "X.XXX m", "XX.XX m", "XXX.X m", "X.XXX",   "XX.XX",   "XXX.X",   "XXXX",
    "X.XXX k", "XX.XX k", "XXX.X k", "XXXX k",  "X.XXX M", "XX.XX M", "XXX.X M",
};

std::string TBaseXCfgTool::GetText() {
    return GetStoredText(*Item);
}

bool TBaseXCfgTool::Check(std::string&, std::string& error) {
    error = Text("TXT010");
    return false;
}

bool TBaseXCfgTool::CheckIndex(std::string& text, std::string& error) {
    return Check(text, error);
}

bool TBaseXCfgTool::GetBool() {
    return false;
}

void TBaseXCfgTool::SetBool(bool b) {
    SetValue(b ? "1" : "0");
}

bool TBaseXCfgTool::GetDefBool() {
    return false;
}

std::string TBaseXCfgTool::GetValue() {
    return Item->ValueSet() ? Item->Value() : Item->DefValue();
}

platform::TDateTime TBaseXCfgTool::GetDateTime() {
    return CmtrStrToDateTime(GetValue(), kDateTimeSelector);
}

void TBaseXCfgTool::SetDateTime(platform::TDateTime t) {
    SetValue(CmtrDateTimeToStr(kDateTimeSelector, t));
}

void TBaseXCfgTool::SetValue(const std::string& text) {
    Item->SetValue(text);
}

void TBaseXCfgTool::SetFloat(double x) {
    SetValue(GeneralText(x));
}

void TBaseXCfgTool::SetInt(int64_t n) {
    SetValue(platform::IntToStr(n));
}

double TBaseXCfgTool::GetDefFloat() {
    double x = 0;
    return TryTextToFloatDot(Item->DefValue(), x) ? x : 0;
}

std::string TBaseXCfgTool::GetStoreValue() {
    return GetStoredText(*Item);
}

std::string TBaseXCfgTool::GetStoreDefValue() {
    return Item->DefValue();
}

void TBaseXCfgTool::ApplyLanguage(const std::string&) {}

std::string TBaseXCfgTool::GetDisplayText() {
    return GetValue();
}

bool TBaseXCfgTool::SetDisplayText(const std::string& text, std::string&) {
    SetValue(text);
    return true;
}

std::string TBaseXCfgTool::GetIndexText() {
    return GetValue();
}

void TBaseXCfgTool::SetIndexText(const std::string& text) {
    SetValue(text);
}

bool TBoolXCfgTool::Check(std::string& text, std::string& error) {
    bool value = false;
    int pair = -1;
    if (XmlTextToBool(text, value, pair, false)) {
        text = value ? "1" : "0";
        return true;
    }
    text = "0";
    error = ItemError("TXT006", *Item);
    return false;
}

bool TBoolXCfgTool::GetBool() {
    return TextToBool(TBaseXCfgTool::GetValue());
}

void TBoolXCfgTool::SetBool(bool b) {
    SetValue(b ? "1" : "0");
}

bool TBoolXCfgTool::GetDefBool() {
    return TextToBool(Item->DefValue());
}

std::string TBoolXCfgTool::GetValue() {
    return GetBool() ? "1" : "0";
}

std::string TBoolXCfgTool::GetDisplayText() {
    return GetBool() ? Item->ReadAttribute("HIGH_STR", kHighStr) : Item->ReadAttribute("LOW_STR", kLowStr);
}

bool TBoolXCfgTool::SetDisplayText(const std::string& text, std::string& error) {
    const std::string lower = LowerFold(text);
    const std::string low = LowerFold(Item->ReadAttribute("LOW_STR", kLowStr));
    const std::string high = LowerFold(Item->ReadAttribute("HIGH_STR", kHighStr));
    if (!lower.empty() && platform::StartsWith(low, lower)) {
        SetBool(false);
        return true;
    }
    if (!lower.empty() && platform::StartsWith(high, lower)) {
        SetBool(true);
        return true;
    }
    error = FillPercentS(kNotBool, {lower, low, high});
    return false;
}

bool TIntXCfgTool::Check(std::string& text, std::string& error) {
    error.clear();
    text = platform::Trim(text);
    const auto notInteger = [&] {
        text = "0";
        error = ItemError("TXT005", *Item);
        return false;
    };
    const bool hasMin = HasAttribute(*Item, "MIN");
    const bool hasMax = HasAttribute(*Item, "MAX");
    int32_t min = -1000, max = 1000;
    if (hasMin && !TryDecimalToInt32(Item->GetAttribute("MIN"), min)) return notInteger();
    if (hasMax && !TryDecimalToInt32(Item->GetAttribute("MAX"), max)) return notInteger();

    int32_t value = 0;
    if (!TryDecimalToInt32(text, value)) {
        double x = 0;
        if (!TryTextToFloatDot(text, x)) return notInteger();
        // A fraction from -1 to 1 across the range.
        const double mapped = platform::RoundHalfEven(min + (static_cast<double>(max) - min) * (x + 1));
        if (!(mapped >= INT32_MIN && mapped <= INT32_MAX)) return notInteger();
        value = static_cast<int32_t>(mapped);
        text = platform::IntToStr(value);
    }
    bool ok = true;
    if (hasMin && value < min) {
        text = platform::IntToStr(min);
        error = ItemError("TXT002", *Item);
        ok = false;
    }
    if (hasMax && value > max) {
        text = platform::IntToStr(max);
        error = ItemError("TXT003", *Item);
        ok = false;
    }
    return ok;
}

std::string TFloatXCfgTool::GetText() {
    double x = 0;
    TryTextToFloatDot(GetStoredText(*Item), x);
    return FormatFixed3(x);
}

bool TFloatXCfgTool::Check(std::string& text, std::string& error) {
    error.clear();
    text = platform::Trim(text);
    double x = 0;
    if (!TryTextToFloatDot(text, x)) {
        text = GeneralText(0);
        error = ItemError("TXT004", *Item);
        return false;
    }
    bool ok = true;
    if (HasAttribute(*Item, "MIN")) {
        const double min = TextToFloatDotDef(Item->GetAttribute("MIN"), -100);
        if (x < min) {
            text = GeneralText(min);
            error = ItemError("TXT002", *Item);
            ok = false;
        }
    }
    if (HasAttribute(*Item, "MAX")) {
        const double max = TextToFloatDotDef(Item->GetAttribute("MAX"), 100);
        if (!(max >= x)) {
            text = GeneralText(max);
            error = ItemError("TXT003", *Item);
            ok = false;
        }
    }
    if (ok) text = GeneralText(x);
    return ok;
}

namespace {

std::string StoreFloat(const std::string& source) {
    if (source.empty()) return "";
    double x = 0;
    TryTextToFloatDot(source, x);
    return FloatToXmlText(x);
}

}  // namespace

std::string TFloatXCfgTool::GetStoreValue() {
    return StoreFloat(GetStoredText(*Item));
}

std::string TFloatXCfgTool::GetStoreDefValue() {
    return StoreFloat(Item->DefValue());
}

bool TStrXCfgTool::Check(std::string& text, std::string& error) {
    int32_t limit = 16;
    if (!TryDecimalToInt32(Item->ReadAttribute("MAX", ""), limit)) limit = 16;
    if (limit < 0) limit = 0;
    if (platform::CharacterCount(text) <= limit) return true;
    text = std::string(platform::Utf8Prefix(text, static_cast<size_t>(limit)));
    error = Item->Path() + ":" + Text("TXT007") + platform::IntToStr(limit);
    return false;
}

namespace {

std::string DisplayNames(const TSettItem& item) {
    const std::string descr = item.ReadAttribute("ITEMDESCR", "");
    return descr.empty() ? item.ReadAttribute("ITEMS", "") : descr;
}

// The value's position in ITEMS; an unknown value is reported and counts as 0.
int CurrentIndex(TSelectXCfgTool& tool) {
    std::string text = GetStoredText(*tool.Item);
    std::string error;
    if (!tool.Check(text, error)) {
        MarkMissingData(*tool.Item);
        tool.Item->Report(error + "\\e");
        return 0;
    }
    return ListIndexOf(tool.Item->ReadAttribute("ITEMS", ""), text);
}

}  // namespace

std::string TSelectXCfgTool::GetText() {
    return platform::IntToStr(CurrentIndex(*this));
}

bool TSelectXCfgTool::Check(std::string& text, std::string& error) {
    const std::string items = Item->ReadAttribute("ITEMS", "");
    const int index = ListIndexOf(items, text);
    if (index >= 0) {
        text = GetListItem(items, index);
        return true;
    }
    error = ItemError("TXT006", *Item) + " (" + text + ")";
    return false;
}

bool TSelectXCfgTool::CheckIndex(std::string& text, std::string& error) {
    int32_t index = -1;
    if (!TryDecimalToInt32(text, index)) index = -1;
    if (index >= 0 && index < ItemCount(Item->ReadAttribute("ITEMS", ""))) return true;
    error = FillPercentS(kNotValidIndex, {text});
    return false;
}

void TSelectXCfgTool::ApplyLanguage(const std::string& language) {
    const std::string descr = Item->ReadAttribute("ITEMDESCR", "");
    // "|" ends a language section, so each name picks its own language.
    if (!descr.empty()) Item->SetAttribute("ITEMDESCR", TXObject::FilterLanguage(language, U"|", descr));
}

std::string TSelectXCfgTool::GetDisplayText() {
    const int index = CurrentIndex(*this);
    return index < 0 ? std::string() : GetListItem(DisplayNames(*Item), index);
}

bool TSelectXCfgTool::SetDisplayText(const std::string& text, std::string& error) {
    const int index = FindListItem(DisplayNames(*Item), text, true, true);
    if (index < 0) {
        error = ItemError("TXT006", *Item);
        return false;
    }
    SetValue(GetListItem(Item->ReadAttribute("ITEMS", ""), index));
    return true;
}

std::string TSelectXCfgTool::GetIndexText() {
    return platform::IntToStr(CurrentIndex(*this));
}

void TSelectXCfgTool::SetIndexText(const std::string& text) {
    int32_t index = -1;
    if (!TryDecimalToInt32(text, index)) index = -1;
    std::string entry;
    std::string error;
    if (TryGetListItem(Item->ReadAttribute("ITEMS", ""), index, entry)) {
        Item->SetValueChecked(entry, error);
    } else {
        Item->SetValueChecked(Item->DefValue(), error);
    }
}

bool TIpXCfgTool::Check(std::string& text, std::string& error) {
    uint32_t address = 0;
    if (TextToIPv4(text, address)) return true;
    text = "0.0.0.0";
    error = ItemError("TXT008", *Item);
    return false;
}

bool TCommNrXCfgTool::Check(std::string& text, std::string& error) {
    int32_t number = 0;
    if (TryDecimalToInt32(text, number) && IsSerialPort(number)) return true;
    error = Text("TXT009") + ":" + text;
    return false;
}

bool TDateTimeXCfgTool::Check(std::string& text, std::string& error) {
    platform::TDateTime value = 0;
    std::string reason;
    if (TryCmtrStrToDateTime(text, value, reason, kDateTimeSelector)) {
        text = CmtrDateTimeToStr(kDateTimeSelector, value);
        return true;
    }
    error = reason + ":" + Item->Path();
    return false;
}

bool TFileNameXCfgTool::Check(std::string& text, std::string& error) {
    if (!text.empty() && platform::FileExists(text)) return true;
    error = FillPercentS(Text("TXT028_s"), {text});
    return false;
}

std::string GetStoredText(TSettItem& item) {
    if (item.ValueSet()) return item.Value();
    if (item.DefValueSet()) return item.DefValue();
    MarkMissingData(item);
    item.Report(Text("TXT001") + ":" + item.Path() + "\\e");
    return "";
}

bool TryTextToFloatDot(std::string_view text, double& x) {
    const std::string upper = platform::UpperCase(platform::Trim(text));
    if (upper == "INF" || upper == "+INF" || upper == "-INF") {
        x = upper[0] == '-' ? -std::numeric_limits<double>::infinity()
                            : std::numeric_limits<double>::infinity();
        return true;
    }
    if (TryTextToFloat(text, x)) return true;
    x = 0;
    return false;
}

double TextToFloatDotDef(std::string_view text, double def) {
    const std::string trimmed = platform::Trim(text);
    if (platform::UpperCase(trimmed).find("INF") != std::string::npos)
        return !trimmed.empty() && trimmed[0] == '-' ? -std::numeric_limits<double>::infinity()
                                                     : std::numeric_limits<double>::infinity();
    double x = 0;
    return platform::TryStrToFloat(text, x, platform::DotFormatSettings()) ? x : def;
}

std::string FormatFixed3(double x) {
    const platform::TFormatSettings& dot = platform::DotFormatSettings();
    if (!std::isfinite(x) || std::fabs(x) >= 1e10) return platform::FloatToStrGeneral(x, 10, 0, dot);
    // Ten significant digits first, so that the binary tail of the value never shows.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 9);
    double rounded = x;
    std::from_chars(buf, res.ptr, rounded);
    return platform::FormatFixed(rounded, 3, dot);
}

int ItemCount(std::string_view list) {
    return static_cast<int>(ListItems(list).size());
}

bool TryGetListItem(std::string_view list, int index, std::string& item) {
    const std::vector<std::string> items = ListItems(list);
    if (index < 0 || index >= static_cast<int>(items.size())) return false;
    item = items[static_cast<size_t>(index)];
    return true;
}

std::string GetListItem(std::string_view list, int index) {
    std::string item;
    return TryGetListItem(list, index, item) ? item : std::string();
}

int ListIndexOf(std::string_view list, std::string_view text) {
    const std::vector<std::string> items = ListItems(list);
    const std::string folded = UpperFold(text);
    for (size_t i = 0; i < items.size(); ++i)
        if (UpperFold(items[i]) == folded) return static_cast<int>(i);
    return -1;
}

int FindListItem(std::string_view list, std::string_view text, bool ignoreCase, bool partial) {
    std::vector<std::string> items = ListItems(list);
    std::string wanted(text);
    if (wanted.empty()) return -1;
    if (ignoreCase) {
        wanted = UpperFold(wanted);
        for (std::string& item : items) item = UpperFold(item);
    }
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == wanted) return static_cast<int>(i);
    if (!partial) return -1;
    // The one item that matches; none or several give -1.
    const auto single = [&items](auto matches, bool& any) {
        int found = -1;
        any = false;
        for (size_t i = 0; i < items.size(); ++i) {
            if (!matches(items[i])) continue;
            if (any) return -1;
            any = true;
            found = static_cast<int>(i);
        }
        return found;
    };
    bool any = false;
    const int byPrefix = single([&wanted](const std::string& item) { return item.starts_with(wanted); }, any);
    if (any) return byPrefix;
    return single([&wanted](const std::string& item) { return item.find(wanted) != std::string::npos; }, any);
}

uint8_t TypeCodeOfName(std::string_view name) {
    for (int i = 0; i < kSettTypeCount; ++i)
        if (name == kSettTypeNames[i]) return static_cast<uint8_t>(i);
    return 0;
}

std::string TypeNameOfCode(uint8_t code) {
    return code < kSettTypeCount ? kSettTypeNames[code] : kSettTypeNames[0];
}

void GetSerialPorts(std::vector<std::string>& list) {
    std::vector<std::pair<std::string, std::string>> values;
    list.clear();
    if (!platform::RegReadValues(platform::HKEY::LocalMachine, "\\HARDWARE\\DEVICEMAP\\SERIALCOMM\\", values))
        return;
    for (const auto& value : values) list.push_back(value.second);
    std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
        return platform::UpperCase(a) < platform::UpperCase(b);
    });
}

bool IsSerialPort(int n) {
    std::vector<std::string> ports;
    GetSerialPorts(ports);
    const std::string name = "COM" + platform::IntToStr(n);
    const std::string device = n >= 1 ? "/dev/ttyS" + platform::IntToStr(int64_t{n} - 1) : std::string();
    for (const std::string& port : ports)
        if (platform::SameText(port, name) || (!device.empty() && platform::SameText(port, device)))
            return true;
    return false;
}

TXLangGroup* SettingsToolsGroup() {
    return gGroup;
}

std::string SettingsToolsText(std::string_view key) {
    if (!gGroup) throw platform::Exception("SettingsTools: the unit is not initialised");
    return gGroup->Translate(key);
}

std::string FillPercentS(std::string_view text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next < args.size()) {
            out += args[next++];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void InitSettingsTools() {
    RegisterXmlClass<TSettItem>(0);
    RegisterXmlClass<TSettGroup>(0);
    gGroup = AddLangGroup("SettingsTools", kTexts);
}

void FinalizeSettingsTools() {
    gGroup = nullptr;
}

}  // namespace dcomp
