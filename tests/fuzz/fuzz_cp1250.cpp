// The code page 1250 boundary on any bytes: 8-bit text to UTF-8 and back, UTF-8 (valid
// or not) to 8-bit text and to clean UTF-8, and the file-text decoding that looks for
// the UTF-8 mark.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Cp1250.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::size_t CodePoints(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Every byte is one character, and each comes back as the byte it was.
    const std::string utf8 = platform::Cp1250ToUtf8(bytes);
    FUZZ_CHECK(fuzz::ValidUtf8(utf8));
    FUZZ_CHECK(CodePoints(utf8) == size);
    FUZZ_CHECK(platform::Utf8ToCp1250(utf8) == bytes);

    // One byte a character, one replacement a bad byte; what comes out converts back and
    // forth unchanged.
    const std::string eight = platform::Utf8ToCp1250(bytes, '?');
    FUZZ_CHECK(eight.size() <= size);
    if (fuzz::ValidUtf8(bytes)) FUZZ_CHECK(eight.size() == CodePoints(bytes));
    FUZZ_CHECK(platform::Utf8ToCp1250(platform::Cp1250ToUtf8(eight)) == eight);

    // Text that claims to be UTF-8 keeps what is UTF-8 in it, and only that comes out.
    const std::string clean = platform::CleanUtf8(bytes);
    FUZZ_CHECK(fuzz::ValidUtf8(clean));
    if (fuzz::ValidUtf8(bytes)) FUZZ_CHECK(clean == bytes);
    FUZZ_CHECK(platform::CleanUtf8(clean) == clean);

    const bool marked = bytes.starts_with("\xEF\xBB\xBF");
    FUZZ_CHECK(platform::HasUtf8Bom(bytes) == marked);
    const std::string decoded = platform::DecodeText8(bytes);
    FUZZ_CHECK(marked ? decoded == platform::CleanUtf8(bytes.substr(3)) : decoded == utf8);
    return 0;
}
