#include <QSerialPort>
#include <QtTest>

#include <ctime>
#include <memory>

#include <unistd.h>

#include "dtuframe.h"
#include "ptypair.h"
#include "workerharness.h"

namespace {

constexpr int kWaitMs = 5000;

// Root opens any device whatever its permissions; for as long as this
// lives, the process acts as "nobody" so that permissions count.
class UnprivilegedUser
{
public:
    UnprivilegedUser()
    {
        if (geteuid() == 0 && seteuid(kNobody) == 0)
            m_bSwitched = true;
    }
    ~UnprivilegedUser()
    {
        if (m_bSwitched && seteuid(0) != 0)
            qFatal("cannot return to root");
    }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_bSwitched = false;
};

QByteArray hex(const char* str)
{
    return QByteArray::fromHex(str);
}

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

}  // namespace

class TestWorkerSerial : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void strayByteAndFrameGiveOneChunkAndOneFrame();
    void everyFrameOfOneChunkIsDelivered_data();
    void everyFrameOfOneChunkIsDelivered();
    void splitFrameJoinsWithinTheTimeout();
    void splitFrameIsDroppedAfterTheTimeout();
    void shortFragmentWaitsWithoutTimeLimit();
    void badChecksumIsNeverReported();
    void tailBelowIndexTenIsIgnored();
    void sendWritesAndEchoes();
    void modemLinesThePortCannotSetLeaveItUsable();
    void sendIgnoresEmptyDataAndReportsClosedPort();
    void openWithEmptyNameReportsMinusOne();
    void reopenWithNewParametersKeepsPortOpen();
    void rejectedBaudKeepsPortOpen();
    void setPortNameMovesOpenPortToAnotherDevice();
    void setPortNameToMissingDeviceClosesAndReports();
    void openOfMissingDeviceReportsMinusEight();
    void refusedOpenTellsBusyFromNoPermission_data();
    void refusedOpenTellsBusyFromNoPermission();
    void lostDeviceClosesPortAndLeavesCpuIdle();
    void destructorClosesThePort();

private:
    bool openOn(WorkerHarness& h, const PtyPair& pty);
    std::unique_ptr<PtyPair> m_pty;
};

void TestWorkerSerial::init()
{
    m_pty.reset(new PtyPair);
    QVERIFY(m_pty->isValid());
}

bool TestWorkerSerial::openOn(WorkerHarness& h, const PtyPair& pty)
{
    const int nBefore = h.rec.states.size();
    h.openPort(WorkerHarness::param(), pty.portPath());
    return QTest::qWaitFor([&] { return h.rec.states.size() > nBefore; }, kWaitMs)
        && h.rec.states.last() == 8 && h.worker->isOpen();
}

void TestWorkerSerial::strayByteAndFrameGiveOneChunkAndOneFrame()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    const QByteArray frame = encodeFrame(0, dtu::kCtlTerminalId, {});
    QVERIFY(m_pty->write(hex("55") + frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), frame);
    QCOMPARE(h.rec.rxBytes(), hex("55") + frame);
    // Nothing of the first frame lingers: the next one comes out alone.
    const QByteArray next = encodeFrame(1, 0x10, hex("01"));
    QVERIFY(m_pty->write(next));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 2, kWaitMs);
    QCOMPARE(h.rec.frames.last(), next);
}

void TestWorkerSerial::everyFrameOfOneChunkIsDelivered_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("two frames") << 2;
    QTest::newRow("three frames") << 3;
    QTest::newRow("twenty frames") << 20;
}

void TestWorkerSerial::everyFrameOfOneChunkIsDelivered()
{
    QFETCH(int, count);
    // A long buffer timeout: nothing else arrives, so a frame left in the
    // buffer would never come out.
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    QList<QByteArray> sent;
    QByteArray chunk;
    for (int i = 0; i < count; ++i) {
        sent.append(encodeFrame(quint32(i), 0xA0, QByteArray(i % 5, char(0x30 + i))));
        chunk += sent.last();
    }
    QVERIFY(chunk.size() <= WorkerSerial::kReadBufferSize);
    QVERIFY(m_pty->write(chunk));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), count, kWaitMs);
    QCOMPARE(h.rec.frames, sent);
    QTest::qWait(100);
    QCOMPARE(h.rec.frames.size(), count);
}

void TestWorkerSerial::splitFrameJoinsWithinTheTimeout()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    const QByteArray frame = encodeFrame(3, 0x10, hex("0100000000e80300"));
    QVERIFY(m_pty->write(frame.left(10)));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes().size(), 10, kWaitMs);
    QTest::qWait(100);
    QVERIFY(h.rec.frames.isEmpty());
    QVERIFY(m_pty->write(frame.mid(10)));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), frame);
}

