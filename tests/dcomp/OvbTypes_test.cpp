#include "dcomp/OvbTypes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "tests/dcomp/DcompTest.h"

using namespace dcomp;

using dcomp_test::TSeparator;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

std::string Show(const TOvbVariant& v) {
    // By the variant's alternatives, in order.
    static const char* const kKinds[] = {"null", "u8:", "u16:", "u32:", "i16:", "i32:", "dbl:", "txt:"};
    static_assert(std::size(kKinds) == std::variant_size_v<TOvbVariant>);
    if (v.index() == 0) return kKinds[0];
    return kKinds[v.index()] + VariantToText(v, platform::DotFormatSettings());
}

std::unique_ptr<TOvbEngine> Engine(const std::string& name) {
    const TOvbEngines& engines = OvbEngines();
    for (int i = 0; i < engines.Count(); ++i) {
        auto engine = engines.Items(i).EngineClass();
        if (engine->GetTypeName() == name) return engine;
    }
    return nullptr;
}

TOvbValueDesc Desc(TOvbByteOrder order) {
    TOvbValueDesc desc;
    desc.ByteOrder = order;
    return desc;
}

Bytes ToRaw(const std::string& engine, const TOvbVariant& value, TOvbByteOrder order = kOvbMotorola) {
    auto e = Engine(engine);
    Bytes raw(static_cast<size_t>(e->Size), 0xEE);
    e->VariantToRaw(Desc(order), raw, value);
    return raw;
}

// The message of what VariantToRaw raised, or "" when it did not.
std::string RawError(const std::string& engine, const TOvbVariant& value) {
    try {
        ToRaw(engine, value);
    } catch (const platform::Exception& e) {
        return e.what();
    }
    return "";
}

using OvbTypesTest = dcomp_test::TUnitsTest;

}  // namespace

TEST_F(OvbTypesTest, RegistryHoldsTheSevenEnginesInOrder) {
    const struct {
        const char* name;
        char letter;
        int32_t size, regs;
        uint8_t isInt, isFloat;
        uint32_t max;
        int32_t min;
    } expected[] = {
        {"BYTE", 'B', 1, 1, 1, 0, 255, 0},
        {"WORD", 'W', 2, 1, 1, 0, 65535, 0},
        {"DWORD", 'D', 4, 2, 1, 0, 0xFFFFFFFFu, 0},
        {"INT16", 'I', 2, 1, 1, 0, 32767, -32767},
        {"INT32", 'J', 4, 2, 1, 0, 2147483647u, -2147483647},
        {"FLOAT", 'F', 4, 2, 0, 1, 0, 0},
        {"DFLOAT", 'G', 4, 2, 0, 1, 0, 0},
    };
    ASSERT_EQ(OvbEngines().Count(), 7);
    for (int i = 0; i < 7; ++i) {
        const auto& x = expected[i];
        auto e = OvbEngines().Items(i).EngineClass();
        SCOPED_TRACE(x.name);
        EXPECT_EQ(e->GetTypeName(), x.name);
        EXPECT_EQ(e->GetTypeLetter(), x.letter);
        EXPECT_EQ(e->Letter, x.letter);
        EXPECT_EQ(e->Size, x.size);
        EXPECT_EQ(e->RegCount, x.regs);
        EXPECT_EQ(e->IsInteger, x.isInt);
        EXPECT_EQ(e->IsFloat, x.isFloat);
        EXPECT_EQ(e->MaxValue, x.max);
        EXPECT_EQ(e->MinValue, x.min);
        EXPECT_EQ(e->Kind, TOvbKind::Standard);
        EXPECT_EQ(e->GetItemsText(), "");
    }
    // The common base of the floating engines has no name and no image.
    TOvbUniFloatType uni;
    EXPECT_EQ(uni.GetTypeName(), "");
    EXPECT_EQ(uni.Letter, ' ');
    EXPECT_EQ(uni.Size, 0);
    EXPECT_EQ(uni.IsFloat, 1);

    EXPECT_EQ(OvbTrueWords(), (std::vector<std::string>{"1", "YES", "TAK", "TRUE"}));
    EXPECT_EQ(OvbFalseWords(), (std::vector<std::string>{"0", "NO", "NIE", "FALSE"}));
    EXPECT_EQ(OvbDefaultByteOrder(), kOvbMotorola);
    EXPECT_EQ(OvbDefaultTypeName(), "WORD");
    EXPECT_STREQ(kOvbByteOrderNames[0], "Intel");
    EXPECT_STREQ(kOvbByteOrderNames[1], "Motorola");
    EXPECT_STREQ(kOvbKindNames[3], "POINTER");
}

