#include "devicesim.h"
#include "dtuframe.h"
#include "payload.h"
#include "transtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

class TestTransTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formHasNamedWidgetsAndDefaults();
    void wakeUpOnlyCountsFiveAnsweredWakeUps();
    void wakeUpThenSendCountsTimeoutAndTwoTransfers();
    void zeroIntervalStartsNothing();
    void lateWakeUpAnswerIsLoggedNotCountedAndStillSends();
    void stopDuringPacketPhaseIgnoresLaterAnswers();
    void unbuildablePayloadOnlyShowsTheError();
    void eachOutcomeCountsOnce_data();
    void eachOutcomeCountsOnce();
    void sendThenWakeUpCountsTheWakeUp();
    void dueTaskCutsOffTheRunningTransfer();

private:
    template <class W>
    W* w(const char* name) const { return m_page->findChild<W*>(name); }
    QString log() const { return w<QTextEdit>("textEditLog")->toPlainText(); }
    void configure(int nMode, const QString& keepTime);
    void runPage() { w<QPushButton>("pbRun")->click(); }
    // Reads and acknowledges the one packet of a 1024-byte payload.
    void acknowledgeTransfer();

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<DeviceSim> m_dev;
    std::unique_ptr<TransTest> m_page;
    QStringList m_messages;
};

void TestTransTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_file = m_dir.filePath("p1008.png");
    writeImageFile(m_file, 1008);
}

void TestTransTest::init()
{
    m_messages.clear();
    m_dev = std::make_unique<DeviceSim>();
    QVERIFY(m_dev->isValid());
    m_page = std::make_unique<TransTest>();
    m_page->setMessageHook([this](QMessageBox::Icon, const QString&, const QString& text) { m_messages << text; });
    TransferTimeouts t;
    t.nAckMs = 10000;
    t.nAwakenFactor = 3;
    t.nIntervalUnitMs = 600;  // interval "1" = 600 ms
    m_page->setTimeouts(t);
    m_dev->attach(m_page.get());
    m_page->setFileChooser([this](QWidget*, const QString&) { return m_file; });
    w<QPushButton>("pbFileImport")->click();
    QVERIFY(m_messages.isEmpty());
    w<QCheckBox>("chkRle")->setChecked(false);
    w<QComboBox>("cmbCompress")->setCurrentIndex(0);
    w<QLineEdit>("editFileInterval")->setText("1");
    w<QLineEdit>("editDstAddr")->setText("77");
}

void TestTransTest::cleanup()
{
    m_page.reset();
    m_dev.reset();
}

void TestTransTest::configure(int nMode, const QString& keepTime)
{
    w<QComboBox>("cmbRun")->setCurrentIndex(nMode);
    w<QLineEdit>("editKeepTime")->setText(keepTime);
}

void TestTransTest::acknowledgeTransfer()
{
    const QByteArray packet = m_dev->nextFrame();
    QCOMPARE(frameControl(packet), dtu::kCtlPacket);
    QCOMPARE(framePayloadLength(packet), quint16(1034));
    QVERIFY(m_dev->answer(ackFrame(77, 1, 0, 0)));
}

void TestTransTest::formHasNamedWidgetsAndDefaults()
{
    TransTest page;
    QComboBox* run = page.findChild<QComboBox*>("cmbRun");
    QCOMPARE(run->count(), 4);
    QCOMPARE(run->itemText(2), QStringLiteral("先唤醒再发送"));
    QCOMPARE(run->currentIndex(), 0);
    QCOMPARE(page.findChild<QComboBox*>("cmbCompress")->currentIndex(), 1);
    QCOMPARE(page.findChild<QLineEdit*>("editFileInterval")->text(), QStringLiteral("10"));
    QCOMPARE(page.findChild<QLineEdit*>("editKeepTime")->text(), QStringLiteral("1000"));
    QCOMPARE(page.findChild<QPushButton*>("pbRun")->text(), QStringLiteral("执行"));
    QCOMPARE(page.findChild<QPushButton*>("pbStop")->text(), QStringLiteral("停止"));
    QTextEdit* log = page.findChild<QTextEdit*>("textEditLog");
    QVERIFY(!log->isReadOnly());
    QVERIFY(!log->isUndoRedoEnabled());
}

