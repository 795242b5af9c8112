#include "devicesim.h"
#include "dtuframe.h"
#include "filetrans.h"
#include "payload.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QtEndian>

#include <memory>

namespace {

struct Message
{
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

}  // namespace

class TestFileTrans : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formHasNamedWidgetsAndDefaults();
    void broadcastTransferSendsAtOnceWithoutWakeUp_data();
    void broadcastTransferSendsAtOnceWithoutWakeUp();
    void wakeUpThenPacketsFollowTheAnsweringDevice();
    void imageArrivesByteExactInEveryMode_data();
    void imageArrivesByteExactInEveryMode();
    void twoDevicesEachGetTheirOwnSequence();
    void failedAcknowledgementEndsTransfer_data();
    void failedAcknowledgementEndsTransfer();
    void acknowledgementTimeoutEndsAndLateAnswerIsIgnored();
    void wakeUpTimeoutEndsAndLateAnswerIsIgnored();
    void keepTimeZeroTimesOutAtOnce();
    void failedWakeUpEndsWithoutPackets();
    void stopDuringTransferIgnoresLaterAnswers();
    void displayReportsAreLoggedWhileIdle();
    void malformedFramesAreIgnored();
    void payloadOverPacketLimitIsRefused();
    void newTransferForgetsDevicesOfTheLastOne();
    void refusesWithPortClosedOrAddressEmpty();
    void addressFormWithHyphensReadsAsBroadcast();
    void importReportsLoadFailures();
    void settingsRoundTripInGroup();

private:
    void start() { m_page->findChild<QPushButton*>("pbSend")->click(); }
    QString log() const { return m_page->findChild<QTextEdit*>("textEditLog")->toPlainText(); }
    QColor colourOf(const QString& text) const;
    void setField(const char* name, const QString& text) { m_page->findChild<QLineEdit*>(name)->setText(text); }
    void setMode(bool bRle, int nCompress);
    QByteArray expectedPacket(quint32 frameAddr, quint32 target, int index) const;
    // Acknowledges every packet from nFirst on as device, checking each frame.
    void runPackets(quint32 device, quint32 target, int nFirst);

    QTemporaryDir m_dir;
    QString m_file1008;
    QString m_file1009;
    std::unique_ptr<DeviceSim> m_dev;
    std::unique_ptr<FileTrans> m_page;
    std::unique_ptr<QSignalSpy> m_logSpy;
    QList<Message> m_messages;
};

void TestFileTrans::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    m_file1008 = m_dir.filePath("p1008.png");
    m_file1009 = m_dir.filePath("p1009.png");
    writeImageFile(m_file1008, 1008);
    writeImageFile(m_file1009, 1009);
}

void TestFileTrans::init()
{
    m_messages.clear();
    m_dev = std::make_unique<DeviceSim>();
    QVERIFY(m_dev->isValid());
    m_page = std::make_unique<FileTrans>();
    m_page->setMessageHook([this](QMessageBox::Icon icon, const QString& title, const QString& text) {
        m_messages.append({ icon, title, text });
    });
    TransferTimeouts t;
    t.nAckMs = 10000;
    t.nDotMs = 20;
    m_page->setTimeouts(t);
    m_dev->attach(m_page.get());
    m_logSpy = std::make_unique<QSignalSpy>(m_page.get(), &FileTrans::setLog);
    QCOMPARE(m_page->loadImageFile(m_file1008), 0);
    setMode(false, kCompressNone);
    setField("editKeepTime", "5000");
}

void TestFileTrans::cleanup()
{
    m_logSpy.reset();
    m_page.reset();
    m_dev.reset();
}

QColor TestFileTrans::colourOf(const QString& text) const
{
    const QTextDocument* doc = m_page->findChild<QTextEdit*>("textEditLog")->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat().foreground().color();
    return QColor();
}

void TestFileTrans::setMode(bool bRle, int nCompress)
{
    m_page->findChild<QCheckBox*>("chkRle")->setChecked(bRle);
    QComboBox* cmb = m_page->findChild<QComboBox*>("cmbCompress");
    cmb->setCurrentIndex(cmb->findData(nCompress));
}

