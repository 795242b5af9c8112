#include "transfersession.h"

#include "dtuframe.h"
#include "imaginglog.h"
#include "sessionclock.h"

TransferPlan singlePlanFor(quint32 nAddr)
{
    return nAddr == 0 ? TransferPlan::SendOnly : TransferPlan::WakeUpThenSend;
}

qint64 TransferOutcome::wakeUpTimeMs() const
{
    const bool bRan = wakeUp == StepResult::Succeeded || wakeUp == StepResult::Refused || wakeUp == StepResult::TimedOut;
    return bRan ? nWakeUpMs : -1;
}

QString stepResultText(StepResult result)
{
    // Untranslated: result files record these; tables translate them when shown.
    switch (result) {
    case StepResult::Succeeded:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("TransferSession", "成功"));
    case StepResult::Refused:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("TransferSession", "失败"));
    case StepResult::TimedOut:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("TransferSession", "超时"));
    case StepResult::Stopped:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("TransferSession", "停止"));
    case StepResult::PayloadRefused:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("TransferSession", "数据生成失败"));
    case StepResult::NotRun:
        break;
    }
    return QString();
}

bool TransferOutcome::failedOnTheLine() const
{
    return wakeUp == StepResult::TimedOut || send == StepResult::Refused || send == StepResult::TimedOut;
}

namespace {

bool wakesFirst(TransferPlan plan)
{
    return plan == TransferPlan::WakeUpOnly || plan == TransferPlan::WakeUpThenSend;
}

}  // namespace

TransferSession::TransferSession(Flavour flavour, SessionClock* clock, QObject* parent)
    : QObject(parent)
    , m_flavour(flavour)
    , m_clock(clock ? clock : &systemClock())
{
    m_recvTimer = m_clock->createTimer([this] { recvTimeout(); });
    m_awakenTimer = m_clock->createTimer([this] { awakenTimeout(); });
    m_pointTimer = m_clock->createTimer([this] { log(QStringLiteral(" ."), LogSeverity::Plain, false); });
}

TransferSession::~TransferSession() = default;

qint64 TransferSession::now() const
{
    return m_clock->elapsedMs();
}

void TransferSession::log(const QString& text, LogSeverity severity, bool bNewline)
{
    emit logLine(LogLine { text, severity, bNewline });
}

void TransferSession::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
}

bool TransferSession::start(const TransferOptions& options)
{
    if (isBusy())
        stop();
    m_options = options;
    m_outcome = TransferOutcome();
    m_bLateWakeUp = false;
    m_nStartMs = now();
    // Cursors of an earlier transfer point into the payload about to be replaced.
    m_devices.clear();
    if (m_flavour == Single && !buildPayloadFor(m_options)) {
        m_outcome.send = StepResult::PayloadRefused;
        return false;
    }
    if (wakesFirst(m_options.plan)) {
        startWakeUp();
        return true;
    }
    startPackets();
    return m_outcome.send != StepResult::PayloadRefused;
}

void TransferSession::updateOptions(const TransferOptions& options)
{
    const quint32 nAddr = m_options.nAddr;
    const int nAwakenTimeoutMs = m_options.nAwakenTimeoutMs;
    m_options = options;
    m_options.nAddr = nAddr;
    m_options.nAwakenTimeoutMs = nAwakenTimeoutMs;
}

bool TransferSession::buildPayloadFor(const TransferOptions& options)
{
    m_devices.clear();
    const QString reason = buildSendablePayload(m_payload, options.image, options.payload);
    if (!reason.isEmpty()) {
        emit payloadRefused(reason);
        return false;
    }
    log(tr("准备发送文件大小: %L1 字节").arg(m_payload.size()));
    return true;
}

