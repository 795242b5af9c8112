#include "hexcodec.h"
#include "rxdisplay.h"
#include "loadrxtx.h"
#include "rxtx.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <memory>

namespace {

struct Warning
{
    QString strTitle;
    QString strText;
};

}  // namespace

class TestRxTx : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsExactBytes_data();
    void sendsExactBytes();
    void emptyCustomCodeIsRefusedAndReset();
    void framePayloadAboveLengthFieldIsRefused_data();
    void framePayloadAboveLengthFieldIsRefused();
    void hexToTextConvertsTypedDataUpToZero_data();
    void hexToTextConvertsTypedDataUpToZero();
    void nonHexTextStaysHexWithAWarning();
    void textToHexGivesLowercaseDigits();
    void customCommandAndTerminalIdExcludeEachOther();
    void userIdOptionsFollowTheirCheckBoxes();
    void intervalBelowMinimumBecomesMinimum();
    void subPacketTimeOutIsTakenFromTheField();
    void receivedChunksRunTogetherWithoutTimestamps();
    void timestampedLinesCarryTimeAndDirection();
    void switchingTheDisplayModeBackAndForthKeepsEverything();
    void decodedAnswersShowOnlyWhenEnabled();
    void clearingEmptiesViewAndStore();
    void receiveViewSkipsShapingUnderAStyleSheetFont();
    void sessionLogFollowsItsCheckBox();
    void sendAndClearFromTheKeyboard();
    void findSelectsMatchesAndWrapsAround_data();
    void findSelectsMatchesAndWrapsAround();
    void sendBoxWalksTheHistoryWithUpAndDown();
    void exportSavesTheReceiveView();
    void viewStaysBoundedAndShowsTheNewestData();
    void settingsRoundTrip();
    void unknownStoredModesFallBackToHex();

private:
    template<typename T>
    T* find(const char* name) const
    {
        T* widget = m_page->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("missing widget %s", name);
        return widget;
    }
    void load(const QVariantMap& values);
    QString rxText() const { return find<QTextEdit>("textEditRx")->toPlainText(); }
    void typeTx(const QString& text);

    QTemporaryDir m_dir;
    std::unique_ptr<RxTx> m_page;
    QList<Warning> m_warnings;
};

void TestRxTx::init()
{
    m_warnings.clear();
    m_page = std::make_unique<RxTx>(nullptr);
    m_page->setMessageHook([this](QMessageBox::Icon, const QString& title, const QString& text) { m_warnings.append({title, text}); });
    m_page->setRxFlushInterval(5);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    QApplication::setActiveWindow(m_page.get());
    QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
}

void TestRxTx::cleanup()
{
    m_page.reset();
}

void TestRxTx::load(const QVariantMap& values)
{
    loadRxTxSettings(m_page.get(), m_dir.filePath(QStringLiteral("load.ini")), values);
}

void TestRxTx::typeTx(const QString& text)
{
    QTextEdit* edit = find<QTextEdit>("textEditTx");
    edit->setFocus();
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines.at(i));
    }
}

void TestRxTx::sendsExactBytes_data()
{
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");

    const QVariantMap userData{{"TxAsyncOptVisible", true}, {"CheckedDstUsrId", true}, {"CheckedInterval", true},
                               {"DstUsrId", "12"}, {"Interval", "300"}, {"DstAddr", "10"}, {"TxMode", 1}};
    QVariantMap hiddenUserData = userData;
    hiddenUserData.remove("TxAsyncOptVisible");
    QVariantMap userIdOnly = userData;
    userIdOnly["CheckedInterval"] = false;

    QTest::newRow("hex raw") << QVariantMap() << "AA 1 02" << QByteArray::fromHex("AA0102");
    QTest::newRow("text with CR LF") << QVariantMap{{"TxMode", 1}, {"InsetReturn", true}} << "abc"
                                     << QByteArray::fromHex("6162630D0A");
    QTest::newRow("return ignored in hex mode") << QVariantMap{{"InsetReturn", true}} << "41"
                                                << QByteArray::fromHex("41");
    QTest::newRow("custom code 5, empty text") << QVariantMap{{"ChkCustomCtl", true}, {"CustomCtl", "5"}} << ""
                                               << QByteArray::fromHex("AA0100000000050000B0EE");
    QTest::newRow("terminal ID 1") << QVariantMap{{"ChkTerminalId", true}, {"TerminalId", "1"}} << "AA"
                                   << QByteArray::fromHex("AA010000000064050001000000AABFEE");
    QTest::newRow("user ID, delay, address") << userData << "hi"
                                             << QByteArray::fromHex("AA0110000000010A000C0000002C0100006869D0EE");
    QTest::newRow("options take no part while hidden") << hiddenUserData << "hi" << QByteArray("hi");
    QTest::newRow("user ID without delay travels raw") << userIdOnly << "hi" << QByteArray::fromHex("0C0000006869");
    QTest::newRow("hex with a line break") << QVariantMap() << "AA\nBB" << QByteArray::fromHex("00AABB");
    QTest::newRow("empty text sends nothing") << QVariantMap{{"ChkTerminalId", true}} << "" << QByteArray();
}

