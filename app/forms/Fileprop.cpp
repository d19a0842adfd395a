#include "app/forms/Fileprop.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <string>
#include <vector>

#include "app/device/HalvoFiles.h"
#include "app/device/Halvobase.h"
#include "app/forms/FormParts.h"
#include "app/forms/MainFrame.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace app {

using forms::Caption;
using forms::Named;
using forms::Q;
using forms::S;

namespace {

std::string ModelText(int deviceType) {
    switch (deviceType) {
        case 1:
            return "VESK-2";
        case 2:
            return "VESK-3";
        default:
            return "?";
    }
}

}  // namespace

TFileInfoDlg::TFileInfoDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("FileInfoDlg");
    setWindowTitle(QString::fromUtf8("Właściwości pliku"));
    setFixedSize(420, 400);

    Caption(this, "File data", 12, 12);
    FedDateCreate = Named(new QLineEdit(this), "edDateCreate");
    FedDateCreate->setGeometry(12, 30, 120, 22);
    FedDateCreate->setEnabled(false);
    Caption(this, "Unit type", 150, 12);
    FEditHalvoType = Named(new QLineEdit(this), "EditHalvoType");
    FEditHalvoType->setGeometry(150, 30, 100, 22);
    FEditHalvoType->setEnabled(false);
    FlabVer = Named(new QLabel(this), "labVer");
    FlabVer->setGeometry(12, 60, 390, 18);
    FlbHalvoVersion = Named(new QLabel(this), "lbHalvoVersion");
    FlbHalvoVersion->setGeometry(12, 80, 390, 18);
    Caption(this, "Note:", 12, 104);
    FMemo1 = Named(new QTextEdit(this), "Memo1");
    FMemo1->setGeometry(12, 122, 396, 170);
    FMemo1->setAcceptRichText(false);
    FMemo1->setLineWrapMode(QTextEdit::NoWrap);
    FMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Caption(this, "Unit information", 12, 300);
    FtbStationInfo = Named(new QLineEdit(this), "tbStationInfo");
    FtbStationInfo->setGeometry(12, 318, 396, 22);
    FtbStationInfo->setMaxLength(static_cast<int>(THalvo::kMaxTextLength));

    auto* ok = Named(new QPushButton("OK", this), "OKBtn");
    auto* cancel = Named(new QPushButton("Cancel", this), "CancelBtn");
    ok->setGeometry(240, 360, 75, 25);
    cancel->setGeometry(330, 360, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FMemo1, &QTextEdit::textChanged, this, [this] { NoteChanged = true; });
}

bool TFileInfoDlg::Execute(THalvo& image) {
    std::vector<std::string> lines;
    BufferToStrings(lines, image.Note(), THalvo::kNoteSize);
    std::string note;
    for (std::size_t i = 0; i < lines.size(); ++i) note += (i ? "\n" : "") + lines[i];
    FMemo1->setPlainText(Q(note));
    FedDateCreate->setText(Q(platform::DateToStr(image.GetCreationDate(), platform::AppFormatSettings())));
    FEditHalvoType->setText(Q(ModelText(image.DeviceType())));
    NoteChanged = false;
    FlabVer->setText(Q("Program version: " + platform::IntToStr(image.GetVersionMajor()) + "." +
                       platform::IntToStr(image.GetVersionMinor())));
    FlbHalvoVersion->setText(Q("Unit version: " + image.GetUnitVersion()));
    FtbStationInfo->setText(Q(image.GetStationInfo()));

    if (ExecModal(*this) != QDialog::Accepted) return false;
    const QString text = FMemo1->toPlainText();
    std::vector<std::string> edited;
    if (!text.isEmpty())
        for (const QString& line : text.split('\n')) edited.push_back(S(line));
    StringsToBuffer(edited, image.Note(), THalvo::kNoteSize);
    if (S(FtbStationInfo->text()) != image.GetStationInfo()) {
        image.SetStationInfo(S(FtbStationInfo->text()));
        NoteChanged = true;
    }
    if (NoteChanged) image.SetModified(true);
    return true;
}

}  // namespace app
