#pragma once

#include "cliargs.h"
#include "dtucmd.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

// The commands of the command file as telvanectl addresses them: by name
// or by 0-based position among the commands the file defines completely,
// parameters by name or 0-based position.
class CmdCatalog
{
public:
    // False with a reason when the file is missing or not a command file.
    bool load(const QString& strPath, QString& strError);

    const QVector<DtuCmd>& cmds() const { return m_cmds; }
    // -1 when no command has that name or position.
    int findCmd(const QString& strName) const;

private:
    QVector<DtuCmd> m_cmds;
};

int findField(const DtuCmd& cmd, const QString& strField);

// The value texts of a command's parameters, indexed like its parameters.
struct CmdValues
{
    QStringList texts;
    QSet<int> given;  // indices with a value
};

// Checks and places FIELD=VALUE pairs; false with a message naming the field
// and what it accepts.
bool fillValues(const DtuCmd& cmd, const QList<Assignment>& pairs, CmdValues& values, QString& strError);

// Request fields of the section that have no value yet.
QList<int> missingFields(const DtuCmd& cmd, const DtuCmdSection& section, const CmdValues& values);
QString fieldNames(const DtuCmd& cmd, const QList<int>& indices);

// The decoded answer of a section; false when the frame does not carry
// what the section's response lists (a section that lists nothing accepts
// any acceptable frame).
bool decodeAnswer(const DtuCmd& cmd, const DtuCmdSection& section, const QByteArray& frame,
                  QMap<int, QString>& values);
