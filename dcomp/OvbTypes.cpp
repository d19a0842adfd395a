#include "dcomp/OvbTypes.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <mutex>
#include <system_error>

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/Bytes.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

const char* const kErrFrac = "Za duża wartośc dla liczby w formacie FRAC";
const char* const kErrFormat = "Blad formatu zmiennej";
const char* const kErrReal = "Blad formatu zmiennej typu real";
const char* const kErrUnknown = "Nie rozpoznana wartość ";
const char* const kErrEmpty = "Wartość jest pusta";

struct TUnitState {
    TOvbEngines Engines;
    std::vector<std::string> TrueWords{"1", "YES", "TAK", "TRUE"};
    std::vector<std::string> FalseWords{"0", "NO", "NIE", "FALSE"};
    TOvbByteOrder DefaultByteOrder = kOvbMotorola;
    std::string DefaultTypeName = "WORD";
};

std::mutex gLock;
int gInitCount = 0;
std::unique_ptr<TUnitState> gState;

TUnitState& State() {
    if (!gState) throw platform::Exception("OvbTypes: the unit is not initialised");
    return *gState;
}

// Sign and decimal digits, nothing else.
bool TryDecimalInt(std::string_view text, int64_t& value) {
    std::string_view s = text;
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s[0] == '+' || s[0] == '-') return false;
    uint64_t magnitude = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return false;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

std::string Shown(const TOvbVariant& value) {
    if (std::holds_alternative<std::monostate>(value)) return "Null";
    return VariantToText(value, platform::DotFormatSettings());
}

[[noreturn]] void ConversionError(const TOvbVariant& value, const char* target) {
    throw platform::EConvertError("Could not convert variant value '" + Shown(value) + "' into type " +
                                  target);
}

int IndexInList(const std::vector<std::string>& list, const std::string& folded) {
    for (size_t i = 0; i < list.size(); ++i)
        if (UpperFold(list[i]) == folded) return static_cast<int>(i);
    return -1;
}

bool InList(const std::vector<std::string>& list, const std::string& folded) {
    return IndexInList(list, folded) >= 0;
}

bool HasDot(const TOvbVariant& value) {
    return VariantToText(value, platform::DotFormatSettings()).find('.') != std::string::npos;
}

// A value written with "." as a fraction of `scale`; any other as an integer.
int64_t FractionOrInteger(const TOvbVariant& value, double scale) {
    if (!HasDot(value)) return VariantToInt64(value);
    double x = 0;
    if (const double* d = std::get_if<double>(&value)) {
        x = *d;
    } else if (!platform::TryStrToFloat(VariantToText(value, platform::AppFormatSettings()), x,
                                        platform::DotFormatSettings())) {
        ConversionError(value, "Double");
    }
    if (!(std::fabs(x) <= 1)) throw platform::EConvertError(kErrFrac);
    int64_t result = 0;
    if (!platform::TryRoundToInt64(x * scale, result)) ConversionError(value, "Integer");
    return result;
}

// A finite double within single range, as a single.
bool TryToSingle(double x, float& f) {
    if (!std::isfinite(x) || std::fabs(x) > static_cast<double>(std::numeric_limits<float>::max()))
        return false;
    f = static_cast<float>(x);
    return true;
}

TOvbVariant SingleOrNan(double x) {
    float f = 0;
    if (!TryToSingle(x, f)) return std::string("NAN");
    return static_cast<double>(f);
}

}  // namespace

bool TryDecimalToInt32(std::string_view text, int32_t& value) {
    int64_t v = 0;
    if (!TryDecimalInt(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

const char* const kOvbByteOrderNames[2] = {"Intel", "Motorola"};
const char* const kOvbKindNames[4] = {"STANDARD", "BOOLEAN", "SELECT", "POINTER"};

std::string VariantToText(const TOvbVariant& value, const platform::TFormatSettings& fs) {
    return std::visit(
        [&fs](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return "";
            } else if constexpr (std::is_same_v<T, double>) {
                return platform::FloatToStrGeneral(v, 15, 0, fs);
            } else if constexpr (std::is_same_v<T, std::string>) {
                return v;
            } else {
                return platform::IntToStr(static_cast<int64_t>(v));
            }
        },
        value);
}

int64_t VariantToInt64(const TOvbVariant& value) {
    return std::visit(
        [&value](const auto& v) -> int64_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                ConversionError(value, "Int64");
            } else if constexpr (std::is_same_v<T, double>) {
                int64_t r = 0;
                if (!platform::TryRoundToInt64(v, r)) ConversionError(value, "Int64");
                return r;
            } else if constexpr (std::is_same_v<T, std::string>) {
                int64_t r = 0;
                if (!TryDecimalInt(v, r)) ConversionError(value, "Int64");
                return r;
            } else {
                return static_cast<int64_t>(v);
            }
        },
        value);
}

