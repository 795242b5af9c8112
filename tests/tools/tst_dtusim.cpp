#include "deviceframereader.h"
#include "displaypayload.h"
#include "dtuframe.h"
#include "dtuparamstore.h"
#include "dtusimulator.h"
#include "epaperdisplay.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <lzma.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint32 kDisplay = 1674097996u;

QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray packetPayload(quint32 target, const QByteArray& whole, int index)
{
    const int count = (whole.size() + 1023) / 1024;
    QByteArray p = u32(target) + u32(quint32(whole.size()));
    p.append(char(count)).append(char(index));
    p.append(whole.mid(index * 1024, 1024));
    return p;
}

// The 44-byte container header around the given run data.
QByteArray container(int w, int h, const QByteArray& runs)
{
    QByteArray c("KB");
    c += QByteArray::fromHex("0900");
    QByteArray dims(4, '\0');
    qToLittleEndian<quint16>(quint16(w), dims.data());
    qToLittleEndian<quint16>(quint16(h), dims.data() + 2);
    c += dims + QByteArray(1, '\1') + "BL" + QByteArray::fromHex("2300") + QByteArray(4, '\0') + dims;
    c += u32(quint32(runs.size() * 8)) + "REL" + u32(1) + u32(2) + QByteArray::fromHex("FFFFFF0000000000");
    return c + runs;
}

QByteArray payloadOf(quint16 type, quint8 compression, const QByteArray& data)
{
    QByteArray p(16, '\0');
    qToLittleEndian<quint16>(type, p.data());
    p[2] = char(compression);
    p[3] = 16;
    qToLittleEndian<quint32>(quint32(data.size()), p.data() + 8);
    qToLittleEndian<quint32>(quint32(data.size()), p.data() + 12);
    return p + data;
}

// Raw LZMA1 without an end mark behind the 13-byte .lzma header, as the
// program sends it.
QByteArray lzmaAlone(const QByteArray& plain)
{
    lzma_options_lzma opt;
    if (lzma_lzma_preset(&opt, 6))
        return {};
    opt.dict_size = 4096;
    opt.ext_flags = 0;
    opt.ext_size_low = quint32(plain.size());
    opt.ext_size_high = 0;
    const lzma_filter filters[] = { { LZMA_FILTER_LZMA1EXT, &opt }, { LZMA_VLI_UNKNOWN, nullptr } };
    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&strm, filters) != LZMA_OK)
        return {};
    QByteArray out(plain.size() + 1024, '\0');
    strm.next_in = reinterpret_cast<const uint8_t*>(plain.constData());
    strm.avail_in = size_t(plain.size());
    strm.next_out = reinterpret_cast<uint8_t*>(out.data() + 13);
    strm.avail_out = size_t(out.size() - 13);
    const lzma_ret ret = lzma_code(&strm, LZMA_FINISH);
    out.resize(out.size() - int(strm.avail_out));
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END)
        return {};
    out[0] = char(0x5D);
    qToLittleEndian<quint32>(4096, out.data() + 1);
    qToLittleEndian<quint64>(quint64(plain.size()), out.data() + 5);
    return out;
}

// The program's end of the simulator's pty, raw and non-blocking.
int openRawLine(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fd;
    termios tio {};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

}  // namespace

class TestDtuSim : public QObject
{
    Q_OBJECT

private slots:
    void readerSeparatesTerminalDataFromFrames();
    void readerWaitsForTheRestOfAFrame();
    void readerFlushFindsFramesBehindABogusHead();
    void containerDecodesTheWorkedExample();
    void containerRefusesMalformedRuns_data();
    void containerRefusesMalformedRuns();
    void lzmaPayloadDecodesAndRefusesHugeSizes();
    void displayAnswersOnlyItsOwnWakeUp();
    void displayAcknowledgesAndReassembles();
    void displayReportsSequenceFaults();
    void broadcastReachesEveryDisplay();
    void injectedFaultsChangeTheAnswers();
    void everyNthTransferFailsAtItsLastPacket();
    void paramStoreAnswersWithStoredValues();
    void lineRateSlowsTheAnswers();
    void idleLineLendsNoTimeToTheNextFrame();
    void splitFrameLeavesInTwoPartsAtTheChosenByte();
};

void TestDtuSim::readerSeparatesTerminalDataFromFrames()
{
    DeviceFrameReader r;
    const QByteArray frame = encodeFrame(0, 0x21, QByteArray::fromHex("0102"));
    QByteArray bad = encodeFrame(0, 0x22, QByteArray::fromHex("03"));
    bad[bad.size() - 2] = char(bad.at(bad.size() - 2) + 1);
    r.append("hi" + frame + bad + "yo");
    const auto items = r.take();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items[0].kind, LineItem::Raw);
    QCOMPARE(items[0].bytes, QByteArray("hi"));
    QCOMPARE(items[1].kind, LineItem::Frame);
    QCOMPARE(items[1].bytes, frame);
    QCOMPARE(items[2].kind, LineItem::Raw);
    QCOMPARE(items[2].bytes, bad + "yo");
    QVERIFY(!r.hasPending());
}

