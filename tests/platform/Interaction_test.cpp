// The tick count, the waiter and the prompts: what core code uses to wait and to ask.
#include <gtest/gtest.h>

#include "platform/Prompts.h"
#include "platform/Ticks.h"
#include "platform/Waiter.h"

using namespace platform;

TEST(Ticks, MonotonicMilliseconds) {
    const uint64_t a = GetTickCount64();
    CurrentWaiter().WaitMs(30);
    const uint64_t b = GetTickCount64();
    EXPECT_GE(b - a, 30u);
    EXPECT_LT(b - a, 5000u);
    // The 32-bit count is the low half of the same clock.
    EXPECT_LT(static_cast<uint32_t>(GetTickCount() - static_cast<uint32_t>(b)), 5000u);
}

TEST(Waiter, ScopedWaiterReplacesTheSleepAndRestoresIt) {
    IWaiter& before = CurrentWaiter();
    TScriptedWaiter scripted;
    std::vector<std::pair<int, uint32_t>> seen;
    scripted.OnWait = [&](int n, uint32_t ms) { seen.emplace_back(n, ms); };
    {
        TWaiterScope scope(scripted);
        const uint64_t start = GetTickCount64();
        CurrentWaiter().WaitMs(60000);
        CurrentWaiter().WaitMs(5);
        EXPECT_LT(GetTickCount64() - start, 1000u);
        {
            TScriptedWaiter inner;
            TWaiterScope innerScope(inner);
            CurrentWaiter().WaitMs(1);
            EXPECT_EQ(inner.Waits.size(), 1u);
        }
        EXPECT_EQ(&CurrentWaiter(), &scripted);
    }
    EXPECT_EQ(scripted.Waits, (std::vector<uint32_t>{60000, 5}));
    EXPECT_EQ(seen, (std::vector<std::pair<int, uint32_t>>{{1, 60000}, {2, 5}}));
    EXPECT_EQ(&CurrentWaiter(), &before);
    EXPECT_EQ(TWaiterService::Set(nullptr), nullptr);
}

TEST(Prompts, SilentDefaultNeverSaysYes) {
    struct Case {
        unsigned buttons;
        int answer;
    };
    const std::vector<Case> cases = {
        {mbOK, mrOk},         {mbOK | mbCancel, mrOk}, {mbYes | mbNo | mbCancel, mrCancel},
        {mbYes | mbNo, mrNo}, {mbYes, mrNone},         {mbAbort | mbRetry | mbIgnore, mrNone},
        {0, mrNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Prompts().MessageDlg("Question?", TMsgDlgType::Confirmation, c.buttons), c.answer)
            << c.buttons;
    EXPECT_FALSE(Prompts().OpenFileName("Open", "*.set", ""));
    EXPECT_FALSE(Prompts().SaveFileName("Save", "*.set", "a.set"));
    EXPECT_FALSE(Prompts().InputQuery("Caption", "Prompt", "value"));
    Prompts().ShowMessage("nothing happens");
}

TEST(Prompts, RecordingPromptsScriptAnswersAndSeeEveryText) {
    TRecordingPrompts rec;
    rec.Answers = {mrYes};
    rec.DefaultAnswer = mrNo;
    rec.FileAnswers = {std::string("/tmp/a.set"), std::nullopt};
    rec.InputAnswers = {std::string("42")};
    IPrompts& before = Prompts();
    {
        TPromptsScope scope(rec);
        EXPECT_EQ(Prompts().MessageDlg("Zapisać zmiany?", TMsgDlgType::Confirmation, mbYes | mbNo), mrYes);
        EXPECT_EQ(Prompts().MessageDlg("Again?", TMsgDlgType::Warning, mbYes | mbNo), mrNo);
        Prompts().ShowMessage("Done");
        EXPECT_EQ(Prompts().OpenFileName("Open settings", "*.set", ""), "/tmp/a.set");
        EXPECT_EQ(Prompts().SaveFileName("Save settings", "*.set", ""), std::nullopt);
        EXPECT_EQ(Prompts().SaveFileName("Save again", "*.set", ""), std::nullopt);
        EXPECT_EQ(Prompts().InputQuery("Address", "Device address", "1"), "42");
        EXPECT_EQ(Prompts().InputQuery("Address", "Once more", "1"), std::nullopt);
    }
    EXPECT_EQ(&Prompts(), &before);
    EXPECT_EQ(rec.Texts(),
              (std::vector<std::string>{"Zapisać zmiany?", "Again?", "Done", "Open settings", "Save settings",
                                        "Save again", "Device address", "Once more"}));
    ASSERT_EQ(rec.Log.size(), 8u);
    EXPECT_EQ(rec.Log[0].Kind, "MessageDlg");
    EXPECT_EQ(rec.Log[0].Type, TMsgDlgType::Confirmation);
    EXPECT_EQ(rec.Log[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(rec.Log[2].Kind, "ShowMessage");
    EXPECT_EQ(rec.Log[3].Kind, "OpenFileName");
    EXPECT_EQ(rec.Log[4].Kind, "SaveFileName");
    EXPECT_EQ(rec.Log[6].Kind, "InputQuery");
}

TEST(Prompts, BoxesWithButtonsAnswerAndFileDialogsKeepTheirFilter) {
    EXPECT_EQ(Prompts().MessageBox("Save?", "Confirm", mbYes | mbNo), mrNo);
    EXPECT_FALSE(Prompts().PrinterSetup());

    TRecordingPrompts rec;
    rec.Answers = {mrYes};
    rec.DefaultAnswer = mrCancel;
    rec.FileAnswers = {std::string("/tmp/a.buf"), std::string("/tmp/b.halvo")};
    rec.FilterAnswers = {2};
    rec.PrinterSetupAnswer = false;
    TPromptsScope scope(rec);
    // An OK box takes no scripted answer, so the one queued reaches the question.
    EXPECT_EQ(Prompts().MessageBox("Done", "Information:"), mrOk);
    EXPECT_EQ(Prompts().MessageBox("Write?", "Confirm", mbYes | mbNo), mrYes);
    EXPECT_EQ(Prompts().MessageBox("Again?", "Confirm", mbYes | mbNo | mbCancel), mrCancel);
    int filter = 1;
    EXPECT_EQ(Prompts().SaveFileName("Save", "Halvo|*.halvo|All files|*.*", "x.halvo", &filter),
              "/tmp/a.buf");
    EXPECT_EQ(filter, 2);
    EXPECT_EQ(Prompts().OpenFileName("Open", "*.halvo", "", &filter), "/tmp/b.halvo");
    EXPECT_EQ(filter, 2);  // no scripted filter: as it was
    EXPECT_FALSE(Prompts().PrinterSetup());

    ASSERT_EQ(rec.Log.size(), 6u);
    EXPECT_EQ(rec.Log[0].Caption, "Information:");
    EXPECT_EQ(rec.Log[1].Buttons, mbYes | mbNo);
    EXPECT_EQ(rec.Log[3].Filter, "Halvo|*.halvo|All files|*.*");
    EXPECT_EQ(rec.Log[3].FilterIndex, 1);
    EXPECT_EQ(rec.Log[3].Initial, "x.halvo");
    EXPECT_EQ(rec.Log[5].Kind, "PrinterSetup");
}