double VariantToDouble(const TOvbVariant& value, const platform::TFormatSettings& fs) {
    return std::visit(
        [&value, &fs](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                ConversionError(value, "Double");
            } else if constexpr (std::is_same_v<T, double>) {
                return v;
            } else if constexpr (std::is_same_v<T, std::string>) {
                const std::string upper = platform::UpperCase(platform::Trim(v));
                if (upper == "NAN") return std::numeric_limits<double>::quiet_NaN();
                if (upper == "INF" || upper == "+INF") return std::numeric_limits<double>::infinity();
                if (upper == "-INF") return -std::numeric_limits<double>::infinity();
                double x = 0;
                if (!platform::TryStrToFloat(v, x, fs)) ConversionError(value, "Double");
                return x;
            } else {
                return static_cast<double>(v);
            }
        },
        value);
}

void SplitAtChar(std::string_view text, std::vector<std::string>& list, char separator) {
    list.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) list.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string ByteToBinText(uint8_t b) {
    std::string out(8, '0');
    for (int bit = 0; bit < 8; ++bit)
        if (b & (0x80 >> bit)) out[static_cast<size_t>(bit)] = '1';
    return out;
}

std::string ToBinText(uint32_t value, int byteCount) {
    std::string out;
    for (int i = byteCount - 1; i >= 0; --i) {
        if (!out.empty()) out += '.';
        out += ByteToBinText(static_cast<uint8_t>(i < 4 ? value >> (8 * i) : 0));
    }
    return out;
}

