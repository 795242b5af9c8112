#include <QTemporaryDir>
#include <QtTest>

#include <climits>

#include "settingsbounds.h"

// Values as an operator may leave them in the file by hand.
class TestSettingsBounds : public QObject
{
    Q_OBJECT
private slots:
    void storedValuesOutsideTheirRangeGiveTheDefault_data();
    void storedValuesOutsideTheirRangeGiveTheDefault();

private:
    QTemporaryDir m_dir;
};

void TestSettingsBounds::storedValuesOutsideTheirRangeGiveTheDefault_data()
{
    QTest::addColumn<QByteArray>("line");  // the file's line for key "k"; empty: none
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("text");  // what boundedNumberText gives, default "D"

    QTest::newRow("missing") << QByteArray() << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("in range") << QByteArray("k=7") << qint64(0) << qint64(10) << 10 << "7";
    QTest::newRow("lowest") << QByteArray("k=0") << qint64(0) << qint64(10) << 10 << "0";
    QTest::newRow("highest") << QByteArray("k=10") << qint64(0) << qint64(10) << 10 << "10";
    QTest::newRow("one above") << QByteArray("k=11") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("negative") << QByteArray("k=-100") << qint64(1) << qint64(10) << 10 << "D";
    QTest::newRow("negative allowed") << QByteArray("k=-5") << qint64(-5) << qint64(10) << 10 << "-5";
    QTest::newRow("word") << QByteArray("k=hello") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("number and word") << QByteArray("k=5x") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("fraction") << QByteArray("k=2.5") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("plus sign") << QByteArray("k=+5") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("blanks around") << QByteArray("k=\" 5 \"") << qint64(0) << qint64(10) << 10 << "5";
    QTest::newRow("beyond 64 bits") << QByteArray("k=99999999999999999999") << qint64(0)
                                    << qint64(LLONG_MAX) << 10 << "D";
    QTest::newRow("u32 top") << QByteArray("k=4294967295") << qint64(0) << qint64(UINT_MAX) << 10
                             << "4294967295";
    QTest::newRow("u32 overflow") << QByteArray("k=4294967296") << qint64(0) << qint64(UINT_MAX) << 10 << "D";
    QTest::newRow("list") << QByteArray("k=1, 2") << qint64(0) << qint64(10) << 10 << "D";
    QTest::newRow("hex") << QByteArray("k=7f") << qint64(0) << qint64(255) << 16 << "7f";
    QTest::newRow("hex too large") << QByteArray("k=100") << qint64(0) << qint64(255) << 16 << "D";
    QTest::newRow("hex prefix") << QByteArray("k=0x1F") << qint64(0) << qint64(255) << 16 << "D";
}

void TestSettingsBounds::storedValuesOutsideTheirRangeGiveTheDefault()
{
    QFETCH(QByteArray, line);
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(int, base);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".ini");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(line + '\n');
    file.close();
    const QSettings settings(path, QSettings::IniFormat);

    QCOMPARE(boundedNumberText(settings, "k", "D", min, max, base), text);
    if (base == 10) {
        const qint64 expected = text == "D" ? 3 : text.toLongLong();
        QCOMPARE(boundedNumber(settings, "k", 3, min, max), expected);
    }
}

QTEST_GUILESS_MAIN(TestSettingsBounds)
#include "tst_settingsbounds.moc"
