#include "cliargs.h"

#include <QSerialPort>

#include <cmath>

namespace {

constexpr unsigned bit(CliCommand c)
{
    return 1u << unsigned(c);
}
constexpr unsigned kGlobal = ~0u;
constexpr unsigned kImageCommands = bit(CliCommand::Push) | bit(CliCommand::Endurance);

struct OptionDef
{
    const char* name;
    bool bValue;
    unsigned nCommands;  // where the option may be given
};

const OptionDef kOptions[] = {
    { "port", true, kGlobal },
    { "baud", true, kGlobal },
    { "data-bits", true, kGlobal },
    { "parity", true, kGlobal },
    { "stop-bits", true, kGlobal },
    { "flow", true, kGlobal },
    { "cmds", true, kGlobal },
    { "timeout", true, kGlobal },
    { "json", false, kGlobal },
    { "quiet", false, kGlobal },
    { "help", false, kGlobal },
    { "help-all", false, kGlobal },
    { "version", false, kGlobal },
    { "all", false, bit(CliCommand::Query) },
    { "hex", false, bit(CliCommand::Send) | bit(CliCommand::Listen) },
    { "text", false, bit(CliCommand::Send) | bit(CliCommand::Listen) },
    { "crlf", false, bit(CliCommand::Send) },
    { "ctl", true, bit(CliCommand::Send) },
    { "terminal-id", true, bit(CliCommand::Send) },
    { "timestamps", false, bit(CliCommand::Listen) },
    { "frames", false, bit(CliCommand::Listen) },
    { "duration", true, bit(CliCommand::Listen) | bit(CliCommand::Endurance) },
    { "addr", true, kImageCommands },
    { "addr-file", true, bit(CliCommand::Push) },
    { "keep", true, kImageCommands },
    { "container", false, kImageCommands },
    { "compress", true, kImageCommands },
    { "mode", true, bit(CliCommand::Endurance) },
    { "interval", true, bit(CliCommand::Endurance) },
    { "count", true, bit(CliCommand::Endurance) },
    { "csv", true, bit(CliCommand::Endurance) },
};

struct CommandDef
{
    CliCommand command;
    const char* name;
    const char* summary;
    const char* usage;
    const char* help;
};

const CommandDef kCommands[] = {
    { CliCommand::Ports, "ports", "list the serial ports", "ports",
      "List the serial ports: system name, friendly name (as the window names it),\n"
      "description and whether the port is busy. A --port path the system does not\n"
      "list is shown too.\n" },
    { CliCommand::Query, "query", "read parameters of the commands in the command file", "query NAME [FIELD=VALUE...]... | --all",
      "Read the parameters of one or more commands of the command file and print\n"
      "one line per value: NAME.FIELD = VALUE. NAME is the command's name or its\n"
      "0-based position in the file; FIELD=VALUE pairs after a NAME fill the fields\n"
      "its query request carries. --all reads every command that has a query\n"
      "needing no request values.\n" },
    { CliCommand::Set, "set", "write parameters, print the answer", "set NAME FIELD=VALUE...",
      "Write parameters of a command and print the device's answer. FIELD is a\n"
      "parameter's name or 0-based position. Fields of the request that are not\n"
      "given are read from the device first when the command can be queried.\n" },
    { CliCommand::Code, "code", "print a request frame, send nothing", "code query NAME [FIELD=VALUE...] | code set NAME FIELD=VALUE...",
      "Print the frame of a query or setting request in hexadecimal; nothing is\n"
      "sent and no port is opened.\n" },
    { CliCommand::Send, "send", "send raw or framed data", "send [--hex | --text [--crlf]] [--ctl C | --terminal-id N] DATA",
      "Send DATA, typed as hexadecimal (default) or as text, either raw or framed\n"
      "as the terminal page frames it: --ctl C (one or two hex digits) wraps it in\n"
      "a frame with that control code (DATA may then be empty), --terminal-id N in\n"
      "a terminal ID frame. Prints the bytes written, in hexadecimal.\n"
      "  --crlf          append CR LF to text\n" },
    { CliCommand::Listen, "listen", "print what arrives", "listen [--hex | --text] [--timestamps] [--duration S] [--frames]",
      "Print what arrives until --duration seconds have passed or the program is\n"
      "interrupted: one line per received chunk in hexadecimal (default), the raw\n"
      "bytes with --text, or one checked DTU frame per line with --frames.\n" },
    { CliCommand::Push, "push", "send an image to a display",
      "push IMAGE (--addr A | --addr-file FILE) [--keep MS] [--container] [--compress none|7z]",
      "Send an image to the display at address A (0: no wake-up, any display)\n"
      "exactly as the 发送图片 page does: wake-up for MS milliseconds (default 800),\n"
      "then 1024-byte packets. --container sends the display bitmap instead of the\n"
      "file's bytes; --compress chooses the compression (default 7z). Progress goes\n"
      "to stderr; the outcome and the display's report to stdout. Succeeds only\n"
      "when the display reports that it has drawn the image.\n"
      "--addr-file FILE pushes the image to every address in FILE in turn, as the\n"
      "page's 批量发送 does (a text or CSV file, one address a line, a heading line\n"
      "and lines starting with # skipped), and prints one line (or JSON object) per\n"
      "address: result, wake-up, packets, total time, the display's report and the\n"
      "error. Succeeds only when every transfer completed.\n" },
    { CliCommand::Endurance, "endurance", "repeat wake-ups and transfers",
      "endurance IMAGE --addr A --mode M --interval S (--count N | --duration S) [--csv FILE]",
      "Repeat the tasks of the 发送测试 page every S seconds: M is wake (0), send (1),\n"
      "wake-send (2) or send-wake (3). Prints one line per task and the counters;\n"
      "--csv writes the same rows with a header line. --keep MS (default 1000),\n"
      "--container and --compress as for push. Ends after N tasks or S seconds (the\n"
      "task under way is finished) or on SIGINT; fails when any step failed.\n" },
};

const char kGlobalHelp[] =
    "Global options:\n"
    "  --port PATH          serial port (default: the port the window used last)\n"
    "  --baud N             baud rate (default: the window's, else 115200)\n"
    "  --data-bits N        5, 6, 7 or 8 (default 8)\n"
    "  --parity P           none, even, odd, space or mark (default none)\n"
    "  --stop-bits S        1, 1.5 or 2 (default 1)\n"
    "  --flow F             none, hardware or software (default none)\n"
    "  --cmds FILE          command file (default: as the window finds it)\n"
    "  --timeout MS         wait this long for an answer (default 3000; push waits\n"
    "                       30000 for the display's report)\n"
    "  --json               one JSON object per line on stdout, a result last\n"
    "  --quiet              no progress output\n"
    "  --help               this help, or a command's with COMMAND --help\n"
    "  --help-all           this help followed by every command's\n"
    "  --version            the version\n";

const char kExitHelp[] =
    "Exit status:\n"
    "  0  success\n"
    "  1  the device answered with a failure\n"
    "  2  usage or input error\n"
    "  3  port error: cannot be opened, or lost while running\n"
    "  4  time-out: no answer where one was due\n";

const OptionDef* findOption(const QString& name)
{
    for (const OptionDef& o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

const CommandDef* findCommand(CliCommand command)
{
    for (const CommandDef& c : kCommands)
        if (c.command == command)
            return &c;
    return nullptr;
}

CliCommand commandByName(const QString& name)
{
    for (const CommandDef& c : kCommands)
        if (name == QLatin1String(c.name))
            return c.command;
    return CliCommand::None;
}

// Reads option values and reports the first bad one.
class ValueReader
{
public:
    QString strError;

    bool fail(const QString& option, const QString& value, const char* accepts)
    {
        if (strError.isEmpty())
            strError = QStringLiteral("--%1: \"%2\" is not %3").arg(option, value, QLatin1String(accepts));
        return false;
    }

    std::optional<quint32> u32(const QString& option, const QString& value, quint32 nMin = 0)
    {
        bool ok = false;
        const quint32 n = value.toUInt(&ok, 10);
        if (!ok || n < nMin) {
            fail(option, value, nMin > 0 ? "a positive whole number" : "a whole number from 0 to 4294967295");
            return std::nullopt;
        }
        return n;
    }

    std::optional<double> seconds(const QString& option, const QString& value)
    {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d) || d <= 0 || d > 1e7) {
            fail(option, value, "a positive number of seconds");
            return std::nullopt;
        }
        return d;
    }

    // value must be one of names; returns the matching code.
    std::optional<int> choice(const QString& option, const QString& value,
                              std::initializer_list<QPair<const char*, int>> names, const char* accepts)
    {
        for (const auto& n : names)
            if (value == QLatin1String(n.first))
                return n.second;
        fail(option, value, accepts);
        return std::nullopt;
    }
};

bool isHexCtl(const QString& s)
{
    if (s.isEmpty() || s.size() > 2)
        return false;
    for (const QChar c : s)
        if (!isxdigit(c.toLatin1()))
            return false;
    return true;
}

bool splitAssignment(const QString& token, Assignment& out)
{
    const int eq = token.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    out = { token.left(eq), token.mid(eq + 1) };
    return true;
}

// NAME [FIELD=VALUE...] groups; false when a group starts with a pair.
bool readCmdRefs(const QStringList& pos, QList<CmdRef>& out, QString& error)
{
    for (const QString& token : pos) {
        Assignment a;
        if (splitAssignment(token, a)) {
            if (out.isEmpty()) {
                error = QStringLiteral("%1: a command NAME must come first").arg(token);
                return false;
            }
            out.last().values.append(a);
        } else {
            out.append(CmdRef { token, {} });
        }
    }
    return true;
}

void applyOption(CliArgs& a, const QString& name, const QString& value, ValueReader& r)
{
    if (name == QLatin1String("port")) {
        a.port.strPort = value;
    } else if (name == QLatin1String("baud")) {
        if (auto n = r.u32(name, value, 1); n && *n <= quint32(INT_MAX))
            a.port.nBaud = int(*n);
        else
            r.fail(name, value, "a positive whole number");
    } else if (name == QLatin1String("data-bits")) {
        a.port.nDataBits = r.choice(name, value,
                                    { { "5", QSerialPort::Data5 }, { "6", QSerialPort::Data6 },
                                      { "7", QSerialPort::Data7 }, { "8", QSerialPort::Data8 } },
                                    "5, 6, 7 or 8");
    } else if (name == QLatin1String("parity")) {
        a.port.nParity = r.choice(name, value,
                                  { { "none", QSerialPort::NoParity }, { "even", QSerialPort::EvenParity },
                                    { "odd", QSerialPort::OddParity }, { "space", QSerialPort::SpaceParity },
                                    { "mark", QSerialPort::MarkParity } },
                                  "none, even, odd, space or mark");
    } else if (name == QLatin1String("stop-bits")) {
        a.port.nStopBits = r.choice(name, value,
                                    { { "1", QSerialPort::OneStop }, { "1.5", QSerialPort::OneAndHalfStop },
                                      { "2", QSerialPort::TwoStop } },
                                    "1, 1.5 or 2");
    } else if (name == QLatin1String("flow")) {
        a.port.nFlow = r.choice(name, value,
                                { { "none", QSerialPort::NoFlowControl },
                                  { "hardware", QSerialPort::HardwareControl },
                                  { "software", QSerialPort::SoftwareControl } },
                                "none, hardware or software");
    } else if (name == QLatin1String("cmds")) {
        a.strCmdFile = value;
    } else if (name == QLatin1String("timeout")) {
        if (auto n = r.u32(name, value, 1); n && *n <= quint32(INT_MAX))
            a.nTimeoutMs = int(*n);
        else
            r.fail(name, value, "a positive number of milliseconds");
    } else if (name == QLatin1String("json")) {
        a.bJson = true;
    } else if (name == QLatin1String("quiet")) {
        a.bQuiet = true;
    } else if (name == QLatin1String("help")) {
        a.bHelp = true;
    } else if (name == QLatin1String("help-all")) {
        a.bHelp = a.bHelpAll = true;
    } else if (name == QLatin1String("version")) {
        a.bVersion = true;
    } else if (name == QLatin1String("all")) {
        a.bAll = true;
    } else if (name == QLatin1String("crlf")) {
        a.bCrlf = true;
    } else if (name == QLatin1String("ctl")) {
        if (isHexCtl(value))
            a.strCtl = value;
        else
            r.fail(name, value, "one or two hexadecimal digits");
    } else if (name == QLatin1String("terminal-id")) {
        a.nTerminalId = r.u32(name, value);
    } else if (name == QLatin1String("timestamps")) {
        a.bTimestamps = true;
    } else if (name == QLatin1String("frames")) {
        a.bFrames = true;
    } else if (name == QLatin1String("duration")) {
        a.dDurationS = r.seconds(name, value);
    } else if (name == QLatin1String("addr")) {
        a.nAddr = r.u32(name, value);
    } else if (name == QLatin1String("addr-file")) {
        a.strAddrFile = value;
    } else if (name == QLatin1String("keep")) {
        if (auto n = r.u32(name, value); n && *n <= quint32(INT_MAX))
            a.nKeepMs = *n;
        else
            r.fail(name, value, "a number of milliseconds from 0 to 2147483647");
    } else if (name == QLatin1String("container")) {
        a.bContainer = true;
    } else if (name == QLatin1String("compress")) {
        a.nCompress = r.choice(name, value, { { "none", 0 }, { "7z", 1 } }, "none or 7z").value_or(1);
    } else if (name == QLatin1String("mode")) {
        a.nRunMode = r.choice(name, value,
                              { { "0", runmode::kWake }, { "wake", runmode::kWake },
                                { "1", runmode::kSend }, { "send", runmode::kSend },
                                { "2", runmode::kWakeThenSend }, { "wake-send", runmode::kWakeThenSend },
                                { "3", runmode::kSendThenWake }, { "send-wake", runmode::kSendThenWake } },
                              "wake, send, wake-send, send-wake or 0 to 3")
                         .value_or(-1);
    } else if (name == QLatin1String("interval")) {
        if (auto n = r.u32(name, value, 1); n && *n <= quint32(INT_MAX / 1000))
            a.nIntervalS = int(*n);
        else
            r.fail(name, value, "a positive whole number of seconds");
    } else if (name == QLatin1String("count")) {
        a.nCount = r.u32(name, value, 1);
    } else if (name == QLatin1String("csv")) {
        a.strCsv = value;
    }
}

// Positional arguments and option combinations of each command.
QString checkCommand(CliArgs& a, QStringList pos, const QStringList& given)
{
    const auto has = [&](const char* o) { return given.contains(QLatin1String(o)); };
    const auto usage = [&](const QString& why) {
        return QStringLiteral("%1 (usage: telvanectl %2)").arg(why, QLatin1String(findCommand(a.command)->usage));
    };
    switch (a.command) {
    case CliCommand::None:
        return QStringLiteral("no command given (try telvanectl --help)");
    case CliCommand::Ports:
        return pos.isEmpty() ? QString() : usage(QStringLiteral("unexpected argument %1").arg(pos.first()));
    case CliCommand::Query: {
        QString error;
        if (!readCmdRefs(pos, a.cmds, error))
            return usage(error);
        if (a.bAll == !a.cmds.isEmpty())
            return usage(QStringLiteral("give command names or --all"));
        return {};
    }
    case CliCommand::Code:
        if (pos.isEmpty() || (pos.first() != QLatin1String("query") && pos.first() != QLatin1String("set")))
            return usage(QStringLiteral("code wants query or set"));
        a.nCodeKind = pos.takeFirst() == QLatin1String("set") ? 1 : 0;
        Q_FALLTHROUGH();
    case CliCommand::Set: {
        QString error;
        if (!readCmdRefs(pos, a.cmds, error))
            return usage(error);
        if (a.cmds.size() != 1)
            return usage(QStringLiteral("give exactly one command NAME"));
        const bool bSet = a.command == CliCommand::Set || a.nCodeKind == 1;
        if (bSet && a.cmds.first().values.isEmpty())
            return usage(QStringLiteral("give at least one FIELD=VALUE"));
        return {};
    }
    case CliCommand::Send:
        if (has("hex") && has("text"))
            return usage(QStringLiteral("--hex and --text exclude each other"));
        if (a.bCrlf && !a.bText)
            return usage(QStringLiteral("--crlf needs --text"));
        if (!a.strCtl.isEmpty() && a.nTerminalId)
            return usage(QStringLiteral("--ctl and --terminal-id exclude each other"));
        if (pos.size() > 1)
            return usage(QStringLiteral("give DATA as one argument (quote it)"));
        if (pos.isEmpty() && a.strCtl.isEmpty())
            return usage(QStringLiteral("no DATA to send"));
        a.strData = pos.value(0);
        return {};
    case CliCommand::Listen:
        if (has("hex") && has("text"))
            return usage(QStringLiteral("--hex and --text exclude each other"));
        if (a.bFrames && a.bText)
            return usage(QStringLiteral("--frames are shown in hexadecimal"));
        return pos.isEmpty() ? QString() : usage(QStringLiteral("unexpected argument %1").arg(pos.first()));
    case CliCommand::Push:
    case CliCommand::Endurance:
        if (pos.size() != 1)
            return usage(QStringLiteral("give exactly one IMAGE"));
        a.strImage = pos.first();
        if (a.command == CliCommand::Push)
            return bool(a.nAddr) == !a.strAddrFile.isEmpty() ? usage(QStringLiteral("give either --addr or --addr-file"))
                                                              : QString();
        if (!a.nAddr)
            return usage(QStringLiteral("--addr is required"));
        if (a.nRunMode < 0)
            return usage(QStringLiteral("--mode is required"));
        if (a.nIntervalS <= 0)
            return usage(QStringLiteral("--interval is required"));
        if (bool(a.nCount) == bool(a.dDurationS))
            return usage(QStringLiteral("give either --count or --duration"));
        return {};
    }
    return {};
}

}  // namespace

