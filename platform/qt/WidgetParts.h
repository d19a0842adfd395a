#pragma once
// Pieces the dialogs of every layer build their layouts from: controls named as the
// layout names them, a caption label and the spin button (two arrow buttons).
#include <QLabel>
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

}  // namespace platform
