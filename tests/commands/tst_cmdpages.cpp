#include "cfgdtu.h"
#include "dtuframe.h"
#include "tabwidgetcfgdtu.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// The command pages and the page that hosts them, driven through their widgets.
class TstCmdPages : public QObject
{
    Q_OBJECT

private slots:
    void pagesShowRowsButtonsAndTooltips();
    void unlistedCommandHasPageButNoName();
    void everyPageGetsItsTableSoonAfterLoading();
    void commandWithoutParametersEndsLoadKeepingItsPage();
    void queryWithoutRequestIndicesSendsThreeByteBody();
    void typedValuesMakeTheRequestPayload();
    void longPayloadTravelsWholeUnderCappedLength();
    void requestIndexOutOfRangeSendsNothing();
    void responseFillsPageAndSummary();
    void commandFileTextsShowInOperatorLanguage();
    void sharedControlCodeUpdatesOnlyLaterPage();
    void unusableResponsesChangeNothing_data();
    void unusableResponsesChangeNothing();
    void deleteKeyClearsOnlyValueCells();
    void loadFileReportsMissingAndUnreadable();
    void generateButtonShowsFrameCode();
    void sendButtonEmitsFrameAndKeepsCode();
    void copyPutsCodeOnClipboardOnlyWhenPresent();
    void framesWithoutHeadOrTailNeverReachPages();
    void listRowsOpenThePagesTheyName();
    void splitterSizesPersistInGroup();
};

namespace {

QByteArray uint8Param(const char* name, const char* comment = "")
{
    return QByteArray(R"({"name":")") + name + R"(","type":"uint8_t","num":1,"show":"十进制正整数","comment":")"
           + comment + "\"}";
}

// A command definition file with the given command objects.
QByteArray cmdFile(const QList<QByteArray>& cmds)
{
    QByteArray json = R"({"mode":"list","cmd":[)";
    for (int i = 0; i < cmds.size(); ++i)
        json += (i ? "," : "") + cmds.at(i);
    return json + "]}";
}

QByteArray command(const char* name, const QByteArray& params, const QByteArray& sections = {},
                   const char* extra = "")
{
    return QByteArray("{\"name\":\"") + name + "\"," + extra + "\"param\":[" + params + "]"
           + (sections.isEmpty() ? "" : "," + sections) + "}";
}

QPushButton* button(QTableWidget* table, int nRow, int nColumn)
{
    return qobject_cast<QPushButton*>(table->cellWidget(nRow, nColumn));
}

QString cellText(QTableWidget* table, int nRow, int nColumn)
{
    const QTableWidgetItem* item = table->item(nRow, nColumn);
    return item ? item->text() : QString();
}

// Types a value into a cell the way an operator does: start editing, type, Enter.
void typeInto(QTableWidget* table, int nRow, const QString& strText)
{
    table->setCurrentCell(nRow, 1);
    table->editItem(table->item(nRow, 1));
    auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(nRow, 1)));
    QVERIFY(editor);
    editor->clear();
    QTest::keyClicks(editor, strText);
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit from the event loop.
    QTRY_COMPARE(cellText(table, nRow, 1), strText);
}

// Knows a few command file texts; every other text it leaves untranslated.
class CommandTextTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* sourceText, const char* = nullptr, int = -1) const override
    {
        static const QHash<QByteArray, QString> known = {
            {"无线信道", QStringLiteral("Radio channel")},
            {"信道号", QStringLiteral("Channel")},
            {"0 到 31", QStringLiteral("0 to 31")},
            {"命令列表", QStringLiteral("Command list")},
        };
        return qstrcmp(context, "DtuCommands") == 0 ? known.value(sourceText) : QString();
    }
};

QByteArray answer(quint8 nCtl, const QByteArray& hexPayload)
{
    return encodeFrame(0x1234, nCtl, QByteArray::fromHex(hexPayload));
}

}  // namespace

