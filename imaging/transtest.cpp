#include "transtest.h"
#include "ui_transtest.h"

#include "dtuframe.h"
#include "payload.h"
#include "transferframes.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>
#include <QtDebug>

TransTest::TransTest(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::TransTest)
    , m_taskTimer(new QTimer(this))
    , m_recvTimer(new QTimer(this))
    , m_awakenTimer(new QTimer(this))
    , m_regAddr(QString::fromLatin1(kAddrPattern))
{
    ui->setupUi(this);
    m_timeouts.nAwakenFactor = 3;
    m_taskTimer->setInterval(5000);
    m_recvTimer->setInterval(m_timeouts.nAckMs);

    setupTransferInputs(ui->cmbCompress, ui->editDstAddr, ui->editKeepTime, m_regAddr);
    const char* const modes[] = { "仅唤醒", "仅发送", "先唤醒再发送", "先发送再唤醒" };
    for (int i = 0; i < 4; ++i)
        ui->cmbRun->addItem(QString::fromUtf8(modes[i]), i);
    ui->cmbRun->setCurrentIndex(0);

    connect(ui->pbFileImport, &QPushButton::clicked, this, &TransTest::openFile);
    connect(ui->pbRun, &QPushButton::clicked, this, &TransTest::run);
    connect(ui->pbStop, &QPushButton::clicked, this, &TransTest::stop);
    connect(m_taskTimer, &QTimer::timeout, this, &TransTest::runTask);
    connect(m_recvTimer, &QTimer::timeout, this, &TransTest::recvTimeout);
    connect(m_awakenTimer, &QTimer::timeout, this, &TransTest::awakenTimeout);
}

TransTest::~TransTest()
{
    delete ui;
}

void TransTest::loadSettings(QSettings* settings)
{
    Q_UNUSED(settings)
}

void TransTest::saveSettings(QSettings* settings)
{
    Q_UNUSED(settings)
}

void TransTest::setTimeouts(const TransferTimeouts& timeouts)
{
    m_timeouts = timeouts;
    m_recvTimer->setInterval(m_timeouts.nAckMs);
}

TransTest::Counters TransTest::counters() const
{
    return { m_nTaskCount, m_nAwakenOk, m_nAwakenFail, m_nSendOk, m_nSendFail };
}

int TransTest::mode() const
{
    return ui->cmbRun->currentData().toInt();
}

void TransTest::openFile()
{
    if (m_bSending) {
        m_hooks.warn(this, QStringLiteral("文件正在发送"));
        return;
    }
    const QString path = m_hooks.askImageFile(this, m_strFilePath);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    m_nFileSize = quint32(info.size());
    m_strFilePath = info.absoluteFilePath();
    ui->editPath->setText(m_strFilePath);
    QFile file(m_strFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_hooks.warn(this, QStringLiteral("打开文件失败"));
        return;
    }
    file.close();
    m_devices.clear();
    m_payload.clear();
    if (!m_image.load(m_strFilePath)) {
        m_image = QImage();
        m_hooks.warn(this, QStringLiteral("加载图片失败"));
        return;
    }
    m_nImgType = imgTypeForSuffix(info.suffix(), m_nImgType);
    m_image = scaledForDisplay(m_image);
    ui->labelImg->setPixmap(QPixmap::fromImage(m_image));
}

int TransTest::getId(uint32_t& nAddr, uint16_t& nFreq, uint16_t& nAwakenId)
{
    return readTargetId(ui->editDstAddr, this, m_hooks, nAddr, nFreq, nAwakenId);
}

