#include "valuecodec.h"

#include <QtTest>

// Value text <-> payload bytes of one parameter, and whole response payloads.
class TstValueCodec : public QObject
{
    Q_OBJECT

private slots:
    void encodeWritesLittleEndianFields_data();
    void encodeWritesLittleEndianFields();
    void decodeReadsOneField_data();
    void decodeReadsOneField();
    void responseYieldsFieldsOnlyWhenTheyFillThePayload_data();
    void responseYieldsFieldsOnlyWhenTheyFillThePayload();
    void typedValuesSurviveRoundTrip_data();
    void typedValuesSurviveRoundTrip();
    void absurdElementCountStaysBounded();
};

namespace {

// typeCode from the element width as the file's type table defines it.
DtuParam param(int nWidth, int nKind, int nNum)
{
    DtuParam p;
    p.byteSize = nWidth;
    p.typeCode = nWidth == 1 ? 0 : nWidth == 2 ? 1 : nWidth == 4 ? 2 : nWidth == 8 ? 3 : -1;
    p.inputKind = nKind;
    p.num = nNum;
    return p;
}

}  // namespace

void TstValueCodec::encodeWritesLittleEndianFields_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("num");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("u16 unsigned, missing values filled") << 2 << 1 << 3 << "1 2" << QByteArray("01000200ffff");
    QTest::newRow("u8 hex, two spaces") << 1 << 3 << 2 << "1f  0A" << QByteArray("1f0a");
    QTest::newRow("u16 signed negative") << 2 << 2 << 1 << "-2" << QByteArray("feff");
    QTest::newRow("string keeps spaces") << 1 << 5 << 6 << "ab c" << QByteArray("616220630000");
    QTest::newRow("string cut to num") << 1 << 5 << 2 << "abc" << QByteArray("6162");
    QTest::newRow("empty integer cell") << 4 << 1 << 2 << "" << QByteArray("ffffffffffffffff");
    QTest::newRow("empty string cell") << 1 << 5 << 3 << "" << QByteArray("000000");
    QTest::newRow("string of spaces") << 1 << 5 << 3 << "  " << QByteArray("000000");
    QTest::newRow("bool three values") << 1 << 0 << 3 << "1 0 1" << QByteArray("010001");
    QTest::newRow("double 1.5") << 8 << 4 << 1 << "1.5" << QByteArray("000000000000f83f");
    QTest::newRow("surplus values dropped") << 1 << 1 << 2 << "1 2 3" << QByteArray("0102");
    QTest::newRow("unparsable gives 0") << 2 << 1 << 2 << "zz -1" << QByteArray("00000000");
    QTest::newRow("value wider than element keeps low bytes") << 1 << 1 << 1 << "258" << QByteArray("02");
    QTest::newRow("hex with 0x prefix") << 4 << 3 << 1 << "0xa" << QByteArray("0a000000");
    QTest::newRow("unknown kind only fills") << 1 << -1 << 2 << "5 6" << QByteArray("ffff");
    QTest::newRow("unknown type gives nothing") << 3 << 1 << 2 << "5 6" << QByteArray();
    QTest::newRow("double on narrow type not shortened") << 1 << 4 << 1 << "-2" << QByteArray("00000000000000c0");
    QTest::newRow("unsigned on double widened") << 8 << 1 << 1 << "4294967295" << QByteArray("ffffffff00000000");
    QTest::newRow("signed on double sign-extended") << 8 << 2 << 1 << "-2" << QByteArray("feffffffffffffff");
    QTest::newRow("utf-8 string whole characters") << 1 << 5 << 7 << QStringLiteral("设备一号")
                                                   << QByteArray("e8aebee5a487" "00");
}

void TstValueCodec::encodeWritesLittleEndianFields()
{
    QFETCH(int, width);
    QFETCH(int, kind);
    QFETCH(int, num);
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);

    QCOMPARE(encodeValue(text, param(width, kind, num)).toHex(), hex);
}