TEST(OvbTypesUnit, RegistryOnlyBetweenInitAndFinalize) {
    EXPECT_THROW(OvbEngines(), platform::Exception);
    InitOvbTypes();
    EXPECT_EQ(OvbEngines().Count(), 7);
    FinalizeOvbTypes();
    EXPECT_THROW(OvbTrueWords(), platform::Exception);
}

TEST_F(OvbTypesTest, EachEngineInBothByteOrders) {
    const struct {
        const char* engine;
        TOvbVariant value;
        Bytes intel, motorola;
        std::string back;
    } cases[] = {
        {"BYTE", uint8_t{0xAB}, {0xAB}, {0xAB}, "u8:171"},
        {"BYTE", int32_t{0x1FF}, {0xFF}, {0xFF}, "u8:255"},
        {"WORD", uint16_t{0x1234}, {0x34, 0x12}, {0x12, 0x34}, "u16:4660"},
        {"WORD", std::string("4660"), {0x34, 0x12}, {0x12, 0x34}, "u16:4660"},
        {"DWORD", uint32_t{0x12345678}, {0x78, 0x56, 0x34, 0x12}, {0x12, 0x34, 0x56, 0x78}, "u32:305419896"},
        {"INT16", int16_t{-2}, {0xFE, 0xFF}, {0xFF, 0xFE}, "i16:-2"},
        {"INT32", int32_t{-2}, {0xFE, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFE}, "i32:-2"},
        {"FLOAT", 1.5, {0x00, 0x00, 0xC0, 0x3F}, {0x3F, 0xC0, 0x00, 0x00}, "dbl:1.5"},
        {"DFLOAT", 1.0, {0x01, 0x00, 0x00, 0x40}, {0x40, 0x00, 0x00, 0x01}, "dbl:1"},
        {"DFLOAT", -0.75, {0x00, 0x00, 0x00, 0xA0}, {0xA0, 0x00, 0x00, 0x00}, "dbl:-0.75"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.engine) + " " + Show(c.value));
        EXPECT_EQ(ToRaw(c.engine, c.value, kOvbIntel), c.intel);
        EXPECT_EQ(ToRaw(c.engine, c.value, kOvbMotorola), c.motorola);
        auto e = Engine(c.engine);
        EXPECT_EQ(Show(e->RawToVariant(Desc(kOvbIntel), c.intel)), c.back);
        EXPECT_EQ(Show(e->RawToVariant(Desc(kOvbMotorola), c.motorola)), c.back);
        // Any order other than 1 is Intel.
        EXPECT_EQ(ToRaw(c.engine, c.value, 7), c.intel);
    }
    // The base engine has no image and writes nothing.
    TOvbEngine base;
    Bytes raw{1, 2};
    base.VariantToRaw(Desc(1), raw, int32_t{5});
    EXPECT_EQ(raw, (Bytes{1, 2}));
    EXPECT_EQ(Show(base.RawToVariant(Desc(1), raw)), "null");
}

