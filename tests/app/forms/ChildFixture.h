#pragma once
// A document window test: a frame, scripted prompts, a scratch folder and a Vesk-3
// document built from known events and settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <string>
#include <vector>

#include "app/forms/Child.h"
#include "platform/DateTime.h"
#include "platform/Prompts.h"
#include "tests/app/forms/FormsFixtures.h"
#include "tests/app/forms/TestFrame.h"
#include "tests/app/lister/ListerFixtures.h"

namespace app::test {

// Two sequences: the newer (list line 1) with four events, the older with one.
inline const Bytes kEvents = Join({Ev(0x05, 4), Ev(0x24, 400), Ev(0xD0, 4), Ev(0x05, 2),
                                   Clock(22, 10, 14, 3, 6), Ev(0x05, 9), Clock(1, 9, 13, 3, 6)});

inline std::vector<std::string> ListLines(QListWidget& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.count(); ++i) lines.push_back(list.item(i)->text().toStdString());
    return lines;
}

class ChildTest : public testing::Test {
protected:
    // A Vesk-3 reading saved as a document, the definitions of the program's directory.
    std::string MakeDocument(const std::string& name, const Bytes& events = kEvents) {
        THalvo h;
        h.SetDataDirectory(HALVO_BIN_DIR);
        h.SetDeviceType(2);
        std::copy(events.begin(), events.end(), h.EventsBuffer());
        h.SetEventsLength(static_cast<uint16_t>(events.size()));
        PutWord(h.Parset1Data(), 2, 900);
        PutWord(h.Parset2Data(), 2, 850);
        h.SetParset1Length(238);
        h.SetParset2Length(238);
        h.SetParset1ReadDate(platform::EncodeDate(2024, 5, 6));
        h.SetEventsReadDate(platform::EncodeDate(2024, 5, 7));
        h.SetStationInfo("Station A");
        const std::string path = Dir.File(name);
        EXPECT_TRUE(h.SaveToFile(path));
        return path;
    }

    TChildForm* Open(const std::string& path) {
        TChildForm* child = Frame.NewWindow();
        child->OpenFile(path);
        return child;
    }

    // What the decoder gives a list box and a view of its own for the image: the
    // sequence list and the listing of sequence 1.
    struct TDecoded {
        std::vector<std::string> ListLines;
        std::vector<TLine> Listing;
    };
    static TDecoded Decode(THalvo& image) {
        TEvLister lister;
        TRecordingListBox listBox;
        TRecordingView view;
        listBox.OnClick = [&](const void*) { lister.SelectSequence(1); };
        lister.SetHalvo(&image);
        lister.SetListBox(&listBox);
        lister.SetRichEdit(&view);
        lister.Refresh(nullptr);
        return {listBox.Lines, view.Lines};
    }

    // Types text into the cell's editor and ends the edit with key (Return commits it,
    // Escape drops it).
    static void TypeIntoCell(QTableWidget& grid, int row, int col, const char* text, Qt::Key key) {
        grid.setCurrentCell(row, col);
        grid.editItem(grid.item(row, col));
        auto* editor = grid.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, key);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor goes
    }

    static std::string Cell(QTableWidget& grid, int col, int row) {
        const QTableWidgetItem* item = grid.item(row, col);
        return item ? item->text().toStdString() : std::string();
    }

    TTempDir Dir;
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope PromptsScope{Prompts};
    TTestFrame Frame{false, HALVO_BIN_DIR};
};

}  // namespace app::test