QByteArray TestFileTrans::expectedPacket(quint32 frameAddr, quint32 target, int index) const
{
    const QByteArray& payload = m_page->payload();
    const int count = (payload.size() + 1023) / 1024;
    return encodeFrame(frameAddr, dtu::kCtlPacket,
                       u32le(target) + u32le(quint32(payload.size())) + char(count) + char(index)
                           + payload.mid(index * 1024, 1024));
}

void TestFileTrans::runPackets(quint32 device, quint32 target, int nFirst)
{
    const int count = (m_page->payload().size() + 1023) / 1024;
    for (int i = nFirst; i < count; ++i) {
        QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(i == 0 ? 0 : device, target, i).toHex());
        QVERIFY(m_dev->answer(ackFrame(device, count, i, 0)));
    }
}

void TestFileTrans::formHasNamedWidgetsAndDefaults()
{
    FileTrans page;
    QCOMPARE(page.windowTitle(), QStringLiteral("Form"));
    QCOMPARE(page.findChild<QPushButton*>("pbFileImport")->text(), QStringLiteral("导入图片"));
    QCOMPARE(page.findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送开始"));
    QCOMPARE(page.findChild<QCheckBox*>("chkRle")->text(), QStringLiteral("行程编码"));
    QVERIFY(!page.findChild<QCheckBox*>("chkRle")->isChecked());
    QComboBox* cmb = page.findChild<QComboBox*>("cmbCompress");
    QCOMPARE(cmb->count(), 2);
    QCOMPARE(cmb->itemText(0), QStringLiteral("不压缩"));
    QCOMPARE(cmb->itemText(1), QStringLiteral("7z"));
    QCOMPARE(cmb->currentIndex(), 1);
    QLineEdit* addr = page.findChild<QLineEdit*>("editDstAddr");
    QCOMPARE(addr->text(), QStringLiteral("1674097996"));
    QCOMPARE(addr->maxLength(), 22);
    QCOMPARE(page.findChild<QLineEdit*>("editKeepTime")->text(), QStringLiteral("10000"));
    QVERIFY(page.findChild<QLineEdit*>("editPath")->isReadOnly());
    QVERIFY(page.findChild<QTextEdit*>("textEditLog")->isReadOnly());
    QVERIFY(!page.findChild<QProgressBar*>("progress")->isTextVisible());
    QVERIFY(page.findChild<QWidget*>("groupOption"));
    QVERIFY(page.findChild<QWidget*>("groupView"));
    QVERIFY(page.findChild<QWidget*>("labelImg"));
    // Validators: the address pattern, keep time 0..2147483647.
    int pos = 0;
    QString text = "1674097996-1-2";
    QCOMPARE(addr->validator()->validate(text, pos), QValidator::Acceptable);
    text = "12a";
    QCOMPARE(addr->validator()->validate(text, pos), QValidator::Invalid);
    text = "-1";
    QCOMPARE(page.findChild<QLineEdit*>("editKeepTime")->validator()->validate(text, pos), QValidator::Invalid);
}

void TestFileTrans::broadcastTransferSendsAtOnceWithoutWakeUp_data()
{
    QTest::addColumn<bool>("exactlyOnePacket");
    QTest::newRow("1024 bytes: one packet") << true;
    QTest::newRow("1025 bytes: two packets") << false;
}

void TestFileTrans::broadcastTransferSendsAtOnceWithoutWakeUp()
{
    QFETCH(bool, exactlyOnePacket);
    QCOMPARE(m_page->loadImageFile(exactlyOnePacket ? m_file1008 : m_file1009), 0);
    setField("editDstAddr", "0");
    start();
    QVERIFY(m_page->isSending());
    QCOMPARE(m_page->payload().size(), exactlyOnePacket ? 1024 : 1025);
    QVERIFY(log().startsWith(QStringLiteral("准备发送文件大小: %L1 字节").arg(m_page->payload().size())));

    const QByteArray first = m_dev->nextFrame();
    QCOMPARE(first.toHex(), expectedPacket(0, 0, 0).toHex());
    QVERIFY(m_dev->answer(ackFrame(0, exactlyOnePacket ? 1 : 2, 0, 0)));
    if (!exactlyOnePacket) {
        const QByteArray second = m_dev->nextFrame();
        QCOMPARE(second.toHex(), expectedPacket(0, 0, 1).toHex());
        QCOMPARE(second.size(), 11 + 10 + 1);
        QVERIFY(m_dev->answer(ackFrame(0, 2, 1, 0)));
    }
    QVERIFY(!m_page->isSending());
    QCOMPARE(m_page->findChild<QProgressBar*>("progress")->value(), 100);
    QVERIFY(log().contains(QStringLiteral("本次发送完毕, 耗时: ")));
    QCOMPARE(m_page->findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送开始"));
    // No follow-up wake-up request after a broadcast transfer.
    QVERIFY(m_dev->staysSilent(300));
    QVERIFY(!log().contains(QStringLiteral("唤醒超时")));
}

void TestFileTrans::wakeUpThenPacketsFollowTheAnsweringDevice()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), 0);  // 2 packets
    setField("editDstAddr", "1674097996");
    setField("editKeepTime", "1000");
    start();
    QCOMPARE(m_dev->nextFrame().toHex(' '), QByteArray("aa 01 00 00 00 00 10 08 00 4c b5 c8 63 e8 03 00 00 da ee"));
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("等待唤醒. .")), 5000);
    QVERIFY(m_dev->staysSilent(50));

    QVERIFY(m_dev->answer(awakenAnswerFrame(1674097996, 0)));
    QVERIFY(log().contains(QStringLiteral("\n唤醒地址: 1674097996, 成功 耗时: ")));
    QCOMPARE(m_page->findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送停止"));
    runPackets(1674097996, 1674097996, 0);
    QVERIFY(!m_page->isSending());
    QVERIFY(log().contains(QStringLiteral("当前包:   1, 总包：2, 状态: 接收成功\n当前包:   2, 总包：2, 状态: 接收成功\n本次发送完毕")));
    QCOMPARE(colourOf(QStringLiteral("本次发送完毕")), QColor(Qt::black));
    // Dots stop with the answer.
    const QString after = log();
    QTest::qWait(100);
    QCOMPARE(log(), after);
}

