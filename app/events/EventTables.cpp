#include "app/events/EventTables.h"

#include <algorithm>

#include "platform/Strings.h"

namespace app {

// Restart reasons, indexed by reason code.
constexpr std::array<std::string_view, kRestartReasonCount> RestartReasons{
    "watchdog of normal running",                                         // 0
    "restart by auxiliary voltage return, after long fading",             // 1
    "restart by auxiliary voltage return, after long fading",             // 2
    "restart by state change form off-automatic to standby",              // 3
    "important memory lost after getting down to work watchdog ",         // 4
    "buffer with data from DSP is owerflov",                              // 5
    "buffer with data to DSP is owerflov",                                // 6
    "watchdog is calibrated",                                             // 7
    "watchdog - end of calibration",                                      // 8
    "end of repair parset 1 ",                                            // 9
    "end of repair parset 2",                                             // 10
    "end of repair network address",                                      // 11
    "end of repair date and time",                                        // 12
    "damage working unit find",                                           // 13
    "watchdog repair now: settings, network address or date and time",    // 14
    "after restart event register pointer range over",                    // 15
    "after restart switches history register pointer range over",         // 16
    "after restart AS or ARS counter range over",                         // 17
    "on standard working processor register have incorrect state",        // 18
    "watchdog find hardware damage now",                                  // 19
    "watchdog find DSP damage now",                                       // 20
    "DSP settings missing answer",                                        // 21
    "time between signals active DSP too long (remote control)",          // 22
    "time between data with DSP sill too long ",                          // 23
    "restart after resetting unit",                                       // 24
    "event register pointer owerflov",                                    // 25
    "restart by unit inside error",                                       // 26
    "restart by unit inside error",                                       // 27
    "restart by unit inside error",                                       // 28
    "restart by unit inside error",                                       // 29
    "restart by unit inside error",                                       // 30
    "restart by unit inside error",                                       // 31
    "restart by unit inside error",                                       // 32
    "restart by unit inside error",                                       // 33
    "restart by auxiliary voltage return, after short fading ",           // 34
    "restart by auxiliary voltage return, after short fading ",           // 35
    "restart by auxiliary voltage return, after short fading ",           // 36
    "restart by auxiliary voltage return, after short fading ",           // 37
    "restart by auxiliary voltage return, after short fading ",           // 38
    "restart by auxiliary voltage return, after short fading ",           // 39
    "restart by auxiliary voltage return, after short fading ",           // 40
    "restart by auxiliary voltage return, after short fading ",           // 41
    "restart by auxiliary voltage return, after short fading ",           // 42
    "restart by auxiliary voltage return, after short fading ",           // 43
    "restart by auxiliary voltage return, after short fading ",           // 44
    "restart by auxiliary voltage return, after short fading ",           // 45
    "restart by auxiliary voltage return, after short fading ",           // 46
    "restart by auxiliary voltage return, after short fading ",           // 47
    "restart by auxiliary voltage return, after short fading ",           // 48
    "restart by auxiliary voltage return, after short fading ",           // 49
    "restart after save settings \"AS from external turn off impulse\"",  // 50
    "incorrect settings value \" AS from externalturn off impulse\"",     // 51
    "restart by unit inside error",                                       // 52
};

namespace {

struct TTraceRow {
    uint8_t Trace;
    std::string_view Name;
    uint8_t AlwaysDrawn;
    uint8_t Kind;
};

// trace, name, always drawn, kind
constexpr TTraceRow kTraceRows[] = {
    {1, "CA State", 1, 2},
    {2, "CR State", 1, 2},
    {3, "CB State", 1, 2},
    {4, "VA", 1, 1},
    {5, "VbusA", 1, 1},
    {6, "VB", 1, 1},
    {7, "VbusB", 1, 1},
    {8, "", 0, 1},
    {9, "", 0, 1},
    {10, "Auxiliary voltage", 0, 1},
    {11, "SA Key", 0, 1},
    {12, "Permission on AS CBA>CBR and CBB>CBR", 0, 1},
    {13, "Permission on AS CBA>CBB and CBB>CBA", 0, 1},
    {14, "Permission on ARS", 0, 1},
    {15, "Transient blocking section A", 0, 1},
    {16, "Transient blocking section B", 0, 1},
    {17, "Permanent blocking section A", 0, 1},
    {18, "Permanent blocking section B", 0, 1},
    {19, "Signal initiating PSS CBA>CBR or CBR>CBA", 0, 1},
    {20, "Signal initiating PSS CBB>CBR or CBR>CBB", 0, 1},
    {21, "Signal initiating PSS CBA>CBB or CBB>CBA", 0, 1},
    {22, "Signal external initiating AS CBA>CBR or CBA>CBB", 0, 1},
    {23, "Bay switching CBA", 0, 1},
    {24, "Signal external turn off CBA", 0, 1},
    {25, "VP2 exceeded value on CBA above 2.4V", 0, 1},
    {26, "Signal parset change", 0, 1},
    {27, "Bay switching CBR", 0, 1},
    {28, "Signal turn off CBR", 0, 1},
    {29, "VP2 exceeded value on CBR above 2.4V", 0, 1},
    {30, "Signal external initiating AS CBB>CBR or CBB>CBA", 0, 1},
    {31, "Bay switching CBB", 0, 1},
    {32, "Signal external turn off CBB", 0, 1},
    {33, "VP2 exceeded value on CBB above 2.4V", 0, 1},
    {34, "Relay state V<t section B st. 2", 0, 1},
    {35, "Relay state V<t section B st. 1", 0, 1},
    {36, "Relay state V<t section A st. 2", 0, 1},
    {37, "Relay state V<t section A st. 1", 0, 1},
    {38, "Turn on impulse CBA (breakless track)", 0, 1},
    {39, "Turn on impulse CBA (track with break)", 0, 1},
    {40, "Turn off impulse CBA", 0, 1},
    {41, "Impulse \"load-shadding section A\"", 0, 1},
    {42, "Relayll state BLK S.A.W. on PSS CBA", 0, 1},
    {43, "Turn on CBR (breakless track)", 0, 1},
    {44, "Turn on impulse CBR (track with break)", 0, 1},
    {45, "Turn off impulse CBR", 0, 1},
    {46, "Signalling turn on \"unit work\"", 0, 1},
    {47, "Relay state BLK S.A.W on PSS CBR", 0, 1},
    {48, "Turn on impulse CBB (breakless track)", 0, 1},
    {49, "Turn on impulse CBB (track with break)", 0, 1},
    {50, "Turn off impulse CBB", 0, 1},
    {51, "Impulse \"load-shadding section B\"", 0, 1},
    {52, "Relay state BLK S.A.W. on PSS CBB", 0, 1},
    {53, "SA SYS Key", 0, 1},
    {54, "PARSET SYS CHANGE", 0, 1},
    {55, "PERMISSION ON AS CBA>CBR AND CBB>CBR SYS", 0, 1},
    {56, "PERMISSION ON AS CBA>CBB AND CBB>CBA SYS", 0, 1},
    {57, "PERMISSION ON ARS SYS", 0, 1},
    {58, "TRANSIENT BLOCKING S.A SYS", 0, 1},
    {59, "TRANSIENT BLOCKING S.B SYS", 0, 1},
    {60, "PERMANENT BLOCKING S.A SYS", 0, 1},
    {61, "PERMANENT BLOCKING S.B SYS", 0, 1},
    {64, "CM State", 1, 2},
    {65, "CR State", 1, 2},
    {66, "Vr ", 1, 1},
    {67, "Vbus", 1, 1},
    {68, "Vm", 1, 1},
    {74, "Auxiliary voltage", 0, 1},
    {75, "SA Key", 0, 1},
    {76, "Permission on AS CM>CM", 0, 1},
    {77, "Permission on AS CM>CM", 0, 1},
    {78, "Permission on ARS", 0, 1},
    {79, "Transient blocking", 0, 1},
    {80, "Permanent blocking", 0, 1},
    {81, "Start PSS CBM>CBR or CBR>CBM", 0, 1},
    {82, "Signal external initiating AS CBM>CBR", 0, 1},
    {83, "Signal external initiating AS CBR>CBM", 0, 1},
    {84, "VP2 exceeded value on VESK_Z above 22V", 0, 1},
    {85, "Bay switching CBM", 0, 1},
    {86, "Signal external turn off CBM", 0, 1},
    {87, "VP2 exceeded value on CBM above 2.4V", 0, 1},
    {88, "Signal parset change", 0, 1},
    {89, "Bay switching CBR", 0, 1},
    {90, "Zewnętrzny sygnał wyłączający WR", 0, 1},
    {91, "VP2 exceeded value on CBB above 2.4V", 0, 1},
    {92, "Relay state V<t section B st. 2", 0, 1},
    {93, "Relay state V<t section B st. 1", 0, 1},
    {94, "Signalling turn on \"unit work\"", 0, 1},
    {95, "Turn on impulse CBM (breakless track)", 0, 1},
    {96, "Turn on impulse CBM (track with break)", 0, 1},
    {97, "Turn off impulse CBM", 0, 1},
    {98, "Impulse \"load-shadding\"", 0, 1},
    {99, "Turn on impulse CBR (breakless track)", 0, 1},
    {100, "Turn on impulse CBR (track with break)", 0, 1},
    {101, "Turn off impulse CBR", 0, 1},
    {102, "SA SYS Key", 0, 1},
    {103, "CHANGE PARSET SYS", 0, 1},
    {104, "PERMISSION ON AS CBM>CBR SYS", 0, 1},
    {105, "PERMISSION ON AS CBR>CBM SYS", 0, 1},
    {106, "PERMISSION ON ARS SYS", 0, 1},
    {107, "TRANSIENT BLOCKING SYS", 0, 1},
    {108, "PERMANENT BLOCKING SYS", 0, 1},
    {109, "START PSS SYS", 0, 1},
    {110, "EXT. INIT. AS CBM>CBR SYS", 0, 1},
    {111, "EXT. INIT. AS CBR>CBM SYS", 0, 1},
    {114, "SA SYS Key", 0, 1},
    {115, "CHANGE PARSET LOG", 0, 1},
    {116, "PERMISSION ON AS CBM>CBR LOG", 0, 1},
    {117, "PERMISSION ON AS CBM>CBR LOG", 0, 1},
    {118, "PERMISSION ON ARS LOG", 0, 1},
    {119, "TRANSIENT BLOCKING LOG", 0, 1},
    {120, "PERMANENT BLOCKING LOG", 0, 1},
    {121, "START PSS LOG", 0, 1},
    {122, "EXT. INIT. AS CBM>CBR LOG", 0, 1},
    {123, "EXT. INIT. AS CBR>CBM LOG", 0, 1},
    {134, "Signal initiating START PSS CBA>CBR or CBR>CBA SYS", 0, 1},
    {135, "Signal initiating START PSS CBB>CBR or CBR>CBB SYS", 0, 1},
    {136, "Signal initiating START PSS CBA>CBB or CBB>CBA SYS", 0, 1},
    {137, "Signal EXT. INIT. AS CBA>CBR or CBA>CBB SYS", 0, 1},
    {138, "Signal EXT. INIT. AS CBB>CBR or CBB>CBA SYS", 0, 1},
    {139, "SA LOG Key", 0, 1},
    {140, "CHANGE PARSET LOG", 0, 1},
    {141, "PERMISSION ON AS CBA>CBR and CBB>CBR LOG", 0, 1},
    {142, "PERMISSION ON AS CBA>CBB and CBB>CBA LOG", 0, 1},
    {143, "PERMISSION ON ARS LOG", 0, 1},
    {144, "TRANSIENT BLOCKING S.A LOG", 0, 1},
    {145, "TRANSIENT BLOCKING S.B LOG", 0, 1},
    {146, "PERMANENT BLOCKING S.A LOG", 0, 1},
    {147, "PERMANENT BLOCKING S.B LOG", 0, 1},
    {148, "START PSS CBA>CBR or CBR>CBA LOG", 0, 1},
    {149, "START PSS CBB>CBR or CBR>CBB LOG", 0, 1},
    {150, "START PSS CBA>CBB or CBB>CBA LOG", 0, 1},
    {151, "EXT. INIT. AS CBA>CBR or CBA>CBB LOG", 0, 1},
    {152, "EXT. INIT. AS CBA>CBR or CBA>CBB LOG", 0, 1},
    {153, "Command from SN: Turn on with permission CBA", 0, 1},
    {154, "Command from SN: Turn on with permission CBR", 0, 1},
    {155, "Command from SN: Turn on with permission CBB", 0, 1},
    {156, "Command from SN: Turn on without permission CBA", 0, 1},
    {157, "Command from SN: Turn on without permission CBR", 0, 1},
    {158, "Command from SN: Turn on without permission CBB", 0, 1},
    {159, "Command from SN: Turn off CBA", 0, 1},
    {160, "Command from SN: Turn off CBR", 0, 1},
    {161, "Command from SN: Turn off CBB", 0, 1},
    {166, "Command from SN: Turn on with permission CBM", 0, 1},
    {167, "Command from SN: Turn on with permission CBR", 0, 1},
    {168, "Command from SN: Turn on without permission CBM", 0, 1},
    {169, "Command from SN: Turn on without permission CBR", 0, 1},
    {170, "Command from SN: Turn off CBM", 0, 1},
    {171, "Command from SN: Turn off CBR", 0, 1},
};

// code, length, kind, listed, I/O class, trace, value, name
struct TEventRow {
    uint8_t Code;
    uint8_t Length;
    uint8_t Kind;
    uint8_t Listed;
    uint8_t IoClass;
    uint8_t Trace;
    uint8_t Value;
    std::string_view Name;
};

// Vesk-2
constexpr TEventRow kType1Rows[] = {
    {0x00, 3, 1, 1, kIoDI, 74, 1, "Auxiliary voltage back(A9-A10)"},
    {0x01, 3, 1, 1, kIoDI, 74, 0, "Auxiliary voltage drop down(A9-A10)"},
    {0x04, 3, 1, 1, kIoDI, 75, 1, "SA key turn on (B1-B2)"},
    {0x05, 3, 1, 1, kIoDI, 75, 0, "Sa key turn off (B1-B2)"},
    {0x08, 3, 1, 1, kIoDI, 76, 1, "Signal permission on AS CBM>CBR(B5) turn up"},
    {0x09, 3, 1, 1, kIoDI, 76, 0, "Signal permission on AS CBM>CBR(B5) fading"},
    {0x0A, 3, 1, 1, kIoDI, 77, 1, "Signal permission on AS CBR>CBM(B6) turn up"},
    {0x0B, 3, 1, 1, kIoDI, 77, 0, "Signal permission on AS CBR->CBM(B6) fading"},
    {0x0C, 3, 1, 1, kIoDI, 78, 1, "Signal permission on ARS (B7) turn up"},
    {0x0D, 3, 1, 1, kIoDI, 78, 0, "Signal permission on ARS(B7) fading"},
    {0x0E, 3, 1, 1, kIoDI, 79, 1, "Signal transient blocking (B8) turn up"},
    {0x0F, 3, 1, 1, kIoDI, 79, 0, "Signal transient blocking (B8) fading"},
    {0x10, 3, 1, 1, kIoDI, 80, 1, "Signal permanent blocking (B9) turn up"},
    {0x11, 3, 1, 1, kIoDI, 80, 0, "Signal permanent blocking (B9) fading"},
    {0x12, 3, 1, 1, kIoDI, 81, 1, "Signal START PSS(B10) turn up"},
    {0x13, 3, 1, 1, kIoDI, 81, 0, "Signal START PSS(B10) fading"},
    {0x14, 3, 1, 1, kIoDI, 82, 1, "Signal external initiating AS CBM->CBR(B11) turn up"},
    {0x15, 3, 1, 1, kIoDI, 82, 0, "Signal external initiating AS CBM->CBR(B11) fading"},
    {0x16, 3, 1, 1, kIoDI, 83, 1, "Signal external initiating AS CBR->CBM(B12) turn up"},
    {0x17, 3, 1, 1, kIoDI, 83, 0, "Signal external initiating AS CBR->CBM(B12) fading"},
    {0x1E, 3, 1, 0, kIoDI, 84, 1, "VP2 exceeded value above 22V"},
    {0x1F, 3, 1, 0, kIoDI, 84, 0, "VP2 reduced value above 22V"},
    {0x24, 3, 1, 1, kIoDI, 64, 1, "Signal CBM close (C1) turn up"},
    {0x25, 3, 1, 1, kIoDI, 64, 0, "Signal CBM close (C1) fading"},
    {0x26, 3, 1, 1, kIoDI, 64, 0, "Signal CBM open (C2) turn up"},
    {0x27, 3, 1, 1, kIoDI, 64, 1, "Signal CBM open (C2) fading"},
    {0x28, 3, 1, 1, kIoDI, 85, 1, "Signal bay switching CBM (C5-C6) turn up"},
    {0x29, 3, 1, 1, kIoDI, 85, 0, "Signal bay switching CBM (C5-C6) fading"},
    {0x2A, 3, 1, 1, kIoDI, 86, 1, "Signal external turn off CBM (D4) turn up"},
    {0x2B, 3, 1, 1, kIoDI, 86, 0, "Signal external turn off CBM (D4) fading"},
    {0x2E, 3, 1, 0, kIoDI, 87, 1, "VP2 exceeded value on CBA above 2.4V"},
    {0x2F, 3, 1, 0, kIoDI, 87, 0, "VP2 reduced value on CBA below 2.4V"},
    {0x40, 3, 1, 1, kIoDI, 88, 1, "Signal CHANGE SETTINGS turn up"},
    {0x41, 3, 1, 1, kIoDI, 88, 0, "Signal CHANGE SETTINGS fading"},
    {0x44, 3, 1, 1, kIoDI, 65, 1, "Signal CBR close (C3) turn up"},
    {0x45, 3, 1, 1, kIoDI, 65, 0, "Signal CBR close (C3) fading"},
    {0x46, 3, 1, 1, kIoDI, 65, 0, "Signal CBR open (C4) turn up"},
    {0x47, 3, 1, 1, kIoDI, 65, 1, "Signal CBR open (C4) fading"},
    {0x48, 3, 1, 1, kIoDI, 89, 1, "Signal bay switching CR(C7-C8) turn up"},
    {0x49, 3, 1, 1, kIoDI, 89, 0, "Signal bay switching CBR (C7-C8) fading"},
    {0x4A, 3, 1, 1, kIoDI, 90, 1, "Signal external turn off CBR (D8) turn up"},
    {0x4B, 3, 1, 1, kIoDI, 90, 0, "Signal external turn off CBR (D8) fading"},
    {0x4E, 3, 1, 0, kIoNone, 91, 1, "VP2 exceeded value on CBB above 2.4V"},
    {0x4F, 3, 1, 0, kIoNone, 91, 0, "VP2 reduced value on CBB below 2.4V"},
    {0x50, 3, 6, 1, kIoNone, 102, 1, "\"SA SYS\" Key turn on"},
    {0x51, 3, 6, 1, kIoNone, 102, 0, "\"SA SYS\" Key turn off"},
    {0x52, 3, 6, 1, kIoNone, 103, 1, "Signal \"CHANGE SETTINGS SYS\" turn up (parset 2 chosen)"},
    {0x53, 3, 6, 1, kIoNone, 103, 0, "Signal \"CHANGE SETTINGS SYS\" fading (parset 1 chosen)"},
    {0x54, 3, 6, 1, kIoNone, 104, 1, "Signal \"PERMISSION ON AS CBM>CBR SYS\" turn up"},
    {0x55, 3, 6, 1, kIoNone, 104, 0, "Signal \"PERMISSION ON AS CBM>CBR SYS\" fading"},
    {0x56, 3, 6, 1, kIoNone, 105, 1, "Signal \"PERMISSION ON AS CBR>CBM SYS\" turn up"},
    {0x57, 3, 6, 1, kIoNone, 105, 0, "Signal \"PERMISSION ON AS CBR>CBM SYS\" fading"},
    {0x58, 3, 6, 1, kIoNone, 106, 1, "Signal \"PERMISSION ON ARS SYS\" turn up"},
    {0x59, 3, 6, 1, kIoNone, 106, 0, "Signal \"PERMISSION ON ARS SYS\" fading"},
    {0x5A, 3, 6, 1, kIoNone, 107, 1, "Signal \"TRANSIENT BLOCKING SYS\" turn up"},
    {0x5B, 3, 6, 1, kIoNone, 107, 0, "Signal \"TRANSIENT BLOCKING SYS\" fading"},
    {0x5E, 3, 6, 1, kIoNone, 108, 1, "Signal \"PERMANENT BLOCKING SYS\" turn up"},
    {0x5F, 3, 6, 1, kIoNone, 108, 0, "Signal \"PERMANENT BLOCKING SYS\" fading"},
    {0x67, 3, 6, 1, kIoNone, 109, 1, "Signal initiating \"START PSS SYS\" turn up"},
    {0x69, 3, 6, 1, kIoNone, 110, 1, "Signal \"EXT. INIT. AS CBM>CBR SYS\" turn up"},
    {0x6B, 3, 6, 1, kIoNone, 111, 1, "Signal \"EXT. INIT. AS CBR>CBM SYS\" turn up"},
    {0x6E, 3, 6, 1, kIoNone, 0, 0, "Control from local keyboard: set free ESC (off-automatic request)"},
    {0x6F, 3, 6, 1, kIoNone, 0, 1, "Control from local keyboard: off-automatic request (ESC key press)"},
    {0x71, 3, 6, 1, kIoNone, 166, 1, "Primary system command: \"Turn on with permission CBM"},
    {0x73, 3, 6, 1, kIoNone, 167, 1, "Primary system command: \"Turn on with permission CBR"},
    {0x74, 3, 6, 1, kIoNone, 168, 1, "Primary system command: \"Turn on without permission CBM"},
    {0x76, 3, 6, 1, kIoNone, 169, 1, "Primary system command: \"Turn on without permission CBR"},
    {0x77, 3, 6, 1, kIoNone, 170, 1, "Primary system command:\"Turn off CBM"},
    {0x79, 3, 6, 1, kIoNone, 171, 1, "Primary system command:\"Turn off CBR"},
    {0x80, 3, 1, 1, kIoDO, 92, 1, "Turn on relay V<t st. 2 (F5-F6)"},
    {0x81, 3, 1, 1, kIoDO, 92, 0, "Turn off relay V<t st. 2 (F5-F6)"},
    {0x84, 3, 1, 1, kIoDO, 93, 1, "Turn on relay V<t st. 1 (F3-F4)"},
    {0x85, 3, 1, 1, kIoDO, 93, 0, "Turn off relay V<t st. 1(F3-F4)"},
    {0x88, 3, 1, 1, kIoDO, 94, 1, "Signalling turn on \"unit work\"(F1-F2)"},
    {0x89, 3, 1, 1, kIoDO, 94, 0, "Signalling turn off \"unit work\"(F1-F2)"},
    {0xA0, 3, 1, 1, kIoDO, 95, 1, "Beginning turn on impulse CBM breakless track (D2)"},
    {0xA1, 3, 1, 1, kIoDO, 95, 0, "Finish turn on impulse CBM breakless track (D2)"},
    {0xA2, 3, 1, 1, kIoDO, 96, 1, "Beginning turn on impulse CBM track with break (D3)"},
    {0xA3, 3, 1, 1, kIoDO, 96, 0, "Finish turn on impulse CBM track with break (D3)"},
    {0xA4, 3, 1, 1, kIoDO, 97, 1, "Beginning turn off impulse CBM (D4)"},
    {0xA5, 3, 1, 1, kIoDO, 97, 0, "Finish turn off impulse CBM (D4)"},
    {0xA6, 3, 1, 1, kIoDO, 98, 1, "Beginning impulse \"load-shadding\"(F7-F8)"},
    {0xA7, 3, 1, 1, kIoDO, 98, 0, "Finish impulse \"load-shadding\"(F7-F8)"},
    {0xC0, 3, 1, 1, kIoDO, 99, 1, "Beginning turn on impulse CBR breakless track (D6)"},
    {0xC1, 3, 1, 1, kIoDO, 99, 0, "Finish turn on impulse CBR breakless track (D6)"},
    {0xC2, 3, 1, 1, kIoDO, 100, 1, "Beginning turn on impulse CBR track with break ((D7)"},
    {0xC3, 3, 1, 1, kIoDO, 100, 0, "Finish turn on impulse CBR track with break (D7)"},
    {0xC4, 3, 1, 1, kIoDO, 101, 1, "Beginning turn off impulse CR(D8)"},
    {0xC5, 3, 1, 1, kIoDO, 101, 0, "Finish turn off impulse CR(D8)"},
    {0xD0, 3, 6, 1, kIoNone, 114, 1, "\"SA LOG\" key turn on"},
    {0xD1, 3, 1, 1, kIoNone, 114, 0, "\"SA LOG\" key turn off"},
    {0xD2, 3, 1, 1, kIoNone, 115, 1, "Signal \"CHANGE SETTINGS LOG\" turn up"},
    {0xD3, 3, 6, 1, kIoNone, 115, 0, "Signal \"CHANGE SETTINGS LOG\" fading"},
    {0xD4, 3, 1, 1, kIoNone, 116, 1, "Signal \"PERMISSION ON AS CBM>CBR LOG\" turn up"},
    {0xD5, 3, 1, 1, kIoNone, 116, 0, "Signal \"PERMISSION ON AS CBM>CBR LOG\" fading"},
    {0xD6, 3, 1, 1, kIoNone, 117, 1, "Signal \"PERMISSION ON AS CBR>CBM LOG\" turn up"},
    {0xD7, 3, 1, 1, kIoNone, 117, 0, "Signal \"PERMISSION ON AS CBR>CBM LOG\" fading"},
    {0xD8, 3, 1, 1, kIoNone, 118, 1, "Signal \"PERMISSION ON ARS LOG\" turn up"},
    {0xD9, 3, 1, 1, kIoNone, 118, 0, "Signal \"PERMISSION ON ARS LOG\" fading"},
    {0xDA, 3, 1, 1, kIoNone, 119, 1, "Signal \"TRANSIENT BLOCKING LOG\" turn up"},
    {0xDB, 3, 1, 1, kIoNone, 119, 0, "Signal \"TRANSIENT BLOCKING LOG\" fading"},
    {0xDE, 3, 1, 1, kIoNone, 120, 1, "Signal \"PERMANENT BLOCKING LOG\" turn up"},
    {0xDF, 3, 1, 1, kIoNone, 120, 0, "Signal \"PERMANENT BLOCKING LOG\" fading"},
    {0xE6, 3, 1, 1, kIoNone, 121, 1, "Signal \"START PSS LOG\" turn up"},
    {0xE8, 3, 1, 1, kIoNone, 122, 1, "Signal \"EXT. INIT. AS CBM>CBR LOG\" turn up"},
    {0xE9, 3, 1, 1, kIoNone, 122, 0, "Signal \"EXT. INIT. AS CBM>CBR LOG\" fading"},
    {0xEA, 3, 1, 1, kIoNone, 123, 0, "Signal \"EXT. INIT. AS CBR>CBM LOG\" turn up"},
    {0xEB, 3, 1, 1, kIoNone, 123, 0, "Signal \"EXT. INIT. AS CBR>CBM (LOG)\" fading"},
    {0xF0, 2, 5, 0, kIoNone, 0, 0, "Jump in buffer"},
    {0xF3, 6, 4, 1, kIoNone, 0, 0, "EVENT CLOCK-TIME"},
    {0xF5, 5, 7, 1, kIoNone, 0, 0, "RESTART"},
    {0xF6, 9, 9, 1, kIoAI, 0, 0, "VOLTAGES STATE"},
    {0xF7, 10, 10, 0, kIoAI, 0, 0, "BLOCKING of SYNCHRONIC SWITCHES STATE"},
    {0xFB, 16, 11, 1, kIoNone, 0, 0, "SWITCHGEAR STATE"},
};

// Vesk-3
constexpr TEventRow kType2Rows[] = {
    {0x00, 3, 1, 1, kIoDI, 10, 1, "Auxiliary voltage return (A11-A12)"},
    {0x01, 3, 1, 1, kIoDI, 10, 0, "Auxiliary voltage drop-down (A11-A12)"},
    {0x04, 3, 1, 1, kIoDI, 11, 1, "SA key turn on (B1-B2)"},
    {0x05, 3, 1, 1, kIoDI, 11, 0, "SA key turn off (B1-B2)"},
    {0x08, 3, 1, 1, kIoDI, 12, 1, "Signal permission on AS turn up CBA>CBR and CBB>CBR (B5)"},
    {0x09, 3, 1, 1, kIoDI, 12, 0, "Signal permission on AS fading CBA>CBR and CBB>CBR (B5)"},
    {0x0A, 3, 1, 1, kIoDI, 13, 1, "Signal permission on AS turn up CBA>CBB and CBB>CBA (B6)"},
    {0x0B, 3, 1, 1, kIoDI, 13, 0, "Signal permission on AS fading CBA->CBB and CBB->CBA (B6)"},
    {0x0C, 3, 1, 1, kIoDI, 14, 1, "Signal permission on ARS turn up (B7)"},
    {0x0D, 3, 1, 1, kIoDI, 14, 0, "Signal permission on ARS fading (B7)"},
    {0x0E, 3, 1, 1, kIoDI, 15, 1, "Signal transient blocking input turn up on section A (B8)"},
    {0x0F, 3, 1, 1, kIoDI, 15, 0, "Signal transient blocking input fading on section A (B8)"},
    {0x10, 3, 1, 1, kIoDI, 16, 1, "Signal transient blocking input turn up on section B (B9)"},
    {0x11, 3, 1, 1, kIoDI, 16, 0, "Signal transient blocking input fading on section B (B9)"},
    {0x12, 3, 1, 1, kIoDI, 17, 1, "Signal permanent blocking input turn up on section A (B10)"},
    {0x13, 3, 1, 1, kIoDI, 17, 0, "Signal permanent blocking input fading on section A (B10)"},
    {0x14, 3, 1, 1, kIoDI, 18, 1, "Signal permanent blocking input turn up on section B (B11)"},
    {0x15, 3, 1, 1, kIoDI, 18, 0, "Signal permanent blocking input fading on section B (B11)"},
    {0x16, 3, 1, 1, kIoDI, 19, 1, "Signal initiating PSS turn up CBA->CBR or CBR->CBA (B12)"},
    {0x17, 3, 1, 1, kIoDI, 19, 0, "Signal initiating PSS fading CBA->CBR or CBR->CBA (B12)"},
    {0x18, 3, 1, 1, kIoDI, 20, 1, "Signal initiating PSS turn up CBB->CBR or CBR->CBB (B13)"},
    {0x19, 3, 1, 1, kIoDI, 20, 0, "Signal initiating PSS fading CBB->CBR or CBR->CBB (B13)"},
    {0x1A, 3, 1, 1, kIoDI, 21, 1, "Signal initiating PSS turn up CBA->CBB or CBB->CBA (B14)"},
    {0x1B, 3, 1, 1, kIoDI, 21, 0, "Signal initiating PSS fading CBA->CBB or CBB->CBA (B14)"},
    {0x1E, 3, 1, 0, kIoDI, 0, 0, "VP2 exceeded value +22V"},
    {0x1F, 3, 1, 0, kIoDI, 0, 0, "VP2 reduced value +22V"},
    {0x20, 3, 1, 1, kIoDI, 22, 1, "Signal external initiating AS turn up CBA->CBR or CBA->CBB (B15)"},
    {0x21, 3, 1, 1, kIoDI, 22, 0, "Signal external initiating AS fading CBA->CBR or CBA->CBB (B15)"},
    {0x24, 3, 1, 1, kIoDI, 1, 1, "Signal CBA closed turn up (C1)"},
    {0x25, 3, 1, 1, kIoDI, 1, 0, "Signal CBA closed fading (C1)"},
    {0x26, 3, 1, 1, kIoDI, 1, 0, "Signal CBA opened turn up (C2)"},
    {0x27, 3, 1, 1, kIoDI, 1, 1, "Signal CBA opened fading (C2)"},
    {0x28, 3, 1, 1, kIoDI, 23, 1, "Signal bay switching CBA turn up (C7-C8)"},
    {0x29, 3, 1, 1, kIoDI, 23, 0, "Signal bay switching CBA fading (C7-C8)"},
    {0x2A, 3, 1, 1, kIoDI, 24, 1, "External signal turn off CBA turn up (D4)"},
    {0x2B, 3, 1, 1, kIoDI, 24, 0, "External signal turn off CBA fading (D4)"},
    {0x2E, 3, 1, 0, kIoDI, 25, 1, "VP2 exceeded value on CBA above 2.4V"},
    {0x2F, 3, 1, 0, kIoDI, 25, 0, "VP2 reduced value on CBA below 2.4V"},
    {0x30, 3, 1, 1, kIoDI, 26, 1, "Signal change settings turn up - parset 1 chosen (B4)"},
    {0x31, 3, 1, 1, kIoDI, 26, 0, "Signal change settings fading - parset 1 chosen (B4)"},
    {0x34, 3, 1, 1, kIoDI, 2, 1, "Signal CBR closed turn up (C3)"},
    {0x35, 3, 1, 1, kIoDI, 2, 0, "Signal CBR closed fading (C3)"},
    {0x36, 3, 1, 1, kIoDI, 2, 0, "Signal CBR opened turn up (C4)"},
    {0x37, 3, 1, 1, kIoDI, 2, 1, "Signal CBR opened fading (C4)"},
    {0x38, 3, 1, 1, kIoDI, 27, 1, "Signal bay switching CBR turn up (C9-C10)"},
    {0x39, 3, 1, 1, kIoDI, 27, 0, "Signal bay switching CBR fading (C9-C10)"},
    {0x3A, 3, 1, 1, kIoDI, 28, 1, "External signal turn off CBR turn up(D8)"},
    {0x3B, 3, 1, 1, kIoDI, 28, 0, "External signal turn off CBR fading (D8)"},
    {0x3E, 3, 1, 0, kIoDI, 29, 1, "VP2 exceeded value on CBR above 2.4V"},
    {0x3F, 3, 1, 0, kIoDI, 29, 0, "VP2 reduced value on CBR below 2.4V"},
    {0x40, 3, 1, 1, kIoDI, 30, 1, "Signal external initiating AS turn up CBB->CBR or CBB->CBA (B16)"},
    {0x41, 3, 1, 1, kIoDI, 30, 0, "Signal external initiating AS fading CBB->CBR or CBB->CBA (B16)"},
    {0x44, 3, 1, 1, kIoDI, 3, 1, "Signal CBB closed turn up (C5)"},
    {0x45, 3, 1, 1, kIoDI, 3, 0, "Signal CBB closed fading (C5)"},
    {0x46, 3, 1, 1, kIoDI, 3, 0, "Signal CBB opened turn up (C6)"},
    {0x47, 3, 1, 1, kIoDI, 3, 1, "Signal CBB opened fading (C6)"},
    {0x48, 3, 1, 1, kIoDI, 31, 1, "Signal bay switching CBB turn up (C11-C12)"},
    {0x49, 3, 1, 1, kIoDI, 31, 0, "Signal bay switching CBB fading (C11-C12)"},
    {0x4A, 3, 1, 1, kIoDI, 32, 1, "External signal turn off CBB turn up (D12)"},
    {0x4B, 3, 1, 1, kIoDI, 32, 0, "External signal turn off CBB fading (D12)"},
    {0x4E, 3, 1, 0, kIoNone, 33, 1, "VP2 exceeded value on CBB above 2.4V"},
    {0x4F, 3, 1, 0, kIoNone, 33, 0, "VP2 reduced value on CBA below 2.4V"},
    {0x50, 3, 6, 1, kIoNone, 53, 1, "SA SYS key turn on"},
    {0x51, 3, 6, 1, kIoNone, 53, 0, "SA SYS key turn off"},
    {0x52, 3, 6, 1, kIoNone, 54, 1, "Signal \"CHANGE SETTINGS SYS\" turn up (parset 2 chosen)"},
    {0x53, 3, 6, 1, kIoNone, 54, 0, "Signal \"CHANGE SETTINGS SYS\" fading (parset 1 chosen)"},
    {0x54, 3, 6, 1, kIoNone, 55, 1, "Signal \"PERMISSION ON AS CBA>CBR and CBB>CBR SYS\" turn up"},
    {0x55, 3, 6, 1, kIoNone, 55, 0, "Signal \"PERMISSION ON AS CBA>CBR and CBB>CBR SYS\" fading"},
    {0x56, 3, 6, 1, kIoNone, 56, 1, "Signal \"PERMISSION ON AS CBA>CBB and CBB>CBA SYS\" turn up"},
    {0x57, 3, 6, 1, kIoNone, 56, 0, "Signal \"PERMISSION ON AS CBA>CBB and CBB>CBA SYS\" fading"},
    {0x58, 3, 6, 1, kIoNone, 57, 1, "Signal \"PERMISSION ON ARS SYS\" turn up"},
    {0x59, 3, 6, 1, kIoNone, 57, 0, "Signal \"PERMISSION ON ARS SYS\" fading"},
    {0x5A, 3, 6, 1, kIoNone, 58, 1, "Signal \"TRANSIENT BLOCKING S.A SYS\" turn up"},
    {0x5B, 3, 6, 1, kIoNone, 58, 0, "Signal \"TRANSIENT BLOCKING S.A SYS\" fading"},
    {0x5C, 3, 6, 1, kIoNone, 59, 1, "Signal \"TRANSIENT BLOCKING S.B SYS\" turn up"},
    {0x5D, 3, 6, 1, kIoNone, 59, 0, "Signal \"TRANSIENT BLOCKING S.B SYS\" fading"},
    {0x5E, 3, 6, 1, kIoNone, 60, 1, "Signal \"PERMANENT BLOCKING S.A SYS\" turn up"},
    {0x5F, 3, 6, 1, kIoNone, 60, 0, "Signal \"PERMANENT BLOCKING S.A SYS\" fading"},
    {0x60, 3, 6, 1, kIoNone, 61, 1, "Signal \"PERMANENT BLOCKING S.B SYS\" turn up"},
    {0x61, 3, 6, 1, kIoNone, 61, 0, "Signal \"PERMANENT BLOCKING S.B SYS\" fading"},
    {0x63, 3, 6, 1, kIoNone, 134, 1, "Signal initiating \"START PSS CBA>CBR or CBR>CBA SYS\" turn up"},
    {0x65, 3, 6, 1, kIoNone, 135, 1, "Signal initiating \"START PSS CBB>CBR or CBR>CBB SYS\" turn up"},
    {0x67, 3, 6, 1, kIoNone, 136, 1, "Signal initiating \"START PSS CBA>CBB or CBB>CBA SYS\" turn up"},
    {0x69, 3, 6, 1, kIoNone, 137, 1, "Signal \"EXT. INIT. AS CBA>CBR or CBA>CBB SYS\" turn up"},
    {0x6B, 3, 6, 1, kIoNone, 138, 1, "Signal \"EXT. INIT. AS CBB>CBR or CBB>CBA SYS\" turn up"},
    {0x6E, 3, 1, 1, kIoNone, 0, 0, "Control from local keyboard: set free ESC(off-automatic request)"},
    {0x6F, 3, 1, 1, kIoNone, 0, 0, "Control from local keyboard: off-automatic request (ESC key press)"},
    {0x71, 3, 6, 1, kIoNone, 153, 1, "Primary system command: \"Turn on with permission CBA \""},
    {0x72, 3, 6, 1, kIoNone, 154, 1, "Primary system command: \"Turn on with permission CR\""},
    {0x73, 3, 6, 1, kIoNone, 155, 1, "Primary system command: \"Turn on with permission CB\""},
    {0x74, 3, 6, 1, kIoNone, 156, 1, "Primary system command :\"Turn on without permission CA\""},
    {0x75, 3, 6, 1, kIoNone, 157, 1, "Primary system command: \"Turn on without permission CR\""},
    {0x76, 3, 6, 1, kIoNone, 158, 1, "Primary system command:\"Turn on without permission CB\""},
    {0x77, 3, 6, 1, kIoNone, 159, 1, "Primary system command:\"Turn off CBA"},
    {0x78, 3, 6, 1, kIoNone, 160, 1, "Primary system command:\"Turn off CR\""},
    {0x79, 3, 6, 1, kIoNone, 161, 1, "Primary system command:\"Turn off CB\""},
    {0x80, 3, 1, 1, kIoDO, 34, 1, "Relay turn on V<t section B st. 2 (F9-F10)"},
    {0x81, 3, 1, 1, kIoDO, 34, 0, "Relay turn off V<t section B st. 2  (F9-F10)"},
    {0x84, 3, 1, 1, kIoDO, 35, 1, "Relay turn on V<t section B st. 1  (F7-F8)"},
    {0x85, 3, 1, 1, kIoDO, 35, 0, "Relay turn off V<t section B st. 1  (F7-F8)"},
    {0x88, 3, 1, 1, kIoDO, 36, 1, "Relay turn on V<t section A st. 2  (F5-F6)"},
    {0x89, 3, 1, 1, kIoDO, 36, 0, "Relay turn off V<t section A st. 2  (F5-F6)"},
    {0x8C, 3, 1, 1, kIoDO, 37, 1, "Relay turn on V<t section A st. 1  (F3-F4)"},
    {0x8D, 3, 1, 1, kIoDO, 37, 0, "Relay turn off V<t section A st. 1  (F3-F4)"},
    {0xA0, 3, 1, 1, kIoDO, 38, 1, "Beginning turn on impulse CBA breakless track (D2)"},
    {0xA1, 3, 1, 1, kIoDO, 38, 0, "Finish turn on impulse CBA breakless track (D2)"},
    {0xA2, 3, 1, 1, kIoDO, 39, 1, "Beginning turn on impulse CBA track with break (D3)"},
    {0xA3, 3, 1, 1, kIoDO, 39, 0, "Finish turn on impulse CBA track with break (D3)"},
    {0xA4, 3, 1, 1, kIoDO, 40, 1, "Beginning turn off impulse CBA (D4)"},
    {0xA5, 3, 1, 1, kIoDO, 40, 0, "Finish turn off impule CBA (D4)"},
    {0xA6, 3, 1, 1, kIoDO, 41, 1, "Begining impulse \"load-shadding on section A\" (F11-F12)"},
    {0xA7, 3, 1, 1, kIoDO, 41, 0, "Finish impulse \"load-shadding on section A\" (F11-F12)"},
    {0xA8, 3, 1, 0, kIoDO, 42, 1, "Relay turn off BLK S.A.W. on PSS CBA (open up)(E9-E10)"},
    {0xA9, 3, 1, 0, kIoDO, 42, 0, "Relay turn on BLK S.A.W. on PSS CBA (open up)(E9-E10)"},
    {0xB0, 3, 1, 1, kIoDO, 43, 1, "Beginning turn on impulse CBR breakless track (D6)"},
    {0xB1, 3, 1, 1, kIoDO, 43, 0, "Finish turn on impulse CBR breakless track (D6)"},
    {0xB2, 3, 1, 1, kIoDO, 44, 1, "Beginning turn on impulse CBR track with break (D7)"},
    {0xB3, 3, 1, 1, kIoDO, 44, 0, "Finish turn on impulse CBR track with break(D7)"},
    {0xB4, 3, 1, 1, kIoDO, 45, 1, "Beginning turn off impulse CBR (D8)"},
    {0xB5, 3, 1, 1, kIoDO, 45, 0, "Finish turn off impulse CBR (D8)"},
    {0xB6, 3, 1, 1, kIoDO, 46, 1, "Signalling turn on \"unit work\" (F1-F2)"},
    {0xB7, 3, 1, 1, kIoDO, 46, 0, "Signalling turn off \"unit work\" (F1-F2)"},
    {0xB8, 3, 1, 0, kIoDO, 47, 1, "Relay turn off BLK S.A.W. on PSS CBR (open up)(E11-E12)"},
    {0xB9, 3, 1, 0, kIoDO, 47, 0, "Relay turn on BLK S.A.W. on PSS CBR (open up)(E11-E12)"},
    {0xC0, 3, 1, 1, kIoDO, 48, 1, "Beginning turn on impulse CBB breakless track (D10)"},
    {0xC1, 3, 1, 1, kIoDO, 48, 0, "Finish turn on impulse CBB breakless track (D10)"},
    {0xC2, 3, 1, 1, kIoDO, 49, 1, "Beginning turn on impulse CBB track with break (D11)"},
    {0xC3, 3, 1, 1, kIoDO, 49, 0, "Finish turn on impulse CBB track with break (D11)"},
    {0xC4, 3, 1, 1, kIoDO, 50, 1, "Beginning turn off impulse CBB  (D12)"},
    {0xC5, 3, 1, 1, kIoDO, 50, 0, "Finish turn off impulse CBB (D12)"},
    {0xC6, 3, 1, 1, kIoDO, 51, 1, "Beginning impulse \"load-shadding on section B\" (F13-F14)"},
    {0xC7, 3, 1, 1, kIoDO, 51, 0, "Finish impulse \"load-shadding on section B\" (F13-F14)"},
    {0xC8, 3, 1, 0, kIoDO, 52, 1, "Relay turn off BLK S.A.W. on PSS CBB (open up)(E13-E14)"},
    {0xC9, 3, 1, 0, kIoDO, 52, 0, "Relay turn on BLK S.A.W. on PSS CBB (open up)(E13-E14)"},
    {0xD0, 3, 3, 1, kIoNone, 139, 1, "\"SA LOG\" key turn on"},
    {0xD1, 3, 3, 1, kIoNone, 139, 0, "\"SA LOG\" key turn off"},
    {0xD2, 3, 3, 1, kIoNone, 140, 1, "Signal \"CHANGE SETTINGS LOG\" turn up (parset 2 chosen)"},
    {0xD3, 3, 3, 1, kIoNone, 140, 0, "Signal \"CHANGE SETTINGS SYS\" fading (parset 1 chosen)"},
    {0xD4, 3, 3, 1, kIoNone, 141, 1, "Signal \"PERMISSION ON AS CBA>CBR and CBB>CBR LOG\" turn up"},
    {0xD5, 3, 3, 1, kIoNone, 141, 0, "Signal \"PEMISSION ON AS CBA>CBR and CBB>CBR LOG\" fading"},
    {0xD6, 3, 3, 1, kIoNone, 142, 1, "Signal \"PERMISSION ON AS CBA>CBB and CBB>CBA LOG\" turn up"},
    {0xD7, 3, 3, 1, kIoNone, 142, 0, "Signal \"PERMISSION ON AS CBA>CBB and CBB>CBA LOG\" fading"},
    {0xD8, 3, 3, 1, kIoNone, 143, 1, "Signal \"PERMISSION ON ARS LOG\" turn up"},
    {0xD9, 3, 3, 1, kIoNone, 143, 0, "Signal \"PERMISSION ON ARS LOG\" fading"},
    {0xDA, 3, 3, 1, kIoNone, 144, 1, "Signal \"TRANSIENT BLOCKING S.A LOG\" turn up"},
    {0xDB, 3, 3, 1, kIoNone, 144, 0, "Signal \"TRANSIENT BLOCKING S.A LOG\" fading"},
    {0xDC, 3, 3, 1, kIoNone, 145, 1, "Signal \"TRANSIENT BLOCKING S.B LOG\" turn up"},
    {0xDD, 3, 3, 1, kIoNone, 145, 0, "Signal \"TRANSIENT BLOCKING S.B LOG\" fading"},
    {0xDE, 3, 3, 1, kIoNone, 146, 1, "Signal \"PERMANENT BLOCKING S.A LOG\" turn up"},
    {0xDF, 3, 3, 1, kIoNone, 146, 0, "Signal \"PERMANENT BLOCKING S.A LOG\" fading"},
    {0xE0, 3, 3, 1, kIoNone, 147, 1, "Signal \"PERMANENT BLOCKING S.B LOG\" turn up"},
    {0xE1, 3, 3, 1, kIoNone, 147, 0, "Signal \"PERMANENT BLOCKING S.B LOG\" fading"},
    {0xE2, 3, 3, 1, kIoNone, 148, 1, "Signal initiating \"START PSS CBA>CBR or CBR>CBA LOG\" turn up"},
    {0xE4, 3, 3, 1, kIoNone, 149, 1, "Signal initiating \"START PSS CBB>CBR or CBR>CBB LOG\" turn up"},
    {0xE6, 3, 3, 1, kIoNone, 150, 1, "Signal initiating \"START PSS CBA>CBB or CBB>CBA LOG\" turn up"},
    {0xE8, 3, 3, 1, kIoNone, 151, 1, "Signal \"EXT. INIT. AS CBA>CBR or CBA>CBB LOG\" turn up"},
    {0xE9, 3, 3, 1, kIoNone, 151, 0, "Signal \"EXT. INIT. AS CBA>CBR  or CBA>CBB LOG\" fading"},
    {0xEA, 3, 3, 1, kIoNone, 152, 1, "Signal \"EXT. INIT. AS CBA>CBR or CBA>CBB LOG\" turn up"},
    {0xEB, 3, 3, 1, kIoNone, 152, 0, "Signal \"EXT. INIT. AS CBB>CBR or CBB>CBA LOG\" fading"},
    {0xF0, 2, 5, 0, kIoNone, 0, 0, "Jump in buffer"},
    {0xF3, 6, 4, 1, kIoNone, 0, 0, "EVENT CLOCK-TIME"},
    {0xF5, 5, 8, 1, kIoNone, 0, 0, "RESTART"},
    {0xF6, 9, 14, 1, kIoAI, 0, 0, "VOLTAGES STATE"},
    {0xF7, 10, 15, 0, kIoAI, 0, 0, "BLOCKING of SYNCHRONIC SWITCHES STATE"},
    {0xFB, 16, 16, 1, kIoNone, 0, 0, "SWITCHGEAR STATE"},
    {0xFC, 4, 6, 1, kIoNone, 0, 0, "COMMAND FOR SERIAL PORT"},
    {0xFD, 10, 18, 1, kIoNone, 0, 0, "CLOCK-TIME CHANGE"},
    {0xFE, 4, 19, 1, kIoNone, 0, 0, "Keyboard command:"},
};

template <std::size_t N>
constexpr bool CodesDistinct(const TEventRow (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (rows[i].Code == rows[j].Code) return false;
    return true;
}

template <std::size_t N>
constexpr TEventTable BuildTable(const TEventRow (&rows)[N]) {
    TEventTable table{};
    for (const TEventRow& r : rows)
        table[r.Code] = {r.Length, r.Kind, r.Name, r.Listed, r.IoClass, r.Trace, r.Value};
    return table;
}

constexpr std::array<TTraceDescription, kTraceCount> BuildTraces() {
    std::array<TTraceDescription, kTraceCount> traces{};
    for (const TTraceRow& r : kTraceRows) traces[r.Trace] = {r.Name, r.AlwaysDrawn, r.Kind};
    return traces;
}

}  // namespace

constexpr std::array<TTraceDescription, kTraceCount> TraceDescriptions = BuildTraces();

namespace {

constexpr TEventTable kType1 = BuildTable(kType1Rows);
constexpr TEventTable kType2 = BuildTable(kType2Rows);
constexpr TEventTable kUndefined{};

// Characters, not bytes: the names are UTF-8.
constexpr std::size_t Characters(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        if (!platform::IsUtf8Continuation(c)) ++n;
    return n;
}

constexpr std::size_t DefinedCodes(const TEventTable& table) {
    std::size_t n = 0;
    for (const TEventDescription& d : table)
        if (d.Length != 0) ++n;
    return n;
}

constexpr bool KindOfType(int deviceType, uint8_t kind) {
    switch (kind) {
        case kEvKindSignal:
        case kEvKindClockTime:
        case kEvKindJump:
        case kEvKindSys:
            return true;
        case kEvKindRestart1:
        case kEvKindVoltages1:
        case kEvKindBlocking1:
        case kEvKindSwitchgear1:
            return deviceType == 1;
        case kEvKindLogic:
        case kEvKindRestart2:
        case kEvKindVoltages2:
        case kEvKindBlocking2:
        case kEvKindSwitchgear2:
        case kEvKindClockChange:
        case kEvKindKeyboard:
            return deviceType == 2;
        default:
            return false;
    }
}

constexpr uint8_t LengthOfKind(uint8_t kind, uint8_t code) {
    switch (kind) {
        case kEvKindSignal:
        case kEvKindLogicAlt:
        case kEvKindLogic:
            return 3;
        case kEvKindSys:
            return code == kEvCodeSerialCommand ? 4 : 3;
        case kEvKindClockTime:
            return 6;
        case kEvKindJump:
            return 2;
        case kEvKindRestart1:
        case kEvKindRestart2:
            return 5;
        case kEvKindVoltages1:
        case kEvKindVoltages2:
            return 9;
        case kEvKindBlocking1:
        case kEvKindBlocking2:
            return 10;
        case kEvKindSwitchgear1:
        case kEvKindSwitchgear2:
            return 16;
        case kEvKindClockChangeAlt:
        case kEvKindClockChange:
            return 10;
        case kEvKindSerialCommand:
        case kEvKindKeyboard:
            return 4;
        default:
            return 0;
    }
}

constexpr bool TraceOfType(int deviceType, unsigned trace) {
    if (deviceType == 1) return (trace >= 64 && trace <= 123) || (trace >= 166 && trace <= 171);
    return (trace >= 1 && trace <= 61) || (trace >= 134 && trace <= 161);
}

constexpr bool TableSound(const TEventTable& table, int deviceType) {
    for (std::size_t code = 0; code < table.size(); ++code) {
        const TEventDescription& d = table[code];
        if (d.Length == 0) {
            if (d.Kind != 0 || !d.Name.empty() || d.Trace != 0) return false;
            continue;
        }
        if (!KindOfType(deviceType, d.Kind)) return false;
        if (d.Length != LengthOfKind(d.Kind, static_cast<uint8_t>(code))) return false;
        if (d.Name.empty() || Characters(d.Name) > kEventNameMax) return false;
        if (d.Listed > 1 || d.IoClass > kIoAI || d.TraceValue > 1) return false;
        if (d.Trace != 0) {
            if (d.Trace >= kTraceCount || !TraceOfType(deviceType, d.Trace)) return false;
            if (TraceDescriptions[d.Trace].Kind == 0) return false;
        }
    }
    return true;
}

// The walk recognises these by kind; both types must agree on them.
constexpr bool FixedCodesSound(const TEventTable& table) {
    return table[kEvCodeJump].Kind == kEvKindJump && table[kEvCodeClockTime].Kind == kEvKindClockTime &&
           table[0x02].Length == 0;
}

constexpr bool TracesSound() {
    for (std::size_t n = 0; n < kTraceCount; ++n) {
        const TTraceDescription& t = TraceDescriptions[n];
        if (Characters(t.Name) > kTraceNameMax || t.AlwaysDrawn > 1 || t.Kind > kTraceKindBreaker)
            return false;
        if (n == 0 && t.Kind != 0) return false;
    }
    return true;
}

constexpr bool RestartReasonsSound() {
    for (std::string_view text : RestartReasons)
        if (text.empty() || Characters(text) > kRestartReasonMax) return false;
    return true;
}

static_assert(CodesDistinct(kType1Rows) && CodesDistinct(kType2Rows));
static_assert(DefinedCodes(kType1) == 114);
static_assert(DefinedCodes(kType2) == 168);
static_assert(TableSound(kType1, 1));
static_assert(TableSound(kType2, 2));
static_assert(FixedCodesSound(kType1) && FixedCodesSound(kType2));
static_assert(TracesSound());
static_assert(RestartReasonsSound());

}  // namespace

const TEventTable& EventDescriptions(int deviceType) {
    switch (deviceType) {
        case 1:
            return kType1;
        case 2:
            return kType2;
        default:
            return kUndefined;
    }
}

std::string_view RestartReasonText(unsigned code) {
    return RestartReasons[std::min<std::size_t>(code, kRestartReasonLast)];
}

}  // namespace app
