// An operator's session against the simulated DTU: commands, terminal data,
// images in every mode and the repeated transfer test, all through the real
// window and its worker thread.

#include "programrig.h"

#include "displaypayload.h"
#include "dtuframe.h"
#include "filetrans.h"
#include "payload.h"
#include "rxtx.h"
#include "tabwidgetcfgdtu.h"
#include "transtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>
#include <tuple>

namespace {

using Received = std::tuple<quint32, QImage, QByteArray, QString>;

Received received(const QSignalSpy& spy, int i)
{
    const QList<QVariant>& args = spy.at(i);
    return { args.at(0).value<quint32>(), args.at(1).value<QImage>(), args.at(2).toByteArray(), args.at(3).toString() };
}

}  // namespace

class TestE2eSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void commandPageQueriesAndSetsTheDtu_data();
    void commandPageQueriesAndSetsTheDtu();
    void terminalDataComesBack_data();
    void terminalDataComesBack();
    void imageReachesTheDisplayInEveryMode_data();
    void imageReachesTheDisplayInEveryMode();
    void repeatedTestCountsWakeUpsAndTransfers();

private:
    QTableWidget* showCommand(const QString& strName);

    QTemporaryDir m_dir;
    QString m_greyPng;
    QString m_photoBmp;
    std::unique_ptr<ProgramRig> m_rig;
};

void TestE2eSession::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(QFile::copy(TELVANE_SHIPPED_CMDS, "cmds.json"));
    QFile ini("Telvane.ini");
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("TabPicTransTest=true\n[RxTx]\nRxDecode=true\n");
    ini.close();

    m_greyPng = m_dir.filePath("grey.png");
    QVERIFY(sampleGreyImage().save(m_greyPng, "PNG"));
    m_photoBmp = m_dir.filePath("photo.bmp");
    QVERIFY(samplePhoto().save(m_photoBmp, "BMP"));
}

void TestE2eSession::init()
{
    m_rig = std::make_unique<ProgramRig>(m_dir.path());
    QString error;
    QVERIFY2(m_rig->startSimulator(ProgramRig::quickConfig(), error), qPrintable(error));
    QVERIFY2(m_rig->openWindow(error), qPrintable(error));
}

void TestE2eSession::cleanup()
{
    const QStringList messages = m_rig ? m_rig->messages() : QStringList();
    m_rig.reset();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
}

QTableWidget* TestE2eSession::showCommand(const QString& strName)
{
    m_rig->child<QTabWidget>("tabWidget")->setCurrentWidget(m_rig->child<QWidget>("tabDtuCfg"));
    auto* list = m_rig->child<QListWidget>("listWidget");
    const QList<QListWidgetItem*> items = list->findItems(strName, Qt::MatchExactly);
    if (items.size() != 1)
        return nullptr;
    list->setCurrentItem(items.first());
    auto* pages = m_rig->child<TabWidgetCfgDtu>("tabWidgetCfgDtu");
    return pages->table(pages->currentIndex());
}

void TestE2eSession::commandPageQueriesAndSetsTheDtu_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QStringList>("typed");  // values the operator sets
    QTest::addColumn<QStringList>("shown");  // how the page shows them when the DTU answers

    QTest::newRow("decimal, signed") << "发射功率" << QStringList { "功率档位", "输出功率(dBm)" }
                                     << QStringList { "5", "-3" } << QStringList { "5", "-3" };
    QTest::newRow("hexadecimal") << "设备地址" << QStringList { "本机地址", "网络号" }
                                 << QStringList { "1A2B3C4D", "BEEF" } << QStringList { "0x1a2b3c4d", "0xbeef" };
    QTest::newRow("four numbers") << "无线侧串口" << QStringList { "波特率", "数据位", "停止位", "校验" }
                                  << QStringList { "57600", "8", "2", "1" }
                                  << QStringList { "57600", "8", "2", "1" };
    QTest::newRow("text") << "设备名称" << QStringList { "名称" } << QStringList { "bench-07" }
                          << QStringList { "bench-07" };
}

namespace {

// A value's digits, whichever way a hexadecimal one is written.
QString canonical(QString text)
{
    text = text.toLower();
    return text.startsWith("0x") ? text.mid(2) : text;
}

}  // namespace

