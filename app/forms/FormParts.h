#pragma once
// Small pieces the windows' layouts share: named controls, captions, spin buttons and
// the OK, Cancel and Help buttons (as every layer's dialogs build them), hints, the tab
// set that pages a notebook and the catching of a handler's exceptions.
#include <QFrame>
#include <QStackedWidget>
#include <QString>
#include <QTabBar>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/qt/WidgetParts.h"

namespace app::forms {

using platform::Caption;
using platform::MakeDialogButtons;
using platform::MakeSpinButton;
using platform::Named;
using platform::TButtonPanel;
using platform::TDialogButtons;
using platform::TSpinButton;

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

// A hint "short|long": the tooltip before the bar, the status tip after it; a hint
// without a bar is both.
void SetHint(QWidget& widget, const std::string& hint);

// A tab set at the bottom that takes the notebook's page names (each page's window
// title) as its tabs and shows the page of the tab chosen.
QTabBar* MakeTabSet(QWidget* parent, QStackedWidget& notebook, const char* name);

// Runs a handler as the program's event loop would: an exception is shown in an error
// box and goes no further.
void Guarded(const std::function<void()>& handler);

}  // namespace app::forms
