#pragma once
// Start-up and shutdown of the in-house library's units: one ordered table, each unit's
// initialisation in order and its finalisation in reverse.

namespace dcomp {

// The first call runs every unit's initialisation; later calls only count. When one
// fails, the units before it are finalised again and the exception goes on to the caller.
void InitUnits();
// The call that balances the first InitUnits runs the finalisations; unbalanced calls
// do nothing.
void FinalizeUnits();

}  // namespace dcomp
