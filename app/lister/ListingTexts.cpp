#include "app/lister/ListingTexts.h"

#include <array>
#include <cmath>

#include "platform/FormatSettings.h"

namespace app {

namespace {
constexpr double kMsPerDay = 86400000.0;
}

std::string StateText(int state) {
    static constexpr std::array<const char*, 9> kTexts{
        "OFF",      "ON",         "AMBIGUOUS STATE", "UNKNOWN STATE", "V<Vlt",
        "Vlt<V<VL", "VL<V<0,9Vr", "0.9Vr<V<Vr",      "V>Vr",
    };
    if (state < 0 || state >= static_cast<int>(kTexts.size())) return "?";
    return kTexts[static_cast<std::size_t>(state)];
}

int ContactState(bool closed, bool open) {
    return closed != open ? (closed ? 1 : 0) : 2;
}

double ListingSeconds(platform::TDateTime difference) {
    // Whole days count too, so that the seconds of a sequence over a day keep rising.
    if (!(difference > 0) || !std::isfinite(difference)) return 0;
    return std::nearbyint(difference * kMsPerDay) / 1000.0;
}

std::string SecondsText(double seconds) {
    return platform::FormatFixed(seconds, 3, platform::AppFormatSettings());
}

std::string SequenceLineText(int number, const TSequenceInfo& info) {
    const platform::TFormatSettings& fs = platform::AppFormatSettings();
    std::string line = "Sequence no." + std::to_string(number) + " ";
    if (info.Kind == kSequenceNormal) line += "(Normal) ";
    if (info.Kind == kSequenceRestart) line += "(Restart) ";
    line += "Date: " + platform::DateToStr(info.Earliest, fs);
    line += " hour: " + platform::TimeToStr(info.Earliest, fs);
    line += ":" + platform::FormatDateTime("zzz", info.Earliest, fs);
    return line;
}

}  // namespace app
