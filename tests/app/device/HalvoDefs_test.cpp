#include "app/device/HalvoDefs.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/app/device/DeviceFixtures.h"

namespace app {
namespace {

using test::TTempDir;

class HalvoDefsTest : public ::testing::Test {
protected:
    // Loads a ".set" text written into the scratch directory.
    THalvoDefs& Load(const std::string& text, const std::string& name = "x.set") {
        defs.LoadFromFile(dir.Write(name, text));
        return defs;
    }
    TSettingDescriptor Setting(int n, int m) const {
        const TSets* s = defs.GetSection(n);
        return s ? s->GetSetting(m) : TSettingDescriptor{};
    }

    TTempDir dir;
    THalvoDefs defs;
};

void ExpectDefaultMap(const THalvoDefs& d) {
    EXPECT_EQ(d.ZnsSize, 119);
    EXPECT_EQ(d.ZnsSendStep, 119);
    EXPECT_EQ(d.Zns1Address, 2177);
    EXPECT_EQ(d.Zns2Address, 2433);
    EXPECT_EQ(d.EvBufFirstReg, 4001);
    EXPECT_EQ(d.EvBufLastReg, 4032);
    EXPECT_EQ(d.DiCorrection, -5);
    EXPECT_EQ(d.DoCorrection, 15);
    EXPECT_EQ(d.AiCorrection, -30);
    EXPECT_FALSE(d.ImplementsSysLogick);
    EXPECT_EQ(d.SectionCount(), 0);
}

TEST_F(HalvoDefsTest, EmptyOrMissingFileGivesTheDefaultMap) {
    Load("");
    ExpectDefaultMap(defs);
    EXPECT_EQ(defs.LoadedFileName, dir.File("x.set"));

    THalvoDefs missing;
    missing.LoadFromFile(dir.File("none.set"));
    ExpectDefaultMap(missing);
    EXPECT_EQ(missing.DefinitionsFileName, dir.File("none.set"));
}

TEST_F(HalvoDefsTest, FreshDefinitionsAreEmpty) {
    EXPECT_EQ(defs.ZnsSize, 0);
    EXPECT_EQ(defs.Zns1Address, 0);
    EXPECT_EQ(defs.SectionCount(), 0);
    EXPECT_EQ(defs.GetSection(1), nullptr);
    EXPECT_EQ(defs.GetSectionTitle(1), "");
    EXPECT_EQ(defs.LoadedFileName, "");
}

struct GlobalCase {
    const char* Text;
    int32_t ZnsSize, ZnsSendStep;
    uint16_t Zns1Address;
    int8_t DiCorrection;
    bool SysLogick;
    friend void PrintTo(const GlobalCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Text); }
};

class HalvoDefsGlobalTest : public HalvoDefsTest, public ::testing::WithParamInterface<GlobalCase> {};

TEST_P(HalvoDefsGlobalTest, ReadsTheRegisterMap) {
    const GlobalCase& c = GetParam();
    Load(c.Text);
    EXPECT_EQ(defs.ZnsSize, c.ZnsSize);
    EXPECT_EQ(defs.ZnsSendStep, c.ZnsSendStep);
    EXPECT_EQ(defs.Zns1Address, c.Zns1Address);
    EXPECT_EQ(defs.DiCorrection, c.DiCorrection);
    EXPECT_EQ(defs.ImplementsSysLogick, c.SysLogick);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HalvoDefsGlobalTest,
    ::testing::Values(
        // The send step follows the size read in the same load.
        GlobalCase{"[GLOBAL]\nZNS_SIZE=100\n", 100, 100, 2177, -5, false},
        GlobalCase{"[GLOBAL]\nZNS_SIZE=100\nZNS_SEND_STEP=25\n", 100, 25, 2177, -5, false},
        // Names in any case, values trimmed, hexadecimal.
        GlobalCase{"[global]\n  zns_size = 0x40 \nzns1_adres=0x1000\nimplementssyslogick=1\n", 64, 64, 4096,
                   -5, true},
        // Only the low bits stay: 70000 is 0x11170, 200 is -56 as a signed byte.
        GlobalCase{"[GLOBAL]\nZNS1_ADRES=70000\nDI_correction=200\n", 119, 119, 0x1170, -56, false},
        // Unreadable or empty values take the default; the first key wins.
        GlobalCase{"[GLOBAL]\nZNS_SIZE=abc\nZNS1_ADRES=\nImplementsSysLogick=2\n", 119, 119, 2177, -5, true},
        GlobalCase{"[GLOBAL]\nZNS_SIZE=50\nZNS_SIZE=60\n", 50, 50, 2177, -5, false},
        // Only the first GLOBAL section is read.
        GlobalCase{"[GLOBAL]\nZNS_SIZE=50\n[Global]\nZNS_SIZE=60\nZNS1_ADRES=5\n", 50, 50, 2177, -5, false},
        // A key outside GLOBAL does not count.
        GlobalCase{"[OTHER]\nZNS_SIZE=50\n", 119, 119, 2177, -5, false}));

TEST_F(HalvoDefsTest, SectionsEndAtTheFirstMissingOne) {
    Load(
        "[SECTION_1]\nX1_NAME=a\nX2_NAME=b\n"
        "[SECTION_3]\nX1_NAME=c\n");
    ASSERT_EQ(defs.SectionCount(), 1);
    EXPECT_EQ(defs.GetSection(1)->Count(), 2);
}

TEST_F(HalvoDefsTest, OnlyTheFirstSectionOfANumberCounts) {
    Load("[SECTION_1]\nX1_NAME=a\nX1_NAME=z\n[section_1]\nX2_NAME=b\n[SECTION_2]\nX1_NAME=c\n");
    ASSERT_EQ(defs.SectionCount(), 2);
    EXPECT_EQ(defs.GetSection(1)->Count(), 1);
    EXPECT_EQ(Setting(1, 1).Name, "a");
}

TEST_F(HalvoDefsTest, ASectionWithoutX1EndsTheSections) {
    Load("[SECTION_1]\nX1_NAME=a\n[SECTION_2]\nTITLE=t\nX2_NAME=b\n[SECTION_3]\nX1_NAME=c\n");
    EXPECT_EQ(defs.SectionCount(), 1);
}

TEST_F(HalvoDefsTest, SettingsEndAtTheFirstMissingNameAnEmptyNameStillCounts) {
    Load("[SECTION_1]\nX1_NAME=\nX2_NAME=b\nX4_NAME=d\n");
    ASSERT_NE(defs.GetSection(1), nullptr);
    EXPECT_EQ(defs.GetSection(1)->Count(), 2);
    EXPECT_EQ(Setting(1, 1).Name, "");
    EXPECT_EQ(Setting(1, 2).Name, "b");
}

TEST_F(HalvoDefsTest, RegisterCounterRunsAcrossSections) {
    Load(
        "[SECTION_1]\nX1_NAME=a\nX1_OFFSET=10\nX2_NAME=b\n"
        "[SECTION_2]\nX1_NAME=c\nX2_NAME=d\nX2_OFFSET=0x20\nX3_NAME=e\n");
    EXPECT_EQ(Setting(1, 1).RegisterIndex, 9);
    EXPECT_EQ(Setting(1, 2).RegisterIndex, 10);
    EXPECT_EQ(Setting(2, 1).RegisterIndex, 11);
    EXPECT_EQ(Setting(2, 2).RegisterIndex, 31);
    EXPECT_EQ(Setting(2, 3).RegisterIndex, 32);
}

TEST_F(HalvoDefsTest, WithoutOffsetsRegistersCountFromOne) {
    Load("[SECTION_1]\nX1_NAME=a\nX2_NAME=b\n[SECTION_2]\nX1_NAME=c\n");
    EXPECT_EQ(Setting(1, 1).RegisterIndex, 0);
    EXPECT_EQ(Setting(1, 2).RegisterIndex, 1);
    EXPECT_EQ(Setting(2, 1).RegisterIndex, 2);
}

// A large file of many look-alike keys: every setting of every section as written.
TEST_F(HalvoDefsTest, ManySettingsLoadAsWritten) {
    constexpr int kSections = 4, kPerSection = 150;
    static const char* const kTypes[] = {"INT", "REAL", "Y/N", "UN", "HEX"};
    static const uint8_t kKinds[] = {skInt, skReal, skYesNo, skVoltage, skHex};
    std::string text = "[GLOBAL]\r\nZNS_SIZE=600\r\n";
    for (int n = 1; n <= kSections; ++n) {
        text += "[SECTION_" + std::to_string(n) + "]\r\nTITLE=T" + std::to_string(n) + "\r\n";
        for (int m = 1; m <= kPerSection; ++m) {
            const std::string x = "X" + std::to_string(m);
            text += x + "_NAME=S" + std::to_string(n) + "." + std::to_string(m) + "\r\n" + x +
                    "_TYPE=" + kTypes[m % 5] + "\r\n" + x + "_DEC_PLACES=" + std::to_string(m % 7) + "\r\n";
            if (m == 100) text += x + "_OFFSET=1\r\n";  // the counter starts again from here
        }
    }
    Load(text);
    ASSERT_EQ(defs.SectionCount(), kSections);
    uint16_t counter = 1;
    for (int n = 1; n <= kSections; ++n) {
        ASSERT_NE(defs.GetSection(n), nullptr) << n;
        EXPECT_EQ(defs.GetSectionTitle(n), std::to_string(n) + ". T" + std::to_string(n));
        ASSERT_EQ(defs.GetSection(n)->Count(), kPerSection) << n;
        for (int m = 1; m <= kPerSection; ++m, ++counter) {
            if (m == 100) counter = 1;
            const TSettingDescriptor d = Setting(n, m);
            ASSERT_EQ(d.Name, "S" + std::to_string(n) + "." + std::to_string(m));
            ASSERT_EQ(d.Kind, kKinds[m % 5]) << d.Name;
            ASSERT_EQ(d.DecimalPlaces, m % 7) << d.Name;
            ASSERT_EQ(d.RegisterIndex, static_cast<uint8_t>(counter - 1)) << d.Name;
        }
    }
}

struct SettingCase {
    const char* Keys;  // keys of X1 in SECTION_1 besides its name
    uint8_t Kind;
    double Scale;
    uint8_t DecimalPlaces;
    const char* Unit;
    friend void PrintTo(const SettingCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.Keys); }
};

