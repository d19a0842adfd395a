#include "app/forms/CommandLine.h"

#include <algorithm>

#include "app/device/ParamOptions.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace app {

namespace {

// Keys and the device-type word in lower case, everything else as typed.
std::string LowerOptionKeys(std::string text) {
    // Lowering keeps every length: the bytes are written over in place and the views
    // stay on them.
    const auto lower = [&text](std::string_view part) {
        std::ranges::copy(platform::LowerCase(part), text.begin() + (part.data() - text.data()));
    };
    for (const TParamOption& o : CutParamOptions(text).Options) {
        lower(o.Key);
        if (o.Key == "halvotype") lower(o.Value);
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
    for (const TParamOption& o : CutParamOptions(options).Options) {
        const std::string key = platform::LowerCase(o.Key);
        if (key == "buffile" || key == "zns1file" || key == "zns2file") return std::string(o.Value);
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