void TstCmdPages::pagesShowRowsButtonsAndTooltips()
{
    TabWidgetCfgDtu tabs;
    QSignalSpy names(&tabs, &TabWidgetCfgDtu::addTabName);
    const int nResult = tabs.parseCmdJson(cmdFile({
        command("Radio", uint8Param("freq", "MHz step") + "," + uint8Param("power"),
                R"("query":{"ctl2":33,"res":[0,1]},"setting":{"ctl2":34,"req":[0,1],"res":[0,1]})"),
        command("", uint8Param("x"), R"("setting":{"ctl2":35,"req":[0]},"query":{"ctl2":36})"),
    }));
    QCOMPARE(nResult, 0);
    QCOMPARE(tabs.count(), 2);
    QVERIFY(tabs.tabBar()->isHidden());
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.at(1).at(0).toString(), QStringLiteral("命令列表"));

    QTableWidget* radio = tabs.table(0);
    QCOMPARE(radio->objectName(), QStringLiteral("Radio"));
    QCOMPARE(tabs.tabText(0), QStringLiteral("Radio"));
    QCOMPARE(radio->rowCount(), 4);
    QCOMPARE(radio->columnCount(), 2);
    QCOMPARE(radio->horizontalHeaderItem(0)->text(), QStringLiteral("参数名"));
    QCOMPARE(radio->horizontalHeaderItem(1)->text(), QStringLiteral("参数值"));
    QCOMPARE(cellText(radio, 1, 0), QStringLiteral("power"));
    QCOMPARE(radio->item(0, 0)->toolTip(), QStringLiteral("MHz step"));
    QCOMPARE(radio->item(1, 0)->toolTip(), QString());
    QVERIFY(!(radio->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(radio->item(0, 1)->flags() & Qt::ItemIsEditable);
    QVERIFY(radio->columnWidth(0) >= 150);

    const struct {
        int row, column;
        const char *name, *text, *tip;
    } expected[] = {
        {2, 0, "pbtnQuery", "查询", "查询本页数据"},
        {2, 1, "pbtnSetting", "设置", "设置本页数据"},
        {3, 0, "pbtnQueryCode", " 生成查询指令", "生成查询指令"},
        {3, 1, "pbtnSettingCode", "生成设置指令", "生成设置指令"},
    };
    for (const auto& e : expected) {
        QPushButton* b = button(radio, e.row, e.column);
        QVERIFY2(b, e.name);
        QCOMPARE(b->objectName(), QString::fromLatin1(e.name));
        QCOMPARE(b->text(), QString::fromUtf8(e.text));
        QCOMPARE(b->toolTip(), QString::fromUtf8(e.tip));
        QCOMPARE(b->focusPolicy(), Qt::NoFocus);
    }

    // Write-only page: the read cells stay empty ({"ctl2":36} alone is no section).
    QTableWidget* unnamed = tabs.table(1);
    QCOMPARE(unnamed->objectName(), QStringLiteral("命令列表"));
    QCOMPARE(unnamed->rowCount(), 3);
    QVERIFY(!button(unnamed, 1, 0));
    QVERIFY(!button(unnamed, 2, 0));
    QCOMPARE(button(unnamed, 1, 1)->objectName(), QStringLiteral("pbtnSetting"));
}

void TstCmdPages::unlistedCommandHasPageButNoName()
{
    TabWidgetCfgDtu tabs;
    QSignalSpy names(&tabs, &TabWidgetCfgDtu::addTabName);
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a")),
                                        command("Hidden", uint8Param("h"), {}, "\"show\":false,"),
                                        command("C", uint8Param("c"))})),
             0);
    QCOMPARE(tabs.count(), 3);
    QCOMPARE(tabs.table(1)->objectName(), QStringLiteral("Hidden"));
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.at(0).at(0).toString(), QStringLiteral("A"));
    QCOMPARE(names.at(1).at(0).toString(), QStringLiteral("C"));
}