TEST_F(OvbTypesTest, ShortImageRaisesAndTouchesNothing) {
    for (const char* name : {"BYTE", "WORD", "DWORD", "INT16", "INT32", "FLOAT", "DFLOAT"}) {
        SCOPED_TRACE(name);
        auto e = Engine(name);
        Bytes raw(static_cast<size_t>(e->Size - 1), 0xEE);
        const Bytes before = raw;
        EXPECT_THROW(e->VariantToRaw(Desc(1), raw, int32_t{1}), platform::Exception);
        EXPECT_EQ(raw, before);
        EXPECT_THROW(e->RawToVariant(Desc(1), raw), platform::Exception);
    }
    // A longer image is used from its start.
    Bytes raw(6, 0);
    Engine("WORD")->VariantToRaw(Desc(1), raw, int32_t{0x0102});
    EXPECT_EQ(raw, (Bytes{1, 2, 0, 0, 0, 0}));
}

TEST_F(OvbTypesTest, IntegerFractions) {
    TSeparator comma(',');
    const struct {
        const char* engine;
        TOvbVariant value;
        Bytes motorola;
        const char* error;
    } cases[] = {
        {"INT16", std::string("1.0"), {0x7F, 0xFF}, ""},
        {"INT16", std::string("-1.0"), {0x80, 0x01}, ""},
        {"INT16", std::string("0.5"), {0x40, 0x00}, ""},  // 16383.5 halves to even
        {"INT16", 0.5, {0x40, 0x00}, ""},                 // a double by its value, whatever the separator
        {"INT16", -0.25, {0xE0, 0x00}, ""},               // -8191.75 rounds to -8192
        {"INT16", 3.0, {0x00, 0x03}, ""},                 // no "." in its text: an integer
        {"INT16", std::string("7"), {0x00, 0x07}, ""},
        {"INT16", int32_t{70000}, {0x11, 0x70}, ""},  // the low 16 bits
        {"INT16", std::string("1.5"), {}, "Za duża wartośc dla liczby w formacie FRAC"},
        {"INT16", 1.5, {}, "Za duża wartośc dla liczby w formacie FRAC"},
        {"INT16", std::string("0,5"), {}, "Could not convert variant value '0,5' into type Int64"},
        {"INT16", 1e20, {}, "Could not convert variant value '1E20' into type Int64"},
        {"INT16", kNan, {}, "Could not convert variant value 'NAN' into type Int64"},
        {"INT16", TOvbVariant{}, {}, "Could not convert variant value 'Null' into type Int64"},
        {"INT32", std::string("0.5"), {0x40, 0x00, 0x00, 0x00}, ""},  // 1073741823.5 halves to even
        {"INT32", 0.5, {0x40, 0x00, 0x00, 0x00}, ""},
        {"INT32", std::string("-1.0"), {0x80, 0x00, 0x00, 0x01}, ""},
        {"INT32", std::string("1.01"), {}, "Za duża wartośc dla liczby w formacie FRAC"},
        {"INT32", std::string("-5"), {0xFF, 0xFF, 0xFF, 0xFB}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.engine) + " " + Show(c.value));
        EXPECT_EQ(RawError(c.engine, c.value), c.error);
        if (!*c.error) {
            EXPECT_EQ(ToRaw(c.engine, c.value), c.motorola);
        }
    }
    {
        TSeparator dot('.');
        EXPECT_EQ(ToRaw("INT16", 0.5), (Bytes{0x40, 0x00}));
    }
}