QString cliCommandName(CliCommand command)
{
    const CommandDef* def = findCommand(command);
    return def ? QLatin1String(def->name) : QString();
}

CliParse parseCliArgs(const QStringList& arguments)
{
    CliParse result;
    CliArgs& a = result.args;
    struct Given
    {
        QString name;
        QString value;
        bool bBeforeCommand;
    };
    QList<Given> options;
    QStringList pos;
    bool bEndOfOptions = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& token = arguments.at(i);
        if (bEndOfOptions || !token.startsWith(QLatin1Char('-')) || token == QLatin1String("-")) {
            pos.append(token);
            continue;
        }
        if (token == QLatin1String("--")) {
            bEndOfOptions = true;
            continue;
        }
        if (token == QLatin1String("-h")) {
            options.append({ QStringLiteral("help"), QString(), pos.isEmpty() });
            continue;
        }
        if (!token.startsWith(QLatin1String("--"))) {
            result.strError = QStringLiteral("unknown option %1").arg(token);
            return result;
        }
        const int eq = token.indexOf(QLatin1Char('='));
        const QString name = token.mid(2, eq < 0 ? -1 : eq - 2);
        const OptionDef* def = findOption(name);
        if (!def) {
            result.strError = QStringLiteral("unknown option --%1").arg(name);
            return result;
        }
        QString value;
        if (def->bValue) {
            if (eq >= 0) {
                value = token.mid(eq + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                result.strError = QStringLiteral("--%1 needs a value").arg(name);
                return result;
            }
        } else if (eq >= 0) {
            result.strError = QStringLiteral("--%1 takes no value").arg(name);
            return result;
        }
        options.append({ name, value, pos.isEmpty() });
    }

    if (!pos.isEmpty())
        a.command = commandByName(pos.first());
    if (!pos.isEmpty() && a.command == CliCommand::None) {
        result.strError = QStringLiteral("unknown command %1 (try telvanectl --help)").arg(pos.first());
        return result;
    }
    if (!pos.isEmpty())
        pos.removeFirst();

    ValueReader reader;
    QStringList given;
    for (const Given& o : options) {
        const OptionDef* def = findOption(o.name);
        if (def->nCommands != kGlobal && (o.bBeforeCommand || !(def->nCommands & bit(a.command)))) {
            result.strError = o.bBeforeCommand
                                  ? QStringLiteral("--%1 belongs after a command").arg(o.name)
                                  : QStringLiteral("%1 has no option --%2").arg(cliCommandName(a.command), o.name);
            return result;
        }
        given.append(o.name);
        if (o.name == QLatin1String("text"))
            a.bText = true;
        else if (o.name == QLatin1String("hex"))
            a.bText = false;
        else
            applyOption(a, o.name, o.value, reader);
    }
    if (!reader.strError.isEmpty()) {
        result.strError = reader.strError;
        return result;
    }
    if (a.bHelp || a.bVersion)
        return result;
    result.strError = checkCommand(a, pos, given);
    return result;
}

