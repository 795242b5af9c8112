#include <QtTest>

#include "windowgeometry.h"

using Screens = QVector<QRect>;
Q_DECLARE_METATYPE(Screens)

class TestWindowGeometry : public QObject
{
    Q_OBJECT
private slots:
    void storedGeometryIsKeptOnAScreen_data();
    void storedGeometryIsKeptOnAScreen();
};

void TestWindowGeometry::storedGeometryIsKeptOnAScreen_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QRect>("shown");

    // 1366 x 768 less a 40 px task bar at the bottom.
    const QRect laptop(0, 0, 1366, 728);
    const QRect right(1366, 0, 1920, 1040);
    const QRect laptopDefault(363, 34, 640, 660);
    QTest::newRow("default fits a 1366 x 768 screen") << QRect() << Screens { laptop } << laptopDefault;
    QTest::newRow("old default reaches below the screen")
        << QRect(639, 189, 640, 710) << Screens { laptop } << QRect(639, 18, 640, 710);
    QTest::newRow("inside stays") << QRect(100, 50, 700, 600) << Screens { laptop } << QRect(100, 50, 700, 600);
    QTest::newRow("taller than the screen shrinks")
        << QRect(10, 10, 640, 2000) << Screens { laptop } << QRect(10, 0, 640, 728);
    QTest::newRow("off every screen") << QRect(5000, 3000, 640, 660) << Screens { laptop } << laptopDefault;
    QTest::newRow("title bar above the screen") << QRect(100, -200, 640, 660) << Screens { laptop }
                                                << laptopDefault;
    QTest::newRow("on the second screen stays there")
        << QRect(2000, 100, 800, 900) << Screens { laptop, right } << QRect(2000, 100, 800, 900);
    QTest::newRow("second screen gone") << QRect(2000, 100, 800, 900) << Screens { laptop } << laptopDefault;
    QTest::newRow("straddling: fitted to the screen holding the title bar")
        << QRect(1000, 100, 640, 600) << Screens { laptop, right } << QRect(726, 100, 640, 600);
    QTest::newRow("collapsed size") << QRect(100, 100, 0, -100) << Screens { laptop } << laptopDefault;
    QTest::newRow("no screens known: as stored") << QRect(1, 2, 3, 4) << Screens() << QRect(1, 2, 3, 4);
}

void TestWindowGeometry::storedGeometryIsKeptOnAScreen()
{
    QFETCH(QRect, stored);
    QFETCH(Screens, screens);
    QFETCH(QRect, shown);
    const QRect wanted = stored.isNull() ? defaultWindowGeometry(screens) : stored;
    QCOMPARE(fitWindowGeometry(wanted, screens), shown);
}

QTEST_GUILESS_MAIN(TestWindowGeometry)
#include "tst_windowgeometry.moc"
