#include "cfgdetail.h"
#include "ui_cfgdetail.h"

#include "portdetails.h"

#include <QListView>
#include <QSerialPort>
#include <QSerialPortInfo>

namespace {

constexpr int kExtraBaud = 460800;
constexpr int kFallbackBaud = 9600;

}  // namespace

CfgDetail::CfgDetail(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
    , m_ui(new Ui::CfgDetail)
{
    m_ui->setupUi(this);
    setFixedSize(600, 300);
    for (QComboBox* cmb : { m_ui->cmbPort, m_ui->cmbBaud, m_ui->cmbDataBit, m_ui->cmbStopBit,
                            m_ui->cmbParity, m_ui->cmbFlowCtrl })
        cmb->setView(new QListView(cmb));

    for (const qint32 nRate : QSerialPortInfo::standardBaudRates())
        m_ui->cmbBaud->addItem(QString("%1").arg(nRate), nRate);
    m_ui->cmbBaud->addItem(QString::number(kExtraBaud), kExtraBaud);
    m_ui->cmbBaud->setCurrentText("115200");

    for (const int nBits : { 5, 6, 7, 8 })
        m_ui->cmbDataBit->addItem(QString::number(nBits), nBits);
    m_ui->cmbDataBit->setCurrentText("8");

    m_ui->cmbStopBit->addItem("1", int(QSerialPort::OneStop));
    m_ui->cmbStopBit->addItem("1.5", int(QSerialPort::OneAndHalfStop));
    m_ui->cmbStopBit->addItem("2", int(QSerialPort::TwoStop));

    m_ui->cmbParity->addItem(tr("不校验"), int(QSerialPort::NoParity));
    m_ui->cmbParity->addItem(tr("奇校验"), int(QSerialPort::OddParity));
    m_ui->cmbParity->addItem(tr("偶校验"), int(QSerialPort::EvenParity));

    m_ui->cmbFlowCtrl->addItem(tr("无"), int(QSerialPort::NoFlowControl));
    m_ui->cmbFlowCtrl->addItem("RTS/CTS", int(QSerialPort::HardwareControl));
    m_ui->cmbFlowCtrl->addItem("XON/XOFF", int(QSerialPort::SoftwareControl));

    connect(m_ui->cmbPort, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CfgDetail::showPortInfo);
    connect(m_ui->pbConfirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->pbCancel, &QPushButton::clicked, this, &QDialog::reject);
}

CfgDetail::~CfgDetail()
{
    delete m_ui;
}

void CfgDetail::clearPorts()
{
    m_ui->cmbPort->clear();
}

void CfgDetail::addPort(const QString& strText, const QString& strData)
{
    m_ui->cmbPort->addItem(strText, strData);
}

void CfgDetail::selectPort(const QString& strData)
{
    const int nIdx = m_ui->cmbPort->findData(strData, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (nIdx >= 0)
        m_ui->cmbPort->setCurrentIndex(nIdx);
}

QString CfgDetail::currentPortData() const
{
    return m_ui->cmbPort->currentData().toString();
}

int CfgDetail::getBaud() const
{
    const uint nBaud = m_ui->cmbBaud->currentText().toUInt();
    return nBaud == 0 ? kFallbackBaud : int(nBaud);
}

int CfgDetail::getDataBits() const
{
    return m_ui->cmbDataBit->currentData().toInt();
}

int CfgDetail::getStopBits() const
{
    return m_ui->cmbStopBit->currentData().toInt();
}

int CfgDetail::getParity() const
{
    return m_ui->cmbParity->currentData().toInt();
}

int CfgDetail::getFlowControl() const
{
    return m_ui->cmbFlowCtrl->currentData().toInt();
}

void CfgDetail::showPortInfo(int nIdx)
{
    m_ui->lblPortInfo->clear();
    if (nIdx < 0)
        return;
    m_ui->lblPortInfo->setText(portInfoText(describePort(m_ui->cmbPort->itemData(nIdx).toString())));
}
