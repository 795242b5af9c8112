#include <QRandomGenerator>
#include <QtTest>

#include "dtuframe.h"
#include "framecutter.h"
#include "referencesearch.h"

namespace {

QByteArray hex(const char* str)
{
    return QByteArray::fromHex(str);
}

// Bytes that stress the search: mostly heads and tails, some small values
// whose sums can close a candidate, and now and then a real frame.
QByteArray nastyStream(QRandomGenerator* rng, int nSize)
{
    QByteArray out;
    while (out.size() < nSize) {
        const quint32 nPick = rng->bounded(100);
        if (nPick < 3) {
            QByteArray payload(int(rng->bounded(6)), '\0');
            for (char& c : payload)
                c = char(rng->bounded(3) == 0 ? dtu::kHead : rng->bounded(256));
            out += encodeFrame(rng->generate(), quint8(rng->bounded(256)), payload);
        } else if (nPick < 40) {
            out += char(dtu::kHead);
        } else if (nPick < 70) {
            out += char(dtu::kTail);
        } else {
            out += char(rng->bounded(4));
        }
    }
    return out;
}

}  // namespace

class TestFrameCutter : public QObject
{
    Q_OBJECT
private slots:
    void searchFindsTheExpectedFrame_data();
    void searchFindsTheExpectedFrame();
    void everyCompleteFrameInOneChunkIsCut();
    void agreesWithPlainSearchOnRandomChunkedStreams();
    void bufferStaysBoundedUnderNoise();
    void longestDescribableFrameSurvivesTheBound();
    void clearForgetsEarlierHeads();
};

void TestFrameCutter::searchFindsTheExpectedFrame_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("head");  // -1: no frame
    QTest::addColumn<int>("tail");

    const QByteArray frame = encodeFrame(0, dtu::kCtlTerminalId, {});
    QTest::newRow("stray byte then frame") << (QByteArray("\x42") + frame) << 1 << 11;
    QTest::newRow("bare frame") << frame << 0 << 10;
    QByteArray bad = frame;
    bad[9] = char(bad[9] + 1);
    QTest::newRow("wrong checksum") << bad << -1 << -1;
    QTest::newRow("wrong checksum, then good frame") << (bad + frame) << 11 << 21;
    const QByteArray withHeads = encodeFrame(7, 0x10, hex("aaaa01aa"));
    QTest::newRow("0xAA inside the payload") << withHeads << 0 << withHeads.size() - 1;
    // "AA AA EE" is a valid candidate by its sum, but its tail sits below index 10.
    QTest::newRow("tail below index 10") << (hex("aaaaee") + QByteArray(8, '\0')) << -1 << -1;
    QTest::newRow("same candidate at index 10") << (QByteArray(10, '\0') + hex("aaaaee")) << 10 << 12;
    // The heads at 9 and 11 both close the tail at 13; the nearer one wins.
    QTest::newRow("nearest matching head wins")
        << (QByteArray(9, '\x01') + hex("aa56aaaaee")) << 11 << 13;
    QTest::newRow("head just before tail never matches") << (QByteArray(10, '\0') + hex("aaee")) << -1 << -1;
}

void TestFrameCutter::searchFindsTheExpectedFrame()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, head);
    QFETCH(int, tail);

    int nRefHead = -1;
    int nRefTail = -1;
    if (!referenceFindFrame(buffer, &nRefHead, &nRefTail))
        nRefHead = nRefTail = -1;
    QCOMPARE(nRefHead, head);
    QCOMPARE(nRefTail, tail);

    FrameCutter cutter;
    cutter.append(buffer);
    int nHead = -1;
    int nTail = -1;
    if (!cutter.findFrame(&nHead, &nTail))
        nHead = nTail = -1;
    QCOMPARE(nHead, head);
    QCOMPARE(nTail, tail);
}

