#pragma once
// What the print options dialog edits, as plain values: the four page margins in
// millimetres shown as centimetre texts, and the print flags.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// Bits of a document's print flags.
inline constexpr uint8_t kPrintListing = 1u << 0;
inline constexpr uint8_t kPrintGraph = 1u << 1;
inline constexpr uint8_t kPrintParset1 = 1u << 2;
inline constexpr uint8_t kPrintParset2 = 1u << 3;
inline constexpr uint8_t kDefaultPrintFlags = kPrintListing | kPrintGraph;

struct TPageSetup {
    int32_t Left = 25;
    int32_t Right = 25;
    int32_t Top = 25;
    int32_t Bottom = 25;
};

// 25 shows as "2,50 cm" (the application's decimal separator).
std::string MarginText(int32_t mm);

// The number the text begins with (digits, the decimal separator, signs), in
// centimetres, as whole millimetres rounded, 0 for a negative one. Nothing for an empty
// text; platform::EConvertError for a text that does not begin with a number or a
// margin outside 32-bit millimetres.
std::optional<int32_t> MarginFromText(std::string_view text);

// The text a spin button's click shows: the box's margin moved by delta millimetres
// (an empty box moves from current). Raises as MarginFromText.
std::string MarginStepText(std::string_view text, int32_t current, int32_t delta);

struct TPrintChecks {
    bool Listing = false;
    bool Graph = false;
    bool Parset1 = false;
    bool Parset2 = false;
    bool operator==(const TPrintChecks&) const = default;
};
TPrintChecks ChecksFromFlags(uint8_t flags);
uint8_t FlagsFromChecks(const TPrintChecks& checks);

}  // namespace app
