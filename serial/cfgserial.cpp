#include "cfgserial.h"
#include "settingsfile.h"
#include "seriallog.h"
#include "ui_cfgserial.h"

#include "cfgdetail.h"
#include "netportaddress.h"
#include "portparam.h"
#include "settingsbounds.h"
#include "workerserial.h"
#include "portrecovery.h"

#include <QColor>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kExtraBaud = 460800;
constexpr int kMaxStoredPorts = 1024;
const QColor kBusyColour(0xFF, 0x6E, 0x6E);

// Indexed by the negated result code of the worker.
const char* const kCodeNames[] = {
    QT_TRANSLATE_NOOP("CfgSerial", "正常"),     QT_TRANSLATE_NOOP("CfgSerial", "端口号"),
    QT_TRANSLATE_NOOP("CfgSerial", "端口忙"),   QT_TRANSLATE_NOOP("CfgSerial", "波特率"),
    QT_TRANSLATE_NOOP("CfgSerial", "数据位"),   QT_TRANSLATE_NOOP("CfgSerial", "停止位"),
    QT_TRANSLATE_NOOP("CfgSerial", "奇偶校验"), QT_TRANSLATE_NOOP("CfgSerial", "流量控制"),
    QT_TRANSLATE_NOOP("CfgSerial", "打开"),
};

}  // namespace

CfgSerial::CfgSerial(QWidget* parent)
    : QGroupBox(parent)
    , m_ui(new Ui::CfgSerial)
    , m_detail(new CfgDetail(this))
    , m_enumerator(platformPorts)
    , m_recovery(new PortRecovery(this))
{
    registerPortParam();
    m_ui->setupUi(this);
    m_ui->cmbPort->setView(new QListView(m_ui->cmbPort));
    m_ui->cmbBaud->setView(new QListView(m_ui->cmbBaud));
    // Inline completion would silently rename the port after another one.
    m_ui->cmbPort->setCompleter(nullptr);
    m_ui->cmbPort->setValidator(
        new QRegularExpressionValidator(
            QRegularExpression(R"([()\-\w]{1,20}|(socket|rfc2217)://[\w.\-:\[\]]{1,100})"), m_ui->cmbPort));

    for (const qint32 nRate : QSerialPortInfo::standardBaudRates())
        m_ui->cmbBaud->addItem(QString::number(nRate), nRate);
    m_ui->cmbBaud->addItem(QString::number(kExtraBaud), kExtraBaud);
    m_ui->cmbBaud->setCurrentText("115200");

    connect(m_ui->cmbBaud, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CfgSerial::baudChange);
    connect(m_ui->pbConnect, &QPushButton::clicked, this, &CfgSerial::openAndClose);
    connect(m_ui->pbRefresh, &QPushButton::clicked, this, [this] { availablePorts(false); });
    // F5 anywhere in the window, as in a browser.
    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    refresh->setContext(Qt::WindowShortcut);
    connect(refresh, &QShortcut::activated, m_ui->pbRefresh, &QPushButton::click);
    connect(m_ui->cmbPort, &QComboBox::editTextChanged, this, &CfgSerial::renamePort);
    connect(m_ui->cmbPort->lineEdit(), &QLineEdit::editingFinished, this, &CfgSerial::portTextEntered);
    connect(m_ui->pbDetail, &QPushButton::clicked, this, &CfgSerial::openCfgDetail);
    connect(m_ui->chkDtr, &QCheckBox::toggled, this, &CfgSerial::setDtr);
    connect(m_ui->chkRts, &QCheckBox::toggled, this, &CfgSerial::setRts);
    connect(m_ui->chkAutoReconnect, &QCheckBox::toggled, this, [this](bool bOn) {
        if (!bOn && m_recovery->isActive()) {
            m_recovery->stop();
            reportLoss(m_strLossText);
        }
    });
    connect(m_recovery, &PortRecovery::portBack, this, &CfgSerial::reopenReturnedPort);
    connect(m_recovery, &PortRecovery::gaveUp, this, &CfgSerial::recoveryGaveUp);
}

