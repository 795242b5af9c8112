#pragma once

#include "dtusimulator.h"
#include "ser2netserver.h"
#include "workerserial.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// What the simulated device saw on the line.
struct SimCounts
{
    qint64 nBytesIn = 0;     // host -> device
    qint64 nBytesOut = 0;    // device -> host
    int nWakeRequests = 0;
    int nTransfers = 0;      // first packets received
    int nPackets = 0;
    int nImages = 0;         // payloads received whole
};

// The whole serial line of a bench run: the simulated DTU in one thread at
// the far end of a pseudo-terminal, the serial worker in another at the
// program's end, pages in the calling (GUI) thread, as the program runs them.
// The worker reaches the pty directly or through a ser2net in front of it.
class LinkRig : public QObject
{
    Q_OBJECT

public:
    enum class Via { Local, Raw, Rfc2217 };

    explicit LinkRig(const SimConfig& config, Via via = Via::Local, QObject* parent = nullptr);
    // Lines for ser2net's connection options.
    void setServerOptions(const QStringList& options) { m_serverOptions = options; }
    ~LinkRig() override;

    // Starts the simulator and opens its port through the worker.
    bool start(QString& error);
    WorkerSerial* worker() const { return m_worker; }
    // Taken in the simulator's thread, so the byte counts are consistent.
    SimCounts counts();
    // Wakes a display as an earlier wake-up would have, without a frame.
    void wakeDisplay(quint32 nAddr);

    // Connects a transfer page to the worker as the main window does.
    template <class Page>
    void attach(Page* page)
    {
        WorkerSerial* worker = m_worker;
        page->setPortOpenQuery([worker] { return worker->isOpen(); });
        connect(page, &Page::sendData, m_worker, &WorkerSerial::sendData);
        connect(m_worker, &WorkerSerial::dtuResponse, page, &Page::transResponse);
    }

private:
    QThread m_simThread;
    QThread m_workerThread;
    DtuSimulator* m_sim = nullptr;
    WorkerSerial* m_worker = nullptr;
    Via m_via;
    std::unique_ptr<Ser2netServer> m_ser2net;
    QStringList m_serverOptions;
    std::atomic<int> m_nWakeRequests { 0 };
    std::atomic<int> m_nTransfers { 0 };
    std::atomic<int> m_nPackets { 0 };
    std::atomic<int> m_nImages { 0 };
};


class TransTest;

// The repeated test page as the benchmarks drive it, attached to the rig:
// photo imported and sent as a display bitmap with compression nCompress,
// run mode nMode against nAddr every strInterval, keep time 1000 ms; its
// message boxes go to stderr.
void prepareTestPage(TransTest& page, LinkRig& rig, const QString& photo, int nMode, int nCompress, quint32 nAddr,
                     const QString& strInterval);

// Runs the event loop until done() holds or nTimeoutMs pass; false on time-out.
bool waitFor(const std::function<bool()>& done, int nTimeoutMs);
