#include "cmdfile.h"

#include <QFile>
#include <QJsonParseError>
#include <QSet>
#include <QtTest>

// Reading the command definition file without any widget.
class TstCmdFile : public QObject
{
    Q_OBJECT

private slots:
    void resultCodeFollowsRootAndCommands_data();
    void resultCodeFollowsRootAndCommands();
    void emptyCommandNameNamesPageCommandList();
    void malformedParameterTakesNoIndex();
    void parameterFieldsReadLeniently();
    void typeAndInputKindTablesGiveWidthAndKind_data();
    void typeAndInputKindTablesGiveWidthAndKind();
    void sectionCountsOnlyWithRequestOrResponseIndices_data();
    void sectionCountsOnlyWithRequestOrResponseIndices();
    void showDefaultsToTrueUnlessFalse();
    void lastRegistrationOfControlCodeWins();
    void shippedFileUsesEveryTypeAndKind();
};

namespace {

const char* const kGoodCmd =
    R"({"name":"A","param":[{"name":"p","type":"uint8_t","num":1,"show":"十进制正整数"}],)"
    R"("query":{"ctl2":33,"res":[0]}})";
const char* const kNoParamCmd =
    R"({"name":"Bad","param":[{"name":"p","type":"uint8_t","show":"十进制正整数"}, 5]})";

QByteArray file(const QByteArray& mode, const QByteArray& cmds)
{
    return "{" + mode + (mode.isEmpty() ? "" : ",") + "\"cmd\":[" + cmds + "]}";
}

}  // namespace

void TstCmdFile::resultCodeFollowsRootAndCommands_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("complete");
    QTest::addColumn<QString>("problem");  // what the operator is told; empty on success

    const QByteArray good(kGoodCmd);
    const QString noCmd = "缺少 \"cmd\" 数组";
    const QString badMode = "\"mode\" 应为 \"list\"";
    const QString noCommand = "没有可用的命令: 每条命令需要文本 \"name\" 和数组 \"param\"";
    QTest::newRow("not json") << QByteArray("{\"cmd\": [") << int(QJsonParseError::UnterminatedArray) << 0 << 0
                              << "JSON 格式错误 (第 9 字节): unterminated array";
    QTest::newRow("root is array") << QByteArray("[]") << -3 << 0 << 0 << "顶层不是 JSON 对象";
    QTest::newRow("cmd missing") << QByteArray(R"({"mode":"list"})") << -3 << 0 << 0 << noCmd;
    QTest::newRow("cmd is object") << QByteArray(R"({"cmd":{}})") << -3 << 0 << 0 << noCmd;
    QTest::newRow("cmd empty") << file("", "") << -4 << 0 << 0 << noCommand;
    QTest::newRow("mode in capitals") << file(R"("mode":"LIST")", good) << 0 << 1 << 1 << QString();
    QTest::newRow("mode table") << file(R"("mode":"table")", good) << -3 << 0 << 0 << badMode;
    QTest::newRow("mode numeric") << file(R"("mode":1)", good) << -3 << 0 << 0 << badMode;
    QTest::newRow("mode missing") << file("", good) << 0 << 1 << 1 << QString();
    QTest::newRow("only skipped elements")
        << file("", R"(1, "x", {"name":1,"param":[]}, {"name":"n"}, {"name":"n","param":{}})")
        << -4 << 0 << 0 << noCommand;
    QTest::newRow("first command without parameter")
        << file("", kNoParamCmd + (", " + good)) << -4 << 1 << 0
        << "命令 \"Bad\" 没有可用的参数: 每个参数需要 \"name\"、\"type\"、\"num\" 和 \"show\"";
    QTest::newRow("later command without parameter")
        << file("", good + ", " + kNoParamCmd + ", " + good) << 0 << 2 << 1 << QString();
}

void TstCmdFile::resultCodeFollowsRootAndCommands()
{
    QFETCH(QByteArray, json);
    QFETCH(int, result);
    QFETCH(int, pages);
    QFETCH(int, complete);
    QFETCH(QString, problem);

    const CmdFileDef def = parseCmdDefinitions(json);
    QCOMPARE(def.nResult, result);
    QCOMPARE(def.strProblem, problem);
    QCOMPARE(def.pages.size(), pages);
    const int nComplete = int(std::count_if(def.pages.cbegin(), def.pages.cend(),
                                            [](const CmdPageDef& p) { return p.bComplete; }));
    QCOMPARE(nComplete, complete);
    // Only the last page may be the unfinished one that ended the load.
    for (int i = 0; i + 1 < def.pages.size(); ++i)
        QVERIFY(def.pages.at(i).bComplete);
}

void TstCmdFile::emptyCommandNameNamesPageCommandList()
{
    const CmdFileDef def = parseCmdDefinitions(file("", QByteArray(kGoodCmd).replace("\"A\"", "\"\"")));
    QCOMPARE(def.nResult, 0);
    QCOMPARE(def.pages.at(0).strPageName, QStringLiteral("命令列表"));
    QCOMPARE(def.pages.at(0).cmd.name, QString());
}

