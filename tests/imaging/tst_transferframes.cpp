#include "devicecursors.h"
#include "dtuframe.h"
#include "packetcursor.h"
#include "transferframes.h"
#include "transfertiming.h"

#include <QTest>
#include <QtEndian>

#include <climits>

namespace {

QByteArray ackFrame(quint32 addr, quint8 count, quint8 index, quint8 status)
{
    const char p[3] = { char(count), char(index), char(status) };
    return encodeFrame(addr, dtu::kCtlPacket, QByteArray(p, 3));
}

QByteArray bytes(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(i * 7 + i / 256);
    return b;
}

}  // namespace

class TestTransferFrames : public QObject
{
    Q_OBJECT

private slots:
    void cursorSplitsPayload_data();
    void cursorSplitsPayload();
    void defaultCursorHasNothingToSend();
    void wakeUpRequestIsByteExact();
    void packetFrameCarriesHeaderAndSlice();
    void ackStatusAndText_data();
    void ackStatusAndText();
    void shortAnswersAreRejected();
    void displayStateUsesLowTwoBits_data();
    void displayStateUsesLowTwoBits();
    void elapsedShowsSecondsAndMilliseconds_data();
    void elapsedShowsSecondsAndMilliseconds();
    void wakeUpTimeoutIsClamped_data();
    void wakeUpTimeoutIsClamped();
    void devicesFollowTheirOwnSequences();
    void startDropsNothingButRefreshesBroadcastEntry();
    void ackFromUnknownBroadcastIsIgnored();
};

void TestTransferFrames::cursorSplitsPayload_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("lengths");
    QTest::newRow("1 byte") << 1 << QList<int> { 1 };
    QTest::newRow("1024 bytes, one packet") << 1024 << QList<int> { 1024 };
    QTest::newRow("1025 bytes, second packet of 1") << 1025 << QList<int> { 1024, 1 };
    QTest::newRow("2500 bytes") << 2500 << QList<int> { 1024, 1024, 452 };
}

void TestTransferFrames::cursorSplitsPayload()
{
    QFETCH(int, size);
    QFETCH(QList<int>, lengths);
    const QByteArray payload = bytes(size);
    PacketCursor c;
    c.init(payload.constData(), payload.size());
    QCOMPARE(c.count, quint32(lengths.size()));
    QByteArray joined;
    for (int i = 0; i < lengths.size(); ++i) {
        int n = 0;
        quint32 idx = 99;
        const char* p = c.current(&n, &idx);
        QVERIFY(p);
        QCOMPARE(idx, quint32(i));
        QCOMPARE(n, lengths[i]);
        joined.append(p, n);
        c.advance();
    }
    QCOMPARE(joined, payload);
    QVERIFY(!c.current());
    c.advance();  // nothing left: stays put
    QCOMPARE(c.index, quint32(lengths.size()));
    c.reset();
    QCOMPARE(c.index, 0u);
    QCOMPARE(c.current(), payload.constData());
}

void TestTransferFrames::defaultCursorHasNothingToSend()
{
    PacketCursor c;
    QCOMPARE(c.index, 0xFFFFFFFFu);
    QVERIFY(!c.current());
    c.init(nullptr, 10);
    QCOMPARE(c.count, 0u);
    const QByteArray one(1, 'x');
    c.init(one.constData(), 0);
    QCOMPARE(c.count, 0u);
    QVERIFY(buildPacketFrame(0, 1, c).isEmpty());
}

void TestTransferFrames::wakeUpRequestIsByteExact()
{
    QCOMPARE(buildAwakenFrame(1, 1000).toHex(' '),
             QByteArray::fromHex("AA010000000010080001000000E8030000AFEE").toHex(' '));
}

void TestTransferFrames::packetFrameCarriesHeaderAndSlice()
{
    const QByteArray payload = bytes(1025);
    PacketCursor c;
    c.init(payload.constData(), payload.size());
    c.advance();
    const QByteArray frame = buildPacketFrame(0x01020304, 1674097996, c);
    QCOMPARE(frame.size(), 11 + 10 + 1);
    QCOMPARE(frame.mid(2, 4).toHex(), QByteArray("04030201"));
    QCOMPARE(frameControl(frame), dtu::kCtlPacket);
    const QByteArray p = framePayload(frame);
    QCOMPARE(qFromLittleEndian<quint32>(p.constData()), 1674097996u);
    QCOMPARE(qFromLittleEndian<quint32>(p.constData() + 4), 1025u);
    QCOMPARE(int(p[8]), 2);
    QCOMPARE(int(p[9]), 1);
    QCOMPARE(p.mid(10), payload.mid(1024));
    QCOMPARE(quint8(frame.at(frame.size() - 2)), frameChecksum(frame.constData(), frame.size() - 2));

    // An index at or past the count builds nothing.
    c.index = c.count;
    QVERIFY(buildPacketFrame(0, 1, c).isEmpty());
}

