#include "cmdcatalog.h"

#include "cmdfile.h"
#include "dtuframe.h"
#include "valuecheck.h"
#include "valuecodec.h"

#include <QFile>

namespace {

// A name first; a number that is no name is a position.
int findByNameOrPosition(const QStringList& names, const QString& strWanted)
{
    const int nByName = names.indexOf(strWanted);
    if (nByName >= 0)
        return nByName;
    bool bOk = false;
    const int nPos = strWanted.toInt(&bOk, 10);
    return bOk && nPos >= 0 && nPos < names.size() ? nPos : -1;
}

}  // namespace

bool CmdCatalog::load(const QString& strPath, QString& strError)
{
    QFile file(strPath);
    if (!file.exists()) {
        strError = QStringLiteral("command file %1 not found (give --cmds FILE)").arg(strPath);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        strError = QStringLiteral("cannot read command file %1: %2").arg(strPath, file.errorString());
        return false;
    }
    const CmdFileDef def = parseCmdDefinitions(file.readAll());
    if (def.nResult != 0) {
        strError = def.nResult > 0 ? QStringLiteral("command file %1 is not valid JSON").arg(strPath)
                                   : QStringLiteral("command file %1 defines no usable command").arg(strPath);
        return false;
    }
    for (const CmdPageDef& page : def.pages)
        if (page.bComplete)
            m_cmds.append(page.cmd);
    return true;
}

int CmdCatalog::findCmd(const QString& strName) const
{
    QStringList names;
    for (const DtuCmd& cmd : m_cmds)
        names.append(cmd.name);
    return findByNameOrPosition(names, strName);
}

int findField(const DtuCmd& cmd, const QString& strField)
{
    QStringList names;
    for (const DtuParam& param : cmd.m_param)
        names.append(param.name);
    return findByNameOrPosition(names, strField);
}

bool fillValues(const DtuCmd& cmd, const QList<Assignment>& pairs, CmdValues& values, QString& strError)
{
    while (values.texts.size() < cmd.m_param.size())
        values.texts.append(QString());
    for (const Assignment& pair : pairs) {
        const int nField = findField(cmd, pair.first);
        if (nField < 0) {
            strError = QStringLiteral("%1 has no field %2").arg(cmd.name, pair.first);
            return false;
        }
        const DtuParam& param = cmd.m_param.at(nField);
        if (!isValueAccepted(pair.second, param)) {
            strError = QStringLiteral("%1.%2: \"%3\" refused; it accepts %4")
                           .arg(cmd.name, param.name, pair.second, acceptedValues(param));
            return false;
        }
        values.texts[nField] = pair.second;
        values.given.insert(nField);
    }
    return true;
}

QList<int> missingFields(const DtuCmd& cmd, const DtuCmdSection& section, const CmdValues& values)
{
    QList<int> missing;
    for (const int nIndex : section.req)
        if (nIndex >= 0 && nIndex < cmd.m_param.size() && !values.given.contains(nIndex)
            && !missing.contains(nIndex))
            missing.append(nIndex);
    return missing;
}

QString fieldNames(const DtuCmd& cmd, const QList<int>& indices)
{
    QStringList names;
    for (const int nIndex : indices)
        names.append(cmd.m_param.at(nIndex).name);
    return names.join(QStringLiteral(", "));
}

bool decodeAnswer(const DtuCmd& cmd, const DtuCmdSection& section, const QByteArray& frame,
                  QMap<int, QString>& values)
{
    values.clear();
    if (!isAcceptableResponse(frame))
        return false;
    if (section.res.isEmpty())
        return true;
    DtuResponseEntry entry;
    entry.res = section.res;
    entry.m_param = cmd.m_param;
    values = decodeResponseData(entry, frame.constData() + dtu::kPayloadOffset, framePayloadLength(frame));
    return !values.isEmpty();
}
