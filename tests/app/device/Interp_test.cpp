#include "app/device/Interp.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/Exception.h"
#include "platform/Prompts.h"

namespace app {
namespace {

TSettingDescriptor Setting(uint8_t kind, double scale = 1.0, uint8_t decimals = 0) {
    TSettingDescriptor d;
    d.Name = "Setting";
    d.Kind = kind;
    d.RegisterIndex = 3;
    d.Scale = scale;
    d.DecimalPlaces = decimals;
    return d;
}

// A parameter set as the document image keeps it: a 512-byte area, 238 bytes read.
class ParameterSet : public ::testing::Test {
protected:
    void SetUp() override {
        for (size_t i = 0; i < set.size(); ++i) set[i] = static_cast<uint8_t>(0xA0 + i % 32);
    }
    void SetWord(uint16_t w) {
        set[6] = static_cast<uint8_t>(w >> 8);
        set[7] = static_cast<uint8_t>(w);
    }
    uint16_t Word() const { return static_cast<uint16_t>(set[6] << 8 | set[7]); }
    std::string Text(const TSettingDescriptor& d, uint16_t w) {
        SetWord(w);
        return SettingToText(d, set, length);
    }
    // The word after typing text into it; every other byte must stay.
    uint16_t Typed(const TSettingDescriptor& d, const std::string& text, uint16_t before) {
        SetWord(before);
        const auto untouched = set;
        TextToSetting(d, text, length, set);
        auto expected = untouched;
        expected[6] = set[6];
        expected[7] = set[7];
        EXPECT_TRUE(set == expected) << "bytes beside the word changed by " << text;
        return Word();
    }