TEST_F(OvbTypesTest, FloatsFromDoublesAndTexts) {
    const Bytes oneAndHalf{0x3F, 0xC0, 0x00, 0x00};
    const Bytes dOneAndHalf{0x60, 0x00, 0x00, 0x01};
    for (char separator : {',', '.'}) {
        TSeparator process(separator);
        SCOPED_TRACE(separator);
        EXPECT_EQ(ToRaw("FLOAT", 1.5), oneAndHalf);
        EXPECT_EQ(ToRaw("FLOAT", std::string("1.5")), oneAndHalf);
        EXPECT_EQ(ToRaw("FLOAT", int32_t{-2}), (Bytes{0xC0, 0x00, 0x00, 0x00}));
        EXPECT_EQ(RawError("FLOAT", std::string("1,5")), "Blad formatu zmiennej");
        EXPECT_EQ(ToRaw("DFLOAT", 1.5), dOneAndHalf);
        EXPECT_EQ(ToRaw("DFLOAT", std::string("1.5")), dOneAndHalf);
        EXPECT_EQ(ToRaw("DFLOAT", std::string("1,5")), dOneAndHalf);
        EXPECT_EQ(ToRaw("DFLOAT", int32_t{1}), (Bytes{0x40, 0x00, 0x00, 0x01}));
    }
    const struct {
        const char* engine;
        TOvbVariant value;
        const char* error;
    } errors[] = {
        {"FLOAT", std::string("abc"), "Blad formatu zmiennej"},
        {"FLOAT", kNan, "Blad formatu zmiennej"},
        {"FLOAT", kInf, "Blad formatu zmiennej"},
        {"FLOAT", 1e39, "Blad formatu zmiennej"},
        {"FLOAT", TOvbVariant{}, "Blad formatu zmiennej"},
        {"DFLOAT", std::string("abc"), "Blad formatu zmiennej typu real"},
        {"DFLOAT", TOvbVariant{}, "Blad formatu zmiennej typu real"},
        {"DFLOAT", kNan, "Blad formatu zmiennej"},
        {"DFLOAT", -kInf, "Blad formatu zmiennej"},
        {"DFLOAT", 1e39, "Blad formatu zmiennej"},
    };
    for (const auto& c : errors) EXPECT_EQ(RawError(c.engine, c.value), c.error) << c.engine << Show(c.value);
}

TEST_F(OvbTypesTest, DFloatPacking) {
    const float subnormal = std::numeric_limits<float>::denorm_min();
    const struct {
        double x;
        uint32_t packed;
    } cases[] = {
        {0.5, 0x40000000},
        {1.0, 0x40000001},
        {-1.0, 0xC0000001},
        {0.0, 0},
        {-0.0, 0},  // not a tiny negative number
        {0.75, 0x60000000},
        {1.0 - 1.0 / (1 << 24), 0x7FFF0000},  // the fraction bits below the mantissa dropped
        {subnormal, 0x4000FF6C},              // 0.5 * 2^-148
        {3.0 * subnormal, 0x6000FF6D},        // 0.75 * 2^-147
        {0.1, 0x6666FFFD},                    // 0.1 at single precision, bits dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(FloatToDFloat(c.x), c.packed);
    }
    for (double bad : {kNan, kInf, -kInf, 1e39, -1e39}) {
        try {
            FloatToDFloat(bad);
            ADD_FAILURE() << bad;
        } catch (const platform::EConvertError& e) {
            EXPECT_STREQ(e.what(), "Blad formatu zmiennej");
        }
    }
    // Unpacking; a value with at most 15 significant bits goes there and back unchanged.
    EXPECT_EQ(DFloatToFloat(0x40000001), 1.0);
    EXPECT_EQ(DFloatToFloat(0xC0000001), -1.0);
    EXPECT_EQ(DFloatToFloat(0x4000FF6C), subnormal);
    EXPECT_TRUE(std::isnan(DFloatToFloat(0x40007FFF)));  // exponent 32767 overflows
    EXPECT_EQ(DFloatToFloat(0x40008000), 0.0);           // exponent -32768 underflows
    EXPECT_EQ(DFloatToFloat(0), 0.0);
    for (double f : {1.25, -3.5, 0.375, 24576.0, std::ldexp(0.6875, -100), std::ldexp(-0.5, 127)})
        EXPECT_EQ(DFloatToFloat(FloatToDFloat(f)), f);

    // Values that are no finite single come back as the text NAN.
    const auto back = [](const char* engine, Bytes raw) {
        return Show(Engine(engine)->RawToVariant(Desc(1), raw));
    };
    EXPECT_EQ(back("DFLOAT", {0x40, 0x00, 0x7F, 0xFF}), "txt:NAN");
    EXPECT_EQ(back("DFLOAT", {0x40, 0x00, 0x00, 0x81}), "txt:NAN");  // 2^128
    EXPECT_EQ(back("DFLOAT", {0x40, 0x00, 0x80, 0x00}), "dbl:0");
    EXPECT_EQ(back("FLOAT", {0x7F, 0xC0, 0x00, 0x00}), "txt:NAN");
    EXPECT_EQ(back("FLOAT", {0xFF, 0x80, 0x00, 0x00}), "txt:NAN");
    EXPECT_EQ(back("FLOAT", {0x00, 0x00, 0x00, 0x01}), "dbl:1.40129846432482E-45");
}

