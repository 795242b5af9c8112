// Image transfers through the real serial worker to the simulated DTU.
//
// (a) At an emulated 115200 bit/s (11520 bytes/s), instant answers: a
//     240 x 416 container image (run-length coded, plain and compressed)
//     to an addressed display. Compares the page's time from the click on
//     "发送开始" to "本次发送完毕" with the wire time of the bytes exchanged.
// (b) Without a line rate: a raw file making a full 255-packet payload, to
//     address 0 and to an addressed display (with its wake-up).
//
// --via raw or rfc2217 puts a real ser2net between the worker and the pty.
//
//   bench_link [--runs N] [--fast-runs M] [--via local|raw|rfc2217] [--ser2net-option LINE]
#include "benchapp.h"
#include "pagerun.h"
#include "photo.h"

#include <QCommandLineParser>
#include <QDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr quint32 kDisplay = kBenchDisplay;
constexpr int kRate = 11520;

bool benchLineRate(const QString& photo, int nRuns)
{
    std::printf("(a) 240 x 416 container image to display %u at %d B/s, instant answers, %d runs\n", kDisplay, kRate,
                nRuns);
    const char* const names[] = { "行程编码, 不压缩", "行程编码, 7z" };
    bool ok = true;
    for (int nCompress = 0; nCompress < 2; ++nCompress) {
        std::vector<double> click, line, effAll, effIn, effLine;
        Run last;
        for (int i = 0; i < nRuns; ++i) {
            last = transfer({ photo, true, nCompress, kDisplay, kRate });
            if (!last.ok) {
                std::printf("  %s: run %d failed\n", names[nCompress], i + 1);
                ok = false;
                break;
            }
            const double wireAll = double(last.counts.nBytesIn + last.counts.nBytesOut) * 1000.0 / kRate;
            const double wireIn = double(last.counts.nBytesIn) * 1000.0 / kRate;
            click.push_back(last.clickMs);
            line.push_back(last.lineMs);
            effAll.push_back(wireAll / last.clickMs);
            effIn.push_back(wireIn / last.clickMs);
            effLine.push_back(wireAll / last.lineMs);
        }
        if (click.size() != size_t(nRuns))
            continue;
        const double wireAll = double(last.counts.nBytesIn + last.counts.nBytesOut) * 1000.0 / kRate;
        const double wireIn = double(last.counts.nBytesIn) * 1000.0 / kRate;
        std::printf("  %s: payload %d B, %d packets; bytes host->device %lld, device->host %lld (to the last acknowledgement)\n", names[nCompress],
                    last.nPayload, last.counts.nPackets, static_cast<long long>(last.counts.nBytesIn),
                    static_cast<long long>(last.counts.nBytesOut));
        std::printf("    wire time: both directions %.1f ms, host->device %.1f ms\n", wireAll, wireIn);
        std::printf("    click -> done: median %.1f ms (min %.1f, max %.1f); first frame -> done: median %.1f ms\n",
                    median(click), *std::min_element(click.begin(), click.end()),
                    *std::max_element(click.begin(), click.end()), median(line));
        std::printf("    link efficiency (median): both directions %.1f %%, host->device %.1f %%; "
                    "from the first frame, both directions %.1f %%\n",
                    100 * median(effAll), 100 * median(effIn), 100 * median(effLine));
        std::printf("    time beyond the wire time: %.2f ms a packet\n",
                    (median(line) - wireAll) / std::max(1, last.counts.nPackets));
    }
    return ok;
}

bool benchFullPayload(const QString& file, int nRuns)
{
    std::printf("(b) 255-packet raw payload, no line rate, %d runs each\n", nRuns);
    bool ok = true;
    for (quint32 addr : { 0u, kDisplay }) {
        std::vector<double> click, line;
        Run last;
        for (int i = 0; i < nRuns; ++i) {
            last = transfer({ file, false, 0, addr, 0 });
            if (!last.ok || last.counts.nPackets != 255) {
                std::printf("  address %u: run %d failed (%d packets)\n", addr, i + 1, last.counts.nPackets);
                ok = false;
                break;
            }
            click.push_back(last.clickMs);
            line.push_back(last.lineMs);
        }
        if (click.size() != size_t(nRuns))
            continue;
        std::printf("  address %u%s: payload %d B; click -> done median %.1f ms, best %.1f ms; "
                    "first frame -> done median %.1f ms, best %.1f ms\n",
                    addr, addr ? " (with wake-up)" : "", last.nPayload, median(click),
                    *std::min_element(click.begin(), click.end()), median(line),
                    *std::min_element(line.begin(), line.end()));
        std::sort(click.begin(), click.end());
        std::printf("    all runs, click -> done (ms):");
        for (double ms : click)
            std::printf(" %.0f", ms);
        std::printf("\n");
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchApp app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption runs("runs", "Runs of each line-rate transfer.", "N", "5");
    const QCommandLineOption fastRuns("fast-runs", "Runs of each 255-packet transfer.", "M", "20");
    const QCommandLineOption via("via", "local (the pty), raw or rfc2217 (through ser2net).", "HOW", "local");
    const QCommandLineOption serverOption("ser2net-option", "A line for ser2net's connection options, "
                                          "e.g. \"chardelay: false\" (repeatable).", "LINE");
    cli.addOptions({ runs, fastRuns, via, serverOption });
    cli.process(app);
    const QString strVia = cli.value(via);
    if (strVia != "local" && strVia != "raw" && strVia != "rfc2217")
        cli.showHelp(2);
    setBenchRoute(strVia == "raw" ? LinkRig::Via::Raw : strVia == "rfc2217" ? LinkRig::Via::Rfc2217 : LinkRig::Via::Local,
                  cli.values(serverOption));
    std::printf("worker -> %s\n", strVia == "local" ? "pty"
                                                     : qPrintable("ser2net (" + strVia + ") -> pty; options: "
                                                                  + cli.values(serverOption).join(", ")));

    const QDir dir = app.workDir();
    const QString photo = dir.filePath("photo.png");
    makePhoto(240, 416).save(photo);
    const QString full = writeFullPayloadFile(dir);
    if (full.isEmpty())
        return 1;

    const bool a = benchLineRate(photo, qMax(1, cli.value(runs).toInt()));
    const bool b = benchFullPayload(full, qMax(1, cli.value(fastRuns).toInt()));
    return a && b ? 0 : 1;
}
