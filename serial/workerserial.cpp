#include "workerserial.h"
#include "seriallog.h"

#include "portfailure.h"

#include <QElapsedTimer>
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

void WorkerSerial::ensurePort()
{
    if (m_serialPort)
        return;
    // No parent: the port is created here, in the worker thread, and lives with it.
    m_serialPort = new QSerialPort;
    connect(m_serialPort, &QSerialPort::errorOccurred, this, &WorkerSerial::portErrorOccurred);
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

void WorkerSerial::emitOpenFailure(const QString& strPort)
{
    // A lock or an exclusive open held by another program shows up as a
    // permission error too; the device's own permissions tell them apart.
    const QString strDevice = portDevicePath(strPort);
    const int nCode = openFailureCode(m_serialPort->error(), strDevice);
    emit openState(nCode, openFailureReason(nCode, m_serialPort->errorString(), strDevice));
}

void WorkerSerial::openPort(QVariant varParam, QString strPort)
{
    ensurePort();
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
    if (m_serialPort->isOpen() && !isCurrentPort(strPort))
        closePort();

    if (!m_serialPort->setBaudRate(param.baudRate)) {
        emit openState(PortBaudRejected);
        return;
    }
    if (!m_serialPort->setDataBits(QSerialPort::DataBits(param.dataBits))) {
        emit openState(PortDataBitsRejected);
        return;
    }
    if (!m_serialPort->setStopBits(QSerialPort::StopBits(param.stopBits))) {
        emit openState(PortStopBitsRejected);
        return;
    }
    if (!m_serialPort->setParity(QSerialPort::Parity(param.parity))) {
        emit openState(PortParityRejected);
        return;
    }
    if (!m_serialPort->setFlowControl(QSerialPort::FlowControl(param.flowControl))) {
        emit openState(PortFlowControlRejected);
        return;
    }
    m_serialPort->setReadBufferSize(kReadBufferSize);

    if (!m_serialPort->isOpen()) {
        m_serialPort->setPortName(strPort);
        m_state = PortState::Opening;
        if (!m_serialPort->open(QIODevice::ReadWrite)) {
            m_state = PortState::Closed;
            emitOpenFailure(strPort);
            return;
        }
        m_state = PortState::Open;
        qCDebug(lcSerial, "open ok");
        applyLines();
    }
    // Queued, so the read runs as its own event after readyRead returns;
    // unique, so reconfiguring an open port does not read twice per chunk.
    connect(m_serialPort, &QSerialPort::readyRead, this, &WorkerSerial::ReadyRx,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    startBufferTimer();
    emit openState(PortOpened);
}

bool WorkerSerial::reopen(const QString& strPort)
{
    m_serialPort->close();
    m_serialPort->setPortName(strPort);
    m_state = PortState::Opening;
    if (m_serialPort->open(QIODevice::ReadWrite)) {
        m_state = PortState::Open;
        return true;
    }
    m_state = PortState::Closed;
    // The port is closed now; nothing is left to receive.
    disconnect(m_serialPort, &QSerialPort::readyRead, nullptr, nullptr);
    stopBufferTimer();
    emitOpenFailure(strPort);
    return false;
}

void WorkerSerial::setPortName(QString strPort)
{
    if (strPort.isEmpty())
        return;
    ensurePort();
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
    if (m_serialPort && !m_serialPort->setParity(QSerialPort::Parity(nParity)))
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
    if (!m_serialPort || !m_serialPort->isOpen())
        return;
    // Devices without modem lines (pseudo-terminals, some adapters) refuse
    // this; the port stays usable, and RTS belongs to hardware flow control.
    if (!m_serialPort->setDataTerminalReady(m_bDtr))
        qCDebug(lcSerial, "DTR not set: %s", m_serialPort->errorString().toUtf8().constData());
    if (m_serialPort->flowControl() != QSerialPort::HardwareControl && !m_serialPort->setRequestToSend(m_bRts))
        qCDebug(lcSerial, "RTS not set: %s", m_serialPort->errorString().toUtf8().constData());
    m_serialPort->clearError();
}

void WorkerSerial::closePort()
{
    if (!m_serialPort)
        return;
    disconnect(m_serialPort, &QSerialPort::readyRead, nullptr, nullptr);
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
    if (!m_serialPort || !m_serialPort->isOpen())
        return false;
    QElapsedTimer clock;
    clock.start();
    while (m_serialPort->bytesToWrite() > 0) {
        const qint64 nLeft = nTimeoutMs - clock.elapsed();
        if (nLeft <= 0 || !m_serialPort->waitForBytesWritten(int(nLeft)))
            return false;
    }
    return true;
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

void WorkerSerial::portErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (m_state == PortState::Closing || !m_serialPort->isOpen())
        return;
    // Qt keeps reporting the error for as long as the port stays open; close
    // it, but not from inside the port's own notification.
    m_state = PortState::Closing;
    m_lostError = error;
    QMetaObject::invokeMethod(this, &WorkerSerial::dropLostPort, Qt::QueuedConnection);
}

void WorkerSerial::dropLostPort()
{
    if (!m_serialPort || !m_serialPort->isOpen())
        return;
    const QString strReason = lostPortReason(m_lostError, m_serialPort->errorString());
    qCDebug(lcSerial, "port lost: %s", strReason.toUtf8().constData());
    closePort();
    emit portLost(strReason);
}
