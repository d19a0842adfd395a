// The command line's option text with small raw files, then the document it builds,
// shown, decoded and listed. A "%" in the text stands for the scratch directory, so the
// text can name the raw files "b", "1" and "2" written from the input (layout of
// FuzzedDataProvider: text, parameter set 1 and 2, each ended by a backslash and one
// more character, then the events file).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/device/Halvobase.h"
#include "tests/fuzz/FuzzDocument.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::WriteDefinitions(fuzz::Scratch().Path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::TScratchDir& dir = fuzz::Scratch();
    FuzzedDataProvider in(data, size);
    const std::string pattern = in.ConsumeRandomLengthString(400);
    dir.Write("1", in.ConsumeRandomLengthString(1024));
    dir.Write("2", in.ConsumeRandomLengthString(1024));
    dir.Write("b", in.ConsumeRemainingBytesAsString());
    std::string options;
    for (const char c : pattern) options += c == '%' ? dir.Path() + "/" : std::string(1, c);

    app::THalvo halvo;
    halvo.SetDataDirectory(dir.Path());
    bool ok = false;
    std::string message;
    halvo.LoadFromParams(options, ok, message);
    FUZZ_CHECK(ok || !message.empty());
    FUZZ_CHECK(fuzz::ValidUtf8(halvo.GetUnitVersion()));
    fuzz::ShowDocument(halvo);
    fuzz::ListDocument(halvo);
    return 0;
}
