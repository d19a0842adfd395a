// Any bytes as a Vo5 file: the probe and the load end in a listed exception, a message or a (partial)
// recording whose channels all hold the recording's sample count.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/recorder/Vo5Reader.h"
#include "tests/fuzz/FuzzRecorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadRecorderFile(dcomp::TVo5Interface::Instance(), data, size, "", true);
    return 0;
}
