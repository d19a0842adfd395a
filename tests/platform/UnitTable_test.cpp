// The ordered unit table: initialisation in order, finalisation in reverse, and a failed
// start that undoes exactly the units before the failing one.
#include "platform/UnitTable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace {

std::vector<std::string> gCalls;

void InitA() {
    gCalls.push_back("init a");
}
void FiniA() {
    gCalls.push_back("fini a");
}
void InitB() {
    gCalls.push_back("init b");
}
void InitC() {
    gCalls.push_back("init c");
}
void FiniC() {
    gCalls.push_back("fini c");
}
void InitFails() {
    gCalls.push_back("init fails");
    throw platform::Exception("Cannot start the dictionary");
}
void InitThrowsNoException() {
    throw 42;
}
void FiniNever() {
    gCalls.push_back("fini of a unit that never started");
}

using platform::TUnitRow;
using platform::TUnitsRun;

class UnitTable : public testing::Test {
protected:
    void SetUp() override { gCalls.clear(); }
};

TEST_F(UnitTable, InitInOrderFiniInReverseSkippingRowsWithoutOne) {
    const TUnitRow rows[] = {{"a", InitA, FiniA}, {"b", InitB, nullptr}, {"c", InitC, FiniC}};
    {
        TUnitsRun run(rows);
        EXPECT_TRUE(run.Started());
        EXPECT_EQ(run.Error(), "");
        EXPECT_EQ(gCalls, (std::vector<std::string>{"init a", "init b", "init c"}));
    }
    EXPECT_EQ(gCalls, (std::vector<std::string>{"init a", "init b", "init c", "fini c", "fini a"}));
}

TEST_F(UnitTable, AFailingInitFinalisesTheUnitsBeforeItAndEndsWithItsMessage) {
    struct Case {
        const char* name;
        std::vector<TUnitRow> rows;
        std::vector<std::string> calls;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"first fails",
         {{"x", InitFails, FiniNever}, {"a", InitA, FiniA}},
         {"init fails"},
         "Cannot start the dictionary"},
        {"third fails",
         {{"a", InitA, FiniA}, {"c", InitC, FiniC}, {"x", InitFails, FiniNever}, {"b", InitB, nullptr}},
         {"init a", "init c", "init fails", "fini c", "fini a"},
         "Cannot start the dictionary"},
        {"not a std::exception",
         {{"a", InitA, FiniA}, {"x", InitThrowsNoException, FiniNever}},
         {"init a", "fini a"},
         "Start-up failed"},
    };
    for (const Case& c : cases) {
        gCalls.clear();
        {
            TUnitsRun run(c.rows);
            EXPECT_FALSE(run.Started()) << c.name;
            EXPECT_EQ(run.Error(), c.error) << c.name;
        }
        // Nothing is finalised twice when the failed run ends.
        EXPECT_EQ(gCalls, c.calls) << c.name;
    }
}

TEST_F(UnitTable, TheBareFunctionsPassTheExceptionOn) {
    const TUnitRow rows[] = {{"a", InitA, FiniA}, {"x", InitFails, FiniNever}};
    EXPECT_THROW(platform::InitUnitRows(rows), platform::Exception);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"init a", "init fails", "fini a"}));
    gCalls.clear();
    const TUnitRow good[] = {{"a", InitA, FiniA}, {"c", InitC, FiniC}};
    platform::FinalizeUnitRows(good, 1);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"fini a"}));
}

}  // namespace