QString cliHelpText(CliCommand command, bool bAll)
{
    const CommandDef* def = findCommand(command);
    if (def)
        return QStringLiteral("Usage: telvanectl [global options] %1\n\n%2\n%3\n%4")
            .arg(QLatin1String(def->usage), QString::fromUtf8(def->help), QLatin1String(kGlobalHelp),
                 QLatin1String(kExitHelp));

    QString commands;
    QString details;
    for (const CommandDef& c : kCommands) {
        commands += QStringLiteral("  %1%2\n").arg(QLatin1String(c.name), -12).arg(QLatin1String(c.summary));
        details += QStringLiteral("\nCommand %1:\ntelvanectl %2\n\n%3")
                       .arg(QLatin1String(c.name), QLatin1String(c.usage), QString::fromUtf8(c.help));
    }
    return QStringLiteral(
               "Usage: telvanectl [global options] COMMAND [ARGS]\n\n"
               "Telvane from the command line: the DTU's frames, command file, image transfer\n"
               "and repeated test, for scripts, factory lines and CI. Results go to stdout,\n"
               "progress and errors to stderr.\n\n"
               "Commands:\n%1\n"
               "telvanectl COMMAND --help describes a command.\n\n%2\n"
               "Port settings default to what the window saved last in its Telvane.ini (the\n"
               "working directory's in portable mode, else ~/.config/Telvane/Telvane/); the\n"
               "command file is the one the window loads (the \"json\" setting, else\n"
               "cmds.json, looked up where the window looks).\n\n%3")
        .arg(commands, QLatin1String(kGlobalHelp), QLatin1String(kExitHelp))
        + (bAll ? details : QString());
}
