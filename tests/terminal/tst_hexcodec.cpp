#include "hexcodec.h"

#include <QTest>

class TestHexCodec : public QObject
{
    Q_OBJECT

private slots:
    void normalizeHexPadsPiecesAndOddLength_data();
    void normalizeHexPadsPiecesAndOddLength();
    void typedHexBecomesBytes_data();
    void typedHexBecomesBytes();
    void typedTextStopsAtZeroAndAddsReturnOnlyInTextMode_data();
    void typedTextStopsAtZeroAndAddsReturnOnlyInTextMode();
    void bytesToHexGivesTwoDigitsForEveryByte();
    void hexToBytesReadsPairsFromTheStart_data();
    void hexToBytesReadsPairsFromTheStart();
    void displayTextIsSpacedUppercase();
};

void TestHexCodec::normalizeHexPadsPiecesAndOddLength_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("single digits padded") << "1 23 A" << "01230A";
    QTest::newRow("odd without space") << "123" << "0123";
    QTest::newRow("runs of spaces dropped") << "  AA   1  02 " << "AA0102";
    QTest::newRow("line break counts to length") << "AA\nBB" << "0AA\nBB";
    QTest::newRow("odd piece joined then padded") << "123 4" << "012304";
}

void TestHexCodec::normalizeHexPadsPiecesAndOddLength()
{
    QFETCH(QString, typed);
    QFETCH(QString, normalized);
    QCOMPARE(normalizeHex(typed), normalized);
}

void TestHexCodec::typedHexBecomesBytes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("spaced pieces") << "AA 1 02" << QByteArray::fromHex("AA0102");
    QTest::newRow("line break skipped, leading zero") << "AA\nBB" << QByteArray::fromHex("00AABB");
    QTest::newRow("lowercase") << "ab cd" << QByteArray::fromHex("ABCD");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestHexCodec::typedHexBecomesBytes()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, bytes);
    QByteArray out("\x7f", 1);
    appendTxData(out, typed, txmode::kHex, true);
    QCOMPARE(out, QByteArray("\x7f", 1) + bytes);
}

void TestHexCodec::typedTextStopsAtZeroAndAddsReturnOnlyInTextMode_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ret");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text with return") << "abc" << txmode::kText << true << QByteArray("abc\r\n");
    QTest::newRow("text without return") << "abc" << txmode::kText << false << QByteArray("abc");
    QTest::newRow("text ends at zero") << QString::fromLatin1("a\0b", 3) << txmode::kText << false << QByteArray("a");
    QTest::newRow("utf-8") << QStringLiteral("收") << txmode::kText << false << QByteArray("\xe6\x94\xb6");
    QTest::newRow("unknown mode appends nothing") << "abc" << 2 << true << QByteArray();
}

void TestHexCodec::typedTextStopsAtZeroAndAddsReturnOnlyInTextMode()
{
    QFETCH(QString, typed);
    QFETCH(int, mode);
    QFETCH(bool, ret);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    appendTxData(out, typed, mode, ret);
    QCOMPARE(out, bytes);
}

void TestHexCodec::bytesToHexGivesTwoDigitsForEveryByte()
{
    QCOMPARE(bytesToHex(QByteArray::fromHex("80FF")), QByteArray("80ff"));
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const QByteArray hex = bytesToHex(all);
    QCOMPARE(hex.size(), 512);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(hex.mid(2 * i, 2).toInt(nullptr, 16), i);
    QCOMPARE(hexToBytes(hex), all);
}

void TestHexCodec::hexToBytesReadsPairsFromTheStart_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("pairs") << QByteArray("4142") << QByteArray("AB");
    QTest::newRow("trailing single digit") << QByteArray("414") << QByteArray("A\x04");
    QTest::newRow("space inside a pair ends it") << QByteArray("4 42") << QByteArray("\x04\x42");
    QTest::newRow("leading blank skipped") << QByteArray(" 4") << QByteArray("\x04");
    QTest::newRow("zero byte kept") << QByteArray("410042") << QByteArray("A\0B", 3);
}

void TestHexCodec::hexToBytesReadsPairsFromTheStart()
{
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, bytes);
    QCOMPARE(hexToBytes(hex), bytes);
}

void TestHexCodec::displayTextIsSpacedUppercase()
{
    QCOMPARE(hexDisplayText(QByteArray::fromHex("aa010f")), QStringLiteral("AA 01 0F"));
    QCOMPARE(hexDisplayText(QByteArray()), QString());
}

QTEST_APPLESS_MAIN(TestHexCodec)
#include "tst_hexcodec.moc"
