#pragma once
// A scratch directory and the library's units, for tests that write XML files.
#include "dcomp/DcompInit.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDirTest.h"

namespace dcomp_test {

class TXmlFileTest : public platform_test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        dcomp::InitUnits();
    }
    void TearDown() override {
        dcomp::FinalizeUnits();
        TempDirTest::TearDown();
    }
};

using platform_test::RunProgram;
using platform_test::TProgramResult;

}  // namespace dcomp_test