void TestRxTx::sendsExactBytes()
{
    QFETCH(QVariantMap, settings);
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);

    load(settings);
    typeTx(typed);
    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    if (sent.isEmpty()) {
        QCOMPARE(spy.count(), 0);
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray(), sent);
    }
    QVERIFY(m_warnings.isEmpty());
}

void TestRxTx::emptyCustomCodeIsRefusedAndReset()
{
    load({});
    QTest::mouseClick(find<QCheckBox>("chkCustomCtl"), Qt::LeftButton);
    QLineEdit* code = find<QLineEdit>("editCustomCtl");
    code->selectAll();
    QTest::keyClick(code, Qt::Key_Backspace);
    QCOMPARE(code->text(), QString());

    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(m_warnings.size(), 1);
    QCOMPARE(m_warnings.at(0).strTitle, QStringLiteral("告警"));
    QCOMPARE(m_warnings.at(0).strText, QStringLiteral(" 自定义命令不能为空\n请输入自定义命令"));
    QCOMPARE(code->text(), QStringLiteral("0"));
    QCOMPARE(code->selectedText(), QStringLiteral("0"));

    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray::fromHex("AA0100000000000000ABEE"));
}

void TestRxTx::framePayloadAboveLengthFieldIsRefused_data()
{
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<int>("sentSize");  // 0: refused

    const QVariantMap terminalId{{"TxMode", 1}, {"ChkTerminalId", true}};
    QTest::newRow("terminal ID, payload 65535") << terminalId << 65531 << 65535 + 11;
    QTest::newRow("terminal ID, payload 65536") << terminalId << 65532 << 0;
    QTest::newRow("custom code, payload 70000") << QVariantMap{{"TxMode", 1}, {"ChkCustomCtl", true}} << 70000 << 0;
    QTest::newRow("raw data has no length field") << QVariantMap{{"TxMode", 1}} << 70000 << 70000;
}

void TestRxTx::framePayloadAboveLengthFieldIsRefused()
{
    QFETCH(QVariantMap, settings);
    QFETCH(int, textSize);
    QFETCH(int, sentSize);

    load(settings);
    find<QTextEdit>("textEditTx")->setPlainText(QString(textSize, QLatin1Char('x')));
    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    if (sentSize == 0) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_warnings.size(), 1);
        QCOMPARE(m_warnings.at(0).strTitle, QStringLiteral("告警"));
    } else {
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toByteArray().size(), sentSize);
        QVERIFY(m_warnings.isEmpty());
    }
}

void TestRxTx::hexToTextConvertsTypedDataUpToZero_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("converted");
    QTest::newRow("two bytes") << "41 42" << "AB";
    QTest::newRow("ends at zero") << "41 00 42" << "A";
    QTest::newRow("odd length padded") << "141" << "\x01" "A";
}

void TestRxTx::hexToTextConvertsTypedDataUpToZero()
{
    QFETCH(QString, typed);
    QFETCH(QString, converted);
    load({});
    typeTx(typed);
    QTest::mouseClick(find<QRadioButton>("radioTxStr"), Qt::LeftButton);
    QCOMPARE(find<QTextEdit>("textEditTx")->toPlainText(), converted);
    QVERIFY(find<QCheckBox>("chkReturn")->isVisible());
    QVERIFY(m_warnings.isEmpty());
}

