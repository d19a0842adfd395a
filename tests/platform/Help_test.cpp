// The help service records context and contents requests and the quit at exit; a scope
// installs another one and puts the process's own back.
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

TEST(Help, TheDefaultServiceRecordsAndShowsNothing) {
    auto& recorder = dynamic_cast<TRecordingHelp&>(Help());
    const std::size_t before = recorder.Requests.size();
    Help().Context(10);
    ASSERT_EQ(recorder.Requests.size(), before + 1);
    EXPECT_EQ(recorder.Requests.back(), (TRecordingHelp::TRequest{TKind::Context, 10}));
}
