#include "endurancerun.h"

#include "sessionclock.h"

bool isValidInterval(qint64 nIntervalMs)
{
    return qint32(nIntervalMs) > 0;
}

EnduranceRun::EnduranceRun(SessionClock* clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock ? clock : &systemClock())
    , m_session(TransferSession::Repeated, m_clock)
    , m_taskTimer(m_clock->createTimer([this] { runTask(); }))
{
    connect(&m_session, &TransferSession::frameOut, this, &EnduranceRun::frameOut);
    connect(&m_session, &TransferSession::logLine, this, &EnduranceRun::logLine);
    connect(&m_session, &TransferSession::notice, this, &EnduranceRun::notice);
    connect(&m_session, &TransferSession::payloadRefused, this, &EnduranceRun::payloadRefused);
    connect(&m_session, &TransferSession::stepFinished, this, &EnduranceRun::onStepFinished);
    connect(&m_session, &TransferSession::wakeUpAnswered, this, &EnduranceRun::onWakeUpAnswered);
    connect(&m_session, &TransferSession::packetStatus, this, [this] { m_taskTimer->start(m_nIntervalMs); });
    connect(&m_session, &TransferSession::finished, this, &EnduranceRun::onTransferFinished);
}

EnduranceRun::~EnduranceRun() = default;

void EnduranceRun::log(const QString& text, LogSeverity severity)
{
    emit logLine(LogLine { text, severity, true });
}

bool EnduranceRun::run(const EnduranceOptions& options)
{
    if (!isValidInterval(options.nIntervalMs)) {
        log(tr("间隔时间错误"), LogSeverity::Failure);
        return false;
    }
    // A task of an earlier run must not be counted into the new one.
    m_nSessionTask = 0;
    m_session.stop();
    m_options = options;
    m_options.transfer.nAwakenTimeoutMs = awakenTimeoutMs(options.transfer.nKeepTimeMs, kTestAwakenFactor);
    m_nIntervalMs = qint32(options.nIntervalMs);
    // Like a Qt timer given a new interval, a running task timer restarts.
    if (m_taskTimer->isActive())
        m_taskTimer->start(m_nIntervalMs);
    m_counters = EnduranceCounters();
    m_bRunning = true;
    runTask();
    return true;
}

void EnduranceRun::update(const TransferOptions& transfer)
{
    const quint32 nAddr = m_options.transfer.nAddr;
    const int nAwakenTimeoutMs = m_options.transfer.nAwakenTimeoutMs;
    m_options.transfer = transfer;
    m_options.transfer.nAddr = nAddr;
    m_options.transfer.nAwakenTimeoutMs = nAwakenTimeoutMs;
    m_session.updateOptions(m_options.transfer);
}

void EnduranceRun::runTask()
{
    m_session.timeOutNow();
    m_session.stop();
    if (m_counters.nTasks != 0)
        printStatistics();
    ++m_counters.nTasks;
    m_taskStart = m_clock->now();
    log(tr("%1 执行第 %2 次任务")
            .arg(m_taskStart.toString(QStringLiteral("[hh:mm:ss.zzz]")))
            .arg(m_counters.nTasks));
    m_nSessionTask = m_counters.nTasks;
    m_session.start(m_options.transfer);
}

void EnduranceRun::printStatistics()
{
    const EnduranceCounters& c = m_counters;
    // A task succeeds when its last step does.
    const TransferPlan plan = m_options.transfer.plan;
    const bool bWakeUpLast = plan == TransferPlan::WakeUpOnly || plan == TransferPlan::SendThenWakeUp;
    if (c.nAwakenOk != 0 || c.nSendOk != 0)
        log(tr("成功: 唤醒 %1 次, 发送 %2 次, 总 %3 次")
                .arg(c.nAwakenOk)
                .arg(c.nSendOk)
                .arg(bWakeUpLast ? c.nAwakenOk : c.nSendOk));
    if (c.nAwakenFail != 0 || c.nSendFail != 0)
        log(tr("失败: 唤醒 %1 次, 发送 %2 次, 总 %3 次")
                .arg(c.nAwakenFail)
                .arg(c.nSendFail)
                .arg(c.nAwakenFail + c.nSendFail));
    log(QString());
}

void EnduranceRun::startTaskTimerIfIdle()
{
    if (!m_taskTimer->isActive())
        m_taskTimer->start(m_nIntervalMs);
}

void EnduranceRun::onStepFinished(TransferStep step, StepResult result)
{
    if (!m_bRunning)
        return;
    EnduranceCounters& c = m_counters;
    if (step == TransferStep::WakeUp) {
        if (result == StepResult::Succeeded) {
            ++c.nAwakenOk;
        } else if (result == StepResult::Refused) {
            ++c.nAwakenFail;
        } else if (result == StepResult::TimedOut) {
            ++c.nAwakenFail;
            m_taskTimer->start(m_nIntervalMs);
        }
        return;
    }
    if (result == StepResult::Succeeded) {
        ++c.nSendOk;
        if (m_options.transfer.plan != TransferPlan::SendThenWakeUp)
            m_taskTimer->start(m_nIntervalMs);
    } else if (result == StepResult::Refused) {
        ++c.nSendFail;
    } else if (result == StepResult::TimedOut) {
        ++c.nSendFail;
        startTaskTimerIfIdle();
    }
}

void EnduranceRun::onWakeUpAnswered(const WakeUpEvent& event)
{
    if (m_bRunning && event.nResult == 0 && m_options.transfer.plan != TransferPlan::WakeUpThenSend)
        startTaskTimerIfIdle();
}

void EnduranceRun::onTransferFinished(const TransferOutcome& outcome)
{
    if (m_nSessionTask == 0)
        return;
    emit taskFinished(EnduranceTaskResult { m_taskStart, m_nSessionTask, outcome.wakeUp, outcome.send,
                                            outcome.nPacketsAcked, outcome.nTotalMs,
                                            outcome.wakeUpTimeMs(), outcome.nPacketCount });
    m_nSessionTask = 0;
}

void EnduranceRun::stop()
{
    m_session.stop();
    m_nSessionTask = 0;
    m_bRunning = false;
    m_counters = EnduranceCounters();
    m_taskTimer->stop();
    log(tr("手动停止"));
}
