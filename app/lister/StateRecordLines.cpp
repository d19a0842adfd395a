#include "app/lister/StateRecordLines.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "app/device/Interp.h"
#include "app/events/EventRecords.h"
#include "app/lister/ListingTexts.h"
#include "chart/Bitbit.h"

namespace app {

namespace {

enum TShownWhen : uint8_t { A, L, S };  // always, ImplementsSysLogick, show all events
constexpr uint8_t kBreaker = 0xFF;      // the breaker state of bits 2 and 3

struct TSwitchgearRow {
    uint8_t Byte;
    uint8_t Bit;  // kBreaker: a breaker state row
    TShownWhen When;
    std::string_view Set;  // the breaker's label on a breaker row
    std::string_view Clear;
};

constexpr TSwitchgearRow kType1Switchgear[] = {
    {15, 0, A, "Auxiliary voltage exists (A9-A10)", "Missing of auxiliary voltage (A11-A12)"},
    {15, 1, L, "SA SYS key close", "SA SYS key open"},
    {15, 2, A, "SA key close (B1-B2)", "SA key open (B1-B2)"},
    {15, 4, A, "Signal permission on AS CBM>CBR(B5) exists", "Fading of signal permission on AS CBM>CBR(B5)"},
    {15, 5, A, "Signal permission on AS CBR>CBM(B6) exists", "Fading of signal permission on AS CBR>CBM(B6)"},
    {15, 6, A, "Signal permission on ARS(B7) exists", "Fading of signal permission on ARS(B7)"},
    {15, 7, A, "Transient blocking input (B8) exists", "Fading transient blocking input(B8)"},
    {14, 0, A, "Permanent blocking input (B9) exists", "Fading permanent blocking input (B9)"},
    {14, 1, A, "Signal initiating PSS CBM>CBR or CBR>CBM(B10) exists",
     "Fading signal initiating PSS CBM>CBR or CBR>CBM(B10)"},
    {14, 2, A, "Signal external initiating AS CBM>CBR(B11) exists",
     "Fading signal external initiating AS CBM>CBR(B11)"},
    {14, 3, A, "Signal external initiating AS CBR>CBM(B12) exists",
     "Fading signal external initiating AS CBR>CBM(B12)"},
    {13, 1, L, "SA LOG Key close", "SA LOG Key open"},
    {13, kBreaker, A, "State CBM -", ""},
    {13, 4, A, "Signal bay switching CM (C5-C6) exists", "Fading signal bay switching CM (C5-C6)"},
    {13, 5, A, "External signal turn off CM (D4) exists", "Fading signal turn off CM (D4)"},
    {13, 6, L, "Active signal PERMISSION ON AS CBM>CBR SYS", "Unactive signal PERMISSION ON AS CBM>CBR SYS"},
    {12, 1, L, "Aktive signal PERMISSION ON ARS LOG", "Unaktive signal PERMISSION ON ARS LOG"},
    {12, 6, L, "Aktive signal PERMISSION ON ARS SYS", "Unaktive signal PERMISSION ON ARS SYS"},
    {11, 0, A, "Signal change settings exists - parset 2 chosen",
     "Fading signal change settings - parset 1 chosen"},
    {11, 1, L, "Aktive signal CHANGE SETTINGS LOG(parset 2 chosen)",
     "Unactive signal CHANGE SETTINGS LOG(parset 1 chosen)"},
    {11, kBreaker, A, "State CBR-", ""},
    {11, 4, A, "Signal bay switching CBR (C7-C8) exists", "Fading signal bay switching CBR (C7-C8)"},
    {11, 5, A, "External signal turn off CBR (D8) exists", "Fading external signal turn off CBR (D8)"},
    {11, 6, L, "Active signal PERMISSION ON AS CBR>CBM SYS", "Unactive signal PERMISSION ON AS CBR>CBM SYS"},
    {10, 0, A, "Close relay V<t 2 st. (F5-F6)", "Open relay V<t 2 st. (F5-F6)"},
    {10, 2, A, "Close relay V<t 1 st. (F3-F4)", "Open  relay V<t 1 st. (F3-F4)"},
    {10, 3, L, "Active signal TRANSIENT BLOCKING SYS", "Unactive signal TRANSIENT BLOCKING SYS"},
    {10, 7, L, "Active signal PERMANENT BLOCKING SYS", "Unactive signal PERMANENT BLOCKING SYS"},
    {9, 0, S, "Activated signalling PSS or ARS INITIATED", "Not activated signalling PSS or ARS INITIATED"},
    {9, 1, S, "Activated signalling AS OPERATING", "Not activated signalling AS OPERATING"},
    {9, 2, S, "Activated signalling  OFF-AUTOMATIC", "Not activated signalling  OFF-AUTOMATIC"},
    {9, 3, S, "Activated signalling PERMANENT BLOCKING", "Not activated signalling PERMANENT BLOCKING"},
    {9, 4, S, "Activated signalling TRANSIENT BLOCKING OR NOT READY",
     "Not activated signalling TRANSIENT BLOCKING OR NOT READY"},
    {9, 5, S, "Activated signalling INCORRECT PSS OR ARS", "Not activated signalling INCORRECT PSS OR ARS"},
    {9, 6, S, "Activated signalling INCORRECT AS", "Not activated signalling INCORRECT AS"},
    {9, 7, L, "Active signal CHANGE SETTINGS SYS(parset 2 chosen)",
     "Unactive signal CHANGE SETTINGS SYS(parset 1 chosen)"},
    {8, 4, L, "Active signal PERMISSION ON AS CBM>CBR LOG", "Unactive signal PERMISSION ON AS CBM>CBR LOG"},
    {8, 5, L, "Active signal PERMISSION ON AS CBR>CBM LOG", "Unactive signal PERMISSION ON AS CBR>CBM LOG"},
    {7, 4, L, "Active signal PERMANENT BLOCKING LOG", "Unactive signal PERMANENT BLOCKING LOG"},
    {7, 5, L, "Active signal TRANSIENT BLOCKING LOG", "Unactive signal TRANSIENT BLOCKING LOG"},
};

constexpr TSwitchgearRow kType2Switchgear[] = {
    {15, 0, A, "Auxiliary voltage exists (A11-A12)", "Missing of auxiliary voltage (A11-A12)"},
    {15, 1, L, "SA SYS Key close", "SA SYS Key open"},
    {15, 2, A, "SA Key close (B1-B2)", "Key open SA (B1-B2)"},
    {15, 4, A, "Signal permission on AS CBA>CBR and CBB>CBR(B5) exists",
     "Fading of signal permission on AS CBA>CBR and CBB>CBR(B5)"},
    {15, 5, A, "Signal permission on AS CBA>CBB i CBB>CBA (B6) exists",
     "Fading of signal permission on AS  CBA>CBB and CBB>CBA (B6)"},
    {15, 6, A, "Signal permission on ARS (B7) exists", "Fading of signal permission on ARS (B7)"},
    {15, 7, A, "Signal transient blocking input section A (B8) exists",
     "Fading signal transient blocking input section A (B8)"},
    {14, 0, A, "Signal transient blocking input section B (B9) exists",
     "Fading signal transient blocking input section B(B9)"},
    {14, 1, A, "Signal permanent blocking input section A (B10) exists",
     "Fading signal permanent blocking input A (B10)"},
    {14, 2, A, "Signal permanent blocking input section B (B11) exists",
     "Fading signal permanent blocking input section B (B11)"},
    {14, 3, S, "Signal initiating PSS CBA>CBR or CBR>CBA (B12) exists",
     "Fading signal initiating PSS CBA>CBR or CBR>CBA (B12)"},
    {14, 4, S, "Signal initiating PSS CBB>CBR or CBB>CBA (B13) exists",
     "Fading signal initiating PSS CBB>CBR or CBB>CBA (B13)"},
    {14, 5, S, "Signal initiating PSS CBA>CBB or CBB>CBA (B14)",
     "Fading signal initiating CBA>CBB or CBB>CBA (B14)"},
    {14, 6, L, "signal transient blocking input section B LOG exists",
     "Fading signal transient blocking input section B LOG"},
    {13, 0, A, "Signal external initiating AS CBA>CBR or CBA>CBB(B15) exists",
     "Fading signal external initiating AS CBA>CBR or CBA>CBB (B15)"},
    {13, 1, L, "SA LOG Key close", "SA LOG Key open"},
    {13, kBreaker, A, "CBA-", ""},
    {13, 4, A, "Signal bay switching CBA (C7-C8) exists", "Fading signal bay switching CBA (C7-C8)"},
    {13, 5, A, "External signal turn off CBA (D4) exists", "Fading external signal turn off CBA (D4)"},
    {13, 6, L, "Fading signal PERMISSION ON AS CBA>CBR and CBB>CBR SYS",
     "Signal PERMISSION ON AS CBA>CBR and CBB>CBR SYS exists"},
    {12, 0, A, "Signal change settings exists - parset 2 chosen (B4)",
     "Fading signal change settings - parset 1 chosen (B4)"},
    {12, 1, L, "Signal PERMISSION ON ARS LOG exists", "Fading signal PERMISSION ON ARS LOG"},
    {12, kBreaker, A, "CBR-", ""},
    {12, 4, A, "Signal bay switching CBR (C9-C10) exists", "Fading signal bay switching CBR (C9-C10)"},
    {12, 5, A, "External signal turn off CBR (D8) exists", "Fading external signal turn off CBR (D8)"},
    {12, 6, L, "Active signal PERMISSION ON ARS SYS", "Unactive signal PERMISSION ON ARS SYS"},
    {11, 0, A, "Signal external initiating AS CBB>CBR or CBB>CBA (B16) exists",
     "Fading signal external initiating AS CBB>CBR or CBB>CBA(B16)"},
    {11, 1, L, "Active signal change settings LOG (parset 2 chosen)",
     "Unactive signal change settings LOG (parset 1 chosen)"},
    {11, kBreaker, A, "CBB-", ""},
    {11, 4, A, "Signal bay switching CBB (C11-C12) exists", "Fading signal bay switching CBB (C11-C12)"},
    {11, 5, A, "External signal turn off CBB (D12) exists", "Fading external signal turn off CBB (D12)"},
    {11, 6, L, "Active signal PERMISSION ON AS CBA>CBB and CBB>CBA SYS",
     "Unactive signal PERMISSION ON AS CBA>CBB and CBB>CBA SYS"},
    {10, 0, A, "Close relay V<t section B 2 st. (F3-F9)", "Open relay V<t section B 2 st. (F9-F10)"},
    {10, 1, L, "Active signal TRANSIENT BLOCKING S.B SYS", "Unactive signal TRANSIENT BLOCKING S.B SYS"},
    {10, 2, A, "Closerelay V<t section B 1 st. (F5-F6)", "Open relay V<t section B 1 st. (F5-F6)"},
    {10, 3, L, "Active signal TRANSIENT BLOCKING S.A SYS", "Unactive signal TRANSIENT BLOCKING S.A SYS"},
    {10, 4, A, "Close relay V<t section A 2 st. (F7-F8)", "Open relay V<t section A 2 st. (F7-F8)"},
    {10, 5, L, "Active signal PERMANENT BLOCKING S.B SYS", "Unactive signal PERMANENT BLOCKING S.B SYS"},
    {10, 6, A, "Close relay V<t section A 1 st. (F3-F4)", "Open relay V<t section A 1 st. (F3-F4)"},
    {10, 7, L, "Active signal PERMANENT BLOCKING S.A SYS", "Unactive signal PERMANENT BLOCKING S.A SYS"},
    {9, 0, S, "Activated signalling PSS or ARS INITIATED (E8)",
     "Not activated signalling PSS or ARS INITIATED (E8)"},
    {9, 1, S, "Activated signalling AS OPERATING (E7)", "Not activated signalling AS OPERATING (E7)"},
    {9, 2, S, "Activated signalling  OFF-AUTOMATIC (E2)", "Not activated signalling  OFF-AUTOMATIC (E2)"},
    {9, 3, S, "Activated signalling PERMANENT BLOCKING (E3)",
     "Not activated signalling PERMANENT BLOCKING (E3)"},
    {9, 4, S, "Activated signalling TRANSIENT BLOCKING OR NOT READY(E4)",
     "Not activated signalling TRANSIENT BLOCKING OR NOT READY(E4)"},
    {9, 5, S, "Activated signalling INCORRECT PSS OR ARS (E6)",
     "Not activated signalling INCORRECT PSS OR ARS (E6)"},
    {9, 6, S, "Activated signalling INCORRECT AS (E5)", "Not activated signalling INCORRECT AS (E5)"},
    {9, 7, L, "Active signal CHANGE SETTINGS SYS(parset 2 chosen)",
     "Unactive signal CHANGE SETTINGS SYS(parset 1 chosen)"},
    {8, 4, L, "Active signal PERMISSION ON AS CBA>CBR and CBB>CBR LOG",
     "Unactive signal PERMISSION ON AS CBA>CBR and CBB>CBR LOG"},
    {8, 5, L, "Active signal PERMISSION ON AS CBA>CBB and CBB>CBA LOG",
     "Unactive signal PERMISSION ON AS CBA>CBB and CBB>CBA LOG"},
    {7, 4, L, "Active signal PERMANENT BLOCKING S.B LOG", "Unactive signal PERMANENT BLOCKING S.B LOG"},
};

struct TBlockingFlag {
    uint8_t Byte;
    uint8_t Bit;
    std::string_view Text;
};

constexpr TBlockingFlag kType1Blocking[] = {
    {7, 1, "  df_Vs-VR<set value"},  {7, 2, "  df_Vs-VM<set value"}, {8, 1, "  dfi_Vs-VR<set value"},
    {8, 2, "  dfi_Vs-VM<set value"}, {9, 1, "  dV_Vs-VR<set value"}, {9, 2, "  dV_Vs-VM<set value"},
};

constexpr TBlockingFlag kType2Blocking[] = {
    {7, 4, "  df_VsB-VA<setting value"},   {7, 5, "  df_VsA-VB<setting value"},
    {8, 4, "  dphi_VsB-VA<setting value"}, {8, 5, "  dphi_VsA-VB<setting value"},
    {9, 4, "  dV_VsB-VA<setting value"},   {9, 5, "  dV_VsA-VB<setting value"},
};

bool Bit(std::span<const uint8_t> record, uint8_t byte, int bit) {
    return byte < record.size() && chart::BitIsSet(bit, record[byte]);
}

bool Shown(TShownWhen when, const TListingConditions& c) {
    switch (when) {
        case L:
            return c.SysLogick;
        case S:
            return c.ShowAllEvents;
        default:
            return true;
    }
}

}  // namespace

void WriteVoltageLines(std::span<const uint8_t> record, int deviceType, IListingSink& sink) {
    const std::span<const TVoltagePair> pairs = VoltagePairs(deviceType);
    if (pairs.empty()) return;
    std::string bands;
    for (const TVoltagePair& pair : pairs) {
        const auto codes = VoltageCodesOf(record, pair);
        if (!codes) return;
        bands += "  " + VoltageBandText(codes->A, codes->B, pair.Name);
    }
    sink.AddLine(bands, TListingStyle::Plain);
    // The drop flag of byte 6 is listed before that of byte 5 in both types.
    for (const uint8_t byte : {6, 5})
        for (const TVoltagePair& pair : pairs)
            if (const auto codes = VoltageCodesOf(record, pair); pair.Second == byte && codes && codes->Drop)
                sink.AddLine("  Drop down voltage " + std::string(pair.Name) + " more than Vs",
                             TListingStyle::Plain);
}

void WriteBlockingLines(std::span<const uint8_t> record, int deviceType, IListingSink& sink) {
    const std::span<const TBlockingFlag> flags =
        deviceType == 1   ? std::span<const TBlockingFlag>(kType1Blocking)
        : deviceType == 2 ? std::span<const TBlockingFlag>(kType2Blocking)
                          : std::span<const TBlockingFlag>();
    for (const TBlockingFlag& f : flags)
        if (Bit(record, f.Byte, f.Bit)) sink.AddLine(std::string(f.Text), TListingStyle::Plain);
}

bool SameBlockingState(std::span<const uint8_t> record, std::span<const uint8_t> previousCell) {
    constexpr std::size_t kFirstStateByte = 3;
    if (record.size() <= kFirstStateByte || previousCell.size() < record.size()) return false;
    return std::equal(record.begin() + kFirstStateByte, record.end(), previousCell.begin() + kFirstStateByte);
}

void WriteSwitchgearLines(std::span<const uint8_t> record, int deviceType,
                          const TListingConditions& conditions, IListingSink& sink) {
    const std::span<const TSwitchgearRow> rows =
        deviceType == 1   ? std::span<const TSwitchgearRow>(kType1Switchgear)
        : deviceType == 2 ? std::span<const TSwitchgearRow>(kType2Switchgear)
                          : std::span<const TSwitchgearRow>();
    for (const TSwitchgearRow& row : rows) {
        if (!Shown(row.When, conditions) || row.Byte >= record.size()) continue;
        std::string line = "  ";
        if (row.Bit == kBreaker)
            line += std::string(row.Set) +
                    StateText(ContactState(Bit(record, row.Byte, 2), Bit(record, row.Byte, 3)));
        else
            line += Bit(record, row.Byte, row.Bit) ? row.Set : row.Clear;
        sink.AddLine(line, TListingStyle::Plain);
    }
}

}  // namespace app
