#include "app/forms/Params.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <vector>

#include "app/device/TransferGuard.h"
#include "app/forms/FormParts.h"
#include "app/forms/MainFrame.h"
#include "app/link/RsdUnit.h"
#include "platform/FormatSettings.h"
#include "platform/Prompts.h"

namespace app {

using forms::Caption;
using forms::Named;
using forms::Q;
using forms::S;

namespace {

constexpr int kClientWidth = 420;
constexpr int kClientHeight = 260;
constexpr int kPanelWidth = 96;
constexpr int kTabHeight = 26;
constexpr uint16_t kDefaultTcpPort = 502;
constexpr int kAddressLength = 15;
// The speeds the list offers, in the order of the link's speed index.
const char* const kSpeeds[] = {"110",  "300",  "600",   "1200",  "2400",
                               "4800", "9600", "14400", "19200", "38400"};

// The link opened; an error of its configuration is shown, the link then stays closed.
bool OpenLink(TRsdHan& link) {
    try {
        return link.Open() == TRsdHan::kOpenOk;
    } catch (const EComState& e) {
        platform::Prompts().MessageBox(e.what(), "Error", platform::mbOK);
        return false;
    }
}

}  // namespace

TCommDlg::TCommDlg(TRsdHan& link, TCommSettings& settings, QWidget* parent)
    : QDialog(parent), FLink(link), FSettings(settings) {
    setObjectName("CommDlg");
    setWindowTitle("Options");
    setFixedSize(kClientWidth, kClientHeight);

    const forms::TDialogButtons buttons =
        forms::MakeDialogButtons(this, kPanelWidth, forms::TButtonPanel::Bare);
    connect(buttons.Ok, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(buttons.Cancel, &QPushButton::clicked, this, &QDialog::reject);

    const int bookWidth = kClientWidth - kPanelWidth;
    auto* notebook = Named(new QStackedWidget(this), "Notebook");
    notebook->setGeometry(0, 0, bookWidth, kClientHeight - kTabHeight);

    auto* portPage = new QWidget;
    portPage->setWindowTitle("Port setup");
    auto* com = new QGroupBox("Port COM", portPage);
    com->setGeometry(8, 8, 300, 110);
    Caption(com, "Port", 12, 26);
    Caption(com, "Speed", 12, 56);
    FPortComboBox = Named(new QComboBox(com), "PortComboBox");
    FPortComboBox->setGeometry(70, 22, 200, 24);
    FPortComboBox->setEditable(true);
    FPortComboBox->setInsertPolicy(QComboBox::NoInsert);
    FPortComboBox->setMaxVisibleItems(4);
    forms::SetHint(*FPortComboBox, "Comm port selection");
    FSpeedComboBox = Named(new QComboBox(com), "SpeedComboBox");
    FSpeedComboBox->setGeometry(70, 52, 100, 24);
    for (const char* speed : kSpeeds) FSpeedComboBox->addItem(speed);
    forms::SetHint(*FSpeedComboBox, "Speed");
    FlbStatus = Named(new QLabel(com), "lbStatus");
    FlbStatus->setGeometry(12, 84, 260, 18);
    auto* tcp = new QGroupBox("Port TCP", portPage);
    tcp->setGeometry(8, 124, 300, 56);
    Caption(tcp, "IP:", 12, 26);
    FedtTALVOIP = Named(new QLineEdit(tcp), "edtTALVOIP");
    FedtTALVOIP->setGeometry(40, 22, 130, 22);
    FedtTALVOIP->setMaxLength(kAddressLength);
    Caption(tcp, "Port:", 180, 26);
    FedtTALVOPort = Named(new QLineEdit(tcp), "edtTALVOPort");
    FedtTALVOPort->setGeometry(220, 22, 60, 22);
    FcbxTALVOComm = Named(new QCheckBox("Use modbus over TCP", portPage), "cbxTALVOComm");
    FcbxTALVOComm->setGeometry(8, 186, 250, 22);
    notebook->addWidget(portPage);

    auto* timesPage = new QWidget;
    timesPage->setWindowTitle("Times");
    Caption(timesPage, "Wait time [ms]", 16, 20);
    FtbTimeOut = Named(new QSpinBox(timesPage), "tbTimeOut");
    FtbTimeOut->setGeometry(160, 16, 90, 24);
    FtbTimeOut->setRange(1, 3000);
    FtbTimeOut->setSingleStep(10);
    Caption(timesPage, "Silence time [ms]", 16, 56);
    FtbTimeSilence = Named(new QSpinBox(timesPage), "tbTimeSilence");
    FtbTimeSilence->setGeometry(160, 52, 90, 24);
    FtbTimeSilence->setRange(1, 1000);
    FtbTimeSilence->setSingleStep(5);
    notebook->addWidget(timesPage);

    auto* tabs = forms::MakeTabSet(this, *notebook, "TabSet");
    tabs->setGeometry(0, kClientHeight - kTabHeight, bookWidth, kTabHeight);

    // A port typed into the box applies when it is confirmed or left, not at every
    // keystroke: "/dev/tty" on the way to "/dev/ttyS1" would be opened and configured.
    connect(FPortComboBox, &QComboBox::activated, this, [this] { forms::Guarded([this] { PortChosen(); }); });
    connect(FPortComboBox->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { forms::Guarded([this] { PortChosen(); }); });
    connect(FSpeedComboBox, &QComboBox::activated, this, [this] {
        forms::Guarded([this] {
            ApplyPortSelection();
            ShowStatus();
        });
    });
    connect(FcbxTALVOComm, &QCheckBox::clicked, this, [this] { cbxTALVOCommClick(); });
    connect(FedtTALVOIP, &QLineEdit::textChanged, this,
            [this](const QString& text) { FSettings.TcpAddress = S(text); });
    connect(FedtTALVOPort, &QLineEdit::textChanged, this, [this](const QString& text) {
        const int64_t port = platform::StrToIntDef(S(text), kDefaultTcpPort);
        FSettings.TcpPort = port >= 0 && port <= 0xFFFF ? static_cast<uint16_t>(port) : kDefaultTcpPort;
    });
}

void TCommDlg::SetTimeOut(uint16_t ms) {
    TimeOutMs = ms;
    FtbTimeOut->setValue(ms);
}

void TCommDlg::SetTimeSilence(uint16_t ms) {
    TimeSilenceMs = ms;
    FtbTimeSilence->setValue(ms);
}

bool TCommDlg::Execute() {
    FormShow();
    return ExecModal(*this) == QDialog::Accepted;
}

void TCommDlg::FillPortList() {
    std::vector<std::string> names;
    GetSerialPortNames(names);
    const QSignalBlocker block(FPortComboBox);
    FPortComboBox->clear();
    FPortComboBox->addItem("None");
    for (const std::string& name : names) FPortComboBox->addItem(Q(name));
}

void TCommDlg::FormShow() {
    FillPortList();
    {
        const QSignalBlocker blockPort(FPortComboBox);
        const QSignalBlocker blockSpeed(FSpeedComboBox);
        FPortComboBox->setCurrentIndex(-1);
        FPortComboBox->setEditText(Q(FLink.CommPort()));
        // A speed the list lacks selects nothing and stays the link's.
        const int speed = static_cast<int>(FLink.BaudRate());
        FSpeedComboBox->setCurrentIndex(speed < FSpeedComboBox->count() ? speed : -1);
    }
    FAppliedPort = FLink.CommPort();
    {
        const QSignalBlocker blockCheck(FcbxTALVOComm);
        const QSignalBlocker blockIp(FedtTALVOIP);
        const QSignalBlocker blockPort(FedtTALVOPort);
        FcbxTALVOComm->setChecked(FSettings.UseModbusTcp);
        FedtTALVOIP->setText(Q(FSettings.TcpAddress));
        FedtTALVOPort->setText(Q(platform::IntToStr(FSettings.TcpPort)));
    }
    EnableRoads();
    Connected = false;
    if (!FSettings.UseModbusTcp) Connected = OpenLink(FLink);
    ShowStatus();
}

void TCommDlg::PortChosen() {
    const std::string text = S(FPortComboBox->currentText());
    if (text == FAppliedPort && FLink.IsOpen()) return;
    ApplyPortSelection();
    ShowStatus();
}

void TCommDlg::ApplyPortSelection() {
    const int speed = FSpeedComboBox->currentIndex();
    if (speed >= 0) FLink.SetBaudRate(static_cast<TBaudRate>(speed));
    const std::string text = S(FPortComboBox->currentText());
    FLink.SetCommPort(text == "None" ? std::string() : text);
    FAppliedPort = text;
    FLink.Close();
    Connected = OpenLink(FLink);
}

void TCommDlg::ShowStatus() {
    QString text = Connected ? "Connected" : "Not connected";
    // Why the chosen port did not open.
    if (!Connected && !FSettings.UseModbusTcp && !FLink.CommPort().empty() && !FLink.FailReason().empty())
        text += " (" + Q(FLink.FailReason()) + ")";
    FlbStatus->setText(text);
}

void TCommDlg::cbxTALVOCommClick() {
    FSettings.UseModbusTcp = FcbxTALVOComm->isChecked();
    EnableRoads();
}

void TCommDlg::EnableRoads() {
    const bool tcp = FcbxTALVOComm->isChecked();
    FPortComboBox->setEnabled(!tcp);
    FSpeedComboBox->setEnabled(!tcp);
    FedtTALVOIP->setEnabled(tcp);
    FedtTALVOPort->setEnabled(tcp);
}

void TCommDlg::OKBtnClick() {
    TimeSilenceMs = static_cast<uint16_t>(FtbTimeSilence->value());
    TimeOutMs = static_cast<uint16_t>(FtbTimeOut->value());
}

void CommSetup(TRsdHan& link, TCommSettings& settings, QWidget* parent) {
    // The port a running transfer uses is not reopened under it.
    if (TTransferGuard::Busy()) return;
    const std::string port = link.CommPort();
    const TBaudRate speed = link.BaudRate();
    const TCommSettings before = settings;
    TCommDlg dialog(link, settings, parent);
    dialog.SetTimeOut(settings.TimeOutMs);
    dialog.SetTimeSilence(settings.TimeSilenceMs);
    if (dialog.Execute()) {
        settings.TimeOutMs = dialog.TimeOutMs;
        settings.TimeSilenceMs = dialog.TimeSilenceMs;
        link.SetReadTotalTimeoutConstant(settings.TimeOutMs);
        link.SetSilenceTime(settings.TimeSilenceMs);
        link.Close();
        if (!settings.UseModbusTcp && !link.CommPort().empty()) OpenLink(link);
        return;
    }
    link.SetCommPort(port);
    link.SetBaudRate(speed);
    settings.UseModbusTcp = before.UseModbusTcp;
    settings.TcpAddress = before.TcpAddress;
    settings.TcpPort = before.TcpPort;
    // Closed and opened again, so the restored port and speed are the ones in force.
    link.Close();
    if (!settings.UseModbusTcp) OpenLink(link);
}

}  // namespace app
