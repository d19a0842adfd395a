#include "app/forms/CommandLine.h"

#include <algorithm>

#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace app {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

struct TOption {
    std::size_t KeyBegin, KeyEnd;      // after the "-"
    std::size_t ValueBegin, ValueEnd;  // trimmed
};

// The options of an option text as the image's reader cuts them: each starts at a "-"
// at the start or after a blank and runs to the next such "-"; its key ends at the
// first blank. Text before the first option is not one.
std::vector<TOption> CutOptions(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '-' && (i == 0 || IsBlank(text[i - 1]))) starts.push_back(i);
    std::vector<TOption> options;
    for (std::size_t n = 0; n < starts.size(); ++n) {
        const std::size_t end = n + 1 < starts.size() ? starts[n + 1] : text.size();
        TOption o{};
        o.KeyBegin = starts[n] + 1;
        o.KeyEnd = o.KeyBegin;
        while (o.KeyEnd < end && !IsBlank(text[o.KeyEnd])) ++o.KeyEnd;
        o.ValueBegin = o.KeyEnd;
        o.ValueEnd = end;
        while (o.ValueBegin < o.ValueEnd && IsBlank(text[o.ValueBegin])) ++o.ValueBegin;
        while (o.ValueEnd > o.ValueBegin && IsBlank(text[o.ValueEnd - 1])) --o.ValueEnd;
        options.push_back(o);
    }
    return options;
}

void LowerRange(std::string& text, std::size_t begin, std::size_t end) {
    const std::string lower = platform::LowerCase(std::string_view(text).substr(begin, end - begin));
    text.replace(begin, end - begin, lower);
}

// Keys and the device-type word in lower case, everything else as typed.
std::string LowerOptionKeys(std::string text) {
    for (const TOption& o : CutOptions(text)) {
        LowerRange(text, o.KeyBegin, o.KeyEnd);
        if (std::string_view(text).substr(o.KeyBegin, o.KeyEnd - o.KeyBegin) == "halvotype")
            LowerRange(text, o.ValueBegin, o.ValueEnd);
    }
    return text;
}

// The extension from the last "." of the name part, "." included.
std::string_view Extension(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return path.substr(dot);
}

}  // namespace

bool ServiceWordGiven(const std::vector<std::string>& params) {
    return std::find(params.rbegin(), params.rend(), "service") != params.rend();
}

std::string MissingDocumentText(const std::string& name) {
    return "file: " + name + "does not exists";
}

std::vector<TCommandAction> ScanCommandLine(const std::vector<std::string>& params,
                                            const TFileExists& fileExists) {
    std::vector<TCommandAction> actions;
    std::string options;
    for (const std::string& param : params) {
        if (param.empty()) break;
        const std::string lower = platform::LowerCase(param);
        if (Extension(lower) == ".halvo") {
            if (!fileExists(param)) {
                actions.push_back({TCommandKind::MissingFile, MissingDocumentText(param)});
                break;
            }
            actions.push_back({TCommandKind::OpenDocument, param});
        } else if (lower == "service" || lower == "-service") {
            actions.push_back({TCommandKind::ServiceMode, {}});
        } else {
            if (!options.empty()) options += ' ';
            options += param;
        }
    }
    if (!options.empty()) actions.push_back({TCommandKind::NewFromParams, LowerOptionKeys(options)});
    return actions;
}

std::string ParamsWindowName(std::string_view options) {
    for (const TOption& o : CutOptions(options)) {
        const std::string key = platform::LowerCase(options.substr(o.KeyBegin, o.KeyEnd - o.KeyBegin));
        if (key == "buffile" || key == "zns1file" || key == "zns2file")
            return std::string(options.substr(o.ValueBegin, o.ValueEnd - o.ValueBegin));
    }
    return {};
}

std::string NewFileName(uint16_t& counter, bool anyDocumentOpen, const TFileExists& fileExists) {
    if (!anyDocumentOpen) counter = 0;
    std::string name;
    // Bounded, so a folder full of such names cannot hold the window forever.
    for (int tries = 0; tries <= UINT16_MAX; ++tries) {
        ++counter;
        name = "File " + platform::IntToStr(counter) + ".halvo";
        if (!fileExists(name)) break;
    }
    return name;
}

}  // namespace app
