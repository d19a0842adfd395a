#pragma once
// The program's unit initialisation table, run at the start of main: initialisation in
// order, finalisation in reverse at exit.
#include <span>

#include "platform/UnitTable.h"

namespace app {

// The in-house library comes as one row that runs its own ordered table.
std::span<const platform::TUnitRow> ProgramUnits();

}  // namespace app
