// The recording units' date-time text on any text and selector: the parser gives a value
// inside the calendar or one of its four reasons and never raises; the value is written
// as a text that reads back, exactly where a day number holds every microsecond. Any
// eight bytes as a day number are written without a fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "dcomp/DcompInit.h"
#include "dcomp/OvBase.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using namespace dcomp;

bool ReasonFits(const std::string& text, const std::string& reason) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return reason == "missing comma, expected input format: dd/mm/yyyy,hh:mm:ss.zzzzzz";
    const std::string date = text.substr(0, comma), time = text.substr(comma + 1);
    return reason == date + " is not valid date" || reason == "invalid hour " + time ||
           reason == time + " is not valid Time";
}

bool Written(const std::string& text) {
    static const char kForm[] = "00/00/0000,00:00:00.000000";
    if (text.size() != sizeof kForm - 1) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (kForm[i] == '0' ? (text[i] < '0' || text[i] > '9') : text[i] != kForm[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        InitUnits();
        return true;
    }();
    (void)ready;
    if (size == 0) return 0;
    const int selectors[] = {0, 1, 2007};
    const int selector = selectors[data[0] % 3];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    double value = -1;
    std::string reason;
    if (!TryCmtrStrToDateTime(text, value, reason, selector)) {
        FUZZ_CHECK(value == 0);
        FUZZ_CHECK(ReasonFits(text, reason));
    } else {
        FUZZ_CHECK(reason.empty());
        FUZZ_CHECK(value > -693594.0 && value < 2958466.0);
        const std::string written = CmtrDateTimeToStr(selector, value);
        FUZZ_CHECK(Written(written));
        double again = 0;
        FUZZ_CHECK(TryCmtrStrToDateTime(written, again, reason, 2007));
        if (std::fabs(value) < 65536.0) {
            FUZZ_CHECK(again == value);
            FUZZ_CHECK(CmtrDateTimeToStr(0, again) == written);
        }
    }

    if (size >= 9) {
        double any = 0;
        std::memcpy(&any, data + 1, sizeof any);
        const std::string written = CmtrDateTimeToStr(selector, any);
        FUZZ_CHECK(Written(written));
        FUZZ_CHECK(TryCmtrStrToDateTime(written, value, reason, 2007));
    }
    return 0;
}
