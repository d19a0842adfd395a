// A chart printed into a PDF file: the pages, their size, and the texts where the page
// model put them, as poppler reads them back.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <map>
#include <string>
#include <vector>

#include "chart/Graph.h"
#include "platform/Waiter.h"
#include "platform/qt/PdfPrintTarget.h"
#include "tests/chart/HeadlessHost.h"
#include "tests/chart/qt/QtTestApp.h"
#include "tests/platform/qt/PdfTools.h"
#include "tests/support/TempDir.h"

namespace chart {
namespace {

// Draws on the PDF page and keeps every text with the point it was written at.
class TTeeCanvas : public platform::ICanvas {
public:
    struct TText {
        int Page, X, Y;
        std::string Text;
    };
    platform::ICanvas* Inner = nullptr;
    int Page = 0;
    std::vector<TText> Texts;

    void Line(int x1, int y1, int x2, int y2) override { Sync().Line(x1, y1, x2, y2); }
    void HorizontalLines(int x1, int x2, int top, int count) override {
        Sync().HorizontalLines(x1, x2, top, count);
    }
    void FillRect(const platform::TRect& r) override { Sync().FillRect(r); }
    void Rectangle(const platform::TRect& r) override { Sync().Rectangle(r); }
    void TextOut(int x, int y, const std::string& text) override {
        Texts.push_back({Page, x, y, text});
        Sync().TextOut(x, y, text);
    }
    int TextWidth(const std::string& text) override { return Sync().TextWidth(text); }
    int TextHeight(const std::string& text) override { return Sync().TextHeight(text); }
    int PixelsPerInchX() const override { return Inner->PixelsPerInchX(); }
    int PixelsPerInchY() const override { return Inner->PixelsPerInchY(); }

private:
    platform::ICanvas& Sync() {
        Inner->Pen = Pen;
        Inner->Brush = Brush;
        Inner->Font = Font;
        return *Inner;
    }
};

class TTeeTarget : public platform::TPdfPrintTarget {
public:
    using TPdfPrintTarget::TPdfPrintTarget;
    platform::ICanvas* Canvas() override {
        platform::ICanvas* inner = TPdfPrintTarget::Canvas();
        if (!inner) return nullptr;
        if (inner != Tee.Inner || PageNumber() != Tee.Page) {
            const auto texts = std::move(Tee.Texts);
            Tee = TTeeCanvas{};
            Tee.Texts = texts;
            Tee.Inner = inner;
            Tee.Page = PageNumber();
        }
        return &Tee;
    }
    TTeeCanvas Tee;
};

TEST(GraphPdf, ThreePagesWithTheirTextsWhereTheModelPutsThem) {
    test::TestApp();
    platform_test::TTempDir dir;
    TTeeTarget target(dir.Path());
    platform::TScriptedWaiter waiter;
    platform::TWaiterScope waiterScope(waiter);
    test::THeadlessHost host;
    host.Shown = false;
    TGraph graph(&host);
    graph.SetAutoscale(false);
    graph.BeginUpdate();
    for (uint16_t row = 1; row <= 3; ++row) {
        graph.AddSample(test::Styled(0, platform::clRed, 0, 15), row);
        graph.AddSample(test::Styled(20, platform::clBlack, 0, 3), row);
        graph.AddSample(test::Styled(40, platform::clBlack, 0, 3), row);
        graph.SetTraceName(row, "Trace" + std::to_string(row));
    }
    graph.EndUpdate();
    graph.PrintTitle = "Sequence7";
    graph.Print(1, 3, target);  // 0..40 s: three pages across
    const std::string file = target.FileName();
    ASSERT_EQ(file, dir.File("001-Sequence7.pdf"));
    EXPECT_EQ(platform_test::PdfInfo(file, "Pages"), "3");
    EXPECT_NE(platform_test::PdfInfo(file, "Page size").find("(A4)"), std::string::npos);

    const std::vector<platform_test::TPdfWord> words = platform_test::PdfWords(file);
    std::map<std::pair<int, std::string>, platform_test::TPdfWord> found;
    for (const auto& w : words) found.emplace(std::pair(w.Page, w.Text), w);
    constexpr double kPoints = 72.0 / 600;
    // The page's canvas starts at the printable area's corner, inside the margin.
    constexpr double kMargin = platform::TPdfPrintTarget::kMarginMM * 72.0 / 25.4;
    int checked = 0;
    std::map<int, int> titles, labels, numbers;
    for (const auto& t : target.Tee.Texts) {
        // A label "1. Trace1" is two words; its first one stands at the label's point.
        const std::string first = t.Text.substr(0, t.Text.find(' '));
        const auto w = found.find(std::pair(t.Page, first));
        ASSERT_NE(w, found.end()) << t.Page << " " << t.Text;
        EXPECT_NEAR(w->second.XMin, kMargin + t.X * kPoints, 1.0) << t.Text;
        EXPECT_NEAR(w->second.YMin, kMargin + t.Y * kPoints, 1.0) << t.Text;
        ++checked;
        if (t.Text == "Sequence7") {
            ++titles[t.Page];
            EXPECT_EQ(std::pair(t.X, t.Y), std::pair(0, 100));
        }
        if (t.Text.find("Trace") != std::string::npos) ++labels[t.Page];
        if (t.Text.find_first_not_of("0123456789") == std::string::npos) ++numbers[t.Page];
    }
    EXPECT_GT(checked, 20);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_EQ(titles[page], 1) << page;
        EXPECT_EQ(labels[page], 3) << page;
        EXPECT_GE(numbers[page], 5) << page;
    }
    // Each page's axis starts where its window does: 0, 18 and 36 s.
    EXPECT_EQ(found.count({1, "0"}), 1u);
    EXPECT_EQ(found.count({2, "18"}), 1u);
    EXPECT_EQ(found.count({3, "36"}), 1u);
    EXPECT_EQ(found.count({2, "0"}), 0u);
}

}  // namespace
}  // namespace chart