void TestWorkerSerial::splitFrameIsDroppedAfterTheTimeout()
{
    WorkerHarness h(100);
    QVERIFY(openOn(h, *m_pty));
    const QByteArray frame = encodeFrame(3, 0x10, hex("0100000000e80300"));
    QVERIFY(m_pty->write(frame.left(10)));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes().size(), 10, kWaitMs);
    QTest::qWait(600);
    QVERIFY(m_pty->write(frame.mid(10)));
    const QByteArray next = encodeFrame(4, 0x10, hex("02"));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes().size(), frame.size(), kWaitMs);
    QVERIFY(m_pty->write(next));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), next);
}

void TestWorkerSerial::shortFragmentWaitsWithoutTimeLimit()
{
    WorkerHarness h(100);
    QVERIFY(openOn(h, *m_pty));
    const QByteArray frame = encodeFrame(3, 0x10, hex("0100000000e80300"));
    QVERIFY(m_pty->write(frame.left(9)));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes().size(), 9, kWaitMs);
    QTest::qWait(600);
    QVERIFY(m_pty->write(frame.mid(9)));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), frame);
}

void TestWorkerSerial::badChecksumIsNeverReported()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    QByteArray bad = encodeFrame(1, 0x10, hex("aa01aa"));
    bad[bad.size() - 2] = char(bad.at(bad.size() - 2) ^ 0x01);
    const QByteArray good = encodeFrame(2, 0x10, hex("aa02aa"));
    QVERIFY(m_pty->write(bad + good));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), good);
}

void TestWorkerSerial::tailBelowIndexTenIsIgnored()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    // "AA AA EE" passes the sum test but ends at index 2.
    const QByteArray frame = encodeFrame(0, 0x64, {});
    QVERIFY(m_pty->write(hex("aaaaee") + QByteArray(8, '\x05') + frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.frames.first(), frame);
}

void TestWorkerSerial::sendWritesAndEchoes()
{
    WorkerHarness h;
    QVERIFY(openOn(h, *m_pty));
    const QByteArray data = encodeFrame(0, 0x10, hex("01"));
    h.sendData(data);
    QCOMPARE(m_pty->read(data.size()), data);
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.txChunks.size(), 1, kWaitMs);
    QCOMPARE(h.rec.txChunks.first(), data);
}

void TestWorkerSerial::modemLinesThePortCannotSetLeaveItUsable()
{
    // A pseudo-terminal has no modem lines: setting them fails at every step.
    WorkerHarness h;
    QMetaObject::invokeMethod(h.worker, "setDtr", Q_ARG(bool, false));
    QMetaObject::invokeMethod(h.worker, "setRts", Q_ARG(bool, false));
    QVERIFY(openOn(h, *m_pty));
    QMetaObject::invokeMethod(h.worker, "setDtr", Q_ARG(bool, true));
    QMetaObject::invokeMethod(h.worker, "setRts", Q_ARG(bool, true));
    h.sendData("a");
    QCOMPARE(m_pty->read(1), QByteArray("a"));
    QVERIFY(m_pty->write("b"));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.rxBytes(), QByteArray("b"), kWaitMs);
    QVERIFY(h.worker->isOpen());
    QVERIFY(h.rec.lost.isEmpty());
    QCOMPARE(h.rec.states, QList<int>{8});
}

void TestWorkerSerial::sendIgnoresEmptyDataAndReportsClosedPort()
{
    WorkerHarness h;
    h.sendData(QByteArray());
    h.sendData("x");  // no port object yet
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.nNotOpened, 1, kWaitMs);
    QVERIFY(openOn(h, *m_pty));
    h.sendData(QByteArray());
    h.closePort();
    h.sendData("y");  // closed port
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.nNotOpened, 2, kWaitMs);
    QVERIFY(h.rec.txChunks.isEmpty());
    QCOMPARE(m_pty->drain(100), QByteArray());
}

void TestWorkerSerial::openWithEmptyNameReportsMinusOne()
{
    WorkerHarness h;
    h.openPort(WorkerHarness::param(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, QList<int> { -1 }, kWaitMs);
    QVERIFY(!h.worker->isOpen());
}

void TestWorkerSerial::reopenWithNewParametersKeepsPortOpen()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    h.openPort(WorkerHarness::param(9600), m_pty->portPath());
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, (QList<int> { 8, 8 }), kWaitMs);
    QVERIFY(h.worker->isOpen());
    // Still receiving, and once per chunk: the reconfigure did not add a second reader.
    const QByteArray frame = encodeFrame(0, 0x64, {});
    QVERIFY(m_pty->write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QTest::qWait(100);
    QCOMPARE(h.rec.rxChunks.size(), 1);
}

