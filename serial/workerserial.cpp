#include "workerserial.h"
#include "portbackend.h"
#include "seriallog.h"

#include <QTimerEvent>

WorkerSerial::WorkerSerial(QObject* parent)
    : QObject(parent)
{
    registerPortParam();
}

WorkerSerial::~WorkerSerial()
{
    if (m_serialPort && m_serialPort->isOpen())
        m_serialPort->close();
    delete m_serialPort;
}

void WorkerSerial::ensurePort(const QString& strPort)
{
    if (m_serialPort && PortBackend::sameKind(m_serialPort->portName(), strPort))
        return;
    // A name of the other kind needs the other backend; the settings move over.
    PortBackend* next = PortBackend::create(strPort);
    if (m_serialPort) {
        next->applySettings(m_serialPort->settings());
        m_serialPort->close();
        delete m_serialPort;
    }
    // No parent: the port is created here, in the worker thread, and lives with it.
    m_serialPort = next;
    m_serialPort->setPortName(strPort);
    connect(m_serialPort, &PortBackend::lost, this, &WorkerSerial::portLostReported);
}

void WorkerSerial::clearBuffers()
{
    m_rxBuffer.clear();
    m_lastFrame.clear();
}

bool WorkerSerial::isCurrentPort(const QString& strPort) const
{
    // QSerialPort reports "ttyUSB0" for "/dev/ttyUSB0"; compare like with like.
    const auto bare = [](const QString& str) {
        return str.startsWith(QLatin1String("/dev/")) ? str.mid(5) : str;
    };
    return bare(m_serialPort->portName()).compare(bare(strPort), Qt::CaseInsensitive) == 0;
}

void WorkerSerial::emitOpenFailure()
{
    qCDebug(lcSerial, "open failed: %s", m_serialPort->errorString().toUtf8().constData());
    emit openState(m_serialPort->openFailureCode(), m_serialPort->openFailureReason());
}

