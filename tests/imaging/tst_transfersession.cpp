#include "answerframes.h"
#include "dtuframe.h"
#include "manualclock.h"
#include "sessionrecorder.h"
#include "transfersession.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(TransferSession::Flavour)
Q_DECLARE_METATYPE(StepResult)
Q_DECLARE_METATYPE(TransferPlan)

// One transfer, driven synchronously: answers go in, the manual clock
// moves, frames and events come out.
class TestTransferSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void wakeUpEndsAsAnswered_data();
    void wakeUpEndsAsAnswered();
    void completionTimeCountsFromTheFlavoursStart_data();
    void completionTimeCountsFromTheFlavoursStart();
    void everyFailedAcknowledgementEndsThePackets_data();
    void everyFailedAcknowledgementEndsThePackets();
    void lostAcknowledgementTimesOutAndLateOneIsIgnored();
    void eachDeviceFollowsItsOwnSequence();
    void stopEndsSilently_data();
    void stopEndsSilently();
    void displayReportsAreLoggedInEveryPhaseOfTheImagePage();
    void answersOutsideTheirPhaseAreIgnored_data();
    void answersOutsideTheirPhaseAreIgnored();
    void refusedPayloadSendsNothing_data();
    void refusedPayloadSendsNothing();
    void floodOfStrayFramesKeepsTheInvariants();

private:
    TransferOptions options(int nPayloadSize, quint32 nAddr, TransferPlan plan) const;

    QTemporaryDir m_dir;
};

namespace {

QByteArray displayFrame(quint32 nDisplay, int nState)
{
    return encodeFrame(3, dtu::kCtlDisplayState, u32le(nDisplay) + QByteArray(1, char(nState)));
}

}  // namespace

void TestTransferSession::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