TEST_F(OvbTypesTest, ParseNumber) {
    TOvbEngine e;
    const struct {
        const char* text;
        bool ok;
        std::string value, error;
    } cases[] = {
        {"0x1F", true, "i32:31", ""},
        {"0XFFFFFFFF", true, "i32:-1", ""},
        {"0x80000000", true, "i32:-2147483648", ""},
        {"0x123456789", false, "keep", "'0x123456789' is not a valid integer value"},
        {"0xZZ", false, "keep", "'0xZZ' is not a valid integer value"},
        {"0x", false, "keep", "'0x' is not a valid integer value"},
        {"12", true, "i32:12", ""},
        {"-12", true, "i32:-12", ""},
        {"3000000000", true, "txt:3000000000", ""},
        {"1,5", true, "txt:1.5", ""},
        {"1.5", true, "txt:1.5", ""},
        {"tak", true, "u8:1", ""},
        {"Nie", true, "u8:0", ""},
        {"", false, "keep", "Wartość jest pusta"},
        {"abc", false, "keep", "Wartość jest pusta"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TOvbVariant value = std::string("keep");
        std::string error = "old";
        EXPECT_EQ(e.ParseNumber({}, c.text, "", value, error), c.ok);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Show(value), c.value == "keep" ? "txt:keep" : c.value);
    }
}

TEST_F(OvbTypesTest, ParseBoolSelectAndPointer) {
    TOvbEngine e;
    const struct {
        const char* itemsText;
        const char* text;
        bool ok;
        std::string value;
    } bools[] = {
        {"N|Y;0|1", "n", true, "u8:0"},    {"N|Y;0|1", "0", true, "u8:0"},
        {"N|Y;0|1", "Y", true, "u8:1"},    {"N|Y;0|1", "1", true, "u8:1"},
        {"N|Y;0|1", "tak", false, "null"}, {"N|Y;0|1;a|b|c", "c", false, "null"},
        {"", "tak", true, "u8:1"},         {"", "FALSE", true, "u8:0"},
        {"", "nie", true, "u8:0"},         {"", "ŁAD", false, "null"},
    };
    for (const auto& c : bools) {
        SCOPED_TRACE(std::string(c.itemsText) + " " + c.text);
        TOvbVariant value = int32_t{9};
        std::string error = "old";
        EXPECT_EQ(e.ParseBool({}, c.text, c.itemsText, value, error), c.ok);
        EXPECT_EQ(Show(value), c.value);
        EXPECT_EQ(error, c.ok ? "old" : std::string("Nie rozpoznana wartość ") + c.text);
    }

    const struct {
        const char* itemsText;
        const char* text;
        std::string value;
    } selects[] = {
        {"A|B|C;anything", "b", "i32:1"},
        {"A|B|C;anything", "anything", "null"},
        {"A|B|C", "d", "null"},
        {"Only", "on", "i32:1"},  // one name: OFF, ON
        {"", "OFF", "i32:0"},
        {"źle|dobrze", "ŹLE", "i32:0"},  // Polish letters fold too
    };
    for (const auto& c : selects) {
        SCOPED_TRACE(std::string(c.itemsText) + " " + c.text);
        TOvbVariant value;
        std::string error = "old";
        const bool ok = e.ParseSelect({}, c.text, c.itemsText, value, error);
        EXPECT_EQ(ok, c.value != "null");
        EXPECT_EQ(Show(value), c.value);
        EXPECT_EQ(error, ok ? "" : std::string("Nie rozpoznana wartość ") + c.text);
    }

    // The engine's own list stands in for an empty itemsText.
    e.ItemsText = "x|y|z";
    TOvbVariant value;
    std::string error;
    EXPECT_TRUE(e.ParseSelect({}, "Z", "", value, error));
    EXPECT_EQ(Show(value), "i32:2");
    EXPECT_EQ(e.GetItemsText(), "");
    e.Kind = TOvbKind::Select;
    EXPECT_EQ(e.GetItemsText(), "x|y|z");

    TOvbValueDesc desc;
    value = int32_t{1};
    EXPECT_FALSE(e.ParsePointer(desc, "p", "", value, error));
    EXPECT_EQ(Show(value), "i32:1");
    desc.OnParse = [](const std::string& text) -> int32_t {
        if (text == "bad") throw platform::Exception("no such pointer");
        return static_cast<int32_t>(text.size());
    };
    EXPECT_TRUE(e.ParsePointer(desc, "four", "", value, error));
    EXPECT_EQ(Show(value), "i32:4");
    EXPECT_EQ(error, "");
    EXPECT_FALSE(e.ParsePointer(desc, "bad", "", value, error));
    EXPECT_EQ(error, "no such pointer");
}

