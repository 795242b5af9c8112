#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QVariant>

#include <atomic>

#include "framecutter.h"
#include "portparam.h"

// Owns the serial port in its own thread: opens and configures it, writes
// what the pages send, hands back every raw chunk and every complete DTU
// frame it cuts from the receive stream.
//
// Result codes of openState: 8 opened; -1 empty name; -2 port busy (held
// by another program); -3..-7 baud, data bits, stop bits, parity, flow
// control rejected; -8 the open failed; -9 no permission to open the device.
// Failed opens carry the reason as text.
class WorkerSerial : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBufferTimeoutMs = 500;
    static constexpr int kReadBufferSize = 1024;

    explicit WorkerSerial(QObject* parent = nullptr);
    ~WorkerSerial() override;

    // Safe to call from any thread.
    bool isOpen() const { return m_bOpen.load(); }

    // How long an unfinished frame may wait for its next chunk. Call before
    // the worker moves to its thread.
    void setBufferTimeout(int nMs) { m_nBufferTimeoutMs = nMs; }

public slots:
    void openPort(QVariant varParam, QString strPort);
    void setPortName(QString strPort);
    void setBaud(int nBaud);
    void setParity(int nParity);
    void sendData(QByteArray data);
    void closePort();

signals:
    void openState(int err, QString strReason = QString());
    void portNotOpened();
    void dataArise(QByteArray data, int nDir = 0);
    void dtuResponse(QByteArray frame);
    // The device went away while open; the port is closed already.
    void portLost(QString strReason);

protected:
    void timerEvent(QTimerEvent* event) override;

private slots:
    void ReadyRx();
    void portErrorOccurred(QSerialPort::SerialPortError error);
    void dropLostPort();

private:
    void ensurePort();
    bool reopen(const QString& strPort);
    void startBufferTimer();
    void stopBufferTimer();
    void clearBuffers();
    bool isCurrentPort(const QString& strPort) const;
    void emitOpenFailure(const QString& strPort);

    QSerialPort* m_serialPort = nullptr;
    FrameCutter m_rxBuffer;
    QByteArray m_lastFrame;
    int m_timerId = 0;
    int m_nBufferTimeoutMs = kBufferTimeoutMs;
    bool m_bLosing = false;  // a lost port is being closed; ignore its error flood
    QSerialPort::SerialPortError m_lostError = QSerialPort::NoError;
    std::atomic<bool> m_bOpen { false };
};
