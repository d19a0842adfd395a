#pragma once
// The mapped-file unit: only its initialisation, which registers its version line.

namespace dcomp {

void InitMappedFile();

}  // namespace dcomp