void TstCmdPages::everyPageGetsItsTableSoonAfterLoading()
{
    TabWidgetCfgDtu tabs;
    QList<QByteArray> cmds;
    for (int i = 0; i < 40; ++i)
        cmds << command(qPrintable(QStringLiteral("C%1").arg(i)), uint8Param("p"));
    QCOMPARE(tabs.parseCmdJson(cmdFile(cmds)), 0);
    QCOMPARE(tabs.count(), 40);
    // The page on show has its table at once; the others follow in idle time.
    QVERIFY(tabs.widget(0)->findChild<QTableWidget*>());
    QTRY_VERIFY_WITH_TIMEOUT(tabs.widget(39)->findChild<QTableWidget*>(), 10000);
    for (int i = 0; i < tabs.count(); ++i) {
        const auto tables = tabs.widget(i)->findChildren<QTableWidget*>();
        QCOMPARE(tables.size(), 1);
        QCOMPARE(tables.at(0), tabs.table(i));
        QCOMPARE(tables.at(0)->objectName(), QStringLiteral("C%1").arg(i));
    }
}

void TstCmdPages::commandWithoutParametersEndsLoadKeepingItsPage()
{
    TabWidgetCfgDtu tabs;
    const QByteArray broken = R"({"name":"p"}, {"name":"q","type":"bool"}, 3)";
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a"), R"("query":{"ctl2":33,"res":[0]})"),
                                        command("Broken", broken, R"("query":{"ctl2":34,"res":[0]})"),
                                        command("Never", uint8Param("n"))})),
             0);
    QCOMPARE(tabs.count(), 2);
    QCOMPARE(tabs.commands().size(), 1);
    QTableWidget* empty = tabs.table(1);
    QCOMPARE(empty->objectName(), QStringLiteral("Broken"));
    QCOMPARE(empty->rowCount(), 4);  // the "param" elements plus one, all empty
    QCOMPARE(empty->findChildren<QPushButton*>().size(), 0);
    QVERIFY(!empty->item(0, 0));

    // Its buttons-less page never builds requests.
    QSignalSpy clicked(&tabs, &TabWidgetCfgDtu::clicked);
    tabs.setCurrentIndex(1);
    QMetaObject::invokeMethod(&tabs, "createRequestData", Q_ARG(int, 0), Q_ARG(bool, true));
    QCOMPARE(clicked.size(), 0);

    TabWidgetCfgDtu first;
    QCOMPARE(first.parseCmdJson(cmdFile({command("Broken", broken), command("A", uint8Param("a"))})), -4);
    QCOMPARE(first.count(), 1);
}

void TstCmdPages::queryWithoutRequestIndicesSendsThreeByteBody()
{
    TabWidgetCfgDtu tabs;
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a") + "," + uint8Param("b"),
                                                R"("query":{"ctl2":33,"res":[0,1]})")})),
             0);
    tabs.show();
    QSignalSpy clicked(&tabs, &TabWidgetCfgDtu::clicked);
    QTest::mouseClick(button(tabs.table(0), 2, 0), Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked.at(0).at(0).toByteArray().toHex(), QByteArray("210000"));
    QCOMPARE(clicked.at(0).at(1).toBool(), true);

    QTest::mouseClick(button(tabs.table(0), 3, 0), Qt::LeftButton);
    QCOMPARE(clicked.size(), 2);
    QCOMPARE(clicked.at(1).at(0).toByteArray().toHex(), QByteArray("210000"));
    QCOMPARE(clicked.at(1).at(1).toBool(), false);
}

