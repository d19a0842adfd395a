#include "app/forms/About.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/forms/FormParts.h"

namespace app {

using forms::Named;

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutFrm");
    setWindowTitle("Informacje");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(16);
    auto* line = Named(new QLabel("Program for unit type VESK-2 i VESK-3 ", this), "Label1");
    layout->addWidget(line);
    auto* ok = Named(new QPushButton("OK", this), "OKButton");
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

}  // namespace app
