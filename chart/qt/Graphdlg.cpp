#include "chart/qt/Graphdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <cmath>

#include "chart/Graph.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Prompts.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/WidgetParts.h"

namespace chart {

using platform::Caption;
using platform::Named;

namespace {

constexpr int kClientWidth = 438;
constexpr int kClientHeight = 273;
constexpr int kPanelWidth = 90;
constexpr int kTabHeight = 24;

const platform::TFormatSettings& Settings() {
    return platform::AppFormatSettings();
}

// The numbers of the dialog: 15 significant digits, no exponent below 10^15, the
// application's decimal separator.
QString NumberText(double value) {
    return QString::fromStdString(platform::FloatToStrGeneral(value, 15, 0, Settings()));
}

double ParseNumber(const QString& text) {
    const std::string s = text.toStdString();
    double value = 0;
    if (!platform::TryStrToFloat(s, value, Settings()))
        throw platform::EConvertError("'" + s + "' is not a valid floating point value");
    return value;
}

// What the program's default error handling shows.
void ShowError(const platform::Exception& e) {
    platform::Prompts().MessageBox(e.Message(), QCoreApplication::applicationName().toStdString());
}

}  // namespace

TGraphSetup::TGraphSetup(QWidget* parent) : QDialog(parent) {
    setObjectName("GraphSetup");
    setWindowTitle("Graph setup");
    setFixedSize(kClientWidth, kClientHeight);
    QFont font("MS Sans Serif", 8);
    font.setBold(true);
    setFont(font);

    const platform::TDialogButtons buttons =
        platform::MakeDialogButtons(this, kPanelWidth, platform::TButtonPanel::Framed);
    connect(buttons.Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons.Cancel, &QPushButton::clicked, this, &QDialog::reject);

    const int bookWidth = kClientWidth - kPanelWidth;
    FNotebook = Named(new QStackedWidget(this), "Notebook");
    FNotebook->setGeometry(0, 0, bookWidth, kClientHeight - kTabHeight);
    FTabSet = Named(new QTabBar(this), "TabSet");
    FTabSet->setShape(QTabBar::RoundedSouth);
    FTabSet->setGeometry(0, kClientHeight - kTabHeight, bookWidth, kTabHeight);

    auto* copyPage = new QWidget(FNotebook);
    copyPage->setWindowTitle("Copy");
    auto* gbTime = Named(new QGroupBox("In copying process copy for", copyPage), "gbTime");
    gbTime->setGeometry(16, 16, 300, 90);
    FrbSelectAll = Named(new QRadioButton("All value from time axis", gbTime), "rbSelectAll");
    FrbSelectMark = Named(new QRadioButton("Appointed with cursors time", gbTime), "rbSelectMark");
    FrbSelectAll->setGeometry(16, 28, 270, 20);
    FrbSelectMark->setGeometry(16, 56, 270, 20);
    FNotebook->addWidget(copyPage);

    auto* linePage = new QWidget(FNotebook);
    linePage->setWindowTitle("Auxiliary line");
    struct TColumn {
        QLineEdit*& Edit;
        QFrame*& Shape;
        QCheckBox*& Visible;
        const char *Title, *EditName, *SpinName, *ShapeName, *ButtonName, *CheckName;
    };
    const TColumn columns[] = {
        {FEdit1, FShape1, FcbShowMajor, "Mainlines grid", "Edit1", "SpinButton1", "Shape1", "btnColorSetup1",
         "cbShowMajor"},
        {FEdit2, FShape2, FcbShowMinor, "Auxiliary lines grid", "Edit2", "SpinButton2", "Shape2", "Button1",
         "cbShowMinor"},
    };
    platform::TSpinButton spins[2] = {};
    QPushButton* colorButtons[2] = {};
    for (int i = 0; i < 2; ++i) {
        const TColumn& c = columns[i];
        auto* box = new QGroupBox(c.Title, linePage);
        box->setGeometry(8 + i * 170, 8, 162, 200);
        Caption(box, "Thickness [mm]", 10, 24);
        c.Edit = Named(new QLineEdit(box), c.EditName);
        c.Edit->setGeometry(10, 42, 60, 22);
        spins[i] = platform::MakeSpinButton(box, c.SpinName);
        spins[i].Widget->move(72, 42);
        Caption(box, "Colour", 10, 74);
        c.Shape = Named(new QFrame(box), c.ShapeName);
        c.Shape->setGeometry(10, 92, 60, 22);
        c.Shape->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.Shape->setAutoFillBackground(true);
        colorButtons[i] = Named(new QPushButton("---", box), c.ButtonName);
        colorButtons[i]->setGeometry(76, 92, 40, 22);
        c.Visible = Named(new QCheckBox("Visible", box), c.CheckName);
        c.Visible->setGeometry(10, 124, 120, 20);
        Caption(box, "Kind of lines", 10, 154);
    }
    connect(spins[0].Up, &QToolButton::clicked, this, [this] { SpinButton1UpClick(); });
    connect(spins[0].Down, &QToolButton::clicked, this, [this] { SpinButton1DownClick(); });
    connect(spins[1].Up, &QToolButton::clicked, this, [this] { SpinButton2UpClick(); });
    connect(spins[1].Down, &QToolButton::clicked, this, [this] { SpinButton2DownClick(); });
    connect(colorButtons[0], &QPushButton::clicked, this, [this] { btnColorSetup1Click(); });
    connect(colorButtons[1], &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(FcbShowMajor, &QCheckBox::clicked, this, [this] { cbShowMajorClick(); });
    connect(FcbShowMinor, &QCheckBox::clicked, this, [this] { cbShowMinorClick(); });
    connect(FrbSelectAll, &QRadioButton::clicked, this, [this] { rbSelectAllClick(); });
    connect(FrbSelectMark, &QRadioButton::clicked, this, [this] { rbSelectMarkClick(); });
    FNotebook->addWidget(linePage);

    auto* scalingPage = new QWidget(FNotebook);
    scalingPage->setWindowTitle("Scaling");
    Caption(scalingPage, "X axis", 16, 12);
    Caption(scalingPage, "Value/scale", 16, 44);
    Fedit_dXPerDiv = Named(new QLineEdit(scalingPage), "edit_dXPerDiv");
    Fedit_dXPerDiv->setGeometry(180, 40, 100, 22);
    Caption(scalingPage, "Lenght of primary scale", 16, 76);
    FeditdXLen = Named(new QLineEdit(scalingPage), "editdXLen");
    FeditdXLen->setGeometry(180, 72, 100, 22);
    Caption(scalingPage, "Il auxiliary scale", 16, 108);
    Fedit_MinorGridCnt = Named(new QLineEdit(scalingPage), "edit_MinorGridCnt");
    Fedit_MinorGridCnt->setGeometry(180, 104, 100, 22);
    FNotebook->addWidget(scalingPage);

    FColorDialog1 = Named(new QColorDialog(this), "ColorDialog1");
    ChooseColor = [this](platform::TColor initial) { return RunColorDialog(initial); };

    FormCreate();
    FNotebook->setCurrentIndex(1);
    FTabSet->setCurrentIndex(1);
}

TGraphSetup::~TGraphSetup() = default;

void TGraphSetup::FormCreate() {
    while (FTabSet->count() > 0) FTabSet->removeTab(0);
    for (int i = 0; i < FNotebook->count(); ++i) FTabSet->addTab(FNotebook->widget(i)->windowTitle());
    connect(FTabSet, &QTabBar::currentChanged, this, [this] { TabSetClick(); });
    for (QLineEdit* edit : {Fedit_dXPerDiv, FeditdXLen, Fedit_MinorGridCnt})
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { ScalingEditChange(edit); });
}

void TGraphSetup::TabSetClick() {
    FNotebook->setCurrentIndex(FTabSet->currentIndex());
}

void TGraphSetup::SetCopyMode(uint8_t mode) {
    FCopyMode = mode;
    (mode == 1 ? FrbSelectAll : FrbSelectMark)->setChecked(true);
}

void TGraphSetup::SetMajorColor(platform::TColor color) {
    FMajorColor = color;
}

void TGraphSetup::SetMinorColor(platform::TColor color) {
    FMinorColor = color;
}

namespace {

// The width's text, cut to its first four characters.
QString WidthText(long double mm) {
    return NumberText(static_cast<double>(mm)).left(4);
}

}  // namespace

void TGraphSetup::SetMajorWidth(long double mm) {
    FLoadedMajorWidth = mm;
    FLoadedMajorText = WidthText(mm);
    FEdit1->setText(FLoadedMajorText);
}

void TGraphSetup::SetMinorWidth(long double mm) {
    FLoadedMinorWidth = mm;
    FLoadedMinorText = WidthText(mm);
    FEdit2->setText(FLoadedMinorText);
}

void TGraphSetup::SetShowMajor(bool show) {
    FShowMajor = show;
    FcbShowMajor->setChecked(show);
}

void TGraphSetup::SetShowMinor(bool show) {
    FShowMinor = show;
    FcbShowMinor->setChecked(show);
}

long double TGraphSetup::GetMajorWidth() const {
    // The text shown for a loaded width may be cut; untouched, it stands for that width.
    if (FEdit1->text() == FLoadedMajorText) return std::fabs(FLoadedMajorWidth);
    return std::fabs(ParseNumber(FEdit1->text()));
}

long double TGraphSetup::GetMinorWidth() const {
    if (FEdit2->text() == FLoadedMinorText) return std::fabs(FLoadedMinorWidth);
    return std::fabs(ParseNumber(FEdit2->text()));
}

void TGraphSetup::ShowSwatches() {
    for (auto [shape, color] : {std::pair{FShape1, FMajorColor}, std::pair{FShape2, FMinorColor}}) {
        QPalette palette = shape->palette();
        palette.setColor(QPalette::Window, platform::ToQColor(color));
        shape->setPalette(palette);
    }
}

bool TGraphSetup::Execute() {
    ShowSwatches();
    FrbSelectAll->setChecked(FCopyMode == 1);
    FrbSelectMark->setChecked(FCopyMode != 1);
    // Loading shows what is stored; the change handler reads it back unchanged.
    const double perDiv = FdXPerDiv;
    const uint16_t length = FdXLen, steps = FMinorGridCnt;
    Fedit_dXPerDiv->setText(NumberText(perDiv));
    FeditdXLen->setText(QString::number(length));
    Fedit_MinorGridCnt->setText(QString::number(steps));
    FdXPerDiv = perDiv;
    FdXLen = length;
    FMinorGridCnt = steps;
    return exec() == QDialog::Accepted;
}

std::optional<platform::TColor> TGraphSetup::RunColorDialog(platform::TColor initial) {
    FColorDialog1->setCurrentColor(platform::ToQColor(initial));
    if (FColorDialog1->exec() != QDialog::Accepted) return std::nullopt;
    return platform::FromQColor(FColorDialog1->selectedColor());
}

void TGraphSetup::btnColorSetup1Click() {
    if (ChooseColor)
        if (const auto chosen = ChooseColor(FMajorColor)) FMajorColor = *chosen;
    ShowSwatches();
}

void TGraphSetup::Button1Click() {
    if (ChooseColor)
        if (const auto chosen = ChooseColor(FMinorColor)) FMinorColor = *chosen;
    ShowSwatches();
}

void TGraphSetup::cbShowMinorClick() {
    FShowMinor = FcbShowMinor->isChecked();
}

void TGraphSetup::cbShowMajorClick() {
    FShowMajor = FcbShowMajor->isChecked();
}

void TGraphSetup::rbSelectAllClick() {
    FCopyMode = 1;
}

void TGraphSetup::rbSelectMarkClick() {
    FCopyMode = 0;
}

void TGraphSetup::Spin(QLineEdit* edit, double delta) {
    try {
        const double value = ParseNumber(edit->text());
        edit->setText(NumberText(value + delta));
    } catch (const platform::Exception& e) {
        ShowError(e);
    }
}

void TGraphSetup::SpinButton1DownClick() {
    Spin(FEdit1, -0.1);
}

void TGraphSetup::SpinButton1UpClick() {
    Spin(FEdit1, 0.1);
}

void TGraphSetup::SpinButton2DownClick() {
    Spin(FEdit2, -0.1);
}

void TGraphSetup::SpinButton2UpClick() {
    Spin(FEdit2, 0.1);
}

void TGraphSetup::ScalingEditChange(QLineEdit* sender) {
    try {
        const double value = ParseNumber(sender->text());
        // Values the chart cannot draw with keep the last good one.
        if (sender == Fedit_dXPerDiv) {
            if (value > 0 && std::isfinite(value)) FdXPerDiv = value;
            return;
        }
        const double rounded = platform::RoundHalfEven(value);
        if (sender == FeditdXLen) {
            if (rounded >= 1 && rounded <= 65535) FdXLen = static_cast<uint16_t>(rounded);
        } else if (sender == Fedit_MinorGridCnt) {
            if (rounded >= 0 && rounded <= 65535) FMinorGridCnt = static_cast<uint16_t>(rounded);
        }
    } catch (const platform::Exception& e) {
        ShowError(e);
    }
}

bool SetupGraph(TGraph& graph, QWidget* parent) {
    TGraphSetup dialog(parent);
    dialog.SetCopyMode(graph.CopyWholeRange ? 1 : 0);
    dialog.SetMajorColor(graph.MajorGridColor);
    dialog.SetMinorColor(graph.MinorGridColor);
    dialog.SetMajorWidth(graph.MajorGridWidth);
    dialog.SetMinorWidth(graph.MinorGridWidth);
    dialog.SetShowMajor(graph.ShowMajorGrid);
    dialog.SetShowMinor(graph.ShowMinorGrid);
    dialog.SetValuePerDivision(graph.ValuePerDivision);
    dialog.SetDivisionLength(graph.DivisionLengthMM);
    dialog.SetMinorGridCount(static_cast<uint16_t>(graph.SubdivisionsPerDivision & 0xFFFF));
    const bool ok = dialog.Execute();
    if (!ok) {
        graph.PlaceCursors();
        graph.Redraw();
        return false;
    }
    graph.CopyWholeRange = dialog.CopyMode() == 1;
    graph.MajorGridColor = dialog.MajorColor();
    graph.MinorGridColor = dialog.MinorColor();
    try {
        graph.MajorGridWidth = dialog.GetMajorWidth();
        graph.MinorGridWidth = dialog.GetMinorWidth();
        graph.ShowMajorGrid = dialog.ShowMajor();
        graph.ShowMinorGrid = dialog.ShowMinor();
        graph.ValuePerDivision = dialog.ValuePerDivision();
        graph.DivisionLengthMM = dialog.DivisionLength();
        graph.SubdivisionsPerDivision = dialog.MinorGridCount();
    } catch (const platform::Exception& e) {
        ShowError(e);
    }
    // As after filling the chart: the scale, the time scroll range and the cursors follow.
    graph.BeginUpdate();
    graph.EndUpdate();
    return true;
}

}  // namespace chart
