#pragma once
// What a call told through the program's exceptions.
#include <functional>
#include <string>

#include "platform/Exception.h"

namespace platform_test {

// The message of the exception action raised; empty when it raised none.
inline std::string ThrownMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::Exception& e) {
        return e.Message();
    }
    return {};
}

}  // namespace platform_test
