#include "dtuframe.h"

#include <QTest>

class TestDtuFrame : public QObject
{
    Q_OBJECT

private slots:
    void encodesWorkedExamples_data();
    void encodesWorkedExamples();
    void addressIsLittleEndian();
    void payloadBytesAreNotEscaped();
    void refusesPayloadTheLengthFieldCannotDescribe();
    void checksumOfNothingIsZero();
    void accessorsReadTheEnvelope();
    void acceptanceBoundaries_data();
    void acceptanceBoundaries();
};

void TestDtuFrame::encodesWorkedExamples_data()
{
    QTest::addColumn<quint32>("addr");
    QTest::addColumn<int>("ctl");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("wake-up request") << 0u << 0x10 << QByteArray::fromHex("01000000E8030000")
                                     << QByteArray::fromHex("AA0100000000100800010000 00E8030000AFEE");
    QTest::newRow("empty terminal-ID frame") << 0u << 0x64 << QByteArray()
                                             << QByteArray::fromHex("AA01000000006400000FEE");
    QTest::newRow("custom code 5, empty") << 0u << 0x05 << QByteArray()
                                          << QByteArray::fromHex("AA0100000000050000B0EE");
    QTest::newRow("terminal ID 1 with AA") << 0u << 0x64 << QByteArray::fromHex("01000000AA")
                                           << QByteArray::fromHex("AA010000000064050001000000AABFEE");
    QTest::newRow("user data 0x01") << 0x10u << 0x01 << QByteArray::fromHex("0C0000002C0100006869")
                                    << QByteArray::fromHex("AA0110000000010A000C0000002C0100006869D0EE");
}

void TestDtuFrame::encodesWorkedExamples()
{
    QFETCH(quint32, addr);
    QFETCH(int, ctl);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, frame);
    QCOMPARE(encodeFrame(addr, quint8(ctl), payload).toHex(' '), frame.toHex(' '));
}

void TestDtuFrame::addressIsLittleEndian()
{
    QCOMPARE(encodeFrame(1, 0x10, {}).mid(2, 4), QByteArray::fromHex("01000000"));
    QCOMPARE(encodeFrame(256, 0x10, {}).mid(2, 4), QByteArray::fromHex("00010000"));
    QCOMPARE(encodeFrame(0x12345678, 0x10, {}).mid(2, 4), QByteArray::fromHex("78563412"));
}

void TestDtuFrame::payloadBytesAreNotEscaped()
{
    const QByteArray payload = QByteArray::fromHex("AAEEAAEE");
    const QByteArray frame = encodeFrame(0, 0x20, payload);
    QCOMPARE(frame.size(), payload.size() + 11);
    QCOMPARE(frame.mid(9, 4), payload);
    QCOMPARE(quint8(frame.at(13)), frameChecksum(frame.constData(), 13));
}

void TestDtuFrame::refusesPayloadTheLengthFieldCannotDescribe()
{
    const QByteArray largest(65535, '\x5A');
    const QByteArray frame = encodeFrame(7, 0x01, largest);
    QCOMPARE(frame.size(), 65535 + 11);
    QCOMPARE(framePayloadLength(frame), quint16(65535));
    QVERIFY(encodeFrame(7, 0x01, QByteArray(65536, '\x5A')).isEmpty());
}

void TestDtuFrame::checksumOfNothingIsZero()
{
    const char bytes[] = { '\x01', '\x02' };
    QCOMPARE(frameChecksum(bytes, 0), quint8(0));
    QCOMPARE(frameChecksum(bytes, -3), quint8(0));
    QCOMPARE(frameChecksum(bytes, 2), quint8(3));
    const QByteArray wrap(300, '\xFF');
    QCOMPARE(frameChecksum(wrap.constData(), wrap.size()), quint8((300 * 255) & 0xFF));
}

void TestDtuFrame::accessorsReadTheEnvelope()
{
    const QByteArray frame = encodeFrame(0x01020304, 0xA0, QByteArray::fromHex("0A0B0C"));
    QCOMPARE(frameControl(frame), quint8(0xA0));
    QCOMPARE(frameAddress(frame), quint32(0x01020304));
    QCOMPARE(framePayloadLength(frame), quint16(3));
    QCOMPARE(framePayload(frame), QByteArray::fromHex("0A0B0C"));
    // Short input never reads past its end.
    QCOMPARE(framePayloadLength(QByteArray::fromHex("AA01")), quint16(0));
    QVERIFY(framePayload(frame.left(10)).isEmpty());
}

void TestDtuFrame::acceptanceBoundaries_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("N = 0") << encodeFrame(0, 0x21, {}) << false;
    QTest::newRow("N = 1") << encodeFrame(0, 0x21, QByteArray(1, 'x')) << true;
    QTest::newRow("N = 1024") << encodeFrame(0, 0x21, QByteArray(1024, 'x')) << true;
    QTest::newRow("N = 1025") << encodeFrame(0, 0x21, QByteArray(1025, 'x')) << false;
    QTest::newRow("N = 65535") << encodeFrame(0, 0x21, QByteArray(65535, 'x')) << false;
    QByteArray shortFrame = encodeFrame(0, 0x21, QByteArray(20, 'x'));
    QTest::newRow("N + 10 bytes") << shortFrame.left(shortFrame.size() - 1) << false;
    QTest::newRow("exactly N + 11") << shortFrame << true;
    QByteArray badHead = shortFrame;
    badHead[0] = char(0xAB);
    QTest::newRow("head not AA") << badHead << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("ten bytes") << QByteArray::fromHex("AA010000000021010000") << false;
}

void TestDtuFrame::acceptanceBoundaries()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, accepted);
    QCOMPARE(isAcceptableResponse(frame), accepted);
}

QTEST_GUILESS_MAIN(TestDtuFrame)
#include "tst_dtuframe.moc"
