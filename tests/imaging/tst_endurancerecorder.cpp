#include "answerframes.h"
#include "dtuframe.h"
#include "endurancerecorder.h"
#include "manualclock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint32 kDevice = 77;

// Per task: wake-up answer, acknowledgement status, state report after the
// acknowledgement (each -1: none; a state of 100 + n is n from another display).
struct TaskScript
{
    int nWake;
    int nAck;
    int nReport;
};

QByteArray reportFrame(quint32 nDisplay, int nState)
{
    return encodeFrame(nDisplay, dtu::kCtlDisplayState, u32le(nDisplay) + QByteArray(1, char(nState)));
}

// Table rows of a CSV file: fields of the task rows, and of the counters.
struct ReadBack
{
    QList<QStringList> rows;
    QStringList counters;
};

ReadBack readBack(const QString& path)
{
    QFile f(path);
    ReadBack out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QStringList lines = QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF)).split(QStringLiteral("\r\n"));
    // heading, task rows, empty line, counter names, counter values, ""
    for (int i = 1; i < lines.size() && !lines[i].isEmpty(); ++i)
        out.rows << lines[i].split(QLatin1Char(','));
    out.counters = lines.value(lines.size() - 2).split(QLatin1Char(','));
    return out;
}

int countWhere(const QList<QStringList>& rows, int nColumn, const QStringList& values)
{
    int n = 0;
    for (const QStringList& r : rows)
        n += values.contains(r.value(nColumn));
    return n;
}

}  // namespace

class TestEnduranceRecorder : public QObject
{
    Q_OBJECT

private slots:
    void recordReadsBackAsTheCounters();
    void reportOfAnotherDisplayIsNotTaken();

private:
    // A fresh run and recorder; the run sends an 8 x 8 white display bitmap
    // (one packet) to kDevice with a keep time of 100 ms.
    EnduranceOptions setUpRun(TransferPlan plan);
    // Plays the device for each task until the next task starts.
    void play(const QList<TaskScript>& script);

    QTemporaryDir m_dir;
    ManualClock m_clock;
    std::unique_ptr<EnduranceRun> m_run;
    std::unique_ptr<EnduranceRecorder> m_recorder;
    QList<QByteArray> m_frames;
};

EnduranceOptions TestEnduranceRecorder::setUpRun(TransferPlan plan)
{
    m_frames.clear();
    m_run = std::make_unique<EnduranceRun>(&m_clock);
    m_recorder = std::make_unique<EnduranceRecorder>(m_run.get());
    connect(m_run.get(), &EnduranceRun::frameOut, this, [this](const QByteArray& f) { m_frames << f; });
    EnduranceOptions opt;
    opt.transfer.image = QImage(8, 8, QImage::Format_RGB32);
    opt.transfer.image.fill(Qt::white);
    opt.transfer.payload.bRle = true;
    opt.transfer.payload.nCompress = kCompressNone;
    opt.transfer.payload.strSavePath.clear();
    opt.transfer.nAddr = kDevice;
    opt.transfer.nKeepTimeMs = 100;
    opt.transfer.plan = plan;
    opt.nIntervalMs = 5000;
    return opt;
}

void TestEnduranceRecorder::play(const QList<TaskScript>& script)
{
    int nSeen = 0;
    for (int t = 0; t < script.size(); ++t) {
        for (int n = 0; n < 1000 && m_run->counters().nTasks == quint32(t + 1); ++n) {
            for (; nSeen < m_frames.size(); ++nSeen) {
                const TaskScript& s = script[t];
                QList<QByteArray> answers;
                if (frameControl(m_frames[nSeen]) == dtu::kCtlAwaken && s.nWake >= 0)
                    answers << awakenAnswerFrame(kDevice, s.nWake);
                else if (frameControl(m_frames[nSeen]) == dtu::kCtlPacket && s.nAck >= 0)
                    answers << ackFrame(kDevice, 1, 0, s.nAck);
                if (!answers.isEmpty() && frameControl(m_frames[nSeen]) == dtu::kCtlPacket && s.nReport >= 0)
                    answers << reportFrame(s.nReport >= 100 ? kDevice + 1 : kDevice, s.nReport % 100);
                // Both get every frame, as on the page.
                for (const QByteArray& a : answers) {
                    m_run->answer(a);
                    m_recorder->answer(a);
                }
            }
            QVERIFY(m_clock.advance(500));
        }
    }
}

void TestEnduranceRecorder::recordReadsBackAsTheCounters()
{
    QVERIFY(m_dir.isValid());
    const EnduranceOptions opt = setUpRun(TransferPlan::WakeUpThenSend);
    const QString autoPath = m_dir.filePath("auto.csv");
    QString error;
    QVERIFY(m_recorder->begin(kDevice, autoPath, &error));
    QVERIFY(m_run->run(opt));
    play({ { -1, -1, -1 },   // wake-up times out
           { 0, 0, 0 },      // drawn
           { 0, 5, -1 },     // packet refused
           { 1, -1, -1 },    // wake-up refused
           { 0, 0, 1 } });   // drawn, decoding failed
    const EnduranceCounters counters = m_run->counters();
    m_run->stop();
    m_recorder->finish();

    const QString exported = m_dir.filePath("export.csv");
    QVERIFY(m_recorder->exportTo(exported, &error));
    for (const QString& path : { autoPath, exported }) {
        const ReadBack back = readBack(path);
        // Five played tasks and the sixth, cut short by stop.
        QCOMPARE(back.rows.size(), 6);
        QCOMPARE(back.counters, (QStringList { QString::number(counters.nTasks), QString::number(counters.nAwakenOk),
                                               QString::number(counters.nAwakenFail), QString::number(counters.nSendOk),
                                               QString::number(counters.nSendFail) }));
        QCOMPARE(countWhere(back.rows, 2, { "成功" }), int(counters.nAwakenOk));
        QCOMPARE(countWhere(back.rows, 2, { "失败", "超时" }), int(counters.nAwakenFail));
        QCOMPARE(countWhere(back.rows, 4, { "成功" }), int(counters.nSendOk));
        QCOMPARE(countWhere(back.rows, 4, { "失败", "超时" }), int(counters.nSendFail));
        QStringList reports;
        for (const QStringList& r : back.rows)
            reports << r.value(8);
        QCOMPARE(reports, (QStringList { "", "刷屏成功", "", "", "解码失败", "" }));
        QCOMPARE(back.rows[1].mid(5, 2), (QStringList { "1", "1" }));
        QCOMPARE(back.rows[0].value(3), QStringLiteral("300"));  // 3 x keep time
    }
    QCOMPARE(counters.nTasks, 6u);
    QCOMPARE(counters.nAwakenOk, 3u);
}

void TestEnduranceRecorder::reportOfAnotherDisplayIsNotTaken()
{
    const EnduranceOptions opt = setUpRun(TransferPlan::SendOnly);
    QString error;
    QVERIFY(m_recorder->begin(kDevice, QString(), &error));
    QVERIFY(m_run->run(opt));
    play({ { -1, 0, 100 } });  // the report comes from display 78
    m_run->stop();
    m_recorder->finish();
    QCOMPARE(m_recorder->csv().rowCount(), 2u);
    const QString path = m_dir.filePath("other.csv");
    QVERIFY(m_recorder->exportTo(path, &error));
    QCOMPARE(readBack(path).rows.value(0).value(8), QString());
}

QTEST_GUILESS_MAIN(TestEnduranceRecorder)
#include "tst_endurancerecorder.moc"
