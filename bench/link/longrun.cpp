// Memory and pace of a long repeated test: the test page runs N tasks
// (wake-up then transfer) against the simulated DTU answering at once, with
// its log view and its automatic result file, as an operator leaves it over
// a weekend. Prints the resident memory and the time per task at points
// along the run; the last two lines compare task 1,000 with the end.
//
//   longrun [--tasks N] [--interval-ms MS] [--compress 0|1]
#include "benchapp.h"
#include "linkrig.h"
#include "photo.h"
#include "transtest.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

constexpr quint32 kDisplay = 1674097996u;

// Resident set size in MiB; -1 where the platform does not say.
double residentMiB()
{
#ifdef Q_OS_LINUX
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
#else
    return -1;
#endif
}

struct Sample
{
    quint32 nTask = 0;
    double rssMiB = 0;
    double msPerTask = 0;  // over the tasks since the previous sample
};

}  // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QCommandLineParser cli;
    cli.setApplicationDescription("Memory and time per task over a long repeated test.");
    cli.addHelpOption();
    const QCommandLineOption tasks("tasks", "Tasks to run.", "N", "10000");
    const QCommandLineOption interval("interval-ms", "Task interval in milliseconds.", "MS", "10");
    const QCommandLineOption compress("compress", "Compression code of the payload (0 none, 1 7z).", "C", "0");
    cli.addOptions({ tasks, interval, compress });
    cli.process(app);
    const quint32 nTasks = cli.value(tasks).toUInt();
    const int nIntervalMs = cli.value(interval).toInt();
    if (nTasks < 1000 || nIntervalMs < 1)
        cli.showHelp(2);

    const QDir dir = app.workDir();
    const QString photo = dir.filePath("photo.png");
    makePhoto(240, 416).save(photo);

    SimConfig config;
    config.displays = { kDisplay };
    config.wakeDelayMs = 0;
    config.drawDelayMs = 0;
    config.echo = false;
    LinkRig rig(config);
    QString error;
    if (!rig.start(error)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return 1;
    }

    TransTest page;
    TransferTimeouts timeouts;
    timeouts.nIntervalUnitMs = 1;  // the interval field counts milliseconds here
    page.setTimeouts(timeouts);
    prepareTestPage(page, rig, photo, int(TransferPlan::WakeUpThenSend), cli.value(compress).toInt(), kDisplay,
                    QString::number(nIntervalMs));
    const QString csv = dir.filePath("results.csv");
    page.setAutoCsvPath(csv);

    std::printf("%u tasks, interval %d ms, display-size photo, compression %s\n", nTasks, nIntervalMs,
                qPrintable(cli.value(compress)));
    std::printf("%8s %10s %12s\n", "task", "RSS MiB", "ms/task");
    QList<Sample> samples;
    QElapsedTimer clock;
    clock.start();
    page.findChild<QPushButton*>("pbRun")->click();
    qint64 nLastMs = 0;
    quint32 nLastTask = 1;
    for (quint32 nAt = 1000; nAt <= nTasks; nAt += 1000) {
        if (!waitFor([&] { return page.counters().nTasks > nAt; }, 600000)) {
            std::printf("stalled before task %u\n", nAt);
            return 1;
        }
        const qint64 nNowMs = clock.elapsed();
        Sample s { nAt, residentMiB(), double(nNowMs - nLastMs) / double(nAt + 1 - nLastTask) };
        samples << s;
        std::printf("%8u %10.1f %12.2f\n", s.nTask, s.rssMiB, s.msPerTask);
        std::fflush(stdout);
        nLastMs = nNowMs;
        nLastTask = nAt + 1;
    }
    const EnduranceCounters c = page.counters();
    page.findChild<QPushButton*>("pbStop")->click();

    const Sample& first = samples.first();
    const Sample& last = samples.last();
    std::printf("counters: tasks %u, wake-up ok %u fail %u, send ok %u fail %u; result file %lld bytes\n", c.nTasks,
                c.nAwakenOk, c.nAwakenFail, c.nSendOk, c.nSendFail, static_cast<long long>(QFile(csv).size()));
    std::printf("RSS at task %u: %.1f MiB, at task %u: %.1f MiB, difference %.1f MiB\n", first.nTask, first.rssMiB,
                last.nTask, last.rssMiB, last.rssMiB - first.rssMiB);
    std::printf("time per task, tasks 1-%u: %.2f ms, tasks %u-%u: %.2f ms, ratio %.2f\n", first.nTask,
                first.msPerTask, last.nTask - 999, last.nTask, last.msPerTask, last.msPerTask / first.msPerTask);
    return 0;
}
