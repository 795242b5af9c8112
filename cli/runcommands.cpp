// query, set and code: the command file's requests from the command line.

#include "clilink.h"
#include "clioutput.h"
#include "cmdcatalog.h"
#include "cmdexchange.h"
#include "exitcodes.h"
#include "runners.h"

#include <QJsonObject>

namespace {

constexpr int kQuery = 0;
constexpr int kSetting = 1;
constexpr int kAnswerTimeoutMs = 3000;

const DtuCmdSection& sectionOf(const DtuCmd& cmd, int nKind)
{
    return nKind == kQuery ? cmd.query : cmd.setting;
}

// One command to run, with the values its request carries.
struct Job
{
    const DtuCmd* cmd = nullptr;
    CmdValues values;
    bool bReadFirst = false;  // set: read the missing fields from the device first
};

// Loads the command file; false after reporting why (status in nStatus).
bool loadCatalog(const CliContext& ctx, CmdCatalog& catalog, int& nStatus)
{
    QString strError;
    if (catalog.load(locateCmdFile(ctx.args.strCmdFile, ctx.settings), strError))
        return true;
    nStatus = ctx.out.fail(cliexit::kUsage, strError);
    return false;
}

// Resolves NAME and its values for a request of nKind; empty error on success.
QString prepareJob(const CmdCatalog& catalog, const CmdRef& ref, int nKind, bool bMayRead, Job& job)
{
    const int nCmd = catalog.findCmd(ref.strName);
    if (nCmd < 0)
        return QStringLiteral("no command %1 in the command file").arg(ref.strName);
    job.cmd = &catalog.cmds().at(nCmd);
    const DtuCmd& cmd = *job.cmd;
    if (!sectionOf(cmd, nKind).isPresent())
        return QStringLiteral("%1 cannot be %2").arg(cmd.name, nKind == kQuery ? QLatin1String("queried")
                                                                                : QLatin1String("set"));
    QString strError;
    if (!fillValues(cmd, ref.values, job.values, strError))
        return strError;
    const QList<int> missing = missingFields(cmd, sectionOf(cmd, nKind), job.values);
    if (missing.isEmpty())
        return {};
    // A setting may take the fields it does not change from the device, as
    // an operator queries the page before changing one cell.
    const bool bReadable = bMayRead && nKind == kSetting && cmd.query.isPresent()
                           && missingFields(cmd, cmd.query, job.values).isEmpty();
    bool bCovered = bReadable;
    for (const int nIndex : missing)
        bCovered = bCovered && cmd.query.res.contains(nIndex);
    if (!bCovered)
        return QStringLiteral("%1: give %2 too").arg(cmd.name, fieldNames(cmd, missing));
    job.bReadFirst = true;
    return {};
}

// Sends the request and waits for its answer; the status, after reporting
// any failure.
int exchange(const CliContext& ctx, CliLink& link, const Job& job, int nKind, QMap<int, QString>& answer)
{
    const DtuCmd& cmd = *job.cmd;
    const DtuCmdSection& section = sectionOf(cmd, nKind);
    const QByteArray frame = frameFromBody(buildRequestBody(cmd, nKind, job.values.texts));
    const quint8 nCtl = quint8(section.ctl2);

    QByteArray got;
    const auto c = QObject::connect(&link.worker(), &WorkerSerial::dtuResponse, &link, [&](const QByteArray& f) {
        // Answers are matched by their control code alone.
        if (got.isEmpty() && f.size() >= dtu::kOverhead && quint8(f.at(6)) == nCtl) {
            got = f;
            link.done(cliexit::kOk);
        }
    });
    const int nTimeoutMs = ctx.args.nTimeoutMs.value_or(kAnswerTimeoutMs);
    int nStatus = link.sendAll(frame) ? link.wait(nTimeoutMs) : cliexit::kPort;
    QObject::disconnect(c);

    if (nStatus == cliexit::kTimeout)
        return ctx.out.fail(nStatus, QStringLiteral("no answer to %1 within %2 ms").arg(cmd.name).arg(nTimeoutMs));
    if (link.interrupted())
        return ctx.out.fail(kExitInterrupted, QStringLiteral("interrupted"));
    if (nStatus != cliexit::kOk)
        return ctx.out.fail(nStatus, link.errorText());
    if (!decodeAnswer(cmd, section, got, answer))
        return ctx.out.fail(cliexit::kDevice, QStringLiteral("%1: the answer is not acceptable: %2")
                                                  .arg(cmd.name, QString::fromLatin1(got.toHex().toUpper())));
    return cliexit::kOk;
}

void printValues(const CliContext& ctx, const DtuCmd& cmd, const QMap<int, QString>& values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QString& strField = cmd.m_param.at(it.key()).name;
        ctx.out.record(QStringLiteral("%1.%2 = %3").arg(cmd.name, strField, it.value()), "value",
                       { { QStringLiteral("command"), cmd.name },
                         { QStringLiteral("field"), strField },
                         { QStringLiteral("index"), it.key() },
                         { QStringLiteral("value"), it.value() } });
    }
}