void TestRxTx::nonHexTextStaysHexWithAWarning()
{
    load({});
    typeTx(QStringLiteral("AA\nBB"));
    QTest::mouseClick(find<QRadioButton>("radioTxStr"), Qt::LeftButton);
    QCOMPARE(m_warnings.size(), 1);
    QCOMPARE(m_warnings.at(0).strTitle, QStringLiteral("字符错误"));
    QCOMPARE(m_warnings.at(0).strText, QStringLiteral("仅能转换十六进制字符"));
    QVERIFY(find<QRadioButton>("radioTxHex")->isChecked());
    QVERIFY(!find<QRadioButton>("radioTxStr")->isChecked());
    QVERIFY(!find<QCheckBox>("chkReturn")->isVisible());
    QCOMPARE(find<QTextEdit>("textEditTx")->toPlainText(), QStringLiteral("AA\nBB"));

    // Still hex: the text is sent as typed hex.
    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray::fromHex("00AABB"));
}

void TestRxTx::textToHexGivesLowercaseDigits()
{
    load({{"TxMode", 1}});
    typeTx(QStringLiteral("A"));
    find<QTextEdit>("textEditTx")->insertPlainText(QStringLiteral("收"));  // no key for it
    QTest::mouseClick(find<QRadioButton>("radioTxHex"), Qt::LeftButton);
    QCOMPARE(find<QTextEdit>("textEditTx")->toPlainText(), QStringLiteral("41e694b6"));
    QVERIFY(!find<QCheckBox>("chkReturn")->isVisible());
}

void TestRxTx::customCommandAndTerminalIdExcludeEachOther()
{
    load({{"TxAsyncOptVisible", true}});
    QCheckBox* custom = find<QCheckBox>("chkCustomCtl");
    QCheckBox* terminal = find<QCheckBox>("chkTerminalId");
    QWidget* txOpt = find<QWidget>("widgetTxOpt");

    QTest::mouseClick(custom, Qt::LeftButton);
    QVERIFY(custom->isChecked());
    QVERIFY(find<QLineEdit>("editCustomCtl")->isEnabled());
    QVERIFY(!txOpt->isEnabled());

    QTest::mouseClick(terminal, Qt::LeftButton);
    QVERIFY(terminal->isChecked());
    QVERIFY(!custom->isChecked());
    QVERIFY(find<QLineEdit>("editTerminalId")->isEnabled());
    QVERIFY(!find<QLineEdit>("editCustomCtl")->isEnabled());
    QVERIFY(txOpt->isEnabled());

    QTest::mouseClick(custom, Qt::LeftButton);
    QVERIFY(custom->isChecked());
    QVERIFY(!terminal->isChecked());
    QVERIFY(!find<QLineEdit>("editTerminalId")->isEnabled());
}

void TestRxTx::userIdOptionsFollowTheirCheckBoxes()
{
    load({{"TxAsyncOptVisible", true}});
    QCheckBox* userId = find<QCheckBox>("chkDstUsrId");
    QCheckBox* interval = find<QCheckBox>("chkInterval");
    QLineEdit* userIdEdit = find<QLineEdit>("editDstUsrId");
    QLineEdit* intervalEdit = find<QLineEdit>("editInterval");
    QLineEdit* addr = find<QLineEdit>("editDstAddr");
    QVERIFY(!userIdEdit->isEnabled() && !interval->isEnabled() && !intervalEdit->isEnabled() && !addr->isEnabled());
    QVERIFY(addr->isHidden() && find<QWidget>("lblDevAddr")->isHidden());

    QTest::mouseClick(userId, Qt::LeftButton);
    QVERIFY(userIdEdit->isEnabled() && interval->isEnabled());
    QVERIFY(!intervalEdit->isEnabled());
    QTest::mouseClick(interval, Qt::LeftButton);
    QVERIFY(intervalEdit->isEnabled() && addr->isEnabled());

    QTest::mouseClick(userId, Qt::LeftButton);
    QVERIFY(!userIdEdit->isEnabled() && !interval->isEnabled() && !intervalEdit->isEnabled());
    QVERIFY(interval->isChecked());
    QTest::mouseClick(userId, Qt::LeftButton);  // the delay time comes back as it was
    QVERIFY(intervalEdit->isEnabled() && addr->isEnabled());
}

void TestRxTx::intervalBelowMinimumBecomesMinimum()
{
    load({{"TxAsyncOptVisible", true}, {"CheckedDstUsrId", true}, {"CheckedInterval", true}});
    QLineEdit* interval = find<QLineEdit>("editInterval");
    interval->selectAll();
    QTest::keyClicks(interval, QStringLiteral("99"));
    QTest::keyClick(interval, Qt::Key_Return);
    QCOMPARE(interval->text(), QStringLiteral("250"));
    interval->selectAll();
    QTest::keyClicks(interval, QStringLiteral("42949679"));  // the last digit is refused
    QCOMPARE(interval->text(), QStringLiteral("4294967"));
}

