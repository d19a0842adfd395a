#include "app/forms/Pagedlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/forms/FormParts.h"
#include "app/forms/MainFrame.h"

namespace app {

using forms::Named;
using forms::Q;

namespace {

constexpr int kClientWidth = 384;
constexpr int kClientHeight = 230;
constexpr int kPanelWidth = 96;
constexpr int kTabHeight = 26;

}  // namespace

TPageDlgFrm::TPageDlgFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("PageDlgFrm");
    setWindowTitle("Print options");
    setFixedSize(kClientWidth, kClientHeight);

    // Help helps with nothing: the program has no help file.
    const forms::TDialogButtons buttons =
        forms::MakeDialogButtons(this, kPanelWidth, forms::TButtonPanel::Framed, "Hel&p");
    connect(buttons.Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons.Cancel, &QPushButton::clicked, this, &QDialog::reject);

    const int bookWidth = kClientWidth - kPanelWidth;
    auto* notebook = Named(new QStackedWidget(this), "Notebook");
    notebook->setGeometry(0, 0, bookWidth, kClientHeight - kTabHeight);

    auto* range = new QWidget;
    range->setWindowTitle("Zakres wydruku");
    FcbPrintListing = Named(new QCheckBox("Listing", range), "cbPrintListing");
    FcbPrintGraph = Named(new QCheckBox("Graph", range), "cbPrintGraph");
    FcbPrintZns1 = Named(new QCheckBox("Settings - parset 1", range), "cbPrintZns1");
    FcbPrintZns2 = Named(new QCheckBox("Settings - parset 2", range), "cbPrintZns2");
    QCheckBox* boxes[] = {FcbPrintListing, FcbPrintGraph, FcbPrintZns1, FcbPrintZns2};
    for (int i = 0; i < 4; ++i) boxes[i]->setGeometry(16, 16 + 28 * i, 250, 22);
    FcbPrintListing->setChecked(true);
    FcbPrintGraph->setChecked(true);
    notebook->addWidget(range);

    auto* margins = new QWidget;
    margins->setWindowTitle("Margins");
    struct TRow {
        const char *Label, *LabelName, *EditName, *SpinName;
        TSide Side;
    };
    const TRow rows[] = {{"Up", "Label1", "editTopMargin", "SpinButton1", Top},
                         {"Down", "Label2", "editBottomMargin", "SpinButton2", Bottom},
                         {"Left", "Label3", "editLeftMargin", "SpinButton3", Left},
                         {"Right", "Label4", "editRightMargin", "SpinButton4", Right}};
    for (int i = 0; i < 4; ++i) {
        const TRow& r = rows[i];
        auto* label = Named(new QLabel(r.Label, margins), r.LabelName);
        label->setGeometry(16, 20 + 36 * i, 60, 22);
        auto* edit = Named(new QLineEdit(margins), r.EditName);
        edit->setGeometry(80, 20 + 36 * i, 90, 22);
        FEdits[r.Side] = edit;
        const forms::TSpinButton spin = forms::MakeSpinButton(margins, r.SpinName);
        spin.Widget->move(172, 20 + 36 * i);
        const TSide side = r.Side;
        connect(spin.Up, &QToolButton::clicked, this, [this, side] { MarginStep(side, +1); });
        connect(spin.Down, &QToolButton::clicked, this, [this, side] { MarginStep(side, -1); });
        connect(edit, &QLineEdit::editingFinished, this, [this, side] { MarginEditExit(side); });
    }
    notebook->addWidget(margins);

    auto* tabs = forms::MakeTabSet(this, *notebook, "TabSet");
    tabs->setGeometry(0, kClientHeight - kTabHeight, bookWidth, kTabHeight);
    ShowMargins();
}

void TPageDlgFrm::SetPrintFlags(uint8_t flags) {
    FPrintFlags = flags;
    const TPrintChecks checks = ChecksFromFlags(flags);
    FcbPrintListing->setChecked(checks.Listing);
    FcbPrintGraph->setChecked(checks.Graph);
    FcbPrintZns1->setChecked(checks.Parset1);
    FcbPrintZns2->setChecked(checks.Parset2);
}

bool TPageDlgFrm::Execute() {
    if (ExecModal(*this) != QDialog::Accepted) return false;
    FPrintFlags = FlagsFromChecks({FcbPrintListing->isChecked(), FcbPrintGraph->isChecked(),
                                   FcbPrintZns1->isChecked(), FcbPrintZns2->isChecked()});
    return true;
}

int32_t& TPageDlgFrm::Margin(TSide side) {
    switch (side) {
        case Top:
            return FPageSetup.Top;
        case Bottom:
            return FPageSetup.Bottom;
        case Left:
            return FPageSetup.Left;
        default:
            return FPageSetup.Right;
    }
}

void TPageDlgFrm::MarginStep(TSide side, int32_t delta) {
    forms::Guarded([&] {
        FEdits[side]->setText(Q(MarginStepText(forms::S(FEdits[side]->text()), Margin(side), delta)));
    });
}

void TPageDlgFrm::MarginEditExit(TSide side) {
    forms::Guarded([&] {
        if (const std::optional<int32_t> mm = MarginFromText(forms::S(FEdits[side]->text())))
            Margin(side) = *mm;
        ShowMargins();
    });
}

void TPageDlgFrm::ShowMargins() {
    for (const TSide side : {Top, Bottom, Left, Right}) {
        const QSignalBlocker block(FEdits[side]);
        FEdits[side]->setText(Q(MarginText(Margin(side))));
    }
}

}  // namespace app
