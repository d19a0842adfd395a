#include "platform/qt/WidgetParts.h"

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

}  // namespace platform
