#include "kvbitmap.h"
#include "lzmacompress.h"
#include "payload.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <lzma.h>

namespace {

quint32 u32At(const QByteArray& b, int off)
{
    return qFromLittleEndian<quint32>(b.constData() + off);
}

// Independent check of the compressed form: liblzma's .lzma decoder.
bool lzmaAloneDecode(const QByteArray& stream, QByteArray& plain)
{
    lzma_stream s = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&s, UINT64_MAX) != LZMA_OK)
        return false;
    const quint64 size = qFromLittleEndian<quint64>(stream.constData() + 5);
    plain.resize(int(size));
    s.next_in = reinterpret_cast<const uint8_t*>(stream.constData());
    s.avail_in = size_t(stream.size());
    s.next_out = reinterpret_cast<uint8_t*>(plain.data());
    s.avail_out = size_t(plain.size());
    lzma_ret ret = LZMA_OK;
    while (ret == LZMA_OK)
        ret = lzma_code(&s, LZMA_FINISH);
    const bool ok = ret == LZMA_STREAM_END && s.avail_out == 0 && s.avail_in == 0;
    lzma_end(&s);
    return ok;
}

// Reads a display bitmap container back into a black-and-white image.
QImage readContainer(const QByteArray& c)
{
    if (c.size() < 44 || c.left(2) != "KB" || c.mid(9, 2) != "BL" || c.mid(25, 3) != "REL")
        return {};
    const int w = qFromLittleEndian<quint16>(c.constData() + 17);
    const int h = qFromLittleEndian<quint16>(c.constData() + 19);
    const int nBytes = int(u32At(c, 21) / 8);
    if (c.size() != 44 + nBytes)
        return {};
    QImage img(w, h, QImage::Format_Grayscale8);
    qint64 pos = 0;
    bool bLight = true;
    quint32 value = 0;
    int shift = 0;
    for (int i = 0; i < nBytes * 2; ++i) {
        const quint8 unit = quint8(c[44 + i / 2]) >> (i % 2 ? 4 : 0) & 0x0F;
        value |= quint32(unit & 7) << shift;
        shift += 3;
        if (unit & 8)
            continue;
        for (quint32 k = 0; k < value; ++k, ++pos) {
            if (pos >= qint64(w) * h)
                return {};
            img.scanLine(int(pos / w))[pos % w] = bLight ? 255 : 0;
        }
        bLight = !bLight;
        value = 0;
        shift = 0;
        if (pos == qint64(w) * h && bLight)
            break;  // an odd unit count leaves a zero filler nibble
    }
    return pos == qint64(w) * h ? img : QImage();
}

QImage gradient(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) % 256));
    return img;
}

}  // namespace

class TestPayload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rawFileUncompressed();
    void asSentImageIsWhatTheContainerCarries_data();
    void asSentImageIsWhatTheContainerCarries();
    void compressedPayloadDecodesWithIndependentDecoder_data();
    void compressedPayloadDecodesWithIndependentDecoder();
    void typeFollowsFileSuffix_data();
    void typeFollowsFileSuffix();
    void failuresLeaveNoSendablePayload();
    void incompressibleDataFailsAndKeepsHeaderOnly();
    void dataBinIsOverwrittenEachTime();
    void encoderIsReusedWithoutCarryingState();
    void compressorRefusesTooSmallDestination();

private:
    QTemporaryDir m_dir;
    QString m_bmp;
    QString m_png;
    QImage m_image;
};

void TestPayload::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QVERIFY(LzmaEncoder::runtimeSupported());
    m_bmp = m_dir.filePath("pic.bmp");
    m_png = m_dir.filePath("pic.png");
    QVERIFY(gradient(120, 80).save(m_bmp, "BMP"));
    QVERIFY(gradient(120, 80).save(m_png, "PNG"));
    QVERIFY(m_image.load(m_bmp));
}

void TestPayload::rawFileUncompressed()
{
    PayloadOptions opt;
    opt.nCompress = kCompressNone;
    opt.nImgType = kImgTypeBmp;
    opt.strFilePath = m_bmp;
    opt.nFileSize = quint32(QFileInfo(m_bmp).size());
    QByteArray payload;
    QCOMPARE(buildPayload(payload, m_image, opt), 0);

    QFile f(m_bmp);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    QCOMPARE(payload.size(), 16 + file.size());
    QCOMPARE(payload.left(8).toHex(' '), QByteArray("00 00 00 10 00 00 00 00"));
    QCOMPARE(u32At(payload, 8), quint32(file.size()));
    QCOMPARE(u32At(payload, 12), quint32(file.size()));
    QCOMPARE(payload.mid(16), file);
}

