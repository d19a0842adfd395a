#include "dcomp/uMappedFile.h"

#include "dcomp/VersionListUnit.h"

namespace dcomp {

namespace {
const char* const kHeader = "$Header: /Halvo/dcomp/uMappedFile.cpp 1.2 2009/10/22 15:31:08 rbaran Exp $";
}  // namespace

void InitMappedFile() {
    AddToVersionList(kHeader);
}

}  // namespace dcomp
