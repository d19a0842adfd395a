#pragma once
// Every dcomp test runs between InitUnits and FinalizeUnits, as the program does.
#include <gtest/gtest.h>

#include "dcomp/DcompInit.h"

namespace dcomp_test {

class TUnitsTest : public ::testing::Test {
protected:
    void SetUp() override { dcomp::InitUnits(); }
    void TearDown() override { dcomp::FinalizeUnits(); }
};

}  // namespace dcomp_test
