#pragma once

// One image transfer to the displays behind a DTU, without widgets.
//
// Driving it:
//   TransferSession session(TransferSession::Single);
//   connect(&session, &TransferSession::frameOut, worker, &WorkerSerial::sendData);
//   connect(worker, &WorkerSerial::dtuResponse, &session, &TransferSession::answer);
//   connect the events wanted: logLine, notice, progress, packetStatus,
//   wakeUpAnswered, stepFinished, payloadRefused, displayReport, finished.
//   TransferOptions opt;                  // image, payload options, address, keep time
//   opt.plan = singlePlanFor(opt.nAddr);  // wake-up first unless broadcasting
//   session.start(opt);                   // false: payload refused (event says why)
// The session then sends the wake-up request, waits for its answer, sends
// the packets one acknowledgement at a time per device and watches its own
// time-outs; finished() reports the outcome and no step runs afterwards.
// Answers count only in the phase that waits for them: a wake-up answer
// while waking up, an acknowledgement while sending packets. stop() ends a
// transfer silently.
//
// Two flavours share everything but these points:
//   Single (the image page)          Repeated (one task of the endurance test)
//   payload built at start           payload built when the packets start
//   wake-up wait 4 x keep time       wake-up time-out given by the run
//   "等待唤醒." and a dot a second    no wait line
//   short wake-up answer ignored     short wake-up answer fails the wake-up
//   late wake-up answer ignored      late wake-up answer still logged and acted on
//   completion time from the start   completion time from the first packet
//   display reports logged           display reports ignored
//
// Time comes from a SessionClock: the system's unless one is given.

#include "devicecursors.h"
#include "payload.h"
#include "transferframes.h"
#include "transfertiming.h"

#include <QByteArray>
#include <QImage>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>

class SessionClock;
class SessionTimer;

// The steps of one transfer; the values are the repeated test's run modes.
enum class TransferPlan { WakeUpOnly = 0, SendOnly = 1, WakeUpThenSend = 2, SendThenWakeUp = 3 };

// The image page's plan: the broadcast address 0 is not woken up.
TransferPlan singlePlanFor(quint32 nAddr);

struct TransferOptions
{
    QImage image;                 // scaled for the display (see SourceImage)
    PayloadOptions payload;
    quint32 nAddr = 0;            // target device; 0 broadcasts
    quint32 nKeepTimeMs = 0;      // how long the DTU sends the wake-up call
    TransferPlan plan = TransferPlan::WakeUpThenSend;
    int nAwakenTimeoutMs = -1;    // -1: the flavour's factor x keep time
};

enum class LogSeverity { Plain, Failure };  // a failure shows in red

struct LogLine
{
    QString text;
    LogSeverity severity = LogSeverity::Plain;
    bool bNewline = true;
};

// One acknowledgement; nStatus -1 when it is too short to read.
struct PacketStatusEvent
{
    quint32 nDevice = 0;
    int nIndex = -1;
    int nCount = -1;
    int nStatus = -1;
};

// One wake-up answer; nResult -1 when it is too short to read. bInTime is
// false for an answer after the time-out.
struct WakeUpEvent
{
    quint32 nDevice = 0;
    int nResult = -1;
    qint64 nElapsedMs = 0;
    bool bInTime = true;
};

enum class TransferStep { WakeUp, Send };
enum class StepResult { NotRun, Succeeded, Refused, TimedOut, Stopped, PayloadRefused };

// A step's result for tables and files: "成功", "失败", "超时", "停止",
// "数据生成失败" (untranslated, in the context "TransferSession"); empty
// when the step did not run.
QString stepResultText(StepResult result);

struct TransferOutcome
{
    StepResult wakeUp = StepResult::NotRun;
    qint64 nWakeUpMs = 0;      // request to answer or time-out
    StepResult send = StepResult::NotRun;
    quint32 nPacketsAcked = 0; // good acknowledgements
    quint32 nPacketCount = 0;  // packets of the payload
    qint64 nSendMs = 0;        // first packet to the end of the packet phase
    qint64 nTotalMs = 0;       // start to the end of the last step

