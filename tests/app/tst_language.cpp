#include "language.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// Where the start-up language comes from, and the arguments a restart keeps.
class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void startLanguage_data();
    void startLanguage();
    void restartDropsOnlyTheLanguage_data();
    void restartDropsOnlyTheLanguage();
};

void TestLanguage::startLanguage_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("stored");  // empty: no key
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("nothing: Chinese") << "" << "" << true << "zh" << "";
    QTest::newRow("stored English") << "" << "en" << true << "en" << "en";
    QTest::newRow("unknown stored code ignored") << "" << "fr" << true << "zh" << "fr";
    QTest::newRow("command line wins and is kept") << "en" << "zh" << true << "en" << "en";
    QTest::newRow("command line in capitals") << "ZH" << "en" << true << "zh" << "zh";
    QTest::newRow("unknown on command line refused") << "de" << "en" << false << "" << "en";
}

void TestLanguage::startLanguage()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, stored);
    QFETCH(bool, accepted);
    QFETCH(QString, language);
    QFETCH(QString, storedAfter);

    QTemporaryDir dir;
    const QString path = dir.filePath("Telvane.ini");
    if (!stored.isEmpty())
        QSettings(path, QSettings::IniFormat).setValue("language", stored);

    Language chosen = Language::Chinese;
    QString error;
    QCOMPARE(chooseLanguage(commandLine, path, &chosen, &error), accepted);
    QCOMPARE(error.isEmpty(), accepted);
    if (accepted)
        QCOMPARE(languageCode(chosen), language);
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("language").toString(), storedAfter);
}

void TestLanguage::restartDropsOnlyTheLanguage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("separate value") << QStringList{ "--port", "/dev/pts/3", "--lang", "en" }
                                    << QStringList{ "--port", "/dev/pts/3" };
    QTest::newRow("joined value") << QStringList{ "--lang=zh", "--port=/dev/ttyUSB0" }
                                  << QStringList{ "--port=/dev/ttyUSB0" };
    QTest::newRow("single dash") << QStringList{ "-lang", "en", "--port", "x" } << QStringList{ "--port", "x" };
    QTest::newRow("a port named like the option") << QStringList{ "--port", "--language" }
                                                   << QStringList{ "--port", "--language" };
}

void TestLanguage::restartDropsOnlyTheLanguage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, kept);
    QCOMPARE(argumentsWithoutLanguage(arguments), kept);
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
