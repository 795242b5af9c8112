#include "dtuparamstore.h"

#include "cmdfile.h"
#include "dtuframe.h"
#include "valuecodec.h"

#include <QFile>

namespace {

QString initialValue(const DtuParam& param)
{
    switch (param.inputKind) {
    case kKindString:
        return QString("SIM-%1").arg(param.name).left(param.num);
    case kKindDouble:
        return QStringLiteral("0.5");
    case kKindHex:
        return QStringLiteral("1a");
    default:
        return QStringLiteral("1");
    }
}

int fieldSize(const DtuParam& param)
{
    if (param.typeCode < 0)
        return 0;
    return param.inputKind == kKindString ? param.num : param.num * (1 << param.typeCode);
}

}  // namespace

bool DtuParamStore::load(const QString& strPath, QString& error)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QString("%1: %2").arg(strPath, file.errorString());
        return false;
    }
    const CmdFileDef def = parseCmdDefinitions(file.readAll());
    if (def.nResult != 0) {
        error = QString("%1: command file rejected (%2)").arg(strPath).arg(def.nResult);
        return false;
    }
    for (const CmdPageDef& page : def.pages) {
        if (!page.bComplete)
            continue;
        const int index = m_cmds.size();
        m_cmds.append(page.cmd);
        QStringList values;
        for (const DtuParam& param : page.cmd.m_param)
            values.append(initialValue(param));
        m_values.append(values);
        if (page.cmd.query.isPresent())
            m_byCtl[page.cmd.query.ctl2 & 0xFF].append({ index, 0 });
        if (page.cmd.setting.isPresent())
            m_byCtl[page.cmd.setting.ctl2 & 0xFF].append({ index, 1 });
    }
    return true;
}

const DtuCmdSection& DtuParamStore::section(const SectionRef& ref) const
{
    return ref.kind == 0 ? m_cmds[ref.cmd].query : m_cmds[ref.cmd].setting;
}

int DtuParamStore::requestSize(const SectionRef& ref) const
{
    int size = 0;
    for (int i : section(ref).req)
        if (i >= 0 && i < m_cmds[ref.cmd].m_param.size())
            size += fieldSize(m_cmds[ref.cmd].m_param[i]);
    return size;
}

QVector<QByteArray> DtuParamStore::answer(const QByteArray& frame)
{
    if (frame.size() < dtu::kOverhead)
        return {};
    const quint8 ctl = frameControl(frame);
    const auto refs = m_byCtl.value(ctl);
    if (refs.isEmpty())
        return {};
    const QByteArray payload = frame.mid(dtu::kPayloadOffset, frame.size() - dtu::kOverhead);

    // Sections may share a control code: the one whose request layout
    // matches the payload wins, settings before queries.
    const SectionRef* chosen = nullptr;
    for (const SectionRef& ref : refs)
        if (requestSize(ref) == payload.size() && (!chosen || ref.kind == 1))
            chosen = &ref;
    if (!chosen)
        return {};

    const DtuCmd& cmd = m_cmds[chosen->cmd];
    QStringList& values = m_values[chosen->cmd];
    const DtuCmdSection& sec = section(*chosen);
    int offset = 0;
    for (int i : sec.req) {
        if (i < 0 || i >= cmd.m_param.size())
            return {};
        int used = 0;
        const QByteArray text = bin2string(payload.constData() + offset, payload.size() - offset, cmd.m_param[i], used);
        if (used == 0)
            return {};
        values[i] = QString::fromUtf8(text);
        offset += used;
    }

    QByteArray body;
    for (int i : sec.res)
        if (i >= 0 && i < cmd.m_param.size())
            body.append(encodeValue(values[i], cmd.m_param[i]));
    if (body.isEmpty())
        body.append('\0');  // a bare acknowledgement of a setting
    return { encodeFrame(0, ctl, body) };
}

QString DtuParamStore::value(const QString& strCmd, const QString& strParam) const
{
    for (int c = 0; c < m_cmds.size(); ++c) {
        if (m_cmds[c].name != strCmd)
            continue;
        for (int p = 0; p < m_cmds[c].m_param.size(); ++p)
            if (m_cmds[c].m_param[p].name == strParam)
                return m_values[c][p];
    }
    return {};
}
