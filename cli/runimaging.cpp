// push and endurance: the image transfer and the repeated test, driven by
// the same sessions as the two image pages.

#include "clilink.h"
#include "clioutput.h"
#include "endurancerun.h"
#include "exitcodes.h"
#include "runners.h"
#include "sourceimage.h"
#include "transfersession.h"

#include <QFile>
#include <QJsonObject>
#include <QTimer>

namespace {

constexpr quint32 kPushKeepMs = 800;        // the image page's saved default
constexpr quint32 kEnduranceKeepMs = 1000;  // the test page's form
constexpr int kReportTimeoutMs = 30000;     // a display redraws for seconds
constexpr int kStallSlackMs = 2000;

QString seconds(qint64 nMs)
{
    return QString::number(double(nMs) / 1000.0, 'f', 3);
}

const char* stepWord(StepResult result)
{
    switch (result) {
    case StepResult::NotRun: return "-";
    case StepResult::Succeeded: return "ok";
    case StepResult::Refused: return "refused";
    case StepResult::TimedOut: return "timeout";
    case StepResult::Stopped: return "stopped";
    case StepResult::PayloadRefused: return "payload refused";
    }
    return "?";
}

// The transfer the command line asks for; empty error when the image loads.
QString transferOptions(const CliArgs& a, quint32 nDefaultKeepMs, TransferOptions& opt)
{
    SourceImage source;
    switch (loadSourceImage(a.strImage, source)) {
    case ImageLoadResult::Loaded:
        break;
    case ImageLoadResult::Missing:
        return QStringLiteral("image %1 not found").arg(a.strImage);
    case ImageLoadResult::NotAnImage:
        return QStringLiteral("%1 is not an image this program can read").arg(a.strImage);
    default:
        return QStringLiteral("cannot read image %1").arg(a.strImage);
    }
    opt.image = source.image;
    opt.payload.bRle = a.bContainer;
    opt.payload.nCompress = a.nCompress;
    opt.payload.nImgType = source.nImgType;
    opt.payload.strFilePath = source.strFilePath;
    opt.payload.nFileSize = source.nFileSize;
    // A script's working directory gets no copy of the payload.
    opt.payload.strSavePath.clear();
    opt.nAddr = *a.nAddr;
    opt.nKeepTimeMs = a.nKeepMs.value_or(nDefaultKeepMs);
    return {};
}

// Frames of a session go to the port as the worker's send slot takes them.
template <class Session>
void wire(Session& session, CliLink& link)
{
    QObject::connect(&session, &Session::frameOut, &link.worker(), &WorkerSerial::sendData);
    QObject::connect(&link.worker(), &WorkerSerial::dtuResponse, &session, &Session::answer);
}

}  // namespace

