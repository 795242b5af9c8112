// telvanectl against the simulated DTU.
//
// (a) Start-up: from starting the process to its first frame arriving at
//     the simulator (a query), and to the process's exit with the answer.
// (b) A 255-packet raw payload, instant answers, no line rate: telvanectl
//     push against the image page "发送图片" in the same run, to address 0
//     and to an addressed display (with its wake-up).
//
//   bench_cli [--runs N]
#include "benchapp.h"
#include "dtusimulator.h"
#include "pagerun.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void printStats(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("    %s: median %.1f ms (min %.1f, max %.1f)\n", what, median(v), v.front(), v.back());
}

bool benchStartup(int nRuns)
{
    SimConfig config;
    config.cmdFile = QStringLiteral(TELVANE_SHIPPED_CMDS);
    DtuSimulator sim(config);
    QString error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "cannot start the simulator: %s\n", qPrintable(error));
        return false;
    }
    std::printf("(a) telvanectl query 0: start -> first frame at the device, start -> exit; %d runs\n", nRuns);
    QElapsedTimer clock;
    qint64 nFirstNs = -1;
    QObject::connect(&sim, &DtuSimulator::frameReceived, &sim, [&] {
        if (nFirstNs < 0)
            nFirstNs = clock.nsecsElapsed();
    });
    std::vector<double> first, whole;
    for (int i = 0; i < nRuns; ++i) {
        QProcess ctl;
        nFirstNs = -1;
        clock.start();
        ctl.start(QStringLiteral(TELVANECTL), { "--port", sim.portPath(), "--cmds", TELVANE_SHIPPED_CMDS, "query", "0" });
        while (ctl.state() != QProcess::NotRunning || nFirstNs < 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            if (clock.elapsed() > 10000)
                break;
        }
        const double dWholeMs = double(clock.nsecsElapsed()) / 1e6;
        if (ctl.exitCode() != 0 || nFirstNs < 0) {
            std::fprintf(stderr, "run %d failed: %s\n", i + 1, ctl.readAllStandardError().constData());
            return false;
        }
        first.push_back(double(nFirstNs) / 1e6);
        whole.push_back(dWholeMs);
    }
    printStats("start -> first frame", first);
    printStats("start -> exit with the answer", whole);
    return true;
}

// One telvanectl push on a fresh simulator; the JSON "sent" event's times.
struct CliRun
{
    bool ok = false;
    double wallMs = 0;   // process start -> exit
    double sendMs = 0;   // first packet -> last acknowledgement
    double totalMs = 0;  // first frame (wake-up or packet) -> last acknowledgement
};

CliRun cliPush(const QString& file, quint32 nAddr)
{
    CliRun r;
    SimConfig config;
    config.displays = { kBenchDisplay };
    config.wakeDelayMs = 0;
    config.drawDelayMs = 0;
    config.echo = false;
    // The device answers from its own thread, as in the page's runs.
    QThread thread;
    auto* sim = new DtuSimulator(config);
    sim->moveToThread(&thread);
    thread.start();
    bool bStarted = false;
    QString error;
    QMetaObject::invokeMethod(sim, [&] { bStarted = sim->start(error); }, Qt::BlockingQueuedConnection);
    if (bStarted) {
        QProcess ctl;
        QElapsedTimer clock;
        clock.start();
        ctl.start(QStringLiteral(TELVANECTL), { "--port", sim->portPath(), "--json", "--quiet", "push", file, "--addr",
                                                QString::number(nAddr), "--compress", "none", "--keep", "1000" });
        ctl.waitForFinished(60000);
        r.wallMs = double(clock.nsecsElapsed()) / 1e6;
        for (const QByteArray& line : ctl.readAllStandardOutput().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o.value("event").toString() == QLatin1String("sent")) {
                r.sendMs = o.value("ms").toDouble();
                r.totalMs = o.value("totalMs").toDouble();
                r.ok = o.value("packets").toInt() == 255;
            }
        }
        if (ctl.exitStatus() != QProcess::NormalExit || ctl.exitCode() != 0) {
            std::fprintf(stderr, "telvanectl: %s\n", ctl.readAllStandardError().constData());
            r.ok = false;
        }
    } else {
        std::fprintf(stderr, "cannot start the simulator: %s\n", qPrintable(error));
    }
    QMetaObject::invokeMethod(sim, [sim] { delete sim; }, Qt::BlockingQueuedConnection);
    thread.quit();
    thread.wait();
    return r;
}

bool benchFullPayload(const QString& file, int nRuns)
{
    std::printf("(b) 255-packet raw payload, no line rate, instant answers; image page and telvanectl "
                "alternately, %d runs each\n", nRuns);
    for (const quint32 nAddr : { 0u, kBenchDisplay }) {
        std::vector<double> pageClick, pageLine, cliWall, cliLine;
        for (int i = 0; i < nRuns; ++i) {
            const Run page = transfer({ file, false, 0, nAddr, 0 });
            const CliRun cli = cliPush(file, nAddr);
            if (!page.ok || page.counts.nPackets != 255 || !cli.ok) {
                std::printf("  address %u: run %d failed\n", nAddr, i + 1);
                return false;
            }
            pageClick.push_back(page.clickMs);
            pageLine.push_back(page.lineMs);
            cliWall.push_back(cli.wallMs);
            cliLine.push_back(nAddr ? cli.totalMs : cli.sendMs);
        }
        std::printf("  address %u%s:\n", nAddr, nAddr ? " (with wake-up)" : "");
        printStats("page, first frame -> last acknowledgement", pageLine);
        printStats("telvanectl, first frame -> last acknowledgement", cliLine);
        std::printf("    ratio of the medians: %.2f\n", median(cliLine) / median(pageLine));
        printStats("page, click -> last acknowledgement", pageClick);
        printStats("telvanectl, process start -> exit after the display's report", cliWall);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption runs("runs", "Runs of each measurement.", "N", "20");
    cli.addOption(runs);
    cli.process(app);
    const int nRuns = qMax(1, cli.value(runs).toInt());
    const QDir dir = app.workDir();
    const QString full = writeFullPayloadFile(dir);
    if (full.isEmpty())
        return 1;
    const bool a = benchStartup(nRuns);
    const bool b = benchFullPayload(full, nRuns);
    return a && b ? 0 : 1;
}
