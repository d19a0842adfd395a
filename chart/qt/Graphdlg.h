#pragma once
// The chart's setup dialog: what the clipboard copies, the two grids' lines and the time
// axis's scaling. The chart's "Options" command (SetupGraph) loads it from the chart,
// shows it and takes the values back on OK.
#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/Canvas.h"

class QCheckBox;
class QColorDialog;
class QFrame;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QStackedWidget;
class QTabBar;
class QToolButton;
class QPushButton;

namespace chart {

class TGraph;

class TGraphSetup : public QDialog {
public:
    explicit TGraphSetup(QWidget* parent = nullptr);
    ~TGraphSetup() override;

    // Loaders, called before Execute.
    // 1 copies the whole time axis, 0 the span between the cursors.
    void SetCopyMode(uint8_t mode);
    void SetMajorColor(platform::TColor color);
    void SetMinorColor(platform::TColor color);
    // Shown with the application's decimal separator, cut to four characters.
    void SetMajorWidth(long double mm);
    void SetMinorWidth(long double mm);
    void SetShowMajor(bool show);
    void SetShowMinor(bool show);
    void SetValuePerDivision(double value) { FdXPerDiv = value; }
    void SetDivisionLength(uint16_t mm) { FdXLen = mm; }
    void SetMinorGridCount(uint16_t steps) { FMinorGridCnt = steps; }

    // Readers: the thickness edits' numbers as absolute values; platform::EConvertError
    // for a text that is not a number.
    long double GetMajorWidth() const;
    long double GetMinorWidth() const;
    uint8_t CopyMode() const { return FCopyMode; }
    platform::TColor MajorColor() const { return FMajorColor; }
    platform::TColor MinorColor() const { return FMinorColor; }
    bool ShowMajor() const { return FShowMajor; }
    bool ShowMinor() const { return FShowMinor; }
    double ValuePerDivision() const { return FdXPerDiv; }
    uint16_t DivisionLength() const { return FdXLen; }
    uint16_t MinorGridCount() const { return FMinorGridCnt; }

    // Shows the dialog modally with the loaded state; true when closed with OK.
    bool Execute();

    // Handlers of the controls.
    void FormCreate();
    void TabSetClick();
    void btnColorSetup1Click();
    void Button1Click();
    void cbShowMinorClick();
    void cbShowMajorClick();
    void rbSelectAllClick();
    void rbSelectMarkClick();
    void SpinButton1DownClick();
    void SpinButton1UpClick();
    void SpinButton2DownClick();
    void SpinButton2UpClick();
    void ScalingEditChange(QLineEdit* sender);

    // Chooses a colour starting from the given one; nothing when cancelled. Runs
    // ColorDialog1 unless a test puts its own chooser here.
    std::function<std::optional<platform::TColor>(platform::TColor)> ChooseColor;

private:
    std::optional<platform::TColor> RunColorDialog(platform::TColor initial);
    void ShowSwatches();
    void Spin(QLineEdit* edit, double delta);

    uint8_t FCopyMode = 1;
    platform::TColor FMajorColor = platform::clBlue;
    platform::TColor FMinorColor = platform::clBlue;
    bool FShowMinor = false;
    bool FShowMajor = false;
    double FdXPerDiv = 1.0;
    uint16_t FdXLen = 10;
    uint16_t FMinorGridCnt = 4;
    // A width edit still showing its loaded text gives back the loaded width exactly.
    long double FLoadedMajorWidth = 0, FLoadedMinorWidth = 0;
    QString FLoadedMajorText, FLoadedMinorText;

    QStackedWidget* FNotebook;
    QTabBar* FTabSet;
    QRadioButton* FrbSelectAll;
    QRadioButton* FrbSelectMark;
    QLineEdit* FEdit1;
    QLineEdit* FEdit2;
    QFrame* FShape1;
    QFrame* FShape2;
    QCheckBox* FcbShowMajor;
    QCheckBox* FcbShowMinor;
    QLineEdit* Fedit_dXPerDiv;
    QLineEdit* FeditdXLen;
    QLineEdit* Fedit_MinorGridCnt;
    QColorDialog* FColorDialog1;
};

// The chart's "Options" command: a dialog of its own, loaded from the chart; on OK the
// chart takes the values back and is laid out anew as after filling it (the scale and
// the time scroll range follow the new scaling); the cursors are placed and the chart
// redrawn either way. True on OK.
bool SetupGraph(TGraph& graph, QWidget* parent);

}  // namespace chart