class HalvoDefsSettingTest : public HalvoDefsTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(HalvoDefsSettingTest, ReadsTheDescriptor) {
    const SettingCase& c = GetParam();
    Load(std::string("[SECTION_1]\nX1_NAME=n\n") + c.Keys);
    const TSettingDescriptor d = Setting(1, 1);
    EXPECT_EQ(d.Kind, c.Kind);
    EXPECT_DOUBLE_EQ(d.Scale, c.Scale);
    EXPECT_EQ(d.DecimalPlaces, c.DecimalPlaces);
    EXPECT_EQ(d.Unit, c.Unit);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HalvoDefsSettingTest,
    ::testing::Values(
        SettingCase{"", skHex, 1.0, 0, ""},  // no TYPE key: hexadecimal
        SettingCase{"X1_TYPE=real\n", skReal, 1.0, 0, ""}, SettingCase{"X1_TYPE=bool\n", skHex, 1.0, 0, ""},
        SettingCase{"X1_TYPE=y/n\n", skYesNo, 1.0, 0, ""}, SettingCase{"X1_TYPE=Un\n", skVoltage, 1.0, 0, ""},
        SettingCase{"X1_TYPE=INT\n", skInt, 1.0, 0, ""},
        SettingCase{"x1_type=REAL\nX1_BASE=0,1\nX1_DEC_PLACES=2\nX1_DIM=kV\n", skReal, 0.1, 2, "kV"},
        // "." is not the application's separator: the default stays.
        SettingCase{"X1_BASE=0.1\n", skHex, 1.0, 0, ""}, SettingCase{"X1_BASE=\n", skHex, 1.0, 0, ""},
        SettingCase{"X1_DEC_PLACES=258\n", skHex, 1.0, 2, ""},
        SettingCase{"X1_DIM=Volts\n", skHex, 1.0, 0, "Volt"}));

