// Floods the terminal page with random bytes from the device end of a pty,
// through the real serial worker in its own thread, and reports:
//   - how long after the stream stops the view shows the last bytes,
//   - the GUI event loop's latency (a 10 ms timer probe), p99 and max,
//   - the peak resident memory.
//   - the processor time per megabyte of the program's threads (the device
//     end's own time is left out).
// With --log 1 the page also keeps its session log, which is checked
// against the stream afterwards.
// With --a11y 1 accessibility is switched on, so that every change of the
// view is also reported as an accessibility event, as with a screen reader
// or UI automation attached.
// Usage: bench_rxtx [--seconds S] [--rate BYTES_PER_S] [--total BYTES] [--chunk BYTES] [--timestamps 0|1]
//                   [--log 0|1] [--a11y 0|1]
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "portparam.h"
#include "ptypair.h"
#include "rxtx.h"
#include "workerserial.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <vector>

namespace {

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Processor time of the whole process (GUI, worker and writer threads), in seconds.
double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct Options
{
    double dSeconds = 60;
    qint64 nRate = 1000000;
    qint64 nTotal = 0;  // 0: rate x seconds
    bool bTimestamps = false;
    qint64 nChunk = 4096;  // bytes per write at the device end
    bool bLog = false;
    bool bAccessible = false;
};

Options parse(const QStringList& args)
{
    Options opt;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString key = args.at(i);
        const QString value = args.at(i + 1);
        if (key == QLatin1String("--seconds"))
            opt.dSeconds = value.toDouble();
        else if (key == QLatin1String("--rate"))
            opt.nRate = value.toLongLong();
        else if (key == QLatin1String("--total"))
            opt.nTotal = value.toLongLong();
        else if (key == QLatin1String("--chunk"))
            opt.nChunk = std::max<qint64>(1, value.toLongLong());
        else if (key == QLatin1String("--a11y"))
            opt.bAccessible = value.toInt() != 0;
        else if (key == QLatin1String("--log"))
            opt.bLog = value.toInt() != 0;
        else if (key == QLatin1String("--timestamps"))
            opt.bTimestamps = value.toInt() != 0;
    }
    if (opt.nTotal <= 0)
        opt.nTotal = qint64(opt.dSeconds * double(opt.nRate));
    return opt;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Options opt = parse(app.arguments());
    registerPortParam();
    if (opt.bAccessible)
        QAccessible::setActive(true);

    PtyPair pty;
    if (!pty.isValid()) {
        std::fprintf(stderr, "no pty\n");
        return 1;
    }

