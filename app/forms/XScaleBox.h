#pragma once
// What the main window's scale box does to the active document's chart.
#include <array>
#include <string_view>

namespace app {

// The box's items; item 0 stands for the chart's automatic scale.
inline constexpr std::array<std::string_view, 10> kXScaleItems = {"Fit", "50",  "75",   "100",  "150",
                                                                  "200", "500", "1000", "2000", "5000"};
inline constexpr int kMinXScale = 10;
inline constexpr int kMaxXScale = 50000;

struct TXScaleDecision {
    enum TKind { Nothing, Autoscale, Scale };
    TKind Kind = Nothing;
    int ScaleX = 0;  // for Scale
    bool operator==(const TXScaleDecision&) const = default;
};

// Nothing for an empty text, or a text that is no item while nothing of it is selected
// (a value still being typed); a whole integer from 10 to 50000 is a scale; anything
// else (the item "Fit" included) the automatic scale, after which the box shows "Fit".
TXScaleDecision DecideXScale(std::string_view text, bool textSelected);

}  // namespace app