void TestRxTx::subPacketTimeOutIsTakenFromTheField()
{
    load({{"SubPkgTime", "40"}});
    QCOMPARE(m_page->rxDisplay().subPkgTime(), 40);
    QLineEdit* field = find<QLineEdit>("editSubPkgTime");
    QVERIFY(field->isVisible());
    for (const char* text : {"19", "abc", "2147483647"}) {
        field->selectAll();
        QTest::keyClicks(field, QLatin1String(text));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(m_page->rxDisplay().subPkgTime(), 40);
        QCOMPARE(field->text(), QLatin1String(text));
    }
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("75"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(m_page->rxDisplay().subPkgTime(), 75);

    QCheckBox* timestamp = find<QCheckBox>("chkTimestamp");
    QVERIFY(timestamp->isChecked());
    QTest::mouseClick(timestamp, Qt::LeftButton, {}, QPoint(6, timestamp->height() / 2));  // on the indicator
    QVERIFY(!timestamp->isChecked());
    QVERIFY(!field->isVisible());
}

void TestRxTx::receivedChunksRunTogetherWithoutTimestamps()
{
    load({{"RxTimeStamp", false}});
    m_page->showRx(QByteArray::fromHex("AA01"), 0);
    m_page->showRx(QByteArray::fromHex("02"), 0);
    m_page->showRx(QByteArray::fromHex("03"), 1);
    QTRY_COMPARE(rxText(), QStringLiteral("AA 010203"));
    QCOMPARE(find<QTextEdit>("textEditRx")->document()->blockCount(), 1);
}

void TestRxTx::timestampedLinesCarryTimeAndDirection()
{
    load({});
    QTest::qWait(40);  // past the 20 ms time-out that the load started
    m_page->showRx("\x01", 0);
    QTRY_VERIFY(!m_page->rxDisplay().hasPending());
    QVERIFY2(QRegExp(QStringLiteral("\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\]<< 01")).exactMatch(rxText()), qPrintable(rxText()));
    QTest::mouseClick(find<QPushButton>("pbClearRx"), Qt::LeftButton);

    qint64 now = 1000;
    m_page->rxDisplay().setClock([&now] { return now; }, [] { return QStringLiteral("[12:00:00.000]"); });
    m_page->rxDisplay().applySubPkgTime(20);
    now += 20;
    m_page->showRx(QByteArray::fromHex("AA"), 0);
    now += 5;
    m_page->showRx(QByteArray::fromHex("BB"), 0);
    m_page->showRx(QByteArray::fromHex("01"), 1);
    now += 5;
    m_page->showRx(QByteArray::fromHex("CC"), 0);
    now += 20;
    m_page->showRx(QByteArray::fromHex("DD"), 0);
    QTRY_COMPARE(rxText(), QStringLiteral("[12:00:00.000]<< AABB\n[12:00:00.000]>> 01CC\n[12:00:00.000]<< DD"));
}

void TestRxTx::switchingTheDisplayModeBackAndForthKeepsEverything()
{
    load({{"RxMode", 1}, {"RxDecode", true}});
    QVERIFY(find<QRadioButton>("radioRxChar")->isChecked());
    qint64 now = 0;
    m_page->rxDisplay().setClock([&now] { return now += 1000; }, [] { return QStringLiteral("[T]"); });
    m_page->rxDisplay().applySubPkgTime(20);
    m_page->showRx(QByteArray::fromHex("410042"), 0);
    m_page->showRx(QByteArray::fromHex("AB0D"), 1);
    m_page->showDecode(QStringLiteral("信道 3"));
    const QString first = QStringLiteral("[T]<< A\u2400B\n[T]>> \ufffd\n\n信道 3");
    QTRY_COMPARE(rxText(), first);

    find<QRadioButton>("radioRxHex")->click();
    QTRY_COMPARE(rxText(), QStringLiteral("[T]<< 41 00 42\n[T]>> AB 0D\n信道 3"));
    find<QRadioButton>("radioRxChar")->click();
    QTRY_COMPARE(rxText(), first);
}

void TestRxTx::decodedAnswersShowOnlyWhenEnabled()
{
    load({{"RxTimeStamp", false}});
    m_page->showDecode(QStringLiteral("hidden"));
    m_page->showRx("\x01", 0);
    QTRY_COMPARE(rxText(), QStringLiteral("01"));
    QTest::mouseClick(find<QCheckBox>("chkDecode"), Qt::LeftButton);
    m_page->showDecode(QString());
    m_page->showDecode(QStringLiteral("<b>信道 3</b>"));
    QTRY_COMPARE(rxText(), QStringLiteral("01\n<b>信道 3</b>"));
}

void TestRxTx::clearingEmptiesViewAndStore()
{
    load({{"RxTimeStamp", false}});
    m_page->showRx("\x01", 0);
    QTRY_COMPARE(rxText(), QStringLiteral("01"));
    QTest::mouseClick(find<QPushButton>("pbClearRx"), Qt::LeftButton);
    QCOMPARE(rxText(), QString());
    QVERIFY(m_page->rxDisplay().store().empty());
    find<QRadioButton>("radioRxChar")->click();
    QCOMPARE(rxText(), QString());
}

void TestRxTx::receiveViewSkipsShapingUnderAStyleSheetFont()
{
    m_page->setStyleSheet(QStringLiteral("QWidget { font: 13pt \"Sans\"; }"));
    const QFont font = find<QTextEdit>("textEditRx")->document()->defaultFont();
    QCOMPARE(font.pointSize(), 13);
    QVERIFY(font.styleStrategy() & QFont::PreferNoShaping);
}

void TestRxTx::sessionLogFollowsItsCheckBox()
{
    load({{"RxTimeStamp", false}});
    QString chosen;
    m_page->setSaveFileChooser([&chosen](const QString&, const QString&) { return chosen; });
    QCheckBox* chk = find<QCheckBox>("chkSaveLog");

    chk->click();  // the operator cancels the file dialog
    QVERIFY(!chk->isChecked());
    chosen = m_dir.filePath(QStringLiteral("missing/s.log"));
    chk->click();
    QVERIFY(!chk->isChecked());
    QCOMPARE(m_warnings.size(), 1);
    QCOMPARE(m_warnings.at(0).strTitle, QStringLiteral("错误"));

    chosen = m_dir.filePath(QStringLiteral("s.log"));
    chk->click();
    QVERIFY(chk->isChecked());
    m_page->showRx(QByteArray::fromHex("4100"), 0);
    m_page->showRx("B", 1);
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(0).endsWith(" << 41 00  |A.|"), lines.at(0).constData());
    QVERIFY2(lines.at(1).endsWith(" >> 42  |B|"), lines.at(1).constData());

    chk->click();
    QVERIFY(!m_page->sessionLog().isOpen());
    m_page->showRx("C", 0);
    QCOMPARE(file.readAll(), QByteArray());
}

