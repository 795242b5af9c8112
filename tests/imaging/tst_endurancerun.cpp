#include "answerframes.h"
#include "dtuframe.h"
#include "endurancerun.h"
#include "manualclock.h"
#include "sessionrecorder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TransferPlan)

// The repeated test on a manual clock: interval 10 s, keep time 100 ms
// (wake-up time-out 300 ms), one-packet payload, device 77.
class TestEnduranceRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void modesCountTheirStepsAndPace_data();
    void modesCountTheirStepsAndPace();
    void intervalThatIsNotPositiveStartsNothing_data();
    void intervalThatIsNotPositiveStartsNothing();
    void lateWakeUpAnswerIsLoggedNotCountedAndStillSends();
    void stopClearsCountersAndIgnoresLaterAnswers();
    void dueTaskCutsOffTheRunningTransfer();
    void unbuildablePayloadOnlyReportsTheReason();
    void floodOfStrayFramesKeepsTheCountersConsistent();

private:
    EnduranceOptions options(TransferPlan plan) const;
    // Plays the device: per task a wake-up result and an acknowledgement
    // status (-1: silent), until the next task has started.
    static void playTasks(EnduranceRun& run, ManualClock& clock, SessionRecorder& rec, const QList<int>& script);

    QTemporaryDir m_dir;
    QString m_file;
};

void TestEnduranceRun::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath("raw.bin");
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(1008, 'x'));
}

EnduranceOptions TestEnduranceRun::options(TransferPlan plan) const
{
    EnduranceOptions opt;
    opt.transfer.image = QImage(4, 4, QImage::Format_RGB32);
    opt.transfer.payload.bRle = false;
    opt.transfer.payload.nCompress = kCompressNone;
    opt.transfer.payload.strFilePath = m_file;
    opt.transfer.payload.strSavePath.clear();
    opt.transfer.nAddr = 77;
    opt.transfer.nKeepTimeMs = 100;
    opt.transfer.plan = plan;
    opt.nIntervalMs = 10000;
    return opt;
}

void TestEnduranceRun::playTasks(EnduranceRun& run, ManualClock& clock, SessionRecorder& rec, const QList<int>& script)
{
    int nSeen = 0;
    for (int t = 0; t < script.size() / 2; ++t) {
        // Answer the task's frames as they come, until the next task starts.
        for (int n = 0; n < 1000 && run.counters().nTasks == quint32(t + 1); ++n) {
            for (; nSeen < rec.frames.size(); ++nSeen) {
                const int nAnswer = script[2 * t + (frameControl(rec.frames[nSeen]) == dtu::kCtlAwaken ? 0 : 1)];
                if (nAnswer < 0)
                    continue;
                run.answer(frameControl(rec.frames[nSeen]) == dtu::kCtlAwaken ? awakenAnswerFrame(77, nAnswer)
                                                                             : ackFrame(77, 1, 0, nAnswer));
            }
            QVERIFY(clock.advance(100));
        }
    }
}

void TestEnduranceRun::modesCountTheirStepsAndPace_data()
{
    QTest::addColumn<TransferPlan>("plan");
    QTest::addColumn<QList<int>>("script");      // per task: wake-up answer, acknowledgement (-1 silent)
    QTest::addColumn<QList<int>>("counters");    // awaken ok, awaken fail, send ok, send fail
    QTest::addColumn<QString>("stats");          // logged before the next task
    QTest::addColumn<int>("frames");             // frames sent, the next task's included

    QTest::newRow("wake-up only: five answered")
        << TransferPlan::WakeUpOnly << QList<int> { 0, -1, 0, -1, 0, -1, 0, -1, 0, -1 } << QList<int> { 5, 0, 0, 0 }
        << "成功: 唤醒 5 次, 发送 0 次, 总 5 次\n\n" << 6;
    QTest::newRow("send only: one refused, one complete")
        << TransferPlan::SendOnly << QList<int> { -1, 0, -1, 5 } << QList<int> { 0, 0, 1, 1 }
        << "成功: 唤醒 0 次, 发送 1 次, 总 1 次\n失败: 唤醒 0 次, 发送 1 次, 总 1 次\n\n" << 3;
    QTest::newRow("wake-up then send: a time-out and two transfers")
        << TransferPlan::WakeUpThenSend << QList<int> { -1, -1, 0, 0, 0, 0 } << QList<int> { 2, 1, 2, 0 }
        << "成功: 唤醒 2 次, 发送 2 次, 总 2 次\n失败: 唤醒 1 次, 发送 0 次, 总 1 次\n\n" << 6;
    QTest::newRow("send then wake-up: the wake-up decides the task")
        << TransferPlan::SendThenWakeUp << QList<int> { 0, 0, 2, 0 } << QList<int> { 1, 1, 2, 0 }
        << "成功: 唤醒 1 次, 发送 2 次, 总 1 次\n失败: 唤醒 1 次, 发送 0 次, 总 1 次\n\n" << 5;
}

