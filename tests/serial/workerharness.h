#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include "portparam.h"
#include "workerserial.h"

// Receives the worker's signals in the test's (GUI) thread through queued
// connections, the way the pages do.
class WorkerRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QByteArray> rxChunks;
    QList<QByteArray> txChunks;
    QList<QByteArray> frames;
    QList<int> states;
    QStringList reasons;  // one per state
    QStringList lost;
    int nNotOpened = 0;

    QByteArray rxBytes() const
    {
        QByteArray all;
        for (const QByteArray& chunk : rxChunks)
            all += chunk;
        return all;
    }

public slots:
    void onDataArise(QByteArray data, int nDir) { (nDir == 0 ? rxChunks : txChunks).append(data); }
    void onFrame(QByteArray frame) { frames.append(frame); }
    void onState(int nErr, QString strReason)
    {
        states.append(nErr);
        reasons.append(strReason);
    }
    void onNotOpened() { ++nNotOpened; }
    void onLost(QString strReason) { lost.append(strReason); }
};

// The real worker in its own thread, as the program runs it.
class WorkerHarness
{
public:
    explicit WorkerHarness(int nBufferTimeoutMs = WorkerSerial::kBufferTimeoutMs)
    {
        worker = new WorkerSerial;
        worker->setBufferTimeout(nBufferTimeoutMs);
        worker->moveToThread(&thread);
        QObject::connect(worker, &WorkerSerial::dataArise, &rec, &WorkerRecorder::onDataArise);
        QObject::connect(worker, &WorkerSerial::dtuResponse, &rec, &WorkerRecorder::onFrame);
        QObject::connect(worker, &WorkerSerial::openState, &rec, &WorkerRecorder::onState);
        QObject::connect(worker, &WorkerSerial::portNotOpened, &rec, &WorkerRecorder::onNotOpened);
        QObject::connect(worker, &WorkerSerial::portLost, &rec, &WorkerRecorder::onLost);
        thread.start();
    }

    ~WorkerHarness()
    {
        destroyWorker();
        thread.quit();
        thread.wait();
    }

    WorkerHarness(const WorkerHarness&) = delete;
    WorkerHarness& operator=(const WorkerHarness&) = delete;

    static QVariant param(int nBaud = 115200, int nParity = 0)
    {
        PortParam p;
        p.baudRate = nBaud;
        p.dataBits = 8;
        p.stopBits = 1;
        p.parity = nParity;
        p.flowControl = 0;
        return QVariant::fromValue(p);
    }

    void openPort(const QVariant& varParam, const QString& strPort)
    {
        QMetaObject::invokeMethod(worker, "openPort", Q_ARG(QVariant, varParam), Q_ARG(QString, strPort));
    }
    void setPortName(const QString& strPort)
    {
        QMetaObject::invokeMethod(worker, "setPortName", Q_ARG(QString, strPort));
    }
    void setBaud(int nBaud) { QMetaObject::invokeMethod(worker, "setBaud", Q_ARG(int, nBaud)); }
    void sendData(const QByteArray& data) { QMetaObject::invokeMethod(worker, "sendData", Q_ARG(QByteArray, data)); }
    void closePort() { QMetaObject::invokeMethod(worker, "closePort"); }

    // The worker must die in its own thread, where its port lives.
    void destroyWorker()
    {
        if (!worker)
            return;
        WorkerSerial* doomed = worker;
        worker = nullptr;
        QMetaObject::invokeMethod(doomed, [doomed] { delete doomed; }, Qt::BlockingQueuedConnection);
    }

    QThread thread;
    WorkerSerial* worker = nullptr;
    WorkerRecorder rec;
};
