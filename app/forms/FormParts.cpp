#include "app/forms/FormParts.h"

#include <exception>

#include "platform/Prompts.h"

namespace app::forms {

void SetHint(QWidget& widget, const std::string& hint) {
    const std::size_t bar = hint.find('|');
    widget.setToolTip(Q(hint.substr(0, bar)));
    widget.setStatusTip(Q(bar == std::string::npos ? hint : hint.substr(bar + 1)));
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

QTabBar* MakeTabSet(QWidget* parent, QStackedWidget& notebook, const char* name) {
    auto* tabs = Named(new QTabBar(parent), name);
    tabs->setShape(QTabBar::RoundedSouth);
    for (int i = 0; i < notebook.count(); ++i) tabs->addTab(notebook.widget(i)->windowTitle());
    QObject::connect(tabs, &QTabBar::currentChanged, &notebook, [&notebook](int index) {
        if (index >= 0) notebook.setCurrentIndex(index);
    });
    return tabs;
}

void Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform::Prompts().MessageBox(e.what(), "Error", platform::mbOK);
    }
}

}  // namespace app::forms