void TestRxTx::sendAndClearFromTheKeyboard()
{
    load({{"RxTimeStamp", false}});
    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    typeTx(QStringLiteral("01 02"));
    QTextEdit* tx = find<QTextEdit>("textEditTx");
    QTest::keyClick(tx, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(tx, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray::fromHex("0102"));
    QCOMPARE(tx->toPlainText(), QStringLiteral("01 02"));  // no line break typed

    m_page->showRx("\x01", 0);
    QTRY_COMPARE(rxText(), QStringLiteral("01"));
    QTest::keyClick(tx, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(rxText(), QString());
    QVERIFY(m_page->rxDisplay().store().empty());
}

void TestRxTx::findSelectsMatchesAndWrapsAround_data()
{
    // The view holds "AA 01\nBB 01\nAA 02" (positions 0, 6, 12 start the lines).
    QTest::addColumn<QString>("needle");
    QTest::addColumn<QVector<int>>("keys");  // Qt key codes; negative: with Shift
    QTest::addColumn<QVector<int>>("starts"); // selection start after each key; -1: nothing found
    const int enter = Qt::Key_Return;
    QTest::newRow("next wraps to the first") << "01" << QVector<int>{enter, enter, enter} << QVector<int>{3, 9, 3};
    QTest::newRow("previous with Shift") << "AA" << QVector<int>{enter, -enter, -enter} << QVector<int>{0, 12, 0};
    QTest::newRow("F3 and Shift+F3") << "AA" << QVector<int>{Qt::Key_F3, Qt::Key_F3, -Qt::Key_F3} << QVector<int>{0, 12, 0};
    QTest::newRow("absent") << "CC" << QVector<int>{enter} << QVector<int>{-1};
}

void TestRxTx::findSelectsMatchesAndWrapsAround()
{
    QFETCH(QString, needle);
    QFETCH(QVector<int>, keys);
    QFETCH(QVector<int>, starts);
    load({{"RxTimeStamp", false}, {"RxDecode", true}});
    m_page->showRx(QByteArray::fromHex("AA01"), 0);
    m_page->showDecode(QStringLiteral("BB 01"));
    m_page->showDecode(QStringLiteral("AA 02"));
    QTRY_COMPARE(rxText(), QStringLiteral("AA 01\nBB 01\nAA 02"));
    QTextEdit* view = find<QTextEdit>("textEditRx");
    QLineEdit* field = find<QLineEdit>("editFind");

    QVERIFY(!field->isVisible());
    QTest::keyClick(find<QTextEdit>("textEditTx"), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field->isVisible());
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, needle);
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(field, Qt::Key(qAbs(keys.at(i))), keys.at(i) < 0 ? Qt::ShiftModifier : Qt::NoModifier);
        const QTextCursor cursor = view->textCursor();
        if (starts.at(i) < 0) {
            QVERIFY(!cursor.hasSelection());
            QCOMPARE(find<QLabel>("lblFindState")->text(), QStringLiteral("未找到"));
        } else {
            QCOMPARE(cursor.selectionStart(), starts.at(i));
            QCOMPARE(cursor.selectedText(), needle);
        }
    }
    // New data does not take the match away while searching.
    m_page->showRx("\x03", 0);
    QTRY_VERIFY(!m_page->rxDisplay().hasPending());
    QCOMPARE(view->textCursor().hasSelection(), starts.last() >= 0);

    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
}

