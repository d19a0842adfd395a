// The same events reach the decoder from a ".halvo" document and from raw files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/lister/ListerFixtures.h"

namespace app::test {
namespace {

struct TDecoded {
    std::vector<std::string> Sequences;
    std::vector<TLine> Listing;
};

TDecoded Decode(THalvo& halvo) {
    TEvLister lister;
    TRecordingView view;
    TRecordingListBox listBox;
    listBox.OnClick = [&](const void*) { lister.SelectSequence(1); };
    lister.SetHalvo(&halvo);
    lister.SetRichEdit(&view);
    lister.SetListBox(&listBox);
    lister.Refresh(nullptr);
    return {listBox.Lines, view.Lines};
}

std::vector<std::string> BoldLines(const std::vector<TLine>& lines) {
    std::vector<std::string> out;
    for (const TLine& l : lines)
        if (l.Style == TListingStyle::Bold) out.push_back(l.Text);
    return out;
}

TEST(ListerDocuments, AHalvoFileAndRawFilesGiveTheSameListing) {
    TTempDir dir;
    // The definitions both documents load: SysLogick rows shown, DI events 5 ms early.
    dir.Write("Vesk3.set",
              "[GLOBAL]\nImplementsSysLogick=1\nDI_correction=-5\nDO_correction=15\nAI_correction=-30\n");
    const Bytes events =
        Join({Ev(0x05, 4), Ev(0x24, 400), Ev(0xD0, 4), Ev(0xFB, 2, Bytes(13, 0)), Clock(22, 10, 14, 3, 6)});
    {
        THalvo reading;
        reading.SetDataDirectory(dir.Path());
        reading.SetDeviceType(2);
        std::copy(events.begin(), events.end(), reading.EventsBuffer());
        reading.SetEventsLength(static_cast<uint16_t>(events.size()));
        ASSERT_TRUE(reading.SaveToFile(dir.File("reading.halvo")));
    }
    dir.Write("events.buf", std::string(events.begin(), events.end()));

    THalvo opened;
    opened.SetDataDirectory(dir.Path());
    ASSERT_TRUE(opened.LoadFromFile(dir.File("reading.halvo")));
    THalvo built;
    built.SetDataDirectory(dir.Path());
    bool ok = false;
    std::string message;
    built.LoadFromParams("-buffile " + dir.File("events.buf") + " -halvotype vesk3", ok, message);
    ASSERT_TRUE(ok) << message;

    const TDecoded fromFile = Decode(opened);
    const TDecoded fromRaw = Decode(built);
    EXPECT_EQ(fromFile.Sequences,
              std::vector<std::string>{"Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:00:005"});
    EXPECT_EQ(BoldLines(fromFile.Listing), (std::vector<std::string>{
                                               "STATR STATUS SWITCHGEAR",
                                               "0,010 [s] - \"SA LOG\" key turn on",
                                               "1,005 [s] - Signal CBA closed turn up (C1)",
                                               "1,015 [s] - SA key turn off (B1-B2)",
                                           }));
    EXPECT_EQ(fromRaw.Sequences, fromFile.Sequences);
    EXPECT_EQ(Render(fromRaw.Listing), Render(fromFile.Listing));
}

}  // namespace
}  // namespace app::test