uint32_t SwapBytes32(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

namespace {

void CheckSpan(size_t have, size_t need) {
    if (have < need)
        throw platform::Exception("Raw image of " + std::to_string(have) + " bytes, " + std::to_string(need) +
                                  " needed");
}

}  // namespace

void PutWord(TOvbByteOrder order, std::span<uint8_t> dest, uint16_t v) {
    CheckSpan(dest.size(), 2);
    order == kOvbMotorola ? platform::PutBe16(dest.data(), v) : platform::PutLe16(dest.data(), v);
}

void PutDWord(TOvbByteOrder order, std::span<uint8_t> dest, uint32_t v) {
    CheckSpan(dest.size(), 4);
    order == kOvbMotorola ? platform::PutBe(dest.data(), v) : platform::PutLe(dest.data(), v);
}

uint16_t GetWord(TOvbByteOrder order, std::span<const uint8_t> src) {
    CheckSpan(src.size(), 2);
    return order == kOvbMotorola ? platform::GetBe16(src.data()) : platform::GetLe16(src.data());
}

uint32_t GetDWord(TOvbByteOrder order, std::span<const uint8_t> src) {
    CheckSpan(src.size(), 4);
    return order == kOvbMotorola ? platform::GetBe<uint32_t>(src.data())
                                 : platform::GetLe<uint32_t>(src.data());
}

double TextToFloatDot(std::string_view text) {
    double x = 0;
    if (!platform::TryStrToFloat(text, x, platform::DotFormatSettings()))
        throw platform::EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return x;
}

bool TryTextToFloat(std::string_view text, double& x) {
    platform::TFormatSettings comma = platform::DotFormatSettings();
    comma.DecimalSeparator = ',';
    return platform::TryStrToFloat(text, x, platform::DotFormatSettings()) ||
           platform::TryStrToFloat(text, x, comma);
}

std::string FloatToTextDot(double x) {
    return FloatToXmlText(x);
}

uint32_t FloatToDFloat(double x) {
    float f = 0;
    if (!TryToSingle(x, f)) throw platform::EConvertError(kErrFormat);
    if (f == 0) return 0;
    // frexp gives the same mantissa and exponent as the bit fields of a normal single and
    // normalises a subnormal one.
    int exponent = 0;
    const double m = std::frexp(static_cast<double>(f), &exponent);
    int32_t mantissa = static_cast<int32_t>(std::floor(std::fabs(m) * 32768.0));
    if (m < 0) mantissa = -mantissa;
    return (static_cast<uint32_t>(static_cast<uint16_t>(mantissa)) << 16) | static_cast<uint16_t>(exponent);
}

double DFloatToFloat(uint32_t w) {
    const double mantissa = static_cast<int16_t>(w >> 16) / 32768.0;
    const int exponent = static_cast<int16_t>(w & 0xFFFF);
    const double x = std::ldexp(mantissa, exponent);
    return std::isfinite(x) ? x : std::numeric_limits<double>::quiet_NaN();
}

void TOvbEngine::CheckRawSize(size_t size) const {
    CheckSpan(size, static_cast<size_t>(Size));
}

std::vector<std::string> TOvbEngine::GetSelectItems(const std::string& itemsText) const {
    std::vector<std::string> pieces, items;
    SplitAtChar(itemsText.empty() ? ItemsText : itemsText, pieces, ';');
    if (!pieces.empty()) SplitAtChar(pieces[0], items, '|');
    if (items.size() < 2) items = {"OFF", "ON"};
    return items;
}

void TOvbEngine::GetBoolPairs(const std::string& itemsText, std::vector<std::string>& falseWords,
                              std::vector<std::string>& trueWords) const {
    falseWords.clear();
    trueWords.clear();
    const std::string& text = itemsText.empty() ? ItemsText : itemsText;
    if (text.empty()) {
        falseWords = OvbFalseWords();
        trueWords = OvbTrueWords();
        return;
    }
    std::vector<std::string> pieces, parts;
    SplitAtChar(text, pieces, ';');
    for (const std::string& piece : pieces) {
        SplitAtChar(piece, parts, '|');
        if (parts.size() != 2) continue;
        falseWords.push_back(parts[0]);
        trueWords.push_back(parts[1]);
    }
}

bool TOvbEngine::ParseBool(const TOvbValueDesc&, const std::string& text, const std::string& itemsText,
                           TOvbVariant& value, std::string& error) {
    std::vector<std::string> falseWords, trueWords;
    GetBoolPairs(itemsText, falseWords, trueWords);
    const std::string folded = UpperFold(text);
    if (InList(falseWords, folded)) {
        value = uint8_t{0};
        return true;
    }
    if (InList(trueWords, folded)) {
        value = uint8_t{1};
        return true;
    }
    value = std::monostate{};
    error = kErrUnknown + text;
    return false;
}

bool TOvbEngine::ParseSelect(const TOvbValueDesc&, const std::string& text, const std::string& itemsText,
                             TOvbVariant& value, std::string& error) {
    const int index = IndexInList(GetSelectItems(itemsText), UpperFold(text));
    if (index < 0) {
        value = std::monostate{};
        error = kErrUnknown + text;
        return false;
    }
    value = int32_t{index};
    error.clear();
    return true;
}

bool TOvbEngine::ParseNumber(const TOvbValueDesc&, const std::string& text, const std::string&,
                             TOvbVariant& value, std::string& error) {
    error.clear();
    if (text.size() >= 2 && platform::UpperCase(text.substr(0, 2)) == "0X") {
        // Up to eight digits: the 32-bit pattern, so 0xFFFFFFFF is -1.
        const std::string_view digits = std::string_view(text).substr(2);
        uint32_t pattern = 0;
        const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), pattern, 16);
        if (digits.empty() || digits.size() > 8 || res.ec != std::errc() ||
            res.ptr != digits.data() + digits.size()) {
            error = "'" + text + "' is not a valid integer value";
            return false;
        }
        value = static_cast<int32_t>(pattern);
        return true;
    }
    int32_t n = 0;
    if (TryDecimalToInt32(text, n)) {
        value = n;
        return true;
    }
    double x = 0;
    if (TryTextToFloat(text, x)) {
        value = FloatToTextDot(x);
        return true;
    }
    const std::string folded = UpperFold(text);
    if (InList(OvbTrueWords(), folded)) {
        value = uint8_t{1};
        return true;
    }
    if (InList(OvbFalseWords(), folded)) {
        value = uint8_t{0};
        return true;
    }
    error = kErrEmpty;
    return false;
}