void TstCmdPages::typedValuesMakeTheRequestPayload()
{
    TabWidgetCfgDtu tabs;
    const QByteArray params = R"({"name":"ch","type":"uint16_t","num":3,"show":"十进制正整数"},
        {"name":"key","type":"uint8_t","num":2,"show":"十六进制数"},
        {"name":"id","type":"string","num":6,"show":"字符串"})";
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", params, R"("setting":{"ctl2":290,"req":[2,0,1]})")})), 0);
    tabs.show();
    QTableWidget* table = tabs.table(0);
    typeInto(table, 0, "1 2");
    typeInto(table, 1, "1f  0A");
    typeInto(table, 2, "ab c");
    QCOMPARE(cellText(table, 1, 1), QStringLiteral("1f  0A"));

    QSignalSpy clicked(&tabs, &TabWidgetCfgDtu::clicked);
    QTest::mouseClick(button(table, 3, 1), Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    // Only the low byte of control code 290 travels; fields in "req" order.
    QCOMPARE(clicked.at(0).at(0).toByteArray().toHex(),
             QByteArray("22" "0e00" "616220630000" "01000200ffff" "1f0a"));
    // Building a request leaves the cells as typed.
    QCOMPARE(cellText(table, 2, 1), QStringLiteral("ab c"));
}

void TstCmdPages::longPayloadTravelsWholeUnderCappedLength()
{
    TabWidgetCfgDtu tabs;
    QCOMPARE(tabs.parseCmdJson(cmdFile({command(
                 "Big", R"({"name":"blob","type":"uint8_t","num":1500,"show":"十六进制数"})",
                 R"("setting":{"ctl2":5,"req":[0]})")})),
             0);
    tabs.show();
    QSignalSpy clicked(&tabs, &TabWidgetCfgDtu::clicked);
    QTest::mouseClick(button(tabs.table(0), 1, 1), Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    const QByteArray body = clicked.at(0).at(0).toByteArray();
    QCOMPARE(body.size(), 1503);
    QCOMPARE(body.left(3).toHex(), QByteArray("050004"));
    QCOMPARE(body.mid(3), QByteArray(1500, '\xFF'));
}

void TstCmdPages::requestIndexOutOfRangeSendsNothing()
{
    TabWidgetCfgDtu tabs;
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a") + "," + uint8Param("b"),
                                                R"("query":{"ctl2":33,"req":[0,2],"res":[0]},)"
                                                R"("setting":{"ctl2":34,"req":[-1]})")})),
             0);
    tabs.show();
    QSignalSpy clicked(&tabs, &TabWidgetCfgDtu::clicked);
    for (int nRow : {2, 3}) {
        for (int nColumn : {0, 1})
            QTest::mouseClick(button(tabs.table(0), nRow, nColumn), Qt::LeftButton);
    }
    QCOMPARE(clicked.size(), 0);
}

void TstCmdPages::responseFillsPageAndSummary()
{
    TabWidgetCfgDtu tabs;
    const QByteArray params = R"({"name":"freq","type":"uint16_t","num":1,"show":"十进制正整数"},
        {"name":"power","type":"uint8_t","num":1,"show":"十进制数"},
        {"name":"unused","type":"uint8_t","num":1,"show":"十进制数"})";
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("Other", uint8Param("o")),
                                        command("Radio", params, R"("query":{"ctl2":33,"res":[1,0]})")})),
             0);
    QSignalSpy decoded(&tabs, &TabWidgetCfgDtu::sendDecode);
    tabs.showResponse(answer(0x21, "14" "b101"));
    QCOMPARE(cellText(tabs.table(1), 0, 1), QStringLiteral("433"));
    QCOMPARE(cellText(tabs.table(1), 1, 1), QStringLiteral("20"));
    QCOMPARE(cellText(tabs.table(1), 2, 1), QString());
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded.at(0).at(0).toString(), QStringLiteral("[Radio]\r\nfreq : 433\r\npower : 20"));
}

