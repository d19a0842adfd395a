#pragma once
// The print options dialog: what a print command prints (the print flags) and four page
// margins, which the dialog alone keeps.
#include <QDialog>
#include <cstdint>

#include "app/forms/PageOptions.h"

class QCheckBox;
class QLineEdit;

namespace app {

class TPageDlgFrm : public QDialog {
public:
    explicit TPageDlgFrm(QWidget* parent = nullptr);

    // Stores the flags and checks the boxes from them.
    void SetPrintFlags(uint8_t flags);
    uint8_t PrintFlags() const { return FPrintFlags; }
    const TPageSetup& PageSetup() const { return FPageSetup; }

    // Modal; on OK the flags come from the boxes and the result is true, otherwise the
    // stored flags stay.
    bool Execute();

private:
    enum TSide { Top, Bottom, Left, Right };
    int32_t& Margin(TSide side);
    void MarginStep(TSide side, int32_t delta);
    void MarginEditExit(TSide side);
    void ShowMargins();

    uint8_t FPrintFlags = kDefaultPrintFlags;
    TPageSetup FPageSetup;
    QCheckBox* FcbPrintListing;
    QCheckBox* FcbPrintGraph;
    QCheckBox* FcbPrintZns1;
    QCheckBox* FcbPrintZns2;
    QLineEdit* FEdits[4];
};

}  // namespace app
