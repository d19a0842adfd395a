#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "dcomp/DcompInit.h"
#include "dcomp/FileSignatureUnit.h"
#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/PwComp/ExtIniFileUnit.h"
#include "dcomp/PwComp/MeasListUnit.h"
#include "dcomp/TimeFormats.h"
#include "dcomp/XMeasBoxCpx.h"
#include "platform/Exception.h"
#include "tests/dcomp/DcompTest.h"

using namespace dcomp;
using dcomp_test::TUnitsTest;

using SmallUnitsTest = TUnitsTest;

TEST_F(SmallUnitsTest, MeasListRowsAndScales) {
    const struct {
        double limit;
        int valid, exponent, intDigits, decDigits;
        std::string prefix;
        bool showPoint;
        double scale;
    } rows[] = {
        {0, 0, 0, 0, 0, "", true, 1},         {0.01, 1, 3, 1, 3, "m", true, 1000},
        {0.1, 1, 3, 2, 2, "m", true, 1000},   {1, 1, 3, 3, 1, "m", true, 1000},
        {10, 1, 0, 1, 3, "", true, 1},        {100, 1, 0, 2, 2, "", true, 1},
        {1000, 1, 0, 3, 1, "", true, 1},      {1000, 1, 0, 4, 0, "", false, 1},
        {1e4, 1, -3, 1, 3, "k", true, 0.001}, {1e5, 1, -3, 2, 2, "k", true, 0.001},
        {1e6, 1, -3, 3, 1, "k", true, 0.001}, {1e6, 1, -3, 4, 0, "k", false, 0.001},
        {1e7, 1, -6, 1, 3, "M", true, 1e-6},  {1e8, 1, -6, 2, 2, "M", true, 1e-6},
        {1e48, 1, -6, 3, 1, "M", true, 1e-6},
    };
    const std::vector<TKnvInfo>& table = KnvInfoTable();
    ASSERT_EQ(table.size(), std::size(rows));
    for (size_t i = 0; i < table.size(); ++i) {
        const TKnvInfo& k = table[i];
        EXPECT_EQ(k.Limit, rows[i].limit) << i;
        EXPECT_EQ(k.Valid, rows[i].valid) << i;
        EXPECT_EQ(k.Exponent, rows[i].exponent) << i;
        EXPECT_EQ(k.IntDigits, rows[i].intDigits) << i;
        EXPECT_EQ(k.DecDigits, rows[i].decDigits) << i;
        EXPECT_EQ(k.Prefix, rows[i].prefix) << i;
        EXPECT_TRUE(k.Enabled) << i;
        EXPECT_EQ(k.ShowPoint, rows[i].showPoint) << i;
        EXPECT_EQ(k.Scale, rows[i].scale) << i;
    }
}

TEST_F(SmallUnitsTest, SmallUnitsConstantsAndValues) {
    EXPECT_EQ(std::string(kTimeFormats[0]), "HH:mm AM/PM");
    EXPECT_EQ(std::string(kTimeFormats[1]), "HH:mm:ss AM/PM");
    EXPECT_EQ(std::string(kTimeFormats[2]), "HH:mm");
    EXPECT_EQ(std::string(kTimeFormats[3]), "HH:mm:ss");
    EXPECT_EQ(TimeFormatValues(), (std::array<int32_t, 5>{64, 0xFFFFFF, 0xD3D3D3, 0, 0}));
    EXPECT_EQ(std::string(kXMeasBoxOnOffTexts[0]) + kXMeasBoxOnOffTexts[1] + kXMeasBoxOnOffTexts[2],
              "ONOFFONOFF");
    EXPECT_EQ(ExtIniFileFormatSettings().DecimalSeparator, '.');
    EXPECT_EQ(FileSignatureGroup()->ChildCount(), 4);
    EXPECT_EQ(XMeasBoxCpxGroup()->ChildCount(), 20);
    EXPECT_EQ(FileSignatureGroup()->Translate("TXT_FILE4"), "Data pliku uległa zmianie");
}

TEST(SmallUnitsLifetime, ReleasedAtFinalisationAndBuiltAgain) {
    int groups = 0;
    for (int round = 0; round < 2; ++round) {
        InitUnits();
        if (round == 0) groups = Dictionary().ChildCount();
        EXPECT_EQ(Dictionary().ChildCount(), groups) << round;  // not carried over from the first round
        EXPECT_EQ(KnvInfoTable().size(), 15u);
        EXPECT_NE(OvBaseGroup(), nullptr);
        EXPECT_EQ(OvBaseText(TOvBaseText::DAY), "dzień");
        FinalizeUnits();

        EXPECT_EQ(OvBaseGroup(), nullptr);
        EXPECT_EQ(FileSignatureGroup(), nullptr);
        EXPECT_EQ(XMeasBoxCpxGroup(), nullptr);
        EXPECT_EQ(OvBaseText(TOvBaseText::DAY), "");
        EXPECT_TRUE(KnvInfoTable().empty());
        EXPECT_EQ(TimeFormatValues(), (std::array<int32_t, 5>{}));
        EXPECT_THROW(Dictionary(), platform::Exception);
        EXPECT_THROW(LanguageList(), platform::Exception);
        EXPECT_THROW(ExtIniFileFormatSettings(), platform::Exception);
        EXPECT_THROW(CmtrFormatSettings(), platform::Exception);
    }
}