void TestFileTrans::imageArrivesByteExactInEveryMode_data()
{
    QTest::addColumn<bool>("rle");
    QTest::addColumn<int>("compress");
    QTest::newRow("raw file, plain") << false << kCompressNone;
    QTest::newRow("raw file, compressed") << false << kCompressLzma;
    QTest::newRow("container, plain") << true << kCompressNone;
    QTest::newRow("container, compressed") << true << kCompressLzma;
}

void TestFileTrans::imageArrivesByteExactInEveryMode()
{
    QFETCH(bool, rle);
    QFETCH(int, compress);
    const QString path = m_dir.filePath("photo.jpg");
    QImage photo(300, 500, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * y) % 256, x % 256, y % 256));
    QVERIFY(photo.save(path, "JPG", 90));
    QCOMPARE(m_page->loadImageFile(path), 0);
    setMode(rle, compress);
    setField("editDstAddr", "0");
    start();
    QVERIFY(m_page->isSending());

    // The display reassembles the payload from the packets' data.
    QByteArray received;
    int count = 0;
    for (int i = 0; count == 0 || i < count; ++i) {
        const QByteArray f = m_dev->nextFrame();
        QVERIFY(isAcceptableResponse(f) || framePayloadLength(f) > 1024);
        QCOMPARE(quint8(f.at(f.size() - 2)), frameChecksum(f.constData(), f.size() - 2));
        const QByteArray p = f.mid(9, framePayloadLength(f));
        count = quint8(p[8]);
        QCOMPARE(int(quint8(p[9])), i);
        received.append(p.mid(10));
        QVERIFY(m_dev->answer(ackFrame(7, count, i, 0)));
    }
    QVERIFY(!m_page->isSending());
    QFile saved("data.bin");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(received, saved.readAll());
    QCOMPARE(qFromLittleEndian<quint16>(received.constData()), quint16(rle ? kImgTypeContainer : kImgTypeJpg));
    QCOMPARE(int(quint8(received[2])), compress);
    QCOMPARE(qFromLittleEndian<quint32>(received.constData() + 8), quint32(QFileInfo(path).size()));
}

