// telvane-screenshot OUT.png [--tab N] [--port PATH]...
// Builds the real main window in the current working directory (so it reads
// Telvane.ini and cmds.json from there), shows it and saves what it draws.

#include "mainwindow.h"
#include "startup.h"
#include "stylesheet.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initApplication(app);

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument("out", "PNG file to write");
    const QCommandLineOption tabOption("tab", "Show tab N first.", "N", "0");
    const QCommandLineOption portOption("port", "Extra serial port path.", "PATH");
    parser.addOption(tabOption);
    parser.addOption(portOption);
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);

    MainWindow window(parser.values(portOption));
    loadStyleSheet(app, ":/qss/style.qss");
    window.show();
    if (auto* tabs = window.findChild<QTabWidget*>("tabWidget"))
        tabs->setCurrentIndex(parser.value(tabOption).toInt());

    int status = 1;
    QTimer::singleShot(300, &app, [&] {
        status = window.grab().save(parser.positionalArguments().first()) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
