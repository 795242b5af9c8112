#include "mainwindow.h"
#include "startup.h"
#include "stylesheet.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        setApplicationNames(app);
        QCommandLineParser parser;
        addProgramOptions(parser);
        parser.process(app);  // prints and exits
        return 0;
    }

    QApplication app(argc, argv);
    initApplication(app);
    QCommandLineParser parser;
    const QCommandLineOption portOption = addProgramOptions(parser);
    parser.process(app);

    MainWindow window(parser.values(portOption));
    loadStyleSheet(app, ":/qss/style.qss");
    window.show();
    return app.exec();
}
