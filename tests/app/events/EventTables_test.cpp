#include "app/events/EventTables.h"

#include <gtest/gtest.h>

#include <string>

namespace app {
namespace {

struct NameCase {
    int Type;
    uint8_t Code;
    TEventDescription Expected;
};

// Names the device sends with odd spacing and quoting, kept as they are.
const NameCase kNameCases[] = {
    {1, 0x00, {3, 1, "Auxiliary voltage back(A9-A10)", 1, kIoDI, 74, 1}},
    {1, 0x26, {3, 1, "Signal CBM open (C2) turn up", 1, kIoDI, 64, 0}},
    {1, 0x4E, {3, 1, "VP2 exceeded value on CBB above 2.4V", 0, kIoNone, 91, 1}},
    {1, 0x50, {3, 6, "\"SA SYS\" Key turn on", 1, kIoNone, 102, 1}},
    {1, 0x6E, {3, 6, "Control from local keyboard: set free ESC (off-automatic request)", 1, kIoNone, 0, 0}},
    {1, 0x77, {3, 6, "Primary system command:\"Turn off CBM", 1, kIoNone, 170, 1}},
    {1, 0xC2, {3, 1, "Beginning turn on impulse CBR track with break ((D7)", 1, kIoDO, 100, 1}},
    {1, 0xEB, {3, 1, "Signal \"EXT. INIT. AS CBR>CBM (LOG)\" fading", 1, kIoNone, 123, 0}},
    {1, 0xF5, {5, kEvKindRestart1, "RESTART", 1, kIoNone, 0, 0}},
    {1, 0xF7, {10, kEvKindBlocking1, "BLOCKING of SYNCHRONIC SWITCHES STATE", 0, kIoAI, 0, 0}},
    {1, 0xFB, {16, kEvKindSwitchgear1, "SWITCHGEAR STATE", 1, kIoNone, 0, 0}},
    {2, 0x71, {3, 6, "Primary system command: \"Turn on with permission CBA \"", 1, kIoNone, 153, 1}},
    {2, 0x74, {3, 6, "Primary system command :\"Turn on without permission CA\"", 1, kIoNone, 156, 1}},
    {2, 0x81, {3, 1, "Relay turn off V<t section B st. 2  (F9-F10)", 1, kIoDO, 34, 0}},
    {2, 0x8D, {3, 1, "Relay turn off V<t section A st. 1  (F3-F4)", 1, kIoDO, 37, 0}},
    {2, 0xC4, {3, 1, "Beginning turn off impulse CBB  (D12)", 1, kIoDO, 50, 1}},
    {2, 0xD5, {3, 3, "Signal \"PEMISSION ON AS CBA>CBR and CBB>CBR LOG\" fading", 1, kIoNone, 141, 0}},
    {2, 0xE9, {3, 3, "Signal \"EXT. INIT. AS CBA>CBR  or CBA>CBB LOG\" fading", 1, kIoNone, 151, 0}},
    {2, 0xF6, {9, kEvKindVoltages2, "VOLTAGES STATE", 1, kIoAI, 0, 0}},
    {2, 0xFC, {4, kEvKindSys, "COMMAND FOR SERIAL PORT", 1, kIoNone, 0, 0}},
    {2, 0xFD, {10, kEvKindClockChange, "CLOCK-TIME CHANGE", 1, kIoNone, 0, 0}},
    {2, 0xFE, {4, kEvKindKeyboard, "Keyboard command:", 1, kIoNone, 0, 0}},
};

TEST(EventTables, EntriesKeepTheDeviceTexts) {
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(testing::Message() << "type " << c.Type << " code " << int{c.Code});
        const TEventDescription& d = EventDescriptions(c.Type)[c.Code];
        EXPECT_EQ(std::string(d.Name), std::string(c.Expected.Name));
        EXPECT_EQ(d.Length, c.Expected.Length);
        EXPECT_EQ(d.Kind, c.Expected.Kind);
        EXPECT_EQ(d.Listed, c.Expected.Listed);
        EXPECT_EQ(d.IoClass, c.Expected.IoClass);
        EXPECT_EQ(d.Trace, c.Expected.Trace);
        EXPECT_EQ(d.TraceValue, c.Expected.TraceValue);
    }
}

TEST(EventTables, EachTypeHasItsOwnTable) {
    struct Case {
        int Type;
        int Defined;
    };
    for (const Case c : {Case{1, 114}, Case{2, 168}, Case{0, 0}, Case{3, 0}, Case{-1, 0}}) {
        int defined = 0;
        for (const TEventDescription& d : EventDescriptions(c.Type)) defined += d.Length != 0;
        EXPECT_EQ(defined, c.Defined) << "type " << c.Type;
    }
    // Codes only the newer device knows.
    EXPECT_EQ(EventDescriptions(1)[0xFE].Length, 0);
    EXPECT_EQ(EventDescriptions(1)[0x1A].Length, 0);
    EXPECT_EQ(EventDescriptions(2)[0x1A].Length, 3);
    for (int type : {1, 2}) EXPECT_EQ(EventDescriptions(type)[0x02].Length, 0) << type;
}

TEST(RestartReasons, CodesAboveTheLastShareItsText) {
    struct Case {
        unsigned Code;
        const char* Text;
    };
    const Case cases[] = {
        {0, "watchdog of normal running"},
        {2, "restart by auxiliary voltage return, after long fading"},
        {3, "restart by state change form off-automatic to standby"},
        {4, "important memory lost after getting down to work watchdog "},
        {23, "time between data with DSP sill too long "},
        {33, "restart by unit inside error"},
        {34, "restart by auxiliary voltage return, after short fading "},
        {49, "restart by auxiliary voltage return, after short fading "},
        {50, "restart after save settings \"AS from external turn off impulse\""},
        {51, "incorrect settings value \" AS from externalturn off impulse\""},
        {52, "restart by unit inside error"},
        {53, "restart by unit inside error"},
        {0x0105, "restart by unit inside error"},
        {0xFFFF, "restart by unit inside error"},
        {0xFFFFFFFFu, "restart by unit inside error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(RestartReasonText(c.Code)), c.Text) << "code " << c.Code;
}

TEST(TraceDescriptions, EntriesAsTheChartNamesThem) {
    struct Case {
        int Trace;
        const char* Name;
        uint8_t AlwaysDrawn;
        uint8_t Kind;
    };
    const Case cases[] = {
        {0, "", 0, 0},
        {1, "CA State", 1, kTraceKindBreaker},
        {8, "", 0, kTraceKindValue},
        {42, "Relayll state BLK S.A.W. on PSS CBA", 0, 1},
        {62, "", 0, 0},
        {66, "Vr ", 1, kTraceKindValue},
        {90,
         "Zewn\xC4\x99trzny sygna\xC5\x82 wy\xC5\x82\xC4\x85"
         "czaj\xC4\x85"
         "cy WR",
         0, 1},
        {112, "", 0, 0},
        {134, "Signal initiating START PSS CBA>CBR or CBR>CBA SYS", 0, 1},
        {165, "", 0, 0},
        {171, "Command from SN: Turn off CBR", 0, 1},
    };
    for (const Case& c : cases) {
        const TTraceDescription& t = TraceDescriptions[c.Trace];
        EXPECT_EQ(std::string(t.Name), c.Name) << "trace " << c.Trace;
        EXPECT_EQ(t.AlwaysDrawn, c.AlwaysDrawn) << "trace " << c.Trace;
        EXPECT_EQ(t.Kind, c.Kind) << "trace " << c.Trace;
    }
}

}  // namespace
}  // namespace app