bool TOvbEngine::ParsePointer(const TOvbValueDesc& desc, const std::string& text, const std::string&,
                              TOvbVariant& value, std::string& error) {
    if (!desc.OnParse) return false;
    try {
        value = desc.OnParse(text);
        error.clear();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

std::string TOvbEngine::FormatBool(const TOvbVariant& value, const std::string& itemsText) {
    const std::vector<std::string> items = GetSelectItems(itemsText);
    return VariantToDouble(value, platform::AppFormatSettings()) == 0 ? items[0] : items[1];
}

std::string TOvbEngine::FormatSelect(const TOvbVariant& value, const std::string& itemsText) {
    const std::vector<std::string> items = GetSelectItems(itemsText);
    const int64_t index = VariantToInt64(value);
    if (index < 0) throw platform::Exception("List index out of bounds (" + platform::IntToStr(index) + ")");
    if (index < static_cast<int64_t>(items.size())) return items[static_cast<size_t>(index)];
    return "[Out:" + platform::IntToStr(index) + "]";
}

std::string TOvbEngine::FormatNumber(const TOvbValueDesc&, const TOvbVariant& value, const std::string&) {
    return VariantToText(value, platform::AppFormatSettings());
}

void TOvbEngine::VariantToRaw(const TOvbValueDesc&, std::span<uint8_t>, const TOvbVariant&) {}

TOvbVariant TOvbEngine::RawToVariant(const TOvbValueDesc&, std::span<const uint8_t>) {
    return {};
}

std::string TOvbEngine::GetItemsText() const {
    return Kind == TOvbKind::Boolean || Kind == TOvbKind::Select ? ItemsText : std::string();
}

TOvbByteType::TOvbByteType() {
    Letter = 'B';
    Size = 1;
    RegCount = 1;
    IsInteger = 1;
    MaxValue = 255;
}

void TOvbByteType::VariantToRaw(const TOvbValueDesc&, std::span<uint8_t> raw, const TOvbVariant& value) {
    CheckRawSize(raw.size());
    raw[0] = static_cast<uint8_t>(VariantToInt64(value));
}

TOvbVariant TOvbByteType::RawToVariant(const TOvbValueDesc&, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return raw[0];
}

TOvbWordType::TOvbWordType() {
    Letter = 'W';
    Size = 2;
    RegCount = 1;
    IsInteger = 1;
    MaxValue = 65535;
}

void TOvbWordType::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) {
    CheckRawSize(raw.size());
    PutWord(desc.ByteOrder, raw, static_cast<uint16_t>(VariantToInt64(value)));
}

TOvbVariant TOvbWordType::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return GetWord(desc.ByteOrder, raw);
}

TOvbDWordType::TOvbDWordType() {
    Letter = 'D';
    Size = 4;
    RegCount = 2;
    IsInteger = 1;
    MaxValue = 0xFFFFFFFFu;
}

void TOvbDWordType::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw,
                                 const TOvbVariant& value) {
    CheckRawSize(raw.size());
    PutDWord(desc.ByteOrder, raw, static_cast<uint32_t>(VariantToInt64(value)));
}

TOvbVariant TOvbDWordType::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return GetDWord(desc.ByteOrder, raw);
}

TOvbInt16Type::TOvbInt16Type() {
    Letter = 'I';
    Size = 2;
    RegCount = 1;
    IsInteger = 1;
    MaxValue = 32767;
    MinValue = -32767;
}

std::string TOvbInt16Type::FormatNumber(const TOvbValueDesc&, const TOvbVariant& value,
                                        const std::string& formatName) {
    const auto v = static_cast<int16_t>(VariantToInt64(value));
    if (formatName == "HEX")
        return "0x" + platform::HexText(static_cast<uint32_t>(static_cast<int32_t>(v)), 4);
    if (formatName == "BIN") return "b" + ToBinText(static_cast<uint16_t>(v), 2);
    if (formatName == "FRAC")
        return platform::FloatToStrGeneral(v / 32768.0, 15, 0, platform::AppFormatSettings());
    return platform::IntToStr(v);
}

void TOvbInt16Type::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw,
                                 const TOvbVariant& value) {
    CheckRawSize(raw.size());
    PutWord(desc.ByteOrder, raw, static_cast<uint16_t>(FractionOrInteger(value, 32767.0)));
}

