#include "mainwindow.h"
#include "startup.h"
#include "stylesheet.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initApplication(app);

    QCommandLineParser parser;
    parser.setApplicationDescription("DTU bench tool: serial terminal, DTU commands and e-paper image transfer.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        "port", "Offer PATH as a serial port after the enumerated ones (repeatable); the first is selected.",
        "PATH");
    parser.addOption(portOption);
    parser.process(app);

    MainWindow window(parser.values(portOption));
    loadStyleSheet(app, ":/qss/style.qss");
    window.show();
    return app.exec();
}