TEST_F(HalvoDefsTest, LongNamesAreCutByCharacters) {
    // Code page 1250: 0xB3 is "ł", 0x9C "ś".
    Load(
        "[SECTION_1]\nX1_NAME=abcdefghijklmnopqrstuvwxy\nX2_NAME=\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3"
        "\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\xB3\nX2_DIM=\x9C\x9C\x9C\x9C\x9C\x9C\n");
    EXPECT_EQ(Setting(1, 1).Name, "abcdefghijklmnopqrst");
    std::string twentyL;
    for (int i = 0; i < 20; ++i) twentyL += "ł";
    EXPECT_EQ(Setting(1, 2).Name, twentyL);
    EXPECT_EQ(Setting(1, 2).Unit, "śśśś");
}

TEST_F(HalvoDefsTest, FileWithByteOrderMarkIsUtf8) {
    Load("\xEF\xBB\xBF[SECTION_1]\nTITLE=Napięcia\nX1_NAME=Próg\n");
    EXPECT_EQ(defs.GetSectionTitle(1), "1. Napięcia");
    EXPECT_EQ(Setting(1, 1).Name, "Próg");
}

TEST_F(HalvoDefsTest, SectionTitlesCarryTheirNumber) {
    Load("[SECTION_1]\nX1_NAME=a\n[SECTION_2]\nTITLE=Voltages\nX1_NAME=b\n");
    EXPECT_EQ(defs.GetSectionTitle(1), "1. ");
    EXPECT_EQ(defs.GetSectionTitle(2), "2. Voltages");
    EXPECT_EQ(defs.GetSectionTitle(3), "");
    EXPECT_EQ(defs.GetSectionTitle(0), "");
}

