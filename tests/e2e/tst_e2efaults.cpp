// Faults of the device and of the line, each ending a transfer the way the
// image page defines, and the program usable afterwards.

#include "programrig.h"

#include "dtuframe.h"
#include "filetrans.h"
#include "payload.h"
#include "transfertiming.h"
#include "workerserial.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

enum Fault { StatusAtPacket, LostAck, NoWakeAnswer, FailedWakeUp, PausePastBufferWindow, Noise, SplitFrames };

const QColor kRed(0xFF, 0x6E, 0x6E);
const QString kDisplayAddr = QString::number(ProgramRig::kDisplay);

}  // namespace

class TestE2eFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void faultEndsTheTransferAndTheNextOneSucceeds_data();
    void faultEndsTheTransferAndTheNextOneSucceeds();
    void disturbedLineStillCarriesTheImage_data();
    void disturbedLineStillCarriesTheImage();
    void operatorStopsAStalledTransferAndSendsAgain();
    void lineCutMidTransferClosesThePortAndAFreshDeviceWorks();
    void lineRateTransferTakesAtLeastTheWireTime();

private:
    void setAckTimeout(int nMs);
    void apply(Fault fault);
    // Pushes the photo to the display and checks that it arrived whole.
    void pushSucceeds(const QString& strAddr);

    QTemporaryDir m_dir;
    QString m_photoBmp;
    QString m_greyPng;
    std::unique_ptr<ProgramRig> m_rig;
};

void TestE2eFaults::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(QFile::copy(TELVANE_SHIPPED_CMDS, "cmds.json"));
    // 18 kB as a file: 18 packets, enough to fail in the middle.
    QImage photo(100, 60, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 2, y * 4, (x ^ y) & 0xFF));
    m_photoBmp = m_dir.filePath("photo.bmp");
    QVERIFY(photo.save(m_photoBmp, "BMP"));
    QImage grey(240, 416, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar((x * 3 + y) & 0xFF);
    m_greyPng = m_dir.filePath("grey.png");
    QVERIFY(grey.save(m_greyPng, "PNG"));
}

void TestE2eFaults::init()
{
    m_rig = std::make_unique<ProgramRig>(m_dir.path());
    QString error;
    QVERIFY2(m_rig->startSimulator(ProgramRig::quickConfig(), error), qPrintable(error));
    QVERIFY2(m_rig->openWindow(error), qPrintable(error));
    QVERIFY(m_rig->importImage(m_photoBmp));
    m_rig->setImageMode(false, kCompressNone);
}

void TestE2eFaults::cleanup()
{
    const QStringList messages = m_rig ? m_rig->messages() : QStringList();
    m_rig.reset();
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
}

void TestE2eFaults::setAckTimeout(int nMs)
{
    TransferTimeouts t;
    t.nAckMs = nMs;
    m_rig->imagePage()->setTimeouts(t);
}

void TestE2eFaults::apply(Fault fault)
{
    DisplayFaults& d = m_rig->sim()->display(ProgramRig::kDisplay)->faults();
    LineFaults& line = m_rig->sim()->lineFaults();
    switch (fault) {
    case StatusAtPacket:
        d.statusAt.insert(2, 5);
        break;
    case LostAck:
        d.dropAckAt.insert(1);
        setAckTimeout(1500);
        break;
    case NoWakeAnswer:
        d.noWakeAnswer = true;
        break;
    case FailedWakeUp:
        d.wakeResult = 1;
        break;
    case PausePastBufferWindow:
        // The first part is long enough for the worker to time it out; a
        // shorter one would wait for the rest without a limit.
        line.splitFrames = true;
        line.splitAt = 10;
        line.splitPauseMs = 1500;
        setAckTimeout(3500);
        break;
    case Noise:
        line.noiseBytes = 7;
        break;
    case SplitFrames:
        line.splitFrames = true;
        line.splitPauseMs = 30;
        break;
    }
}

void TestE2eFaults::pushSucceeds(const QString& strAddr)
{
    QSignalSpy images(m_rig->sim(), &DtuSimulator::imageReceived);
    m_rig->pushImage(strAddr);
    QVERIFY2(m_rig->waitForLog("墨水屏 #1674097996 状态: 刷屏成功"), qPrintable(m_rig->imageLog()));
    QVERIFY2(m_rig->imageLog().contains("本次发送完毕"), qPrintable(m_rig->imageLog()));
    QCOMPARE(images.size(), 1);
    QCOMPARE(images.at(0).at(2).toByteArray(), m_rig->imagePage()->payload());
    QVERIFY(!images.at(0).at(1).value<QImage>().isNull());
}

