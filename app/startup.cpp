#include "startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstring>

void setApplicationNames(QCoreApplication& app)
{
    app.setApplicationName("Telvane");
    app.setApplicationVersion(QStringLiteral(TELVANE_VERSION));
    app.setOrganizationName("Telvane");
}

void initApplication(QApplication& app)
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(translations);
    setApplicationNames(app);
    app.setWindowIcon(QIcon(":/telvane.png"));
}

ProgramOptions addProgramOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription("DTU bench tool: serial terminal, DTU commands and e-paper image transfer.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        "port", "Offer PATH as a serial port after the enumerated ones (repeatable); the first is selected.",
        "PATH");
    parser.addOption(portOption);
    const QCommandLineOption langOption(
        "lang", "Language of the window: zh (Chinese, the default) or en (English); kept for the next start.",
        "zh|en");
    parser.addOption(langOption);
    return { portOption, langOption };
}

bool asksForTextOnly(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : { "-h", "--help", "-?", "--help-all", "-v", "--version" }) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}
