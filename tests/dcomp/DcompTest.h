#pragma once
// What the dcomp tests share: the unit fixture and the process's decimal separator.
#include <gtest/gtest.h>

#include "dcomp/DcompInit.h"
#include "platform/FormatSettings.h"

namespace dcomp_test {

// Every dcomp test runs between InitUnits and FinalizeUnits, as the program does.
class TUnitsTest : public ::testing::Test {
protected:
    void SetUp() override { dcomp::InitUnits(); }
    void TearDown() override { dcomp::FinalizeUnits(); }
};

// The process's decimal separator for one test.
class TSeparator {
public:
    explicit TSeparator(char separator) : FSettings(platform::AppFormatSettings()), FScope(FSettings) {
        FSettings.DecimalSeparator = separator;
    }

private:
    platform::TFormatSettings FSettings;
    platform::TAppFormatSettingsScope FScope;
};

}  // namespace dcomp_test
