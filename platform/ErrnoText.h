#pragma once
// The system's description of an errno code, for messages that say why a call failed.
#include <cstring>
#include <string>

#include "platform/FormatSettings.h"

namespace platform {

inline std::string ErrnoText(int code) {
    const char* text = ::strerrordesc_np(code);
    return text ? std::string(text) : "error " + IntToStr(code);
}

}  // namespace platform