void TransTest::run()
{
    if (!m_hooks.isPortOpen()) {
        m_hooks.warn(this, QStringLiteral("请先打开串口"));
        return;
    }
    const qint64 nInterval = qint64(ui->editFileInterval->text().toUInt(nullptr, 10)) * m_timeouts.nIntervalUnitMs;
    const qint32 nIntervalMs = qint32(nInterval);  // as a signed 32-bit number of milliseconds
    if (nIntervalMs <= 0) {
        appendLog(QStringLiteral("间隔时间错误"), kLogRed, true);
        return;
    }
    uint32_t nAddr = 0;
    uint16_t nFreq = 0;
    uint16_t nAwakenId = 0;
    if (getId(nAddr, nFreq, nAwakenId) == -1)
        return;
    m_nAddr = nAddr;
    m_nFreq = nFreq;
    m_nAwakenId = nAwakenId;

    // A task of an earlier run must not be counted into the new one.
    m_awakenTimer->stop();
    m_recvTimer->stop();
    resetCounters();
    m_awakenTimer->setInterval(awakenTimeoutMs(ui->editKeepTime->text().toInt(nullptr, 10), m_timeouts.nAwakenFactor));
    m_taskTimer->setInterval(nIntervalMs);
    runTask();
}

void TransTest::cutOffRunningTask()
{
    // A step still waiting when the next task is due has failed: end it as
    // its own time-out would, so that two transfers never overlap.
    if (m_awakenTimer->isActive())
        awakenTimeout();
    if (m_recvTimer->isActive())
        recvTimeout();
}

void TransTest::printStatistics()
{
    const bool bAwakenLast = mode() == AwakenOnly || mode() == SendThenAwaken;
    if (m_nAwakenOk != 0 || m_nSendOk != 0)
        appendLog(QStringLiteral("成功: 唤醒 %1 次, 发送 %2 次, 总 %3 次")
                      .arg(m_nAwakenOk)
                      .arg(m_nSendOk)
                      .arg(bAwakenLast ? m_nAwakenOk : m_nSendOk),
                  kLogPlain, true);
    if (m_nAwakenFail != 0 || m_nSendFail != 0)
        appendLog(QStringLiteral("失败: 唤醒 %1 次, 发送 %2 次, 总 %3 次")
                      .arg(m_nAwakenFail)
                      .arg(m_nSendFail)
                      .arg(m_nAwakenFail + m_nSendFail),
                  kLogPlain, true);
    ui->textEditLog->append(QString());
}

void TransTest::runTask()
{
    cutOffRunningTask();
    if (m_nTaskCount != 0)
        printStatistics();
    ++m_nTaskCount;
    appendLog(QStringLiteral("%1 执行第 %2 次任务")
                  .arg(QDateTime::currentDateTime().toString(QStringLiteral("[hh:mm:ss.zzz]")))
                  .arg(m_nTaskCount),
              kLogPlain, true);
    m_bSending = true;
    if (mode() == AwakenOnly || mode() == AwakenThenSend)
        sendAwaken(m_nAddr, m_nFreq, m_nAwakenId, ui->editKeepTime->text().toUInt(nullptr, 10));
    else
        sendFile();
}

void TransTest::sendAwaken(quint32 nAddr, quint16 nFreq, quint16 nAwakenId, quint32 nKeepTime)
{
    Q_UNUSED(nFreq)
    Q_UNUSED(nAwakenId)
    // The wake-up after a finished transfer belongs to the running task:
    // without this its answer would be dropped as arriving while idle.
    m_bSending = true;
    m_awakenTimer->start();
    m_awakenTime.start();
    emit sendData(buildAwakenFrame(nAddr, nKeepTime));
}

void TransTest::sendFile()
{
    m_devices.clear();
    const PayloadOptions opt = payloadOptions(ui->chkRle, ui->cmbCompress, m_nImgType, m_strFilePath, m_nFileSize);
    if (!preparePayload(this, m_hooks, m_payload, m_image, opt))
        return;
    m_bSending = true;
    appendLog(QStringLiteral("准备发送文件大小: %L1 字节").arg(m_payload.size()), kLogPlain, true);
    m_recvTimer->start();
    m_sendTime.start();
    for (const QByteArray& frame : m_devices.start(m_payload, m_nAddr))
        emit sendData(frame);
}