int runPush(const CliContext& ctx)
{
    const CliArgs& a = ctx.args;
    CliOutput& out = ctx.out;
    TransferOptions opt;
    if (const QString strError = transferOptions(a, kPushKeepMs, opt); !strError.isEmpty())
        return out.fail(cliexit::kUsage, strError);
    opt.plan = singlePlanFor(opt.nAddr);

    CliLink link(out);
    if (const int nStatus = link.open(choosePort(a.port, ctx.settings)); nStatus != cliexit::kOk)
        return nStatus;

    TransferSession session(TransferSession::Single);
    wire(session, link);
    PacketStatusEvent lastAck;
    WakeUpEvent wakeUp;
    TransferOutcome outcome;
    DisplayReport report;
    bool bReport = false;
    bool bFinished = false;
    qint64 nPayload = 0;

    QObject::connect(&session, &TransferSession::wakeUpAnswered, &link, [&](const WakeUpEvent& e) {
        wakeUp = e;
    });
    QObject::connect(&session, &TransferSession::packetStatus, &link, [&](const PacketStatusEvent& e) {
        lastAck = e;
        if (out.json())
            out.record(QString(), "packet",
                       { { QStringLiteral("device"), qint64(e.nDevice) }, { QStringLiteral("index"), e.nIndex },
                         { QStringLiteral("count"), e.nCount }, { QStringLiteral("status"), e.nStatus } });
        if (e.nStatus == 0 && e.nCount > 0)
            out.progress(e.nIndex + 1, e.nCount, qMin<qint64>(qint64(e.nIndex + 1) * 1024, nPayload), nPayload);
    });
    QObject::connect(&session, &TransferSession::finished, &link, [&](const TransferOutcome& o) {
        outcome = o;
        bFinished = true;
        link.done(cliexit::kOk);
    });
    QObject::connect(&session, &TransferSession::displayReport, &link, [&](const DisplayReport& r) {
        if (bReport)
            return;
        report = r;
        bReport = true;
        if (bFinished)
            link.done(cliexit::kOk);
    });
    QString strRefused;
    QObject::connect(&session, &TransferSession::payloadRefused, &link,
                     [&](const QString& strReason) { strRefused = strReason; });

    // The payload is built and checked before the first frame goes out.
    if (!session.start(opt))
        return out.fail(cliexit::kUsage, strRefused);
    nPayload = session.payload().size();
    // The transfer's own time-outs end it; then the display's report is due.
    int nStatus = link.wait();
    if (nStatus == cliexit::kOk && !link.interrupted() && bFinished && !bReport
        && outcome.send == StepResult::Succeeded) {
        nStatus = link.wait(a.nTimeoutMs.value_or(kReportTimeoutMs));
    }
    session.stop();
    out.endProgress();

    QJsonObject result { { QStringLiteral("payload"), nPayload },
                         { QStringLiteral("packets"), qint64(outcome.nPacketsAcked) },
                         { QStringLiteral("packetCount"), qint64(outcome.nPacketCount) },
                         { QStringLiteral("ms"), outcome.nTotalMs } };
    if (outcome.wakeUp != StepResult::NotRun) {
        const QString strResult = wakeUp.nResult == 0 ? QStringLiteral("成功") : QStringLiteral("失败");
        out.record(outcome.wakeUp == StepResult::TimedOut
                       ? QStringLiteral("wake-up: no answer within %1 s").arg(seconds(outcome.nWakeUpMs))
                       : QStringLiteral("wake-up: %1 (device %2, result %3) in %4 s")
                             .arg(strResult).arg(wakeUp.nDevice).arg(wakeUp.nResult).arg(seconds(outcome.nWakeUpMs)),
                   "wakeup",
                   { { QStringLiteral("result"), QLatin1String(stepWord(outcome.wakeUp)) },
                     { QStringLiteral("device"), qint64(wakeUp.nDevice) },
                     { QStringLiteral("code"), wakeUp.nResult },
                     { QStringLiteral("ms"), outcome.nWakeUpMs } });
    }
    if (outcome.send != StepResult::NotRun)
        out.record(QStringLiteral("packets: %1/%2 (%3 bytes) in %4 s, total %5 s")
                       .arg(outcome.nPacketsAcked).arg(outcome.nPacketCount).arg(nPayload)
                       .arg(seconds(outcome.nSendMs), seconds(outcome.nTotalMs)),
                   "sent",
                   { { QStringLiteral("result"), QLatin1String(stepWord(outcome.send)) },
                     { QStringLiteral("packets"), qint64(outcome.nPacketsAcked) },
                     { QStringLiteral("count"), qint64(outcome.nPacketCount) },
                     { QStringLiteral("ms"), outcome.nSendMs },
                     { QStringLiteral("totalMs"), outcome.nTotalMs } });
    if (bReport)
        out.record(QStringLiteral("display: #%1 %2 (state %3)")
                       .arg(report.nDisplay).arg(displayStateText(report.nState)).arg(report.nState),
                   "display",
                   { { QStringLiteral("display"), qint64(report.nDisplay) },
                     { QStringLiteral("state"), report.nState },
                     { QStringLiteral("text"), displayStateText(report.nState) } });

    const auto fail = [&](int nCode, const QString& strText) {
        out.error(strText);
        result.insert(QStringLiteral("error"), strText);
        return out.finish(nCode, result);
    };
    if (link.interrupted())
        return fail(kExitInterrupted, QStringLiteral("interrupted"));
    if (nStatus == cliexit::kPort)
        return fail(nStatus, link.errorText());
    if (outcome.wakeUp == StepResult::TimedOut)
        return fail(cliexit::kTimeout, QStringLiteral("no wake-up answer from %1").arg(opt.nAddr));
    if (outcome.wakeUp == StepResult::Refused)
        return fail(cliexit::kDevice, QStringLiteral("the wake-up failed (result %1)").arg(wakeUp.nResult));
    if (outcome.send == StepResult::TimedOut)
        return fail(cliexit::kTimeout, QStringLiteral("no acknowledgement after packet %1 of %2")
                                           .arg(outcome.nPacketsAcked).arg(outcome.nPacketCount));
    if (outcome.send == StepResult::Refused)
        return fail(cliexit::kDevice, QStringLiteral("packet %1 of %2: %3 (status %4)")
                                          .arg(lastAck.nIndex + 1).arg(lastAck.nCount)
                                          .arg(ackStatusText(lastAck.nStatus)).arg(lastAck.nStatus));
    if (outcome.send != StepResult::Succeeded)
        return fail(cliexit::kDevice, QStringLiteral("the transfer did not complete"));
    if (!bReport)
        return fail(cliexit::kTimeout, QStringLiteral("the display did not report its state"));
    if (report.nState != 0)
        return fail(cliexit::kDevice, QStringLiteral("the display reports %1 (state %2)")
                                          .arg(displayStateText(report.nState)).arg(report.nState));
    return out.finish(cliexit::kOk, result);
}

