#include "batchsession.h"

#include "sessionclock.h"
#include "transferframes.h"

#include <QCoreApplication>

namespace {

// A refused packet, recorded with its status.
const char* const kPacketRefused = QT_TRANSLATE_NOOP("BatchSession", "文件发送异常: %1");

// Why a transfer did not complete; empty when it did. Untranslated, as the
// result file records it; the table translates it when shown.
QString failureText(const TransferOutcome& o, int nLastStatus, const QString& refusal)
{
    switch (o.wakeUp) {
    case StepResult::Refused:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "唤醒失败"));
    case StepResult::TimedOut:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "唤醒超时"));
    case StepResult::Stopped:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "手动停止"));
    default:
        break;
    }
    switch (o.send) {
    case StepResult::Refused:
        return nLastStatus < 0 ? QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "应答过短"))
                               : QString::fromUtf8(kPacketRefused).arg(ackStatusText(nLastStatus));
    case StepResult::TimedOut:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "文件发送超时"));
    case StepResult::Stopped:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("BatchSession", "手动停止"));
    case StepResult::PayloadRefused:
        return refusal;
    default:
        return QString();
    }
}

QString secondsText(qint64 nMs)
{
    return QString::number(double(nMs) / 1000.0, 'f', 3);
}

}  // namespace

QString shownBatchError(const QString& recorded)
{
    const QString strPrefix = QString::fromUtf8(kPacketRefused).section(QStringLiteral("%1"), 0, 0);
    if (recorded.startsWith(strPrefix)) {
        const QByteArray status = recorded.mid(strPrefix.size()).toUtf8();
        return QCoreApplication::translate("BatchSession", kPacketRefused)
            .arg(QCoreApplication::translate("TransferFrames", status.constData()));
    }
    return QCoreApplication::translate("BatchSession", recorded.toUtf8().constData());
}

BatchSession::BatchSession(BatchResults* results, SessionClock* clock, QObject* parent)
    : QObject(parent)
    , m_results(results)
    , m_session(TransferSession::Single, clock)
    , m_clock(clock ? clock : &systemClock())
{
    connect(&m_session, &TransferSession::frameOut, this, &BatchSession::frameOut);
    connect(&m_session, &TransferSession::logLine, this, &BatchSession::logLine);
    connect(&m_session, &TransferSession::notice, this, &BatchSession::notice);
    connect(&m_session, &TransferSession::progress, this, &BatchSession::onProgress);
    connect(&m_session, &TransferSession::payloadRefused, this, [this](const QString& reason) {
        m_refusal = reason;
        emit payloadRefused(reason);
    });
    connect(&m_session, &TransferSession::packetStatus, this,
            [this](const PacketStatusEvent& e) { m_nLastStatus = e.nStatus; });
    connect(&m_session, &TransferSession::displayReport, this, &BatchSession::noteReport);
    connect(&m_session, &TransferSession::finished, this, &BatchSession::onTransferFinished);
}

BatchSession::~BatchSession() = default;

void BatchSession::noteReport(const DisplayReport& report)
{
    m_results->setReport(report.nDisplay, displayStateText(report.nState));
}

void BatchSession::log(const QString& text, LogSeverity severity)
{
    emit logLine(LogLine { text, severity, true });
}

bool BatchSession::start(const TransferOptions& options, const QVector<int>& rows)
{
    if (m_bRunning || rows.isEmpty())
        return false;
    for (const int nRow : rows)
        if (nRow < 0 || nRow >= m_results->rowCount())
            return false;
    m_options = options;
    m_rows = rows;
    m_nNext = 0;
    m_bRunning = true;
    m_nStartMs = m_clock->elapsedMs();
    emit progress(0);
    startNext();
    return true;
}

void BatchSession::startNext()
{
    if (!m_bRunning)
        return;
    if (m_nNext >= m_rows.size()) {
        endBatch();
        return;
    }
    m_nCurrent = m_rows.at(m_nNext++);
    BatchItem item;
    item.nAddr = m_results->item(m_nCurrent).nAddr;
    item.state = BatchItem::State::Running;
    m_results->setItem(m_nCurrent, item);
    emit itemStarted(m_nCurrent);
    log(tr("[%1/%2] 目的地址: %3").arg(m_nNext).arg(m_rows.size()).arg(item.nAddr));

    m_nLastStatus = kAckOk;
    m_refusal.clear();
    TransferOptions opt = m_options;
    opt.nAddr = item.nAddr;
    opt.plan = TransferPlan::WakeUpThenSend;
    if (!m_session.start(opt)) {
        // The same payload is refused for every address: the batch ends here.
        item.state = BatchItem::State::Failed;
        item.error = m_refusal;
        m_results->setItem(m_nCurrent, item);
        m_nCurrent = -1;
        log(m_refusal, LogSeverity::Failure);
        endBatch();
    }
}

void BatchSession::onTransferFinished(const TransferOutcome& outcome)
{
    if (m_nCurrent < 0)
        return;
    BatchItem item = m_results->item(m_nCurrent);
    item.wakeUp = stepResultText(outcome.wakeUp);
    item.nWakeUpMs = outcome.wakeUpTimeMs();
    item.nPacketsAcked = outcome.nPacketsAcked;
    item.nPacketCount = outcome.nPacketCount;
    item.nTotalMs = outcome.nTotalMs;
    item.error = failureText(outcome, m_nLastStatus, m_refusal);
    if (outcome.send == StepResult::Succeeded)
        item.state = BatchItem::State::Succeeded;
    else if (outcome.wakeUp == StepResult::Stopped || outcome.send == StepResult::Stopped)
        item.state = BatchItem::State::Stopped;
    else
        item.state = BatchItem::State::Failed;
    m_results->setItem(m_nCurrent, item);
    m_nCurrent = -1;
    emit progress(m_nNext * 100 / m_rows.size());
    // The next transfer starts once the session has finished unwinding.
    if (m_bRunning)
        QMetaObject::invokeMethod(this, &BatchSession::startNext, Qt::QueuedConnection);
}

void BatchSession::onProgress(int nPercent)
{
    if (m_bRunning && !m_rows.isEmpty())
        emit progress(((m_nNext - 1) * 100 + qBound(0, nPercent, 100)) / m_rows.size());
}

void BatchSession::stop()
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_session.stop();
    endBatch();
}

void BatchSession::endBatch()
{
    m_bRunning = false;
    int nOk = 0;
    int nFailed = 0;
    for (const int nRow : qAsConst(m_rows)) {
        const BatchItem::State s = m_results->item(nRow).state;
        nOk += s == BatchItem::State::Succeeded;
        nFailed += s == BatchItem::State::Failed;
    }
    log(tr("批量发送结束: 成功 %1 台, 失败 %2 台, 未完成 %3 台, 耗时 %4 秒")
            .arg(nOk)
            .arg(nFailed)
            .arg(m_rows.size() - nOk - nFailed)
            .arg(secondsText(m_clock->elapsedMs() - m_nStartMs)),
        nFailed == 0 && nOk == m_rows.size() ? LogSeverity::Plain : LogSeverity::Failure);
    emit finished();
}