void TestTransferFrames::ackStatusAndText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("statusByte");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");
    QTest::newRow("ok") << 3 << 0 << 0 << 0 << "当前包:   1, 总包：3, 状态: 接收成功";
    QTest::newRow("cache") << 3 << 2 << 1 << 1 << "当前包:   3, 总包：3, 状态: 缓存不足";
    QTest::newRow("checksum") << 3 << 1 << 2 << 2 << "当前包:   2, 总包：3, 状态: 校验错误";
    QTest::newRow("save") << 9 << 0 << 3 << 3 << "当前包:   1, 总包：9, 状态: 保存失败";
    QTest::newRow("forward") << 9 << 0 << 4 << 4 << "当前包:   1, 总包：9, 状态: 转发失败";
    QTest::newRow("refused") << 9 << 0 << 5 << 5 << "当前包:   1, 总包：9, 状态: 拒绝";
    QTest::newRow("other") << 9 << 0 << 6 << 6 << "当前包:   1, 总包：9, 状态: 其他异常";
    QTest::newRow("count") << 9 << 0 << 7 << 7 << "当前包:   1, 总包：9, 状态: 总包数异常";
    QTest::newRow("index") << 9 << 0 << 8 << 8 << "当前包:   1, 总包：9, 状态: 当前包数异常";
    QTest::newRow("status 200") << 9 << 0 << 200 << 200 << "当前包:   1, 总包：9, 状态: 其他异常";
    QTest::newRow("count 0") << 0 << 0 << 0 << 8 << "当前包:   1, 总包：0, 状态: 当前包数异常";
    QTest::newRow("index at count") << 2 << 2 << 0 << 8 << "当前包:   3, 总包：2, 状态: 当前包数异常";
    QTest::newRow("index 254 of 255") << 255 << 254 << 0 << 0 << "当前包: 255, 总包：255, 状态: 接收成功";
}

void TestTransferFrames::ackStatusAndText()
{
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(int, statusByte);
    QFETCH(int, status);
    QFETCH(QString, line);
    PacketAck ack;
    QVERIFY(parsePacketAck(ackFrame(5, quint8(count), quint8(index), quint8(statusByte)), ack));
    QCOMPARE(ackStatus(ack), status);
    QCOMPARE(ackLogLine(ack), line);
}

void TestTransferFrames::shortAnswersAreRejected()
{
    PacketAck ack;
    QVERIFY(!parsePacketAck(encodeFrame(1, dtu::kCtlPacket, QByteArray(2, '\0')), ack));
    AwakenAnswer aw;
    QVERIFY(!parseAwakenAnswer(encodeFrame(0, dtu::kCtlAwaken, QByteArray(4, '\0')), aw));
    QVERIFY(parseAwakenAnswer(encodeFrame(0, dtu::kCtlAwaken, QByteArray::fromHex("4cb5c86301")), aw));
    QCOMPARE(aw.nDevice, 1674097996u);
    QCOMPARE(aw.nResult, quint8(1));
    DisplayReport rep;
    QVERIFY(!parseDisplayReport(encodeFrame(0, dtu::kCtlDisplayState, QByteArray(4, '\0')), rep));
    // A length field larger than the frame holds is never read.
    QByteArray lying = ackFrame(1, 1, 0, 0);
    lying[7] = char(200);
    QVERIFY(!parsePacketAck(lying, ack));
}

void TestTransferFrames::displayStateUsesLowTwoBits_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "刷屏成功";
    QTest::newRow("1") << 1 << "解码失败";
    QTest::newRow("2") << 2 << "刷屏失败";
    QTest::newRow("3") << 3 << "未知异常";
    QTest::newRow("4 wraps to 0") << 4 << "刷屏成功";
    QTest::newRow("0xFE") << 0xFE << "刷屏失败";
}

void TestTransferFrames::displayStateUsesLowTwoBits()
{
    QFETCH(int, state);
    QFETCH(QString, text);
    QByteArray payload = QByteArray::fromHex("07000000");
    payload.append(char(state));
    DisplayReport rep;
    QVERIFY(parseDisplayReport(encodeFrame(0, dtu::kCtlDisplayState, payload), rep));
    QCOMPARE(displayReportLine(rep), QStringLiteral("墨水屏 #7 状态: %1").arg(text));
}