void TestTransTest::wakeUpOnlyCountsFiveAnsweredWakeUps()
{
    configure(TransTest::AwakenOnly, "5000");
    runPage();
    for (int i = 0; i < 5; ++i) {
        const QByteArray req = m_dev->nextFrame();
        QCOMPARE(req.toHex(), encodeFrame(0, dtu::kCtlAwaken, u32le(77) + u32le(5000)).toHex());
        QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    }
    QVERIFY(!m_dev->nextFrame().isEmpty());  // the sixth task
    QVERIFY(log().contains(QStringLiteral("成功: 唤醒 5 次, 发送 0 次, 总 5 次\n\n")));
    QVERIFY(log().contains(QStringLiteral("执行第 6 次任务")));
    QVERIFY(!log().contains(QStringLiteral("失败:")));
    QCOMPARE(m_page->counters().nAwakenOk, 5u);
}

void TestTransTest::wakeUpThenSendCountsTimeoutAndTwoTransfers()
{
    configure(TransTest::AwakenThenSend, "100");  // wake-up time-out 300 ms
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);  // left unanswered
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
        QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
        acknowledgeTransfer();
    }
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    QVERIFY(log().contains(QStringLiteral("成功: 唤醒 2 次, 发送 2 次, 总 2 次\n失败: 唤醒 1 次, 发送 0 次, 总 1 次\n")));
    QVERIFY(log().contains(QStringLiteral("唤醒超时\n")));
}

void TestTransTest::zeroIntervalStartsNothing()
{
    w<QLineEdit>("editFileInterval")->setText("0");
    runPage();
    QCOMPARE(log(), QStringLiteral("间隔时间错误\n"));
    QVERIFY(m_dev->staysSilent(200));
    QCOMPARE(m_page->counters().nTasks, 0u);
}

void TestTransTest::lateWakeUpAnswerIsLoggedNotCountedAndStillSends()
{
    configure(TransTest::AwakenThenSend, "50");
    w<QLineEdit>("editFileInterval")->setText("20");  // no second task during the test
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("唤醒超时")), 10000);
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    QVERIFY(log().contains(QStringLiteral("唤醒地址: 77, 成功 耗时: ")));
    QCOMPARE(m_page->counters().nAwakenOk, 0u);
    QCOMPARE(m_page->counters().nAwakenFail, 1u);
    acknowledgeTransfer();
    QCOMPARE(m_page->counters().nSendOk, 1u);
}

void TestTransTest::stopDuringPacketPhaseIgnoresLaterAnswers()
{
    configure(TransTest::SendOnly, "100");
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlPacket);
    w<QPushButton>("pbStop")->click();
    QVERIFY(log().endsWith(QStringLiteral("手动停止\n")));
    const QString before = log();
    QVERIFY(m_dev->answer(ackFrame(77, 1, 0, 0)));
    QVERIFY(m_dev->staysSilent(800));
    QCOMPARE(log(), before);
    QCOMPARE(m_page->counters().nSendOk, 0u);
    QCOMPARE(m_page->counters().nTasks, 0u);
}

void TestTransTest::unbuildablePayloadOnlyShowsTheError()
{
    const QString gone = m_dir.filePath("gone.png");
    writeImageFile(gone, 600);
    m_page->setFileChooser([gone](QWidget*, const QString&) { return gone; });
    w<QPushButton>("pbFileImport")->click();
    QVERIFY(QFile::remove(gone));
    configure(TransTest::SendOnly, "100");
    runPage();
    QCOMPARE(m_messages, QStringList { QStringLiteral("生成图片数据失败") });
    QVERIFY(m_dev->staysSilent(800));
    const TransTest::Counters c = m_page->counters();
    QCOMPARE(c.nTasks, 1u);
    QCOMPARE(c.nSendOk + c.nSendFail + c.nAwakenOk + c.nAwakenFail, 0u);
}