    QTemporaryDir dir;
    RxTx page(nullptr);
    {
        QSettings settings(dir.filePath(QStringLiteral("telvane.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("RxTx/RxTimeStamp"), opt.bTimestamps);
        page.loadSettings(&settings);
    }
    const QString logPath = dir.filePath(QStringLiteral("session.log"));
    if (opt.bLog && !page.startLog(logPath))
        return 1;
    page.resize(1000, 700);
    page.show();
    QTextDocument* doc = page.findChild<QTextEdit*>(QStringLiteral("textEditRx"))->document();

    QThread workerThread;
    auto* worker = new WorkerSerial;
    worker->moveToThread(&workerThread);
    QObject::connect(worker, &WorkerSerial::dataArise, &page, &RxTx::showRx);
    qint64 nChunks = 0;
    QObject::connect(worker, &WorkerSerial::dataArise, &page, [&nChunks](QByteArray, int) { ++nChunks; });
    QObject::connect(&workerThread, &QThread::finished, worker, &QObject::deleteLater);
    workerThread.start();
    PortParam param;
    param.baudRate = 115200;
    param.dataBits = 8;
    param.stopBits = 1;
    QMetaObject::invokeMethod(worker, "openPort", Qt::QueuedConnection,
                              Q_ARG(QVariant, QVariant::fromValue(param)), Q_ARG(QString, pty.portPath()));
    QThread::msleep(200);
    app.processEvents();

    // Device end: paced writes of random bytes in chunks of opt.nChunk.
    std::atomic<bool> bWriterDone {false};
    double dWriterCpu = 0;
    QByteArray lastBytes;
    QByteArray allBytes;
    QElapsedTimer clock;
    qint64 nStopMs = 0;
    QThread* writer = QThread::create([&] {
        std::mt19937 rng(12345);
        const qint64 nSlice = opt.nChunk;
        qint64 nSent = 0;
        QElapsedTimer pace;
        pace.start();
        QByteArray slice;
        while (nSent < opt.nTotal) {
            const qint64 nDue = qint64(double(pace.nsecsElapsed()) * 1e-9 * double(opt.nRate));
            if (nDue - nSent < std::min(nSlice, opt.nTotal - nSent)) {
                QThread::msleep(2);
                continue;
            }
            const int n = int(std::min(nSlice, opt.nTotal - nSent));
            slice.resize(n);
            for (int i = 0; i < n; ++i)
                slice[i] = char(rng());
            if (!pty.write(slice))
                break;
            nSent += n;
            lastBytes = (lastBytes + slice).right(64);
            if (opt.bLog)
                allBytes += slice;
        }
        nStopMs = clock.elapsed();
        rusage usage {};
        getrusage(RUSAGE_THREAD, &usage);
        dWriterCpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                     + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
        bWriterDone = true;
    });

    // GUI latency probe and memory sampling.
    std::vector<qint64> lateness;
    QElapsedTimer probeClock;
    qint64 nPeakKiB = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    qint64 nLastProbe = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 nNow = probeClock.elapsed();
        lateness.push_back(std::max<qint64>(0, nNow - nLastProbe - 10));
        nLastProbe = nNow;
        if (lateness.size() % 20 == 0)
            nPeakKiB = std::max(nPeakKiB, residentKiB());
    });

    qint64 nDoneMs = -1;
    QTimer done;
    done.setInterval(5);
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (!bWriterDone || page.rxDisplay().hasPending())
            return;
        const QByteArray tail = lastBytes.right(8);
        const QString shown = doc->lastBlock().text();
        const std::deque<RxEntry>& store = page.rxDisplay().store();
        if (store.empty() || !store.back().data.endsWith(tail.right(4))
            || !shown.endsWith(QString::fromLatin1(tail.right(4).toHex(' ').toUpper())))
            return;
        nDoneMs = clock.elapsed();
        app.quit();
    });

    const double dCpuStart = cpuSeconds();
    clock.start();
    probeClock.start();
    probe.start();
    done.start();
    writer->start();
    QTimer::singleShot(int(opt.nTotal / std::max<qint64>(1, opt.nRate)) * 1000 + 60000, &app, [&] { app.quit(); });
    app.exec();
    writer->wait();
    delete writer;
    const double dCpu = cpuSeconds() - dCpuStart - dWriterCpu;
    nPeakKiB = std::max(nPeakKiB, residentKiB());

    std::sort(lateness.begin(), lateness.end());
    const auto pct = [&](double p) {
        return lateness.empty() ? qint64(-1) : lateness[std::min(lateness.size() - 1, size_t(p * double(lateness.size())))];
    };
    std::printf("mode=hex timestamps=%d log=%d accessibility=%d bytes=%lld rate=%lld B/s written_in=%.1f s\n",
                int(opt.bTimestamps), int(opt.bLog), int(QAccessible::isActive()), static_cast<long long>(opt.nTotal),
                static_cast<long long>(opt.nRate), double(nStopMs) / 1000.0);
    std::printf("view caught up after stop: %s ms\n",
                nDoneMs < 0 ? "never (timed out)" : QByteArray::number(nDoneMs - nStopMs).constData());
    std::printf("GUI timer probe lateness: p50=%lld ms p99=%lld ms max=%lld ms (%zu samples)\n",
                static_cast<long long>(pct(0.5)), static_cast<long long>(pct(0.99)),
                static_cast<long long>(lateness.empty() ? -1 : lateness.back()), lateness.size());
    std::printf("processor time: %.2f s, %.3f s per MB\n", dCpu, dCpu / (double(opt.nTotal) / 1e6));
    std::printf("chunks delivered: %lld\n", static_cast<long long>(nChunks));
    std::printf("peak resident memory: %.1f MB; view %d chars in %d paragraphs; store %zu chunks\n",
                double(nPeakKiB) / 1024.0, doc->characterCount(), doc->blockCount(),
                page.rxDisplay().store().size());

    bool bLogExact = true;
    if (opt.bLog) {
        // Received lines: "yyyy-MM-dd hh:mm:ss.zzz << XX XX ...  |text|".
        QFile log(logPath);
        QByteArray logged;
        if (log.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : log.readAll().split('\n')) {
                if (line.size() >= 30 && line.mid(23, 4) == " << ")
                    logged += QByteArray::fromHex(line.mid(26, 3 * ((line.size() - 30) / 4)));
            }
        }
        bLogExact = logged == allBytes;
        std::printf("session log: %lld bytes logged, %s\n", static_cast<long long>(logged.size()),
                    bLogExact ? "byte-exact" : "DIFFERS from the stream");
    }

    workerThread.quit();
    workerThread.wait();
    return nDoneMs < 0 || !bLogExact ? 2 : 0;
}
