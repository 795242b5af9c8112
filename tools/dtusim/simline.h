#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>

class QSocketNotifier;
class QTimer;

// The simulator's end of the serial line: a pseudo-terminal it creates (the
// program opens the other side) or an existing serial device. An optional
// line rate paces both directions, as a radio modem's UART would.
class SimLine : public QObject
{
    Q_OBJECT

public:
    explicit SimLine(QObject* parent = nullptr);
    ~SimLine() override;

    // Creates a pseudo-terminal; linkPath, when given, becomes a symlink to it.
    bool openPty(const QString& linkPath, QString& error);
    bool openDevice(const QString& path, QString& error);
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
    QElapsedTimer m_clock;
    int m_nRate = 0;
    QQueue<Chunk> m_out;
    QByteArray m_in;          // read but not yet released at the line rate
    qint64 m_nBytesIn = 0;    // released to the simulator
    qint64 m_nBytesOut = 0;   // written to the line
    Pace m_paceIn;
    Pace m_paceOut;
};
