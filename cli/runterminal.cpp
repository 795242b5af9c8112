// send and listen: the terminal page's raw view of the line.

#include "clilink.h"
#include "clioutput.h"
#include "exitcodes.h"
#include "hexcodec.h"
#include "runners.h"
#include "txcomposer.h"

#include <QDateTime>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString timeText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("[hh:mm:ss.zzz]"));
}

QString compactHex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

}  // namespace

int runSend(const CliContext& ctx)
{
    const CliArgs& a = ctx.args;
    // The page skips what is not a hex digit; a script gets told instead.
    static const QRegularExpression nonHex(QStringLiteral("[^0-9A-Fa-f ]"));
    if (!a.bText && a.strData.contains(nonHex))
        return ctx.out.fail(cliexit::kUsage, QStringLiteral("\"%1\" is not hexadecimal data (use --text for text)")
                                                 .arg(a.strData));
    TxOptions opt;
    opt.strText = a.strData;
    opt.nTxMode = a.bText ? txmode::kText : txmode::kHex;
    opt.bReturn = a.bCrlf;
    opt.bCustomCtl = !a.strCtl.isEmpty();
    opt.strCustomCtl = a.strCtl;
    opt.bTerminalId = bool(a.nTerminalId);
    opt.strTerminalId = QString::number(a.nTerminalId.value_or(0));
    const TxResult tx = composeTx(opt);
    if (tx.error == TxError::PayloadTooLong)
        return ctx.out.fail(cliexit::kUsage, QStringLiteral("DATA is longer than a frame can carry"));
    if (tx.error != TxError::None)
        return ctx.out.fail(cliexit::kUsage, QStringLiteral("no DATA to send"));

    CliLink link(ctx.out);
    if (const int nStatus = link.open(choosePort(a.port, ctx.settings)); nStatus != cliexit::kOk)
        return nStatus;
    if (!link.sendAll(tx.bytes))
        return ctx.out.fail(cliexit::kPort, link.errorText());
    ctx.out.record(hexDisplayText(tx.bytes), "sent",
                   { { QStringLiteral("bytes"), tx.bytes.size() }, { QStringLiteral("hex"), compactHex(tx.bytes) } });
    return ctx.out.finish(cliexit::kOk);
}

int runListen(const CliContext& ctx)
{
    const CliArgs& a = ctx.args;
    CliLink link(ctx.out);
    const PortChoice port = choosePort(a.port, ctx.settings);
    if (const int nStatus = link.open(port); nStatus != cliexit::kOk)
        return nStatus;
    // Tells a script that nothing sent from now on is missed.
    if (ctx.out.json())
        ctx.out.record(QString(), "open", { { QStringLiteral("port"), port.strPort } });
    else
        ctx.out.note(QStringLiteral("listening on %1").arg(port.strPort));

    qint64 nBytes = 0;
    int nFrames = 0;
    const auto show = [&](const QByteArray& bytes, const char* event) {
        const QString strStamp = a.bTimestamps ? timeText() + QStringLiteral("<< ") : QString();
        if (ctx.out.json()) {
            QJsonObject obj { { QStringLiteral("hex"), compactHex(bytes) } };
            if (a.bTimestamps)
                obj.insert(QStringLiteral("time"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
            ctx.out.record(QString(), event, obj);
        } else if (a.bText) {
            ctx.out.raw(strStamp.toUtf8() + bytes);
        } else {
            ctx.out.record(strStamp + hexDisplayText(bytes), event, {});
        }
    };
    if (a.bFrames) {
        QObject::connect(&link.worker(), &WorkerSerial::dtuResponse, &link, [&](const QByteArray& frame) {
            ++nFrames;
            show(frame, "frame");
        });
    }
    QObject::connect(&link.worker(), &WorkerSerial::dataArise, &link, [&](const QByteArray& chunk, int nDir) {
        if (nDir != 0)
            return;
        nBytes += chunk.size();
        if (!a.bFrames)
            show(chunk, "rx");
    });

    const int nMs = a.dDurationS ? int(qMin(*a.dDurationS * 1000.0, double(INT_MAX))) : -1;
    const int nStatus = link.wait(nMs);
    const QJsonObject counts { { QStringLiteral("bytes"), nBytes }, { QStringLiteral("frames"), nFrames } };
    // Listening ends by its duration or an interrupt; both are a success.
    if (nStatus == cliexit::kTimeout || (nStatus == cliexit::kOk && link.interrupted()))
        return ctx.out.finish(cliexit::kOk, counts);
    QJsonObject failed = counts;
    failed.insert(QStringLiteral("error"), link.errorText());
    ctx.out.error(link.errorText());
    return ctx.out.finish(nStatus, failed);
}
