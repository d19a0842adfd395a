#pragma once
// The communication options of the process: serial port and speed, Modbus TCP address
// and port, wait and silence times. Port and speed changes take effect at once; Cancel
// puts back what was in force before.
#include <QDialog>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace app {

class TRsdHan;

struct TCommSettings {
    bool UseModbusTcp = false;
    std::string TcpAddress = "127.0.0.1";
    uint16_t TcpPort = 502;
    uint16_t TimeOutMs = 500;
    uint16_t TimeSilenceMs = 10;
};

class TCommDlg : public QDialog {
public:
    // The link and the settings are the main window's; the dialog changes both.
    TCommDlg(TRsdHan& link, TCommSettings& settings, QWidget* parent = nullptr);

    void SetTimeOut(uint16_t ms);
    void SetTimeSilence(uint16_t ms);
    // Fills the controls from the link and the settings and opens the port (without
    // Modbus TCP); then runs the dialog modally. True on OK.
    bool Execute();

    void FormShow();
    void FillPortList();
    // The link takes the port box's port and the speed list's speed and is opened.
    void ApplyPortSelection();
    void ShowStatus();

    uint16_t TimeOutMs = 0;
    uint16_t TimeSilenceMs = 0;
    bool Connected = false;

private:
    void PortChosen();
    void cbxTALVOCommClick();
    void OKBtnClick();
    void EnableRoads();

    TRsdHan& FLink;
    TCommSettings& FSettings;
    QComboBox* FPortComboBox;
    QComboBox* FSpeedComboBox;
    QLabel* FlbStatus;
    QLineEdit* FedtTALVOIP;
    QLineEdit* FedtTALVOPort;
    QCheckBox* FcbxTALVOComm;
    QSpinBox* FtbTimeOut;
    QSpinBox* FtbTimeSilence;
    std::string FAppliedPort;  // the port text the link has from the box
};

// The main window's "Serial port" command: the dialog on the link and the settings; OK
// takes the times (and the link reopens on its port without Modbus TCP, closes with it),
// Cancel restores port, speed and the TCP settings and closes and reopens the link.
void CommSetup(TRsdHan& link, TCommSettings& settings, QWidget* parent = nullptr);

}  // namespace app