void TestFileTrans::twoDevicesEachGetTheirOwnSequence()
{
    setMode(true, kCompressNone);
    setField("editDstAddr", "0");
    QImage big(240, 416, QImage::Format_RGB32);
    for (int y = 0; y < 416; ++y)
        for (int x = 0; x < 240; ++x)
            big.setPixel(x, y, qRgb((x * 7) % 256, (y * 3) % 256, 90));
    QVERIFY(big.save(m_dir.filePath("big.png"), "PNG"));
    QCOMPARE(m_page->loadImageFile(m_dir.filePath("big.png")), 0);
    start();
    const int count = (m_page->payload().size() + 1023) / 1024;
    QVERIFY2(count >= 3, qPrintable(QString::number(m_page->payload().size())));

    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(0, 0, 0).toHex());
    QVERIFY(m_dev->answer(ackFrame(5, count, 0, 0)));
    QVERIFY(m_dev->answer(ackFrame(6, count, 0, 0)));
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(5, 0, 1).toHex());
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(6, 0, 1).toHex());
    for (int i = 1; i < count; ++i) {
        QVERIFY(m_dev->answer(ackFrame(5, count, i, 0)));
        if (i + 1 < count)
            QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(5, 0, i + 1).toHex());
    }
    QVERIFY(!m_page->isSending());
    // Device 6 finishing later changes nothing.
    const QString done = log();
    QVERIFY(m_dev->answer(ackFrame(6, count, 1, 0)));
    QCOMPARE(log(), done);
    QVERIFY(m_dev->staysSilent(100));
}

void TestFileTrans::failedAcknowledgementEndsTransfer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("event");
    QTest::newRow("status 200") << ackFrame(9, 1, 0, 200) << "当前包:   1, 总包：1, 状态: 其他异常" << "文件发送异常 200";
    QTest::newRow("status 2") << ackFrame(9, 1, 0, 2) << "当前包:   1, 总包：1, 状态: 校验错误" << "文件发送异常 2";
    QTest::newRow("count 0") << ackFrame(9, 0, 0, 0) << "当前包:   1, 总包：0, 状态: 当前包数异常" << "文件发送异常 0";
    QTest::newRow("index past count") << ackFrame(9, 1, 1, 0) << "当前包:   2, 总包：1, 状态: 当前包数异常"
                                      << "文件发送异常 0";
    // Two bytes only: no status line; offset 11 is then the checksum.
    const QByteArray shortAck = encodeFrame(9, dtu::kCtlPacket, QByteArray::fromHex("0100"));
    QTest::newRow("short") << shortAck << QString() << QStringLiteral("文件发送异常 %1").arg(quint8(shortAck[11]));
}

void TestFileTrans::failedAcknowledgementEndsTransfer()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, line);
    QFETCH(QString, event);
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    QVERIFY(m_dev->answer(answer));
    QVERIFY(!m_page->isSending());
    if (!line.isEmpty()) {
        QVERIFY(log().contains(line + "\n本次发送异常\n"));
        QCOMPARE(colourOf(line), QColor(0xFF6E6E));
    } else {
        QVERIFY(log().endsWith(QStringLiteral("字节\n本次发送异常\n")));
    }
    QCOMPARE(colourOf(QStringLiteral("本次发送异常")), QColor(0xFF6E6E));
    QCOMPARE(m_logSpy->last().at(0).toString(), event);
    QVERIFY(m_page->findChild<QProgressBar*>("progress")->styleSheet().contains("#FF6E6E"));
    QCOMPARE(m_page->findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送开始"));
    QVERIFY(m_dev->staysSilent(100));
}

