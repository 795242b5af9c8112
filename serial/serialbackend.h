#pragma once

#include <QSerialPort>

#include "portbackend.h"

// A serial device of this machine.
class SerialBackend : public PortBackend
{
    Q_OBJECT
public:
    // A device that takes nothing for this long is not waited for at close.
    static constexpr int kFlushTimeoutMs = 1000;

    explicit SerialBackend(QObject* parent = nullptr);

    QString portName() const override { return m_port.portName(); }
    void setPortName(const QString& strPort) override { m_port.setPortName(strPort); }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    bool setBaudRate(qint32 nBaud) override { return m_port.setBaudRate(nBaud); }
    bool setDataBits(qint32 nBits) override { return m_port.setDataBits(QSerialPort::DataBits(nBits)); }
    bool setStopBits(qint32 nStop) override { return m_port.setStopBits(QSerialPort::StopBits(nStop)); }
    bool setParity(qint32 nParity) override { return m_port.setParity(QSerialPort::Parity(nParity)); }
    bool setFlowControl(qint32 nFlow) override
    {
        return m_port.setFlowControl(QSerialPort::FlowControl(nFlow));
    }
    PortParam settings() const override;
    void setReadBufferSize(qint64 nSize) override { m_port.setReadBufferSize(nSize); }

    qint64 write(const QByteArray& data) override { return m_port.write(data); }
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    bool waitForBytesWritten(int nMs) override { return m_port.waitForBytesWritten(nMs); }
    QByteArray readAll() override { return m_port.readAll(); }

    QString errorString() const override { return m_port.errorString(); }
    int openFailureCode() const override;
    QString openFailureReason() const override;
    void setModemLines(bool bDtr, bool bRts) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    bool m_bLosing = false;  // the loss is reported; ignore the error flood until close
};
