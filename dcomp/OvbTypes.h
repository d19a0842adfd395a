#pragma once
// Device value types: engines that turn one device value between its text, a variant and
// its raw image of one to four bytes in a register buffer (one or two 16-bit registers).
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

namespace dcomp {

// Null, a byte, unsigned 16 and 32 bits, signed 16 and 32 bits, a double or a text.
using TOvbVariant =
    std::variant<std::monostate, uint8_t, uint16_t, uint32_t, int16_t, int32_t, double, std::string>;

// Sign and decimal digits only (no blanks, no hexadecimal), within 32 bits.
bool TryDecimalToInt32(std::string_view text, int32_t& value);

// Integers in decimal, doubles with 15 significant digits and the settings' separator,
// null as the empty text.
std::string VariantToText(const TOvbVariant& value, const platform::TFormatSettings& fs);
// Integers, doubles rounded half to even, texts of sign and decimal digits; anything else
// (null, other text, NaN, infinities, out of range) raises platform::EConvertError.
int64_t VariantToInt64(const TOvbVariant& value);
// Numbers by value; texts as decimal integers or, with the settings' separator, as
// decimal numbers ("NAN", "INF", "-INF" too); platform::EConvertError otherwise.
double VariantToDouble(const TOvbVariant& value, const platform::TFormatSettings& fs);

// 0 Intel (low byte first), 1 Motorola (every byte reversed); any other value is Intel.
using TOvbByteOrder = uint8_t;
inline constexpr TOvbByteOrder kOvbIntel = 0;
inline constexpr TOvbByteOrder kOvbMotorola = 1;
extern const char* const kOvbByteOrderNames[2];

// Kinds of an engine's item list.
enum class TOvbKind : uint8_t { Standard, Boolean, Select, Pointer };
extern const char* const kOvbKindNames[4];

// What the engines read of a caller's value description.
struct TOvbValueDesc {
    // Turns a text into a number for pointer values; may raise.
    std::function<int32_t(const std::string&)> OnParse;
    TOvbByteOrder ByteOrder = kOvbMotorola;
    // Significant digits of floating-point texts.
    int32_t Decimals = 15;
};

class TOvbEngine {
public:
    TOvbEngine() = default;
    virtual ~TOvbEngine() = default;
    TOvbEngine(const TOvbEngine&) = delete;
    TOvbEngine& operator=(const TOvbEngine&) = delete;

    // Parsing never raises: false with the reason in `error`.
    virtual bool ParseBool(const TOvbValueDesc& desc, const std::string& text, const std::string& itemsText,
                           TOvbVariant& value, std::string& error);
    virtual bool ParseSelect(const TOvbValueDesc& desc, const std::string& text, const std::string& itemsText,
                             TOvbVariant& value, std::string& error);
    virtual bool ParseNumber(const TOvbValueDesc& desc, const std::string& text, const std::string& itemsText,
                             TOvbVariant& value, std::string& error);
    virtual bool ParsePointer(const TOvbValueDesc& desc, const std::string& text,
                              const std::string& itemsText, TOvbVariant& value, std::string& error);
    virtual std::string FormatBool(const TOvbVariant& value, const std::string& itemsText);
    // A negative value raises the list's index error.
    virtual std::string FormatSelect(const TOvbVariant& value, const std::string& itemsText);
    virtual std::string FormatNumber(const TOvbValueDesc& desc, const TOvbVariant& value,
                                     const std::string& formatName);
    virtual std::string GetTypeName() const { return ""; }
    virtual char GetTypeLetter() const { return ' '; }
    // Writes the first Size bytes of `raw`; a shorter span raises and nothing is written.
    virtual void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value);
    // Reads the first Size bytes of `raw`; a shorter span raises.
    virtual TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw);
    virtual std::string GetItemsText() const;
    virtual bool IsSameText(const std::string& a, const std::string& b) const { return a == b; }

    char Letter = ' ';
    int32_t Size = 0;
    int32_t RegCount = 0;
    TOvbKind Kind = TOvbKind::Standard;
    std::string ItemsText;
    uint8_t IsInteger = 0;
    uint8_t IsFloat = 0;
    uint32_t MaxValue = 0;
    int32_t MinValue = 0;

protected:
    // platform::Exception unless the span holds Size bytes.
    void CheckRawSize(size_t size) const;
    std::vector<std::string> GetSelectItems(const std::string& itemsText) const;
    void GetBoolPairs(const std::string& itemsText, std::vector<std::string>& falseWords,
                      std::vector<std::string>& trueWords) const;
};

