// Texts handed across the C interface.
#pragma once

#include <cstdint>
#include <string_view>

namespace talvo {

// At most maxLen bytes of text, never half a character, and a NUL: buffer holds
// maxLen + 1 bytes.
void CopyText(std::string_view text, char* buffer, int32_t maxLen);

}  // namespace talvo
