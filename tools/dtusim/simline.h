#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;

// The simulator's end of the serial line: a pseudo-terminal it creates (the
// program opens the other side) or an existing serial device. An optional
// line rate paces both directions, as a radio modem's UART would. The same
// device can also be offered as raw TCP on the loopback address: while a
// client is connected, it is the line's other end instead of the pty.
class SimLine : public QObject
{
    Q_OBJECT

public:
    explicit SimLine(QObject* parent = nullptr);
    ~SimLine() override;

    // Creates a pseudo-terminal; linkPath, when given, becomes a symlink to it.
    bool openPty(const QString& linkPath, QString& error);
    bool openDevice(const QString& path, QString& error);
    // Listens on 127.0.0.1:nPort (0: any free port) for one client at a time.
    bool listenTcp(quint16 nPort, QString& error);
    quint16 tcpPort() const;
    QString path() const { return m_path; }
    bool isOpen() const { return m_fd >= 0; }

    void setRate(int nBytesPerSecond) { m_nRate = nBytesPerSecond; }
    // Queues bytes; they leave no earlier than nDelayMs from now.
    void send(const QByteArray& bytes, int nDelayMs = 0);
    // Hangs up: the program's side sees the device go away.
    void cut();

    qint64 bytesIn() const { return m_nBytesIn; }
    qint64 bytesOut() const { return m_nBytesOut; }

signals:
    void bytesArrived(QByteArray bytes);
    void lineCut();

private:
    void onReadable();
    void onTcpClient();
    // Writes to whichever end is active; -1 when the write failed for good.
    qint64 writeOut(const char* data, qint64 nSize);
    void pump();
    // Credit of one direction at the line rate. Time a direction spends
    // idle is no credit: a byte queued on an idle line still takes its own
    // time to cross, so a frame never arrives sooner than its length allows.
    struct Pace
    {
        double credit = 0;
        double lastMs = 0;
        bool idle = true;
    };
    qint64 allowance(Pace& pace, qint64 nWanted);

    struct Chunk
    {
        QByteArray bytes;
        qint64 notBeforeMs;
    };

    int m_fd = -1;
    int m_peerFd = -1;  // the pty's device side, held so reads never hit EIO
    QString m_path;
    QString m_link;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_pump = nullptr;
    QTcpServer* m_server = nullptr;
    QTcpSocket* m_client = nullptr;
    QElapsedTimer m_clock;
    int m_nRate = 0;
    QQueue<Chunk> m_out;
    QByteArray m_in;          // read but not yet released at the line rate
    qint64 m_nBytesIn = 0;    // released to the simulator
    qint64 m_nBytesOut = 0;   // written to the line
    Pace m_paceIn;
    Pace m_paceOut;
};
