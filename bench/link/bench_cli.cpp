// telvanectl against the simulated DTU.
//
// (a) Start-up: from starting the process to its first frame arriving at
//     the simulator (a query), and to the process's exit with the answer.
//
//   bench_cli [--runs N]   (run from the build tree: it starts cli/telvanectl)
#include "dtusimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void printStats(const char* what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::printf("  %s: median %.1f ms (min %.1f, max %.1f)\n", what, median(v), v.front(), v.back());
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption runs("runs", "Runs of each measurement.", "N", "20");
    cli.addOption(runs);
    cli.process(app);
    const int nRuns = qMax(1, cli.value(runs).toInt());
    return benchStartup(nRuns) ? 0 : 1;
}