void TestTransTest::eachOutcomeCountsOnce_data()
{
    QTest::addColumn<int>("awakenResult");  // -1: no answer
    QTest::addColumn<int>("ackStatus");     // -1: no answer
    QTest::addColumn<QList<int>>("expected");  // awaken ok, awaken fail, send ok, send fail
    QTest::newRow("wake-up refused") << 1 << -1 << QList<int> { 0, 1, 0, 0 };
    QTest::newRow("wake-up time-out") << -1 << -1 << QList<int> { 0, 1, 0, 0 };
    QTest::newRow("transfer complete") << 0 << 0 << QList<int> { 1, 0, 1, 0 };
    QTest::newRow("packet refused") << 0 << 5 << QList<int> { 1, 0, 0, 1 };
    QTest::newRow("acknowledgement time-out") << 0 << -1 << QList<int> { 1, 0, 0, 1 };
}

void TestTransTest::eachOutcomeCountsOnce()
{
    QFETCH(int, awakenResult);
    QFETCH(int, ackStatus);
    QFETCH(QList<int>, expected);
    TransferTimeouts t;
    t.nAckMs = 300;
    t.nAwakenFactor = 3;
    t.nIntervalUnitMs = 1000;
    m_page->setTimeouts(t);
    w<QLineEdit>("editFileInterval")->setText("30");  // one task only
    configure(TransTest::AwakenThenSend, "100");
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    if (awakenResult >= 0)
        QVERIFY(m_dev->answer(awakenAnswerFrame(77, awakenResult)));
    if (awakenResult == 0) {
        QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlPacket);
        if (ackStatus >= 0)
            QVERIFY(m_dev->answer(ackFrame(77, 1, 0, ackStatus)));
    }
    auto counts = [this] {
        const TransTest::Counters c = m_page->counters();
        return QList<int> { int(c.nAwakenOk), int(c.nAwakenFail), int(c.nSendOk), int(c.nSendFail) };
    };
    QTRY_COMPARE_WITH_TIMEOUT(counts(), expected, 10000);
    QTest::qWait(700);  // every time-out has passed: nothing counts twice
    QCOMPARE(counts(), expected);
    QCOMPARE(m_page->counters().nTasks, 1u);
}

void TestTransTest::sendThenWakeUpCountsTheWakeUp()
{
    configure(TransTest::SendThenAwaken, "5000");
    w<QLineEdit>("editFileInterval")->setText("20");
    runPage();
    acknowledgeTransfer();
    QCOMPARE(m_dev->nextFrame().toHex(), encodeFrame(0, dtu::kCtlAwaken, u32le(77) + u32le(5000)).toHex());
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    QCOMPARE(m_page->counters().nSendOk, 1u);
    QCOMPARE(m_page->counters().nAwakenOk, 1u);
}

void TestTransTest::dueTaskCutsOffTheRunningTransfer()
{
    configure(TransTest::SendOnly, "100");
    runPage();
    acknowledgeTransfer();  // starts the task timer
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlPacket);  // task 2, never answered
    // Task 3 is due while task 2 still waits: task 2 fails, only one packet 0 goes out.
    const QByteArray third = m_dev->nextFrame();
    QCOMPARE(frameControl(third), dtu::kCtlPacket);
    QVERIFY(m_dev->staysSilent(100));
    QCOMPARE(m_page->counters().nSendFail, 1u);
    QCOMPARE(m_page->counters().nTasks, 3u);
    QVERIFY(log().contains(QStringLiteral("文件发送超时\n成功: 唤醒 0 次, 发送 1 次, 总 1 次\n失败: 唤醒 0 次, 发送 1 次, 总 1 次\n")));
}

QTEST_MAIN(TestTransTest)
#include "tst_transtest.moc"