void TestEnduranceRun::modesCountTheirStepsAndPace()
{
    QFETCH(TransferPlan, plan);
    QFETCH(QList<int>, script);
    QFETCH(QList<int>, counters);
    QFETCH(QString, stats);
    QFETCH(int, frames);
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    QVERIFY(run.run(options(plan)));
    playTasks(run, clock, rec, script);
    const EnduranceCounters c = run.counters();
    QCOMPARE((QList<int> { int(c.nAwakenOk), int(c.nAwakenFail), int(c.nSendOk), int(c.nSendFail) }), counters);
    QCOMPARE(c.nTasks, quint32(script.size() / 2 + 1));
    QVERIFY2(rec.text().contains(stats + QStringLiteral("[03:04:")), qPrintable(rec.text()));
    QCOMPARE(rec.frames.size(), frames);
    QCOMPARE(rec.tasks.size(), script.size() / 2);
}

void TestEnduranceRun::intervalThatIsNotPositiveStartsNothing_data()
{
    QTest::addColumn<qint64>("intervalMs");
    QTest::newRow("0") << qint64(0);
    QTest::newRow("wraps negative as 32 bits") << qint64(3000000) * 1000;
}

void TestEnduranceRun::intervalThatIsNotPositiveStartsNothing()
{
    QFETCH(qint64, intervalMs);
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    EnduranceOptions opt = options(TransferPlan::WakeUpOnly);
    opt.nIntervalMs = intervalMs;
    QVERIFY(!run.run(opt));
    QCOMPARE(rec.events, QStringList { "red:间隔时间错误" });
    QCOMPARE(clock.activeTimers(), 0);
}

void TestEnduranceRun::lateWakeUpAnswerIsLoggedNotCountedAndStillSends()
{
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    QVERIFY(run.run(options(TransferPlan::WakeUpThenSend)));
    QVERIFY(clock.advance(400));
    QVERIFY(rec.text().endsWith(QStringLiteral("唤醒超时\n")));
    run.answer(awakenAnswerFrame(77, 0));
    QVERIFY(rec.text().contains(QStringLiteral("唤醒地址: 77, 成功 耗时: 0.400 秒")));
    run.answer(ackFrame(77, 1, 0, 0));
    const EnduranceCounters c = run.counters();
    QCOMPARE(c.nAwakenOk, 0u);
    QCOMPARE(c.nAwakenFail, 1u);
    QCOMPARE(c.nSendOk, 1u);
}

void TestEnduranceRun::stopClearsCountersAndIgnoresLaterAnswers()
{
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    QVERIFY(run.run(options(TransferPlan::SendOnly)));
    run.stop();
    QVERIFY(rec.text().endsWith(QStringLiteral("手动停止\n")));
    const QStringList events = rec.events;
    run.answer(ackFrame(77, 1, 0, 0));
    QVERIFY(clock.advance(60000));
    QCOMPARE(rec.events, events);
    QCOMPARE(run.counters().nTasks, 0u);
    QCOMPARE(clock.activeTimers(), 0);
}