TOvbVariant TOvbInt16Type::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return static_cast<int16_t>(GetWord(desc.ByteOrder, raw));
}

TOvbInt32Type::TOvbInt32Type() {
    Letter = 'J';
    Size = 4;
    RegCount = 2;
    IsInteger = 1;
    MaxValue = 2147483647u;
    MinValue = -2147483647;
}

void TOvbInt32Type::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw,
                                 const TOvbVariant& value) {
    CheckRawSize(raw.size());
    PutDWord(desc.ByteOrder, raw, static_cast<uint32_t>(FractionOrInteger(value, 2147483647.0)));
}

TOvbVariant TOvbInt32Type::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return static_cast<int32_t>(GetDWord(desc.ByteOrder, raw));
}

TOvbUniFloatType::TOvbUniFloatType() {
    IsFloat = 1;
}

std::string TOvbUniFloatType::FormatNumber(const TOvbValueDesc& desc, const TOvbVariant& value,
                                           const std::string&) {
    return platform::FloatToStrGeneral(VariantToDouble(value, platform::AppFormatSettings()), desc.Decimals,
                                       desc.Decimals + 2, platform::AppFormatSettings());
}

TOvbFloatType::TOvbFloatType() {
    Letter = 'F';
    Size = 4;
    RegCount = 2;
}

void TOvbFloatType::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw,
                                 const TOvbVariant& value) {
    CheckRawSize(raw.size());
    double x = 0;
    if (const double* d = std::get_if<double>(&value)) {
        x = *d;
    } else if (!platform::TryStrToFloat(VariantToText(value, platform::AppFormatSettings()), x,
                                        platform::DotFormatSettings())) {
        throw platform::EConvertError(kErrFormat);
    }
    float f = 0;
    if (!TryToSingle(x, f)) throw platform::EConvertError(kErrFormat);
    PutDWord(desc.ByteOrder, raw, std::bit_cast<uint32_t>(f));
}

TOvbVariant TOvbFloatType::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return SingleOrNan(std::bit_cast<float>(GetDWord(desc.ByteOrder, raw)));
}

TOvbDFloatType::TOvbDFloatType() {
    Letter = 'G';
    Size = 4;
    RegCount = 2;
}

void TOvbDFloatType::VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw,
                                  const TOvbVariant& value) {
    CheckRawSize(raw.size());
    double x = 0;
    if (const double* d = std::get_if<double>(&value)) {
        x = *d;
    } else if (!TryTextToFloat(VariantToText(value, platform::AppFormatSettings()), x)) {
        throw platform::EConvertError(kErrReal);
    }
    PutDWord(desc.ByteOrder, raw, FloatToDFloat(x));
}

TOvbVariant TOvbDFloatType::RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) {
    CheckRawSize(raw.size());
    return SingleOrNan(DFloatToFloat(GetDWord(desc.ByteOrder, raw)));
}

const TOvbEngines& OvbEngines() {
    return State().Engines;
}

const std::vector<std::string>& OvbTrueWords() {
    return State().TrueWords;
}

const std::vector<std::string>& OvbFalseWords() {
    return State().FalseWords;
}

TOvbByteOrder OvbDefaultByteOrder() {
    return State().DefaultByteOrder;
}

const std::string& OvbDefaultTypeName() {
    return State().DefaultTypeName;
}

void InitOvbTypes() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gInitCount++ > 0) return;
    auto state = std::make_unique<TUnitState>();
    state->Engines.Add(&CreateOvbEngine<TOvbByteType>);
    state->Engines.Add(&CreateOvbEngine<TOvbWordType>);
    state->Engines.Add(&CreateOvbEngine<TOvbDWordType>);
    state->Engines.Add(&CreateOvbEngine<TOvbInt16Type>);
    state->Engines.Add(&CreateOvbEngine<TOvbInt32Type>);
    state->Engines.Add(&CreateOvbEngine<TOvbFloatType>);
    state->Engines.Add(&CreateOvbEngine<TOvbDFloatType>);
    gState = std::move(state);
}

void FinalizeOvbTypes() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gInitCount == 0 || --gInitCount > 0) return;
    gState.reset();
}

}  // namespace dcomp
