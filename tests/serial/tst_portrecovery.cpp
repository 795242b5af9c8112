#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "portrecovery.h"

class TestPortRecovery : public QObject
{
    Q_OBJECT
private slots:
    void returnedPortIsFound_data();
    void returnedPortIsFound();
    void reportsTheReturnOrGivesUpAfterItsWindow_data();
    void reportsTheReturnOrGivesUpAfterItsWindow();
};

void TestPortRecovery::returnedPortIsFound_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("listed");  // "name" or "name=serial"
    QTest::addColumn<QString>("expected");
    QTest::newRow("same name") << "ttyUSB0" << "" << QStringList{"ttyS0", "ttyUSB0"} << "ttyUSB0";
    QTest::newRow("name case ignored") << "COM3" << "" << QStringList{"com3"} << "com3";
    QTest::newRow("same serial under another name") << "ttyUSB0" << "A1" << QStringList{"ttyUSB0=B2", "ttyUSB1=A1"} << "ttyUSB1";
    QTest::newRow("another adapter took the name") << "ttyUSB0" << "A1" << QStringList{"ttyUSB0=B2"} << "ttyUSB0";
    QTest::newRow("absent") << "ttyUSB0" << "A1" << QStringList{"ttyS0"} << "";
    QTest::newRow("unlisted path that does not exist") << "/nonexistent/tty" << "" << QStringList{} << "";
    QTest::newRow("network port: try to reconnect") << "rfc2217://127.0.0.1:7001" << "" << QStringList{} << "rfc2217://127.0.0.1:7001";
}

void TestPortRecovery::returnedPortIsFound()
{
    QFETCH(QString, system);
    QFETCH(QString, serial);
    QFETCH(QStringList, listed);
    QFETCH(QString, expected);
    QList<PortEntry> ports;
    for (const QString& item : listed)
        ports.append(PortEntry { item.section('=', 0, 0), false, {}, item.section('=', 1) });
    QCOMPARE(findReturnedPort(system, serial, ports), expected);
}

void TestPortRecovery::reportsTheReturnOrGivesUpAfterItsWindow_data()
{
    QTest::addColumn<int>("backAfterLooks");  // -1: never; 0: at every look, but never reopened
    QTest::newRow("back at the third look") << 3;
    QTest::newRow("never back") << -1;
    QTest::newRow("back but never reopened") << 0;
}

void TestPortRecovery::reportsTheReturnOrGivesUpAfterItsWindow()
{
    QFETCH(int, backAfterLooks);
    PortRecovery recovery;
    recovery.setPollMs(10);
    recovery.setWindowMs(300);
    int nLooks = 0;
    QStringList asked;
    recovery.setFinder([&](const QString& system, const QString& serial) {
        asked << system + "/" + serial;
        ++nLooks;
        return backAfterLooks == 0 || nLooks == backAfterLooks ? QString("ttyUSB1") : QString();
    });
    QSignalSpy back(&recovery, &PortRecovery::portBack);
    QSignalSpy gaveUp(&recovery, &PortRecovery::gaveUp);
    QElapsedTimer clock;
    clock.start();
    recovery.start("ttyUSB0", "A1");
    QVERIFY(recovery.isActive());
    if (backAfterLooks > 0) {
        QTRY_COMPARE(back.size(), 1);
        QCOMPARE(back.first().first().toString(), QString("ttyUSB1"));
        QCOMPARE(asked.first(), QString("ttyUSB0/A1"));
        QVERIFY(recovery.isActive());  // until the reopen is confirmed
        recovery.stop();
    } else {
        QTRY_COMPARE(gaveUp.size(), 1);
        QVERIFY(clock.elapsed() >= 300);
        QVERIFY(!recovery.isActive());
        if (backAfterLooks < 0)
            QCOMPARE(back.size(), 0);
        else
            QVERIFY(back.size() > 3);
    }
    const int nAsked = asked.size();
    QTest::qWait(50);
    QCOMPARE(asked.size(), nAsked);  // stopped means stopped
}

QTEST_GUILESS_MAIN(TestPortRecovery)
#include "tst_portrecovery.moc"
