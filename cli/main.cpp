// telvanectl: Telvane from the command line, for scripts, factory lines and
// CI. No window: the same frames, command file, transfer and repeated test.

#include "cliargs.h"
#include "clioutput.h"
#include "clisettings.h"
#include "exitcodes.h"
#include "runners.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSettings>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("telvanectl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TELVANE_VERSION));
    // The shared code's diagnostic lines are for the window's debug log, not
    // for a script's stderr.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    const CliParse parsed = parseCliArgs(app.arguments().mid(1));
    const CliArgs& args = parsed.args;
    CliOutput out(args.bJson, args.bQuiet);
    if (!parsed.strError.isEmpty())
        return out.fail(cliexit::kUsage, parsed.strError);
    if (args.bHelp) {
        std::fputs(cliHelpText(args.command, args.bHelpAll).toUtf8().constData(), stdout);
        return cliexit::kOk;
    }
    if (args.bVersion) {
        std::printf("telvanectl %s\n", TELVANE_VERSION);
        return cliexit::kOk;
    }

    const std::unique_ptr<QSettings> settings(openWindowSettings());
    const CliContext ctx { args, out, *settings };
    switch (args.command) {
    case CliCommand::Ports: return runPorts(ctx);
    case CliCommand::Query: return runQuery(ctx);
    case CliCommand::Set: return runSet(ctx);
    case CliCommand::Code: return runCode(ctx);
    case CliCommand::Send: return runSend(ctx);
    case CliCommand::Listen: return runListen(ctx);
    case CliCommand::Push: return runPush(ctx);
    case CliCommand::Endurance: return runEndurance(ctx);
    case CliCommand::None: break;
    }
    return out.fail(cliexit::kUsage, QStringLiteral("no command given (try telvanectl --help)"));
}
