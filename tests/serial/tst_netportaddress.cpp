#include <QtTest>

#include "netportaddress.h"

class TestNetPortAddress : public QObject
{
    Q_OBJECT
private slots:
    void namesAreParsed_data();
    void namesAreParsed();
};

void TestNetPortAddress::namesAreParsed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isNet");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    const int raw = NetPortAddress::RawTcp, tel = NetPortAddress::Rfc2217, none = NetPortAddress::None;
    QTest::newRow("raw") << "socket://127.0.0.1:2000" << true << raw << "127.0.0.1" << 2000;
    QTest::newRow("telnet, upper-case scheme, slash") << "RFC2217://rack-3.lab:7001/" << true << tel << "rack-3.lab"
                                                      << 7001;
    QTest::newRow("IPv6") << "rfc2217://[::1]:65535" << true << tel << "::1" << 65535;
    QTest::newRow("no port") << "socket://host" << true << none << "" << 0;
    QTest::newRow("port 0") << "socket://host:0" << true << none << "" << 0;
    QTest::newRow("port too large") << "socket://host:65536" << true << none << "" << 0;
    QTest::newRow("no host") << "socket://:2000" << true << none << "" << 0;
    QTest::newRow("user") << "rfc2217://me@host:2000" << true << none << "" << 0;
    QTest::newRow("path") << "socket://host:2000/dev" << true << none << "" << 0;
    QTest::newRow("scheme alone") << "socket://" << true << none << "" << 0;
    QTest::newRow("local device") << "/dev/ttyUSB0" << false << none << "" << 0;
    QTest::newRow("other scheme") << "telnet://host:23" << false << none << "" << 0;
}

void TestNetPortAddress::namesAreParsed()
{
    QFETCH(QString, name);
    QFETCH(bool, isNet);
    QFETCH(int, protocol);
    QFETCH(QString, host);
    QFETCH(int, port);

    QCOMPARE(isNetPortName(name), isNet);
    const NetPortAddress addr = parseNetPort(name);
    QCOMPARE(int(addr.protocol), protocol);
    QCOMPARE(addr.strHost, host);
    QCOMPARE(int(addr.nPort), port);
}

QTEST_GUILESS_MAIN(TestNetPortAddress)
#include "tst_netportaddress.moc"
