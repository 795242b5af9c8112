#include "serialbackend.h"
#include "portfailure.h"
#include "seriallog.h"

SerialBackend::SerialBackend(QObject* parent)
    : PortBackend(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &PortBackend::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialBackend::onError);
}

bool SerialBackend::open()
{
    m_bLosing = false;
    return m_port.open(QIODevice::ReadWrite);
}

void SerialBackend::close()
{
    // Qt writes from its own buffer as the device takes the bytes; closing
    // before that would drop them. The driver drains its queue at close.
    if (m_port.isOpen())
        flush(kFlushTimeoutMs);
    m_port.close();
}

PortParam SerialBackend::settings() const
{
    PortParam p;
    p.baudRate = m_port.baudRate();
    p.dataBits = m_port.dataBits();
    p.stopBits = m_port.stopBits();
    p.parity = m_port.parity();
    p.flowControl = m_port.flowControl();
    return p;
}

int SerialBackend::openFailureCode() const
{
    // A lock or an exclusive open held by another program shows up as a
    // permission error too; the device's own permissions tell them apart.
    return ::openFailureCode(m_port.error(), portDevicePath(portName()));
}

QString SerialBackend::openFailureReason() const
{
    const QString strDevice = portDevicePath(portName());
    return ::openFailureReason(::openFailureCode(m_port.error(), strDevice), m_port.errorString(), strDevice);
}

void SerialBackend::setModemLines(bool bDtr, bool bRts)
{
    // Devices without modem lines (pseudo-terminals, some adapters) refuse
    // this; the port stays usable, and RTS belongs to hardware flow control.
    if (!m_port.setDataTerminalReady(bDtr))
        qCDebug(lcSerial, "DTR not set: %s", m_port.errorString().toUtf8().constData());
    if (m_port.flowControl() != QSerialPort::HardwareControl && !m_port.setRequestToSend(bRts))
        qCDebug(lcSerial, "RTS not set: %s", m_port.errorString().toUtf8().constData());
    m_port.clearError();
}

void SerialBackend::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (m_bLosing || !m_port.isOpen())
        return;
    // Qt keeps reporting the error for as long as the port stays open.
    m_bLosing = true;
    emit lost(lostPortReason(error, m_port.errorString()));
}
