#pragma once

#include "dtucmd.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVector>

// Widget-free reading of the command definition file (JSON):
//   { "mode": "list", "cmd": [ { "name", "show", "param": [...],
//                                "query": {ctl2, req, res}, "setting": {...} } ] }
// The pages are built from the result by TabWidgetCfgDtu.

// One page the file asks for. Only the last page of a result can be
// incomplete: a command without any accepted parameter ends the load, but
// its (empty) page is still shown.
struct CmdPageDef
{
    QString strPageName;      // the command name, or "命令列表" when empty
    bool bShow = true;        // listed in the command list
    int nParamElements = 0;   // size of the "param" array (initial row count - 1)
    bool bComplete = false;   // false: no accepted parameter, no record
    DtuCmd cmd;
};

// Results of loading a command file. A file that is no JSON reports the
// positive QJsonParseError number instead.
enum CmdFileResult : int {
    CmdFileLoaded = 0,        // at least one command built
    CmdFileMissing = -1,
    CmdFileUnreadable = -2,
    CmdFileBadStructure = -3, // bad root, "cmd" or "mode"
    CmdFileNoCommand = -4,
};

struct CmdFileDef
{
    int nResult = CmdFileNoCommand;  // a CmdFileResult or a JSON parse error number
    // For a failed load: the first thing wrong with the file, for the operator.
    QString strProblem;
    QVector<CmdPageDef> pages;
    // Control code -> response entry; a later registration of a code wins.
    QMap<int, DtuResponseEntry> responses;
};

CmdFileDef parseCmdDefinitions(const QByteArray& byteJson);

// The page and list name of a command.
QString cmdPageName(const QString& strCmdName);