void TestE2eSession::commandPageQueriesAndSetsTheDtu()
{
    QFETCH(QString, command);
    QFETCH(QStringList, params);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, shown);

    QTableWidget* table = showCommand(command);
    QVERIFY(table);
    QSignalSpy frames(m_rig->sim(), &DtuSimulator::frameReceived);
    auto cells = [&] {
        QStringList texts;
        for (int i = 0; i < params.size(); ++i)
            texts << (table->item(i, 1) ? table->item(i, 1)->text() : QString());
        return texts;
    };
    auto stored = [&] {
        QStringList values;
        for (const QString& param : params)
            values << canonical(m_rig->sim()->params().value(command, param));
        return values;
    };
    auto canonicalCells = [&] {
        QStringList texts;
        for (const QString& cell : cells())
            texts << canonical(cell);
        return texts;
    };

    // Query: the answer shows what the DTU holds now.
    QTest::mouseClick(table->findChild<QPushButton*>("pbtnQuery"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(canonicalCells(), stored(), 10000);
    QCOMPARE(frames.size(), 1);

    // Setting: the DTU keeps the values and answers with them.
    for (int i = 0; i < params.size(); ++i)
        table->item(i, 1)->setText(typed.at(i));
    QTest::mouseClick(table->findChild<QPushButton*>("pbtnSetting"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(frames.size(), 2, 10000);
    // The setting's control code follows the query's in the shipped file.
    QCOMPARE(int(frameControl(frames.at(1).at(0).toByteArray())), int(frameControl(frames.at(0).at(0).toByteArray())) + 1);
    QStringList typedDigits;
    for (const QString& value : typed)
        typedDigits << canonical(value);
    QCOMPARE(stored(), typedDigits);
    QTRY_COMPARE_WITH_TIMEOUT(cells(), shown, 10000);

    // A fresh query after clearing the cells brings the stored values back,
    // and the terminal page shows the decoded answer.
    for (int i = 0; i < params.size(); ++i)
        table->item(i, 1)->setText(QString());
    QTest::mouseClick(table->findChild<QPushButton*>("pbtnQuery"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(cells(), shown, 10000);
    QCOMPARE(frames.size(), 3);
    auto* rx = m_rig->child<QTextEdit>("textEditRx");
    for (int i = 0; i < params.size(); ++i)
        QTRY_VERIFY2_WITH_TIMEOUT(rx->toPlainText().contains(params.at(i) + " : " + shown.at(i)),
                                  qPrintable(rx->toPlainText().right(400)), 5000);
}

void TestE2eSession::terminalDataComesBack_data()
{
    QTest::addColumn<bool>("terminalId");
    QTest::newRow("raw") << false;
    QTest::newRow("framed with a terminal ID") << true;
}

void TestE2eSession::terminalDataComesBack()
{
    QFETCH(bool, terminalId);
    auto* page = m_rig->child<RxTx>("tabRxTx");
    page->findChild<QRadioButton*>("radioTxStr")->setChecked(true);
    page->findChild<QRadioButton*>("radioRxChar")->setChecked(true);
    page->findChild<QCheckBox*>("chkTerminalId")->setChecked(terminalId);
    page->findChild<QLineEdit*>("editTerminalId")->setText("4097");
    page->findChild<QTextEdit*>("textEditTx")->setPlainText("hello dtu 终端");

    QSignalSpy atDevice(m_rig->sim(), &DtuSimulator::terminalData);
    QSignalSpy frames(m_rig->sim(), &DtuSimulator::frameReceived);
    QTest::mouseClick(page->findChild<QPushButton*>("pbSend"), Qt::LeftButton);
    const QByteArray text = QString("hello dtu 终端").toUtf8();
    QTRY_COMPARE_WITH_TIMEOUT(atDevice.size(), 1, 10000);
    QCOMPARE(atDevice.at(0).at(0).toByteArray(), text);
    QCOMPARE(frames.size(), terminalId ? 1 : 0);
    if (terminalId)
        QCOMPARE(framePayload(frames.at(0).at(0).toByteArray()), QByteArray::fromHex("01100000") + text);
    // The device's echo arrives as received data.
    QTRY_VERIFY_WITH_TIMEOUT(page->rxDisplay().receivedBytes().contains(text), 10000);
}

void TestE2eSession::imageReachesTheDisplayInEveryMode_data()
{
    QTest::addColumn<bool>("container");
    QTest::addColumn<int>("compress");
    QTest::addColumn<QString>("address");

    for (const char* address : { "0", "1674097996" }) {
        const QByteArray to = QByteArray(" to ") + (address[0] == '0' ? "all" : "the display");
        QTest::newRow("raw file" + to) << false << kCompressNone << QString(address);
        QTest::newRow("raw file, 7z" + to) << false << kCompressLzma << QString(address);
        QTest::newRow("container" + to) << true << kCompressNone << QString(address);
        QTest::newRow("container, 7z" + to) << true << kCompressLzma << QString(address);
    }
}

void TestE2eSession::imageReachesTheDisplayInEveryMode()
{
    QFETCH(bool, container);
    QFETCH(int, compress);
    QFETCH(QString, address);

    const QString source = container ? m_greyPng : m_photoBmp;
    QVERIFY(m_rig->importImage(source));
    m_rig->setImageMode(container, compress);
    QSignalSpy images(m_rig->sim(), &DtuSimulator::imageReceived);
    QSignalSpy frames(m_rig->sim(), &DtuSimulator::frameReceived);
    m_rig->pushImage(address);

    QVERIFY2(m_rig->waitForLog("墨水屏 #1674097996 状态: 刷屏成功"), qPrintable(m_rig->imageLog()));
    const QString log = m_rig->imageLog();
    QVERIFY2(log.contains("本次发送完毕, 耗时: "), qPrintable(log));
    QCOMPARE(m_rig->imagePage()->findChild<QProgressBar*>("progress")->value(), 100);
    QCOMPARE(log.contains("唤醒地址: 1674097996, 成功"), address != "0");
    QCOMPARE(frameControl(frames.at(0).at(0).toByteArray()), address == "0" ? dtu::kCtlPacket : dtu::kCtlAwaken);

    QCOMPARE(images.size(), 1);
    const auto [nAddr, image, payload, error] = received(images, 0);
    QCOMPARE(nAddr, ProgramRig::kDisplay);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(payload, m_rig->imagePage()->payload());
    const DecodedPayload decoded = decodeDisplayPayload(payload);
    QCOMPARE(int(decoded.compression), compress);
    QCOMPARE(int(decoded.imageType), container ? int(kImgTypeContainer) : int(kImgTypeBmp));
    if (container) {
        QImage grey(source);
        QCOMPARE(grey.format(), QImage::Format_Grayscale8);
        const QString diff = firstPixelDifference(image.convertToFormat(QImage::Format_Grayscale8), bayerDithered(grey));
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    } else {
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(decoded.data, file.readAll());
        QCOMPARE(image.convertToFormat(QImage::Format_RGB32), QImage(source).convertToFormat(QImage::Format_RGB32));
    }
}

void TestE2eSession::repeatedTestCountsWakeUpsAndTransfers()
{
    m_rig->child<QTabWidget>("tabWidget")->setCurrentWidget(m_rig->child<QWidget>("tabTransTest"));
    auto* page = m_rig->child<TransTest>("tabTransTest");
    TransferTimeouts timeouts;
    timeouts.nIntervalUnitMs = 600;
    page->setTimeouts(timeouts);
    m_rig->chooseNextFile(m_greyPng);
    QTest::mouseClick(page->findChild<QPushButton*>("pbFileImport"), Qt::LeftButton);
    QCOMPARE(page->findChild<QLineEdit*>("editPath")->text(), m_greyPng);
    page->findChild<QCheckBox*>("chkRle")->setChecked(true);
    page->findChild<QComboBox*>("cmbRun")->setCurrentIndex(int(TransferPlan::WakeUpThenSend));
    page->findChild<QLineEdit*>("editFileInterval")->setText("2");
    page->findChild<QLineEdit*>("editKeepTime")->setText("500");

    // The display sleeps through the second wake-up.
    int nWakeUps = 0;
    DtuSimulator* sim = m_rig->sim();
    connect(sim, &DtuSimulator::frameReceived, this, [&](const QByteArray& frame) {
        if (frameControl(frame) == dtu::kCtlAwaken)
            sim->display(ProgramRig::kDisplay)->faults().noWakeAnswer = ++nWakeUps == 2;
    });
    QSignalSpy images(sim, &DtuSimulator::imageReceived);
    auto* log = page->findChild<QTextEdit*>("textEditLog");
    QTest::mouseClick(page->findChild<QPushButton*>("pbRun"), Qt::LeftButton);

    QTRY_VERIFY2_WITH_TIMEOUT(log->toPlainText().contains("执行第 4 次任务"), qPrintable(log->toPlainText()), 30000);
    const QString text = log->toPlainText();
    const QString before4 = text.left(text.indexOf("执行第 4 次任务"));
    const QString stats = before4.mid(before4.lastIndexOf("本次发送完毕"));
    QVERIFY2(stats.contains("成功: 唤醒 2 次, 发送 2 次, 总 2 次"), qPrintable(text));
    QVERIFY2(stats.contains("失败: 唤醒 1 次, 发送 0 次, 总 1 次"), qPrintable(text));
    QCOMPARE(text.count("唤醒超时"), 1);

    // The fourth task runs to its end before the test is stopped.
    QTRY_COMPARE_WITH_TIMEOUT(page->counters().nSendOk, 3u, 15000);
    QCOMPARE(page->counters().nAwakenOk, 3u);
    QCOMPARE(page->counters().nAwakenFail, 1u);
    QCOMPARE(page->counters().nSendFail, 0u);
    QTest::mouseClick(page->findChild<QPushButton*>("pbStop"), Qt::LeftButton);
    QVERIFY2(log->toPlainText().trimmed().endsWith("手动停止"), qPrintable(log->toPlainText().right(200)));
    QCOMPARE(page->counters().nTasks, 0u);
    QCOMPARE(images.size(), 3);
    for (int i = 0; i < images.size(); ++i)
        QVERIFY(std::get<3>(received(images, i)).isEmpty());
}

QTEST_MAIN(TestE2eSession)
#include "tst_e2esession.moc"
