// The profile reader and writer on any file: the reader's first-match rule over a
// section's keys, and a write that replaces or adds one key while every other line
// stays as it was. Layout of FuzzedDataProvider: section, key and value, each ended by
// a backslash and one more character, then the file.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Profile.h"
#include "platform/Strings.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kKeysChecked = 16;

struct TLine {
    std::string Text, Ending;
    bool operator==(const TLine&) const = default;
};

// Lines ended by LF, CR LF or a lone CR; a UTF-8 mark at the start belongs to none.
std::vector<TLine> Lines(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    std::vector<TLine> lines;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
        std::size_t ending = end == bytes.size() ? 0 : 1;
        if (ending == 1 && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ending = 2;
        lines.push_back({std::string(bytes.substr(0, end)), std::string(bytes.substr(end, ending))});
        bytes.remove_prefix(end + ending);
    }
    return lines;
}

// The written file is the old one with one key line replaced, or with the key (and its
// section) added, where a last line without an ending may gain one.
void CheckKeptLines(const std::vector<TLine>& before, const std::vector<TLine>& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (prefix + suffix < before.size() && prefix + suffix < after.size() &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const std::vector<TLine> removed(before.begin() + static_cast<std::ptrdiff_t>(prefix),
                                     before.end() - static_cast<std::ptrdiff_t>(suffix));
    const std::vector<TLine> added(after.begin() + static_cast<std::ptrdiff_t>(prefix),
                                   after.end() - static_cast<std::ptrdiff_t>(suffix));
    FUZZ_CHECK(removed.size() <= 1 && added.size() <= 3);
    if (removed.empty()) return;
    FUZZ_CHECK(!added.empty());
    const TLine& old = removed.front();
    const bool replacedKey =
        added.size() == 1 && added.front().Ending == old.Ending && old.Text.find('=') != std::string::npos;
    const bool endingGained =
        old.Ending.empty() && added.front().Text == old.Text && !added.front().Ending.empty();
    FUZZ_CHECK(replacedKey || endingGained);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(64);
    const std::string key = in.ConsumeRandomLengthString(64);
    const std::string value = in.ConsumeRandomLengthString(64);
    const std::string file = in.ConsumeRemainingBytesAsString();

    const fuzz::TScratchDir& dir = fuzz::Scratch();
    const std::string path = dir.Write("case.ini", file);
    constexpr std::string_view kMissing = "\x01";  // never a trimmed value

    std::vector<std::pair<std::string, std::string>> values;
    if (platform::ReadProfileSection(section, path, values)) {
        for (std::size_t i = 0; i < values.size() && i < kKeysChecked; ++i) {
            const std::string& name = values[i].first;
            const std::string& text = values[i].second;
            const bool firstOfItsName =
                std::none_of(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(i),
                             [&](const auto& v) { return platform::SameText(v.first, name); });
            if (firstOfItsName)
                FUZZ_CHECK(platform::GetPrivateProfileString(section, name, kMissing, path) == text);
        }
    }
    platform::GetPrivateProfileInt(section, key, 0, path);

    const bool written = platform::WritePrivateProfileString(section, key, value, path);
    const std::string after = fuzz::ReadAll(path);
    if (!written) {
        FUZZ_CHECK(after == file);
        return 0;
    }
    // The key reads back as from a file that holds nothing else.
    const std::string fresh =
        dir.Write("fresh.ini", std::string(file.starts_with(kUtf8Mark) ? kUtf8Mark : ""));
    FUZZ_CHECK(platform::WritePrivateProfileString(section, key, value, fresh));
    FUZZ_CHECK(platform::GetPrivateProfileString(section, key, kMissing, path) ==
               platform::GetPrivateProfileString(section, key, kMissing, fresh));
    CheckKeptLines(Lines(file), Lines(after));
    return 0;
}
