#include "dcomp/PwComp/MeasListUnit.h"

#include <cmath>

#include "dcomp/VersionListUnit.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/PwComp/MeasListUnit.cpp 1.4 2009/12/08 11:40:03 rbaran Exp $";

// Limit, Valid, Exponent, IntDigits, DecDigits, Prefix, Enabled, ShowPoint; Scale is
// computed when the table is copied.
const TKnvInfo kKnvInfo[kKnvInfoCount] = {
    {0, 0, 0, 0, 0, "", true, true, 0},      {0.01, 1, 3, 1, 3, "m", true, true, 0},
    {0.1, 1, 3, 2, 2, "m", true, true, 0},   {1, 1, 3, 3, 1, "m", true, true, 0},
    {10, 1, 0, 1, 3, "", true, true, 0},     {100, 1, 0, 2, 2, "", true, true, 0},
    {1000, 1, 0, 3, 1, "", true, true, 0},   {1000, 1, 0, 4, 0, "", true, false, 0},
    {1e4, 1, -3, 1, 3, "k", true, true, 0},  {1e5, 1, -3, 2, 2, "k", true, true, 0},
    {1e6, 1, -3, 3, 1, "k", true, true, 0},  {1e6, 1, -3, 4, 0, "k", true, false, 0},
    {1e7, 1, -6, 1, 3, "M", true, true, 0},  {1e8, 1, -6, 2, 2, "M", true, true, 0},
    {1e48, 1, -6, 3, 1, "M", true, true, 0},
};

std::vector<TKnvInfo> gKnvInfo;

}  // namespace

const std::vector<TKnvInfo>& KnvInfoTable() {
    return gKnvInfo;
}

void InitMeasListUnit() {
    AddToVersionList(kHeader);
    gKnvInfo.assign(std::begin(kKnvInfo), std::end(kKnvInfo));
    for (TKnvInfo& info : gKnvInfo) info.Scale = std::pow(10.0, info.Exponent);
}

void FinalizeMeasListUnit() {
    gKnvInfo.clear();
    gKnvInfo.shrink_to_fit();
}

}  // namespace dcomp
