// dtusim: a DTU with e-paper displays on the far end of a serial line.
// It creates a pseudo-terminal (or opens --device), prints its path, and
// answers DTU commands, wake-ups and image packets the way the hardware does.

#include "dtusimulator.h"
#include "filelocations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <csignal>
#include <cstdio>

namespace {

bool parseIntList(const QStringList& items, QSet<int>& out)
{
    for (const QString& s : items) {
        bool ok = false;
        out.insert(s.toInt(&ok));
        if (!ok)
            return false;
    }
    return true;
}

// Where Telvane looks (working directory, installed data folders), then the
// source tree for a simulator run from its build directory.
QString defaultCmdFile()
{
    const QString strFound = FileLocations::forCurrentDirectory().findShipped("cmds.json").strPath;
    if (!strFound.isEmpty())
        return strFound;
    return QFile::exists(DTUSIM_SOURCE_CMDS) ? QStringLiteral(DTUSIM_SOURCE_CMDS) : QString();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("dtusim");
    QCoreApplication::setApplicationVersion(QStringLiteral(TELVANE_VERSION));
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });

    QCommandLineParser p;
    p.setApplicationDescription("Simulated DTU with e-paper displays on a pseudo-terminal.");
    p.addHelpOption();
    p.addVersionOption();
    const QCommandLineOption device("device", "Use this serial device instead of a new pseudo-terminal.", "PATH");
    const QCommandLineOption tcp("tcp", "Also serve the device as raw TCP on 127.0.0.1:PORT (0: a free port).", "PORT");
    const QCommandLineOption link("link", "Make PATH a symlink to the pseudo-terminal.", "PATH");
    const QCommandLineOption cmds("cmds", "DTU command file (default: the shipped cmds.json).", "FILE");
    const QCommandLineOption displays("display", "Address of a display (repeatable; default 1674097996).", "ADDR");
    const QCommandLineOption wakeDelay("wake-delay", "Milliseconds before a wake-up answer.", "MS", "150");
    const QCommandLineOption drawDelay("draw-delay", "Milliseconds before the display state report.", "MS", "300");
    const QCommandLineOption rate("rate", "Line rate in bytes per second (115200 bit/s: 11520).", "BPS", "0");
    const QCommandLineOption out("out", "Folder for received images and payloads.", "DIR", "dtusim-out");
    const QCommandLineOption noEcho("no-echo", "Do not send terminal data back.");
    const QCommandLineOption status("status", "Answer packet K with status S (repeatable).", "K=S");
    const QCommandLineOption dropAck("drop-ack", "Lose the acknowledgement of packet K (repeatable).", "K");
    const QCommandLineOption noWake("no-wake", "Never answer a wake-up.");
    const QCommandLineOption wakeResult("wake-result", "Result byte of wake-up answers.", "R", "0");
    const QCommandLineOption displayState("display-state", "State byte reported after drawing.", "S", "-1");
    const QCommandLineOption noise("noise", "Random bytes before every answer frame.", "N", "0");
    const QCommandLineOption split("split", "Write every answer frame in two parts.");
    const QCommandLineOption splitPause("split-pause", "Milliseconds between the two parts.", "MS", "0");
    const QCommandLineOption splitAt("split-at", "Bytes in the first part (0: half the frame).", "N", "0");
    const QCommandLineOption cutAt("cut-at", "Hang up when packet K arrives.", "K", "-1");
    const QCommandLineOption failEvery("fail-every", "Every N-th transfer fails at its last packet.", "N", "0");
    for (const auto& o : { device, tcp, link, cmds, displays, wakeDelay, drawDelay, rate, out, noEcho, status, dropAck,
                           noWake, wakeResult, displayState, noise, split, splitPause, splitAt, cutAt, failEvery })
        p.addOption(o);
    p.process(app);

    SimConfig config;
    config.device = p.value(device);
    config.link = p.value(link);
    if (p.isSet(tcp)) {
        bool ok = false;
        config.tcpPort = p.value(tcp).toInt(&ok);
        if (!ok || config.tcpPort < 0 || config.tcpPort > 65535) {
            std::fprintf(stderr, "dtusim: --tcp wants a port number, got %s\n", qPrintable(p.value(tcp)));
            return 2;
        }
    }
    config.cmdFile = p.isSet(cmds) ? p.value(cmds) : defaultCmdFile();
    if (p.isSet(displays)) {
        config.displays.clear();
        for (const QString& a : p.values(displays)) {
            bool ok = false;
            config.displays.append(a.toUInt(&ok));
            if (!ok) {
                std::fprintf(stderr, "dtusim: bad display address %s\n", qPrintable(a));
                return 2;
            }
        }
    }
    config.wakeDelayMs = p.value(wakeDelay).toInt();
    config.drawDelayMs = p.value(drawDelay).toInt();
    config.lineRate = p.value(rate).toInt();
    config.outDir = p.value(out);
    config.echo = !p.isSet(noEcho);
    for (const QString& kv : p.values(status)) {
        const QStringList parts = kv.split('=');
        bool okK = false, okS = false;
        const int k = parts.value(0).toInt(&okK), s = parts.value(1).toInt(&okS);
        if (parts.size() != 2 || !okK || !okS || s < 0 || s > 255) {
            std::fprintf(stderr, "dtusim: --status wants K=S, got %s\n", qPrintable(kv));
            return 2;
        }
        config.displayFaults.statusAt.insert(k, s);
    }
    if (!parseIntList(p.values(dropAck), config.displayFaults.dropAckAt)) {
        std::fprintf(stderr, "dtusim: --drop-ack wants a packet index\n");
        return 2;
    }
    config.displayFaults.noWakeAnswer = p.isSet(noWake);
    config.displayFaults.wakeResult = p.value(wakeResult).toInt();
    config.displayFaults.displayState = p.value(displayState).toInt();
    config.displayFaults.failEvery = p.value(failEvery).toInt();
    config.lineFaults.noiseBytes = p.value(noise).toInt();
    config.lineFaults.splitFrames = p.isSet(split);
    config.lineFaults.splitPauseMs = p.value(splitPause).toInt();
    config.lineFaults.splitAt = p.value(splitAt).toInt();
    config.lineFaults.cutAtPacket = p.value(cutAt).toInt();

    DtuSimulator sim(config);
    QString error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "dtusim: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&sim, &DtuSimulator::logLine, [](const QString& line) {
        std::fprintf(stderr, "dtusim: %s\n", qPrintable(line));
    });
    QObject::connect(&sim, &DtuSimulator::lineCut, &app, [] {
        std::fprintf(stderr, "dtusim: line cut\n");
        QCoreApplication::exit(0);
    });
    // One port per line: the pty, then the network name if any.
    std::printf("%s\n", qPrintable(sim.portPath()));
    if (!sim.tcpPortName().isEmpty())
        std::printf("%s\n", qPrintable(sim.tcpPortName()));
    std::fflush(stdout);
    std::fprintf(stderr, "dtusim: listening on %s%s%s%s, displays", qPrintable(sim.portPath()),
                 sim.tcpPortName().isEmpty() ? "" : " and ", qPrintable(sim.tcpPortName()),
                 config.cmdFile.isEmpty() ? " (no command file)" : "");
    for (quint32 a : config.displays)
        std::fprintf(stderr, " %u", a);
    std::fprintf(stderr, "\n");
    return app.exec();
}