int runEndurance(const CliContext& ctx)
{
    const CliArgs& a = ctx.args;
    CliOutput& out = ctx.out;
    EnduranceOptions opt;
    if (const QString strError = transferOptions(a, kEnduranceKeepMs, opt.transfer); !strError.isEmpty())
        return out.fail(cliexit::kUsage, strError);
    // Each task builds its payload when its packets start; refuse a bad one
    // before the first task rather than in every task.
    QByteArray payload;
    if (const QString strError = buildSendablePayload(payload, opt.transfer.image, opt.transfer.payload);
        !strError.isEmpty())
        return out.fail(cliexit::kUsage, strError);
    opt.transfer.plan = TransferPlan(a.nRunMode);
    opt.nIntervalMs = qint64(a.nIntervalS) * 1000;

    QFile csv(a.strCsv);
    if (!a.strCsv.isEmpty()) {
        if (!csv.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return out.fail(cliexit::kUsage, QStringLiteral("cannot write %1: %2").arg(a.strCsv, csv.errorString()));
        csv.write("time,task,wakeup,send,packets,duration_ms\n");
        csv.flush();
    }

    CliLink link(out);
    if (const int nStatus = link.open(choosePort(a.port, ctx.settings)); nStatus != cliexit::kOk)
        return nStatus;

    EnduranceRun run;
    wire(run, link);
    EnduranceCounters counters;
    bool bEnding = false;  // no task after the current one
    QObject::connect(&run, &EnduranceRun::taskFinished, &link, [&](const EnduranceTaskResult& r) {
        counters = run.counters();
        const QString strTime = r.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
        out.record(QStringLiteral("%1 task %2: wake-up %3, send %4, %5 packets, %6 s")
                       .arg(strTime).arg(r.nTask)
                       .arg(QLatin1String(stepWord(r.wakeUp)), QLatin1String(stepWord(r.send)))
                       .arg(r.nPacketsAcked).arg(seconds(r.nDurationMs)),
                   "task",
                   { { QStringLiteral("time"), r.time.toString(Qt::ISODateWithMs) },
                     { QStringLiteral("task"), qint64(r.nTask) },
                     { QStringLiteral("wakeup"), QLatin1String(stepWord(r.wakeUp)) },
                     { QStringLiteral("send"), QLatin1String(stepWord(r.send)) },
                     { QStringLiteral("packets"), qint64(r.nPacketsAcked) },
                     { QStringLiteral("ms"), r.nDurationMs } });
        if (csv.isOpen()) {
            csv.write(QStringLiteral("%1,%2,%3,%4,%5,%6\n")
                          .arg(strTime).arg(r.nTask)
                          .arg(QLatin1String(stepWord(r.wakeUp)), QLatin1String(stepWord(r.send)))
                          .arg(r.nPacketsAcked).arg(r.nDurationMs)
                          .toUtf8());
            csv.flush();
        }
        if (bEnding || (a.nCount && r.nTask >= *a.nCount))
            link.done(cliexit::kOk);
    });
    QString strRefused;
    QObject::connect(&run, &EnduranceRun::payloadRefused, &link, [&](const QString& strReason) {
        strRefused = strReason;
        link.done(cliexit::kUsage);
    });
    // After a wake-up refused in the first task no step starts the task
    // timer, and the test page's run stands still; a script must not wait
    // for ever. A run that is idle a full interval past its last task has
    // stalled.
    bool bStalled = false;
    QTimer stallCheck;
    stallCheck.setSingleShot(true);
    QObject::connect(&stallCheck, &QTimer::timeout, &link, [&] {
        if (run.isBusy() || run.counters().nTasks > counters.nTasks) {
            stallCheck.start();
            return;
        }
        bStalled = true;
        link.done(cliexit::kOk);
    });
    stallCheck.setInterval(int(qMin<qint64>(opt.nIntervalMs + kStallSlackMs, INT_MAX)));
    QObject::connect(&run, &EnduranceRun::taskFinished, &stallCheck, [&] { stallCheck.start(); });

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &link, [&] {
        // The task under way is counted before the run ends.
        bEnding = true;
        if (!run.isBusy())
            link.done(cliexit::kOk);
    });

    if (!run.run(opt))
        return out.fail(cliexit::kUsage, QStringLiteral("the interval is not a positive number of milliseconds"));
    if (a.dDurationS)
        deadline.start(int(qMin(*a.dDurationS * 1000.0, double(INT_MAX))));
    const int nStatus = link.wait();
    if (!bEnding && !bStalled && !(a.nCount && counters.nTasks >= *a.nCount))
        counters = run.counters();
    run.stop();

    const quint32 nFailures = counters.nAwakenFail + counters.nSendFail;
    const QJsonObject result { { QStringLiteral("tasks"), qint64(counters.nTasks) },
                               { QStringLiteral("wakeupOk"), qint64(counters.nAwakenOk) },
                               { QStringLiteral("wakeupFailed"), qint64(counters.nAwakenFail) },
                               { QStringLiteral("sendOk"), qint64(counters.nSendOk) },
                               { QStringLiteral("sendFailed"), qint64(counters.nSendFail) } };
    if (!out.json())
        out.record(QStringLiteral("tasks %1: wake-up ok %2, failed %3; send ok %4, failed %5")
                       .arg(counters.nTasks).arg(counters.nAwakenOk).arg(counters.nAwakenFail)
                       .arg(counters.nSendOk).arg(counters.nSendFail),
                   "counters", {});

    const auto fail = [&](int nCode, const QString& strText) {
        out.error(strText);
        QJsonObject failedResult = result;
        failedResult.insert(QStringLiteral("error"), strText);
        return out.finish(nCode, failedResult);
    };
    if (nStatus == cliexit::kPort)
        return fail(nStatus, link.errorText());
    if (nStatus == cliexit::kUsage)
        return fail(nStatus, strRefused);
    if (bStalled)
        return fail(cliexit::kDevice, QStringLiteral("the test stalled: no task follows the refused wake-up"));
    if (link.interrupted() && nFailures == 0)
        return out.finish(cliexit::kOk, result);
    if (nFailures != 0)
        return fail(cliexit::kDevice, QStringLiteral("%1 failed steps in %2 tasks").arg(nFailures).arg(counters.nTasks));
    return out.finish(cliexit::kOk, result);
}
