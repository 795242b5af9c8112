#include "filetrans.h"
#include "ui_filetrans.h"

#include "dtuframe.h"
#include "payload.h"
#include "transferframes.h"

#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QtDebug>

FileTrans::FileTrans(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FileTrans)
    , m_recvTimer(new QTimer(this))
    , m_awakenTimer(new QTimer(this))
    , m_pointTimer(new QTimer(this))
    , m_regAddr(QString::fromLatin1(kAddrPattern))
{
    ui->setupUi(this);
    m_recvTimer->setInterval(m_timeouts.nAckMs);
    m_pointTimer->setInterval(m_timeouts.nDotMs);

    setupTransferInputs(ui->cmbCompress, ui->editDstAddr, ui->editKeepTime, m_regAddr);

    connect(ui->pbFileImport, &QPushButton::clicked, this, &FileTrans::openFile);
    connect(ui->pbSend, &QPushButton::clicked, this, &FileTrans::sendFile);
    connect(m_recvTimer, &QTimer::timeout, this, &FileTrans::recvTimeout);
    connect(m_awakenTimer, &QTimer::timeout, this, &FileTrans::awakenTimeout);
    connect(m_pointTimer, &QTimer::timeout, this, &FileTrans::setPoint);
}

FileTrans::~FileTrans()
{
    delete ui;
}

void FileTrans::setTimeouts(const TransferTimeouts& timeouts)
{
    m_timeouts = timeouts;
    m_recvTimer->setInterval(m_timeouts.nAckMs);
    m_pointTimer->setInterval(m_timeouts.nDotMs);
}

void FileTrans::loadSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("FileTrans"));
    loadImageFile(settings->value(QStringLiteral("FilePath"), QString()).toString());
    // The stored code is the item index; an unknown one keeps the default.
    const int nCompress = settings->value(QStringLiteral("Compress"), kCompressLzma).toInt();
    if (nCompress >= 0 && nCompress < ui->cmbCompress->count())
        ui->cmbCompress->setCurrentIndex(nCompress);
    ui->editDstAddr->setText(settings->value(QStringLiteral("DstAddr"), QStringLiteral("1674097996")).toString());
    ui->editKeepTime->setText(settings->value(QStringLiteral("KeepTime"), QStringLiteral("800")).toString());
    loadImageFile(settings->value(QStringLiteral("FilePath"), QString()).toString());
    settings->endGroup();
}

void FileTrans::saveSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("FileTrans"));
    if (!ui->editPath->text().isEmpty())
        settings->setValue(QStringLiteral("FilePath"), ui->editPath->text());
    settings->setValue(QStringLiteral("Compress"), ui->cmbCompress->currentData().toInt());
    if (!ui->editDstAddr->text().isEmpty())
        settings->setValue(QStringLiteral("DstAddr"), ui->editDstAddr->text());
    if (!ui->editKeepTime->text().isEmpty())
        settings->setValue(QStringLiteral("KeepTime"), ui->editKeepTime->text());
    settings->endGroup();
}

int FileTrans::loadImageFile(const QString& path)
{
    if (path.isEmpty())
        return -1;
    QFileInfo info(path);
    if (!info.exists())
        return -2;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -3;
    file.close();

    m_devices.clear();
    m_payload.clear();
    m_nFileSize = quint32(info.size());
    m_strFilePath = info.absoluteFilePath();
    if (!m_image.load(m_strFilePath)) {
        m_image = QImage();
        return -4;
    }

    ui->editPath->setText(m_strFilePath);
    m_nImgType = imgTypeForSuffix(info.suffix(), m_nImgType);
    m_image = scaledForDisplay(m_image);
    ui->labelImg->setPixmap(QPixmap::fromImage(m_image));

    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    emit setLog(QStringLiteral("文件加载成功"));
    return 0;
}

