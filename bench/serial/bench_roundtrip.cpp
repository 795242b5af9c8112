// Round trip through the real worker thread over a pseudo-terminal: the
// device writes a 14-byte frame; time until dtuResponse reaches a receiver
// in the main (GUI) thread. Median and p99 over 1000 frames.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "dtuframe.h"
#include "portparam.h"
#include "ptypair.h"
#include "workerserial.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PtyPair pty;
    if (!pty.isValid())
        return 1;

    QThread thread;
    auto* worker = new WorkerSerial;
    worker->moveToThread(&thread);
    thread.start();

    int nState = 0;
    bool bGot = false;
    QObject receiver;
    QObject::connect(worker, &WorkerSerial::openState, &receiver, [&](int n) { nState = n; });
    QObject::connect(worker, &WorkerSerial::dtuResponse, &receiver, [&](QByteArray) { bGot = true; });

    PortParam param;
    param.baudRate = 115200;
    param.dataBits = 8;
    param.stopBits = 1;
    QMetaObject::invokeMethod(worker, "openPort", Q_ARG(QVariant, QVariant::fromValue(param)),
                              Q_ARG(QString, pty.portPath()));
    while (nState == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (nState != 8) {
        std::printf("open failed: %d\n", nState);
        return 1;
    }

    const QByteArray frame = encodeFrame(1, 0x10, QByteArray("\x01\x02\x03", 3));
    std::vector<double> samples;
    QElapsedTimer timer;
    for (int i = 0; i < 1000; ++i) {
        bGot = false;
        timer.start();
        pty.write(frame);
        while (!bGot)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    std::printf("round trip of a %d-byte frame over %zu frames: median %.0f us, p99 %.0f us, max %.0f us\n",
                frame.size(), samples.size(), samples[samples.size() / 2],
                samples[samples.size() * 99 / 100], samples.back());

    QMetaObject::invokeMethod(worker, [worker] { delete worker; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    return 0;
}