void TestRxTx::sendBoxWalksTheHistoryWithUpAndDown()
{
    load({{"TxHistory", QStringList{"0A", "0B"}}});
    QTextEdit* tx = find<QTextEdit>("textEditTx");
    QComboBox* box = find<QComboBox>("cmbHistory");
    QCOMPARE(box->count(), 2);
    typeTx(QStringLiteral("0C\n0D"));
    QTest::keyClick(find<QPushButton>("pbSend"), Qt::Key_Space);  // sends "0C\n0D"
    QCOMPARE(box->itemData(0).toString(), QStringLiteral("0C\n0D"));
    QCOMPARE(box->itemText(0), QStringLiteral("0C\u21b50D"));

    tx->setFocus();
    tx->setPlainText(QStringLiteral("draft"));
    QTest::keyClick(tx, Qt::Key_Up);
    QCOMPARE(tx->toPlainText(), QStringLiteral("0C\n0D"));
    QTest::keyClick(tx, Qt::Key_Up);  // the caret is on the second line: it moves up
    QCOMPARE(tx->toPlainText(), QStringLiteral("0C\n0D"));
    QTest::keyClick(tx, Qt::Key_Up);
    QCOMPARE(tx->toPlainText(), QStringLiteral("0A"));
    QTest::keyClick(tx, Qt::Key_Down);
    QCOMPARE(tx->toPlainText(), QStringLiteral("0C\n0D"));
    QTest::keyClick(tx, Qt::Key_Down);
    QCOMPARE(tx->toPlainText(), QStringLiteral("draft"));

    // The drop-down from the keyboard.
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(tx->toPlainText(), box->currentData().toString());
}

void TestRxTx::exportSavesTheReceiveView()
{
    load({{"RxTimeStamp", false}, {"RxMode", 1}});
    const QString path = m_dir.filePath(QStringLiteral("view.txt"));
    m_page->setSaveFileChooser([&path](const QString&, const QString&) { return path; });
    m_page->showRx("line 1\r\n信道", 0);  // exported before the view's batch is due
    QTest::mouseClick(find<QPushButton>("pbExport"), Qt::LeftButton);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("line 1\n信道"));
}

