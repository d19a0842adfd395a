// A document whose events buffer is full, the largest a reading keeps: one sequence of
// 5,109 events in 15,360 bytes, in a document window offscreen. Timed: the open of the
// document (limit 300 ms), a click on the sequence and the four view buttons "List of
// sequence", "Listing", "Graph", "Show all" (limit 100 ms each: the window must not
// freeze under the hand). Each step is timed twice: "shown", from the command to the end
// of the events it posts (layout and paint of what is in view), and "laid out", with the
// rest of the listing's layout, which the window does in steps between events, forced
// at once; the limit holds for the larger.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/forms/Child.h"
#include "app/forms/MainFrame.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/PrintTarget.h"
#include "tests/app/lister/EventRecordBuilders.h"

namespace {

namespace fs = std::filesystem;
using app::test::Bytes;
using app::test::Clock;
using app::test::Ev;
using app::test::Join;

constexpr double kOpenLimitMs = 300;
constexpr double kClickLimitMs = 100;
constexpr int kRuns = 5;
constexpr std::size_t kEvents = 5109;

std::string Fixed(double value, int decimals) {
    return platform::FormatFixed(value, decimals, platform::DotFormatSettings());
}

// Newest record first: the end snapshot, a keyboard command and 5,106 input changes,
// the start snapshot, the clock time. 16 + 4 + 3 x 5,106 + 16 + 6 = 15,360 bytes.
Bytes FullBuffer() {
    const Bytes state{0x0F, 0x0F, 0x4F, 0x00, 0x03, 0x01, 0x00, 0x00, 0x0C, 0x08, 0x04, 0x00, 0x05};
    // Six inputs of the table, each turning on and off in turn.
    const uint8_t codes[] = {0x00, 0x01, 0x04, 0x05, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
    Bytes buffer = Join({Ev(0xFB, 2, state), Ev(0xFE, 3, {0x01})});
    for (std::size_t i = 0; i < kEvents - 3; ++i) {
        const Bytes input = Ev(codes[i % std::size(codes)], 4);
        buffer.insert(buffer.end(), input.begin(), input.end());
    }
    return Join({buffer, Ev(0xFB, 2, state), Clock(0, 10, 14, 3, 6)});
}

class TBenchFrame : public app::IMainFrame {
public:
    bool ServiceMode() const override { return false; }
    std::string DataDirectory() const override { return HALVO_BIN_DIR; }
    void UpdateControls() override {}
    std::optional<std::string> ExecuteSaveDialog(const std::string&, int) override { return std::nullopt; }
    void FileNew() override {}
    void FileOpen() override {}
    void Exit() override {}
    void SetScaleBoxText(const std::string&) override {}
    void PrinterSetup() override {}
    platform::IPrintTarget& PrintTarget() override { return platform::Printer(); }
};

// Milliseconds from the command to the end of what it posted, and with the listing laid
// out whole.
double Time(const std::function<void()>& command, QTextEdit* wholeLayout) {
    const auto start = std::chrono::steady_clock::now();
    command();
    QApplication::processEvents();
    if (wholeLayout) wholeLayout->document()->documentLayout()->documentSize();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct TStep {
    const char* Name;
    double LimitMs;
    std::vector<double> Shown, LaidOut;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);

    const Bytes events = FullBuffer();
    if (events.size() != app::THalvo::kEventsCapacity) {
        std::fprintf(stderr, "listing_bench: the buffer holds %zu bytes, not %zu\n", events.size(),
                     app::THalvo::kEventsCapacity);
        return 1;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("listing_bench_" + std::to_string(QCoreApplication::applicationPid()));
    fs::create_directories(dir);
    const std::string path = (dir / "full.halvo").string();
    {
        app::THalvo h;
        h.SetDataDirectory(HALVO_BIN_DIR);
        h.SetDeviceType(2);
        std::copy(events.begin(), events.end(), h.EventsBuffer());
        h.SetEventsLength(static_cast<uint16_t>(events.size()));
        h.SetEventsReadDate(platform::EncodeDate(2024, 5, 7));
        if (!h.SaveToFile(path)) {
            std::fprintf(stderr, "listing_bench: cannot write %s\n", path.c_str());
            return 1;
        }
    }

    // In this order on each window; the view buttons are the frame's, which set the view mode.
    std::vector<TStep> steps{{"open", kOpenLimitMs, {}, {}},
                             {"click on the sequence", kClickLimitMs, {}, {}},
                             {"\"List of sequence\"", kClickLimitMs, {}, {}},
                             {"\"Listing\"", kClickLimitMs, {}, {}},
                             {"\"Graph\"", kClickLimitMs, {}, {}},
                             {"\"Show all\"", kClickLimitMs, {}, {}}};
    TBenchFrame frame;
    QMdiArea area;
    area.resize(1000, 660);
    area.show();
    int lines = 0, events0 = 0;
    for (int run = 0; run < 2 * kRuns; ++run) {
        const bool whole = run % 2 == 1;
        auto* child = new app::TChildForm(frame);
        QMdiSubWindow* sub = area.addSubWindow(child);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->resize(800, 560);
        sub->show();
        QApplication::processEvents();
        auto* memo = child->findChild<QTextEdit*>("FMemo");
        QTextEdit* layout = whole ? memo : nullptr;
        std::vector<double> times;
        times.push_back(Time([&] { child->OpenFile(path); }, layout));
        auto* list = child->findChild<QListWidget*>("EventsListBox");
        times.push_back(Time([&] { emit list->itemClicked(list->item(0)); }, layout));
        for (const uint8_t mode : {1, 3, 2, 0})
            times.push_back(Time([&] { child->SetViewMode(mode); }, layout));
        for (std::size_t i = 0; i < steps.size(); ++i)
            (whole ? steps[i].LaidOut : steps[i].Shown).push_back(times[i]);
        lines = memo->document()->blockCount();
        events0 = child->EventLister().SequenceMatrix().GetCellCount(1);
        sub->close();
        QApplication::processEvents();
    }
    fs::remove_all(dir);

    std::printf(
        "listing_bench: one sequence of %d events in %zu bytes, %d listing lines, median of %d runs\n",
        events0, events.size(), lines, kRuns);
    for (const TStep& s : steps) {
        const double shown = Median(s.Shown);
        const double laidOut = Median(s.LaidOut);
        const double worst = std::max(shown, laidOut);
        std::printf("%s: shown %s ms, laid out %s ms, ratio to the %s ms limit %s%s\n", s.Name,
                    Fixed(shown, 1).c_str(), Fixed(laidOut, 1).c_str(), Fixed(s.LimitMs, 0).c_str(),
                    Fixed(worst / s.LimitMs, 3).c_str(), worst < s.LimitMs ? "" : " (OVER THE LIMIT)");
    }
    if (events0 != static_cast<int>(kEvents)) {
        std::fprintf(stderr, "listing_bench: the sequence holds %d events, not %zu\n", events0, kEvents);
        return 1;
    }
    return 0;
}
