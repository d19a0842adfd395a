// The recording help keeps context and contents requests and the quit at exit; a scope
// installs it and puts the process's own, which keeps nothing, back.
#include "platform/Help.h"

#include <gtest/gtest.h>

#include <vector>

using platform::Help;
using platform::TRecordingHelp;
using TKind = TRecordingHelp::TKind;

TEST(Help, RequestsAreRecordedInOrderByTheInstalledService) {
    platform::IHelp& processHelp = Help();
    TRecordingHelp help;
    {
        platform::THelpScope scope(help);
        Help().Context(134);
        Help().Contents();
        Help().Context(0);
        Help().Quit();
    }
    EXPECT_EQ(help.Requests,
              (std::vector<TRecordingHelp::TRequest>{
                  {TKind::Context, 134}, {TKind::Contents}, {TKind::Context, 0}, {TKind::Quit}}));
    EXPECT_EQ(&Help(), &processHelp);
}

// The program's help has no file: a request shows nothing and nothing is kept of it,
// however long the program runs.
TEST(Help, TheDefaultServiceKeepsNothing) {
    EXPECT_EQ(dynamic_cast<TRecordingHelp*>(&Help()), nullptr);
    for (int i = 0; i < 3; ++i) {
        Help().Context(10);
        Help().Contents();
    }
    Help().Quit();
}
