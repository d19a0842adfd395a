#pragma once
// Pieces the dialogs of every layer build their layouts from: controls named as the
// layout names them, a caption label, the spin button (two arrow buttons) and the
// dialogs' OK, Cancel and Help buttons.
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace platform {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// A label of its text's size at x, y.
QLabel* Caption(QWidget* parent, const char* text, int x, int y);

// Two arrow buttons "UpButton" and "DownButton" in a 16 by 22 widget of the given name.
struct TSpinButton {
    QWidget* Widget;
    QToolButton* Up;
    QToolButton* Down;
};
TSpinButton MakeSpinButton(QWidget* parent, const char* name);

// "OKBtn", "CancelBtn" and "HelpBtn" one under the other in the dialog's right strip,
// panelWidth wide: on a frame "ButtonPanel" filling the strip, or bare on the dialog. OK
// is the default button; the dialog connects them. The dialog has its size already.
enum class TButtonPanel { Framed, Bare };
struct TDialogButtons {
    QPushButton* Ok;
    QPushButton* Cancel;
    QPushButton* Help;
};
TDialogButtons MakeDialogButtons(QWidget* dialog, int panelWidth, TButtonPanel panel,
                                 const char* helpCaption = "Help");

}  // namespace platform