void TstCmdPages::commandFileTextsShowInOperatorLanguage()
{
    CommandTextTranslator translator;
    QCoreApplication::installTranslator(&translator);
    const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&translator); });

    TabWidgetCfgDtu tabs;
    QSignalSpy names(&tabs, &TabWidgetCfgDtu::addTabName);
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("无线信道", uint8Param("信道号", "0 到 31") + "," + uint8Param("功率"),
                                                R"("query":{"ctl2":33,"res":[0,1]})"),
                                        command("", uint8Param("x"))})),
             0);
    QCOMPARE(names.size(), 2);
    QCOMPARE(names.at(0).at(0).toString(), QStringLiteral("Radio channel"));
    QCOMPARE(names.at(1).at(0).toString(), QStringLiteral("Command list"));
    QCOMPARE(tabs.tabText(0), QStringLiteral("Radio channel"));

    QTableWidget* table = tabs.table(0);
    QCOMPARE(table->accessibleName(), QStringLiteral("Radio channel"));
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("Channel"));
    QCOMPARE(table->item(0, 0)->toolTip(), QStringLiteral("0 to 31"));
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("功率"));  // no translation: shown as written

    // The loaded records and the page's object name keep the file's text.
    QCOMPARE(table->objectName(), QStringLiteral("无线信道"));
    QCOMPARE(tabs.commands().at(0).name, QStringLiteral("无线信道"));
    QCOMPARE(tabs.commands().at(0).m_param.at(0).name, QStringLiteral("信道号"));

    QSignalSpy decoded(&tabs, &TabWidgetCfgDtu::sendDecode);
    tabs.showResponse(answer(0x21, "07" "08"));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded.at(0).at(0).toString(), QStringLiteral("[Radio channel]\r\nChannel : 7\r\n功率 : 8"));
}

void TstCmdPages::sharedControlCodeUpdatesOnlyLaterPage()
{
    TabWidgetCfgDtu tabs;
    const QByteArray query = R"("query":{"ctl2":33,"res":[0]})";
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("First", uint8Param("a"), query),
                                        command("Second", uint8Param("b"), query)})),
             0);
    QSignalSpy decoded(&tabs, &TabWidgetCfgDtu::sendDecode);
    tabs.showResponse(answer(0x21, "07"));
    QCOMPARE(cellText(tabs.table(0), 0, 1), QString());
    QCOMPARE(cellText(tabs.table(1), 0, 1), QStringLiteral("7"));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded.at(0).at(0).toString(), QStringLiteral("[Second]\r\nb : 7"));
}

void TstCmdPages::unusableResponsesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("image packet control") << answer(0xA0, "07");
    QTest::newRow("length zero") << answer(0x21, "");
    QTest::newRow("length above 1024") << answer(0x21, QByteArray(1025 * 2, '0'));
    QTest::newRow("truncated") << answer(0x21, "0708").left(11);
    QTest::newRow("unknown control") << answer(0x22, "07");
    QTest::newRow("payload longer than fields") << answer(0x21, "0708");
    QTest::newRow("empty") << QByteArray();
}

void TstCmdPages::unusableResponsesChangeNothing()
{
    QFETCH(QByteArray, frame);

    TabWidgetCfgDtu tabs;
    const QByteArray query = R"("query":{"ctl2":33,"res":[0]})";
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a"), query),
                                        command("B", uint8Param("b"), R"("query":{"ctl2":160,"res":[0]})")})),
             0);
    tabs.table(0)->item(0, 1)->setText(QStringLiteral("kept"));
    QSignalSpy decoded(&tabs, &TabWidgetCfgDtu::sendDecode);
    tabs.showResponse(frame);
    QCOMPARE(cellText(tabs.table(0), 0, 1), QStringLiteral("kept"));
    QCOMPARE(cellText(tabs.table(1), 0, 1), QString());
    QCOMPARE(decoded.size(), 0);
}

void TstCmdPages::deleteKeyClearsOnlyValueCells()
{
    TabWidgetCfgDtu tabs;
    QCOMPARE(tabs.parseCmdJson(cmdFile({command("A", uint8Param("a") + "," + uint8Param("b"),
                                                R"("query":{"ctl2":33,"res":[0,1]})")})),
             0);
    tabs.show();
    QTableWidget* table = tabs.table(0);
    typeInto(table, 0, "12");
    typeInto(table, 1, "34");
    table->setFocus();
    table->selectAll();
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(cellText(table, 0, 1), QString());
    QCOMPARE(cellText(table, 1, 1), QString());
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("a"));
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("b"));

    // Another key leaves the values alone.
    typeInto(table, 0, "56");
    table->selectAll();
    QTest::keyClick(table, Qt::Key_Home);
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("56"));
}