void TestFileTrans::acknowledgementTimeoutEndsAndLateAnswerIsIgnored()
{
    TransferTimeouts t;
    t.nAckMs = 150;
    m_page->setTimeouts(t);
    QCOMPARE(m_page->loadImageFile(m_file1009), 0);
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_page->isSending(), 10000);
    QVERIFY(log().endsWith(QStringLiteral("文件发送超时\n")));
    QCOMPARE(colourOf(QStringLiteral("文件发送超时")), QColor(0xFF6E6E));
    QCOMPARE(m_logSpy->last().at(0).toString(), QStringLiteral("文件发送超时"));
    const QString before = log();
    QVERIFY(m_dev->answer(ackFrame(0, 2, 0, 0)));
    QVERIFY(m_dev->staysSilent(200));
    QCOMPARE(log(), before);
}

void TestFileTrans::wakeUpTimeoutEndsAndLateAnswerIsIgnored()
{
    setField("editDstAddr", "17");
    setField("editKeepTime", "40");  // waits 4 x 40 ms
    start();
    QCOMPARE(m_dev->nextFrame().mid(9, 8).toHex(), QByteArray("1100000028000000"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_page->isSending(), 10000);
    QVERIFY(log().endsWith(QStringLiteral("\n唤醒超时\n")));
    QCOMPARE(colourOf(QStringLiteral("唤醒超时")), QColor(0xFF6E6E));
    QCOMPARE(m_logSpy->last().at(0).toString(), QStringLiteral("唤醒超时"));
    const QString before = log();
    QVERIFY(m_dev->answer(awakenAnswerFrame(17, 0)));
    QVERIFY(m_dev->staysSilent(200));
    QCOMPARE(log(), before);
}

void TestFileTrans::keepTimeZeroTimesOutAtOnce()
{
    setField("editDstAddr", "17");
    setField("editKeepTime", "0");
    start();
    QCOMPARE(m_dev->nextFrame().mid(13, 4).toHex(), QByteArray("00000000"));
    QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("唤醒超时")), 10000);
    QVERIFY(!m_page->isSending());
}

void TestFileTrans::failedWakeUpEndsWithoutPackets()
{
    setField("editDstAddr", "17");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    QVERIFY(m_dev->answer(awakenAnswerFrame(0, 3)));
    QVERIFY(!m_page->isSending());
    QVERIFY(log().contains(QStringLiteral("唤醒地址: 广播, 失败 耗时: ")));
    QCOMPARE(colourOf(QStringLiteral("失败")), QColor(0xFF6E6E));
    QVERIFY(m_dev->staysSilent(200));
}

void TestFileTrans::stopDuringTransferIgnoresLaterAnswers()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), 0);
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    const QString before = log();
    start();  // "发送停止"
    QVERIFY(!m_page->isSending());
    QCOMPARE(m_page->findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送开始"));
    QCOMPARE(log(), before);
    QVERIFY(m_dev->answer(ackFrame(0, 2, 0, 0)));
    QVERIFY(m_dev->staysSilent(200));
    QCOMPARE(log(), before);
}

void TestFileTrans::displayReportsAreLoggedWhileIdle()
{
    QVERIFY(!m_page->isSending());
    QVERIFY(m_dev->answer(encodeFrame(3, dtu::kCtlDisplayState, u32le(12) + QByteArray(1, '\0'))));
    QVERIFY(m_dev->answer(encodeFrame(3, dtu::kCtlDisplayState, u32le(13) + QByteArray(1, '\4'))));
    QVERIFY(m_dev->answer(encodeFrame(3, dtu::kCtlDisplayState, u32le(14) + QByteArray(1, '\1'))));
    QCOMPARE(log(), QStringLiteral("墨水屏 #12 状态: 刷屏成功\n墨水屏 #13 状态: 刷屏成功\n墨水屏 #14 状态: 解码失败\n"));
    QCOMPARE(colourOf(QStringLiteral("#12")), QColor(Qt::black));
    QCOMPARE(colourOf(QStringLiteral("#13")), QColor(0xFF6E6E));
    QCOMPARE(colourOf(QStringLiteral("#14")), QColor(0xFF6E6E));
    // Acknowledgements and wake-up answers mean nothing while idle.
    QVERIFY(m_dev->answer(ackFrame(0, 1, 0, 0)));
    QVERIFY(m_dev->answer(awakenAnswerFrame(1, 0)));
    QVERIFY(m_dev->staysSilent(100));
    QCOMPARE(log().count('\n'), 3);
}

