#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "ptypair.h"
#include "ser2netserver.h"
#include "workerharness.h"

namespace {

constexpr int kWaitMs = 5000;

QByteArray everyByteValue()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    return all;
}

// The line settings of the device ser2net holds, as the kernel has them.
termios deviceSettings(const QString& strPath)
{
    termios tio {};
    const int fd = ::open(QFile::encodeName(strPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        tcgetattr(fd, &tio);
        ::close(fd);
    }
    return tio;
}

}  // namespace

class TestNetworkPort : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void everyByteValueCrossesBothWays_data();
    void everyByteValueCrossesBothWays();
    void settingsReachTheFarDevice_data();
    void settingsReachTheFarDevice();
    void everythingWrittenBeforeCloseArrives_data();
    void everythingWrittenBeforeCloseArrives();
    void droppedConnectionIsALostPort_data();
    void droppedConnectionIsALostPort();
    void unreachableServerFailsTheOpen_data();
    void unreachableServerFailsTheOpen();

private:
    void addProtocols();
    QString portName(const QString& strProtocol) const;
    bool openOn(WorkerHarness& h, const QString& strPort, const QVariant& param = WorkerHarness::param());

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<Ser2netServer> m_server;
};

void TestNetworkPort::init()
{
    m_server.reset();
    m_pty.reset(new PtyPair);
    QVERIFY(m_pty->isValid());
    m_server.reset(new Ser2netServer);
    QString error;
    QVERIFY2(m_server->start(m_pty->portPath(), error), qPrintable(error));
}

void TestNetworkPort::addProtocols()
{
    QTest::addColumn<QString>("protocol");
    QTest::newRow("raw TCP") << "raw";
    QTest::newRow("RFC 2217") << "rfc2217";
}

QString TestNetworkPort::portName(const QString& strProtocol) const
{
    return strProtocol == "raw" ? m_server->rawName() : m_server->rfc2217Name();
}

bool TestNetworkPort::openOn(WorkerHarness& h, const QString& strPort, const QVariant& param)
{
    const int nBefore = h.rec.states.size();
    h.openPort(param, strPort);
    return QTest::qWaitFor([&] { return h.rec.states.size() > nBefore; }, 2 * kWaitMs)
        && h.rec.states.last() == 8 && h.worker->isOpen();
}

void TestNetworkPort::everyByteValueCrossesBothWays_data()
{
    addProtocols();
}

void TestNetworkPort::everyByteValueCrossesBothWays()
{
    QFETCH(QString, protocol);
    WorkerHarness h;
    QVERIFY(openOn(h, portName(protocol)));
    // Twice over, so that 0xFF also meets 0xFF.
    const QByteArray data = everyByteValue() + everyByteValue();

    h.sendData(data);
    QCOMPARE(m_pty->read(data.size()).toHex(), data.toHex());
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.txChunks.size(), 1, kWaitMs);
    QCOMPARE(h.rec.txChunks.first(), data);

    QVERIFY(m_pty->write(data));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes().size(), data.size(), kWaitMs);
    QCOMPARE(h.rec.rxBytes().toHex(), data.toHex());
}

void TestNetworkPort::settingsReachTheFarDevice_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("flow");
    QTest::addColumn<int>("liveBaud");  // set after the open; 0: none
    QTest::addColumn<int>("speed");

    // A pty keeps speed, stop bits and flow control; it forces 8 data bits
    // and no parity, so those two are checked on the wire bytes alone.
    QTest::newRow("9600 8N1") << 9600 << 8 << 1 << 0 << 0 << int(B9600);
    QTest::newRow("19200 7N2 RTS/CTS") << 19200 << 7 << 2 << 1 << 0 << int(B19200);
    QTest::newRow("1200 6N1 XON/XOFF") << 1200 << 6 << 1 << 2 << 0 << int(B1200);
    QTest::newRow("changed while open") << 9600 << 8 << 1 << 0 << 57600 << int(B57600);
}

void TestNetworkPort::settingsReachTheFarDevice()
{
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, stopBits);
    QFETCH(int, flow);
    QFETCH(int, liveBaud);
    QFETCH(int, speed);

    PortParam p;
    p.baudRate = baud;
    p.dataBits = dataBits;
    p.stopBits = stopBits;
    p.flowControl = flow;
    WorkerHarness h;
    QVERIFY(openOn(h, m_server->rfc2217Name(), QVariant::fromValue(p)));
    if (liveBaud)
        h.setBaud(liveBaud);

    const auto matches = [&] {
        const termios tio = deviceSettings(m_pty->portPath());
        return int(cfgetospeed(&tio)) == speed && bool(tio.c_cflag & CSTOPB) == (stopBits == 2) && bool(tio.c_cflag & CRTSCTS) == (flow == 1)
            && bool(tio.c_iflag & IXON) == (flow == 2);
    };
    QVERIFY(QTest::qWaitFor(matches, kWaitMs));
    QCOMPARE(h.rec.states, QList<int> { 8 });
}

void TestNetworkPort::everythingWrittenBeforeCloseArrives_data()
{
    addProtocols();
}

void TestNetworkPort::everythingWrittenBeforeCloseArrives()
{
    QFETCH(QString, protocol);
    WorkerHarness h;
    QVERIFY(openOn(h, portName(protocol)));
    // Close right after the write: the server flushes the device when its
    // client leaves, so the worker has to let the bytes cross first.
    QByteArray data;
    for (int i = 0; i < 40; ++i)
        data += everyByteValue();
    h.sendData(data);
    h.closePort();
    QCOMPARE(m_pty->read(data.size(), 3000).size(), data.size());
}

void TestNetworkPort::droppedConnectionIsALostPort_data()
{
    addProtocols();
}

void TestNetworkPort::droppedConnectionIsALostPort()
{
    QFETCH(QString, protocol);
    WorkerHarness h;
    QVERIFY(openOn(h, portName(protocol)));
    m_server->stop();
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.lost.size(), 1, kWaitMs);
    QVERIFY2(!h.rec.lost.first().isEmpty(), "the system's reason is missing");
    QVERIFY(!h.worker->isOpen());
    h.sendData("x");
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.nNotOpened, 1, kWaitMs);
}

void TestNetworkPort::unreachableServerFailsTheOpen_data()
{
    QTest::addColumn<QString>("name");
    const QString strFree = QString::number(freeLoopbackPort());
    QTest::newRow("refused") << "socket://127.0.0.1:" + strFree;
    QTest::newRow("refused, telnet") << "rfc2217://127.0.0.1:" + strFree;
    // The reserved top-level domain never resolves.
    QTest::newRow("unknown host") << "socket://no-such-host.invalid:2000";
    QTest::newRow("no port") << "rfc2217://127.0.0.1";
}

void TestNetworkPort::unreachableServerFailsTheOpen()
{
    QFETCH(QString, name);
    WorkerHarness h;
    h.openPort(WorkerHarness::param(), name);
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, QList<int> { -8 }, 2 * kWaitMs);
    QVERIFY(!h.worker->isOpen());
}

QTEST_GUILESS_MAIN(TestNetworkPort)
#include "tst_networkport.moc"