void TstValueCodec::decodeReadsOneField_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("num");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("used");

    QTest::newRow("u16 signed") << 2 << 2 << 1 << QByteArray("feff") << QByteArray("-2") << 2;
    QTest::newRow("u16 unsigned") << 2 << 1 << 1 << QByteArray("feff") << QByteArray("65534") << 2;
    QTest::newRow("u8 signed") << 1 << 2 << 2 << QByteArray("ff80") << QByteArray("-1 -128") << 2;
    QTest::newRow("u32 signed") << 4 << 2 << 1 << QByteArray("00000080") << QByteArray("-2147483648") << 4;
    QTest::newRow("string up to zero") << 1 << 5 << 6 << QByteArray("616220630000") << QByteArray("ab c") << 6;
    QTest::newRow("string without zero") << 1 << 5 << 3 << QByteArray("616263ff") << QByteArray("abc") << 3;
    QTest::newRow("bool non-zero is 1") << 1 << 0 << 3 << QByteArray("000500") << QByteArray("0 1 0") << 3;
    QTest::newRow("u32 hex lowercase") << 4 << 3 << 1 << QByteArray("0a000000") << QByteArray("0xa") << 4;
    QTest::newRow("hex zero") << 2 << 3 << 1 << QByteArray("0000") << QByteArray("0x0") << 2;
    QTest::newRow("double") << 8 << 4 << 1 << QByteArray("000000000000f83f") << QByteArray("1.500000") << 8;
    QTest::newRow("only the field is read") << 1 << 1 << 1 << QByteArray("0709") << QByteArray("7") << 1;
    QTest::newRow("field longer than bytes left") << 4 << 1 << 1 << QByteArray("010203") << QByteArray() << 0;
    QTest::newRow("string longer than bytes left") << 1 << 5 << 4 << QByteArray("616263") << QByteArray() << 0;
    QTest::newRow("unknown kind") << 1 << -1 << 1 << QByteArray("01") << QByteArray() << 0;
    QTest::newRow("unknown type") << 3 << 1 << 1 << QByteArray("01") << QByteArray() << 0;
    QTest::newRow("no elements") << 1 << 1 << 0 << QByteArray("01") << QByteArray() << 0;
    QTest::newRow("negative count") << 1 << 1 << -4 << QByteArray("01") << QByteArray() << 0;
    QTest::newRow("bool on double, high byte") << 8 << 0 << 1 << QByteArray("0000000001000000") << QByteArray("1") << 8;
    QTest::newRow("unsigned on double, 64 bits") << 8 << 1 << 1 << QByteArray("0000000001000000")
                                                 << QByteArray("4294967296") << 8;
    QTest::newRow("signed on double") << 8 << 2 << 1 << QByteArray("feffffffffffffff") << QByteArray("-2") << 8;
    QTest::newRow("hex on double") << 8 << 3 << 1 << QByteArray("efbeadde01000000") << QByteArray("0x1deadbeef") << 8;
}

void TstValueCodec::decodeReadsOneField()
{
    QFETCH(int, width);
    QFETCH(int, kind);
    QFETCH(int, num);
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, text);
    QFETCH(int, used);

    // An exactly sized heap copy lets the address sanitizer catch any over-read.
    const QByteArray bytes = QByteArray::fromHex(hex);
    std::vector<char> exact(bytes.cbegin(), bytes.cend());
    int nUsed = -1;
    QCOMPARE(bin2string(exact.data(), int(exact.size()), param(width, kind, num), nUsed), text);
    QCOMPARE(nUsed, used);
}

void TstValueCodec::responseYieldsFieldsOnlyWhenTheyFillThePayload_data()
{
    QTest::addColumn<QList<int>>("res");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QStringList>("values");  // index=text

    const QList<int> two{0, 1};
    QTest::newRow("payload longer than fields") << two << QByteArray("010203") << QStringList();
    QTest::newRow("exactly the fields") << two << QByteArray("0102") << QStringList{"0=1", "1=2"};
    QTest::newRow("ends after first field") << two << QByteArray("01") << QStringList{"0=1"};
    QTest::newRow("ends inside a field") << QList<int>{0, 2} << QByteArray("0107") << QStringList();
    QTest::newRow("wide field fills payload") << QList<int>{2} << QByteArray("3412") << QStringList{"2=4660"};
    QTest::newRow("index out of range skipped") << QList<int>{7, -1, 1} << QByteArray("09") << QStringList{"1=9"};
    QTest::newRow("repeated index replaced") << QList<int>{0, 0} << QByteArray("0506") << QStringList{"0=6"};
    QTest::newRow("no response indices") << QList<int>() << QByteArray("01") << QStringList();
    QTest::newRow("unreadable field ends walk") << QList<int>{0, 3, 1} << QByteArray("0102") << QStringList();
}