void TstCmdPages::loadFileReportsMissingAndUnreadable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TabWidgetCfgDtu tabs;
    QCOMPARE(tabs.loadCmdFile(dir.filePath("absent.json")), -1);
    QCOMPARE(tabs.loadCmdFile(dir.path()), -2);  // a directory cannot be read as a file

    QFile bad(dir.filePath("bad.json"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("{\"cmd\":[}");
    bad.close();
    QVERIFY(tabs.loadCmdFile(bad.fileName()) > 0);

    CfgDtu page;
    QCOMPARE(page.loadCommands(dir.filePath("absent.json")), -1);
    QCOMPARE(page.loadCommands(QStringLiteral("cmds.json")), 0);
    auto* pages = page.findChild<TabWidgetCfgDtu*>(QStringLiteral("tabWidgetCfgDtu"));
    QVERIFY(pages->count() >= 10);
    QCOMPARE(page.findChild<QListWidget*>(QStringLiteral("listWidget"))->currentRow(), 0);
    QCOMPARE(pages->currentIndex(), 0);
}

void TstCmdPages::generateButtonShowsFrameCode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cmds.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cmdFile({command("A", uint8Param("a"), R"("query":{"ctl2":33,"res":[0]})")}));
    file.close();

    CfgDtu page;
    QCOMPARE(page.loadCommands(path), 0);
    page.show();
    QSignalSpy sent(&page, &CfgDtu::sendCmd);
    auto* pages = page.findChild<TabWidgetCfgDtu*>();
    QTest::mouseClick(button(pages->table(0), 2, 0), Qt::LeftButton);
    auto* code = page.findChild<QLineEdit*>(QStringLiteral("editGenCode"));
    QCOMPARE(code->text(), QStringLiteral("AA0100000000210000CCEE"));
    QCOMPARE(sent.size(), 0);
    QVERIFY(page.findChild<QLineEdit*>(QStringLiteral("lineEditStart"))->isHidden());
}

void TstCmdPages::sendButtonEmitsFrameAndKeepsCode()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cmds.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cmdFile({command("A", uint8Param("a") + "," + R"({"name":"b","type":"uint16_t","num":1,"show":"十进制数"})",
                                R"("query":{"ctl2":33,"res":[0]},"setting":{"ctl2":34,"req":[0,1]})")}));
    file.close();

    CfgDtu page;
    QCOMPARE(page.loadCommands(path), 0);
    page.show();
    auto* table = page.findChild<TabWidgetCfgDtu*>()->table(0);
    typeInto(table, 0, "170");
    typeInto(table, 1, "-2");
    QTest::mouseClick(button(table, 3, 0), Qt::LeftButton);  // generate the query code first
    auto* code = page.findChild<QLineEdit*>(QStringLiteral("editGenCode"));
    const QString strGenerated = code->text();

    QSignalSpy sent(&page, &CfgDtu::sendCmd);
    QTest::mouseClick(button(table, 2, 1), Qt::LeftButton);
    QCOMPARE(sent.size(), 1);
    // The same bytes as the protocol's own frame builder gives for address 0.
    QCOMPARE(sent.at(0).at(0).toByteArray(), encodeFrame(0, 0x22, QByteArray::fromHex("aafeff")));
    QCOMPARE(code->text(), strGenerated);
}

void TstCmdPages::copyPutsCodeOnClipboardOnlyWhenPresent()
{
    CfgDtu page;
    QCOMPARE(page.loadCommands(QStringLiteral("cmds.json")), 0);
    page.show();
    QSignalSpy logs(&page, &CfgDtu::setLog);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("untouched"));
    auto* copy = page.findChild<QPushButton*>(QStringLiteral("pbCopy"));

    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(logs.size(), 0);
    QCOMPARE(clipboard->text(), QStringLiteral("untouched"));

    auto* pages = page.findChild<TabWidgetCfgDtu*>();
    QTest::mouseClick(button(pages->table(0), pages->commands().at(0).m_param.size() + 1, 0), Qt::LeftButton);
    const QString strCode = page.findChild<QLineEdit*>(QStringLiteral("editGenCode"))->text();
    QVERIFY(strCode.startsWith(QStringLiteral("AA0100000000")));
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(clipboard->text(), strCode);
    QCOMPARE(logs.size(), 1);
    QCOMPARE(logs.at(0).at(0).toString(), QStringLiteral("复制到剪贴板"));
}

