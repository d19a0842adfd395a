#pragma once
// The cutting of the command line's option text into "-key value" options, shared by
// the image that builds a document from them and by the command-line scan that names
// its window, so that both read the same text the same way.
#include <string_view>
#include <vector>

namespace app {

// Views into the text that was cut.
struct TParamOption {
    std::string_view Key;
    std::string_view Value;
};

struct TParamOptions {
    // The text trimmed of blanks and control characters at both ends.
    std::string_view Text;
    // Text before the first option; not empty when the text does not begin with "-".
    std::string_view Leading;
    std::vector<TParamOption> Options;
};

// An option starts at a "-" at the start of the trimmed text or after a blank or tab
// (so a "-" inside a path stays in it) and runs to the next one; after its "-", trimmed,
// the key runs to the first blank or tab and the value is the rest, both trimmed.
// Trimming takes blanks and control characters.
TParamOptions CutParamOptions(std::string_view text);

}  // namespace app