void TestDtuSim::readerWaitsForTheRestOfAFrame()
{
    DeviceFrameReader r;
    const QByteArray frame = encodeFrame(5, 0xA0, QByteArray(300, 'x'));
    r.append(frame.left(100));
    QVERIFY(r.take().isEmpty());
    QVERIFY(r.hasPending());
    r.append(frame.mid(100));
    const auto items = r.take();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0].bytes, frame);
}

void TestDtuSim::readerFlushFindsFramesBehindABogusHead()
{
    DeviceFrameReader r;
    const QByteArray frame = encodeFrame(0, 0x10, u32(1) + u32(2));
    // AA 01 ... FF FF claims a 65535-byte payload that never comes.
    r.append(QByteArray::fromHex("AA0100000000FFFFFF") + frame);
    QVERIFY(r.take().isEmpty());
    const auto items = r.flush();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0].bytes, QByteArray::fromHex("AA0100000000FFFFFF"));
    QCOMPARE(items[1].kind, LineItem::Frame);
    QCOMPARE(items[1].bytes, frame);
}

void TestDtuSim::containerDecodesTheWorkedExample()
{
    QString error;
    const QImage img = decodeContainer(container(3, 2, QByteArray::fromHex("3201")), error);
    QVERIFY2(!img.isNull(), qPrintable(error));
    QCOMPARE(img.size(), QSize(3, 2));
    const uchar row0[] = { 255, 255, 0 }, row1[] = { 0, 0, 255 };
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(img.constScanLine(0)), 3), QByteArray(reinterpret_cast<const char*>(row0), 3));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(img.constScanLine(1)), 3), QByteArray(reinterpret_cast<const char*>(row1), 3));
}

void TestDtuSim::containerRefusesMalformedRuns_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("run past the end") << container(3, 2, QByteArray::fromHex("7000"));
    QTest::newRow("data ends early") << container(3, 2, QByteArray::fromHex("02"));
    QTest::newRow("endless continuation") << container(3, 2, QByteArray::fromHex("FFFFFFFF"));
    QByteArray lying = container(3, 2, QByteArray::fromHex("3201"));
    lying[21] = char(64);  // claims 8 bytes of run data
    QTest::newRow("length field lies") << lying;
    QTest::newRow("header only") << container(3, 2, {}).left(30);
}

void TestDtuSim::containerRefusesMalformedRuns()
{
    QFETCH(QByteArray, bytes);
    QString error;
    QVERIFY(decodeContainer(bytes, error).isNull());
    QVERIFY(!error.isEmpty());
}

void TestDtuSim::lzmaPayloadDecodesAndRefusesHugeSizes()
{
    const QByteArray runs = QByteArray::fromHex("3201");
    const QByteArray plain = container(3, 2, runs);
    const DecodedPayload ok = decodeDisplayPayload(payloadOf(2, 1, lzmaAlone(plain)));
    QVERIFY2(ok.ok, qPrintable(ok.error));
    QCOMPARE(ok.data, plain);
    QCOMPARE(ok.image.size(), QSize(3, 2));

    QByteArray huge = lzmaAlone(plain);
    qToLittleEndian<quint64>(quint64(1) << 40, huge.data() + 5);
    const DecodedPayload refused = decodeDisplayPayload(payloadOf(2, 1, huge));
    QVERIFY(!refused.ok);
    QVERIFY(refused.error.contains("too large"));

    QByteArray damaged = lzmaAlone(plain);
    damaged.chop(3);
    QVERIFY(!decodeDisplayPayload(payloadOf(2, 1, damaged)).ok);
    QVERIFY(!decodeDisplayPayload(payloadOf(2, 9, plain)).ok);
    QVERIFY(!decodeDisplayPayload(payloadOf(2, 0, plain).left(20)).ok);
}

void TestDtuSim::displayAnswersOnlyItsOwnWakeUp()
{
    EpaperDisplay d(kDisplay);
    d.setWakeDelay(25);
    QVERIFY(d.onWakeRequest(u32(7) + u32(1000)).isEmpty());
    QVERIFY(!d.isAwake());
    const auto replies = d.onWakeRequest(u32(kDisplay) + u32(1000));
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].delayMs, 25);
    QCOMPARE(frameControl(replies[0].frame), dtu::kCtlAwaken);
    QCOMPARE(framePayload(replies[0].frame), u32(kDisplay) + QByteArray(1, '\0'));
    QVERIFY(d.isAwake());
}