    // The page colours its progress red for these ends.
    bool failedOnTheLine() const;
    // nWakeUpMs, or -1 when no wake-up was answered or timed out.
    qint64 wakeUpTimeMs() const;
};

class TransferSession : public QObject
{
    Q_OBJECT

public:
    enum Flavour { Single, Repeated };
    Q_ENUM(Flavour)
    enum class Phase { Idle, WakingUp, SendingPackets, Done };
    Q_ENUM(Phase)

    explicit TransferSession(Flavour flavour, SessionClock* clock = nullptr, QObject* parent = nullptr);
    ~TransferSession() override;

    void setTimeouts(const TransferTimeouts& timeouts) { m_timeouts = timeouts; }
    const TransferTimeouts& timeouts() const { return m_timeouts; }

    // Starts a transfer; a running one is first ended silently. False when
    // the payload is refused before anything is sent.
    bool start(const TransferOptions& options);
    // Later steps of the running transfer use these options (its address
    // and wake-up time-out stay).
    void updateOptions(const TransferOptions& options);
    // Ends the transfer without a log line.
    void stop();
    // The step that waits for an answer fails now, as its time-out would.
    void timeOutNow();

    Phase phase() const { return m_phase; }
    bool isBusy() const { return m_phase == Phase::WakingUp || m_phase == Phase::SendingPackets; }
    const QByteArray& payload() const { return m_payload; }
    const DeviceCursors& devices() const { return m_devices; }

public slots:
    // One checked frame from the line.
    void answer(const QByteArray& frame);

signals:
    void frameOut(QByteArray frame);
    void logLine(LogLine line);
    // Short texts for a status bar.
    void notice(QString text);
    void progress(int nPercent);
    void packetStatus(PacketStatusEvent event);
    void wakeUpAnswered(WakeUpEvent event);
    void stepFinished(TransferStep step, StepResult result);
    void payloadRefused(QString reason);
    void displayReport(DisplayReport report);
    void phaseChanged(TransferSession::Phase phase);
    void finished(TransferOutcome outcome);

private:
    void startWakeUp();
    void startPackets();
    bool buildPayloadFor(const TransferOptions& options);
    void onAwakenAnswer(const QByteArray& frame);
    void onPacketAnswer(const QByteArray& frame);
    void onDisplayState(const QByteArray& frame);
    void awakenTimeout();
    void recvTimeout();
    void failPackets(const QByteArray& frame);
    void completePackets();
    void endStep(TransferStep step, StepResult result);
    void finish();
    void stopTimers();
    void setPhase(Phase phase);
    void log(const QString& text, LogSeverity severity = LogSeverity::Plain, bool bNewline = true);
    qint64 now() const;

    const Flavour m_flavour;
    SessionClock* m_clock;
    std::unique_ptr<SessionTimer> m_recvTimer;
    std::unique_ptr<SessionTimer> m_awakenTimer;
    std::unique_ptr<SessionTimer> m_pointTimer;
    TransferTimeouts m_timeouts;
    TransferOptions m_options;
    Phase m_phase = Phase::Idle;
    bool m_bLateWakeUp = false;  // Repeated: past the wake-up time-out, an answer is still taken
    QByteArray m_payload;
    DeviceCursors m_devices;
    TransferOutcome m_outcome;
    qint64 m_nStartMs = 0;
    qint64 m_nAwakenStartMs = 0;
    qint64 m_nSendStartMs = 0;
};

Q_DECLARE_METATYPE(LogLine)
Q_DECLARE_METATYPE(PacketStatusEvent)
Q_DECLARE_METATYPE(WakeUpEvent)
Q_DECLARE_METATYPE(TransferOutcome)