void TstCmdFile::malformedParameterTakesNoIndex()
{
    const CmdFileDef def = parseCmdDefinitions(file("", R"({"name":"C","param":[
        {"name":"first","type":"uint8_t","num":1,"show":"十进制正整数"},
        {"name":"no num","type":"uint8_t","show":"十进制正整数"},
        "not an object",
        {"name":"second","type":"uint16_t","num":2,"show":"十六进制数"}],
        "setting":{"ctl2":7,"req":[1],"res":[1]}})"));
    QCOMPARE(def.nResult, 0);
    const CmdPageDef& page = def.pages.at(0);
    QCOMPARE(page.nParamElements, 4);
    QCOMPARE(page.cmd.m_param.size(), 2);
    QCOMPARE(page.cmd.m_param.at(1).name, QStringLiteral("second"));
    QCOMPARE(page.cmd.m_param.at(1).num, 2);
    // Index 1 names "second": the skipped element left no gap.
    QCOMPARE(def.responses.value(7).m_param.at(page.cmd.setting.res.at(0)).name, QStringLiteral("second"));
}

void TstCmdFile::parameterFieldsReadLeniently()
{
    const CmdFileDef def = parseCmdDefinitions(file("", R"({"name":"C","param":[
        {"name":5,"type":"uint32_t","num":"3","show":"十进制数","comment":7},
        {"name":"n","type":"bool","num":2.5,"show":"是/否","comment":"tip"}]})"));
    QCOMPARE(def.nResult, 0);
    const DtuParam& odd = def.pages.at(0).cmd.m_param.at(0);
    QCOMPARE(odd.name, QString());
    QCOMPARE(odd.num, 0);
    QCOMPARE(odd.comment, QString());
    QCOMPARE(odd.typeCode, 2);
    QCOMPARE(odd.inputKind, 2);
    const DtuParam& fraction = def.pages.at(0).cmd.m_param.at(1);
    QCOMPARE(fraction.num, 0);
    QCOMPARE(fraction.comment, QStringLiteral("tip"));
}

void TstCmdFile::typeAndInputKindTablesGiveWidthAndKind_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<int>("inputKind");

    QTest::newRow("bool") << "bool" << "是/否" << 0 << 1 << 0;
    QTest::newRow("uint8_t") << "uint8_t" << "十进制正整数" << 0 << 1 << 1;
    QTest::newRow("uint16_t") << "uint16_t" << "十进制数" << 1 << 2 << 2;
    QTest::newRow("uint32_t") << "uint32_t" << "十六进制数" << 2 << 4 << 3;
    QTest::newRow("double") << "double" << "浮点数" << 3 << 8 << 4;
    QTest::newRow("string") << "string" << "字符串" << 0 << 1 << 5;
    QTest::newRow("int16_t unknown") << "int16_t" << "字符串" << -1 << -1 << 5;
    QTest::newRow("case matters") << "Double" << "Hex" << -1 << -1 << -1;
}

void TstCmdFile::typeAndInputKindTablesGiveWidthAndKind()
{
    QFETCH(QString, type);
    QFETCH(QString, kind);
    QFETCH(int, typeCode);
    QFETCH(int, byteSize);
    QFETCH(int, inputKind);

    const QByteArray param = QStringLiteral(R"({"name":"p","type":"%1","num":1,"show":"%2"})")
                                 .arg(type, kind).toUtf8();
    const CmdFileDef def = parseCmdDefinitions(file("", "{\"name\":\"C\",\"param\":[" + param + "]}"));
    QCOMPARE(def.nResult, 0);  // an unknown type or kind still makes a row
    const DtuParam& p = def.pages.at(0).cmd.m_param.at(0);
    QCOMPARE(p.typeCode, typeCode);
    QCOMPARE(p.byteSize, byteSize);
    QCOMPARE(p.inputKind, inputKind);
}

void TstCmdFile::sectionCountsOnlyWithRequestOrResponseIndices_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QList<int>>("req");
    QTest::addColumn<QList<int>>("res");

    QTest::newRow("only ctl2") << QByteArray(R"({"ctl2":5})") << false << QList<int>() << QList<int>();
    QTest::newRow("empty object") << QByteArray("{}") << false << QList<int>() << QList<int>();
    QTest::newRow("not an object") << QByteArray("[5]") << false << QList<int>() << QList<int>();
    QTest::newRow("lists not arrays") << QByteArray(R"({"ctl2":5,"req":3,"res":"0"})") << false
                                      << QList<int>() << QList<int>();
    QTest::newRow("res only") << QByteArray(R"({"ctl2":5,"res":[0,1]})") << true << QList<int>()
                              << QList<int>{0, 1};
    QTest::newRow("non-numbers read 0") << QByteArray(R"({"ctl2":5,"req":["x",2,null]})") << true
                                        << QList<int>{0, 2, 0} << QList<int>();
}

