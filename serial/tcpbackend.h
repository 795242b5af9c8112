#pragma once

#include <QElapsedTimer>
#include <QTcpSocket>

#include "netportaddress.h"
#include "portbackend.h"
#include "telnetcomport.h"

// A serial port shared on the network: raw TCP, or Telnet with the COM-PORT
// option, which carries the line settings to the far device. Raw TCP keeps
// the settings only to time the drain before close.
class TcpBackend : public PortBackend
{
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 5000;
    // Added to the line time of the unsent bytes before a close, for the
    // server's own buffers.
    static constexpr int kDrainMarginMs = 100;
    // A close never waits longer than this, whatever the baud rate says.
    static constexpr int kMaxDrainMs = 10000;

    explicit TcpBackend(QObject* parent = nullptr);

    QString portName() const override { return m_strName; }
    void setPortName(const QString& strPort) override { m_strName = strPort; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_bOpen; }

    bool setBaudRate(qint32 nBaud) override;
    bool setDataBits(qint32 nBits) override;
    bool setStopBits(qint32 nStop) override;
    bool setParity(qint32 nParity) override;
    bool setFlowControl(qint32 nFlow) override;
    PortParam settings() const override { return m_param; }
    void setReadBufferSize(qint64 nSize) override { m_socket.setReadBufferSize(nSize); }

    qint64 write(const QByteArray& data) override;
    qint64 bytesToWrite() const override { return m_socket.bytesToWrite(); }
    bool waitForBytesWritten(int nMs) override { return m_socket.waitForBytesWritten(nMs); }
    QByteArray readAll() override;

    QString errorString() const override { return m_strError; }
    void setModemLines(bool bDtr, bool bRts) override;

    // Milliseconds one character takes on the line with the current settings.
    double charTimeMs() const;

private:
    void onSocketError();
    // Sends the settings once the server has agreed to the COM-PORT option.
    void sendSettings();
    void sendComPort(const QByteArray& command);

    QTcpSocket m_socket;
    QString m_strName;
    NetPortAddress m_addr;
    PortParam m_param;
    TelnetComPort m_telnet;
    bool m_bOpen = false;
    bool m_bSettingsSent = false;
    bool m_bDtr = true;
    bool m_bRts = true;
    bool m_bLosing = false;
    QString m_strError;
    QElapsedTimer m_clock;
    double m_lineFreeMs = 0;  // when the far line will have sent everything written
};
