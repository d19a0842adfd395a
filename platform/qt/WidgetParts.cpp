#include "platform/qt/WidgetParts.h"

#include <QFrame>

namespace platform {

QLabel* Caption(QWidget* parent, const char* text, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

TSpinButton MakeSpinButton(QWidget* parent, const char* name) {
    auto* spin = Named(new QWidget(parent), name);
    auto* up = Named(new QToolButton(spin), "UpButton");
    up->setArrowType(Qt::UpArrow);
    up->setGeometry(0, 0, 16, 11);
    auto* down = Named(new QToolButton(spin), "DownButton");
    down->setArrowType(Qt::DownArrow);
    down->setGeometry(0, 11, 16, 11);
    spin->resize(16, 22);
    return {spin, up, down};
}

TDialogButtons MakeDialogButtons(QWidget* dialog, int panelWidth, TButtonPanel panel,
                                 const char* helpCaption) {
    const int left = dialog->width() - panelWidth;
    QWidget* parent = dialog;
    int x = left + 8;
    if (panel == TButtonPanel::Framed) {
        parent = Named(new QFrame(dialog), "ButtonPanel");
        parent->setGeometry(left, 0, panelWidth, dialog->height());
        x = 8;
    }
    const TDialogButtons buttons{Named(new QPushButton("OK", parent), "OKBtn"),
                                 Named(new QPushButton("Cancel", parent), "CancelBtn"),
                                 Named(new QPushButton(QString::fromUtf8(helpCaption), parent), "HelpBtn")};
    buttons.Ok->setGeometry(x, 8, 75, 25);
    buttons.Cancel->setGeometry(x, 40, 75, 25);
    buttons.Help->setGeometry(x, 72, 75, 25);
    buttons.Ok->setDefault(true);
    return buttons;
}

}  // namespace platform