void TransTest::transResponse(QByteArray byteData)
{
    if (!m_bSending || !isAcceptableResponse(byteData))
        return;
    const quint8 nCtl = frameControl(byteData);
    qDebug("res ctl 0x%02X", nCtl);
    if (nCtl == dtu::kCtlPacket) {
        onPacketAnswer(byteData);
    } else if (nCtl == dtu::kCtlAwaken) {
        const bool bInTime = m_awakenTimer->isActive();
        const int r = onAwakenAnswer(byteData);
        if (bInTime)
            ++(r == 0 ? m_nAwakenOk : m_nAwakenFail);
    }
}

int TransTest::onAwakenAnswer(const QByteArray& frame)
{
    m_awakenTimer->stop();
    AwakenAnswer answer;
    if (!parseAwakenAnswer(frame, answer))
        return -1;
    qDebug("get awaken");
    appendLog(awakenAnswerLine(answer, m_awakenTime.isValid() ? m_awakenTime.elapsed() : 0),
              answer.nResult == 0 ? kLogPlain : kLogRed, true);
    if (answer.nResult == 0) {
        if (mode() == AwakenThenSend)
            sendFile();
        else if (!m_taskTimer->isActive())
            m_taskTimer->start();
    }
    return answer.nResult;
}

int TransTest::onPacketAnswer(const QByteArray& frame)
{
    m_recvTimer->start();
    m_taskTimer->start();
    if (framePayloadLength(frame) <= 2) {
        failTransfer(frame);
        return -1;
    }
    const int s = packetStatus(reinterpret_cast<const uchar*>(frame.constData()) + dtu::kPayloadOffset);
    if (s != kAckOk) {
        failTransfer(frame);
        return s;
    }

    const DeviceCursors::Step step = m_devices.acknowledge(frameAddress(frame), m_nAddr);
    if (!step.frame.isEmpty())
        emit sendData(step.frame);
    if (step.kind != DeviceCursors::Step::Complete)
        return s;

    m_bSending = false;
    ++m_nSendOk;
    if (mode() == SendThenAwaken)
        sendAwaken(m_nAddr, m_nFreq, m_nAwakenId, ui->editKeepTime->text().toUInt(nullptr, 10));
    else
        m_taskTimer->start();
    m_recvTimer->stop();
    m_devices.resetAll();
    appendLog(QStringLiteral("本次发送完毕, 耗时: %1 秒").arg(formatElapsed(m_sendTime.elapsed())), kLogPlain, true);
    return s;
}

int TransTest::packetStatus(const uchar* p)
{
    return logPacketStatus(ui->textEditLog, p);
}

void TransTest::failTransfer(const QByteArray& frame)
{
    m_bSending = false;
    emit setLog(QStringLiteral("文件发送异常 %1").arg(quint8(frame.at(11))));
    m_recvTimer->stop();
    m_devices.resetAll();
    appendLog(QStringLiteral("本次发送异常"), kLogRed, true);
    ++m_nSendFail;
}

void TransTest::recvTimeout()
{
    emit setLog(QStringLiteral("文件发送超时"));
    appendLog(QStringLiteral("文件发送超时"), kLogRed, true);
    m_devices.resetAll();
    m_recvTimer->stop();
    ++m_nSendFail;
    if (!m_taskTimer->isActive())
        m_taskTimer->start();
}

void TransTest::awakenTimeout()
{
    emit setLog(QStringLiteral("唤醒超时"));
    appendLog(QStringLiteral("唤醒超时"), kLogRed, true);
    m_awakenTimer->stop();
    ++m_nAwakenFail;
    m_taskTimer->start();
}

void TransTest::stop()
{
    m_bSending = false;
    resetCounters();
    m_taskTimer->stop();
    m_recvTimer->stop();
    m_awakenTimer->stop();
    appendLog(QStringLiteral("手动停止"), kLogPlain, true);
}

void TransTest::resetCounters()
{
    m_nTaskCount = m_nAwakenOk = m_nAwakenFail = m_nSendOk = m_nSendFail = 0;
}

void TransTest::appendLog(const QString& text, int nColour, bool bNewline)
{
    ::appendLog(ui->textEditLog, text, nColour, bNewline);
}