void TestFileTrans::malformedFramesAreIgnored()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), 0);
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    const QString before = log();
    QByteArray badHead = ackFrame(0, 2, 0, 0);
    badHead[0] = char(0xAB);
    QByteArray lengthTooLarge = ackFrame(0, 2, 0, 0);
    lengthTooLarge[7] = char(0x20);
    m_page->transResponse(badHead);
    m_page->transResponse(lengthTooLarge);
    m_page->transResponse(encodeFrame(0, dtu::kCtlPacket, QByteArray()));
    m_page->transResponse(encodeFrame(0, dtu::kCtlPacket, QByteArray(1025, '\0')));
    m_page->transResponse(encodeFrame(0, 0x55, QByteArray(3, '\0')));
    m_page->transResponse(QByteArray::fromHex("AA01"));
    QVERIFY(m_page->isSending());
    QCOMPARE(log(), before);
    QVERIFY(m_dev->answer(ackFrame(0, 2, 0, 0)));
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(0, 0, 1).toHex());
}

void TestFileTrans::payloadOverPacketLimitIsRefused()
{
    const QString huge = m_dir.filePath("huge.png");
    writeImageFile(huge, 255 * 1024 - 16 + 1);  // one byte over 255 packets
    QCOMPARE(m_page->loadImageFile(huge), 0);
    setField("editDstAddr", "0");
    start();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].icon, QMessageBox::Critical);
    QCOMPARE(m_messages[0].title, QStringLiteral("错误"));
    QVERIFY(m_messages[0].text.contains(QStringLiteral("过大")));
    QVERIFY(!m_page->isSending());
    QVERIFY(m_dev->staysSilent(200));

    // Exactly 255 packets still go out, numbered 0..254.
    writeImageFile(huge, 255 * 1024 - 16);
    QCOMPARE(m_page->loadImageFile(huge), 0);
    start();
    QVERIFY(m_page->isSending());
    const QByteArray f = m_dev->nextFrame();
    QCOMPARE(int(quint8(f[9 + 8])), 255);
}

void TestFileTrans::newTransferForgetsDevicesOfTheLastOne()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), 0);
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    QVERIFY(m_dev->answer(ackFrame(5, 2, 0, 0)));
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(5, 0, 1).toHex());
    QVERIFY(m_dev->answer(ackFrame(5, 2, 1, 0)));
    QVERIFY(!m_page->isSending());

    // The next transfer, with a rebuilt payload, starts with the broadcast packet only.
    setMode(true, kCompressNone);
    start();
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(0, 0, 0).toHex());
    QVERIFY(m_dev->staysSilent(200));
}

void TestFileTrans::refusesWithPortClosedOrAddressEmpty()
{
    setField("editDstAddr", "");
    start();
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].title, QStringLiteral("告警"));
    QCOMPARE(m_messages[0].text, QStringLiteral(" 目的地址不能为空\n请输入目的地址"));
    QCOMPARE(m_page->findChild<QLineEdit*>("editDstAddr")->text(), QStringLiteral("0"));
    QVERIFY(!m_page->isSending());

    // A payload that cannot be built: the file went away after loading.
    writeImageFile(m_dir.filePath("gone.png"), 500);
    QCOMPARE(m_page->loadImageFile(m_dir.filePath("gone.png")), 0);
    QVERIFY(QFile::remove(m_dir.filePath("gone.png")));
    start();
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[1].title, QStringLiteral("错误"));
    QCOMPARE(m_messages[1].text, QStringLiteral("生成图片数据失败"));
    QVERIFY(!m_page->isSending());

    m_dev->closePort();
    start();
    QCOMPARE(m_messages.size(), 3);
    QCOMPARE(m_messages[2].title, QStringLiteral("告警"));
    QCOMPARE(m_messages[2].text, QStringLiteral("请先打开串口"));
    QVERIFY(m_dev->staysSilent(100));
}

