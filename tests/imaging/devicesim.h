#pragma once

#include "answerframes.h"
#include "ptypair.h"
#include "workerserial.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>

// Asks the worker (in its own thread) to open path at 115200 8N1 and waits
// up to 5 s for its answer; returns the worker's open state (8: open, 0: no
// answer).
int openWorkerPort(WorkerSerial* worker, const QString& path);

// The DTU and the displays behind it, played over a real pseudo-terminal
// against the program's own serial worker running in its own thread, wired
// to a page the way the main window wires it.
class DeviceSim : public QObject
{
    Q_OBJECT

public:
    DeviceSim();
    ~DeviceSim() override;

    bool isValid() const { return m_worker && m_worker->isOpen(); }
    WorkerSerial* worker() const { return m_worker; }

    template <class Page>
    void attach(Page* page)
    {
        connect(page, &Page::sendData, m_worker, &WorkerSerial::sendData);
        connect(m_worker, &WorkerSerial::dtuResponse, page, &Page::transResponse);
        // Connected after the page: when this runs, the page has seen the frame.
        connect(m_worker, &WorkerSerial::dtuResponse, this, &DeviceSim::onDelivered);
        WorkerSerial* worker = m_worker;
        page->setPortOpenQuery([worker] { return worker->isOpen(); });
    }

    // Next complete frame the program sent; empty after nTimeoutMs of silence.
    QByteArray nextFrame(int nTimeoutMs = 5000);
    // True when nothing arrives within nMs.
    bool staysSilent(int nMs);
    // Writes an answer on the line and waits until the page has handled it.
    bool answer(const QByteArray& frame);
    void closePort();

private slots:
    void onDelivered() { ++m_nDelivered; }

private:
    PtyPair m_pty;
    QThread m_thread;
    WorkerSerial* m_worker = nullptr;
    QByteArray m_buffer;
    int m_nDelivered = 0;
};
