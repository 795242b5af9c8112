#include "devicesim.h"
#include "dtuframe.h"
#include "payload.h"
#include "transtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
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
    void runCountsTimeoutAndTwoTransfersUntilStopped();
    void intervalIsCheckedBeforeTheAddress();
    void modeChangedWhileRunningAppliesToTheNextTask();
    void unbuildablePayloadOnlyShowsTheError();
    void resultFileGrowsWithTheRunAndExports();

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
    std::unique_ptr<QSignalSpy> m_logSpy;
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
    t.nIntervalUnitMs = 600;  // interval "1" = 600 ms
    m_page->setTimeouts(t);
    m_logSpy = std::make_unique<QSignalSpy>(m_page.get(), &TransTest::setLog);
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
    m_logSpy.reset();
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

void TestTransTest::runCountsTimeoutAndTwoTransfersUntilStopped()
{
    configure(int(TransferPlan::WakeUpThenSend), "100");  // wake-up time-out 300 ms
    runPage();
    QCOMPARE(m_dev->nextFrame().toHex(), encodeFrame(0, dtu::kCtlAwaken, u32le(77) + u32le(100)).toHex());
    for (int i = 0; i < 2; ++i) {  // the first wake-up was left unanswered
        QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
        QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
        acknowledgeTransfer();
    }
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    QVERIFY(log().contains(QStringLiteral("唤醒超时\n")));
    QVERIFY(log().contains(QStringLiteral("唤醒地址: 77, 成功 耗时: ")));
    QVERIFY(log().contains(QStringLiteral("成功: 唤醒 2 次, 发送 2 次, 总 2 次\n失败: 唤醒 1 次, 发送 0 次, 总 1 次\n\n")));
    QVERIFY(log().contains(QStringLiteral("执行第 4 次任务")));
    QCOMPARE(m_logSpy->first().at(0).toString(), QStringLiteral("唤醒超时"));

    w<QPushButton>("pbStop")->click();
    QVERIFY(log().endsWith(QStringLiteral("手动停止\n")));
    QCOMPARE(m_page->counters().nTasks, 0u);
    const QString before = log();
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    QVERIFY(m_dev->staysSilent(800));
    QCOMPARE(log(), before);
}

void TestTransTest::intervalIsCheckedBeforeTheAddress()
{
    w<QLineEdit>("editFileInterval")->setText("0");
    w<QLineEdit>("editDstAddr")->setText("");
    runPage();
    QCOMPARE(log(), QStringLiteral("间隔时间错误\n"));
    QVERIFY(m_messages.isEmpty());
    w<QLineEdit>("editFileInterval")->setText("1");
    runPage();
    QCOMPARE(m_messages, QStringList { QStringLiteral(" 目的地址不能为空\n请输入目的地址") });
    QVERIFY(m_dev->staysSilent(200));
}

void TestTransTest::modeChangedWhileRunningAppliesToTheNextTask()
{
    configure(int(TransferPlan::WakeUpOnly), "5000");
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    w<QComboBox>("cmbRun")->setCurrentIndex(int(TransferPlan::SendOnly));
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));  // starts the task timer
    acknowledgeTransfer();
    QVERIFY(log().contains(QStringLiteral("成功: 唤醒 1 次, 发送 0 次, 总 0 次\n")));
}

void TestTransTest::unbuildablePayloadOnlyShowsTheError()
{
    const QString gone = m_dir.filePath("gone.png");
    writeImageFile(gone, 600);
    m_page->setFileChooser([gone](QWidget*, const QString&) { return gone; });
    w<QPushButton>("pbFileImport")->click();
    QVERIFY(QFile::remove(gone));
    configure(int(TransferPlan::SendOnly), "100");
    runPage();
    QCOMPARE(m_messages, QStringList { QStringLiteral("生成图片数据失败: 无法读取文件 gone.png") });
    QVERIFY(m_dev->staysSilent(800));
    const EnduranceCounters c = m_page->counters();
    QCOMPARE(c.nTasks, 1u);
    QCOMPARE(c.nSendOk + c.nSendFail + c.nAwakenOk + c.nAwakenFail, 0u);
}

QTEST_MAIN(TestTransTest)
#include "tst_transtest.moc"

void TestTransTest::resultFileGrowsWithTheRunAndExports()
{
    auto lines = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"))
                                           : QStringList { "<unreadable>" };
    };
    // A file that cannot be created: the run goes on without one.
    m_page->setAutoCsvPath(m_dir.filePath("no/such/dir.csv"));
    configure(int(TransferPlan::WakeUpOnly), "100");
    runPage();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].startsWith(QStringLiteral("无法创建结果文件")));
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    w<QPushButton>("pbStop")->click();
    // The record is kept for export all the same.
    QVERIFY(m_page->exportResults(m_dir.filePath("kept.csv")));
    QCOMPARE(lines(m_dir.filePath("kept.csv")).size(), 6);

    const QString autoPath = m_dir.filePath("auto.csv");
    m_page->setAutoCsvPath(autoPath);
    runPage();
    QCOMPARE(frameControl(m_dev->nextFrame()), dtu::kCtlAwaken);
    QVERIFY(m_dev->answer(awakenAnswerFrame(77, 0)));
    // On disk while the run goes on: the heading and the task.
    QStringList written = lines(autoPath);
    QCOMPARE(written.size(), 3);
    QVERIFY(written[1].contains(QStringLiteral(",1,成功,")));
    w<QPushButton>("pbStop")->click();
    written = lines(autoPath);
    QCOMPARE(written.mid(3), (QStringList { QStringLiteral("任务数,唤醒成功,唤醒失败,发送成功,发送失败"), "1,1,0,0,0", "" }));

    const QString exported = m_dir.filePath("export.csv");
    QVERIFY(m_page->exportResults(exported));
    QCOMPARE(lines(exported), written);
    QVERIFY(!m_page->exportResults(m_dir.filePath("no/such/export.csv")));
    QCOMPARE(m_messages.size(), 2);
}
