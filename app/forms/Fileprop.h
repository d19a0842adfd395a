#pragma once
// The properties of one document: creation date, device model, versions, the note and
// the station information; the note and the station information can be edited.
#include <QDialog>

class QLabel;
class QLineEdit;
class QTextEdit;

namespace app {

class THalvo;

class TFileInfoDlg : public QDialog {
public:
    explicit TFileInfoDlg(QWidget* parent = nullptr);

    // Shows the image's properties modally; OK stores the note and the station
    // information and marks the document modified when either changed. True on OK.
    bool Execute(THalvo& image);

    bool NoteChanged = false;

private:
    QLineEdit* FedDateCreate;
    QLineEdit* FEditHalvoType;
    QLabel* FlabVer;
    QLabel* FlbHalvoVersion;
    QTextEdit* FMemo1;
    QLineEdit* FtbStationInfo;
};

}  // namespace app