TEST_F(OvbTypesTest, Formatting) {
    TSeparator comma(',');
    TOvbEngine e;
    EXPECT_EQ(e.FormatBool(int32_t{0}, ""), "OFF");
    EXPECT_EQ(e.FormatBool(int32_t{2}, ""), "ON");
    EXPECT_EQ(e.FormatBool(0.0, "nie|tak"), "nie");
    EXPECT_EQ(e.FormatSelect(int32_t{1}, "A|B|C"), "B");
    EXPECT_EQ(e.FormatSelect(int32_t{5}, "A|B|C"), "[Out:5]");
    EXPECT_EQ(e.FormatSelect(int32_t{3}, "A|B|C"), "[Out:3]");
    EXPECT_THROW(e.FormatSelect(int32_t{-1}, "A|B|C"), platform::Exception);
    EXPECT_EQ(e.FormatNumber({}, 2.5, "HEX"), "2,5");

    TOvbInt16Type i16;
    const struct {
        TOvbVariant value;
        const char* format;
        const char* text;
    } cases[] = {
        {int32_t{4660}, "HEX", "0x1234"},
        {int32_t{15}, "HEX", "0x000F"},
        {int32_t{-1}, "HEX", "0xFFFFFFFF"},
        {int32_t{65535}, "HEX", "0xFFFFFFFF"},  // narrowed to 16 bits first
        {int32_t{4660}, "BIN", "b00010010.00110100"},
        {int32_t{-1}, "BIN", "b11111111.11111111"},
        {int32_t{32767}, "FRAC", "0,999969482421875"},
        {int32_t{16384}, "FRAC", "0,5"},
        {int32_t{-32768}, "FRAC", "-1"},
        {int32_t{-5}, "hex", "-5"},
        {std::string("12"), "", "12"},
    };
    for (const auto& c : cases) EXPECT_EQ(i16.FormatNumber({}, c.value, c.format), c.text) << c.format;

    TOvbFloatType f;
    TOvbValueDesc desc;
    desc.Decimals = 4;
    EXPECT_EQ(f.FormatNumber(desc, 1234.5678, ""), "1235");
    EXPECT_EQ(f.FormatNumber(desc, 0.5, ""), "0,5");
    EXPECT_EQ(f.FormatNumber(desc, 123456.0, ""), "1,235E0005");
    EXPECT_EQ(f.FormatNumber(desc, std::string("NAN"), ""), "NAN");
    desc.Decimals = 15;
    EXPECT_EQ(f.FormatNumber(desc, std::string("2,25"), ""), "2,25");
}

