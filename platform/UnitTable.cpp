#include "platform/UnitTable.h"

#include <algorithm>
#include <cstdint>
#include <exception>

namespace platform {

void InitUnitRows(std::span<const TUnitRow> rows) {
    std::size_t done = 0;
    try {
        for (; done < rows.size(); ++done) rows[done].Init();
    } catch (...) {
        FinalizeUnitRows(rows, done);
        throw;
    }
}

void FinalizeUnitRows(std::span<const TUnitRow> rows, std::size_t count) {
    count = std::min(count, rows.size());
    while (count > 0) {
        --count;
        if (rows[count].Fini) rows[count].Fini();
    }
}

TUnitsRun::TUnitsRun(std::span<const TUnitRow> rows) : FRows(rows) {
    try {
        InitUnitRows(rows);
        FStarted = true;
    } catch (const std::exception& e) {
        FError = e.what();
    } catch (...) {
        FError = "Start-up failed";
    }
}

TUnitsRun::~TUnitsRun() {
    if (FStarted) FinalizeUnitRows(FRows);
}

}  // namespace platform