void TransferSession::startWakeUp()
{
    const quint32 nKeep = m_options.nKeepTimeMs;
    int nTimeout = m_options.nAwakenTimeoutMs;
    if (nTimeout < 0)
        nTimeout = awakenTimeoutMs(nKeep, m_flavour == Single ? kPageAwakenFactor : kTestAwakenFactor);
    m_bLateWakeUp = false;
    setPhase(Phase::WakingUp);
    m_nAwakenStartMs = now();
    emit frameOut(buildAwakenFrame(m_options.nAddr, nKeep));
    m_awakenTimer->start(nTimeout);
    if (m_flavour == Single) {
        m_pointTimer->start(m_timeouts.nDotMs);
        log(tr("等待唤醒."), LogSeverity::Plain, false);
    }
}

void TransferSession::startPackets()
{
    if (m_flavour == Repeated && !buildPayloadFor(m_options)) {
        endStep(TransferStep::Send, StepResult::PayloadRefused);
        finish();
        return;
    }
    m_devices.clear();
    setPhase(Phase::SendingPackets);
    m_nSendStartMs = now();
    m_outcome.nPacketCount = packetCount(m_payload.size());
    m_recvTimer->start(m_timeouts.nAckMs);
    for (const QByteArray& frame : m_devices.start(m_payload, m_options.nAddr))
        emit frameOut(frame);
}

void TransferSession::answer(const QByteArray& frame)
{
    if (!isAcceptableResponse(frame))
        return;
    const quint8 nCtl = frameControl(frame);
    qCDebug(lcTransfer, "answer control 0x%02X in phase %d", nCtl, int(m_phase));
    switch (nCtl) {
    case dtu::kCtlAwaken:
        if (m_phase == Phase::WakingUp)
            onAwakenAnswer(frame);
        break;
    case dtu::kCtlPacket:
        if (m_phase == Phase::SendingPackets)
            onPacketAnswer(frame);
        break;
    case dtu::kCtlDisplayState:
        if (m_flavour == Single)
            onDisplayState(frame);
        break;
    default:
        break;
    }
}

void TransferSession::onAwakenAnswer(const QByteArray& frame)
{
    AwakenAnswer answer;
    const bool bParsed = parseAwakenAnswer(frame, answer);
    if (!bParsed && m_flavour == Single)
        return;
    const bool bInTime = !m_bLateWakeUp;
    const qint64 nElapsed = now() - m_nAwakenStartMs;
    m_awakenTimer->stop();
    m_pointTimer->stop();
    if (!bParsed) {
        emit wakeUpAnswered(WakeUpEvent { 0, -1, nElapsed, bInTime });
        if (bInTime)
            endStep(TransferStep::WakeUp, StepResult::Refused);
        finish();
        return;
    }
    qCDebug(lcTransfer, "wake-up answer from %u: %u", answer.nDevice, answer.nResult);
    // The image page's answer ends the line of dots.
    const QString line = awakenAnswerLine(answer, nElapsed);
    log(m_flavour == Single ? QLatin1Char('\n') + line : line,
        answer.nResult == 0 ? LogSeverity::Plain : LogSeverity::Failure);
    emit wakeUpAnswered(WakeUpEvent { answer.nDevice, answer.nResult, nElapsed, bInTime });
    if (bInTime) {
        m_outcome.nWakeUpMs = nElapsed;
        endStep(TransferStep::WakeUp, answer.nResult == 0 ? StepResult::Succeeded : StepResult::Refused);
    }
    if (answer.nResult == 0 && m_options.plan == TransferPlan::WakeUpThenSend)
        startPackets();
    else
        finish();
}

void TransferSession::awakenTimeout()
{
    m_awakenTimer->stop();
    m_pointTimer->stop();
    m_outcome.nWakeUpMs = now() - m_nAwakenStartMs;
    const QString text = tr("唤醒超时");
    emit notice(text);
    log(m_flavour == Single ? QLatin1Char('\n') + text : text, LogSeverity::Failure);
    endStep(TransferStep::WakeUp, StepResult::TimedOut);
    if (m_flavour == Single) {
        finish();
        return;
    }
    // The repeated test still acts on an answer that comes too late; the
    // next task or stop() ends the wait.
    m_bLateWakeUp = true;
}