TEST_F(HalvoDefsTest, TheSamePathIsReadOnceEvenWrittenDifferently) {
    Load("[GLOBAL]\nZNS_SIZE=10\n", "a.set");
    dir.Write("a.set", "[GLOBAL]\nZNS_SIZE=20\n");
    defs.LoadFromFile(dir.File("a.set"));
    EXPECT_EQ(defs.ZnsSize, 10);
    defs.LoadFromFile(dir.Path() + "//./a.set");
    EXPECT_EQ(defs.ZnsSize, 10);
    defs.LoadFromFile(dir.Write("b.set", "[GLOBAL]\nZNS_SIZE=30\n"));
    EXPECT_EQ(defs.ZnsSize, 30);
}

TEST_F(HalvoDefsTest, ANewFileReplacesEverything) {
    Load("[GLOBAL]\nZNS_SIZE=10\n[SECTION_1]\nX1_NAME=a\n[SECTION_2]\nX1_NAME=b\n", "a.set");
    ASSERT_EQ(defs.SectionCount(), 2);
    Load("[SECTION_1]\nTITLE=t\nX1_NAME=c\n", "b.set");
    EXPECT_EQ(defs.ZnsSize, 119);
    ASSERT_EQ(defs.SectionCount(), 1);
    EXPECT_EQ(defs.GetSectionTitle(1), "1. t");
    EXPECT_EQ(Setting(1, 1).Name, "c");
}

TEST(TSetsTest, SetSettingFillsGapsWithDefaults) {
    TSets sets;
    TSettingDescriptor d;
    d.Name = "third";
    d.Kind = skReal;
    sets.SetSetting(3, d);
    sets.SetSetting(0, d);
    sets.SetSetting(-1, d);
    ASSERT_EQ(sets.Count(), 3);
    for (int m : {1, 2}) {
        EXPECT_EQ(sets.GetSetting(m).Name, "");
        EXPECT_EQ(sets.GetSetting(m).Kind, skHex);
    }
    EXPECT_EQ(sets.GetSetting(3).Name, "third");
    d.Name = "first";
    sets.SetSetting(1, d);
    EXPECT_EQ(sets.GetSetting(1).Name, "first");
    EXPECT_EQ(sets.Count(), 3);
    for (int m : {0, 4, -7}) EXPECT_EQ(sets.GetSetting(m).Kind, skHex) << m;
    sets.Clear();
    EXPECT_EQ(sets.Count(), 0);
}

