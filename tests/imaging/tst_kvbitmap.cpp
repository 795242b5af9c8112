#include "dither.h"
#include "kvbitmap.h"

#include <QTemporaryDir>
#include <QTest>

#include <sstream>

namespace {

// A grayscale image from rows of pixel values.
QImage grayImage(int w, int h, const QVector<int>& pixels)
{
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.scanLine(y)[x] = uchar(pixels[y * w + x]);
    return img;
}

QImage filled(int w, int h, int v)
{
    QImage img(w, h, QImage::Format_Grayscale8);
    img.fill(uint(v));
    return img;
}

QByteArray runs(const QImage& img)
{
    const std::vector<quint8> v = kv8::KvBitmap::encodeRuns(img);
    return QByteArray(reinterpret_cast<const char*>(v.data()), int(v.size()));
}

}  // namespace

class TestKvBitmap : public QObject
{
    Q_OBJECT

private slots:
    void runDataMatchesWorkedCases_data();
    void runDataMatchesWorkedCases();
    void runLengthsUseBase8Units_data();
    void runLengthsUseBase8Units();
    void rowPaddingIsSkipped();
    void containerHeaderIsByteExact();
    void colourOrNullImageGivesHeaderOnly_data();
    void colourOrNullImageGivesHeaderOnly();
    void streamFormAndSaveWriteTheSameBytes();
    void bayerMatricesStartWithKnownRows();
    void ditherKeepsBlackAndWhite_data();
    void ditherKeepsBlackAndWhite();
    void ditherToTwoLevelsFollowsThreshold();
    void ditherLeavesUnsupportedInputUnchanged();
};

void TestKvBitmap::runDataMatchesWorkedCases_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("3x2 worked example") << grayImage(3, 2, { 255, 255, 0, 0, 0, 255 }) << QByteArray::fromHex("3201");
    QTest::newRow("row continuation 2x2") << grayImage(2, 2, { 255, 0, 0, 255 }) << QByteArray::fromHex("2101");
    // 16 = 0o20: units 8 2, then the dark run 0.
    QTest::newRow("all white 4x4") << filled(4, 4, 255) << QByteArray::fromHex("2800");
    QTest::newRow("all black 4x4") << filled(4, 4, 0) << QByteArray::fromHex("8002");
    QTest::newRow("threshold 127 light, 126 dark") << grayImage(2, 1, { 127, 126 }) << QByteArray::fromHex("11");
    QTest::newRow("run of 8 light") << filled(8, 1, 255) << QByteArray::fromHex("1800");
    QTest::newRow("dark first") << grayImage(3, 1, { 0, 0, 255 }) << QByteArray::fromHex("2001");
}

void TestKvBitmap::runDataMatchesWorkedCases()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, expected);
    QCOMPARE(runs(image).toHex(' '), expected.toHex(' '));
}

void TestKvBitmap::runLengthsUseBase8Units_data()
{
    QTest::addColumn<quint32>("length");
    QTest::addColumn<QByteArray>("units");  // one unit per byte, for readability

    QTest::newRow("0") << 0u << QByteArray::fromHex("00");
    QTest::newRow("7") << 7u << QByteArray::fromHex("07");
    QTest::newRow("8") << 8u << QByteArray::fromHex("0801");
    QTest::newRow("63") << 63u << QByteArray::fromHex("0f07");
    QTest::newRow("64") << 64u << QByteArray::fromHex("080801");
    QTest::newRow("99840") << 99840u << QByteArray::fromHex("0808080b0803");  // 0o303000
    QTest::newRow("0x1FFFFF") << 0x1FFFFFu << QByteArray::fromHex("0f0f0f0f0f0f07");
}

void TestKvBitmap::runLengthsUseBase8Units()
{
    QFETCH(quint32, length);
    QFETCH(QByteArray, units);
    std::vector<quint8> out;
    bool bNewByte = true;
    kv8::KvBitmap::putRunLength(out, length, bNewByte);
    // Pack the expected units two to a byte, low nibble first.
    QByteArray expected;
    for (int i = 0; i < units.size(); ++i) {
        if (i % 2 == 0)
            expected.append(char(units[i] & 0x0F));
        else
            expected[expected.size() - 1] = char(expected.back() | (units[i] << 4));
    }
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size())).toHex(' '), expected.toHex(' '));
    QCOMPARE(bNewByte, units.size() % 2 == 0);
}

void TestKvBitmap::rowPaddingIsSkipped()
{
    // Width 3 rows are padded to 4 bytes; the filler must never be read as pixels.
    QImage img(3, 2, QImage::Format_Grayscale8);
    img.fill(0);
    for (int y = 0; y < 2; ++y) {
        uchar* row = img.scanLine(y);
        row[0] = row[1] = row[2] = 255;
        if (img.bytesPerLine() > 3)
            row[3] = 0;  // dark filler would split the light run if read
    }
    QCOMPARE(runs(img).toHex(' '), QByteArray("06"));
}