    std::array<uint8_t, 512> set{};
    size_t length = 238;
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope{prompts};
};

struct TextCase {
    TSettingDescriptor setting;
    uint16_t word;
    std::string text;
};

TEST_F(ParameterSet, WordsAsText) {
    const std::vector<TextCase> cases = {
        {Setting(skReal, 0.1, 1), 0x0105, "26,1"},
        {Setting(skReal, 0.01, 0), 1234, "12"},
        {Setting(skReal, 0.5, 3), 5, "2,5"},       // never padded
        {Setting(skReal, 0.01, 1), 1299, "12,9"},  // cut, not rounded to 13,0
        {Setting(skReal, 0.001, 2), 1999, "1,99"},
        {Setting(skReal, 0.1, 2), 3, "0,3"},  // 15 digits: no 0,30000000000000004
        {Setting(skReal, 1, 0), 65535, "65535"},
        {Setting(skReal, -0.5, 0), 3, "-1"},
        {Setting(skReal, 0.1, 0), 0, "0"},
        {Setting(skReal, 0.0, 2), 77, "0"},
        {Setting(skReal, 1e20, 0), 1, "1E20"},
        {Setting(skReal, 1.5e20, 0), 1, "1,5E20"},  // an exponent text is never cut
        {Setting(skReal, 1e-7, 0), 15, "1,5E-6"},
        {Setting(skReal, 1e-7, 3), 15, "1,5E-6"},
        {Setting(skYesNo), 0, "N"},
        {Setting(skYesNo), 1, "Y"},
        {Setting(skYesNo), 2, "?: 0002h"},
        {Setting(skYesNo), 0xABCD, "?: ABCDh"},
        {Setting(skVoltage), 0x00E6, "230"},
        {Setting(skVoltage), 0x4096, "15k"},
        {Setting(skVoltage), 0x80E6, "2,3k"},
        {Setting(skVoltage), 0x8096, "1,5k"},
        {Setting(skVoltage), 0x83E8, "10k"},
        {Setting(skVoltage), 0xC0E6, ""},
        {Setting(skVoltage), 0x3CE6, "230"},  // bits 10-13 are not part of the code
        {Setting(skHex), 0x1A2B, "1A2B"},
        {Setting(skHex), 0x0000, "0000"},
        {Setting(7), 0xBEEF, "BEEF"},
        {Setting(skInt), 0x1234, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(c.setting, c.word), c.text) << "kind " << int{c.setting.Kind} << " word " << c.word;
}

TEST_F(ParameterSet, AnUnreadSetShowsAndTakesNothing) {
    length = 0;
    for (uint8_t kind : {skInt, skReal, skYesNo, skVoltage, skHex}) {
        const auto d = Setting(kind, 0.1, 1);
        EXPECT_EQ(Text(d, 0x0105), "?") << int{kind};
        for (const char* text : {"26,1", "Y", "x", "231V", "FFFF", "bad"})
            EXPECT_EQ(Typed(d, text, 0x0105), 0x0105);
    }
    EXPECT_TRUE(prompts.Log.empty());
}

TEST_F(ParameterSet, AWordBeyondTheSetsBytesIsNeverTouched) {
    std::array<uint8_t, 4> small{1, 2, 3, 4};
    auto d = Setting(skHex);  // word at bytes 6 and 7
    EXPECT_EQ(SettingToText(d, small, small.size()), "?");
    TextToSetting(d, "FFFF", small.size(), small);
    EXPECT_EQ(small, (std::array<uint8_t, 4>{1, 2, 3, 4}));
    d.RegisterIndex = 1;
    EXPECT_EQ(SettingToText(d, small, small.size()), "0304");
}

struct TypedCase {
    TSettingDescriptor setting;
    std::string text;
    uint16_t before;
    uint16_t after;
};

TEST_F(ParameterSet, TextAsWords) {
    const std::vector<TypedCase> cases = {
        {Setting(skReal, 0.1, 1), "26,1", 0, 0x0105},
        {Setting(skReal, 0.1, 1), " 26,1 ", 0, 0x0105},
        {Setting(skReal, 0.1, 1), "2,61E1", 0, 0x0105},
        {Setting(skReal, 1), "2,5", 0, 2},  // halves to even
        {Setting(skReal, 1), "3,5", 0, 4},
        {Setting(skReal, 1), "-1", 0, 0xFFFF},
        {Setting(skReal, 0.1, 1), "26,", 0, 260},
        {Setting(skReal, 0.1, 1), ",5", 0, 5},
        // The grid has no thousands separator: in a text without a ",", "." is the
        // decimal mark.
        {Setting(skReal, 0.1, 1), "26.1", 0, 0x0105},
        {Setting(skReal, 0.1, 1), " 2.5 ", 0, 25},
        {Setting(skReal, 0.1, 1), ".5", 0, 5},
        {Setting(skReal, 0.1, 1), "-1.5", 0, 0xFFF1},
        {Setting(skReal, 0.1, 1), "2.61E1", 0, 0x0105},
        {Setting(skReal, 1), "2.5", 0, 2},
        {Setting(skYesNo), "yes", 0, 1},
        {Setting(skYesNo), "T", 0, 1},
        {Setting(skYesNo), "t", 0, 1},
        {Setting(skYesNo), "Y", 0, 1},
        {Setting(skYesNo), "No", 1, 0},
        {Setting(skYesNo), "n", 1, 0},
        {Setting(skVoltage), "230", 0, 0x00E6},
        {Setting(skVoltage), "231V", 0, 0x00E8},
        {Setting(skVoltage), "230v", 0, 0x00E6},
        {Setting(skVoltage), " 230 V ", 0, 0x00E6},
        {Setting(skVoltage), "15k", 0, 0x4096},
        {Setting(skVoltage), "1,5k", 0, 0x8096},
        {Setting(skVoltage), "1.5k", 0, 0x8096},
        {Setting(skVoltage), "1,5kV", 0, 0x8096},
        {Setting(skVoltage), "15k V", 0, 0x4096},
        {Setting(skVoltage), "15kv", 0, 0x4096},
        {Setting(skVoltage), "0,1k", 0, 0x0064},
        {Setting(skVoltage), "9999", 0, 0x83E8},
        {Setting(skVoltage), "230.4", 0, 0x00E6},
        {Setting(skHex), "12345", 0, 0x1234},
        {Setting(skHex), "1A2B", 0, 0x1A2B},
        {Setting(skHex), "1", 0xFFFF, 0x0001},
        {Setting(skHex), "FFFF", 0, 0xFFFF},
        {Setting(skReal, 0.1), "", 0x0102, 0x0102},
        {Setting(skInt), "", 0x0102, 0x0102},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Typed(c.setting, c.text, c.before), c.after)
            << "kind " << int{c.setting.Kind} << " '" << c.text << "'";
    EXPECT_TRUE(prompts.Log.empty());
}

// The text is refused with what the setting takes, so the user, who sees the old value
// again, knows why and what to type.
TEST_F(ParameterSet, TextTheSettingDoesNotTakeRaisesWithWhatItTakesAndLeavesTheWord) {
    struct Case {
        TSettingDescriptor setting;
        std::string text;
        bool range;  // ESettingRangeError
        std::string message;
    };
    const std::string tenths = " is not a number for this setting: -3276,8 to 6553,5";
    const std::string voltage =
        " is not a voltage for this setting: 100 to 99500 V, as 230, 231V, 15k or 1,5k";
    const std::string outOfVolts = " is out of range for this setting: 100 to 99500 V";
    const std::string hex =
        " is not a hexadecimal number for this setting: 0000 to FFFF, digits 0 to 9 and A to F";
    const std::vector<Case> cases = {
        {Setting(skReal, 0.1), "abc", false, "'abc'" + tenths},
        {Setting(skReal, 0.1), "26.1.0", false, "'26.1.0'" + tenths},
        // Beside a ",", a "." is no decimal mark.
        {Setting(skReal, 0.1), "2,6.1", false, "'2,6.1'" + tenths},
        {Setting(skReal, 0.1), "1 000", false, "'1 000'" + tenths},
        {Setting(skReal, 1), "1E999", false, "'1E999' is not a number for this setting: -32768 to 65535"},
        {Setting(skReal, 0.0), "1", false, "'1' cannot be stored with the scale of this setting"},
        {Setting(skReal, 1e-300), "1E300", true,
         "'1E300' is out of range for this setting: -3,2768E-296 to 6,5535E-296"},
        {Setting(skReal, 1), "1E19", true, "'1E19' is out of range for this setting: -32768 to 65535"},
        {Setting(skVoltage), "abc", false, "'abc'" + voltage},
        {Setting(skVoltage), "k", false, "'k'" + voltage},
        {Setting(skVoltage), "15K", false, "'15K'" + voltage},
        {Setting(skVoltage), "1,5.0k", false, "'1,5.0k'" + voltage},
        // Digits after the unit would be dropped: "1k5" would be stored as 1 kV.
        {Setting(skVoltage), "1k5", false, "'1k5'" + voltage},
        {Setting(skVoltage), "230V5", false, "'230V5'" + voltage},
        {Setting(skVoltage), "230v5", false, "'230v5'" + voltage},
        {Setting(skVoltage), "1,5kV0", false, "'1,5kV0'" + voltage},
        {Setting(skVoltage), "15kk", false, "'15kk'" + voltage},
        {Setting(skVoltage), "230V 5", false, "'230V 5'" + voltage},
        {Setting(skVoltage), "231VV", false, "'231VV'" + voltage},
        {Setting(skVoltage), "50", true, "'50'" + outOfVolts},
        {Setting(skVoltage), "99600", true, "'99600'" + outOfVolts},
        {Setting(skVoltage), "1e300", true, "'1e300'" + outOfVolts},
        {Setting(skVoltage), "-230", true, "'-230'" + outOfVolts},
        // Hexadecimal digits are capitals, as the device's texts.
        {Setting(skHex), "1a2b", false, "'1a2b'" + hex},
        {Setting(skHex), " 1", false, "' 1'" + hex},
        {Setting(skHex),
         "\xC4\x85"
         "123",
         false,
         "'\xC4\x85"
         "123'" +
             hex},
        {Setting(skInt), "123", false, "'123' cannot be stored: this setting takes no typed value"},
    };
    for (const auto& c : cases) {
        SetWord(0x5A5A);
        try {
            TextToSetting(c.setting, c.text, length, set);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const platform::EConvertError& e) {
            EXPECT_EQ(dynamic_cast<const ESettingRangeError*>(&e) != nullptr, c.range) << c.text;
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(Word(), 0x5A5A) << c.text;
    }
    EXPECT_TRUE(prompts.Log.empty());
}

TEST(TextToVoltageCode, AVoltageOutsideTheDevicesRangeLeavesTheWord) {
    for (const char* text : {"50", "99600", "1e300", "-230"}) {
        uint16_t word = 0x1234;
        TextToVoltageCode(text, word);
        EXPECT_EQ(word, 0x1234) << text;
    }
    uint16_t word = 0;
    EXPECT_THROW(TextToVoltageCode("abc", word), platform::EConvertError);
    EXPECT_THROW(TextToVoltageCode("1k5", word), platform::EConvertError);
    EXPECT_EQ(word, 0);
}

// The scaled, rounded number must fit one word, as a signed or an unsigned value;
// otherwise only its low 16 bits would reach the device.
TEST_F(ParameterSet, ARealNoWordHoldsIsRefusedAndLeavesTheWord) {
    struct Case {
        TSettingDescriptor setting;
        std::string text;
        int32_t stored;  // -1: refused
    };
    const auto one = Setting(skReal, 1);
    const auto tenth = Setting(skReal, 0.1, 1);
    const auto half = Setting(skReal, 0.5, 1);
    const auto negative = Setting(skReal, -1);
    const std::vector<Case> cases = {
        {one, "-32769", -1},       {one, "-32768", 0x8000},      {one, "-32767,5", 0x8000},
        {one, "-32768,5", 0x8000}, {one, "-32768,51", -1},       {one, "65535", 0xFFFF},
        {one, "65535,4", 0xFFFF},  {one, "65534,5", 0xFFFE},     {one, "65535,5", -1},
        {one, "65536", -1},        {one, "99999", -1},           {one, "-1E19", -1},
        {tenth, "6553,5", 0xFFFF}, {tenth, "-3276,8", 0x8000},   {tenth, "6553,6", -1},
        {tenth, "-3276,9", -1},    {tenth, "99999", -1},         {half, "32767,25", 0xFFFE},
        {half, "32767,75", -1},    {negative, "-65535", 0xFFFF}, {negative, "32768", 0x8000},
        {negative, "32769", -1},   {negative, "-65536", -1},
    };
    for (const Case& c : cases) {
        SetWord(0x5A5A);
        try {
            TextToSetting(c.setting, c.text, length, set);
            EXPECT_EQ(Word(), c.stored) << c.text;
        } catch (const ESettingRangeError&) {
            EXPECT_EQ(c.stored, -1) << c.text;
            EXPECT_EQ(Word(), 0x5A5A) << c.text;
        }
    }
    const std::pair<TSettingDescriptor, std::string> messages[] = {
        {one, "'99999' is out of range for this setting: -32768 to 65535"},
        {tenth, "'99999' is out of range for this setting: -3276,8 to 6553,5"},
        {negative, "'99999' is out of range for this setting: -65535 to 32768"},
    };
    for (const auto& [setting, message] : messages) {
        try {
            TextToSetting(setting, "99999", length, set);
            ADD_FAILURE() << message;
        } catch (const platform::EConvertError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    // Every whole number one word holds is taken, negatives as two's complement.
    for (int32_t n = -32768; n <= 65535; ++n)
        ASSERT_EQ(Typed(one, std::to_string(n), 0x5A5A), static_cast<uint16_t>(n)) << n;
    EXPECT_TRUE(prompts.Log.empty());
}

TEST_F(ParameterSet, OtherLettersForYesNoAreRejectedWithAMessage) {
    for (const char* text : {"0", "x", " y", "1"}) EXPECT_EQ(Typed(Setting(skYesNo), text, 1), 1) << text;
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>(4, "Allowable values: [Y/N]"));
}

TEST_F(ParameterSet, ShownTextsReadBackAsTheSameWord) {
    const std::vector<TSettingDescriptor> settings = {Setting(skReal, 0.1, 1), Setting(skReal, 1, 0),
                                                      Setting(skHex)};
    for (const auto& d : settings)
        for (uint32_t w = 0; w <= 0xFFFF; ++w) {
            const std::string text = Text(d, static_cast<uint16_t>(w));
            ASSERT_EQ(Typed(d, text, static_cast<uint16_t>(w ^ 0x5555)), w) << text;
        }
    for (uint16_t w : {0, 1}) EXPECT_EQ(Typed(Setting(skYesNo), Text(Setting(skYesNo), w), w ^ 1), w);
}

int VoltsOf(uint16_t code) {
    const int count = code & 0x03FF;
    return code & 0x8000 ? count * 10 : code & 0x4000 ? count * 100 : count;
}

TEST_F(ParameterSet, EveryVoltageCodeReadsBackAsTheSameVoltage) {
    // 996..999 V step up to the count 1000 in volts, which reads back as 100 tens: the
    // same voltage in another decade.
    const auto d = Setting(skVoltage);
    for (int volts = 100; volts <= 99500; ++volts) {
        uint16_t code = 0;
        TextToVoltageCode(std::to_string(volts), code);
        ASSERT_NE(code, 0) << volts;
        const std::string text = Text(d, code);
        ASSERT_EQ(VoltsOf(Typed(d, text, 0)), VoltsOf(code)) << volts << " V shown as " << text;
    }
}

TEST(NormaliseVoltage, StepsAndBorders) {
    struct Case {
        int32_t volts;
        int32_t count;
        int decade;
        int status;
    };
    const std::vector<Case> cases = {
        {99, 99, 7, -1},       {100, 100, 0, 0},      {199, 199, 0, 0},   {200, 200, 0, 0},
        {201, 202, 0, 0},      {497, 498, 0, 0},      {498, 498, 0, 0},   {499, 500, 0, 0},
        {501, 505, 0, 0},      {995, 995, 0, 0},      {996, 1000, 0, 0},  {997, 1000, 0, 0},
        {998, 1000, 0, 0},     {999, 1000, 0, 0},     {1000, 100, 1, 0},  {1999, 199, 1, 0},
        {2019, 202, 1, 0},     {9999, 1000, 1, 0},    {10000, 100, 2, 0}, {99500, 995, 2, 0},
        {99501, 99501, 7, -1}, {99600, 99600, 7, -1}, {-5, -5, 7, -1},
    };
    for (const auto& c : cases) {
        int32_t volts = c.volts;
        int decade = 7;  // stays when the volts are out of range
        int status = 9;
        NormaliseVoltage(volts, decade, status);
        EXPECT_EQ(status, c.status) << c.volts;
        EXPECT_EQ(volts, c.count) << c.volts;
        EXPECT_EQ(decade, c.decade) << c.volts;
    }
}

TEST(VoltageBand, IndexAndText) {
    struct Case {
        uint8_t a, b;
        int index;
        std::string text;
    };
    const std::vector<Case> cases = {
        {0x0F, 0x00, 8, "VR>Vr"},       {0x01, 0x03, 6, "Vl<VR<0.9Vr"}, {0x08, 0x00, 4, "VR<Vlt"},
        {0x00, 0x00, 4, "VR<Vlt"},      {0x00, 0x01, 5, "Vlt<VR<Vl"},   {0x0B, 0x00, 7, "0.9Vr<VR<Vr"},
        {0x07, 0x00, 6, "Vl<VR<0.9Vr"},  // bit 2 is above Vr: counted after bit 3
        {0xF1, 0x40, 5, "Vlt<VR<Vl"},    // the high bits are no part of the state
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VoltageBandIndex(c.a, c.b), c.index) << int{c.a} << "," << int{c.b};
        EXPECT_EQ(VoltageBandText(c.a, c.b, "VR"), c.text);
    }
}

}  // namespace
}  // namespace app
