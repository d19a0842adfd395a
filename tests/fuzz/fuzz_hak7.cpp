// Any bytes as a Hak7 file, the record chosen by the first byte (the prompts cancel): the probe and the load
// end in a listed exception, a message or a (partial) recording whose channels all hold the recording's
// sample count.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/recorder/Hak7Reader.h"
#include "tests/fuzz/FuzzRecorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string selector = data[0] % 4 == 0 ? "" : std::to_string(data[0] % 4);
    fuzz::LoadRecorderFile(dcomp::THak7Interface::Instance(), data + 1, size - 1, selector, true);
    return 0;
}
