#include "dcomp/VersionListUnit.h"

namespace dcomp {

namespace {

const char* const kHeader = "$Header: /Halvo/dcomp/VersionListUnit.cpp 1.3 2009/11/04 08:12:40 rbaran Exp $";

std::vector<std::string>& List() {
    static std::vector<std::string> list;
    return list;
}

}  // namespace

void AddToVersionList(std::string_view line) {
    List().emplace_back(line.size() < 2 ? std::string_view() : line.substr(0, line.size() - 2));
}

const std::vector<std::string>& VersionList() {
    return List();
}

void InitVersionListUnit() {
    List().clear();
    AddToVersionList(kHeader);
}

void FinalizeVersionListUnit() {
    List().clear();
    List().shrink_to_fit();
}

}  // namespace dcomp