TransferOptions TestTransferSession::options(int nPayloadSize, quint32 nAddr, TransferPlan plan) const
{
    // A raw file: the payload is its 16-byte header and the file's bytes.
    const QString path = m_dir.filePath(QStringLiteral("f%1.bin").arg(nPayloadSize));
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QByteArray bytes(qMax(0, nPayloadSize - 16), '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 13 + 1);
    f.write(bytes);
    f.close();
    TransferOptions opt;
    opt.image = QImage(4, 4, QImage::Format_RGB32);
    opt.payload.bRle = false;
    opt.payload.nCompress = kCompressNone;
    opt.payload.strFilePath = path;
    opt.payload.nFileSize = quint32(bytes.size());
    opt.payload.strSavePath.clear();
    opt.nAddr = nAddr;
    opt.nKeepTimeMs = 100;
    opt.plan = plan;
    return opt;
}

void TestTransferSession::wakeUpEndsAsAnswered_data()
{
    QTest::addColumn<TransferSession::Flavour>("flavour");
    QTest::addColumn<QByteArray>("answer");  // empty: none
    QTest::addColumn<int>("keepTimeMs");
    QTest::addColumn<int>("waitMs");         // before the answer
    QTest::addColumn<StepResult>("result");
    QTest::addColumn<QStringList>("tail");   // the last events

    const auto S = TransferSession::Single;
    const auto R = TransferSession::Repeated;
    const QByteArray ok = awakenAnswerFrame(77, 0);
    QTest::newRow("image page: answered, packets follow")
        << S << ok << 1000 << 1250 << StepResult::Succeeded
        << QStringList { "log:\n唤醒地址: 77, 成功 耗时: 1.250 秒", "step:wake=ok", "frame:a0#0@0" };
    QTest::newRow("image page: refused")
        << S << awakenAnswerFrame(0, 3) << 100 << 10 << StepResult::Refused
        << QStringList { "red:\n唤醒地址: 广播, 失败 耗时: 0.010 秒", "step:wake=refused", "finished" };
    QTest::newRow("image page: timed out after 4 x keep time, dots each second")
        << S << QByteArray() << 450 << 1800 << StepResult::TimedOut
        << QStringList { "log: .", "notice:唤醒超时", "red:\n唤醒超时", "step:wake=timeout", "finished" };
    QTest::newRow("image page: keep time 0 times out at once")
        << S << QByteArray() << 0 << 0 << StepResult::TimedOut
        << QStringList { "log:等待唤醒.", "notice:唤醒超时", "red:\n唤醒超时", "step:wake=timeout", "finished" };
    QTest::newRow("test task: answered without a wait line")
        << R << ok << 100 << 40 << StepResult::Succeeded
        << QStringList { "log:唤醒地址: 77, 成功 耗时: 0.040 秒", "step:wake=ok", "log:准备发送文件大小: 1,024 字节",
                         "frame:a0#0@0" };
    QTest::newRow("test task: a short answer fails the wake-up")
        << R << encodeFrame(0, dtu::kCtlAwaken, QByteArray(4, '\0')) << 100 << 10 << StepResult::Refused
        << QStringList { "step:wake=refused", "finished" };
    QTest::newRow("test task: timed out after 3 x keep time")
        << R << QByteArray() << 100 << 300 << StepResult::TimedOut
        << QStringList { "notice:唤醒超时", "red:唤醒超时", "step:wake=timeout" };
}

void TestTransferSession::wakeUpEndsAsAnswered()
{
    QFETCH(TransferSession::Flavour, flavour);
    QFETCH(QByteArray, answer);
    QFETCH(int, keepTimeMs);
    QFETCH(int, waitMs);
    QFETCH(StepResult, result);
    QFETCH(QStringList, tail);
    ManualClock clock;
    TransferSession session(flavour, &clock);
    SessionRecorder rec(&session);
    TransferOptions opt = options(1024, 77, TransferPlan::WakeUpThenSend);
    opt.nKeepTimeMs = quint32(keepTimeMs);
    QVERIFY(session.start(opt));
    QCOMPARE(rec.frames.value(0), encodeFrame(0, dtu::kCtlAwaken, u32le(77) + u32le(opt.nKeepTimeMs)));
    if (waitMs > 0) {
        QVERIFY(clock.advance(waitMs - 1));
        QCOMPARE(session.phase(), TransferSession::Phase::WakingUp);
    }
    QVERIFY(clock.advance(waitMs > 0 ? 1 : 0));
    if (!answer.isEmpty())
        session.answer(answer);
    QCOMPARE(rec.events.mid(rec.events.size() - tail.size()), tail);
    QCOMPARE(rec.outcome.wakeUp, rec.nFinished ? result : StepResult::NotRun);
    if (flavour == TransferSession::Single && answer.isEmpty()) {
        QCOMPARE(rec.only("log").count(" ."), waitMs / 1000);  // a dot a second until the time-out
        const QStringList events = rec.events;
        session.answer(awakenAnswerFrame(77, 0));  // too late for the image page
        QCOMPARE(rec.events, events);
    }
}

void TestTransferSession::completionTimeCountsFromTheFlavoursStart_data()
{
    QTest::addColumn<TransferSession::Flavour>("flavour");
    QTest::addColumn<QString>("line");
    // 700 ms to the wake-up answer, then 2 x 300 ms for the packets.
    QTest::newRow("image page: from the wake-up request") << TransferSession::Single
                                                          << "本次发送完毕, 耗时: 1.300 秒";
    QTest::newRow("test task: from the first packet") << TransferSession::Repeated << "本次发送完毕, 耗时: 0.600 秒";
}

void TestTransferSession::completionTimeCountsFromTheFlavoursStart()
{
    QFETCH(TransferSession::Flavour, flavour);
    QFETCH(QString, line);
    ManualClock clock;
    TransferSession session(flavour, &clock);
    SessionRecorder rec(&session);
    TransferOptions opt = options(1025, 9, TransferPlan::WakeUpThenSend);
    opt.nKeepTimeMs = 1000;
    QVERIFY(session.start(opt));
    QVERIFY(clock.advance(700));
    session.answer(awakenAnswerFrame(9, 0));
    QVERIFY(clock.advance(300));
    session.answer(ackFrame(9, 2, 0, 0));
    QVERIFY(clock.advance(300));
    session.answer(ackFrame(9, 2, 1, 0));
    QCOMPARE(rec.only("frame"), (QStringList { "10", "a0#0@0", "a0#1@9" }));
    QCOMPARE(rec.only("progress"), (QStringList { "50", "100" }));
    QCOMPARE(rec.only("log").last(), line);
    QCOMPARE(rec.outcome.send, StepResult::Succeeded);
    QCOMPARE(rec.outcome.nPacketsAcked, 2u);
    QCOMPARE(rec.outcome.nTotalMs, 1300);
    QCOMPARE(session.phase(), TransferSession::Phase::Done);
    QCOMPARE(clock.activeTimers(), 0);
}

void TestTransferSession::everyFailedAcknowledgementEndsThePackets_data()
{
    QTest::addColumn<QByteArray>("ack");
    QTest::addColumn<QString>("line");  // empty: too short for one
    QTest::addColumn<int>("event");
    const char* const texts[] = { "接收成功", "缓存不足", "校验错误", "保存失败", "转发失败", "拒绝", "其他异常", "总包数异常" };
    for (int s = 1; s < 8; ++s)
        QTest::addRow("status %d", s) << ackFrame(9, 1, 0, s)
                                      << QStringLiteral("当前包:   1, 总包：1, 状态: %1").arg(texts[s]) << s;
    QTest::newRow("status 200") << ackFrame(9, 1, 0, 200) << "当前包:   1, 总包：1, 状态: 其他异常" << 200;
    QTest::newRow("count 0") << ackFrame(9, 0, 0, 0) << "当前包:   1, 总包：0, 状态: 当前包数异常" << 0;
    QTest::newRow("index past count") << ackFrame(9, 1, 1, 0) << "当前包:   2, 总包：1, 状态: 当前包数异常" << 0;
    // Two bytes: offset 11 is then the checksum.
    const QByteArray shortAck = encodeFrame(9, dtu::kCtlPacket, QByteArray::fromHex("0100"));
    QTest::newRow("short") << shortAck << QString() << int(quint8(shortAck[11]));
}

void TestTransferSession::everyFailedAcknowledgementEndsThePackets()
{
    QFETCH(QByteArray, ack);
    QFETCH(QString, line);
    QFETCH(int, event);
    ManualClock clock;
    TransferSession session(TransferSession::Single, &clock);
    SessionRecorder rec(&session);
    QVERIFY(session.start(options(1024, 0, TransferPlan::SendOnly)));
    session.answer(ack);
    QStringList tail { QStringLiteral("notice:文件发送异常 %1").arg(event), "red:本次发送异常", "step:send=refused",
                       "finished" };
    if (!line.isEmpty())
        tail.prepend("red:" + line);
    QCOMPARE(rec.events.mid(rec.events.size() - tail.size()), tail);
    QVERIFY(rec.outcome.failedOnTheLine());
    QCOMPARE(clock.activeTimers(), 0);
}

void TestTransferSession::lostAcknowledgementTimesOutAndLateOneIsIgnored()
{
    ManualClock clock;
    TransferSession session(TransferSession::Single, &clock);
    SessionRecorder rec(&session);
    QVERIFY(session.start(options(3000, 0, TransferPlan::SendOnly)));
    QVERIFY(clock.advance(4000));
    session.answer(ackFrame(5, 3, 0, 0));  // restarts the 5 s wait
    QVERIFY(clock.advance(4999));
    QCOMPARE(session.phase(), TransferSession::Phase::SendingPackets);
    QVERIFY(clock.advance(1));
    QCOMPARE(rec.events.mid(rec.events.size() - 4),
             (QStringList { "notice:文件发送超时", "red:文件发送超时", "step:send=timeout", "finished" }));
    const int n = rec.events.size();
    session.answer(ackFrame(5, 3, 1, 0));
    QVERIFY(clock.advance(20000));
    QCOMPARE(rec.events.size(), n);
}

void TestTransferSession::eachDeviceFollowsItsOwnSequence()
{
    ManualClock clock;
    TransferSession session(TransferSession::Single, &clock);
    SessionRecorder rec(&session);
    QVERIFY(session.start(options(3000, 0, TransferPlan::SendOnly)));
    session.answer(ackFrame(5, 3, 0, 0));
    session.answer(ackFrame(6, 3, 0, 0));
    session.answer(ackFrame(5, 3, 1, 0));
    session.answer(ackFrame(5, 3, 2, 0));  // device 5 completes: the transfer ends
    session.answer(ackFrame(6, 3, 1, 0));
    QCOMPARE(rec.only("frame"), (QStringList { "a0#0@0", "a0#1@5", "a0#1@6", "a0#2@5" }));
    QCOMPARE(rec.only("progress"), (QStringList { "33", "33", "66", "100" }));
    QCOMPARE(rec.nFinished, 1);
    QCOMPARE(rec.outcome.send, StepResult::Succeeded);
    // The next transfer starts from the broadcast packet only.
    QVERIFY(session.start(options(3000, 0, TransferPlan::SendOnly)));
    QCOMPARE(rec.only("frame").last(), QStringLiteral("a0#0@0"));
    QCOMPARE(rec.only("frame").size(), 5);
}

void TestTransferSession::stopEndsSilently_data()
{
    QTest::addColumn<TransferPlan>("plan");
    QTest::addColumn<StepResult>("wakeUp");
    QTest::addColumn<StepResult>("send");
    QTest::newRow("waking up") << TransferPlan::WakeUpThenSend << StepResult::Stopped << StepResult::NotRun;
    QTest::newRow("sending packets") << TransferPlan::SendOnly << StepResult::NotRun << StepResult::Stopped;
}

void TestTransferSession::stopEndsSilently()
{
    QFETCH(TransferPlan, plan);
    QFETCH(StepResult, wakeUp);
    QFETCH(StepResult, send);
    ManualClock clock;
    TransferSession session(TransferSession::Single, &clock);
    SessionRecorder rec(&session);
    QVERIFY(session.start(options(2000, 8, plan)));
    const QString text = rec.text();
    const int nFrames = rec.frames.size();
    session.stop();
    session.answer(awakenAnswerFrame(8, 0));
    session.answer(ackFrame(8, 2, 0, 0));
    QVERIFY(clock.advance(60000));
    QCOMPARE(rec.text(), text);
    QCOMPARE(rec.frames.size(), nFrames);
    QCOMPARE(rec.outcome.wakeUp, wakeUp);
    QCOMPARE(rec.outcome.send, send);
    QCOMPARE(clock.activeTimers(), 0);
}

void TestTransferSession::displayReportsAreLoggedInEveryPhaseOfTheImagePage()
{
    ManualClock clock;
    TransferSession page(TransferSession::Single, &clock);
    TransferSession test(TransferSession::Repeated, &clock);
    SessionRecorder rec(&page);
    SessionRecorder quiet(&test);
    page.answer(displayFrame(12, 0));
    QVERIFY(page.start(options(1024, 4, TransferPlan::WakeUpThenSend)));
    page.answer(displayFrame(13, 4));
    page.answer(awakenAnswerFrame(4, 0));
    page.answer(displayFrame(14, 1));
    page.answer(encodeFrame(3, dtu::kCtlDisplayState, u32le(15)));  // too short
    page.answer(ackFrame(4, 1, 0, 0));
    page.answer(displayFrame(16, 2));
    QCOMPARE(rec.events.filter("墨水屏"),
             (QStringList { "log:墨水屏 #12 状态: 刷屏成功", "red:墨水屏 #13 状态: 刷屏成功", "red:墨水屏 #14 状态: 解码失败",
                            "red:墨水屏 #16 状态: 刷屏失败" }));
    test.answer(displayFrame(12, 0));
    QVERIFY(test.start(options(1024, 4, TransferPlan::WakeUpOnly)));
    test.answer(displayFrame(12, 0));
    QVERIFY(quiet.events.filter("墨水屏").isEmpty());
}

void TestTransferSession::answersOutsideTheirPhaseAreIgnored_data()
{
    QTest::addColumn<TransferPlan>("plan");
    QTest::addColumn<QList<QByteArray>>("before");  // answers that move the session on
    QTest::addColumn<QByteArray>("stray");
    QTest::newRow("acknowledgement while idle") << TransferPlan::SendOnly << QList<QByteArray> {} << ackFrame(0, 1, 0, 7);
    QTest::newRow("acknowledgement while waking up")
        << TransferPlan::WakeUpThenSend << QList<QByteArray> { {} } << ackFrame(0, 2, 0, 7);
    QTest::newRow("second wake-up answer while sending packets")
        << TransferPlan::WakeUpThenSend << QList<QByteArray> { {}, awakenAnswerFrame(3, 0) } << awakenAnswerFrame(3, 0);
    QTest::newRow("wake-up answer after a refusal")
        << TransferPlan::WakeUpThenSend << QList<QByteArray> { {}, awakenAnswerFrame(3, 1) } << awakenAnswerFrame(3, 0);
    QTest::newRow("acknowledgement after completion")
        << TransferPlan::SendOnly << QList<QByteArray> { {}, ackFrame(3, 2, 0, 0), ackFrame(3, 2, 1, 0) }
        << ackFrame(3, 2, 1, 0);
    QByteArray badHead = ackFrame(3, 2, 0, 0);
    badHead[0] = char(0xAB);
    QByteArray lengthPastFrame = ackFrame(3, 2, 0, 0);
    lengthPastFrame[7] = char(0x20);
    const QList<QByteArray> sending { {} };
    QTest::newRow("head other than 0xAA") << TransferPlan::SendOnly << sending << badHead;
    QTest::newRow("length past the frame") << TransferPlan::SendOnly << sending << lengthPastFrame;
    QTest::newRow("empty payload") << TransferPlan::SendOnly << sending << encodeFrame(3, dtu::kCtlPacket, QByteArray());
    QTest::newRow("payload over 1024 bytes")
        << TransferPlan::SendOnly << sending << encodeFrame(3, dtu::kCtlPacket, QByteArray(1025, '\0'));
    QTest::newRow("two bytes") << TransferPlan::SendOnly << sending << QByteArray::fromHex("AA01");
    QTest::newRow("unknown control code while sending")
        << TransferPlan::SendOnly << QList<QByteArray> { {} } << encodeFrame(3, 0x55, QByteArray(3, '\0'));
}

void TestTransferSession::answersOutsideTheirPhaseAreIgnored()
{
    QFETCH(TransferPlan, plan);
    QFETCH(QList<QByteArray>, before);
    QFETCH(QByteArray, stray);
    for (const TransferSession::Flavour flavour : { TransferSession::Single, TransferSession::Repeated }) {
        ManualClock clock;
        TransferSession session(flavour, &clock);
        SessionRecorder rec(&session);
        for (const QByteArray& a : before) {
            if (a.isEmpty())
                QVERIFY(session.start(options(2000, 3, plan)));
            else
                session.answer(a);
        }
        const QStringList events = rec.events;
        session.answer(stray);
        QCOMPARE(rec.events, events);
    }
}

void TestTransferSession::refusedPayloadSendsNothing_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("noImage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no image") << 1024 << true << "生成图片数据失败: 没有可发送的图片";
    QTest::newRow("one byte over 255 packets") << 255 * 1024 + 1 << false << "图片数据过大: 261,121 字节, 超过 255 包, 无法发送";
}