void TestRxTx::viewStaysBoundedAndShowsTheNewestData()
{
    load({{"RxTimeStamp", false}});
    QTextDocument* doc = find<QTextEdit>("textEditRx")->document();
    QByteArray chunk(1000, Qt::Uninitialized);
    const int nChunks = RxDisplay::kViewChars / 3000 + RxDisplay::kViewChars / 6000;
    for (int i = 0; i < nChunks; ++i) {
        for (int j = 0; j < chunk.size(); ++j)
            chunk[j] = char(1 + (i + j) % 255);  // no zero byte: the character view would end there
        m_page->showRx(chunk, 0);
        if (i % 200 == 0)
            QTRY_VERIFY(!m_page->rxDisplay().hasPending());
    }
    QTRY_VERIFY(!m_page->rxDisplay().hasPending());
    QVERIFY(doc->characterCount() <= RxDisplay::kViewChars);
    QVERIFY(doc->characterCount() >= RxDisplay::kViewChars / 2);
    QVERIFY(doc->lastBlock().text().endsWith(QString::fromLatin1(chunk.toHex(' ').toUpper())));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        QVERIFY(block.length() <= RxDisplay::kParagraphChars + 1);

    // A mode switch re-renders the stored tail, which fits the view.
    find<QRadioButton>("radioRxChar")->click();
    find<QRadioButton>("radioRxHex")->click();
    QTRY_VERIFY(!m_page->rxDisplay().hasPending());
    QString stored;
    for (const RxEntry& entry : m_page->rxDisplay().store())
        stored += hexDisplayText(entry.data);
    QVERIFY(stored.size() >= 3 * RxDisplay::kStoreCapBytes / 2);
    QVERIFY(stored.endsWith(hexDisplayText(chunk)));
    QCOMPARE(find<QTextEdit>("textEditRx")->toPlainText().remove(QLatin1Char('\n')), stored);
}

void TestRxTx::settingsRoundTrip()
{
    const QVariantMap values{
        {"RxSize", 300}, {"TxSize", 150}, {"RxMode", 1}, {"TxMode", 1}, {"RxDecode", true},
        {"RxTimeStamp", false}, {"SubPkgTime", "55"}, {"InsetReturn", true}, {"ChkCustomCtl", false},
        {"CustomCtl", "7f"}, {"ChkTerminalId", true}, {"TerminalId", "4000000000"},
        {"CheckedDstUsrId", true}, {"DstUsrId", "123"}, {"CheckedInterval", true}, {"Interval", "900"},
        {"DstAddr", "1A2B"}, {"TxAsyncOptVisible", true}, {"TxHistory", QStringList{"01", "02 03"}}};
    load(values);
    QVERIFY(find<QCheckBox>("chkTerminalId")->isChecked());
    QVERIFY(find<QLineEdit>("editInterval")->isEnabled());

    const QString path = m_dir.filePath(QStringLiteral("save.ini"));
    QFile::remove(path);
    {
        QSettings settings(path, QSettings::IniFormat);
        m_page->saveSettings(&settings);
    }
    QSettings saved(path, QSettings::IniFormat);
    saved.beginGroup(QStringLiteral("RxTx"));
    QStringList expectedKeys = values.keys();
    expectedKeys.removeOne(QStringLiteral("TxAsyncOptVisible"));
    QStringList keys = saved.childKeys();
    keys.sort();
    expectedKeys.sort();
    QCOMPARE(keys, expectedKeys);
    for (const QString& key : expectedKeys) {
        if (key == QLatin1String("RxSize") || key == QLatin1String("TxSize"))
            continue;  // the splitter shares its real height between them
        if (key == QLatin1String("TxHistory"))
            QCOMPARE(saved.value(key).toStringList(), values.value(key).toStringList());
        else
            QCOMPARE(saved.value(key).toString(), values.value(key).toString());
    }
    const int nTotal = saved.value("RxSize").toInt() + saved.value("TxSize").toInt();
    QVERIFY(saved.value("RxSize").toInt() > saved.value("TxSize").toInt());
    QVERIFY(nTotal > 0);
}

void TestRxTx::unknownStoredModesFallBackToHex()
{
    load({{"RxMode", 7}, {"TxMode", -1}});
    QVERIFY(find<QRadioButton>("radioRxHex")->isChecked());
    QVERIFY(find<QRadioButton>("radioTxHex")->isChecked());
    typeTx(QStringLiteral("01"));
    QSignalSpy spy(m_page.get(), &RxTx::sendData);
    QTest::mouseClick(find<QPushButton>("pbSend"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toByteArray(), QByteArray("\x01"));
}

QTEST_MAIN(TestRxTx)
#include "tst_rxtx.moc"