void FileTrans::openFile()
{
    if (m_bSending) {
        m_hooks.warn(this, QStringLiteral("文件正在发送"));
        return;
    }
    const QString path = m_hooks.askImageFile(this, m_strFilePath);
    if (path.isEmpty())
        return;
    const int r = loadImageFile(path);
    if (r == -4)
        m_hooks.warn(this, QStringLiteral("加载图片失败"));
    else if (r == -3)
        m_hooks.warn(this, QStringLiteral("打开文件失败"));
    else if (r != 0)
        m_hooks.warn(this, QStringLiteral("加载图片未知错误"));
}

int FileTrans::getId(uint32_t& nAddr, uint16_t& nFreq, uint16_t& nAwakenId)
{
    return readTargetId(ui->editDstAddr, this, m_hooks, nAddr, nFreq, nAwakenId);
}

void FileTrans::sendFile()
{
    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    if (!m_hooks.isPortOpen()) {
        m_hooks.warn(this, QStringLiteral("请先打开串口"));
        return;
    }
    if (m_bSending) {
        m_bSending = false;
        m_recvTimer->stop();
        m_awakenTimer->stop();
        m_pointTimer->stop();
        ui->pbSend->setText(QStringLiteral("发送开始"));
        m_devices.resetAll();
        return;
    }

    ui->textEditLog->clear();
    uint32_t nAddr = 0;
    uint16_t nFreq = 0;
    uint16_t nAwakenId = 0;
    if (getId(nAddr, nFreq, nAwakenId) == -1)
        return;
    m_nAddr = nAddr;
    m_nFreq = nFreq;
    m_nAwakenId = nAwakenId;

    // Cursors of an earlier transfer point into the payload about to be replaced.
    m_devices.clear();
    const PayloadOptions opt = payloadOptions(ui->chkRle, ui->cmbCompress, m_nImgType, m_strFilePath, m_nFileSize);
    if (!preparePayload(this, m_hooks, m_payload, m_image, opt))
        return;
    appendLog(QStringLiteral("准备发送文件大小: %L1 字节").arg(m_payload.size()), kLogPlain, true);

    ui->pbSend->setText(QStringLiteral("发送停止"));
    m_bSending = true;
    if (m_nAddr == 0) {
        m_sendTime.start();
        m_recvTimer->start();
        startPacketPhase();
    } else {
        sendAwaken(m_nAddr, m_nFreq, m_nAwakenId, ui->editKeepTime->text().toUInt(nullptr, 10));
    }
}

void FileTrans::sendAwaken(quint32 nAddr, quint16 nFreq, quint16 nAwakenId, quint32 nKeepTime)
{
    Q_UNUSED(nFreq)
    Q_UNUSED(nAwakenId)
    const QByteArray frame = buildAwakenFrame(nAddr, nKeepTime);
    m_awakenTime.start();
    emit sendData(frame);

    m_sendTime.start();
    m_awakenTimer->start(awakenTimeoutMs(nKeepTime, m_timeouts.nAwakenFactor));
    m_pointTimer->start();
    appendLog(QStringLiteral("等待唤醒."), kLogPlain, false);
}

void FileTrans::startPacketPhase()
{
    for (const QByteArray& frame : m_devices.start(m_payload, m_nAddr))
        emit sendData(frame);
}

void FileTrans::transResponse(QByteArray byteData)
{
    if (!isAcceptableResponse(byteData))
        return;
    const quint8 nCtl = frameControl(byteData);
    if (!m_bSending && nCtl != dtu::kCtlDisplayState)
        return;
    qDebug("res ctl 0x%02X", nCtl);
    switch (nCtl) {
    case dtu::kCtlPacket:
        onPacketAnswer(byteData);
        break;
    case dtu::kCtlDisplayState:
        onDisplayState(byteData);
        break;
    case dtu::kCtlAwaken:
        onAwakenAnswer(byteData);
        break;
    default:
        break;
    }
}

