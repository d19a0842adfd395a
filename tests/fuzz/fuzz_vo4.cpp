// Any bytes as a Vo4 file: the probe and the load end in a listed exception, a message or a (partial)
// recording whose channels all hold the recording's sample count.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/recorder/Vo4Reader.h"
#include "tests/fuzz/FuzzRecorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadRecorderFile(dcomp::TVo4Interface::Instance(), data, size, "", true);
    return 0;
}