void TestTransferSession::refusedPayloadSendsNothing()
{
    QFETCH(int, size);
    QFETCH(bool, noImage);
    QFETCH(QString, reason);
    ManualClock clock;
    TransferSession page(TransferSession::Single, &clock);
    TransferSession test(TransferSession::Repeated, &clock);
    SessionRecorder pageRec(&page);
    SessionRecorder testRec(&test);
    TransferOptions opt = options(size, 0, TransferPlan::SendOnly);
    if (noImage)
        opt.image = QImage();
    QVERIFY(!page.start(opt));
    QCOMPARE(pageRec.events, QStringList { "refused:" + reason });
    QVERIFY(!page.isBusy());
    // The test task builds its payload when the packets are due.
    QVERIFY(!test.start(opt));
    QCOMPARE(testRec.events, (QStringList { "refused:" + reason, "step:send=payload", "finished" }));
    QCOMPARE(clock.activeTimers(), 0);
    // Exactly 255 packets go out.
    QVERIFY(page.start(options(255 * 1024, 0, TransferPlan::SendOnly)));
    QCOMPARE(quint8(pageRec.frames.last().at(17)), quint8(255));
}

void TestTransferSession::floodOfStrayFramesKeepsTheInvariants()
{
    // Well-formed frames of every control code, in every phase, from a
    // fixed seed: whatever they do, a transfer never sends one packet index
    // twice to a device, logs nothing after its outcome and leaves no timer.
    QRandomGenerator rng(20261207);
    const quint8 codes[] = { dtu::kCtlAwaken, dtu::kCtlPacket, dtu::kCtlDisplayState, 0x01, 0x55 };
    for (int round = 0; round < 300; ++round) {
        ManualClock clock;
        const auto flavour = round % 2 ? TransferSession::Repeated : TransferSession::Single;
        TransferSession session(flavour, &clock);
        SessionRecorder rec(&session);
        const auto plan = TransferPlan(rng.bounded(4));
        session.start(options(1024 * int(rng.bounded(1, 4)) - 5, 3, plan));
        for (int i = 0; i < 40; ++i) {
            const quint8 nCtl = codes[rng.bounded(5)];
            const quint32 nDevice = rng.bounded(3);
            QByteArray payload;
            if (nCtl == dtu::kCtlPacket)
                payload = ackFrame(nDevice, int(rng.bounded(4)), int(rng.bounded(4)), rng.bounded(3) == 0 ? 1 : 0).mid(9, 3);
            else
                payload = u32le(nDevice) + QByteArray(1, char(rng.bounded(3) == 0 ? 1 : 0));
            payload.truncate(int(rng.bounded(1, payload.size() + 1)));
            session.answer(encodeFrame(nDevice, nCtl, payload));
            QVERIFY(clock.advance(rng.bounded(600)));
        }
        QVERIFY(clock.advance(100000));
        session.stop();
        QCOMPARE(rec.nFinished, 1);
        const QString trace = rec.events.join(" | ");
        for (const QString& e : rec.events.mid(rec.events.indexOf("finished")))
            QVERIFY2(e.contains(QStringLiteral("墨水屏")) || !QRegularExpression("^(log|red|frame|notice|progress):").match(e).hasMatch(),
                     qPrintable(trace));
        // Every good acknowledgement released one packet, except the last one of a completed phase.
        if (rec.packetFrames() > 0)
            QCOMPARE(int(rec.outcome.nPacketsAcked),
                     rec.packetFrames() - 1 + int(rec.outcome.send == StepResult::Succeeded));
        QSet<QString> sent;
        for (const QString& f : rec.only("frame").filter("a0#")) {
            const QString key = f.section('#', 1).section('@', 0, 0) + '@' + f.section('@', 1);
            QVERIFY2(!sent.contains(key), qPrintable(trace));
            sent.insert(key);
        }
        QVERIFY2(rec.only("frame").count("10") <= 1, qPrintable(trace));
        QCOMPARE(clock.activeTimers(), 0);
    }
}

QTEST_GUILESS_MAIN(TestTransferSession)
#include "tst_transfersession.moc"