TEST_F(OvbTypesTest, VariantConversions) {
    TSeparator comma(',');
    const struct {
        TOvbVariant value;
        const char* text;
        bool isInt;
        int64_t integer;
    } cases[] = {
        {TOvbVariant{}, "", false, 0},
        {uint8_t{7}, "7", true, 7},
        {uint16_t{65535}, "65535", true, 65535},
        {uint32_t{4294967295u}, "4294967295", true, 4294967295},
        {int16_t{-3}, "-3", true, -3},
        {int32_t{-2147483647 - 1}, "-2147483648", true, -2147483648LL},
        {2.5, "2,5", true, 2},  // halves to even
        {3.5, "3,5", true, 4},
        {-2.5, "-2,5", true, -2},
        {1e19, "1E19", false, 0},
        {kNan, "NAN", false, 0},
        {-kInf, "-INF", false, 0},
        {std::string("12"), "12", true, 12},
        {std::string("-12"), "-12", true, -12},
        {std::string("+12"), "+12", true, 12},
        {std::string("0x10"), "0x10", false, 0},
        {std::string(" 12"), " 12", false, 0},
        {std::string("1.0"), "1.0", false, 0},
        {std::string("99999999999999999999"), "99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Show(c.value));
        EXPECT_EQ(VariantToText(c.value, platform::AppFormatSettings()), c.text);
        if (c.isInt) {
            EXPECT_EQ(VariantToInt64(c.value), c.integer);
        } else {
            EXPECT_THROW(VariantToInt64(c.value), platform::EConvertError);
        }
    }
    EXPECT_EQ(VariantToDouble(std::string("2,5"), platform::AppFormatSettings()), 2.5);
    EXPECT_THROW(VariantToDouble(std::string("2.5"), platform::AppFormatSettings()), platform::EConvertError);
    EXPECT_THROW(VariantToDouble(TOvbVariant{}, platform::AppFormatSettings()), platform::EConvertError);
}

TEST(OvbTypesHelpers, TextsBitsAndBytes) {
    std::vector<std::string> list{"old"};
    SplitAtChar(";a;;b;", list, ';');
    EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
    SplitAtChar("", list, ';');
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(ByteToBinText(0xA5), "10100101");
    EXPECT_EQ(ToBinText(0x1234, 2), "00010010.00110100");
    EXPECT_EQ(ToBinText(0x01020304, 4), "00000001.00000010.00000011.00000100");
    EXPECT_EQ(SwapBytes32(0x12345678), 0x78563412u);

    uint8_t buf[4] = {};
    PutWord(1, buf, 0x1234);
    EXPECT_EQ(buf[0], 0x12);
    EXPECT_EQ(GetWord(0, buf), 0x3412);
    PutDWord(0, buf, 0x12345678);
    EXPECT_EQ(buf[0], 0x78);
    EXPECT_EQ(GetDWord(1, buf), 0x78563412u);
    EXPECT_THROW(PutDWord(0, std::span<uint8_t>(buf, 3), 1), platform::Exception);

    double x = 0;
    EXPECT_TRUE(TryTextToFloat("1.5", x));
    EXPECT_EQ(x, 1.5);
    EXPECT_TRUE(TryTextToFloat("-1,25", x));
    EXPECT_EQ(x, -1.25);
    EXPECT_FALSE(TryTextToFloat("1.5,3", x));
    EXPECT_FALSE(TryTextToFloat("INF", x));
    EXPECT_EQ(TextToFloatDot("2.5"), 2.5);
    EXPECT_THROW(TextToFloatDot("2,5"), platform::EConvertError);
    EXPECT_EQ(FloatToTextDot(0.1), "0.1");
    EXPECT_EQ(FloatToTextDot(1.0 / 3), "0.333333333333333");
}