void TestFileTrans::addressFormWithHyphensReadsAsBroadcast()
{
    setField("editDstAddr", "1674097996-1-2");
    start();
    // No wake-up: the first frame is packet 0 for target 0.
    QCOMPARE(m_dev->nextFrame().toHex(), expectedPacket(0, 0, 0).toHex());
}

void TestFileTrans::importReportsLoadFailures()
{
    const QString text = m_dir.filePath("notes.png");
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not an image");
    f.close();
    QString chosen;
    m_page->setFileChooser([&chosen](QWidget*, const QString&) { return chosen; });
    QPushButton* import = m_page->findChild<QPushButton*>("pbFileImport");

    chosen = text;
    import->click();
    chosen = m_dir.filePath("missing.png");
    import->click();
    chosen = QString();  // cancelled
    import->click();
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[0].text, QStringLiteral("加载图片失败"));
    QCOMPARE(m_messages[1].text, QStringLiteral("加载图片未知错误"));

    // A failed load leaves no image: sending then fails to build the payload.
    setField("editDstAddr", "0");
    start();
    QCOMPARE(m_messages.last().text, QStringLiteral("生成图片数据失败"));

    chosen = m_file1009;
    import->click();
    QCOMPARE(m_logSpy->last().at(0).toString(), QStringLiteral("文件加载成功"));
    start();
    QVERIFY(m_page->isSending());
    chosen = m_file1008;
    import->click();
    QCOMPARE(m_messages.last().text, QStringLiteral("文件正在发送"));
}

void TestFileTrans::settingsRoundTripInGroup()
{
    const QString ini = m_dir.filePath("Telvane.ini");
    {
        QSettings s(ini, QSettings::IniFormat);
        s.setIniCodec("UTF-8");
        setField("editDstAddr", "42");
        setField("editKeepTime", "1234");
        setMode(false, kCompressNone);
        m_page->saveSettings(&s);
    }
    {
        QSettings s(ini, QSettings::IniFormat);
        QCOMPARE(s.value("FileTrans/FilePath").toString(), QFileInfo(m_file1008).absoluteFilePath());
        QCOMPARE(s.value("FileTrans/Compress").toInt(), 0);
        QCOMPARE(s.value("FileTrans/DstAddr").toString(), QStringLiteral("42"));
        QCOMPARE(s.value("FileTrans/KeepTime").toString(), QStringLiteral("1234"));
    }
    FileTrans fresh;
    QSignalSpy spy(&fresh, &FileTrans::setLog);
    QSettings s(ini, QSettings::IniFormat);
    s.setIniCodec("UTF-8");
    fresh.loadSettings(&s);
    QCOMPARE(spy.count(), 2);  // the file is loaded after both reads of its path
    QCOMPARE(fresh.findChild<QLineEdit*>("editPath")->text(), QFileInfo(m_file1008).absoluteFilePath());
    QCOMPARE(fresh.findChild<QComboBox*>("cmbCompress")->currentIndex(), 0);
    QCOMPARE(fresh.findChild<QLineEdit*>("editDstAddr")->text(), QStringLiteral("42"));
    QCOMPARE(fresh.findChild<QLineEdit*>("editKeepTime")->text(), QStringLiteral("1234"));

    // Defaults for an empty group; an unknown compression code keeps index 1.
    QSettings empty(m_dir.filePath("empty.ini"), QSettings::IniFormat);
    empty.setValue("FileTrans/Compress", 9);
    FileTrans other;
    other.loadSettings(&empty);
    QCOMPARE(other.findChild<QComboBox*>("cmbCompress")->currentIndex(), 1);
    QCOMPARE(other.findChild<QLineEdit*>("editDstAddr")->text(), QStringLiteral("1674097996"));
    QCOMPARE(other.findChild<QLineEdit*>("editKeepTime")->text(), QStringLiteral("800"));
}

QTEST_MAIN(TestFileTrans)
#include "tst_filetrans.moc"
