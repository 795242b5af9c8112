#pragma once

#include "dtuparamstore.h"
#include "epaperdisplay.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class DeviceFrameReader;
class SimLine;
class QTimer;

// Faults of the line itself, for tests and demos.
struct LineFaults
{
    int noiseBytes = 0;     // random bytes sent before every answer frame
    bool splitFrames = false;
    int splitPauseMs = 0;   // gap between the two parts of a split frame
    int splitAt = 0;        // bytes in the first part; 0: half the frame
    int cutAtPacket = -1;   // hang up when this packet index arrives
};

struct SimConfig
{
    QString device;                 // existing serial device; empty: create a pty
    QString link;                   // symlink to the pty
    int tcpPort = -1;               // also serve raw TCP on 127.0.0.1 (0: a free port); -1: no
    QString cmdFile;                // DTU command file; empty: no DTU commands
    QList<quint32> displays { 1674097996u };
    int wakeDelayMs = 150;
    int drawDelayMs = 300;
    int lineRate = 0;               // bytes per second; 0: as fast as the pty goes
    QString outDir;                 // where received images go; empty: not saved
    bool echo = true;               // terminal data comes back as if from a peer
    DisplayFaults displayFaults;    // applied to every display
    LineFaults lineFaults;
};

// A DTU on a serial line with e-paper displays behind its radio.
class DtuSimulator : public QObject
{
    Q_OBJECT

public:
    explicit DtuSimulator(const SimConfig& config, QObject* parent = nullptr);
    ~DtuSimulator() override;

    bool start(QString& error);
    QString portPath() const;
    // The raw TCP port name, socket://127.0.0.1:PORT; empty without one.
    QString tcpPortName() const;
    EpaperDisplay* display(quint32 nAddr);
    DtuParamStore& params() { return m_params; }
    LineFaults& lineFaults() { return m_config.lineFaults; }
    qint64 bytesIn() const;
    qint64 bytesOut() const;

signals:
    void frameReceived(QByteArray frame);
    void terminalData(QByteArray bytes);
    // A display got a whole payload; image is null when it did not decode.
    void imageReceived(quint32 nAddr, QImage image, QByteArray payload, QString error);
    void lineCut();
    void logLine(QString line);

private:
    void onBytes(const QByteArray& bytes);
    void handle(const QByteArray& frame);
    void reply(const QByteArray& frame, int nDelayMs);
    void saveImage(quint32 nAddr, const QImage& image, const QByteArray& payload);

    SimConfig m_config;
    SimLine* m_line;
    std::unique_ptr<DeviceFrameReader> m_reader;
    QTimer* m_quiet;
    DtuParamStore m_params;
    std::vector<std::unique_ptr<EpaperDisplay>> m_displays;
    int m_nImages = 0;
};
