#include "cliargs.h"

#include <QSerialPort>
#include <QtTest>

// The command line as telvanectl reads it: every row is one invocation and
// what it must mean, or the start of the error it must give.
class TstCliArgs : public QObject
{
    Q_OBJECT

private slots:
    void commandLineMeansWhatItSays_data();
    void commandLineMeansWhatItSays();
};

namespace {

// The parsed arguments that a row can differ in, as one line.
QString summary(const CliArgs& a)
{
    QStringList s { cliCommandName(a.command) };
    const PortOverrides& p = a.port;
    if (!p.strPort.isEmpty())
        s << "port=" + p.strPort;
    if (p.nBaud)
        s << QStringLiteral("baud=%1").arg(*p.nBaud);
    if (p.nDataBits)
        s << QStringLiteral("data=%1").arg(*p.nDataBits);
    if (p.nParity)
        s << QStringLiteral("parity=%1").arg(*p.nParity);
    if (p.nStopBits)
        s << QStringLiteral("stop=%1").arg(*p.nStopBits);
    if (p.nFlow)
        s << QStringLiteral("flow=%1").arg(*p.nFlow);
    if (!a.strCmdFile.isEmpty())
        s << "cmds=" + a.strCmdFile;
    if (a.nTimeoutMs)
        s << QStringLiteral("timeout=%1").arg(*a.nTimeoutMs);
    for (const auto& [flag, on] : { std::pair("help", a.bHelp), std::pair("version", a.bVersion),
                                    std::pair("json", a.bJson), std::pair("quiet", a.bQuiet),
                                    std::pair("all", a.bAll), std::pair("text", a.bText),
                                    std::pair("crlf", a.bCrlf), std::pair("timestamps", a.bTimestamps),
                                    std::pair("frames", a.bFrames), std::pair("container", a.bContainer) })
        if (on)
            s << QLatin1String(flag);
    if (a.command == CliCommand::Code)
        s << (a.nCodeKind == 1 ? "set" : "query");
    for (const CmdRef& ref : a.cmds) {
        QString one = "[" + ref.strName;
        for (const Assignment& v : ref.values)
            one += " " + v.first + "=" + v.second;
        s << one + "]";
    }
    if (!a.strCtl.isEmpty())
        s << "ctl=" + a.strCtl;
    if (a.nTerminalId)
        s << QStringLiteral("tid=%1").arg(*a.nTerminalId);
    if (!a.strData.isNull())
        s << "data=" + a.strData;
    if (a.dDurationS)
        s << QStringLiteral("duration=%1").arg(*a.dDurationS);
    if (!a.strImage.isEmpty())
        s << "image=" + a.strImage;
    if (a.nAddr)
        s << QStringLiteral("addr=%1").arg(*a.nAddr);
    if (a.nKeepMs)
        s << QStringLiteral("keep=%1").arg(*a.nKeepMs);
    if (a.nCompress != 1)
        s << QStringLiteral("compress=%1").arg(a.nCompress);
    if (a.nRunMode >= 0)
        s << QStringLiteral("mode=%1").arg(a.nRunMode);
    if (a.nIntervalS)
        s << QStringLiteral("interval=%1").arg(a.nIntervalS);
    if (a.nCount)
        s << QStringLiteral("count=%1").arg(*a.nCount);
    if (!a.strCsv.isEmpty())
        s << "csv=" + a.strCsv;
    return s.join(' ');
}

}  // namespace