void TestKvBitmap::containerHeaderIsByteExact()
{
    kv8::KvBitmap bitmap(3, 2, 1);
    bitmap.addImage(grayImage(3, 2, { 255, 255, 0, 0, 0, 255 }));
    QByteArray out;
    bitmap.writeTo(out);
    const QByteArray expected = QByteArray::fromHex("4B42 0900 0300 0200 01"
                                                    "424C 2300 0000 0000 0300 0200 10000000 52454C"
                                                    "01000000 02000000 FFFFFF00 00000000 3201");
    QCOMPARE(out.toHex(' '), expected.toHex(' '));
}

void TestKvBitmap::colourOrNullImageGivesHeaderOnly_data()
{
    QTest::addColumn<QImage>("image");
    QImage colour(4, 4, QImage::Format_RGB32);
    colour.fill(Qt::white);
    QTest::newRow("colour") << colour;
    QTest::newRow("null") << QImage();
}

void TestKvBitmap::colourOrNullImageGivesHeaderOnly()
{
    QFETCH(QImage, image);
    kv8::KvBitmap bitmap(4, 4, 1);
    bitmap.addImage(image);
    QByteArray out;
    bitmap.writeTo(out);
    QCOMPARE(out.size(), kv8::KvBitmap::kHeaderSize);
    QCOMPARE(out.mid(21, 4), QByteArray(4, '\0'));
    QVERIFY(kv8::KvBitmap::encodeRuns(image).empty());
}

void TestKvBitmap::streamFormAndSaveWriteTheSameBytes()
{
    kv8::KvBitmap bitmap(5, 3, 1);
    QImage img = grayImage(5, 3, { 0, 255, 200, 10, 0, 255, 255, 255, 255, 3, 0, 0, 127, 126, 255 });
    bitmap.addImage(img);
    bitmap.addImage(filled(2, 2, 0));  // only the first image is written
    QByteArray viaArray;
    bitmap.writeTo(viaArray);
    std::ostringstream stream;
    bitmap.writeTo(stream);
    QCOMPARE(QByteArray::fromStdString(stream.str()).toHex(), viaArray.toHex());

    QTemporaryDir dir;
    const QString path = dir.filePath("img.kv");
    bitmap.save(path.toLocal8Bit().constData());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toHex(), viaArray.toHex());
    bitmap.save(dir.filePath("missing/dir/x.kv").toLocal8Bit().constData());  // silently nothing
    QVERIFY(!QFile::exists(dir.filePath("missing/dir/x.kv")));
}

void TestKvBitmap::bayerMatricesStartWithKnownRows()
{
    const std::vector<int> m4 = bayerMatrix(4);
    QCOMPARE(std::vector<int>(m4.begin(), m4.end()),
             (std::vector<int> { 0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5 }));
    const std::vector<int> m8 = bayerMatrix(8);
    QCOMPARE(std::vector<int>(m8.begin(), m8.begin() + 16),
             (std::vector<int> { 0, 32, 8, 40, 2, 34, 10, 42, 48, 16, 56, 24, 50, 18, 58, 26 }));
    std::vector<int> sorted = m8;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 64; ++i)
        QCOMPARE(sorted[size_t(i)], i);
}

void TestKvBitmap::ditherKeepsBlackAndWhite_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("levels");
    QTest::newRow("4x4, 2 levels") << 4 << 2;
    QTest::newRow("8x8, 2 levels") << 8 << 2;
    QTest::newRow("8x8, 4 levels") << 8 << 4;
}

void TestKvBitmap::ditherKeepsBlackAndWhite()
{
    QFETCH(int, size);
    QFETCH(int, levels);
    for (int v : { 0, 255 }) {
        const QImage out = orderedDither(filled(11, 9, v), size, quint16(levels));
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QCOMPARE(int(out.constScanLine(y)[x]), v);
    }
}

void TestKvBitmap::ditherToTwoLevelsFollowsThreshold()
{
    // v = 128: v * 64 / 255 = 32, so entries below 32 turn white: half the cells.
    const QImage out = orderedDither(filled(8, 8, 128), 8, 2);
    const std::vector<int> m = bayerMatrix(8);
    int white = 0;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const int px = out.constScanLine(y)[x];
            QCOMPARE(px, m[size_t(y * 8 + x)] < 32 ? 255 : 0);
            white += px == 255;
        }
    }
    QCOMPARE(white, 32);
    // v = 1: 64/255 = 0, nothing exceeds entry 0: all black.
    QCOMPARE(orderedDither(filled(8, 8, 1), 8, 2), filled(8, 8, 0));
}

void TestKvBitmap::ditherLeavesUnsupportedInputUnchanged()
{
    const QImage gray = filled(5, 5, 100);
    QCOMPARE(orderedDither(gray, 2, 2), gray);
    QCOMPARE(orderedDither(gray, 8, 1), gray);
    QImage colour(5, 5, QImage::Format_RGB32);
    colour.fill(Qt::gray);
    QCOMPARE(orderedDither(colour, 8, 2), colour);
    QVERIFY(orderedDither(QImage(), 8, 2).isNull());
}

QTEST_GUILESS_MAIN(TestKvBitmap)
#include "tst_kvbitmap.moc"