void TestEnduranceRun::dueTaskCutsOffTheRunningTransfer()
{
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    TransferTimeouts t;
    t.nAckMs = 60000;  // longer than the interval
    run.setTimeouts(t);
    QVERIFY(run.run(options(TransferPlan::SendOnly)));
    run.answer(ackFrame(77, 1, 0, 0));  // task 1 done; task 2 due in 10 s
    QVERIFY(clock.advance(10000));
    QCOMPARE(run.counters().nTasks, 2u);
    QVERIFY(clock.advance(10000));       // task 2 never answered: task 3 ends it
    QCOMPARE(run.counters().nTasks, 3u);
    QCOMPARE(run.counters().nSendFail, 1u);
    QCOMPARE(rec.packetFrames(), 3);
    QVERIFY(rec.text().contains(
        QStringLiteral("文件发送超时\n成功: 唤醒 0 次, 发送 1 次, 总 1 次\n失败: 唤醒 0 次, 发送 1 次, 总 1 次\n")));
    QCOMPARE(rec.tasks.size(), 2);
    QCOMPARE(rec.tasks[1].send, StepResult::TimedOut);
    QCOMPARE(rec.tasks[1].nTask, 2u);
    QCOMPARE(rec.tasks[1].nDurationMs, 10000);
}

void TestEnduranceRun::unbuildablePayloadOnlyReportsTheReason()
{
    ManualClock clock;
    EnduranceRun run(&clock);
    SessionRecorder rec(&run);
    EnduranceOptions opt = options(TransferPlan::SendOnly);
    opt.transfer.payload.strFilePath = m_dir.filePath("gone.bin");
    QVERIFY(run.run(opt));
    QVERIFY(clock.advance(60000));
    QCOMPARE(rec.only("refused"), QStringList { "生成图片数据失败: 无法读取文件 gone.bin" });
    QVERIFY(rec.frames.isEmpty());
    QCOMPARE(run.counters().nTasks, 1u);
    QCOMPARE(run.counters().nSendFail, 0u);
}

void TestEnduranceRun::floodOfStrayFramesKeepsTheCountersConsistent()
{
    // Wake-ups are counted once each (a late answer not at all), packet
    // phases once each, whatever arrives in whichever mode.
    QRandomGenerator rng(7);
    const quint8 codes[] = { dtu::kCtlAwaken, dtu::kCtlPacket, dtu::kCtlDisplayState, 0x30 };
    for (int round = 0; round < 40; ++round) {
        ManualClock clock;
        EnduranceRun run(&clock);
        SessionRecorder rec(&run);
        QVERIFY(run.run(options(TransferPlan(round % 4))));
        for (int i = 0; i < 200; ++i) {
            const quint8 nCtl = codes[rng.bounded(4)];
            const char status = char(rng.bounded(3) == 0 ? 7 : 0);
            run.answer(nCtl == dtu::kCtlPacket ? ackFrame(77, 1, 0, status)
                                               : encodeFrame(0, nCtl, u32le(77) + QByteArray(1, status)));
            QVERIFY(clock.advance(rng.bounded(4000)));
        }
        // Move on to a moment between tasks, when only the task timer runs.
        for (int n = 0; n < 200 && clock.activeTimers() > 1; ++n)
            QVERIFY(clock.advance(100));
        // (None at all when a refused first wake-up left no task timer running.)
        QVERIFY(clock.activeTimers() <= 1);
        const EnduranceCounters c = run.counters();
        const int nWakeUps = rec.frames.size() - rec.packetFrames();
        const int nPhases = rec.only("frame").count("a0#0@0");
        QVERIFY2(int(c.nAwakenOk + c.nAwakenFail) == nWakeUps, qPrintable(rec.text()));
        QVERIFY2(int(c.nSendOk + c.nSendFail) == nPhases, qPrintable(rec.text()));
        QVERIFY(c.nTasks >= 1);
        run.stop();
        QCOMPARE(clock.activeTimers(), 0);
    }
}

QTEST_GUILESS_MAIN(TestEnduranceRun)
#include "tst_endurancerun.moc"
