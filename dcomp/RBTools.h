#pragma once
// Folding of the Polish letters of code page 1250 to plain ASCII letters.
#include <array>
#include <cstdint>

namespace dcomp {

// Entry n is n, except the 18 Polish letters (code page 1250 bytes), which map to the
// ASCII letter without its diacritic. Built at initialisation.
const std::array<uint8_t, 256>& PolishFoldTable();

// Throws platform::Exception "MainThreadID <> GetCurrentThreadID()" unless it runs on
// the process's main thread.
void InitRBTools();

}  // namespace dcomp
