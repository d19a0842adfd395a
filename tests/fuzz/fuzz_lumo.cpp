// Any bytes as a Lumo file, with and without a message callback: the probe and the load end in a listed
// exception, a message or a (partial) recording whose channels all hold the recording's sample count.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dcomp/recorder/LumoReader.h"
#include "tests/fuzz/FuzzRecorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadRecorderFile(dcomp::TLumoInterface::Instance(), data, size, "", true);
    fuzz::LoadRecorderFile(dcomp::TLumoInterface::Instance(), data, size, "", false);
    return 0;
}
