// Median time to load a 500-command definition file and build its pages.
// Run: QT_QPA_PLATFORM=offscreen bench_cmdload [commands] [runs]

#include "cfgdtu.h"
#include "cmdfile.h"
#include "tabwidgetcfgdtu.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <time.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

QByteArray generatedFile(int nCommands)
{
    static const char* const kParams[] = {
        R"({"name":"信道号","type":"uint8_t","num":1,"show":"十进制正整数","comment":"0 到 31"})",
        R"({"name":"输出功率","type":"uint16_t","num":1,"show":"十进制数"})",
        R"({"name":"本机地址","type":"uint32_t","num":1,"show":"十六进制数","comment":"十六进制"})",
        R"({"name":"晶振偏差","type":"double","num":1,"show":"浮点数"})",
        R"({"name":"透传模式","type":"bool","num":3,"show":"是/否"})",
        R"({"name":"设备名称","type":"string","num":20,"show":"字符串","comment":"UTF-8"})",
    };
    QByteArray json = R"({"mode":"list","cmd":[)";
    for (int i = 0; i < nCommands; ++i) {
        json += i ? "," : "";
        json += "{\"name\":\"命令" + QByteArray::number(i) + "\",\"show\":" + (i % 50 == 49 ? "false" : "true")
                + ",\"param\":[";
        const int nParams = 2 + i % 5;
        QByteArray indices;
        for (int p = 0; p < nParams; ++p) {
            json += (p ? "," : "") + QByteArray(kParams[(i + p) % 6]);
            indices += (p ? "," : "") + QByteArray::number(p);
        }
        const int nCtl = (2 * i) % 250 + 2;
        json += "],\"query\":{\"ctl2\":" + QByteArray::number(nCtl) + ",\"res\":[" + indices + "]}";
        json += ",\"setting\":{\"ctl2\":" + QByteArray::number(nCtl + 1) + ",\"req\":[" + indices + "],\"res\":["
                + indices + "]}}";
    }
    return json + "]}";
}

// Wall time and the thread's own CPU time (where the platform offers it);
// the latter is what a busy machine cannot inflate.
double threadCpuMs()
{
#ifdef CLOCK_THREAD_CPUTIME_ID
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
#else
    return 0.0;
#endif
}

struct Span
{
    QElapsedTimer wall;
    double dCpuStart = 0.0;
    void start()
    {
        wall.start();
        dCpuStart = threadCpuMs();
    }
    std::pair<double, double> elapsedMs() const
    {
        return {double(wall.nsecsElapsed()) / 1e6, threadCpuMs() - dCpuStart};
    }
};

// run() measures itself, so set-up and tear-down stay outside. Returns the
// medians of wall and CPU time.
std::pair<double, double> medianMs(int nRuns, const std::function<std::pair<double, double>()>& run)
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int i = 0; i < nRuns; ++i) {
        const auto times = run();
        walls.push_back(times.first);
        cpus.push_back(times.second);
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

QString format(const std::pair<double, double>& times)
{
    return QStringLiteral("median %1 ms wall, %2 ms CPU")
        .arg(times.first, 0, 'f', 2)
        .arg(times.second, 0, 'f', 2);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int nCommands = args.size() > 1 ? args.at(1).toInt() : 500;
    const int nRuns = args.size() > 2 ? args.at(2).toInt() : 15;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cmds.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(generatedFile(nCommands)) < 0)
        return 1;
    file.close();

    int nResult = 0;
    const auto parse = medianMs(nRuns, [&] {
        Span span;
        span.start();
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        nResult |= parseCmdDefinitions(in.readAll()).nResult;
        return span.elapsedMs();
    });
    const auto pages = medianMs(nRuns, [&] {
        auto* page = new CfgDtu;
        Span span;
        span.start();
        nResult |= page->loadCommands(path);
        const auto elapsed = span.elapsedMs();
        // Let the event loop settle the new widgets before they go.
        QCoreApplication::processEvents();
        delete page;
        QCoreApplication::processEvents();
        return elapsed;
    });

    // For comparison: every page's table built at once instead of on demand.
    const auto allTables = medianMs(qMax(1, nRuns / 3), [&] {
        auto* page = new CfgDtu;
        Span span;
        span.start();
        nResult |= page->loadCommands(path);
        auto* tabs = page->findChild<TabWidgetCfgDtu*>();
        for (int i = 0; i < tabs->count(); ++i)
            tabs->table(i);
        const auto elapsed = span.elapsedMs();
        QCoreApplication::processEvents();
        delete page;
        QCoreApplication::processEvents();
        return elapsed;
    });

    QTextStream out(stdout);
    out << "commands " << nCommands << ", runs " << nRuns << ", file " << QFileInfo(path).size() << " bytes\n"
        << "parse only (records):           " << format(parse) << "\n"
        << "load and build pages (CfgDtu):  " << format(pages) << "\n"
        << "same, all tables built at once: " << format(allTables) << "\n";
    return nResult == 0 ? 0 : 2;
}