class TOvbByteType : public TOvbEngine {
public:
    TOvbByteType();
    std::string GetTypeName() const override { return "BYTE"; }
    char GetTypeLetter() const override { return 'B'; }
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbWordType : public TOvbEngine {
public:
    TOvbWordType();
    std::string GetTypeName() const override { return "WORD"; }
    char GetTypeLetter() const override { return 'W'; }
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbDWordType : public TOvbEngine {
public:
    TOvbDWordType();
    std::string GetTypeName() const override { return "DWORD"; }
    char GetTypeLetter() const override { return 'D'; }
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbInt16Type : public TOvbEngine {
public:
    TOvbInt16Type();
    // "HEX", "BIN", "FRAC" or the plain value.
    std::string FormatNumber(const TOvbValueDesc& desc, const TOvbVariant& value,
                             const std::string& formatName) override;
    std::string GetTypeName() const override { return "INT16"; }
    char GetTypeLetter() const override { return 'I'; }
    // A value written with "." is a fraction of 1 scaled to 32767.
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbInt32Type : public TOvbEngine {
public:
    TOvbInt32Type();
    std::string GetTypeName() const override { return "INT32"; }
    char GetTypeLetter() const override { return 'J'; }
    // A value written with "." is a fraction of 1 scaled to 2147483647.
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbUniFloatType : public TOvbEngine {
public:
    TOvbUniFloatType();
    // Decimals significant digits, Decimals + 2 exponent digits, the process's separator.
    std::string FormatNumber(const TOvbValueDesc& desc, const TOvbVariant& value,
                             const std::string& formatName) override;
};

class TOvbFloatType : public TOvbUniFloatType {
public:
    TOvbFloatType();
    std::string GetTypeName() const override { return "FLOAT"; }
    char GetTypeLetter() const override { return 'F'; }
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    // A pattern that is no finite single gives the text "NAN".
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

class TOvbDFloatType : public TOvbUniFloatType {
public:
    TOvbDFloatType();
    std::string GetTypeName() const override { return "DFLOAT"; }
    char GetTypeLetter() const override { return 'G'; }
    void VariantToRaw(const TOvbValueDesc& desc, std::span<uint8_t> raw, const TOvbVariant& value) override;
    // A value that is no finite single gives the text "NAN".
    TOvbVariant RawToVariant(const TOvbValueDesc& desc, std::span<const uint8_t> raw) override;
};

using TOvbEngineFactory = std::unique_ptr<TOvbEngine> (*)();

// One engine class of the registry.
class TOvbEngineClassItem {
public:
    explicit TOvbEngineClassItem(TOvbEngineFactory factory) : EngineClass(factory) {}
    TOvbEngineFactory EngineClass;
};

// The registry: BYTE, WORD, DWORD, INT16, INT32, FLOAT, DFLOAT in this order.
class TOvbEngines {
public:
    void Add(TOvbEngineFactory factory) { FItems.push_back(std::make_unique<TOvbEngineClassItem>(factory)); }
    int Count() const { return static_cast<int>(FItems.size()); }
    const TOvbEngineClassItem& Items(int index) const { return *FItems.at(static_cast<size_t>(index)); }

private:
    std::vector<std::unique_ptr<TOvbEngineClassItem>> FItems;
};

template <class T>
std::unique_ptr<TOvbEngine> CreateOvbEngine() {
    return std::make_unique<T>();
}

// Between the unit's initialisation and finalisation; platform::Exception outside them.
const TOvbEngines& OvbEngines();
// "1" "YES" "TAK" "TRUE" and "0" "NO" "NIE" "FALSE".
const std::vector<std::string>& OvbTrueWords();
const std::vector<std::string>& OvbFalseWords();
TOvbByteOrder OvbDefaultByteOrder();
const std::string& OvbDefaultTypeName();

// Non-empty pieces between separators, in order.
void SplitAtChar(std::string_view text, std::vector<std::string>& list, char separator);
// Eight "0"/"1", the highest bit first.
std::string ByteToBinText(uint8_t b);
// The lowest byteCount bytes, the highest first, joined by ".".
std::string ToBinText(uint32_t value, int byteCount);
uint32_t SwapBytes32(uint32_t v);
// 16- and 32-bit images, reversed for order 1; platform::Exception for a short span.
void PutWord(TOvbByteOrder order, std::span<uint8_t> dest, uint16_t v);
void PutDWord(TOvbByteOrder order, std::span<uint8_t> dest, uint32_t v);
uint16_t GetWord(TOvbByteOrder order, std::span<const uint8_t> src);
uint32_t GetDWord(TOvbByteOrder order, std::span<const uint8_t> src);

// "." only; platform::EConvertError for other text.
double TextToFloatDot(std::string_view text);
// "." first, then ",".
bool TryTextToFloat(std::string_view text, double& x);
// 15 significant digits with ".".
std::string FloatToTextDot(double x);

// The register pair of a DFLOAT: a Q15 mantissa (0.5 to below 1 in magnitude) in the high
// 16 bits, a signed power of two in the low ones. The value is taken at single precision
// and fraction bits beyond the mantissa's are dropped; zero (also -0) packs to 0. NaN,
// infinities and magnitudes past single range raise platform::EConvertError
// "Blad formatu zmiennej".
uint32_t FloatToDFloat(double x);
// Mantissa times 2 to the exponent; NaN where that overflows.
double DFloatToFloat(uint32_t w);

void InitOvbTypes();
void FinalizeOvbTypes();

}  // namespace dcomp