void TestFrameCutter::everyCompleteFrameInOneChunkIsCut()
{
    const QByteArray a = encodeFrame(1, 0x10, hex("0102"));
    const QByteArray b = encodeFrame(2, 0xA0, hex("aaee"));
    const QByteArray c = encodeFrame(3, 0xAA, hex("00"));
    FrameCutter cutter;
    cutter.append(a + b + c + hex("aa01"));
    const QList<QByteArray> frames = cutter.cutAll();
    QCOMPARE(frames, (QList<QByteArray> { a, b, c }));
    QCOMPARE(cutter.buffer(), hex("aa01"));
}

void TestFrameCutter::agreesWithPlainSearchOnRandomChunkedStreams()
{
    QRandomGenerator rng(20240611);
    for (int nRound = 0; nRound < 300; ++nRound) {
        const QByteArray stream = nastyStream(&rng, 64 + int(rng.bounded(1500)));
        FrameCutter cutter;
        QByteArray model;
        int nPos = 0;
        while (nPos < stream.size()) {
            const int nChunk = 1 + int(rng.bounded(64));
            const QByteArray chunk = stream.mid(nPos, nChunk);
            nPos += chunk.size();
            cutter.append(chunk);
            model.append(chunk);
            const QList<QByteArray> expected = referenceCutAll(&model);
            const QList<QByteArray> got = cutter.cutAll();
            QCOMPARE(got, expected);
            QCOMPARE(cutter.buffer(), model);
            if (rng.bounded(40) == 0) {
                cutter.clear();
                model.clear();
            }
        }
    }
}

void TestFrameCutter::bufferStaysBoundedUnderNoise()
{
    // Tail-rich noise without a head: chunks keep coming, no frame ever ends.
    QRandomGenerator rng(7);
    FrameCutter cutter;
    for (int i = 0; i < 2000; ++i) {
        QByteArray chunk(1024, '\0');
        for (char& ch : chunk)
            ch = char(rng.bounded(2) ? dtu::kTail : rng.bounded(dtu::kHead));
        cutter.append(chunk);
        QVERIFY(cutter.cutAll().isEmpty());
        QVERIFY2(cutter.size() <= FrameCutter::kWindow, qPrintable(QString::number(cutter.size())));
    }
    QCOMPARE(cutter.size(), FrameCutter::kWindow);
    // The search still works after the buffer slid along.
    const QByteArray frame = encodeFrame(9, 0x10, hex("01"));
    cutter.append(QByteArray(16, '\0') + frame);
    const QList<QByteArray> frames = cutter.cutAll();
    QVERIFY(!frames.isEmpty());
    QCOMPARE(frames.last(), frame);
}

void TestFrameCutter::longestDescribableFrameSurvivesTheBound()
{
    QByteArray payload(dtu::kMaxPayload, '\x11');
    const QByteArray frame = encodeFrame(5, 0xA0, payload);
    QCOMPARE(frame.size(), FrameCutter::kWindow);
    FrameCutter cutter;
    cutter.append(QByteArray(5000, '\x22'));
    QVERIFY(cutter.cutAll().isEmpty());
    QList<QByteArray> frames;
    for (int nPos = 0; nPos < frame.size(); nPos += 1024) {
        cutter.append(frame.mid(nPos, 1024));
        frames += cutter.cutAll();
    }
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames.first(), frame);
}

void TestFrameCutter::clearForgetsEarlierHeads()
{
    // The first half of a frame, then a clear: its head must not pair with
    // a tail that arrives afterwards.
    const QByteArray frame = encodeFrame(0, 0x10, hex("0000"));
    FrameCutter cutter;
    cutter.append(frame.left(6));
    QVERIFY(cutter.cutAll().isEmpty());
    cutter.clear();
    cutter.append(QByteArray(4, '\0') + frame.mid(6));
    QVERIFY(cutter.cutAll().isEmpty());
}

QTEST_GUILESS_MAIN(TestFrameCutter)
#include "tst_framecutter.moc"
