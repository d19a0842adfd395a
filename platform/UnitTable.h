#pragma once
// Start-up and shutdown of units from one ordered table: each unit's initialisation in
// order, its finalisation in reverse. No self-registering statics, whose order C++
// does not define.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace platform {

struct TUnitRow {
    const char* Unit;
    void (*Init)();  // may throw; a failing one cleans up after itself
    void (*Fini)();  // null when there is nothing to undo
};

// Initialises the rows in order. When one throws, the rows before it are finalised in
// reverse and the exception goes on to the caller.
void InitUnitRows(std::span<const TUnitRow> rows);
// Finalises the first count rows (all by default), from the last to the first.
void FinalizeUnitRows(std::span<const TUnitRow> rows, std::size_t count = SIZE_MAX);

// The rows initialised for the object's life: a failed start keeps the failing unit's
// message (the rows before it are finalised already); a good one finalises at the end.
class TUnitsRun {
public:
    explicit TUnitsRun(std::span<const TUnitRow> rows);
    ~TUnitsRun();
    TUnitsRun(const TUnitsRun&) = delete;
    TUnitsRun& operator=(const TUnitsRun&) = delete;

    bool Started() const { return FStarted; }
    const std::string& Error() const { return FError; }

private:
    std::span<const TUnitRow> FRows;
    bool FStarted = false;
    std::string FError;
};

}  // namespace platform