int openLink(const CliContext& ctx, CliLink& link)
{
    return link.open(choosePort(ctx.args.port, ctx.settings));
}

}  // namespace

int runQuery(const CliContext& ctx)
{
    CmdCatalog catalog;
    int nStatus = cliexit::kOk;
    if (!loadCatalog(ctx, catalog, nStatus))
        return nStatus;

    QList<Job> jobs;
    if (ctx.args.bAll) {
        for (const DtuCmd& cmd : catalog.cmds()) {
            if (!cmd.query.isPresent())
                continue;
            Job job;
            job.cmd = &cmd;
            const QList<int> missing = missingFields(cmd, cmd.query, job.values);
            if (missing.isEmpty())
                jobs.append(job);
            else
                ctx.out.note(QStringLiteral("%1 skipped: its query needs %2").arg(cmd.name, fieldNames(cmd, missing)));
        }
    }
    for (const CmdRef& ref : ctx.args.cmds) {
        Job job;
        const QString strError = prepareJob(catalog, ref, kQuery, false, job);
        if (!strError.isEmpty())
            return ctx.out.fail(cliexit::kUsage, strError);
        jobs.append(job);
    }

    CliLink link(ctx.out);
    if ((nStatus = openLink(ctx, link)) != cliexit::kOk)
        return nStatus;
    for (const Job& job : jobs) {
        QMap<int, QString> answer;
        if ((nStatus = exchange(ctx, link, job, kQuery, answer)) != cliexit::kOk)
            return nStatus;
        printValues(ctx, *job.cmd, answer);
    }
    return ctx.out.finish(cliexit::kOk);
}

int runSet(const CliContext& ctx)
{
    CmdCatalog catalog;
    int nStatus = cliexit::kOk;
    if (!loadCatalog(ctx, catalog, nStatus))
        return nStatus;
    Job job;
    const QString strError = prepareJob(catalog, ctx.args.cmds.first(), kSetting, true, job);
    if (!strError.isEmpty())
        return ctx.out.fail(cliexit::kUsage, strError);

    CliLink link(ctx.out);
    if ((nStatus = openLink(ctx, link)) != cliexit::kOk)
        return nStatus;
    if (job.bReadFirst) {
        QMap<int, QString> current;
        if ((nStatus = exchange(ctx, link, job, kQuery, current)) != cliexit::kOk)
            return nStatus;
        const QList<int> missing = missingFields(*job.cmd, job.cmd->setting, job.values);
        ctx.out.note(QStringLiteral("%1: kept %2 as the device has it").arg(job.cmd->name, fieldNames(*job.cmd, missing)));
        for (const int nIndex : missing)
            job.values.texts[nIndex] = current.value(nIndex);
    }
    QMap<int, QString> answer;
    if ((nStatus = exchange(ctx, link, job, kSetting, answer)) != cliexit::kOk)
        return nStatus;
    printValues(ctx, *job.cmd, answer);
    return ctx.out.finish(cliexit::kOk);
}

int runCode(const CliContext& ctx)
{
    CmdCatalog catalog;
    int nStatus = cliexit::kOk;
    if (!loadCatalog(ctx, catalog, nStatus))
        return nStatus;
    const int nKind = ctx.args.nCodeKind;
    Job job;
    const QString strError = prepareJob(catalog, ctx.args.cmds.first(), nKind, false, job);
    if (!strError.isEmpty())
        return ctx.out.fail(cliexit::kUsage, strError);
    const QString strHex = QString::fromLatin1(
        frameFromBody(buildRequestBody(*job.cmd, nKind, job.values.texts)).toHex().toUpper());
    ctx.out.record(strHex, "code",
                   { { QStringLiteral("command"), job.cmd->name },
                     { QStringLiteral("kind"), nKind == kQuery ? QStringLiteral("query") : QStringLiteral("set") },
                     { QStringLiteral("hex"), strHex } });
    return ctx.out.finish(cliexit::kOk);
}
