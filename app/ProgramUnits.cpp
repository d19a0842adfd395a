#include "app/ProgramUnits.h"

#include "dcomp/DcompInit.h"

namespace app {

namespace {

const platform::TUnitRow kProgramUnits[] = {
    {"in-house library", dcomp::InitUnits, dcomp::FinalizeUnits},
};

}  // namespace

std::span<const platform::TUnitRow> ProgramUnits() {
    return kProgramUnits;
}

}  // namespace app