void TstCmdPages::framesWithoutHeadOrTailNeverReachPages()
{
    CfgDtu page;
    QCOMPARE(page.loadCommands(QStringLiteral("cmds.json")), 0);
    auto* pages = page.findChild<TabWidgetCfgDtu*>();
    QSignalSpy decoded(&page, &CfgDtu::sendDecode);
    // "无线信道" answers with channel (u8) and centre frequency (double).
    QByteArray frame = answer(0x21, "05" "0000000000107b40");

    QByteArray badTail = frame;
    badTail[badTail.size() - 1] = char(0xEF);
    page.decodeResponse(badTail);
    page.decodeResponse(QByteArray());
    page.decodeResponse(frame.mid(1));
    QCOMPARE(decoded.size(), 0);
    QCOMPARE(cellText(pages->table(0), 0, 1), QString());

    page.decodeResponse(frame);
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(cellText(pages->table(0), 0, 1), QStringLiteral("5"));
    QCOMPARE(cellText(pages->table(0), 1, 1), QStringLiteral("433.000000"));
}

void TstCmdPages::listRowsOpenThePagesTheyName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cmds.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cmdFile({command("A", uint8Param("a")), command("B", uint8Param("b")),
                        command("Hidden", uint8Param("h"), {}, "\"show\":false,"),
                        command("C", uint8Param("c"))}));
    file.close();

    CfgDtu page;
    QCOMPARE(page.loadCommands(path), 0);
    page.show();
    auto* list = page.findChild<QListWidget*>(QStringLiteral("listWidget"));
    auto* pages = page.findChild<TabWidgetCfgDtu*>();
    QCOMPARE(list->count(), 3);
    QCOMPARE(pages->count(), 4);

    const struct {
        int row;
        const char* page;
    } rows[] = {{1, "B"}, {2, "C"}, {0, "A"}};
    for (const auto& r : rows) {
        QListWidgetItem* item = list->item(r.row);
        QCOMPARE(item->text(), QString::fromLatin1(r.page));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        QCOMPARE(list->currentRow(), r.row);
        QCOMPARE(pages->currentWidget()->findChild<QTableWidget*>()->objectName(), QString::fromLatin1(r.page));
    }
}

void TstCmdPages::splitterSizesPersistInGroup()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("Telvane.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("CfgDtu/CmdSize"), 150);
    settings.setValue(QStringLiteral("CfgDtu/ParamSize"), 450);

    CfgDtu page;
    page.resize(800, 400);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.loadSettings(&settings);
    auto* splitter = page.findChild<QSplitter*>(QStringLiteral("splitter"));
    const QList<int> sizes = splitter->sizes();
    QCOMPARE(sizes.size(), 2);
    // The splitter shares its width in the stored proportion.
    QVERIFY2(qAbs(sizes.at(1) - 3 * sizes.at(0)) <= 8, qPrintable(QStringLiteral("%1 %2").arg(sizes.at(0)).arg(sizes.at(1))));

    QSettings saved(dir.filePath("saved.ini"), QSettings::IniFormat);
    page.saveSettings(&saved);
    QCOMPARE(saved.childGroups(), QStringList{QStringLiteral("CfgDtu")});
    QCOMPARE(saved.value(QStringLiteral("CfgDtu/CmdSize")).toInt(), sizes.at(0));
    QCOMPARE(saved.value(QStringLiteral("CfgDtu/ParamSize")).toInt(), sizes.at(1));
}

QTEST_MAIN(TstCmdPages)
#include "tst_cmdpages.moc"
