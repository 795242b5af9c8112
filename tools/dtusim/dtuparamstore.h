#pragma once

#include "dtucmd.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The DTU's configuration as the command file describes it: a query returns
// the stored values in the response layout, a setting stores the values of
// the request and answers.
class DtuParamStore
{
public:
    bool load(const QString& strPath, QString& error);
    bool isEmpty() const { return m_cmds.isEmpty(); }
    bool handles(quint8 ctl) const { return m_byCtl.contains(ctl); }

    // The answer frames to one request frame (empty when it is no command).
    QVector<QByteArray> answer(const QByteArray& frame);

    // Current value text of a parameter, by command and parameter name.
    QString value(const QString& strCmd, const QString& strParam) const;

private:
    struct SectionRef
    {
        int cmd;
        int kind;  // 0 query, 1 setting
    };
    const DtuCmdSection& section(const SectionRef& ref) const;
    int requestSize(const SectionRef& ref) const;

    QVector<DtuCmd> m_cmds;
    QVector<QStringList> m_values;  // per command, per parameter
    QHash<int, QVector<SectionRef>> m_byCtl;
};
