#pragma once
// The program's command line as a list of actions for the main window: documents to
// open, service mode, and one document built from the option words. Lower case serves
// comparing only: paths and file names keep their case.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class TCommandKind {
    OpenDocument,   // Text: the path as given
    MissingFile,    // Text: the message; the scan ended here
    ServiceMode,    // windows created from now on show the service controls
    NewFromParams,  // Text: the gathered option text; always the last action
};

struct TCommandAction {
    TCommandKind Kind;
    std::string Text;
    bool operator==(const TCommandAction&) const = default;
};

using TFileExists = std::function<bool(const std::string&)>;

// The main window's creation-time check: a parameter exactly "service" (so "SERVICE"
// counts in the command-line scan only). params without the program's name.
bool ServiceWordGiven(const std::vector<std::string>& params);

// "file: " the name "does not exists", as the user is told.
std::string MissingDocumentText(const std::string& name);

// params without the program's name. A ".halvo" name (any case) opens a document, a
// missing one ends the scan; "service" or "-service" (any case) switch service mode
// on; every other word goes to the option text, whose keys and "-halvotype" word are
// put in lower case. An empty parameter ends the scan.
std::vector<TCommandAction> ScanCommandLine(const std::vector<std::string>& params,
                                            const TFileExists& fileExists);

// The name of the window built from the option text: the value of the first of
// "-buffile", "-zns1file", "-zns2file", cut as the image's option reader cuts it (an
// option starts at a "-" after a blank, so a "-" inside a path stays); empty when none.
std::string ParamsWindowName(std::string_view options);

// The next free "File n.halvo": counting restarts at 1 when no document is open;
// names of existing files are skipped. counter keeps the last number used.
std::string NewFileName(uint16_t& counter, bool anyDocumentOpen, const TFileExists& fileExists);

}  // namespace app