void TestTransferFrames::elapsedShowsSecondsAndMilliseconds_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0.000";
    QTest::newRow("7 ms") << qint64(7) << "0.007";
    QTest::newRow("1.5 s") << qint64(1500) << "1.500";
    QTest::newRow("minutes hidden") << qint64(75500) << "15.500";
    QTest::newRow("a day wraps") << qint64(86400000 + 2001) << "2.001";
}

void TestTransferFrames::elapsedShowsSecondsAndMilliseconds()
{
    QFETCH(qint64, ms);
    QFETCH(QString, text);
    QCOMPARE(formatElapsed(ms), text);
}

void TestTransferFrames::wakeUpTimeoutIsClamped_data()
{
    QTest::addColumn<qint64>("keep");
    QTest::addColumn<int>("factor");
    QTest::addColumn<int>("ms");
    QTest::newRow("0") << qint64(0) << 4 << 0;
    QTest::newRow("800") << qint64(800) << 4 << 3200;
    QTest::newRow("largest exact") << qint64(INT_MAX / 4) << 4 << (INT_MAX / 4) * 4;
    QTest::newRow("int max x4") << qint64(INT_MAX) << 4 << INT_MAX;
    QTest::newRow("u32 max x4") << qint64(0xFFFFFFFFLL) << 4 << INT_MAX;
    QTest::newRow("negative") << qint64(-5) << 3 << 0;
}

void TestTransferFrames::wakeUpTimeoutIsClamped()
{
    QFETCH(qint64, keep);
    QFETCH(int, factor);
    QFETCH(int, ms);
    QCOMPARE(awakenTimeoutMs(keep, factor), ms);
}

void TestTransferFrames::devicesFollowTheirOwnSequences()
{
    const QByteArray payload = bytes(2500);
    DeviceCursors devices;
    const QList<QByteArray> first = devices.start(payload, 42);
    QCOMPARE(first.size(), 1);
    QCOMPARE(frameAddress(first[0]), 0u);
    QCOMPARE(int(framePayload(first[0])[9]), 0);

    // Device 7 and device 9 both answer packet 0 and get packet 1 each.
    DeviceCursors::Step s7 = devices.acknowledge(7, 42);
    DeviceCursors::Step s9 = devices.acknowledge(9, 42);
    for (const auto& s : { s7, s9 }) {
        QCOMPARE(s.kind, DeviceCursors::Step::Continue);
        QCOMPARE(int(framePayload(s.frame)[9]), 1);
        QCOMPARE(s.nProgress, 33);
    }
    QCOMPARE(frameAddress(s7.frame), 7u);
    QCOMPARE(frameAddress(s9.frame), 9u);
    QCOMPARE(devices.map().value(0).index, 0u);

    s7 = devices.acknowledge(7, 42);
    QCOMPARE(s7.kind, DeviceCursors::Step::Continue);
    QCOMPARE(framePayload(s7.frame).mid(10), payload.mid(2048));
    QCOMPARE(s7.nProgress, 66);
    s7 = devices.acknowledge(7, 42);
    QCOMPARE(s7.kind, DeviceCursors::Step::Complete);
    QVERIFY(s7.frame.isEmpty());
    QCOMPARE(s7.nProgress, 100);

    devices.resetAll();
    QCOMPARE(devices.map().size(), 3);
    for (const PacketCursor& c : devices.map())
        QCOMPARE(c.index, 0u);
}

void TestTransferFrames::startDropsNothingButRefreshesBroadcastEntry()
{
    // Entries kept by the bookkeeping receive their packet on start; the
    // page clears them first whenever the payload is rebuilt.
    const QByteArray payload = bytes(100);
    DeviceCursors devices;
    devices.start(payload, 1);
    devices.acknowledge(5, 1);
    QCOMPARE(devices.map().size(), 2);
    devices.clear();
    const QByteArray next = bytes(3000);
    const QList<QByteArray> frames = devices.start(next, 1);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(devices.map().value(0).data, next.constData());
}

void TestTransferFrames::ackFromUnknownBroadcastIsIgnored()
{
    DeviceCursors devices;
    QCOMPARE(devices.acknowledge(0, 1).kind, DeviceCursors::Step::Ignored);
    // A device answering with no broadcast entry gets an empty default cursor.
    QCOMPARE(devices.acknowledge(3, 1).kind, DeviceCursors::Step::Ignored);
    QCOMPARE(devices.map().size(), 2);
    QCOMPARE(devices.map().value(3).count, 0u);
}

QTEST_GUILESS_MAIN(TestTransferFrames)
#include "tst_transferframes.moc"