void TransferSession::onPacketAnswer(const QByteArray& frame)
{
    const quint32 nDevice = frameAddress(frame);
    PacketAck ack;
    if (!parsePacketAck(frame, ack)) {
        emit packetStatus(PacketStatusEvent { nDevice, -1, -1, -1 });
        m_recvTimer->start(m_timeouts.nAckMs);
        failPackets(frame);
        return;
    }
    const int nStatus = ackStatus(ack);
    log(ackLogLine(ack), nStatus == kAckOk ? LogSeverity::Plain : LogSeverity::Failure);
    emit packetStatus(PacketStatusEvent { nDevice, ack.nIndex, ack.nCount, nStatus });
    m_recvTimer->start(m_timeouts.nAckMs);
    if (nStatus != kAckOk) {
        failPackets(frame);
        return;
    }

    const DeviceCursors::Step step = m_devices.acknowledge(nDevice, m_options.nAddr);
    if (step.kind == DeviceCursors::Step::Ignored)
        return;
    ++m_outcome.nPacketsAcked;
    if (!step.frame.isEmpty())
        emit frameOut(step.frame);
    emit progress(step.nProgress);
    if (step.kind == DeviceCursors::Step::Complete)
        completePackets();
}

void TransferSession::failPackets(const QByteArray& frame)
{
    m_recvTimer->stop();
    m_devices.resetAll();
    // Byte 11 is the status byte of a full acknowledgement; accepted frames
    // are at least 12 bytes long, so it always exists.
    emit notice(tr("文件发送异常 %1").arg(quint8(frame.at(11))));
    log(tr("本次发送异常"), LogSeverity::Failure);
    endStep(TransferStep::Send, StepResult::Refused);
    finish();
}

void TransferSession::completePackets()
{
    m_recvTimer->stop();
    m_devices.resetAll();
    const qint64 nFrom = m_flavour == Single ? m_nStartMs : m_nSendStartMs;
    log(tr("本次发送完毕, 耗时: %1 秒").arg(formatElapsed(now() - nFrom)));
    endStep(TransferStep::Send, StepResult::Succeeded);
    if (m_options.plan == TransferPlan::SendThenWakeUp)
        startWakeUp();
    else
        finish();
}

void TransferSession::recvTimeout()
{
    m_recvTimer->stop();
    m_devices.resetAll();
    const QString text = tr("文件发送超时");
    emit notice(text);
    log(text, LogSeverity::Failure);
    endStep(TransferStep::Send, StepResult::TimedOut);
    finish();
}

void TransferSession::onDisplayState(const QByteArray& frame)
{
    DisplayReport report;
    if (!parseDisplayReport(frame, report))
        return;
    qCDebug(lcTransfer, "display %u reports state %u", report.nDisplay, report.nState);
    log(displayReportLine(report), report.nState == 0 ? LogSeverity::Plain : LogSeverity::Failure);
    emit displayReport(report);
}

void TransferSession::endStep(TransferStep step, StepResult result)
{
    const qint64 t = now();
    if (step == TransferStep::WakeUp) {
        m_outcome.wakeUp = result;
    } else {
        m_outcome.send = result;
        m_outcome.nSendMs = result == StepResult::PayloadRefused ? 0 : t - m_nSendStartMs;
    }
    m_outcome.nTotalMs = t - m_nStartMs;
    emit stepFinished(step, result);
}

void TransferSession::timeOutNow()
{
    if (m_awakenTimer->isActive())
        awakenTimeout();
    else if (m_recvTimer->isActive())
        recvTimeout();
}

void TransferSession::stop()
{
    if (!isBusy())
        return;
    if (m_phase == Phase::WakingUp && !m_bLateWakeUp)
        endStep(TransferStep::WakeUp, StepResult::Stopped);
    else if (m_phase == Phase::SendingPackets)
        endStep(TransferStep::Send, StepResult::Stopped);
    m_devices.resetAll();
    finish();
}

void TransferSession::stopTimers()
{
    m_recvTimer->stop();
    m_awakenTimer->stop();
    m_pointTimer->stop();
}

void TransferSession::finish()
{
    stopTimers();
    m_bLateWakeUp = false;
    setPhase(Phase::Done);
    emit finished(m_outcome);
}