void TestPayload::asSentImageIsWhatTheContainerCarries_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("compress");

    QImage alpha(31, 17, QImage::Format_ARGB32);
    alpha.fill(qRgba(200, 40, 90, 60));
    QImage mono(50, 9, QImage::Format_Mono);
    mono.fill(1);
    mono.setPixel(3, 4, 0);
    // Widths that are no multiple of 4 leave filler bytes at the row ends.
    QTest::newRow("colour gradient, plain") << gradient(120, 80) << kCompressNone;
    QTest::newRow("colour gradient, 7z") << gradient(120, 80) << kCompressLzma;
    QTest::newRow("odd size, 7z") << gradient(123, 77) << kCompressLzma;
    QTest::newRow("display size") << scaledForDisplay(gradient(600, 1000)) << kCompressLzma;
    QTest::newRow("translucent") << alpha << kCompressNone;
    QTest::newRow("one bit per pixel") << mono << kCompressNone;
}

void TestPayload::asSentImageIsWhatTheContainerCarries()
{
    QFETCH(QImage, image);
    QFETCH(int, compress);
    PayloadOptions opt;
    opt.bRle = true;
    opt.nCompress = compress;
    opt.nImgType = kImgTypeJpg;
    opt.nFileSize = 12345;
    opt.strFilePath = m_dir.filePath("not-read-in-container-mode");
    QByteArray payload;
    QCOMPARE(buildPayload(payload, image, opt), 0);

    QCOMPARE(qFromLittleEndian<quint16>(payload.constData()), kImgTypeContainer);
    QCOMPARE(u32At(payload, 8), 12345u);
    QCOMPARE(u32At(payload, 12), quint32(payload.size() - 16));
    QByteArray container = payload.mid(16);
    if (compress == kCompressLzma) {
        QByteArray plain;
        QVERIFY(lzmaAloneDecode(payload.mid(16), plain));
        container = plain;
    }
    const QImage decoded = readContainer(container);
    QVERIFY(!decoded.isNull());

    const QImage shown = asSentImage(image);
    QCOMPARE(shown.size(), image.size());
    QCOMPARE(shown, decoded);
}

void TestPayload::compressedPayloadDecodesWithIndependentDecoder_data()
{
    QTest::addColumn<bool>("rle");
    QTest::newRow("file bytes") << false;
    QTest::newRow("container") << true;
}

void TestPayload::compressedPayloadDecodesWithIndependentDecoder()
{
    QFETCH(bool, rle);
    PayloadOptions opt;
    opt.bRle = rle;
    opt.nImgType = kImgTypeBmp;
    opt.strFilePath = m_bmp;
    opt.nFileSize = quint32(QFileInfo(m_bmp).size());
    QByteArray payload;
    QCOMPARE(buildPayload(payload, m_image, opt), 0);

    QByteArray plain;
    if (rle) {
        plain = buildContainer(m_image);
    } else {
        QFile f(m_bmp);
        QVERIFY(f.open(QIODevice::ReadOnly));
        plain = f.readAll();
    }
    QCOMPARE(int(quint8(payload[2])), kCompressLzma);
    QCOMPARE(payload.mid(16, 5).toHex(' '), QByteArray("5d 00 10 00 00"));
    QCOMPARE(qFromLittleEndian<quint64>(payload.constData() + 21), quint64(plain.size()));
    QCOMPARE(u32At(payload, 12), quint32(payload.size() - 16));
    QVERIFY(payload.size() - 16 <= plain.size() + 13);

    QByteArray decoded;
    QVERIFY(lzmaAloneDecode(payload.mid(16), decoded));
    QCOMPARE(decoded, plain);
}

void TestPayload::typeFollowsFileSuffix_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("expected");
    QTest::newRow("JPG upper case") << "JPG" << 0xFFFF << 1;
    QTest::newRow("jpg") << "jpg" << 0 << 1;
    QTest::newRow("BmP mixed case") << "BmP" << 1 << 0;
    QTest::newRow("png first") << "png" << 0xFFFF << 0xFFFF;
    QTest::newRow("png after bmp") << "png" << 0 << 0;
    QTest::newRow("jpeg is not jpg") << "jpeg" << 0 << 0;
}

void TestPayload::typeFollowsFileSuffix()
{
    QFETCH(QString, suffix);
    QFETCH(int, current);
    QFETCH(int, expected);
    QCOMPARE(int(imgTypeForSuffix(suffix, quint16(current))), expected);
}

