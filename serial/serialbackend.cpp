#include "serialbackend.h"

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
    // A lock file or an exclusive open held by another program shows up as
    // a permission error: tell the operator the port is busy.
    return m_port.error() == QSerialPort::PermissionError ? -2 : -8;
}

void SerialBackend::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (m_bLosing || !m_port.isOpen())
        return;
    // Qt keeps reporting the error for as long as the port stays open.
    m_bLosing = true;
    emit lost(m_port.errorString());
}