void TstCliArgs::commandLineMeansWhatItSays_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("meaning");  // the summary, or "error: " and the start of the error
    const QString img = QStringLiteral("image=a.png addr=7");

    // Global options, anywhere, in both spellings.
    QTest::newRow("port settings") << "--port /dev/ttyS1 --baud=9600 --data-bits 7 --parity even --stop-bits 1.5 "
                                      "--flow hardware ports"
                                   << QStringLiteral("ports port=/dev/ttyS1 baud=9600 data=%1 parity=%2 stop=%3 flow=%4")
                                          .arg(QSerialPort::Data7).arg(QSerialPort::EvenParity)
                                          .arg(QSerialPort::OneAndHalfStop).arg(QSerialPort::HardwareControl);
    QTest::newRow("global after command") << "ports --json --quiet --cmds c.json --timeout 50"
                                          << "ports cmds=c.json timeout=50 json quiet";
    QTest::newRow("help of a command") << "push --help" << "push help";
    QTest::newRow("help skips the checks") << "push -h" << "push help";
    QTest::newRow("version alone") << "--version" << " version";
    QTest::newRow("no command") << "--json" << "error: no command";
    QTest::newRow("unknown command") << "flash x" << "error: unknown command flash";
    QTest::newRow("unknown option") << "ports --verbose" << "error: unknown option --verbose";
    QTest::newRow("short option") << "ports -v" << "error: unknown option -v";
    QTest::newRow("missing value") << "ports --port" << "error: --port needs a value";
    QTest::newRow("value on a flag") << "ports --json=1" << "error: --json takes no value";
    QTest::newRow("command option before command") << "--all query" << "error: --all belongs after a command";
    QTest::newRow("option of another command") << "query --all --hex" << "error: query has no option --hex";
    QTest::newRow("baud zero") << "--baud 0 ports" << "error: --baud: \"0\" is not a positive";
    QTest::newRow("parity unknown") << "--parity high ports" << "error: --parity: \"high\" is not none, even";
    QTest::newRow("stop bits 3") << "--stop-bits 3 ports" << "error: --stop-bits: \"3\" is not 1, 1.5 or 2";
    QTest::newRow("timeout not a number") << "--timeout soon ports" << "error: --timeout: \"soon\"";
    QTest::newRow("ports takes no argument") << "ports x" << "error: unexpected argument x";

    // query, set, code.
    QTest::newRow("query names with values") << "query 发射功率 3 调试寄存器 寄存器地址=1a"
                                             << "query [发射功率] [3] [调试寄存器 寄存器地址=1a]";
    QTest::newRow("query all") << "query --all" << "query all";
    QTest::newRow("query nothing") << "query" << "error: give command names or --all";
    QTest::newRow("query all and a name") << "query --all 0" << "error: give command names or --all";
    QTest::newRow("query value first") << "query a=1" << "error: a=1: a command NAME must come first";
    QTest::newRow("set value with spaces and =") << "set|频率校准|补偿系数=1 2 3|x=a=b"
                                                 << "set [频率校准 补偿系数=1 2 3 x=a=b]";
    QTest::newRow("set without values") << "set 0" << "error: give at least one FIELD=VALUE";
    QTest::newRow("set two commands") << "set 0 a=1 1 b=2" << "error: give exactly one command NAME";
    QTest::newRow("code query") << "code query 0" << "code query [0]";
    QTest::newRow("code set") << "code set 1 0=5" << "code set [1 0=5]";
    QTest::newRow("code without kind") << "code 0" << "error: code wants query or set";
    QTest::newRow("code set without values") << "code set 1" << "error: give at least one FIELD=VALUE";

    // send and listen.
    QTest::newRow("send data in two arguments") << "send AA 01" << "error: give DATA as one argument";
    QTest::newRow("send text crlf") << "send --text --crlf hi" << "send text crlf data=hi";
    QTest::newRow("send hex and text") << "send --text --hex 41" << "error: --hex and --text exclude";
    QTest::newRow("send crlf needs text") << "send --crlf 41" << "error: --crlf needs --text";
    QTest::newRow("send ctl without data") << "send --ctl 5" << "send ctl=5";
    QTest::newRow("send ctl three digits") << "send --ctl 123 41" << "error: --ctl: \"123\" is not one or two";
    QTest::newRow("send ctl not hex") << "send --ctl g 41" << "error: --ctl: \"g\"";
    QTest::newRow("send terminal id") << "send --terminal-id 4294967295 AA" << "send tid=4294967295 data=AA";
    QTest::newRow("send terminal id too big") << "send --terminal-id 4294967296 AA" << "error: --terminal-id";
    QTest::newRow("send ctl and terminal id") << "send --ctl 5 --terminal-id 1 AA"
                                              << "error: --ctl and --terminal-id exclude";
    QTest::newRow("send nothing") << "send" << "error: no DATA to send";
    QTest::newRow("send data after --") << "send --text -- --x" << "send text data=--x";
    QTest::newRow("listen everything") << "listen --timestamps --duration 0.5 --frames"
                                       << "listen timestamps frames duration=0.5";
    QTest::newRow("listen frames as text") << "listen --frames --text" << "error: --frames are shown in hex";
    QTest::newRow("listen zero duration") << "listen --duration 0" << "error: --duration: \"0\"";

    // push and endurance.
    QTest::newRow("push") << "push a.png --addr 7" << "push " + img;
    QTest::newRow("push options") << "push --container --compress none --keep 0 --addr 0 a.png"
                                  << "push container image=a.png addr=0 keep=0 compress=0";
    QTest::newRow("push without addr") << "push a.png" << "error: --addr is required";
    QTest::newRow("push two images") << "push a.png b.png --addr 1" << "error: give exactly one IMAGE";
    QTest::newRow("push negative addr") << "push a.png --addr -1" << "error: --addr: \"-1\"";
    QTest::newRow("push compress zip") << "push a.png --addr 1 --compress zip" << "error: --compress: \"zip\"";
    QTest::newRow("push keep beyond int") << "push a.png --addr 1 --keep 2147483648" << "error: --keep";
    QTest::newRow("endurance by count") << "endurance a.png --addr 7 --mode wake-send --interval 10 --count 3 "
                                           "--csv r.csv"
                                        << "endurance " + img + " mode=2 interval=10 count=3 csv=r.csv";
    QTest::newRow("endurance mode by number") << "endurance a.png --addr 7 --mode 3 --interval 1 --duration 60"
                                              << "endurance duration=60 " + img + " mode=3 interval=1";
    QTest::newRow("endurance unknown mode") << "endurance a.png --addr 7 --mode 4 --interval 1 --count 1"
                                            << "error: --mode: \"4\"";
    QTest::newRow("endurance without mode") << "endurance a.png --addr 7 --interval 1 --count 1"
                                            << "error: --mode is required";
    QTest::newRow("endurance zero interval") << "endurance a.png --addr 7 --mode 0 --interval 0 --count 1"
                                             << "error: --interval: \"0\"";
    QTest::newRow("endurance count and duration") << "endurance a.png --addr 7 --mode 0 --interval 1 --count 1 "
                                                     "--duration 5"
                                                  << "error: give either --count or --duration";
    QTest::newRow("endurance neither") << "endurance a.png --addr 7 --mode 0 --interval 1"
                                       << "error: give either --count or --duration";
}

void TstCliArgs::commandLineMeansWhatItSays()
{
    QFETCH(QString, line);
    QFETCH(QString, meaning);

    // "|" separates arguments that contain spaces.
    const QStringList args = line.contains('|') ? line.split('|') : line.split(' ', Qt::SkipEmptyParts);
    const CliParse parsed = parseCliArgs(args);
    if (meaning.startsWith(QLatin1String("error: "))) {
        QVERIFY2(parsed.strError.startsWith(meaning.mid(7)), qPrintable(parsed.strError));
        return;
    }
    QVERIFY2(parsed.strError.isEmpty(), qPrintable(parsed.strError));
    QCOMPARE(summary(parsed.args), meaning);
}

QTEST_APPLESS_MAIN(TstCliArgs)
#include "tst_cliargs.moc"