void TestE2eFaults::faultEndsTheTransferAndTheNextOneSucceeds_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("keepTime");
    QTest::addColumn<QString>("redLine");   // the failure as the log shows it
    QTest::addColumn<QString>("shortLog");  // what the window's log gets; empty: nothing
    QTest::addColumn<int>("packets");       // packets the device saw

    QTest::newRow("status for packet 3") << int(StatusAtPacket) << kDisplayAddr << "800"
                                         << "当前包:   3, 总包：18, 状态: 拒绝" << "文件发送异常 5" << 3;
    QTest::newRow("lost acknowledgement") << int(LostAck) << kDisplayAddr << "800" << "文件发送超时"
                                          << "文件发送超时" << 2;
    QTest::newRow("no wake-up answer") << int(NoWakeAnswer) << kDisplayAddr << "150" << "唤醒超时" << "唤醒超时"
                                       << 0;
    QTest::newRow("failing wake-up") << int(FailedWakeUp) << kDisplayAddr << "800"
                                     << "唤醒地址: 1674097996, 失败 耗时: " << QString() << 0;
    QTest::newRow("pause past the buffer window") << int(PausePastBufferWindow) << "0" << "800" << "文件发送超时"
                                                  << "文件发送超时" << 1;
}

void TestE2eFaults::faultEndsTheTransferAndTheNextOneSucceeds()
{
    QFETCH(int, fault);
    QFETCH(QString, address);
    QFETCH(QString, keepTime);
    QFETCH(QString, redLine);
    QFETCH(QString, shortLog);
    QFETCH(int, packets);

    apply(Fault(fault));
    QSignalSpy shortLogs(m_rig->imagePage(), &FileTrans::setLog);
    QSignalSpy images(m_rig->sim(), &DtuSimulator::imageReceived);
    EpaperDisplay* display = m_rig->sim()->display(ProgramRig::kDisplay);
    const int seenBefore = display->packetsSeen();
    m_rig->pushImage(address, keepTime);

    QVERIFY2(m_rig->waitForLog(redLine), qPrintable(m_rig->imageLog()));
    QCOMPARE(m_rig->imageLogColour(redLine), kRed);
    if (fault == StatusAtPacket)
        QVERIFY2(m_rig->imageLog().trimmed().endsWith("本次发送异常"), qPrintable(m_rig->imageLog()));
    QStringList logs;
    for (const QList<QVariant>& args : shortLogs)
        logs << args.at(0).toString();
    QCOMPARE(logs, shortLog.isEmpty() ? QStringList() : QStringList { shortLog });
    if (!shortLog.isEmpty())
        QCOMPARE(m_rig->window()->statusBar()->currentMessage(), shortLog);
    QCOMPARE(m_rig->imagePage()->findChild<QPushButton*>("pbSend")->text(), QString("发送开始"));
    QCOMPARE(display->packetsSeen() - seenBefore, packets);
    QVERIFY(images.isEmpty());

    // The device is well again; the program needs nothing but a new start.
    display->faults() = DisplayFaults();
    m_rig->sim()->lineFaults() = LineFaults();
    setAckTimeout(TransferTimeouts().nAckMs);
    pushSucceeds(address);
}

void TestE2eFaults::disturbedLineStillCarriesTheImage_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("address");
    QTest::newRow("noise between frames, to the display") << int(Noise) << kDisplayAddr;
    QTest::newRow("noise between frames, to all") << int(Noise) << "0";
    QTest::newRow("frames split across writes, to the display") << int(SplitFrames) << kDisplayAddr;
    QTest::newRow("frames split across writes, to all") << int(SplitFrames) << "0";
}

void TestE2eFaults::disturbedLineStillCarriesTheImage()
{
    QFETCH(int, fault);
    QFETCH(QString, address);
    apply(Fault(fault));
    pushSucceeds(address);
}

