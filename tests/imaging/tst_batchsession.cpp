// A batch push over a real pseudo-terminal: the program's serial worker in
// its own thread at one end, the simulated DTU with its displays at the other.

#include "batchsession.h"
#include "devicesim.h"
#include "dtuframe.h"
#include "dtusimulator.h"
#include "payload.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <memory>

namespace {

constexpr quint32 kDisplayA = 1674097996u;
constexpr quint32 kDisplayB = 1674097997u;
constexpr quint32 kAbsent = 1674097998u;

QImage picture()
{
    QImage img(90, 70, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 255 / 89, y * 255 / 69, (x * y) % 256));
    return img;
}

// Fields of one table row in its CSV form, without the row's line end.
QStringList csvFields(const BatchResults& results, int nRow)
{
    const QStringList lines = QString::fromUtf8(results.toCsv()).split(QStringLiteral("\r\n"));
    return lines.value(nRow + 1).split(QLatin1Char(','));
}

}  // namespace

class TestBatchSession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void eachAddressGetsTheImageAndRetryTakesOnlyTheFailed();
    void stopLeavesTheRestToDo();
    void refusedPayloadEndsTheBatchBeforeAnyFrame();

private:
    TransferOptions options(const QImage& image) const;
    bool runToEnd(const QVector<int>& rows, const QImage& image);

    std::unique_ptr<DtuSimulator> m_sim;
    QThread m_thread;
    WorkerSerial* m_worker = nullptr;
    std::unique_ptr<BatchResults> m_results;
    std::unique_ptr<BatchSession> m_batch;
    QList<QByteArray> m_received;  // frames the DTU got
    QMap<quint32, QImage> m_images;  // what each display decoded
};

void TestBatchSession::init()
{
    SimConfig config;
    config.displays = { kDisplayA, kDisplayB };
    config.wakeDelayMs = 5;
    config.drawDelayMs = 5;
    config.echo = false;
    m_sim = std::make_unique<DtuSimulator>(config);
    QString error;
    QVERIFY2(m_sim->start(error), qPrintable(error));
    connect(m_sim.get(), &DtuSimulator::frameReceived, this, [this](const QByteArray& f) { m_received << f; });
    connect(m_sim.get(), &DtuSimulator::imageReceived, this,
            [this](quint32 nAddr, const QImage& image) { m_images.insert(nAddr, image); });

    m_worker = new WorkerSerial;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QCOMPARE(openWorkerPort(m_worker, m_sim->portPath()), 8);

    m_results = std::make_unique<BatchResults>();
    m_batch = std::make_unique<BatchSession>(m_results.get());
    TransferTimeouts timeouts;
    timeouts.nAckMs = 2000;
    m_batch->setTimeouts(timeouts);
    connect(m_batch.get(), &BatchSession::frameOut, m_worker, &WorkerSerial::sendData);
    connect(m_worker, &WorkerSerial::dtuResponse, m_batch.get(), &BatchSession::answer);
}

