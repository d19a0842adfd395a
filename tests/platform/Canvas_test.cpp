// The recording canvas: what every drawing test reads, so it must keep each call's
// own state and measure text by characters, not bytes.
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/Strings.h"

using namespace platform;

TEST(RecordingCanvas, EachCallKeepsTheStateItWasMadeIn) {
    TRecordingCanvas c;
    c.Pen = {clRed, TPenStyle::Dot, 3, TPenMode::Copy};
    c.Line(1, 2, 3, 4);
    c.Pen.Mode = TPenMode::MergePenNot;
    c.Brush = {clYellow, TBrushStyle::Clear};
    c.Rectangle({5, 6, 7, 8});
    c.Font.Color = clBlue;
    c.TextOut(9, 10, "ab");
    c.HorizontalLines(11, 12, 13, 6);
    c.FillRect({14, 15, 16, 17});

    ASSERT_EQ(c.Calls.size(), 5u);
    using K = TRecordingCanvas::TKind;
    const auto& line = c.Calls[0];
    EXPECT_EQ(line.Kind, K::Line);
    EXPECT_EQ((std::array{line.X1, line.Y1, line.X2, line.Y2}), (std::array{1, 2, 3, 4}));
    EXPECT_EQ(line.Pen, (TPen{clRed, TPenStyle::Dot, 3, TPenMode::Copy}));
    EXPECT_EQ(line.Brush, TBrush{});
    const auto& rect = c.Calls[1];
    EXPECT_EQ(rect.Kind, K::Rectangle);
    EXPECT_EQ((std::array{rect.X1, rect.Y1, rect.X2, rect.Y2}), (std::array{5, 6, 7, 8}));
    EXPECT_EQ(rect.Pen.Mode, TPenMode::MergePenNot);
    EXPECT_EQ(rect.Brush.Style, TBrushStyle::Clear);
    EXPECT_EQ(c.Calls[2].Text, "ab");
    EXPECT_EQ(c.Calls[2].Font.Color, clBlue);
    EXPECT_EQ(c.Calls[1].Font.Color, clBlack);
    const auto& lines = c.Calls[3];
    EXPECT_EQ((std::array{lines.X1, lines.X2, lines.Y1, lines.Count}), (std::array{11, 12, 13, 6}));
    EXPECT_EQ(c.Calls[4].Kind, K::FillRect);
}

TEST(RecordingCanvas, MeasuresTextByCharacters) {
    struct Case {
        const char* Text;
        int Characters;
    };
    for (const Case& t : {Case{"", 0}, Case{"A", 1}, Case{"Wykres 12", 9}, Case{"Błąd", 4},
                          Case{"drukarki \xC5", 10}})  // a stray lead byte still counts once
        EXPECT_EQ(CharacterCount(t.Text), t.Characters) << t.Text;
    TRecordingCanvas c;
    c.CharWidth = 6;
    c.CharHeight = 13;
    EXPECT_EQ(c.TextWidth("Błąd"), 24);
    EXPECT_EQ(c.TextHeight("Błąd"), 13);
}

TEST(Colors, RedIsTheLowByte) {
    EXPECT_EQ(RGBColor(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(RedOf(clRed), 0xFF);
    EXPECT_EQ(BlueOf(clBlue), 0xFF);
    EXPECT_EQ(GreenOf(clGreen), 0x80);
}
