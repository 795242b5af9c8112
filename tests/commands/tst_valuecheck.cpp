#include "valuecheck.h"
#include "valuecodec.h"

#include <QtTest>

// Which value texts a script may write to a parameter; an accepted number
// must come back from the device's bytes as the same number.
class TstValueCheck : public QObject
{
    Q_OBJECT

private slots:
    void valueFitsParameter_data();
    void valueFitsParameter();
};

namespace {

DtuParam param(const char* type, int nKind, int nNum)
{
    const DtuTypeInfo info = dtuTypeInfo(QString::fromLatin1(type));
    DtuParam p;
    p.typeCode = info.typeCode;
    p.byteSize = info.byteSize;
    p.inputKind = nKind;
    p.num = nNum;
    return p;
}

}  // namespace

void TstValueCheck::valueFitsParameter_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("num");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("u8 top") << "uint8_t" << int(kKindUnsigned) << 1 << "255" << true;
    QTest::newRow("u8 one past top") << "uint8_t" << int(kKindUnsigned) << 1 << "256" << false;
    QTest::newRow("u8 negative") << "uint8_t" << int(kKindUnsigned) << 1 << "-1" << false;
    QTest::newRow("u16 top") << "uint16_t" << int(kKindUnsigned) << 1 << "65535" << true;
    QTest::newRow("u32 top") << "uint32_t" << int(kKindUnsigned) << 1 << "4294967295" << true;
    QTest::newRow("u32 one past top") << "uint32_t" << int(kKindUnsigned) << 1 << "4294967296" << false;
    QTest::newRow("unsigned on double: 32 bits") << "double" << int(kKindUnsigned) << 1 << "4294967296" << false;
    QTest::newRow("s8 bottom") << "uint8_t" << int(kKindSigned) << 1 << "-128" << true;
    QTest::newRow("s8 below bottom") << "uint8_t" << int(kKindSigned) << 1 << "-129" << false;
    QTest::newRow("s8 above top") << "uint8_t" << int(kKindSigned) << 1 << "128" << false;
    QTest::newRow("s16 negative") << "uint16_t" << int(kKindSigned) << 1 << "-9" << true;
    QTest::newRow("s32 bottom") << "uint32_t" << int(kKindSigned) << 1 << "-2147483648" << true;
    QTest::newRow("hex u16 with prefix") << "uint16_t" << int(kKindHex) << 1 << "0xA55A" << true;
    QTest::newRow("hex u16 too wide") << "uint16_t" << int(kKindHex) << 1 << "1a55a" << false;
    QTest::newRow("hex not hex") << "uint8_t" << int(kKindHex) << 1 << "g1" << false;
    QTest::newRow("hex negative") << "uint8_t" << int(kKindHex) << 1 << "-1" << false;
    QTest::newRow("bool 1") << "bool" << int(kKindBool) << 1 << "1" << true;
    QTest::newRow("bool 2") << "bool" << int(kKindBool) << 1 << "2" << false;
    QTest::newRow("bool in binary") << "bool" << int(kKindBool) << 1 << "10" << false;
    QTest::newRow("three elements") << "uint16_t" << int(kKindSigned) << 3 << "1  -2 3" << true;
    QTest::newRow("too few elements") << "uint16_t" << int(kKindSigned) << 3 << "1 2" << false;
    QTest::newRow("too many elements") << "uint8_t" << int(kKindHex) << 2 << "1 2 3" << false;
    QTest::newRow("empty number") << "uint8_t" << int(kKindUnsigned) << 1 << "" << false;
    QTest::newRow("one bad element of several") << "uint8_t" << int(kKindHex) << 3 << "1f zz 3" << false;
    QTest::newRow("double") << "double" << int(kKindDouble) << 1 << "-2.5" << true;
    QTest::newRow("double not finite") << "double" << int(kKindDouble) << 1 << "inf" << false;
    QTest::newRow("double on one-byte type") << "uint8_t" << int(kKindDouble) << 1 << "1" << false;
    QTest::newRow("string fits") << "string" << int(kKindString) << 8 << "V2 3" << true;
    QTest::newRow("empty string") << "string" << int(kKindString) << 8 << "" << true;
    QTest::newRow("string counts utf-8 bytes") << "string" << int(kKindString) << 7
                                               << QStringLiteral("设备一号") << false;
    QTest::newRow("string exactly full") << "string" << int(kKindString) << 6 << QStringLiteral("设备") << true;
    QTest::newRow("unknown type") << "int16_t" << int(kKindUnsigned) << 1 << "1" << false;
    QTest::newRow("unknown kind") << "uint8_t" << -1 << 1 << "1" << false;
}

void TstValueCheck::valueFitsParameter()
{
    QFETCH(QString, type);
    QFETCH(int, kind);
    QFETCH(int, num);
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    const DtuParam p = param(type.toLatin1().constData(), kind, num);
    QCOMPARE(isValueAccepted(text, p), accepted);
    if (!accepted || kind == kKindString)
        return;

    // The bytes fill the field exactly and read back as the same values.
    const QByteArray bytes = encodeValue(text, p);
    QCOMPARE(bytes.size(), num * p.byteSize);
    int nUsed = 0;
    const QStringList back = QString::fromUtf8(bin2string(bytes.constData(), bytes.size(), p, nUsed))
                                 .split(QLatin1Char(' '));
    const QStringList given = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QCOMPARE(back.size(), given.size());
    for (int i = 0; i < given.size(); ++i) {
        bool okA = false, okB = false;
        if (kind == kKindDouble)
            QCOMPARE(back.at(i).toDouble(&okA), given.at(i).toDouble(&okB));
        else if (kind == kKindHex)
            QCOMPARE(back.at(i).toLongLong(&okA, 16), given.at(i).toLongLong(&okB, 16));
        else
            QCOMPARE(back.at(i).toLongLong(&okA), given.at(i).toLongLong(&okB));
        QVERIFY(okA && okB);
    }
}

QTEST_APPLESS_MAIN(TstValueCheck)
#include "tst_valuecheck.moc"
