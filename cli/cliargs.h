#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

enum class CliCommand { None, Ports, Query, Set, Code, Send, Listen, Push, Endurance };

// A serial port setting given on the command line; unset ones come from
// the window's settings file or the port defaults.
struct PortOverrides
{
    QString strPort;
    std::optional<int> nBaud;
    std::optional<int> nDataBits;  // QSerialPort::DataBits
    std::optional<int> nParity;    // QSerialPort::Parity
    std::optional<int> nStopBits;  // QSerialPort::StopBits
    std::optional<int> nFlow;      // QSerialPort::FlowControl
};

using Assignment = QPair<QString, QString>;  // FIELD, VALUE

// One NAME of query/set/code with the FIELD=VALUE pairs that follow it.
struct CmdRef
{
    QString strName;
    QList<Assignment> values;
};

// Endurance run modes, numbered as on the test page.
namespace runmode {
constexpr int kWake = 0;
constexpr int kSend = 1;
constexpr int kWakeThenSend = 2;
constexpr int kSendThenWake = 3;
}  // namespace runmode

struct CliArgs
{
    CliCommand command = CliCommand::None;
    bool bHelp = false;
    bool bHelpAll = false;   // the overview and every command's help (the man page)
    bool bVersion = false;
    bool bJson = false;
    bool bQuiet = false;
    PortOverrides port;
    QString strCmdFile;
    std::optional<int> nTimeoutMs;  // wait for an answer; each command has its default

    // query, set, code
    QList<CmdRef> cmds;
    bool bAll = false;
    int nCodeKind = 0;       // code: 0 query, 1 set

    // send
    bool bText = false;
    bool bCrlf = false;
    QString strCtl;          // one or two hex digits; empty: not framed so
    std::optional<quint32> nTerminalId;
    QString strData;

    // listen (bText as for send)
    bool bTimestamps = false;
    bool bFrames = false;
    std::optional<double> dDurationS;  // also endurance

    // push, endurance
    QString strImage;
    std::optional<quint32> nAddr;
    std::optional<quint32> nKeepMs;
    bool bContainer = false;
    int nCompress = 1;       // 0 none, 1 7z
    int nRunMode = -1;
    int nIntervalS = 0;
    std::optional<quint32> nCount;
    QString strCsv;
};

struct CliParse
{
    CliArgs args;
    QString strError;  // empty: args are complete and consistent
};

// Global options may stand anywhere; a command's options after the command.
// "--name value" and "--name=value" both work; "--" ends the options.
CliParse parseCliArgs(const QStringList& arguments);

// What --help prints: the overview (with bAll, followed by every command's
// help), or the help of one command.
QString cliHelpText(CliCommand command, bool bAll = false);
QString cliCommandName(CliCommand command);
