#include "portparam.h"
#include "ptypair.h"
#include "loadrxtx.h"
#include "rxtx.h"
#include "workerserial.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QThread>

#include <memory>

namespace {

constexpr int kWaitMs = 10000;

}  // namespace

// The page wired to the real serial worker in its own thread, as the main
// window wires them; the test plays the device on the far end of a pty.
class TestRxTxPort : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typedDataReachesTheDeviceByteExact_data();
    void typedDataReachesTheDeviceByteExact();
    void receivedChunksAndSentBytesShareTheView();

private:
    void load(const QVariantMap& values);
    QString rxText() const { return m_page->findChild<QTextEdit*>(QStringLiteral("textEditRx"))->toPlainText(); }

    QTemporaryDir m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<RxTx> m_page;
    QThread m_thread;
    WorkerSerial* m_worker = nullptr;
};

void TestRxTxPort::init()
{
    registerPortParam();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_page = std::make_unique<RxTx>(nullptr);
    m_page->setMessageHook([](QMessageBox::Icon, const QString& title, const QString& text) {
        QFAIL(qPrintable(QStringLiteral("unexpected message: %1 %2").arg(title, text)));
    });
    m_page->setRxFlushInterval(5);

    m_worker = new WorkerSerial;
    m_worker->moveToThread(&m_thread);
    connect(m_page.get(), &RxTx::sendData, m_worker, &WorkerSerial::sendData);
    connect(m_worker, &WorkerSerial::dataArise, m_page.get(), &RxTx::showRx);
    QSignalSpy opened(m_worker, &WorkerSerial::openState);
    m_thread.start();

    PortParam param;
    param.baudRate = 115200;
    param.dataBits = 8;
    param.stopBits = 1;
    QMetaObject::invokeMethod(m_worker, "openPort", Qt::QueuedConnection,
                              Q_ARG(QVariant, QVariant::fromValue(param)), Q_ARG(QString, m_pty->portPath()));
    QVERIFY(opened.wait(kWaitMs));
    QCOMPARE(opened.at(0).at(0).toInt(), 8);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestRxTxPort::cleanup()
{
    if (m_worker) {
        connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        m_thread.quit();
        m_thread.wait();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_worker = nullptr;
    }
    m_page.reset();
    m_pty.reset();
}

void TestRxTxPort::load(const QVariantMap& values)
{
    loadRxTxSettings(m_page.get(), m_dir.filePath(QStringLiteral("telvane.ini")), values);
}

void TestRxTxPort::typedDataReachesTheDeviceByteExact_data()
{
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("hex raw") << QVariantMap() << "AA 1 02" << QByteArray::fromHex("AA0102");
    QTest::newRow("text with CR LF") << QVariantMap{{"TxMode", 1}, {"InsetReturn", true}} << "abc"
                                     << QByteArray::fromHex("6162630D0A");
    QTest::newRow("custom code 5") << QVariantMap{{"ChkCustomCtl", true}, {"CustomCtl", "5"}} << ""
                                   << QByteArray::fromHex("AA0100000000050000B0EE");
    QTest::newRow("terminal ID 1") << QVariantMap{{"ChkTerminalId", true}, {"TerminalId", "1"}} << "AA"
                                   << QByteArray::fromHex("AA010000000064050001000000AABFEE");
    QTest::newRow("user ID and delay")
        << QVariantMap{{"TxAsyncOptVisible", true}, {"CheckedDstUsrId", true}, {"CheckedInterval", true},
                       {"DstUsrId", "12"}, {"Interval", "300"}, {"DstAddr", "10"}, {"TxMode", 1}}
        << "hi" << QByteArray::fromHex("AA0110000000010A000C0000002C0100006869D0EE");
}

void TestRxTxPort::typedDataReachesTheDeviceByteExact()
{
    QFETCH(QVariantMap, settings);
    QFETCH(QString, typed);
    QFETCH(QByteArray, wire);

    settings.insert(QStringLiteral("RxTimeStamp"), false);
    load(settings);
    QTextEdit* tx = m_page->findChild<QTextEdit*>(QStringLiteral("textEditTx"));
    tx->setFocus();
    QTest::keyClicks(tx, typed);
    QTest::mouseClick(m_page->findChild<QPushButton*>(QStringLiteral("pbSend")), Qt::LeftButton);

    QCOMPARE(m_pty->read(wire.size(), kWaitMs), wire);
    QCOMPARE(m_pty->drain(100), QByteArray());
    // The worker echoes what it wrote; the view shows it.
    QTRY_COMPARE_WITH_TIMEOUT(rxText(), QString::fromLatin1(wire.toHex(' ').toUpper()), kWaitMs);
}

void TestRxTxPort::receivedChunksAndSentBytesShareTheView()
{
    load({});  // timestamps on, 20 ms sub-packet time-out
    QTest::qWait(40);

    QVERIFY(m_pty->write(QByteArray::fromHex("0102")));
    QTRY_VERIFY_WITH_TIMEOUT(rxText().endsWith(QStringLiteral("<< 01 02")), kWaitMs);

    QTextEdit* tx = m_page->findChild<QTextEdit*>(QStringLiteral("textEditTx"));
    tx->setFocus();
    QTest::keyClicks(tx, QStringLiteral("7F"));
    QTest::mouseClick(m_page->findChild<QPushButton*>(QStringLiteral("pbSend")), Qt::LeftButton);
    QCOMPARE(m_pty->read(1, kWaitMs), QByteArray("\x7f"));
    QTRY_VERIFY_WITH_TIMEOUT(rxText().endsWith(QStringLiteral(">> 7F")), kWaitMs);

    QTest::qWait(40);
    QByteArray burst;
    for (int i = 0; i < 3000; ++i)
        burst.append(char(i * 13));
    QVERIFY(m_pty->write(burst));
    const QStringList before = rxText().split(QLatin1Char('\n'));
    QTRY_VERIFY_WITH_TIMEOUT(m_page->rxDisplay().receivedBytes().endsWith(burst.right(16)), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_page->rxDisplay().hasPending(), kWaitMs);

    // Every received byte is in the view, in order, after the earlier lines.
    QStringList lines = rxText().split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 2), before);
    QString shown;
    for (QString line : lines.mid(2)) {
        const int nMark = line.indexOf(QStringLiteral("<< "));
        shown += nMark >= 0 && line.startsWith(QLatin1Char('[')) ? line.mid(nMark + 3) : line;
    }
    shown.remove(QLatin1Char(' '));
    QCOMPARE(shown, QString::fromLatin1(burst.toHex().toUpper()));
    QCOMPARE(m_page->rxDisplay().receivedBytes(), QByteArray::fromHex("0102") + burst);
}

QTEST_MAIN(TestRxTxPort)
#include "tst_rxtxport.moc"