void TestDtuSim::displayAcknowledgesAndReassembles()
{
    EpaperDisplay d(kDisplay);
    d.onWakeRequest(u32(kDisplay) + u32(1000));
    const QByteArray whole = payloadOf(2, 0, container(3, 2, QByteArray::fromHex("3201")).append(QByteArray(2000, '\0')));
    QVERIFY(whole.size() > 2048);
    for (int i = 0; i < 3; ++i) {
        const auto replies = d.onPacket(i == 0 ? 0 : kDisplay, packetPayload(kDisplay, whole, i));
        QCOMPARE(frameAddress(replies[0].frame), kDisplay);
        QCOMPARE(framePayload(replies[0].frame), QByteArray::fromHex("03").append(char(i)).append('\0'));
        QCOMPARE(replies.size(), i == 2 ? 2 : 1);
    }
    QVERIFY(d.hasCompleted());
    DecodedPayload decoded;
    QCOMPARE(d.takeCompleted(decoded), whole);
    // The container claims 2 bytes of runs but 2002 follow: not decodable.
    QVERIFY(!decoded.ok);
}

void TestDtuSim::displayReportsSequenceFaults()
{
    EpaperDisplay d(kDisplay);
    const QByteArray whole(3000, 'z');
    auto status = [&](const QByteArray& payload) { return quint8(framePayload(d.onPacket(0, payload)[0].frame).at(2)); };
    QCOMPARE(status(packetPayload(0, whole, 0)), quint8(0));
    QCOMPARE(status(packetPayload(0, whole, 2)), quint8(8));   // packet 1 skipped
    QCOMPARE(status(packetPayload(0, whole, 0).replace(8, 1, "\x05")), quint8(7));
    QCOMPARE(status(packetPayload(0, whole, 1).left(500)), quint8(2));
    QCOMPARE(status(packetPayload(0, whole, 1)), quint8(0));
    QCOMPARE(status(packetPayload(0, whole, 1)), quint8(0));   // a repeat is acknowledged again
    QCOMPARE(status(packetPayload(0, QByteArray(256 * 1024, 'z'), 0)), quint8(1));
}

void TestDtuSim::broadcastReachesEveryDisplay()
{
    EpaperDisplay a(11), b(12);
    const QByteArray whole(100, 'q');
    QCOMPARE(a.onPacket(0, packetPayload(0, whole, 0)).size(), 2);
    QCOMPARE(b.onPacket(0, packetPayload(0, whole, 0)).size(), 2);
    // Addressed packets go to one display only, and only after a wake-up.
    EpaperDisplay c(13);
    QVERIFY(c.onPacket(0, packetPayload(13, whole, 0)).isEmpty());
    QVERIFY(a.onPacket(13, packetPayload(0, whole, 0)).isEmpty());
}

void TestDtuSim::injectedFaultsChangeTheAnswers()
{
    EpaperDisplay d(kDisplay);
    d.faults().statusAt.insert(1, 200);
    d.faults().dropAckAt.insert(2);
    d.faults().wakeResult = 3;
    QCOMPARE(quint8(framePayload(d.onWakeRequest(u32(kDisplay) + u32(10))[0].frame).at(4)), quint8(3));
    QVERIFY(!d.isAwake());
    const QByteArray whole(4000, 'w');
    QCOMPARE(quint8(framePayload(d.onPacket(0, packetPayload(0, whole, 0))[0].frame).at(2)), quint8(0));
    QCOMPARE(quint8(framePayload(d.onPacket(0, packetPayload(0, whole, 1))[0].frame).at(2)), quint8(200));
    QVERIFY(d.onPacket(0, packetPayload(0, whole, 2)).isEmpty());
    d.faults().noWakeAnswer = true;
    QVERIFY(d.onWakeRequest(u32(kDisplay) + u32(10)).isEmpty());
}

void TestDtuSim::everyNthTransferFailsAtItsLastPacket()
{
    EpaperDisplay d(kDisplay);
    d.faults().failEvery = 3;
    const QByteArray whole(1500, 'f');
    QList<int> lastStatus;
    for (int transfer = 1; transfer <= 6; ++transfer) {
        d.onPacket(0, packetPayload(0, whole, 0));
        lastStatus << quint8(framePayload(d.onPacket(0, packetPayload(0, whole, 1))[0].frame).at(2));
    }
    QCOMPARE(lastStatus, (QList<int> { 0, 0, 3, 0, 0, 3 }));
}

