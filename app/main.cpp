#include "filelocations.h"
#include "language.h"
#include "mainwindow.h"
#include "startup.h"
#include "stylesheet.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

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
    const ProgramOptions options = addProgramOptions(parser);
    parser.process(app);

    Language language = Language::Chinese;
    QString strError;
    if (!chooseLanguage(parser.value(options.lang), FileLocations::forCurrentDirectory().settingsPath(), &language,
                        &strError)) {
        std::fprintf(stderr, "telvane: %s\n", qUtf8Printable(strError));
        return 2;
    }
    installTranslations(app, language);

    MainWindow window(parser.values(options.port));
    loadStyleSheet(app, ":/qss/style.qss");
    window.show();
    return app.exec();
}