void TestWorkerSerial::rejectedBaudKeepsPortOpen()
{
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    h.setBaud(0);
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, (QList<int> { 8, -3 }), kWaitMs);
    h.openPort(WorkerHarness::param(-1), m_pty->portPath());
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, (QList<int> { 8, -3, -3 }), kWaitMs);
    QVERIFY(h.worker->isOpen());
    const QByteArray frame = encodeFrame(0, 0x64, {});
    QVERIFY(m_pty->write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
}

void TestWorkerSerial::setPortNameMovesOpenPortToAnotherDevice()
{
    PtyPair other;
    QVERIFY(other.isValid());
    WorkerHarness h(60000);
    QVERIFY(openOn(h, *m_pty));
    h.setPortName(other.portPath());
    h.sendData("ping");
    QCOMPARE(other.read(4), QByteArray("ping"));
    QCOMPARE(m_pty->drain(50), QByteArray());
    const QByteArray frame = encodeFrame(0, 0x64, {});
    QVERIFY(other.write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
    QCOMPARE(h.rec.states, QList<int> { 8 });
}

void TestWorkerSerial::setPortNameToMissingDeviceClosesAndReports()
{
    WorkerHarness h;
    QVERIFY(openOn(h, *m_pty));
    h.setPortName("/dev/telvane-no-such-port");
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, (QList<int> { 8, -8 }), kWaitMs);
    QVERIFY(!h.worker->isOpen());
}

void TestWorkerSerial::openOfMissingDeviceReportsMinusEight()
{
    WorkerHarness h;
    h.openPort(WorkerHarness::param(), "/dev/telvane-no-such-port");
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, QList<int> { -8 }, kWaitMs);
    QVERIFY(!h.worker->isOpen());
}

void TestWorkerSerial::refusedOpenTellsBusyFromNoPermission_data()
{
    QTest::addColumn<bool>("held");  // else: the device's permissions removed
    QTest::addColumn<int>("code");
    QTest::newRow("held by another program") << true << -2;
    QTest::newRow("no permission") << false << -9;
}

void TestWorkerSerial::refusedOpenTellsBusyFromNoPermission()
{
    QFETCH(bool, held);
    QFETCH(int, code);
    const QString path = m_pty->portPath();
    QSerialPort holder(path);
    std::unique_ptr<UnprivilegedUser> user;
    if (held) {
        QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
    } else {
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        user.reset(new UnprivilegedUser);
    }
    WorkerHarness h;
    h.openPort(WorkerHarness::param(), path);
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.states, QList<int> { code }, kWaitMs);
    user.reset();
    QVERIFY(!h.worker->isOpen());
    // The system's reason always comes along; no permission also names the
    // group that may open the device.
    const QString reason = h.rec.reasons.first();
    QVERIFY2(!reason.isEmpty(), "no reason");
    if (!held)
        QVERIFY2(reason.contains(QFileInfo(path).group()), qPrintable(reason));
}

void TestWorkerSerial::lostDeviceClosesPortAndLeavesCpuIdle()
{
    WorkerHarness h;
    QVERIFY(openOn(h, *m_pty));
    m_pty->closeController();
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.lost.size(), 1, kWaitMs);
    QVERIFY(!h.worker->isOpen());
    // A hang-up is a known error: its reason reads in the operator's language.
    QCOMPARE(h.rec.lost.first(), QString("读取数据出错, 设备可能已断开"));

    // With the port left open Qt reports the error in a tight loop and one
    // core runs at 100 %; closed, the process sleeps.
    const double fStart = processCpuSeconds();
    QTest::qWait(1000);
    const double fUsed = processCpuSeconds() - fStart;
    QVERIFY2(fUsed < 0.5, qPrintable(QString("CPU %1 s in 1 s").arg(fUsed)));
    QCOMPARE(h.rec.lost.size(), 1);

    h.sendData("x");
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.nNotOpened, 1, kWaitMs);

    // The worker is usable again once another device is chosen.
    PtyPair other;
    QVERIFY(other.isValid());
    QVERIFY(openOn(h, other));
    const QByteArray frame = encodeFrame(0, 0x64, {});
    QVERIFY(other.write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(h.rec.frames.size(), 1, kWaitMs);
}

void TestWorkerSerial::destructorClosesThePort()
{
    {
        WorkerHarness h;
        QVERIFY(openOn(h, *m_pty));
        h.destroyWorker();
    }
    // Only a closed port lets a new owner in.
    QSerialPort next(m_pty->portPath());
    QVERIFY2(next.open(QIODevice::ReadWrite), qPrintable(next.errorString()));
}

QTEST_GUILESS_MAIN(TestWorkerSerial)
#include "tst_workerserial.moc"
