#include "addresslist.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString joined(const QVector<quint32>& v)
{
    QStringList parts;
    for (const quint32 n : v)
        parts << QString::number(n);
    return parts.join(QLatin1Char(' '));
}

// The line numbers the problems name, in order.
QString problemLines(const QStringList& problems)
{
    static const QRegularExpression number(QStringLiteral("第 (\\d+) 行"));
    QStringList lines;
    for (const QString& p : problems) {
        const QRegularExpressionMatch m = number.match(p);
        lines << (m.hasMatch() ? m.captured(1) : QStringLiteral("?"));
    }
    return lines.join(QLatin1Char(' '));
}

}  // namespace

class TestAddressList : public QObject
{
    Q_OBJECT

private slots:
    void linesGiveAddressesAndProblems_data();
    void linesGiveAddressesAndProblems();
    void listStopsAtItsBound();
    void fileIsReadWithinItsBound();
};

void TestAddressList::linesGiveAddressesAndProblems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("addresses");
    QTest::addColumn<QString>("problemLines");

    QTest::newRow("typed") << "1674097996\n1674097997\n" << "1674097996 1674097997" << "";
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("CR LF, blanks, comments, spaces")
        << "\r\n# hall\r\n  12  \r\n\r\n13\r14" << "12 13 14" << "";
    QTest::newRow("CSV with heading and columns") << "地址,名称\n12,门口\n\"13\",楼梯\n" << "12 13" << "";
    QTest::newRow("BOM before a heading") << QString(QChar(0xFEFF)) + "address;name\n7;a" << "7" << "";
    QTest::newRow("tab and space separate") << "5\tx\n6 y" << "5 6" << "";
    QTest::newRow("largest address") << "4294967295" << "4294967295" << "";
    QTest::newRow("bad lines are named, good ones kept")
        << "12\nabc\n-3\n+4\n0\n12\n4294967296\n1674097996-1-2\n9" << "12 9" << "2 3 4 5 6 7 8";
    QTest::newRow("a heading only on the first line") << "12\nname\n13" << "12 13" << "2";
    QTest::newRow("first line with a digit is no heading") << "x1\n5" << "5" << "1";
}

void TestAddressList::linesGiveAddressesAndProblems()
{
    QFETCH(QString, text);
    QFETCH(QString, addresses);
    QFETCH(QString, problemLines);
    const AddressList list = parseAddressList(text);
    QCOMPARE(joined(list.addresses), addresses);
    QCOMPARE(::problemLines(list.problems), problemLines);
}

void TestAddressList::listStopsAtItsBound()
{
    QString text;
    for (int i = 1; i <= kMaxBatchAddresses + 5; ++i)
        text += QString::number(i) + QLatin1Char('\n');
    const AddressList list = parseAddressList(text);
    QCOMPARE(list.addresses.size(), kMaxBatchAddresses);
    QCOMPARE(list.addresses.last(), quint32(kMaxBatchAddresses));
    QCOMPARE(problemLines(list.problems), QString::number(kMaxBatchAddresses + 1));
}

void TestAddressList::fileIsReadWithinItsBound()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good = dir.filePath("displays.csv");
    QFile f(good);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString::fromUtf8("\xEF\xBB\xBF地址,位置\r\n1674097996,一楼\r\n1674097997,二楼\r\n").toUtf8());
    f.close();
    AddressList list = readAddressFile(good);
    QCOMPARE(joined(list.addresses), QString("1674097996 1674097997"));
    QVERIFY(list.problems.isEmpty());

    const QString big = dir.filePath("big.txt");
    QFile b(big);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write(QByteArray(int(kMaxAddressFileSize) + 1, '\n'));
    b.close();
    list = readAddressFile(big);
    QVERIFY(list.addresses.isEmpty());
    QCOMPARE(list.problems.size(), 1);

    list = readAddressFile(dir.filePath("missing.txt"));
    QVERIFY(list.addresses.isEmpty());
    QCOMPARE(list.problems.size(), 1);
}

QTEST_GUILESS_MAIN(TestAddressList)
#include "tst_addresslist.moc"