void TestDtuSim::paramStoreAnswersWithStoredValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cmds.json");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"({"mode":"list","cmd":[{"name":"Radio","param":[
        {"name":"freq","type":"uint16_t","num":1,"show":"十进制正整数"},
        {"name":"tag","type":"string","num":4,"show":"字符串"}],
        "query":{"ctl2":33,"res":[0,1]},"setting":{"ctl2":34,"req":[0,1],"res":[0]}}]})");
    f.close();
    DtuParamStore store;
    QString error;
    QVERIFY2(store.load(path, error), qPrintable(error));
    const QVector<QByteArray> set = store.answer(encodeFrame(0, 34, QByteArray::fromHex("B101") + QByteArray("ab\0\0", 4)));
    QCOMPARE(set.size(), 1);
    QCOMPARE(framePayload(set[0]), QByteArray::fromHex("B101"));
    QCOMPARE(store.value("Radio", "freq"), QString("433"));
    const QVector<QByteArray> query = store.answer(encodeFrame(0, 33, {}));
    QCOMPARE(framePayload(query.value(0)), QByteArray::fromHex("B101") + QByteArray("ab\0\0", 4));
    // A request whose layout fits no section is not answered.
    QVERIFY(store.answer(encodeFrame(0, 34, QByteArray::fromHex("01"))).isEmpty());
}

void TestDtuSim::lineRateSlowsTheAnswers()
{
    SimConfig config;
    config.wakeDelayMs = 0;
    config.lineRate = 2000;  // bytes per second
    DtuSimulator sim(config);
    QString error;
    QVERIFY2(sim.start(error), qPrintable(error));
    const int fd = openRawLine(sim.portPath());
    QVERIFY(fd >= 0);
    const QByteArray text(400, 't');
    QElapsedTimer t;
    t.start();
    QCOMPARE(int(::write(fd, text.constData(), size_t(text.size()))), text.size());
    QByteArray echoed;
    while (echoed.size() < text.size() && t.elapsed() < 10000) {
        QTest::qWait(5);
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            echoed.append(buf, int(n));
    }
    ::close(fd);
    QCOMPARE(echoed, text);
    // 400 bytes each way at 2000 B/s take 200 ms at the very least.
    QVERIFY2(t.elapsed() >= 180, qPrintable(QString::number(t.elapsed())));
}

void TestDtuSim::idleLineLendsNoTimeToTheNextFrame()
{
    SimConfig config;
    config.wakeDelayMs = 0;
    config.lineRate = 1000;  // bytes per second
    DtuSimulator sim(config);
    QString error;
    QVERIFY2(sim.start(error), qPrintable(error));
    const int fd = openRawLine(sim.portPath());
    QVERIFY(fd >= 0);
    // Both directions idle long enough to have saved up a whole frame's time
    // if idle time counted; a stop-and-wait exchange would then seem free.
    QTest::qWait(200);
    const QByteArray wake = encodeFrame(0, dtu::kCtlAwaken, u32(kDisplay) + u32(100));
    const QByteArray answer = encodeFrame(0, dtu::kCtlAwaken, u32(kDisplay) + QByteArray(1, '\0'));
    QElapsedTimer t;
    t.start();
    QCOMPARE(int(::write(fd, wake.constData(), size_t(wake.size()))), wake.size());
    QByteArray got;
    while (got.size() < answer.size() && t.elapsed() < 10000) {
        QTest::qWait(1);
        char buf[64];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, int(n));
    }
    const qint64 elapsed = t.elapsed();
    ::close(fd);
    QCOMPARE(got, answer);
    // 19 bytes in and 16 out at 1000 B/s cross in 35 ms at the very least.
    QVERIFY2(elapsed >= 33, qPrintable(QString::number(elapsed)));
    QCOMPARE(sim.bytesIn() + sim.bytesOut(), qint64(wake.size() + answer.size()));
}

void TestDtuSim::splitFrameLeavesInTwoPartsAtTheChosenByte()
{
    SimConfig config;
    config.wakeDelayMs = 0;
    config.lineFaults.splitFrames = true;
    config.lineFaults.splitAt = 10;
    config.lineFaults.splitPauseMs = 1500;
    DtuSimulator sim(config);
    QString error;
    QVERIFY2(sim.start(error), qPrintable(error));
    const int fd = openRawLine(sim.portPath());
    QVERIFY(fd >= 0);
    const QByteArray wake = encodeFrame(0, dtu::kCtlAwaken, u32(kDisplay) + u32(100));
    QCOMPARE(int(::write(fd, wake.constData(), size_t(wake.size()))), wake.size());
    auto readFor = [fd](int ms) {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QTest::qWait(5);
            char buf[64];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0)
                got.append(buf, int(n));
        }
        return got;
    };
    // Well inside the pause only the first part has come.
    const QByteArray first = readFor(500);
    const QByteArray rest = readFor(2500);
    ::close(fd);
    const QByteArray answer = encodeFrame(0, dtu::kCtlAwaken, u32(kDisplay) + QByteArray(1, '\0'));
    QCOMPARE(first, answer.left(10));
    QCOMPARE(rest, answer.mid(10));
}

QTEST_GUILESS_MAIN(TestDtuSim)
#include "tst_dtusim.moc"