void TestBatchSession::cleanup()
{
    m_batch.reset();
    m_results.reset();
    WorkerSerial* doomed = m_worker;
    QMetaObject::invokeMethod(doomed, [doomed] { delete doomed; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    m_sim.reset();
    m_received.clear();
    m_images.clear();
}

TransferOptions TestBatchSession::options(const QImage& image) const
{
    TransferOptions opt;
    opt.image = image;
    opt.payload.bRle = true;
    opt.payload.nCompress = kCompressLzma;
    opt.payload.strSavePath.clear();
    // The absent display's wake-up times out after 4 x 40 ms.
    opt.nKeepTimeMs = 40;
    return opt;
}

bool TestBatchSession::runToEnd(const QVector<int>& rows, const QImage& image)
{
    QSignalSpy finished(m_batch.get(), &BatchSession::finished);
    if (!m_batch->start(options(image), rows))
        return false;
    return finished.count() == 1 || finished.wait(15000);
}

void TestBatchSession::eachAddressGetsTheImageAndRetryTakesOnlyTheFailed()
{
    const QImage image = scaledForDisplay(picture());
    m_results->setAddresses({ kDisplayA, kAbsent, kDisplayB });
    QSignalSpy progress(m_batch.get(), &BatchSession::progress);
    QVERIFY(runToEnd({ 0, 1, 2 }, image));
    QVERIFY(!m_batch->isRunning());
    // The last display reports after drawing, when the batch may have ended.
    QTRY_COMPARE(m_results->item(2).report, QStringLiteral("刷屏成功"));

    const QByteArray payload = [&] {
        QByteArray p;
        PayloadOptions po = options(image).payload;
        buildPayload(p, image, po);
        return p;
    }();
    const quint32 nPackets = quint32(packetCount(payload.size()));
    for (const int nRow : { 0, 2 }) {
        const BatchItem& item = m_results->item(nRow);
        QCOMPARE(item.state, BatchItem::State::Succeeded);
        QCOMPARE(item.wakeUp, QStringLiteral("成功"));
        QVERIFY(item.nWakeUpMs >= 0);
        QCOMPARE(item.nPacketsAcked, nPackets);
        QCOMPARE(item.nPacketCount, nPackets);
        QVERIFY(item.nTotalMs >= item.nWakeUpMs);
        QCOMPARE(item.report, QStringLiteral("刷屏成功"));
        QVERIFY(item.error.isEmpty());
        // What the display decoded is what the page previews.
        QCOMPARE(m_images.value(item.nAddr), asSentImage(image));
    }
    const BatchItem& absent = m_results->item(1);
    QCOMPARE(absent.state, BatchItem::State::Failed);
    QCOMPARE(absent.wakeUp, QStringLiteral("超时"));
    QCOMPARE(absent.error, QStringLiteral("唤醒超时"));
    QCOMPARE(absent.nPacketCount, 0u);
    QCOMPARE(progress.last().at(0).toInt(), 100);

    QCOMPARE(csvFields(*m_results, 0).mid(0, 3), QStringList({ "1674097996", "成功", "成功" }));
    QCOMPARE(csvFields(*m_results, 0).at(BatchResults::ColPackets), QStringLiteral("%1/%1").arg(nPackets));
    QCOMPARE(csvFields(*m_results, 1).mid(0, 3), QStringList({ "1674097998", "失败", "超时" }));
    QCOMPARE(csvFields(*m_results, 1).at(BatchResults::ColError), QStringLiteral("唤醒超时"));

    // Retry: only the absent display is called again; the others keep their rows.
    QCOMPARE(m_results->unfinishedRows(), QVector<int>({ 1 }));
    const QStringList row0 = csvFields(*m_results, 0);
    const QStringList row2 = csvFields(*m_results, 2);
    m_received.clear();
    QVERIFY(runToEnd(m_results->unfinishedRows(), image));
    QVERIFY(!m_received.isEmpty());
    for (const QByteArray& frame : qAsConst(m_received)) {
        QCOMPARE(int(frameControl(frame)), int(dtu::kCtlAwaken));
        QCOMPARE(qFromLittleEndian<quint32>(frame.constData() + dtu::kPayloadOffset), kAbsent);
    }
    QCOMPARE(m_results->item(1).state, BatchItem::State::Failed);
    QCOMPARE(csvFields(*m_results, 0), row0);
    QCOMPARE(csvFields(*m_results, 2), row2);
}

void TestBatchSession::stopLeavesTheRestToDo()
{
    m_results->setAddresses({ kDisplayA, kDisplayB });
    QSignalSpy finished(m_batch.get(), &BatchSession::finished);
    QVERIFY(m_batch->start(options(scaledForDisplay(picture())), { 0, 1 }));
    m_batch->stop();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_results->item(0).state, BatchItem::State::Stopped);
    QCOMPARE(m_results->item(0).error, QStringLiteral("手动停止"));
    QCOMPARE(m_results->item(1).state, BatchItem::State::Waiting);
    QCOMPARE(m_results->unfinishedRows(), QVector<int>({ 0, 1 }));
    // Nothing more goes out once stopped.
    QTest::qWait(100);
    for (const QByteArray& frame : qAsConst(m_received))
        QCOMPARE(int(frameControl(frame)), int(dtu::kCtlAwaken));
}

void TestBatchSession::refusedPayloadEndsTheBatchBeforeAnyFrame()
{
    m_results->setAddresses({ kDisplayA, kDisplayB });
    QSignalSpy out(m_batch.get(), &BatchSession::frameOut);
    QVERIFY(!m_batch->start(options(QImage()), { 0, 2 }));
    QSignalSpy refused(m_batch.get(), &BatchSession::payloadRefused);
    QVERIFY(runToEnd({ 0, 1 }, QImage()));
    QCOMPARE(out.count(), 0);
    QCOMPARE(refused.count(), 1);
    QCOMPARE(m_results->item(0).state, BatchItem::State::Failed);
    QCOMPARE(m_results->item(0).error, refused.at(0).at(0).toString());
    QCOMPARE(m_results->item(1).state, BatchItem::State::Waiting);
}

QTEST_GUILESS_MAIN(TestBatchSession)
#include "tst_batchsession.moc"
