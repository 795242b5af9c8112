#include "devicesim.h"
#include "dtuframe.h"
#include "filetrans.h"
#include "payload.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
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
    void wakeUpThenPacketsFollowTheAnsweringDevice();
    void imageArrivesByteExactInEveryMode_data();
    void imageArrivesByteExactInEveryMode();
    void failedAcknowledgementShowsRed();
    void stopDuringTransferIgnoresLaterAnswers();
    void displayReportsAreLoggedWhileIdle();
    void refusesWithPortClosedOrAddressEmpty();
    void addressFormWithHyphensReadsAsBroadcast();
    void importReportsLoadFailures();
    void settingsRoundTripInGroup();
    void previewShowsWhatTheDisplayWillShow_data();
    void previewShowsWhatTheDisplayWillShow();
    void batchTakesTheLineFromTheSingleTransfer();

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
    QCOMPARE(m_page->loadImageFile(m_file1008), ImageLoadResult::Loaded);
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

void TestFileTrans::wakeUpThenPacketsFollowTheAnsweringDevice()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), ImageLoadResult::Loaded);  // 2 packets
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
    QCOMPARE(m_page->loadImageFile(path), ImageLoadResult::Loaded);
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

void TestFileTrans::failedAcknowledgementShowsRed()
{
    setField("editDstAddr", "0");
    start();
    QVERIFY(!m_dev->nextFrame().isEmpty());
    QVERIFY(m_dev->answer(ackFrame(9, 1, 0, 200)));
    QVERIFY(!m_page->isSending());
    QVERIFY(log().contains(QStringLiteral("当前包:   1, 总包：1, 状态: 其他异常\n本次发送异常\n")));
    QCOMPARE(colourOf(QStringLiteral("其他异常")), QColor(0xFF6E6E));
    QCOMPARE(colourOf(QStringLiteral("本次发送异常")), QColor(0xFF6E6E));
    QCOMPARE(m_logSpy->last().at(0).toString(), QStringLiteral("文件发送异常 200"));
    QVERIFY(m_page->findChild<QProgressBar*>("progress")->styleSheet().contains("#FF6E6E"));
    QCOMPARE(m_page->findChild<QPushButton*>("pbSend")->text(), QStringLiteral("发送开始"));
    QVERIFY(m_dev->staysSilent(100));
}

void TestFileTrans::stopDuringTransferIgnoresLaterAnswers()
{
    QCOMPARE(m_page->loadImageFile(m_file1009), ImageLoadResult::Loaded);
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
    QCOMPARE(m_page->loadImageFile(m_dir.filePath("gone.png")), ImageLoadResult::Loaded);
    QVERIFY(QFile::remove(m_dir.filePath("gone.png")));
    start();
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_messages[1].title, QStringLiteral("错误"));
    QCOMPARE(m_messages[1].text, QStringLiteral("生成图片数据失败: 无法读取文件 gone.png"));
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
    QVERIFY2(m_messages[0].text.startsWith(QStringLiteral("加载图片失败: notes.png\n")), qPrintable(m_messages[0].text));
    QCOMPARE(m_messages[1].text, QStringLiteral("加载图片未知错误"));

    // A failed load leaves no image: sending then fails to build the payload.
    setField("editDstAddr", "0");
    start();
    QCOMPARE(m_messages.last().text, QStringLiteral("生成图片数据失败: 没有可发送的图片"));

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

void TestFileTrans::previewShowsWhatTheDisplayWillShow_data()
{
    QTest::addColumn<bool>("rle");
    QTest::addColumn<bool>("asSent");
    QTest::addColumn<bool>("dithered");
    QTest::newRow("source") << true << false << false;
    QTest::newRow("as sent") << true << true << true;
    // A file sent as it is on disk is the display's to decode.
    QTest::newRow("file bytes") << false << true << false;
}

void TestFileTrans::previewShowsWhatTheDisplayWillShow()
{
    QFETCH(bool, rle);
    QFETCH(bool, asSent);
    QFETCH(bool, dithered);
    QImage source;
    QVERIFY(source.load(m_file1008));
    auto* preview = m_page->findChild<QCheckBox*>("chkPreview");
    QCOMPARE(preview->text(), QStringLiteral("显示效果"));
    // Either order of the two boxes ends in the same view.
    preview->setChecked(asSent);
    setMode(rle, kCompressLzma);
    QCOMPARE(preview->isEnabled(), rle);
    const QImage expected = dithered ? asSentImage(scaledForDisplay(source)) : scaledForDisplay(source);
    const QImage shown = m_page->findChild<QLabel*>("labelImg")->pixmap(Qt::ReturnByValue).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
}

void TestFileTrans::batchTakesTheLineFromTheSingleTransfer()
{
    auto* list = m_page->findChild<QPlainTextEdit*>("editAddrList");
    auto* batchSend = m_page->findChild<QPushButton*>("pbBatchSend");
    list->setPlainText("1674097996\nabc");
    batchSend->click();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text.contains(QStringLiteral("第 2 行")));
    QVERIFY(m_dev->staysSilent(100));

    list->setPlainText("1674097996\n1674097997");
    batchSend->click();
    QVERIFY(m_page->isSending());
    QVERIFY(!m_page->findChild<QPushButton*>("pbSend")->isEnabled());
    QCOMPARE(m_dev->nextFrame().toHex(), encodeFrame(0, dtu::kCtlAwaken, u32le(1674097996) + u32le(5000)).toHex());
    // Answers go to the batch while it runs.
    QVERIFY(m_dev->answer(awakenAnswerFrame(1674097996, 0)));
    const QByteArray packet = m_dev->nextFrame();
    QCOMPARE(frameControl(packet), dtu::kCtlPacket);
    QCOMPARE(qFromLittleEndian<quint32>(packet.constData() + dtu::kPayloadOffset), 1674097996u);
    m_page->findChild<QPushButton*>("pbBatchStop")->click();
    QVERIFY(!m_page->isSending());
    QVERIFY(m_page->findChild<QPushButton*>("pbSend")->isEnabled());
    const QAbstractItemModel* table = m_page->findChild<QTableView*>("tableBatch")->model();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->index(0, 1).data().toString(), QStringLiteral("已停止"));
    QCOMPARE(table->index(1, 1).data().toString(), QStringLiteral("等待"));
    // A report after the batch still reaches its row.
    QVERIFY(m_dev->answer(encodeFrame(1674097997, dtu::kCtlDisplayState, u32le(1674097997) + QByteArray(1, '\0'))));
    QCOMPARE(table->index(1, 6).data().toString(), QStringLiteral("刷屏成功"));
}
