#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>

#include "framecutter.h"
#include "portparam.h"

class PortBackend;

// Result codes of openState.
enum PortOpenResult : int {
    PortOpened = 8,
    PortNameEmpty = -1,
    PortBusy = -2,  // locked or held open by another program
    PortBaudRejected = -3,
    PortDataBitsRejected = -4,
    PortStopBitsRejected = -5,
    PortParityRejected = -6,
    PortFlowControlRejected = -7,
    PortOpenFailed = -8,
    PortNoPermission = -9,  // the device's permissions refuse this user
};
// Failed opens carry the system's reason as text.

// Closing: the device went away and the port is about to be closed.
enum class PortState { Closed, Opening, Open, Closing };

// Owns the serial port in its own thread: opens and configures it, writes
// what the pages send, hands back every raw chunk and every complete DTU
// frame it cuts from the receive stream. The port is a local device or, for
// a socket:// or rfc2217:// name, a port shared on the network.
class WorkerSerial : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBufferTimeoutMs = 500;
    static constexpr int kReadBufferSize = 1024;

    explicit WorkerSerial(QObject* parent = nullptr);
    ~WorkerSerial() override;

    // Safe to call from any thread.
    PortState portState() const { return m_state.load(); }
    bool isOpen() const { return portState() == PortState::Open || portState() == PortState::Closing; }

    // How long an unfinished frame may wait for its next chunk. Call before
    // the worker moves to its thread.
    void setBufferTimeout(int nMs) { m_nBufferTimeoutMs = nMs; }

    // For front ends that quit right after writing; call these from the
    // worker's thread. flush() blocks until every written byte has left the
    // port or nTimeoutMs passed; errorString() is the system's word on the
    // port's last error (why an open failed, say).
    bool flush(int nTimeoutMs);
    QString errorString() const;

public slots:
    void openPort(QVariant varParam, QString strPort);
    void setPortName(QString strPort);
    void setBaud(int nBaud);
    void setParity(int nParity);
    void sendData(QByteArray data);
    void closePort();
    // The modem control lines, set now when open and at every open.
    void setDtr(bool bOn);
    void setRts(bool bOn);

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
    void portLostReported(QString strReason);
    void dropLostPort(QString strReason);

private:
    void ensurePort(const QString& strPort);
    bool reopen(const QString& strPort);
    void startBufferTimer();
    void stopBufferTimer();
    void clearBuffers();
    bool isCurrentPort(const QString& strPort) const;
    void emitOpenFailure();
    void applyLines();

    PortBackend* m_serialPort = nullptr;
    FrameCutter m_rxBuffer;
    QByteArray m_lastFrame;
    int m_timerId = 0;
    int m_nBufferTimeoutMs = kBufferTimeoutMs;
    std::atomic<PortState> m_state { PortState::Closed };
    bool m_bDtr = true;
    bool m_bRts = true;
};
