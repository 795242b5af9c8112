#pragma once

#include "transfersession.h"

#include <QDateTime>
#include <QObject>

#include <memory>

class SessionClock;
class SessionTimer;

struct EnduranceCounters
{
    quint32 nTasks = 0;
    quint32 nAwakenOk = 0;    // wake-ups answered with result 0 in time
    quint32 nAwakenFail = 0;  // refused, too short or timed out
    quint32 nSendOk = 0;      // packet phases completed
    quint32 nSendFail = 0;    // packet phases refused or timed out
};

struct EnduranceTaskResult
{
    QDateTime time;  // when the task started
    quint32 nTask = 0;
    StepResult wakeUp = StepResult::NotRun;
    StepResult send = StepResult::NotRun;
    quint32 nPacketsAcked = 0;
    qint64 nDurationMs = 0;
    qint64 nWakeUpMs = -1;     // request to answer or time-out; -1: no wake-up ran
    quint32 nPacketCount = 0;  // packets of the payload; 0: no packet phase
};

struct EnduranceOptions
{
    TransferOptions transfer;  // the plan is the run mode
    qint64 nIntervalMs = 0;    // between tasks; taken as a signed 32-bit number
};

// A task interval in milliseconds must be positive as a signed 32-bit number.
bool isValidInterval(qint64 nIntervalMs);

// The repeated test: every interval one task (a wake-up, a transfer, or
// both in the plan's order) against one device, counting successes and
// failures and logging the counts before each task. Frames leave through
// frameOut and answers come in through answer(), as with TransferSession,
// whose log lines and notices this forwards.
//
// Pacing: the task timer is started (if idle) or restarted by the steps, as
// the table says; run() itself starts the first task at once. A task that
// is still waiting when the next one is due fails as its time-out would.
//   wake-up answered 0 (in time or late)   timer started if idle (plan WakeUpThenSend: packets follow)
//   wake-up timed out                      counted, timer restarted
//   any acknowledgement                    timer restarted
//   packet phase completed                 counted; plan SendThenWakeUp: wake-up, otherwise timer restarted
//   acknowledgement timed out              counted, timer started if idle
class EnduranceRun : public QObject
{
    Q_OBJECT

public:
    explicit EnduranceRun(SessionClock* clock = nullptr, QObject* parent = nullptr);
    ~EnduranceRun() override;

    void setTimeouts(const TransferTimeouts& timeouts) { m_session.setTimeouts(timeouts); }

    // False (after logging why) when the interval is not positive.
    bool run(const EnduranceOptions& options);
    // Later tasks and steps use the payload options, keep time and plan
    // given here; address, interval and wake-up time-out stay those of run().
    void update(const TransferOptions& transfer);
    void stop();

    bool isRunning() const { return m_bRunning; }
    bool isBusy() const { return m_session.isBusy(); }
    EnduranceCounters counters() const { return m_counters; }
    const TransferSession& session() const { return m_session; }

public slots:
    void answer(const QByteArray& frame) { m_session.answer(frame); }

signals:
    void frameOut(QByteArray frame);
    void logLine(LogLine line);
    void notice(QString text);
    void payloadRefused(QString reason);
    void taskFinished(EnduranceTaskResult result);

private:
    void runTask();
    void printStatistics();
    void onStepFinished(TransferStep step, StepResult result);
    void onWakeUpAnswered(const WakeUpEvent& event);
    void onTransferFinished(const TransferOutcome& outcome);
    void startTaskTimerIfIdle();
    void log(const QString& text, LogSeverity severity = LogSeverity::Plain);

    SessionClock* m_clock;
    TransferSession m_session;
    std::unique_ptr<SessionTimer> m_taskTimer;
    EnduranceOptions m_options;
    int m_nIntervalMs = 5000;
    EnduranceCounters m_counters;
    bool m_bRunning = false;
    quint32 m_nSessionTask = 0;  // the task the session works for; 0: none to report
    QDateTime m_taskStart;
};

Q_DECLARE_METATYPE(EnduranceTaskResult)
