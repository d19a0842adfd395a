#pragma once
// The about box: what the program is for, and OK.
#include <QDialog>

namespace app {

class TAboutFrm : public QDialog {
public:
    explicit TAboutFrm(QWidget* parent = nullptr);
};

}  // namespace app
