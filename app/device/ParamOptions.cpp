#include "app/device/ParamOptions.h"

#include <algorithm>

#include "platform/Strings.h"

namespace app {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

TParamOptions CutParamOptions(std::string_view text) {
    TParamOptions cut;
    cut.Text = platform::TrimView(text);
    const std::string_view t = cut.Text;
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i] == '-' && (i == 0 || IsBlank(t[i - 1]))) starts.push_back(i);
    cut.Leading = platform::TrimView(t.substr(0, starts.empty() ? t.size() : starts.front()));
    for (std::size_t n = 0; n < starts.size(); ++n) {
        const std::size_t end = n + 1 < starts.size() ? starts[n + 1] : t.size();
        const std::string_view option = platform::TrimView(t.substr(starts[n] + 1, end - starts[n] - 1));
        const std::size_t blank =
            static_cast<std::size_t>(std::find_if(option.begin(), option.end(), IsBlank) - option.begin());
        cut.Options.push_back(
            {platform::TrimView(option.substr(0, blank)), platform::TrimView(option.substr(blank))});
    }
    return cut;
}

}  // namespace app
