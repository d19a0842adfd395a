#include "dcomp/TimeFormats.h"

namespace dcomp {

namespace {

std::array<int32_t, 5> gValues{};

}  // namespace

const std::array<int32_t, 5>& TimeFormatValues() {
    return gValues;
}

void InitTimeFormats() {
    gValues = {64, 0xFFFFFF, 0xD3D3D3, 0, 0};
}

void FinalizeTimeFormats() {
    gValues = {};
}

}  // namespace dcomp
