#include "cmdfile.h"
#include "commandslog.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace {

QList<int> readIndexList(const QJsonValue& value)
{
    QList<int> list;
    if (!value.isArray())
        return list;
    const QJsonArray array = value.toArray();
    list.reserve(array.size());
    for (const QJsonValue& item : array)
        list.append(item.toInt(0));
    return list;
}

// A section counts only when it is a non-empty object listing request or
// response indices; otherwise it stays all empty.
DtuCmdSection readSection(const QJsonObject& cmd, const QString& strKey)
{
    const QJsonValue value = cmd.value(strKey);
    if (!value.isObject() || value.toObject().isEmpty())
        return {};
    const QJsonObject obj = value.toObject();
    DtuCmdSection section;
    section.ctl2 = obj.value(QStringLiteral("ctl2")).toInt(0);
    section.req = readIndexList(obj.value(QStringLiteral("req")));
    section.res = readIndexList(obj.value(QStringLiteral("res")));
    return section.isPresent() ? section : DtuCmdSection{};
}

QList<DtuParam> readParams(const QJsonArray& array)
{
    QList<DtuParam> params;
    for (const QJsonValue& item : array) {
        if (!item.isObject())
            continue;
        const QJsonObject obj = item.toObject();
        if (!obj.contains(QStringLiteral("name")) || !obj.contains(QStringLiteral("type"))
            || !obj.contains(QStringLiteral("num")) || !obj.contains(QStringLiteral("show")))
            continue;
        DtuParam param;
        const DtuTypeInfo type = dtuTypeInfo(obj.value(QStringLiteral("type")).toString());
        param.typeCode = type.typeCode;
        param.byteSize = type.byteSize;
        param.inputKind = dtuInputKind(obj.value(QStringLiteral("show")).toString());
        param.num = obj.value(QStringLiteral("num")).toInt(0);
        param.comment = obj.value(QStringLiteral("comment")).toString();
        param.name = obj.value(QStringLiteral("name")).toString();
        params.append(param);
    }
    return params;
}

void registerResponse(CmdFileDef& def, const DtuCmdSection& section, int nPage, int nKind,
                      const QList<DtuParam>& params)
{
    if (!section.isPresent())
        return;
    DtuResponseEntry entry;
    entry.page = nPage;
    entry.kind = nKind;
    entry.res = section.res;
    entry.m_param = params;
    def.responses.insert(section.ctl2, entry);
}

}  // namespace

QString cmdPageName(const QString& strCmdName)
{
    return strCmdName.isEmpty() ? QString::fromUtf8(QT_TRANSLATE_NOOP("DtuCommands", "命令列表")) : strCmdName;
}

CmdFileDef parseCmdDefinitions(const QByteArray& byteJson)
{
    CmdFileDef def;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(byteJson, &error);
    if (error.error != QJsonParseError::NoError) {
        def.nResult = int(error.error);
        def.strProblem = QCoreApplication::translate("CmdFile", "JSON 格式错误 (第 %1 字节): %2")
                             .arg(QString::number(error.offset), error.errorString());
        return def;
    }
    qCDebug(lcCommands, "open ok");

    if (!doc.isObject()) {
        def.nResult = CmdFileBadStructure;
        def.strProblem = QCoreApplication::translate("CmdFile", "顶层不是 JSON 对象");
        return def;
    }
    const QJsonObject root = doc.object();
    // A missing mode means "list"; a non-string one reads as "table".
    const QJsonValue mode = root.value(QStringLiteral("mode"));
    const QString strMode = mode.isUndefined() ? QStringLiteral("list")
                            : mode.isString()  ? mode.toString()
                                               : QStringLiteral("table");
    const QJsonValue cmdValue = root.value(QStringLiteral("cmd"));
    if (strMode.compare(QLatin1String("list"), Qt::CaseInsensitive) != 0) {
        def.nResult = CmdFileBadStructure;
        def.strProblem = QCoreApplication::translate("CmdFile", "\"mode\" 应为 \"list\"");
        return def;
    }
    if (!cmdValue.isArray()) {
        def.nResult = CmdFileBadStructure;
        def.strProblem = QCoreApplication::translate("CmdFile", "缺少 \"cmd\" 数组");
        return def;
    }

    def.nResult = CmdFileNoCommand;
    def.strProblem = QCoreApplication::translate("CmdFile", "没有可用的命令: 每条命令需要文本 \"name\" 和数组 \"param\"");
    const QJsonArray cmds = cmdValue.toArray();
    for (const QJsonValue& item : cmds) {
        if (!item.isObject())
            continue;
        const QJsonObject obj = item.toObject();
        const QJsonValue name = obj.value(QStringLiteral("name"));
        const QJsonValue param = obj.value(QStringLiteral("param"));
        if (!name.isString() || !param.isArray())
            continue;

        const QJsonValue show = obj.value(QStringLiteral("show"));
        CmdPageDef page;
        page.strPageName = cmdPageName(name.toString());
        page.bShow = show.isBool() ? show.toBool() : true;
        page.nParamElements = param.toArray().size();
        page.cmd.name = name.toString();
        page.cmd.m_param = readParams(param.toArray());
        if (page.cmd.m_param.isEmpty()) {
            // Ends the load; the empty page stays, the rest is not read.
            def.pages.append(page);
            if (def.nResult != 0)
                def.strProblem = QCoreApplication::translate(
                                     "CmdFile",
                                     "命令 \"%1\" 没有可用的参数: 每个参数需要 \"name\"、\"type\"、\"num\" 和 \"show\"")
                                     .arg(dtuCommandText(page.cmd.name));
            return def;
        }
        page.cmd.query = readSection(obj, QStringLiteral("query"));
        page.cmd.setting = readSection(obj, QStringLiteral("setting"));
        page.bComplete = true;

        const int nPage = def.pages.size();
        registerResponse(def, page.cmd.query, nPage, 0, page.cmd.m_param);
        registerResponse(def, page.cmd.setting, nPage, 1, page.cmd.m_param);
        def.pages.append(page);
        def.nResult = CmdFileLoaded;
        def.strProblem.clear();
    }
    return def;
}
