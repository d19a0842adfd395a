// The field reader and the message formatter that every recorder reader relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dcomp/recorder/FieldReader.h"
#include "dcomp/recorder/SafeFormat.h"
#include "tests/dcomp/recorder/RecorderWriters.h"

namespace {

using dcomp::FormatText;
using dcomp::TByteOrder;
using dcomp::TFieldReader;
using reader_test::TImage;

std::span<const uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(FieldReaderTest, ReadsEachFieldInBothByteOrders) {
    for (bool big : {false, true}) {
        TImage img(big);
        img.U8(0, 0xAB);
        img.U16(1, 0xFEDC);
        img.U32(3, 0x89ABCDEF);
        img.F32(7, -2.5f);
        img.F64(11, 1234.0625);
        const std::string bytes = img.Bytes();
        TFieldReader r(Span(bytes), big ? TByteOrder::Big : TByteOrder::Little);
        EXPECT_EQ(r.U8(0), 0xAB);
        EXPECT_EQ(r.U16(1), 0xFEDC);
        EXPECT_EQ(r.I16(1), static_cast<int16_t>(0xFEDC));
        EXPECT_EQ(r.U32(3), 0x89ABCDEFu);
        EXPECT_EQ(r.I32(3), static_cast<int32_t>(0x89ABCDEF));
        EXPECT_EQ(r.F32(7), -2.5f);
        EXPECT_EQ(r.F64(11), 1234.0625);
        EXPECT_FALSE(r.Short());
    }
    // The same bytes read in the other order.
    const std::string bytes = "\x12\x34";
    EXPECT_EQ(TFieldReader(Span(bytes), TByteOrder::Little).U16(0), 0x3412);
    EXPECT_EQ(TFieldReader(Span(bytes), TByteOrder::Big).U16(0), 0x1234);
}

TEST(FieldReaderTest, OutsideTheBytesIsAShortReadOfZero) {
    const std::string bytes(6, '\xFF');
    struct Case {
        const char* what;
        std::size_t offset;
        int size;
    };
    const std::vector<Case> cases = {
        {"u16 at the end", 5, 2},
        {"u32 across the end", 4, 4},
        {"u8 past the end", 6, 1},
        {"offset near SIZE_MAX", std::numeric_limits<std::size_t>::max() - 1, 4},
        {"f64", 0, 8},
    };
    for (const auto& c : cases) {
        TFieldReader r(Span(bytes), TByteOrder::Little);
        uint64_t value = 1;
        switch (c.size) {
            case 1:
                value = r.U8(c.offset);
                break;
            case 2:
                value = r.U16(c.offset);
                break;
            case 4:
                value = r.U32(c.offset);
                break;
            case 8:
                value = static_cast<uint64_t>(r.F64(c.offset));
                break;
        }
        EXPECT_EQ(value, 0u) << c.what;
        EXPECT_TRUE(r.Short()) << c.what;
    }
    TFieldReader r(Span(bytes), TByteOrder::Little);
    EXPECT_EQ(r.Text(4, 3), "");
    EXPECT_TRUE(r.Bytes(5, 2).empty());
    EXPECT_TRUE(r.Short());
    EXPECT_FALSE(TFieldReader(Span(bytes), TByteOrder::Little).Has(7, 0));
    EXPECT_TRUE(TFieldReader(Span(bytes), TByteOrder::Little).Has(6, 0));
}

TEST(FieldReaderTest, TextsEndAtNulOrFieldAndComeFromCodePage1250) {
    const std::string bytes =
        std::string("Ab\0cd", 5) + "\xB9\xE6\x9C\xB3" + "xyz" + "\x05" + "\xA3\xF3" + "dzABCD";
    TFieldReader r(Span(bytes), TByteOrder::Big);
    EXPECT_EQ(r.Text(0, 5), "Ab");
    EXPECT_EQ(r.Text(3, 2), "cd");
    EXPECT_EQ(r.Text(5, 4), "ąćśł");
    EXPECT_EQ(r.Text(9, 2), "xy");
    // Length byte 5 over a field of 4 characters: cut to the field.
    EXPECT_EQ(r.ShortString(12, 4), "Łódz");
    EXPECT_EQ(r.ShortString(12, 8), "ŁódzA");
    EXPECT_FALSE(r.Short());
}

TEST(SafeFormatTest, FormatsLikePrintfWithoutTheLocale) {
    struct Case {
        std::string got, want;
    };
    const std::vector<Case> cases = {
        {FormatText("%s: x %.3f[s] do %.3f[s]\\e", {"plik", 1.5, 0.25}), "plik: x 1.500[s] do 0.250[s]\\e"},
        {FormatText("PrbNr=%u 0x%x:%.1f%%", {12u, 255u, 33.35}), "PrbNr=12 0xff:33.4%"},
        {FormatText("%d|%5d|%-4d|%05d|%+d", {-7, 42, 3, -42, 9}), "-7|   42|3   |-0042|+9"},
        {FormatText("%.02u/%.04u", {5u, 2020u}), "05/2020"},
        {FormatText("%X %c %.2s", {0xABCu, "Qx", "abc"}), "ABC Q ab"},
        {FormatText("%u", {4294967295u}), "4294967295"},
        {FormatText("%.1f", {0.25}), "0.2"},  // halves as the binary value lies, to even here
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(SafeFormatTest, MismatchedConversionsNeverReadAMissingArgument) {
    struct Case {
        std::string got, want;
    };
    const std::vector<Case> cases = {
        // More conversions than arguments: the rest stay as written.
        {FormatText("%s ma %u i %s", {"a"}), "a ma %u i %s"},
        {FormatText("%.3f[s] do %.3f[s]", {}), "%.3f[s] do %.3f[s]"},
        // Arguments of another kind show as what they are.
        {FormatText("%u rekordów", {"dwa"}), "dwa rekordów"},
        {FormatText("%s", {2.5}), "2.5"},
        {FormatText("%d", {std::nan("")}), "NAN"},
        {FormatText("%x", {1e300}), FormatText("%f", {1e300})},
        {FormatText("%.1f", {7}), "7.0"},
        // Unknown conversions, a lone percent and huge widths.
        {FormatText("%k %", {1}), "%k %"},
        {FormatText("%99999999999d", {1}).size() <= 1024 ? "ok" : "too wide", "ok"},
        // Extra arguments are ignored.
        {FormatText("x", {1, 2}), "x"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

}  // namespace