void TestPayload::failuresLeaveNoSendablePayload()
{
    QByteArray payload("previous");
    PayloadOptions opt;
    opt.strFilePath = m_bmp;
    QCOMPARE(buildPayload(payload, QImage(), opt), kPayloadNoImage);
    QCOMPARE(payload, QByteArray("previous"));

    opt.strFilePath = m_dir.filePath("vanished.bmp");
    QCOMPARE(buildPayload(payload, m_image, opt), kPayloadFileUnreadable);
    QCOMPARE(payload, QByteArray("previous"));

    opt.strFilePath = m_bmp;
    opt.nCompress = 3;
    QCOMPARE(buildPayload(payload, m_image, opt), kPayloadNoImage);
    QCOMPARE(payload.size(), 12);
}

void TestPayload::incompressibleDataFailsAndKeepsHeaderOnly()
{
    const QString path = m_dir.filePath("noise.jpg");
    QByteArray noise(3000, '\0');
    QRandomGenerator rng(7);
    for (char& c : noise)
        c = char(rng.generate());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(noise);
    f.close();

    PayloadOptions opt;
    opt.nImgType = kImgTypeJpg;
    opt.strFilePath = path;
    opt.nFileSize = 3000;
    QByteArray payload;
    QCOMPARE(buildPayload(payload, m_image, opt), lzmastatus::kErrorOutputEof);
    QCOMPARE(payload.size(), 12);
    QFile saved("data.bin");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), payload);
}

void TestPayload::dataBinIsOverwrittenEachTime()
{
    PayloadOptions opt;
    opt.strFilePath = m_png;
    opt.nCompress = kCompressNone;
    QByteArray first;
    QCOMPARE(buildPayload(first, m_image, opt), 0);
    opt.bRle = true;
    QByteArray second;
    QCOMPARE(buildPayload(second, m_image, opt), 0);
    QVERIFY(first != second);
    QFile saved("data.bin");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), second);
}

void TestPayload::encoderIsReusedWithoutCarryingState()
{
    const QByteArray a = buildContainer(m_image);
    const QByteArray b = QByteArray(5000, 'x') + a;
    auto compress = [](const QByteArray& src) {
        QByteArray dst(src.size() + 13, '\0');
        size_t n = size_t(dst.size());
        const int r = lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &n,
                                   reinterpret_cast<const unsigned char*>(src.constData()), size_t(src.size()));
        return r == 0 ? dst.left(int(n)) : QByteArray();
    };
    const QByteArray first = compress(a);
    QVERIFY(!first.isEmpty());
    QVERIFY(!compress(b).isEmpty());
    QCOMPARE(compress(a), first);

    LzmaEncoder fresh;
    QByteArray dst(a.size() + 13, '\0');
    size_t n = size_t(dst.size());
    QCOMPARE(fresh.compress(reinterpret_cast<unsigned char*>(dst.data()), &n,
                            reinterpret_cast<const unsigned char*>(a.constData()), size_t(a.size())),
             0);
    QCOMPARE(dst.left(int(n)), first);
}

void TestPayload::compressorRefusesTooSmallDestination()
{
    const QByteArray src = buildContainer(m_image);
    QByteArray dst(src.size() + 13, '\0');
    size_t full = size_t(dst.size());
    QCOMPARE(lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &full,
                          reinterpret_cast<const unsigned char*>(src.constData()), size_t(src.size())),
             0);
    // Exactly enough room succeeds, one byte less does not.
    size_t exact = full;
    QCOMPARE(lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &exact,
                          reinterpret_cast<const unsigned char*>(src.constData()), size_t(src.size())),
             0);
    QCOMPARE(exact, full);
    size_t tight = full - 1;
    QCOMPARE(lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &tight,
                          reinterpret_cast<const unsigned char*>(src.constData()), size_t(src.size())),
             lzmastatus::kErrorOutputEof);
    size_t headerOnly = 12;
    QCOMPARE(lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &headerOnly,
                          reinterpret_cast<const unsigned char*>(src.constData()), size_t(src.size())),
             lzmastatus::kErrorOutputEof);
    size_t empty = 13;
    QCOMPARE(lzmaCompress(reinterpret_cast<unsigned char*>(dst.data()), &empty, nullptr, 0),
             lzmastatus::kErrorOutputEof);
}

QTEST_GUILESS_MAIN(TestPayload)
#include "tst_payload.moc"
