#include "app/forms/FormParts.h"

#include <exception>

#include "platform/Prompts.h"

namespace app::forms {

void SetHint(QWidget& widget, const std::string& hint) {
    const std::size_t bar = hint.find('|');
    widget.setToolTip(Q(hint.substr(0, bar)));
    widget.setStatusTip(Q(bar == std::string::npos ? hint : hint.substr(bar + 1)));
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
