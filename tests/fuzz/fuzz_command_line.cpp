// The program's command line: NUL-separated parameters, the names that exist chosen by
// the input's first byte, then the scan into actions and the window name of the option
// text. Paths keep every byte; only keys and the type word change case.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/forms/CommandLine.h"
#include "platform/Strings.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t existsMask = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<std::string> params;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size() && params.size() < 64; ++i)
        if (i == text.size() || text[i] == '\0') {
            params.push_back(text.substr(begin, i - begin));
            begin = i + 1;
        }
    std::size_t asked = 0;
    const auto exists = [&](const std::string&) { return (existsMask >> (asked++ % 8)) & 1; };

    const std::vector<app::TCommandAction> actions = app::ScanCommandLine(params, exists);
    std::string gathered;
    for (std::size_t n = 0; n < actions.size(); ++n) {
        const app::TCommandAction& a = actions[n];
        switch (a.Kind) {
            case app::TCommandKind::OpenDocument:
                FUZZ_CHECK(!a.Text.empty());
                break;
            case app::TCommandKind::MissingFile:
                FUZZ_CHECK(platform::StartsWith(a.Text, "file: "));
                break;
            case app::TCommandKind::ServiceMode:
                break;
            case app::TCommandKind::NewFromParams: {
                FUZZ_CHECK(n + 1 == actions.size());
                FUZZ_CHECK(!a.Text.empty());
                gathered = a.Text;
                const std::string name = app::ParamsWindowName(a.Text);
                FUZZ_CHECK(name.empty() || a.Text.find(name) != std::string::npos);
                break;
            }
        }
    }
    std::string joined;
    for (const std::string& p : params) {
        if (p.empty()) break;
        if (!joined.empty()) joined += ' ';
        joined += p;
    }
    // The option words are the parameters' own, only keys and the type word in lower case.
    FUZZ_CHECK(gathered.size() <= joined.size());
    return 0;
}
