// The listing as the document window shows it, character for character and format for
// format: the golden file holds what the window showed while it added its lines one at a
// time, and the listing must stay so however it is filled.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDebug>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/forms/Child.h"
#include "tests/app/forms/ChildFixture.h"

namespace app::test {
namespace {

// Every format as its properties, by its number in the order first met.
class TFormats {
public:
    int Number(const QTextFormat& format) {
        QString text;
        QDebug debug(&text);
        debug.nospace();
        const QMap<int, QVariant> properties = format.properties();
        for (auto it = properties.begin(); it != properties.end(); ++it)
            debug << " " << it.key() << "=" << it.value();
        const auto [at, added] = FNumbers.emplace(text.toStdString(), static_cast<int>(FNumbers.size()) + 1);
        if (added) FLegend += "format " + std::to_string(at->second) + ":" + at->first + "\n";
        return at->second;
    }
    const std::string& Legend() const { return FLegend; }

private:
    std::map<std::string, int> FNumbers;
    std::string FLegend;
};

// The caret, then a line a block: its block format, its character format and each of
// its fragments as its format and its text.
std::string Dump(const QTextEdit& edit, TFormats& formats) {
    std::string out = "caret " + std::to_string(edit.textCursor().position()) + " anchor " +
                      std::to_string(edit.textCursor().anchor()) + "\n";
    for (QTextBlock b = edit.document()->begin(); b.isValid(); b = b.next()) {
        out += std::to_string(formats.Number(b.blockFormat())) + " " +
               std::to_string(formats.Number(b.charFormat()));
        for (auto it = b.begin(); !it.atEnd(); ++it)
            out += " " + std::to_string(formats.Number(it.fragment().charFormat())) + "|" +
                   it.fragment().text().toStdString();
        out += "\n";
    }
    return out;
}

TEST_F(ChildTest, TheListingKeepsItsLinesAndFormats) {
    TTestFrame service(true, HALVO_BIN_DIR);
    TChildForm* child = service.NewWindow();
    child->OpenFile(std::string(HALVO_BIN_DIR) + "/sample.halvo");
    auto* memo = Find<QTextEdit>(*child, "FMemo");
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    ASSERT_EQ(list->count(), 3);
    TFormats formats;
    std::string shown = "== open\n" + Dump(*memo, formats);
    const auto everySequence = [&](const std::string& title) {
        for (int i = 0; i < list->count(); ++i) {
            list->setCurrentRow(i);
            shown += "== " + title + " sequence " + std::to_string(i + 1) + "\n" + Dump(*memo, formats);
        }
    };
    everySequence("listed");
    Find<QCheckBox>(*child, "ChBshowallEvents")->click();
    everySequence("all events");
    Find<QPushButton>(*child, "Btn1")->click();
    shown += "== hexadecimal list\n" + Dump(*memo, formats);
    shown += "== formats\n" + formats.Legend();
    EXPECT_EQ(shown, Golden("sample_listing.txt"));
}

// The changes a document reports to its layout, as "from,removed,added".
struct TChanges {
    explicit TChanges(QTextDocument& document) : Document(document) {
        QObject::connect(&document, &QTextDocument::contentsChange, [this](int from, int removed, int added) {
            Seen.push_back(std::to_string(from) + "," + std::to_string(removed) + "," +
                           std::to_string(added));
        });
    }
    // The whole text as new: the change the layout lays out in steps between events.
    std::string Whole() const { return "0,0," + std::to_string(Document.characterCount()); }
    QTextDocument& Document;
    std::vector<std::string> Seen;
};

TEST_F(ChildTest, AListingReachesTheLayoutAsOneChangeHoweverLong) {
    TChildForm* child = Open(std::string(HALVO_BIN_DIR) + "/sample.halvo");
    auto* memo = Find<QTextEdit>(*child, "FMemo");
    auto* list = Find<QListWidget>(*child, "EventsListBox");
    ASSERT_EQ(list->count(), 3);
    TChanges changes(*memo->document());
    std::set<std::size_t> counts;
    for (int row : {1, 2, 0}) {
        changes.Seen.clear();
        list->setCurrentRow(row);
        ASSERT_FALSE(changes.Seen.empty());
        EXPECT_EQ(changes.Seen.back(), changes.Whole()) << "sequence " << row + 1;
        counts.insert(changes.Seen.size());
    }
    // 48 to 95 lines, the same few changes.
    EXPECT_EQ(counts.size(), 1u);
}

TEST_F(ChildTest, OpeningFillsTheListingOnce) {
    TChildForm* child = Frame.NewWindow();
    TChanges changes(*Find<QTextEdit>(*child, "FMemo")->document());
    child->OpenFile(std::string(HALVO_BIN_DIR) + "/sample.halvo");
    EXPECT_EQ(std::count(changes.Seen.begin(), changes.Seen.end(), changes.Whole()), 1);
}

}  // namespace
}  // namespace app::test