CfgSerial::~CfgSerial()
{
    // The port box loses its focus while the children go; its handler reads m_ui.
    disconnect(m_ui->cmbPort->lineEdit(), nullptr, this, nullptr);
    delete m_ui;
}

void CfgSerial::setExtraPorts(const QStringList& paths)
{
    m_extraPorts = paths;
}

void CfgSerial::setPortEnumerator(PortEnumerator enumerator)
{
    m_enumerator = std::move(enumerator);
}

void CfgSerial::setMessageHook(MessageHook hook)
{
    m_messageHook = std::move(hook);
}

void CfgSerial::showMessage(QMessageBox::Icon icon, const QString& strTitle, const QString& strText)
{
    ::showMessage(m_messageHook, this, icon, strTitle, strText);
}

int CfgSerial::findPortData(const QString& strSystem) const
{
    for (int i = 0; i < m_ui->cmbPort->count(); ++i) {
        if (m_ui->cmbPort->itemData(i).toString().compare(strSystem, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void CfgSerial::availablePorts(bool bFirstOpen)
{
    QComboBox* cmb = m_ui->cmbPort;
    const int nOld = cmb->currentIndex();
    const QString strOldSystem = nOld >= 0 ? cmb->itemData(nOld).toString() : QString();
    const QString strOldText = nOld >= 0 ? cmb->itemText(nOld) : QString();

    disconnect(cmb, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CfgSerial::portChange);
    m_ui->pbRefresh->setEnabled(false);
    m_ui->pbConnect->setEnabled(false);

    if (!bFirstOpen) {
        QSettings settings(m_strSettingsPath, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        writePortKeys(&settings);
    }

    QStringList networkPorts;
    for (const PortEntry& entry : qAsConst(m_ports)) {
        if (isNetPortName(entry.strSystem))
            networkPorts << entry.strSystem;
    }
    {
        QSettings settings(kSettingsFile, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        const int nCount = settings.value("port_count", 0).toInt();
        for (int i = 0; i < nCount; ++i)
            networkPorts << settings.value(QString("port_%1").arg(i)).toString();
    }

    cmb->clear();
    m_nRenamedIndex = -1;
    m_ports = m_enumerator ? m_enumerator() : QList<PortEntry>();
    for (const QString& strPath : qAsConst(m_extraPorts))
        m_ports.append(PortEntry { strPath, false, QSerialPortInfo(), QString() });
    appendNetworkPorts(networkPorts);

    bool bFoundOld = false;
    int nCandidate = -1;
    for (int i = 0; i < m_ports.size(); ++i) {
        const PortEntry& entry = m_ports.at(i);
        if (!strOldText.isEmpty() && entry.strSystem.compare(strOldSystem, Qt::CaseInsensitive) == 0) {
            // The friendly name survives the refresh, and the port we hold
            // open ourselves is not shown as busy.
            cmb->addItem(strOldText, entry.strSystem);
            bFoundOld = true;
        } else {
            cmb->addItem(entry.strSystem, entry.strSystem);
            if (entry.bBusy)
                cmb->setItemData(i, kBusyColour, Qt::ForegroundRole);
        }
        if (nCandidate == -1 && !entry.bBusy)
            nCandidate = i;
    }

    if (bFoundOld)
        cmb->setCurrentIndex(findPortData(strOldSystem));
    else if (cmb->count() > 0 && nCandidate != -1)
        cmb->setCurrentIndex(nCandidate);
    m_nCurIndex = cmb->currentIndex();

    {
        QSettings settings(m_strSettingsPath, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        applyStoredNames(&settings);
    }

    connect(cmb, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CfgSerial::portChange);
    m_ui->pbRefresh->setEnabled(true);
    m_ui->pbConnect->setEnabled(true);
}

void CfgSerial::appendNetworkPorts(const QStringList& names)
{
    for (const QString& strName : names) {
        if (!isNetPortName(strName))
            continue;
        const bool bKnown = std::any_of(m_ports.cbegin(), m_ports.cend(), [&](const PortEntry& e) {
            return e.strSystem.compare(strName, Qt::CaseInsensitive) == 0;
        });
        if (!bKnown)
            m_ports.append(PortEntry { strName, false, QSerialPortInfo() });
    }
}

void CfgSerial::applyStoredNames(QSettings* settings)
{
    // Each entry costs a lookup in the list; a hand-edited huge count must not stall the start.
    const int nCount = boundedInt(*settings, "port_count", 0, 0, kMaxStoredPorts);
    for (int i = 0; i < nCount; ++i) {
        const QString strSystem = settings->value(QString("port_%1").arg(i)).toString();
        qCDebug(lcSerial, "port %s", strSystem.toUtf8().constData());
        const int nIdx = strSystem.isEmpty() ? -1 : findPortData(strSystem);
        if (nIdx < 0)
            continue;
        const QString strOld = m_ui->cmbPort->itemText(nIdx);
        const QString strNew = settings->value(QString("port_rename_%1").arg(i), strOld).toString();
        qCDebug(lcSerial) << "org name " << strOld << " to new name " << strNew;
        m_ui->cmbPort->setItemText(nIdx, strNew);
    }
}

void CfgSerial::writePortKeys(QSettings* settings) const
{
    const QComboBox* cmb = m_ui->cmbPort;
    for (int i = 0; i < cmb->count(); ++i) {
        settings->setValue(QString("port_rename_%1").arg(i), cmb->itemText(i));
        settings->setValue(QString("port_%1").arg(i), cmb->itemData(i).toString());
    }
    settings->setValue("port", cmb->currentData().toString());
    settings->setValue("port_count", cmb->count());
}

void CfgSerial::saveSettings(QSettings* settings)
{
    settings->setValue("baud", m_ui->cmbBaud->currentText());
    settings->setValue("auto_reconnect", m_ui->chkAutoReconnect->isChecked());
    settings->setValue("dtr", m_ui->chkDtr->isChecked());
    settings->setValue("rts", m_ui->chkRts->isChecked());
    writePortKeys(settings);
}

void CfgSerial::loadSettings(QSettings* settings)
{
    availablePorts(true);
    // A port named on the command line wins over the one saved last time.
    const QString strPort = m_extraPorts.isEmpty() ? settings->value("port", QString()).toString()
                                                   : m_extraPorts.first();
    if (!strPort.isEmpty()) {
        const int nIdx = findPortData(strPort);
        if (nIdx >= 0)
            m_ui->cmbPort->setCurrentIndex(nIdx);
    }
    applyStoredNames(settings);
    m_ui->chkAutoReconnect->setChecked(settings->value("auto_reconnect", true).toBool());
    {
        // Told once each, changed or not: the worker applies them at every open.
        const QSignalBlocker dtrBlocker(m_ui->chkDtr);
        const QSignalBlocker rtsBlocker(m_ui->chkRts);
        m_ui->chkDtr->setChecked(settings->value("dtr", true).toBool());
        m_ui->chkRts->setChecked(settings->value("rts", true).toBool());
    }
    emit setDtr(m_ui->chkDtr->isChecked());
    emit setRts(m_ui->chkRts->isChecked());
    const QString strBaud = settings->value("baud", QString()).toString();
    if (!strBaud.isEmpty()) {
        const int nIdx = m_ui->cmbBaud->findText(strBaud, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (nIdx >= 0)
            m_ui->cmbBaud->setCurrentIndex(nIdx);
    }
}

void CfgSerial::renamePort(const QString& strText)
{
    QComboBox* cmb = m_ui->cmbPort;
    const int nIdx = cmb->currentIndex();
    qCDebug(lcSerial, "idx %d, t %s", nIdx, strText.toUtf8().constData());
    // No friendly name has a colon: this is a network address being typed.
    if (strText.isEmpty() || nIdx < 0 || cmb->itemText(nIdx) == strText || strText.contains(':'))
        return;
    if (m_nRenamedIndex != nIdx) {
        m_nRenamedIndex = nIdx;
        m_strRenamedFrom = cmb->itemText(nIdx);
    }
    // Renaming the current item rewrites the edit line; keep the caret where the operator is.
    const int nCursor = cmb->lineEdit()->cursorPosition();
    cmb->setItemText(nIdx, strText);
    cmb->lineEdit()->setCursorPosition(nCursor);
}

void CfgSerial::portTextEntered()
{
    const QString strText = m_ui->cmbPort->lineEdit()->text();
    if (isNetPortName(strText))
        addNetworkPort(strText);
    m_nRenamedIndex = -1;
}

void CfgSerial::addNetworkPort(const QString& strName)
{
    QComboBox* cmb = m_ui->cmbPort;
    // The typing renamed the current item on the way; give it its name back.
    if (m_nRenamedIndex >= 0 && m_nRenamedIndex < cmb->count())
        cmb->setItemText(m_nRenamedIndex, m_strRenamedFrom);
    m_nRenamedIndex = -1;
    if (!parseNetPort(strName).isValid()) {
        if (cmb->currentIndex() >= 0)
            cmb->lineEdit()->setText(cmb->itemText(cmb->currentIndex()));
        showMessage(QMessageBox::Warning, tr("告警"), tr("网络端口格式: socket://主机:端口 或 rfc2217://主机:端口"));
        return;
    }
    int nIdx = findPortData(strName);
    if (nIdx < 0) {
        m_ports.append(PortEntry { strName, false, QSerialPortInfo() });
        cmb->addItem(strName, strName);
        nIdx = cmb->count() - 1;
    }
    if (cmb->currentIndex() == nIdx)
        cmb->lineEdit()->setText(cmb->itemText(nIdx));
    else
        cmb->setCurrentIndex(nIdx);  // portChange tells the worker
}

void CfgSerial::portChange(int nIndex)
{
    m_nRenamedIndex = -1;
    if (nIndex < 0 || nIndex >= m_ports.size())
        return;
    if (!m_ports.at(nIndex).bBusy) {
        m_nCurIndex = nIndex;
        emit setPort(m_ports.at(nIndex).strSystem);
        return;
    }
    showMessage(QMessageBox::Warning, tr("告警"), tr("该串口忙"));
    if (m_nCurIndex < m_ui->cmbPort->count())
        m_ui->cmbPort->setCurrentIndex(m_nCurIndex);
}

void CfgSerial::baudChange(int nIndex)
{
    if (nIndex == -1)
        return;
    const QString strBaud = m_ui->cmbBaud->itemText(nIndex);
    if (strBaud.isEmpty())
        return;
    bool bOk = false;
    const int nBaud = strBaud.toInt(&bOk, 10);
    if (!bOk) {
        showMessage(QMessageBox::Warning, tr("告警"), tr("不支持该波特率"));
        return;
    }
    emit setBaud(nBaud);
}

void CfgSerial::showButtonClosed()
{
    m_bOpen = false;
    m_ui->pbConnect->setText(tr("打开串口"));
    m_ui->pbConnect->setIcon(QIcon(":/ico/icon/link_48.png"));
}

void CfgSerial::showButtonOpen()
{
    m_bOpen = true;
    m_ui->pbConnect->setText(tr("关闭串口"));
    m_ui->pbConnect->setIcon(QIcon(":/ico/icon/break_48.png"));
}

void CfgSerial::openAndClose()
{
    if (m_ui->cmbPort->count() == 0) {
        if (!m_bOpen)
            showMessage(QMessageBox::Warning, tr("告警"), tr("没有找到串口, 请连接设备后点击刷新"));
        return;
    }
    m_ui->pbConnect->setEnabled(false);
    // The operator's choice ends any wait for a lost port.
    m_recovery->stop();
    m_bReopening = false;
    if (!m_bOpen) {
        PortParam param;
        param.baudRate = m_ui->cmbBaud->currentText().toInt();
        param.dataBits = m_detail->getDataBits();
        param.stopBits = m_detail->getStopBits();
        param.parity = m_detail->getParity();
        param.flowControl = m_detail->getFlowControl();
        m_openParam = QVariant::fromValue(param);
        m_strOpenSystem = m_ui->cmbPort->currentData().toString();
        const int nIdx = m_ui->cmbPort->currentIndex();
        m_strOpenSerial = nIdx >= 0 && nIdx < m_ports.size() ? m_ports.at(nIdx).strSerial : QString();
        emit setParam(m_openParam, m_strOpenSystem);
        showButtonOpen();
    } else {
        emit closePort();
        showButtonClosed();
    }
    m_ui->pbConnect->setEnabled(true);
}

void CfgSerial::openCfgDetail()
{
    QComboBox* cmb = m_ui->cmbPort;
    m_detail->clearPorts();
    for (int i = 0; i < cmb->count(); ++i)
        m_detail->addPort(cmb->itemText(i), cmb->itemData(i).toString());
    m_detail->selectPort(cmb->currentData().toString());
    if (m_detail->exec() != QDialog::Accepted)
        return;

    const int nPort = cmb->findData(m_detail->currentPortData(), Qt::UserRole,
                                    Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (nPort >= 0)
        cmb->setCurrentIndex(nPort);
    const int nBaud = m_ui->cmbBaud->findText(QString::number(m_detail->getBaud()),
                                              Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (nBaud >= 0)
        m_ui->cmbBaud->setCurrentIndex(nBaud);

    // Accepting always leaves the port (re)opened with the dialog's parameters.
    if (m_bOpen)
        openAndClose();
    openAndClose();
}

void CfgSerial::portError(int nErr, QString strReason)
{
    if (m_bReopening) {
        m_bReopening = false;
        if (nErr == PortOpened) {
            m_recovery->stop();
            emit setLog(tr("串口已重新连接: %1").arg(m_recovery->system()));
        } else {
            // Not ready yet: the recovery keeps looking until its time is over.
            showButtonClosed();
        }
        return;
    }
    if (nErr >= 0)
        return;
    if (nErr < PortNoPermission) {
        showMessage(QMessageBox::Critical, tr("错误"), tr("未知错误"));
        return;
    }
    if (nErr == PortOpenFailed || nErr == PortBusy || nErr == PortNoPermission) {
        // The open itself failed: the port is closed whatever the button said.
        showButtonClosed();
    }
    QString strText = nErr == PortNoPermission ? tr("无权限打开串口") : tr("%1错误").arg(tr(kCodeNames[-nErr]));
    if (!strReason.isEmpty())
        strText += '\n' + strReason;
    showMessage(QMessageBox::Critical, tr("错误"), strText);
}

void CfgSerial::portLost(QString strReason)
{
    const bool bWasReopening = m_bReopening;
    m_bReopening = false;
    showButtonClosed();
    if (!bWasReopening || !m_recovery->isActive()) {
        m_strLossText = strReason.isEmpty() ? tr("串口已断开") : tr("串口已断开\n%1").arg(strReason);
    }
    if (m_ui->chkAutoReconnect->isChecked() && !m_strOpenSystem.isEmpty()) {
        if (!m_recovery->isActive())
            m_recovery->start(m_strOpenSystem, m_strOpenSerial);
        emit setLog(tr("串口已断开, 等待重新连接"));
        return;
    }
    reportLoss(m_strLossText);
}

void CfgSerial::reportLoss(const QString& strText)
{
    // Never open a modal box inside the call that reported the loss.
    QTimer::singleShot(0, this, [this, strText] { showMessage(QMessageBox::Critical, tr("错误"), strText); });
}

void CfgSerial::reopenReturnedPort(const QString& strSystem)
{
    if (m_bReopening || m_bOpen)
        return;
    if (findPortData(strSystem) < 0)
        availablePorts(false);
    const int nIdx = findPortData(strSystem);
    if (nIdx >= 0 && nIdx != m_ui->cmbPort->currentIndex()) {
        const QSignalBlocker blocker(m_ui->cmbPort);
        m_ui->cmbPort->setCurrentIndex(nIdx);
        m_nCurIndex = nIdx;
    }
    m_bReopening = true;
    m_strOpenSystem = strSystem;
    showButtonOpen();
    emit setParam(m_openParam, strSystem);
}

void CfgSerial::recoveryGaveUp()
{
    emit setLog(tr("自动重连超时"));
    reportLoss(tr("%1\n%2 秒内未能重新连接").arg(m_strLossText, QString::number(m_recovery->windowMs() / 1000)));
}