int FileTrans::onAwakenAnswer(const QByteArray& frame)
{
    AwakenAnswer answer;
    if (!parseAwakenAnswer(frame, answer))
        return -1;
    qDebug("get awaken");
    m_awakenTimer->stop();
    m_pointTimer->stop();
    appendLog(QLatin1Char('\n') + awakenAnswerLine(answer, m_awakenTime.isValid() ? m_awakenTime.elapsed() : 0),
              answer.nResult == 0 ? kLogPlain : kLogRed, true);
    ui->pbSend->setEnabled(true);
    if (answer.nResult == 0 && m_nAddr != 0) {
        m_bSending = true;
        m_recvTimer->start();
        ui->pbSend->setText(QStringLiteral("发送停止"));
        startPacketPhase();
    } else if (answer.nResult != 0) {
        m_bSending = false;
        setIdleButton();
    }
    return answer.nResult;
}

int FileTrans::packetStatus(const uchar* p)
{
    return logPacketStatus(ui->textEditLog, p);
}

int FileTrans::onPacketAnswer(const QByteArray& frame)
{
    if (framePayloadLength(frame) <= 2) {
        m_recvTimer->start();
        failTransfer(frame);
        return -1;
    }
    const int s = packetStatus(reinterpret_cast<const uchar*>(frame.constData()) + dtu::kPayloadOffset);
    m_recvTimer->start();
    if (s != kAckOk) {
        failTransfer(frame);
        return s;
    }

    const DeviceCursors::Step step = m_devices.acknowledge(frameAddress(frame), m_nAddr);
    if (step.kind == DeviceCursors::Step::Ignored)
        return s;
    if (!step.frame.isEmpty())
        emit sendData(step.frame);
    ui->progress->setValue(step.nProgress);
    if (step.kind == DeviceCursors::Step::Continue)
        return s;
    ui->progress->setValue(100);
    m_bSending = false;
    finish(step.nProgress);
    return s;
}

void FileTrans::failTransfer(const QByteArray& frame)
{
    m_bSending = false;
    setProgressFailed(ui->progress, true);
    // Byte 11 is the status byte of a full acknowledgement; accepted frames
    // are at least 12 bytes long, so it always exists.
    emit setLog(QStringLiteral("文件发送异常 %1").arg(quint8(frame.at(11))));
    finish(0);
}

void FileTrans::finish(int nProgress)
{
    if (m_bSending)
        return;
    m_recvTimer->stop();
    setIdleButton();
    m_devices.resetAll();
    if (nProgress == 100)
        appendLog(QStringLiteral("本次发送完毕, 耗时: %1 秒").arg(formatElapsed(m_sendTime.elapsed())), kLogPlain,
                  true);
    else
        appendLog(QStringLiteral("本次发送异常"), kLogRed, true);
}

int FileTrans::onDisplayState(const QByteArray& frame)
{
    DisplayReport report;
    if (!parseDisplayReport(frame, report))
        return -1;
    qDebug("get EpdState");
    appendLog(displayReportLine(report), report.nState == 0 ? kLogPlain : kLogRed, false);
    ui->textEditLog->append(QString());
    return report.nState;
}

void FileTrans::recvTimeout()
{
    m_bSending = false;
    emit setLog(QStringLiteral("文件发送超时"));
    setProgressFailed(ui->progress, true);
    setIdleButton();
    appendLog(QStringLiteral("文件发送超时"), kLogRed, true);
    m_devices.resetAll();
    m_recvTimer->stop();
}

void FileTrans::awakenTimeout()
{
    m_bSending = false;
    emit setLog(QStringLiteral("唤醒超时"));
    setProgressFailed(ui->progress, true);
    setIdleButton();
    appendLog(QStringLiteral("\n唤醒超时"), kLogRed, true);
    m_awakenTimer->stop();
    m_pointTimer->stop();
}

void FileTrans::setPoint()
{
    appendLog(QStringLiteral(" ."), kLogPlain, false);
}

void FileTrans::setIdleButton()
{
    ui->pbSend->setText(QStringLiteral("发送开始"));
    ui->pbSend->setEnabled(true);
}

void FileTrans::appendLog(const QString& text, int nColour, bool bNewline)
{
    ::appendLog(ui->textEditLog, text, nColour, bNewline);
}
