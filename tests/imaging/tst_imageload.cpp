// Imported images are sized before they are decoded: a file that declares a huge
// image is refused without the decode, large ones arrive scaled, the rest as
// QImage itself reads them.
#include "imageload.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const char* type, const QByteArray& data)
{
    QByteArray body = QByteArray(type) + data;
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    out += body;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(body), crc.data());
    return out + crc;
}

// A PNG header declaring width x height RGBA pixels, followed by a little
// compressed data: what a decompression bomb looks like to a size query.
QByteArray declaredPng(quint32 width, quint32 height)
{
    QByteArray ihdr(13, '\0');
    qToBigEndian(width, ihdr.data());
    qToBigEndian(height, ihdr.data() + 4);
    ihdr[8] = 8; // bits per channel
    ihdr[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr)
        + chunk("IDAT", qCompress(QByteArray(1 << 16, '\0')).mid(4)) + chunk("IEND", {});
}

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 5, (x ^ y) & 0xFF));
    return image;
}

} // namespace

class TestImageLoad : public QObject
{
    Q_OBJECT

private slots:
    void loadsWithinLimits_data();
    void loadsWithinLimits();
};

void TestImageLoad::loadsWithinLimits_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("maxPixels");
    QTest::addColumn<QSize>("decodeBox");
    QTest::addColumn<int>("result");
    QTest::addColumn<QSize>("size"); // of the loaded image

    const ImageLoadLimits standard;
    auto png = [](const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    QTest::newRow("declares 20000 x 20000, refused unread")
        << declaredPng(20000, 20000) << standard.maxPixels << standard.decodeBox
        << int(ImageLoadResult::TooLarge) << QSize(0, 0);
    QTest::newRow("exactly at the pixel limit") << png(pattern(100, 100)) << qint64(10000) << QSize(200, 200)
                                                << int(ImageLoadResult::Loaded) << QSize(100, 100);
    QTest::newRow("one row over the pixel limit") << png(pattern(100, 101)) << qint64(10000) << QSize(200, 200)
                                                  << int(ImageLoadResult::TooLarge) << QSize(0, 0);
    QTest::newRow("wider than the box: scaled, aspect kept")
        << png(pattern(200, 100)) << qint64(1000000) << QSize(50, 40) << int(ImageLoadResult::Loaded) << QSize(50, 25);
    QTest::newRow("thin line keeps at least one pixel")
        << png(pattern(4000, 2)) << qint64(1000000) << QSize(50, 40) << int(ImageLoadResult::Loaded) << QSize(50, 1);
    QTest::newRow("not an image") << QByteArray("just some text, no picture") << standard.maxPixels
                                  << standard.decodeBox << int(ImageLoadResult::NotAnImage) << QSize(0, 0);
}

void TestImageLoad::loadsWithinLimits()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, maxPixels);
    QFETCH(QSize, decodeBox);
    QFETCH(int, result);
    QFETCH(QSize, size);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.png"));
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();

    QImage image;
    ImageLoadLimits limits;
    limits.maxPixels = maxPixels;
    limits.decodeBox = decodeBox;
    QCOMPARE(int(readImageBounded(path, image, limits)), result);
    QCOMPARE(image.size(), size);
    // Images inside the box are exactly what QImage reads.
    const QImage plain(path);
    if (result == int(ImageLoadResult::Loaded) && plain.size() == size)
        QCOMPARE(image, plain);
}

QTEST_GUILESS_MAIN(TestImageLoad)
#include "tst_imageload.moc"