void TstValueCodec::responseYieldsFieldsOnlyWhenTheyFillThePayload()
{
    QFETCH(QList<int>, res);
    QFETCH(QByteArray, hex);
    QFETCH(QStringList, values);

    DtuResponseEntry entry;
    entry.res = res;
    entry.m_param = {param(1, 1, 1), param(1, 1, 1), param(2, 1, 1), param(1, -1, 1)};
    const QByteArray bytes = QByteArray::fromHex(hex);
    std::vector<char> exact(bytes.cbegin(), bytes.cend());
    const QMap<int, QString> decoded = decodeResponseData(entry, exact.data(), int(exact.size()));

    QStringList got;
    for (auto it = decoded.cbegin(); it != decoded.cend(); ++it)
        got << QString::number(it.key()) + '=' + it.value();
    QCOMPARE(got, values);
    QVERIFY(decodeResponseData(entry, nullptr, 2).isEmpty());
}

void TstValueCodec::typedValuesSurviveRoundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("num");
    QTest::addColumn<QString>("text");

    // Every type with every integer kind; floats on doubles, text on strings.
    // (A float typed into a narrower type takes 8 bytes and cannot come back.)
    const struct {
        int width;
        const char* name;
        const char* unsignedText;
        const char* signedText;
        const char* hexText;
    } types[] = {
        {1, "u8", "0 200 255", "-128 127 -1", "0x1f 0xa 0xff"},
        {2, "u16", "65535 1 300", "-32768 -2 32767", "0xbeef 0x0 0x1"},
        {4, "u32", "4294967295 0 7", "-2147483648 2147483647 0", "0xdeadbeef 0x10 0x0"},
        {8, "double", "4294967295 0 42", "-2147483648 -1 5", "0xffffffff 0x0 0xabc"},
    };
    for (const auto& t : types) {
        QTest::addRow("%s bool", t.name) << t.width << 0 << 3 << "1 0 1";
        QTest::addRow("%s unsigned", t.name) << t.width << 1 << 3 << t.unsignedText;
        QTest::addRow("%s signed", t.name) << t.width << 2 << 3 << t.signedText;
        QTest::addRow("%s hex", t.name) << t.width << 3 << 3 << t.hexText;
    }
    QTest::newRow("double float") << 8 << 4 << 2 << "1.500000 -2.250000";
    QTest::newRow("double float large") << 8 << 4 << 1 << "433125000.000000";
    QTest::newRow("string ascii") << 1 << 5 << 16 << "V2.3.1 beta";
    QTest::newRow("string utf-8") << 1 << 5 << 20 << QStringLiteral("设备一号");
    QTest::newRow("string exactly num") << 1 << 5 << 4 << "abcd";
}

void TstValueCodec::typedValuesSurviveRoundTrip()
{
    QFETCH(int, width);
    QFETCH(int, kind);
    QFETCH(int, num);
    QFETCH(QString, text);

    // A response made of a parameter before and after the one under test.
    DtuResponseEntry entry;
    entry.m_param = {param(1, 1, 1), param(width, kind, num), param(2, 3, 1)};
    entry.res = {0, 1, 2};
    const QByteArray payload = encodeValue("9", entry.m_param.at(0)) + encodeValue(text, entry.m_param.at(1))
                               + encodeValue("0x1234", entry.m_param.at(2));
    const QMap<int, QString> decoded = decodeResponseData(entry, payload.constData(), payload.size());
    QCOMPARE(decoded.value(0), QStringLiteral("9"));
    QCOMPARE(decoded.value(1), text);
    QCOMPARE(decoded.value(2), QStringLiteral("0x1234"));
}

void TstValueCodec::absurdElementCountStaysBounded()
{
    // A "num" from a hostile file must not drive the allocation.
    const QByteArray bytes = encodeValue(QString(), param(8, 1, 0x7fffffff));
    QCOMPARE(bytes.size(), 0xFFFF);
    int nUsed = -1;
    const char data[8] = {};
    QCOMPARE(bin2string(data, 8, param(8, 1, 0x7fffffff), nUsed), QByteArray());
    QCOMPARE(nUsed, 0);
    QCOMPARE(encodeValue("1 2", param(1, 1, -3)), QByteArray());
}

QTEST_APPLESS_MAIN(TstValueCodec)
#include "tst_valuecodec.moc"