TEST(THalvoDefsSections, TitlesAndSettingsOfSections) {
    THalvoDefs defs;
    defs.SetSectionTitle(3, "c");
    ASSERT_EQ(defs.SectionCount(), 3);
    EXPECT_EQ(defs.GetSectionTitle(1), "");
    EXPECT_EQ(defs.GetSectionTitle(3), "c");
    EXPECT_EQ(defs.GetSection(3), nullptr);  // no settings yet

    TSettingDescriptor d;
    d.Name = "s";
    defs.AddSetting(3, 1, d);
    defs.AddSetting(4, 1, d);  // beyond the sections: nothing
    EXPECT_EQ(defs.SectionCount(), 3);
    ASSERT_NE(defs.GetSection(3), nullptr);

    defs.SetSectionTitle(3, "c");  // same title: settings stay
    ASSERT_NE(defs.GetSection(3), nullptr);
    EXPECT_EQ(defs.GetSection(3)->Count(), 1);
    defs.SetSectionTitle(3, "other");  // another title: an empty section in place
    EXPECT_EQ(defs.GetSection(3), nullptr);
    EXPECT_EQ(defs.GetSectionTitle(3), "other");
    EXPECT_EQ(defs.SectionCount(), 3);

    defs.Clear();
    EXPECT_EQ(defs.SectionCount(), 0);
}

TEST(THalvoDefsMap, ParsetAddressesAndCorrections) {
    THalvoDefs defs;
    defs.Zns1Address = 100;
    defs.Zns2Address = 200;
    defs.DiCorrection = -5;
    defs.DoCorrection = 15;
    defs.AiCorrection = -30;
    const std::vector<std::pair<int, int>> addresses{{1, 100}, {2, 200}, {0, 0}, {3, 0}};
    for (auto [k, a] : addresses) EXPECT_EQ(defs.ParsetAddress(k), a) << k;
    const std::vector<std::pair<int, int>> corrections{{1, -5}, {2, 15}, {3, -30}, {0, 0}, {4, 0}};
    for (auto [c, ms] : corrections) EXPECT_EQ(defs.IoCorrection(c), ms) << c;
}

// The definitions that ship with the program.
struct ShippedCase {
    const char* File;
    bool SysLogick;
    friend void PrintTo(const ShippedCase& c, std::ostream* os) { *os << c.File; }
};

class ShippedDefinitionsTest : public ::testing::TestWithParam<ShippedCase> {};

TEST_P(ShippedDefinitionsTest, UseTheDefaultMapAndEveryKind) {
    const auto [name, sysLogick] = GetParam();
    const std::string path = std::string(HALVO_BIN_DIR) + "/" + name;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    THalvoDefs defs;
    defs.LoadFromFile(path);
    EXPECT_EQ(defs.ZnsSize, 119);
    EXPECT_EQ(defs.ZnsSendStep, 119);
    EXPECT_EQ(defs.Zns1Address, 2177);
    EXPECT_EQ(defs.Zns2Address, 2433);
    EXPECT_EQ(defs.EvBufFirstReg, 4001);
    EXPECT_EQ(defs.EvBufLastReg, 4032);
    EXPECT_EQ(defs.ImplementsSysLogick, sysLogick);
    ASSERT_GE(defs.SectionCount(), 3);

    std::set<uint8_t> kinds, registers;
    int settings = 0;
    for (int n = 1; n <= defs.SectionCount(); ++n) {
        const TSets* sets = defs.GetSection(n);
        ASSERT_NE(sets, nullptr) << n;
        EXPECT_GT(defs.GetSectionTitle(n).size(), 3u) << n;
        for (int m = 1; m <= sets->Count(); ++m, ++settings) {
            const TSettingDescriptor d = sets->GetSetting(m);
            EXPECT_FALSE(d.Name.empty()) << n << "/" << m;
            EXPECT_LE(d.Name.size(), 20u);
            EXPECT_LT(d.RegisterIndex, defs.ZnsSize) << d.Name;
            if (d.Kind == skReal) {
                EXPECT_GT(d.Scale, 0.0) << d.Name;
            }
            kinds.insert(d.Kind);
            registers.insert(d.RegisterIndex);
        }
    }
    EXPECT_EQ(kinds, (std::set<uint8_t>{skInt, skReal, skYesNo, skVoltage, skHex}));
    EXPECT_EQ(static_cast<int>(registers.size()), settings) << "two settings share a register";
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedDefinitionsTest,
                         ::testing::Values(ShippedCase{"Vesk2.set", false}, ShippedCase{"Vesk3.set", true}),
                         [](const auto& info) { return std::string(info.param.File).substr(0, 5); });

}  // namespace
}  // namespace app