void WorkerSerial::openPort(QVariant varParam, QString strPort)
{
    if (!strPort.isEmpty() && m_serialPort && m_serialPort->isOpen() && !isCurrentPort(strPort))
        closePort();
    ensurePort(strPort.isEmpty() && m_serialPort ? m_serialPort->portName() : strPort);
    clearBuffers();

    PortParam param;
    if (varParam.canConvert<PortParam>())
        param = varParam.value<PortParam>();
    qCDebug(lcSerial, "%s:%dbps,%d,%d,%d,%d", strPort.toUtf8().constData(), param.baudRate, param.dataBits,
           param.stopBits, param.parity, param.flowControl);

    if (strPort.isEmpty()) {
        emit openState(PortNameEmpty);
        return;
    }

    if (!m_serialPort->setBaudRate(param.baudRate)) {
        emit openState(PortBaudRejected);
        return;
    }
    if (!m_serialPort->setDataBits(param.dataBits)) {
        emit openState(PortDataBitsRejected);
        return;
    }
    if (!m_serialPort->setStopBits(param.stopBits)) {
        emit openState(PortStopBitsRejected);
        return;
    }
    if (!m_serialPort->setParity(param.parity)) {
        emit openState(PortParityRejected);
        return;
    }
    if (!m_serialPort->setFlowControl(param.flowControl)) {
        emit openState(PortFlowControlRejected);
        return;
    }
    m_serialPort->setReadBufferSize(kReadBufferSize);

    if (!m_serialPort->isOpen()) {
        m_serialPort->setPortName(strPort);
        m_state = PortState::Opening;
        if (!m_serialPort->open()) {
            m_state = PortState::Closed;
            emitOpenFailure();
            return;
        }
        m_state = PortState::Open;
        qCDebug(lcSerial, "open ok");
        applyLines();
    }
    // Queued, so the read runs as its own event after readyRead returns;
    // unique, so reconfiguring an open port does not read twice per chunk.
    connect(m_serialPort, &PortBackend::readyRead, this, &WorkerSerial::ReadyRx,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    startBufferTimer();
    emit openState(PortOpened);
}

bool WorkerSerial::reopen(const QString& strPort)
{
    m_serialPort->close();
    ensurePort(strPort);
    m_serialPort->setPortName(strPort);
    m_state = PortState::Opening;
    if (m_serialPort->open()) {
        m_state = PortState::Open;
        connect(m_serialPort, &PortBackend::readyRead, this, &WorkerSerial::ReadyRx,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        return true;
    }
    m_state = PortState::Closed;
    // The port is closed now; nothing is left to receive.
    disconnect(m_serialPort, &PortBackend::readyRead, nullptr, nullptr);
    stopBufferTimer();
    emitOpenFailure();
    return false;
}

void WorkerSerial::setPortName(QString strPort)
{
    if (strPort.isEmpty())
        return;
    if (!m_serialPort || !m_serialPort->isOpen())
        ensurePort(strPort);
    clearBuffers();
    if (!m_serialPort->isOpen()) {
        m_serialPort->setPortName(strPort);
        return;
    }
    if (!isCurrentPort(strPort))
        reopen(strPort);
}

void WorkerSerial::setBaud(int nBaud)
{
    if (m_serialPort && !m_serialPort->setBaudRate(nBaud))
        emit openState(PortBaudRejected);
}

void WorkerSerial::setParity(int nParity)
{
    if (m_serialPort && !m_serialPort->setParity(nParity))
        emit openState(PortParityRejected);
}

void WorkerSerial::setDtr(bool bOn)
{
    m_bDtr = bOn;
    applyLines();
}

void WorkerSerial::setRts(bool bOn)
{
    m_bRts = bOn;
    applyLines();
}

void WorkerSerial::applyLines()
{
    if (m_serialPort && m_serialPort->isOpen())
        m_serialPort->setModemLines(m_bDtr, m_bRts);
}

void WorkerSerial::closePort()
{
    if (!m_serialPort)
        return;
    disconnect(m_serialPort, &PortBackend::readyRead, nullptr, nullptr);
    m_serialPort->close();
    m_state = PortState::Closed;
    stopBufferTimer();
}

void WorkerSerial::sendData(QByteArray data)
{
    if (data.isEmpty())
        return;
    if (!m_serialPort || !m_serialPort->isOpen()) {
        emit portNotOpened();
        return;
    }
    const qint64 n = m_serialPort->write(data);
    qCDebug(lcSerial, "nRealLen %d", int(n));
    if (n > 0 && n <= data.size())
        emit dataArise(data.left(int(n)), 1);
}

bool WorkerSerial::flush(int nTimeoutMs)
{
    return m_serialPort && m_serialPort->isOpen() && m_serialPort->flush(nTimeoutMs);
}

QString WorkerSerial::errorString() const
{
    return m_serialPort ? m_serialPort->errorString() : QString();
}

void WorkerSerial::ReadyRx()
{
    if (!m_serialPort)
        return;
    const QByteArray chunk = m_serialPort->readAll();
    if (chunk.isEmpty())
        return;
    stopBufferTimer();
    emit dataArise(chunk, 0);

    m_rxBuffer.append(chunk);
    // A short fragment waits, without a time limit, for the rest.
    if (m_rxBuffer.size() <= dtu::kOverhead - 2)
        return;
    const QList<QByteArray> frames = m_rxBuffer.cutAll();
    for (const QByteArray& frame : frames) {
        m_lastFrame = frame;
        emit dtuResponse(frame);
    }
    startBufferTimer();
}

void WorkerSerial::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId && m_timerId != 0)
        m_rxBuffer.clear();
}

void WorkerSerial::startBufferTimer()
{
    stopBufferTimer();
    m_timerId = startTimer(m_nBufferTimeoutMs);
}

void WorkerSerial::stopBufferTimer()
{
    if (m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
}

void WorkerSerial::portLostReported(QString strReason)
{
    if (m_state == PortState::Closing || !m_serialPort->isOpen())
        return;
    // Close, but not from inside the port's own notification.
    m_state = PortState::Closing;
    QMetaObject::invokeMethod(
        this, [this, strReason] { dropLostPort(strReason); }, Qt::QueuedConnection);
}

void WorkerSerial::dropLostPort(QString strReason)
{
    if (!m_serialPort || !m_serialPort->isOpen())
        return;
    qCDebug(lcSerial, "port lost: %s", strReason.toUtf8().constData());
    closePort();
    emit portLost(strReason);
}
