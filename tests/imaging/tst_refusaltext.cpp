#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "lzmacompress.h"
#include "payload.h"
#include "refusaltext.h"

class TestRefusalText : public QObject
{
    Q_OBJECT
private slots:
    void payloadRefusalSaysWhy_data();
    void payloadRefusalSaysWhy();
    void unreadableImageNamesFileAndReason_data();
    void unreadableImageNamesFileAndReason();

private:
    QTemporaryDir m_dir;
};

void TestRefusalText::payloadRefusalSaysWhy_data()
{
    QTest::addColumn<qint64>("fileSize");  // -1: no file
    QTest::addColumn<bool>("hasImage");
    QTest::addColumn<QString>("text");
    QTest::newRow("too large") << kMaxRawFileSize + 1 << true
                               << "生成图片数据失败: 文件 big.jpg 过大: 16,777,217 字节, 上限 16,777,216 字节";
    QTest::newRow("largest allowed is sent") << kMaxRawFileSize << true << QString();
    QTest::newRow("gone") << qint64(-1) << true << "生成图片数据失败: 无法读取文件 big.jpg";
    QTest::newRow("no image") << qint64(10) << false << "生成图片数据失败: 没有可发送的图片";
}

// The reasons come from real buildPayload results, so a changed result code
// cannot leave its text behind.
void TestRefusalText::payloadRefusalSaysWhy()
{
    QFETCH(qint64, fileSize);
    QFETCH(bool, hasImage);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::English));
    const QString path = m_dir.filePath("big.jpg");
    QFile::remove(path);
    if (fileSize >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(fileSize));  // sparse: costs no disk
    }
    PayloadOptions opt;
    opt.nCompress = kCompressNone;
    opt.strFilePath = path;
    opt.strSavePath.clear();
    QImage image;
    if (hasImage) {
        image = QImage(8, 8, QImage::Format_RGB32);
        image.fill(Qt::white);
    }
    QByteArray payload;
    const int nResult = buildPayload(payload, image, opt);
    if (text.isEmpty()) {
        QCOMPARE(nResult, 0);
        return;
    }
    QCOMPARE(payloadRefusal(nResult, path), text);
}

void TestRefusalText::unreadableImageNamesFileAndReason_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file
    QTest::newRow("not an image") << QByteArray("plain text");
    QTest::newRow("truncated png") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    QTest::newRow("missing") << QByteArray();
}

void TestRefusalText::unreadableImageNamesFileAndReason()
{
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath("picture.png");
    QFile::remove(path);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QString text = imageLoadRefusal(path);
    const QString head = QStringLiteral("加载图片失败: picture.png\n");
    QVERIFY2(text.startsWith(head), qPrintable(text));
    QVERIFY2(text.size() > head.size(), "the reader's reason is missing");
}

QTEST_MAIN(TestRefusalText)
#include "tst_refusaltext.moc"
