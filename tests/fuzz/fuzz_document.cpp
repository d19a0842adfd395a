// A document file of either format: loaded, shown, saved and read back, decoded and
// listed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/device/Halvobase.h"
#include "tests/fuzz/FuzzDocument.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::WriteDefinitions(fuzz::Scratch().Path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::TScratchDir& dir = fuzz::Scratch();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string file = dir.Write("case.halvo", bytes);

    app::THalvo halvo;
    halvo.SetDataDirectory(dir.Path());
    const std::vector<uint8_t> before(halvo.Image().begin(), halvo.Image().end());
    const bool loaded = halvo.LoadFromFile(file);
    const std::span<const uint8_t> image = halvo.Image();
    if (!loaded) {
        FUZZ_CHECK(std::equal(image.begin(), image.end(), before.begin(), before.end()));
    } else {
        // An image file is the image; only its type marker is stamped again.
        if (size == app::THalvo::kImageSize && bytes.starts_with("VESK-"))
            FUZZ_CHECK(std::equal(image.begin() + 7, image.end(), data + 7, data + size));
        // What was loaded is saved and read back as the same image.
        FUZZ_CHECK(halvo.SaveToFile(dir.File("saved.halvo")));
        app::THalvo again;
        again.SetDataDirectory(dir.Path());
        FUZZ_CHECK(again.LoadFromFile(dir.File("saved.halvo")));
        FUZZ_CHECK(std::ranges::equal(again.Image(), image));
    }
    fuzz::ShowDocument(halvo);
    fuzz::ListDocument(halvo);
    return 0;
}