void TestE2eFaults::operatorStopsAStalledTransferAndSendsAgain()
{
    EpaperDisplay* display = m_rig->sim()->display(ProgramRig::kDisplay);
    display->faults().dropAckAt.insert(5);
    setAckTimeout(800);
    m_rig->pushImage(kDisplayAddr);
    QTRY_COMPARE_WITH_TIMEOUT(display->packetsSeen(), 6, 10000);
    auto* send = m_rig->imagePage()->findChild<QPushButton*>("pbSend");
    QCOMPARE(send->text(), QString("发送停止"));
    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(send->text(), QString("发送开始"));
    QVERIFY(!m_rig->imagePage()->isSending());
    // Stopped means no time-out comes later either.
    QSignalSpy shortLogs(m_rig->imagePage(), &FileTrans::setLog);
    QTest::qWait(1500);
    QVERIFY2(!m_rig->imageLog().contains("超时"), qPrintable(m_rig->imageLog()));
    QVERIFY(shortLogs.isEmpty());

    display->faults() = DisplayFaults();
    setAckTimeout(TransferTimeouts().nAckMs);
    pushSucceeds(kDisplayAddr);
}

void TestE2eFaults::lineCutMidTransferClosesThePortAndAFreshDeviceWorks()
{
    // The operator handles the loss here, not the automatic reconnect.
    m_rig->child<QCheckBox>("chkAutoReconnect")->setChecked(false);
    m_rig->sim()->lineFaults().cutAtPacket = 4;
    setAckTimeout(1500);
    QSignalSpy cut(m_rig->sim(), &DtuSimulator::lineCut);
    m_rig->pushImage(kDisplayAddr);

    QTRY_COMPARE_WITH_TIMEOUT(cut.size(), 1, 10000);
    auto* connectButton = m_rig->child<QPushButton>("pbConnect");
    QTRY_COMPARE_WITH_TIMEOUT(connectButton->text(), QString("打开串口"), 10000);
    QVERIFY(!m_rig->window()->worker()->isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(m_rig->messages().size(), 1, 10000);
    const QString message = m_rig->takeMessages().first();
    QVERIFY2(message.startsWith("错误:串口已断开"), qPrintable(message));
    // The page learns of it the only way it can: no acknowledgement comes.
    QVERIFY2(m_rig->waitForLog("文件发送超时"), qPrintable(m_rig->imageLog()));

    // Sending now only warns.
    m_rig->pushImage(kDisplayAddr);
    QCOMPARE(m_rig->takeMessages(), QStringList { "告警:请先打开串口" });

    // A fresh device on the same port entry.
    QString error;
    QVERIFY2(m_rig->startSimulator(ProgramRig::quickConfig(), error), qPrintable(error));
    QVERIFY2(m_rig->openPort(), qPrintable(m_rig->messages().join(" | ")));
    QCOMPARE(connectButton->text(), QString("关闭串口"));
    setAckTimeout(TransferTimeouts().nAckMs);
    pushSucceeds(kDisplayAddr);
}

void TestE2eFaults::lineRateTransferTakesAtLeastTheWireTime()
{
    constexpr int kRate = 11520;  // 115200 bit/s
    SimConfig config = ProgramRig::quickConfig();
    config.lineRate = kRate;
    QString error;
    m_rig->closeWindow();
    QVERIFY2(m_rig->startSimulator(config, error), qPrintable(error));
    QVERIFY2(m_rig->openWindow(error), qPrintable(error));
    QVERIFY(m_rig->importImage(m_greyPng));
    m_rig->setImageMode(true, kCompressLzma);

    QSignalSpy frames(m_rig->sim(), &DtuSimulator::frameReceived);
    const qint64 inBefore = m_rig->sim()->bytesIn();
    QElapsedTimer clock;
    clock.start();
    m_rig->pushImage(kDisplayAddr);
    QVERIFY2(m_rig->waitForLog("本次发送完毕", 60000), qPrintable(m_rig->imageLog()));
    const qint64 elapsed = clock.elapsed();
    const qint64 bytesIn = m_rig->sim()->bytesIn() - inBefore;
    QVERIFY(bytesIn > m_rig->imagePage()->payload().size());
    // After each quiet spell the line may take a UART FIFO's worth at once.
    const qint64 burst = 8 + kRate / 50;
    const qint64 wireMs = (bytesIn - frames.size() * burst) * 1000 / kRate;
    const QString figures = QString("%1 ms for %2 bytes in %3 frames, %4 ms on the wire")
                                .arg(elapsed).arg(bytesIn).arg(frames.size()).arg(bytesIn * 1000 / kRate);
    qInfo("%s", qPrintable(figures));
    QVERIFY2(elapsed >= wireMs, qPrintable(figures));
    QVERIFY2(m_rig->waitForLog("墨水屏 #1674097996 状态: 刷屏成功"), qPrintable(m_rig->imageLog()));
}

QTEST_MAIN(TestE2eFaults)
#include "tst_e2efaults.moc"
