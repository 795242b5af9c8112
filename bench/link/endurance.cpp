// The repeated test page in mode "先唤醒再发送" against the simulated DTU for
// a number of minutes, with a display that fails every n-th transfer at its
// last packet. Prints the page's counters at the end and checks them against
// what the device saw; exits non-zero when they disagree.
//
//   endurance MINUTES [--interval S] [--rate BYTES_PER_S] [--fail-every N]
#include "linkrig.h"
#include "photo.h"
#include "transtest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr quint32 kDisplay = 1674097996u;

struct Check
{
    const char* what;
    qint64 page;
    qint64 device;
};

void printProgress(qint64 nMs, const TransTest::Counters& c, const SimCounts& s)
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The pages trace every answer at debug level.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QCommandLineParser cli;
    cli.setApplicationDescription("Repeated wake-up and transfer against the simulated DTU.");
    cli.addHelpOption();
    cli.addPositionalArgument("minutes", "How long to run.");
    const QCommandLineOption interval("interval", "Task interval in seconds.", "S", "5");
    const QCommandLineOption rate("rate", "Line rate to emulate in bytes/s; 0: none.", "B", "11520");
    const QCommandLineOption failEvery("fail-every", "The display fails every N-th transfer.", "N", "5");
    cli.addOptions({ interval, rate, failEvery });
    cli.process(app);
    bool ok = false;
    const double minutes = cli.positionalArguments().value(0).toDouble(&ok);
    if (!ok || minutes <= 0)
        cli.showHelp(2);
    const int nFailEvery = cli.value(failEvery).toInt();

    // The page keeps a copy of each payload in the working directory.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
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
    rig.attach(&page);
    page.setMessageHook([](QMessageBox::Icon, const QString&, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    page.setFileChooser([&](QWidget*, const QString&) { return photo; });
    page.findChild<QPushButton*>("pbFileImport")->click();
    page.findChild<QCheckBox*>("chkRle")->setChecked(true);
    page.findChild<QComboBox*>("cmbCompress")->setCurrentIndex(1);
    page.findChild<QComboBox*>("cmbRun")->setCurrentIndex(TransTest::AwakenThenSend);
    page.findChild<QLineEdit*>("editDstAddr")->setText(QString::number(kDisplay));
    page.findChild<QLineEdit*>("editKeepTime")->setText("1000");
    page.findChild<QLineEdit*>("editFileInterval")->setText(cli.value(interval));

    std::printf("mode 2 for %.1f min: interval %s s, line rate %d B/s, display fails every %d-th transfer\n", minutes,
                qPrintable(cli.value(interval)), config.lineRate, nFailEvery);
    QElapsedTimer clock;
    clock.start();
    page.findChild<QPushButton*>("pbRun")->click();
    const qint64 nRunMs = qint64(minutes * 60000);
    while (clock.elapsed() < nRunMs) {
        waitFor([] { return false; }, int(qMin<qint64>(60000, nRunMs - clock.elapsed())));
        printProgress(clock.elapsed(), page.counters(), rig.counts());
    }
    // Let the running task end so every count is final, then stop (which
    // clears the counters, so read them first).
    if (!waitFor([&] { return !page.isSending(); }, 120000))
        std::printf("the last task did not end within 2 minutes\n");
    const TransTest::Counters c = page.counters();
    const SimCounts s = rig.counts();
    page.findChild<QPushButton*>("pbStop")->click();

    std::printf("\nfinal after %.1f s:\n", double(clock.elapsed()) / 1000.0);
    std::printf("  m_nTaskCount %u\n  m_nAwakenOk %u\n  m_nAwakenFail %u\n  m_nSendOk %u\n  m_nSendFail %u\n",
                c.nTasks, c.nAwakenOk, c.nAwakenFail, c.nSendOk, c.nSendFail);
    std::printf("  device: wake-up requests %d, transfers started %d, payloads received whole %d, packets %d\n",
                s.nWakeRequests, s.nTransfers, s.nImages, s.nPackets);

    const int nExpectedFails = nFailEvery > 0 ? s.nTransfers / nFailEvery : 0;
    const Check checks[] = {
        { "tasks = wake-up requests", c.nTasks, s.nWakeRequests },
        { "wake-ups ok + failed = tasks", c.nAwakenOk + c.nAwakenFail, c.nTasks },
        { "transfers = answered wake-ups", c.nSendOk + c.nSendFail, c.nAwakenOk },
        { "transfers = transfers the device saw", c.nSendOk + c.nSendFail, s.nTransfers },
        { "sent ok = payloads received whole", c.nSendOk, s.nImages },
        { "send failures = one in every n started", c.nSendFail, nExpectedFails },
    };
    bool bAllMatch = true;
    for (const Check& k : checks) {
        const bool match = k.page == k.device;
        bAllMatch = bAllMatch && match;
        std::printf("  %-40s %6lld %6lld  %s\n", k.what, static_cast<long long>(k.page),
                    static_cast<long long>(k.device), match ? "ok" : "MISMATCH");
    }
    std::printf("%s\n", bAllMatch ? "counters match what the device saw" : "COUNTERS DO NOT MATCH");
    return bAllMatch ? 0 : 1;
}
