// telvane-screenshot OUTDIR [--demo] [--port PATH]... [--lang zh|en]
// Builds the real main window in the current working directory (so it reads
// Telvane.ini and cmds.json from there) and saves what each tab shows as
// OUTDIR/telvane-tab<N>.png. With --demo it first plays a short session
// against a simulated DTU, so the pages show traffic.

#include "demo.h"
#include "dtusimulator.h"
#include "language.h"
#include "mainwindow.h"
#include "startup.h"
#include "stylesheet.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

// A picture with gradients, shapes and text: something worth dithering.
QString drawDemoImage(const QString& dir)
{
    QImage img(480, 640, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient sky(0, 0, 0, 640);
    sky.setColorAt(0, QColor(40, 60, 110));
    sky.setColorAt(1, QColor(235, 230, 210));
    p.fillRect(img.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(250, 240, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(340, 150), 70, 70);
    p.setBrush(QColor(30, 40, 40));
    p.drawPolygon(QPolygonF({ QPointF(0, 640), QPointF(0, 420), QPointF(160, 300), QPointF(300, 430),
                              QPointF(480, 340), QPointF(480, 640) }));
    p.setPen(Qt::white);
    p.setFont(QFont("Sans", 40, QFont::Bold));
    p.drawText(QRectF(0, 500, 480, 80), Qt::AlignCenter, "Telvane");
    p.end();
    const QString path = QDir(dir).filePath("demo.png");
    img.save(path);
    return path;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initApplication(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("outdir", "Folder for the PNG files");
    const QCommandLineOption demoOption("demo", "Play a session against a simulated DTU first.");
    const QCommandLineOption portOption("port", "Extra serial port path.", "PATH");
    parser.addOption(demoOption);
    parser.addOption(portOption);
    const QCommandLineOption langOption("lang", "Language of the window: zh or en.", "zh|en", "zh");
    parser.addOption(langOption);
    parser.process(app);
    Language language = Language::Chinese;
    if (!parseLanguage(parser.value(langOption), &language))
        parser.showHelp(2);
    installTranslations(app, language);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QDir out(parser.positionalArguments().first());

    QTemporaryDir scratch;
    QStringList ports = parser.values(portOption);
    std::unique_ptr<DtuSimulator> sim;
    if (parser.isSet(demoOption)) {
        SimConfig config;
        config.cmdFile = "cmds.json";
        config.outDir = scratch.filePath("received");
        sim = std::make_unique<DtuSimulator>(config);
        QString error;
        if (!sim->start(error)) {
            std::fprintf(stderr, "telvane-screenshot: %s\n", qPrintable(error));
            return 1;
        }
        ports.prepend(sim->portPath());
    }

    MainWindow window(ports);
    loadStyleSheet(app, ":/qss/style.qss");
    window.show();
    if (sim) {
        QString error;
        if (!playDemo(window, drawDemoImage(scratch.path()), error)) {
            std::fprintf(stderr, "telvane-screenshot: demo stopped: %s\n", qPrintable(error));
            return 1;
        }
    }

    auto* tabs = window.findChild<QTabWidget*>("tabWidget");
    bool ok = true;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
        ok &= window.grab().save(out.filePath(QString("telvane-tab%1.png").arg(i)));
    }
    return ok ? 0 : 1;
}
