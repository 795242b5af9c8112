#pragma once

#include "endurancerun.h"
#include "transfersession.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// Everything a session or run reports, in order, as short strings such as
// "log:准备发送文件大小: 1,024 字节", "red:本次发送异常", "notice:唤醒超时",
// "frame:10", "frame:a0#0@0" (packet index 0 to frame address 0),
// "progress:50", "step:send=ok", "finished".
class SessionRecorder : public QObject
{
    Q_OBJECT

public:
    explicit SessionRecorder(TransferSession* session)
    {
        connect(session, &TransferSession::frameOut, this, &SessionRecorder::onFrame);
        connect(session, &TransferSession::logLine, this, &SessionRecorder::onLog);
        connect(session, &TransferSession::notice, this, [this](const QString& t) { events << "notice:" + t; });
        connect(session, &TransferSession::progress, this,
                [this](int n) { events << QStringLiteral("progress:%1").arg(n); });
        connect(session, &TransferSession::payloadRefused, this, [this](const QString& t) { events << "refused:" + t; });
        connect(session, &TransferSession::stepFinished, this, &SessionRecorder::onStep);
        connect(session, &TransferSession::finished, this, [this](const TransferOutcome& o) {
            events << QStringLiteral("finished");
            outcome = o;
            ++nFinished;
        });
    }
    explicit SessionRecorder(EnduranceRun* run)
    {
        connect(run, &EnduranceRun::frameOut, this, &SessionRecorder::onFrame);
        connect(run, &EnduranceRun::logLine, this, &SessionRecorder::onLog);
        connect(run, &EnduranceRun::notice, this, [this](const QString& t) { events << "notice:" + t; });
        connect(run, &EnduranceRun::payloadRefused, this, [this](const QString& t) { events << "refused:" + t; });
        connect(run, &EnduranceRun::taskFinished, this, [this](const EnduranceTaskResult& r) { tasks << r; });
    }

    // Events of one kind ("log", "frame", ...), prefix removed.
    QStringList only(const QString& kind) const
    {
        QStringList out;
        for (const QString& e : events)
            if (e.startsWith(kind + ':'))
                out << e.mid(kind.size() + 1);
        return out;
    }
    // The log as the page would show it.
    QString text() const { return m_text; }
    int packetFrames() const { return only("frame").filter("a0#").size(); }

    QStringList events;
    QList<QByteArray> frames;
    QList<EnduranceTaskResult> tasks;
    TransferOutcome outcome;
    int nFinished = 0;

private:
    void onFrame(const QByteArray& f)
    {
        frames << f;
        const quint8 nCtl = quint8(f.at(6));
        QString e = QStringLiteral("frame:%1").arg(nCtl, 2, 16, QLatin1Char('0'));
        if (nCtl == 0xA0)
            e += QStringLiteral("#%1@%2").arg(quint8(f.at(18))).arg(quint32(quint8(f.at(2))) | quint32(quint8(f.at(3))) << 8
                                                                  | quint32(quint8(f.at(4))) << 16
                                                                  | quint32(quint8(f.at(5))) << 24);
        events << e;
    }
    void onLog(const LogLine& l)
    {
        events << (l.severity == LogSeverity::Failure ? "red:" : "log:") + l.text;
        m_text += l.text + (l.bNewline ? "\n" : "");
    }
    void onStep(TransferStep step, StepResult r)
    {
        static const char* const names[] = { "none", "ok", "refused", "timeout", "stopped", "payload" };
        events << QStringLiteral("step:%1=%2").arg(step == TransferStep::WakeUp ? "wake" : "send", names[int(r)]);
    }

    QString m_text;
};
