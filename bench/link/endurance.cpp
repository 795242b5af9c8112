// The repeated test page against the simulated DTU for a number of minutes,
// in one of its run modes (default 2, "先唤醒再发送"), with a display that
// fails every n-th transfer at its last packet. Prints the page's counters at
// the end and checks them against what the device saw; exits non-zero when
// they disagree.
//
//   endurance MINUTES [--mode M] [--interval S] [--rate BYTES_PER_S] [--fail-every N]
#include "benchapp.h"
#include "linkrig.h"
#include "photo.h"
#include "transtest.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>

#include <cstdio>

namespace {

constexpr quint32 kDisplay = 1674097996u;

struct Check
{
    const char* what;
    qint64 page;
    qint64 device;
};

// True when every step of the tasks started so far has been counted.
bool settled(int nMode, const EnduranceCounters& c)
{
    const quint32 nWakeUps = c.nAwakenOk + c.nAwakenFail;
    const quint32 nSends = c.nSendOk + c.nSendFail;
    switch (nMode) {
    case int(TransferPlan::WakeUpOnly):
        return nWakeUps == c.nTasks;
    case int(TransferPlan::SendOnly):
        return nSends == c.nTasks;
    case int(TransferPlan::WakeUpThenSend):
        return nWakeUps == c.nTasks && nSends == c.nAwakenOk;
    default:
        return nSends == c.nTasks && nWakeUps == c.nSendOk;
    }
}

void printProgress(qint64 nMs, const EnduranceCounters& c, const SimCounts& s)
{
    std::printf("[%5.1f min] tasks %u, wake-up ok %u fail %u, send ok %u fail %u | device: wake-ups %d, "
                "transfers %d, images %d, packets %d, bytes in %lld out %lld\n",
                double(nMs) / 60000.0, c.nTasks, c.nAwakenOk, c.nAwakenFail, c.nSendOk, c.nSendFail, s.nWakeRequests,
                s.nTransfers, s.nImages, s.nPackets, static_cast<long long>(s.nBytesIn),
                static_cast<long long>(s.nBytesOut));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QCommandLineParser cli;
    cli.setApplicationDescription("Repeated wake-up and transfer against the simulated DTU.");
    cli.addHelpOption();
    cli.addPositionalArgument("minutes", "How long to run.");
    const QCommandLineOption interval("interval", "Task interval in seconds.", "S", "5");
    const QCommandLineOption rate("rate", "Line rate to emulate in bytes/s; 0: none.", "B", "11520");
    const QCommandLineOption failEvery("fail-every", "The display fails every N-th transfer.", "N", "5");
    const QCommandLineOption runMode("mode", "Run mode 0-3 of the page.", "M", "2");
    cli.addOptions({ interval, rate, failEvery, runMode });
    cli.process(app);
    bool ok = false;
    const double minutes = cli.positionalArguments().value(0).toDouble(&ok);
    const int nMode = cli.value(runMode).toInt();
    if (!ok || minutes <= 0 || nMode < int(TransferPlan::WakeUpOnly) || nMode > int(TransferPlan::SendThenWakeUp))
        cli.showHelp(2);
    // Without a wake-up first only a broadcast reaches the sleeping display.
    const quint32 nAddr = nMode == int(TransferPlan::SendOnly) ? 0 : kDisplay;
    const int nFailEvery = cli.value(failEvery).toInt();

    const QDir dir = app.workDir();
    const QString photo = dir.filePath("photo.png");
    makePhoto(240, 416).save(photo);

    SimConfig config;
    config.displays = { kDisplay };
    config.lineRate = cli.value(rate).toInt();
    config.echo = false;
    config.displayFaults.failEvery = nFailEvery;
    LinkRig rig(config);
    QString error;
    if (!rig.start(error)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return 1;
    }

    TransTest page;
    prepareTestPage(page, rig, photo, nMode, kCompressLzma, nAddr, cli.value(interval));

    std::printf("mode %d for %.1f min: interval %s s, line rate %d B/s, display fails every %d-th transfer\n", nMode,
                minutes,
                qPrintable(cli.value(interval)), config.lineRate, nFailEvery);
    QElapsedTimer clock;
    clock.start();
    // A transfer first reaches only a display that is awake already.
    if (nMode == int(TransferPlan::SendThenWakeUp))
        rig.wakeDisplay(kDisplay);
    page.findChild<QPushButton*>("pbRun")->click();
    const qint64 nRunMs = qint64(minutes * 60000);
    while (clock.elapsed() < nRunMs) {
        waitFor([] { return false; }, int(qMin<qint64>(60000, nRunMs - clock.elapsed())));
        printProgress(clock.elapsed(), page.counters(), rig.counts());
    }
    // Let the running task end so every count is final, then stop (which
    // clears the counters, so read them first).
    if (!waitFor([&] { return settled(nMode, page.counters()); }, 120000))
        std::printf("the last task did not end within 2 minutes\n");
    const EnduranceCounters c = page.counters();
    const SimCounts s = rig.counts();
    page.findChild<QPushButton*>("pbStop")->click();

    std::printf("\nfinal after %.1f s:\n", double(clock.elapsed()) / 1000.0);
    std::printf("  m_nTaskCount %u\n  m_nAwakenOk %u\n  m_nAwakenFail %u\n  m_nSendOk %u\n  m_nSendFail %u\n",
                c.nTasks, c.nAwakenOk, c.nAwakenFail, c.nSendOk, c.nSendFail);
    std::printf("  device: wake-up requests %d, transfers started %d, payloads received whole %d, packets %d\n",
                s.nWakeRequests, s.nTransfers, s.nImages, s.nPackets);

    const int nExpectedFails = nFailEvery > 0 ? s.nTransfers / nFailEvery : 0;
    // What starts each task, and what the second step of a task follows.
    const bool bWakeFirst = nMode == int(TransferPlan::WakeUpOnly) || nMode == int(TransferPlan::WakeUpThenSend);
    const qint64 nFirstSteps = bWakeFirst ? s.nWakeRequests : s.nTransfers;
    const qint64 nSecondSteps = nMode == int(TransferPlan::WakeUpThenSend) ? c.nSendOk + c.nSendFail
                                : nMode == int(TransferPlan::SendThenWakeUp) ? c.nAwakenOk + c.nAwakenFail
                                                                     : 0;
    const qint64 nSecondDue = nMode == int(TransferPlan::WakeUpThenSend) ? c.nAwakenOk
                              : nMode == int(TransferPlan::SendThenWakeUp) ? c.nSendOk
                                                                   : 0;
    const Check checks[] = {
        { "tasks = first steps the device saw", c.nTasks, nFirstSteps },
        { "second steps = successful first steps", nSecondSteps, nSecondDue },
        { "wake-ups counted = wake-ups the device saw", c.nAwakenOk + c.nAwakenFail, s.nWakeRequests },
        { "transfers counted = transfers the device saw", c.nSendOk + c.nSendFail, s.nTransfers },
        { "sent ok = payloads received whole", c.nSendOk, s.nImages },
        { "send failures = one in every n started", c.nSendFail, nExpectedFails },
    };
    bool bAllMatch = true;
    for (const Check& k : checks) {
        const bool match = k.page == k.device;
        bAllMatch = bAllMatch && match;
        std::printf("  %-46s %6lld %6lld  %s\n", k.what, static_cast<long long>(k.page),
                    static_cast<long long>(k.device), match ? "ok" : "MISMATCH");
    }
    std::printf("%s\n", bAllMatch ? "counters match what the device saw" : "COUNTERS DO NOT MATCH");
    return bAllMatch ? 0 : 1;
}
