#include "app/forms/XScaleBox.h"

#include <algorithm>
#include <cstdint>

#include "platform/FormatSettings.h"

namespace app {

TXScaleDecision DecideXScale(std::string_view text, bool textSelected) {
    if (text.empty()) return {};
    const bool isItem = std::find(kXScaleItems.begin(), kXScaleItems.end(), text) != kXScaleItems.end();
    if (!isItem && !textSelected) return {};
    int64_t value = 0;
    if (!platform::TryStrToInt(text, value) || value < kMinXScale || value > kMaxXScale)
        return {TXScaleDecision::Autoscale, 0};
    return {TXScaleDecision::Scale, static_cast<int>(value)};
}

}  // namespace app
