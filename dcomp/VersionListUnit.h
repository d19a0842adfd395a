#pragma once
// The process-wide list of the library units' source-control header lines.
#include <string>
#include <string_view>
#include <vector>

namespace dcomp {

// Appends the line less its last two characters (" $"); a shorter line adds an empty entry.
void AddToVersionList(std::string_view line);
// In initialisation order; empty outside InitUnits/FinalizeUnits.
const std::vector<std::string>& VersionList();

void InitVersionListUnit();
void FinalizeVersionListUnit();

}  // namespace dcomp