void TstCmdFile::sectionCountsOnlyWithRequestOrResponseIndices()
{
    QFETCH(QByteArray, section);
    QFETCH(bool, present);
    QFETCH(QList<int>, req);
    QFETCH(QList<int>, res);

    const CmdFileDef def = parseCmdDefinitions(file("", R"({"name":"C","param":[
        {"name":"p","type":"uint8_t","num":1,"show":"十进制正整数"}],"query":)" + section + "}"));
    QCOMPARE(def.nResult, 0);
    const DtuCmdSection& query = def.pages.at(0).cmd.query;
    QCOMPARE(query.isPresent(), present);
    QCOMPARE(query.req, req);
    QCOMPARE(query.res, res);
    QCOMPARE(query.ctl2, present ? 5 : 0);
    QCOMPARE(def.responses.contains(5), present);
}

void TstCmdFile::showDefaultsToTrueUnlessFalse()
{
    const QByteArray param = R"("param":[{"name":"p","type":"bool","num":1,"show":"是/否"}])";
    const CmdFileDef def = parseCmdDefinitions(file("", "{\"name\":\"a\",\"show\":false," + param
                                                            + "},{\"name\":\"b\"," + param
                                                            + "},{\"name\":\"c\",\"show\":\"no\"," + param + "}"));
    QCOMPARE(def.nResult, 0);
    QCOMPARE(def.pages.size(), 3);
    QCOMPARE(def.pages.at(0).bShow, false);
    QCOMPARE(def.pages.at(1).bShow, true);
    QCOMPARE(def.pages.at(2).bShow, true);
}

void TstCmdFile::lastRegistrationOfControlCodeWins()
{
    const QByteArray param = R"("param":[{"name":"p","type":"uint8_t","num":1,"show":"十进制正整数"},
                                         {"name":"q","type":"uint8_t","num":1,"show":"十进制正整数"}])";
    const CmdFileDef def = parseCmdDefinitions(file("",
        "{\"name\":\"a\"," + param + R"(,"query":{"ctl2":33,"res":[0]}},)"
        "{\"name\":\"b\"," + param + R"(,"query":{"ctl2":33,"res":[1]},"setting":{"ctl2":34,"req":[0]}},)"
        "{\"name\":\"c\"," + param + R"(,"query":{"ctl2":40,"res":[0]},"setting":{"ctl2":40,"res":[0,1]}})"));
    QCOMPARE(def.nResult, 0);
    QCOMPARE(def.responses.keys(), (QList<int>{33, 34, 40}));
    QCOMPARE(def.responses.value(33).page, 1);
    QCOMPARE(def.responses.value(33).res, QList<int>{1});
    QCOMPARE(def.responses.value(34).kind, 1);
    QCOMPARE(def.responses.value(40).page, 2);
    QCOMPARE(def.responses.value(40).kind, 1);
    QCOMPARE(def.responses.value(40).res, (QList<int>{0, 1}));
    QCOMPARE(def.responses.value(40).m_param.size(), 2);
}

void TstCmdFile::shippedFileUsesEveryTypeAndKind()
{
    QFile shipped(QStringLiteral("cmds.json"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const CmdFileDef def = parseCmdDefinitions(shipped.readAll());
    QCOMPARE(def.nResult, 0);
    QVERIFY(def.pages.size() >= 10);

    QSet<int> types;
    QSet<int> widths;
    QSet<int> kinds;
    int nHidden = 0;
    int nWriteOnly = 0;
    int nComments = 0;
    for (const CmdPageDef& page : def.pages) {
        QVERIFY2(page.bComplete, qPrintable(page.strPageName));
        QCOMPARE(page.cmd.m_param.size(), page.nParamElements);  // nothing silently skipped
        nHidden += page.bShow ? 0 : 1;
        if (page.cmd.setting.isPresent() && !page.cmd.query.isPresent() && page.cmd.setting.res.isEmpty())
            ++nWriteOnly;
        for (const DtuParam& p : page.cmd.m_param) {
            QVERIFY2(p.typeCode >= 0 && p.inputKind >= 0 && p.num > 0, qPrintable(p.name));
            types.insert(p.typeCode);
            widths.insert(p.byteSize);
            kinds.insert(p.inputKind);
            nComments += p.comment.isEmpty() ? 0 : 1;
        }
        for (const DtuCmdSection* section : {&page.cmd.query, &page.cmd.setting}) {
            for (int nIndex : section->req + section->res)
                QVERIFY2(nIndex >= 0 && nIndex < page.cmd.m_param.size(), qPrintable(page.strPageName));
        }
    }
    QCOMPARE(types, (QSet<int>{0, 1, 2, 3}));
    QCOMPARE(kinds, (QSet<int>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(nHidden, 1);
    QVERIFY(nWriteOnly >= 1);
    QVERIFY(nComments > 0);

    // Every type name of the table occurs, not only every width.
    const QByteArray text = [] {
        QFile f(QStringLiteral("cmds.json"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    for (const char* name : {"\"bool\"", "\"uint8_t\"", "\"string\"", "\"uint16_t\"", "\"uint32_t\"", "\"double\""})
        QVERIFY2(text.contains(name), name);
}

QTEST_APPLESS_MAIN(TstCmdFile)
#include "tst_cmdfile.moc"
