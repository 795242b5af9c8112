#include "clioutput.h"

#include <QJsonDocument>

#include <unistd.h>

CliOutput::CliOutput(bool bJson, bool bQuiet, FILE* out, FILE* err)
    : m_bJson(bJson)
    , m_bQuiet(bQuiet)
    , m_out(out)
    , m_err(err)
    , m_bTty(isatty(fileno(err)) == 1)
{
}

void CliOutput::record(const QString& strText, const char* event, QJsonObject obj)
{
    if (m_bJson) {
        obj.insert(QStringLiteral("event"), QLatin1String(event));
        std::fputs(QJsonDocument(obj).toJson(QJsonDocument::Compact).constData(), m_out);
    } else {
        std::fputs(strText.toUtf8().constData(), m_out);
    }
    std::fputc('\n', m_out);
    // Scripts read results as they come, also through a pipe.
    std::fflush(m_out);
}

void CliOutput::raw(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

void CliOutput::note(const QString& strText)
{
    if (m_bQuiet)
        return;
    endProgress();
    std::fprintf(m_err, "%s\n", strText.toUtf8().constData());
}

void CliOutput::error(const QString& strText)
{
    endProgress();
    std::fprintf(m_err, "telvanectl: %s\n", strText.toUtf8().constData());
}

void CliOutput::progress(int nDone, int nTotal, qint64 nBytesDone, qint64 nBytesTotal)
{
    if (m_bQuiet || nTotal <= 0)
        return;
    if (!m_progressClock.isValid())
        m_progressClock.start();
    const qint64 nMs = qMax<qint64>(1, m_progressClock.elapsed());
    if (!m_bTty) {
        const int nTenth = nDone * 10 / nTotal;
        if (nTenth == m_nLastTenth)
            return;
        m_nLastTenth = nTenth;
        std::fprintf(m_err, "packets %d/%d\n", nDone, nTotal);
        return;
    }
    constexpr int kWidth = 30;
    const int nFilled = nDone * kWidth / nTotal;
    const double dRate = double(nBytesDone) * 1000.0 / double(nMs);
    const qint64 nLeftS = nBytesDone > 0 ? qint64(double(nBytesTotal - nBytesDone) / dRate) : -1;
    const QByteArray bar = QByteArray(nFilled, '#') + QByteArray(kWidth - nFilled, '.');
    std::fprintf(m_err, "\r[%s] %d/%d packets  %.1f kB/s  %s left ", bar.constData(), nDone, nTotal,
                 dRate / 1000.0,
                 nLeftS < 0 ? "--:--"
                            : qPrintable(QStringLiteral("%1:%2").arg(nLeftS / 60, 2, 10, QLatin1Char('0'))
                                             .arg(nLeftS % 60, 2, 10, QLatin1Char('0'))));
    std::fflush(m_err);
    m_bBarShown = true;
}

void CliOutput::endProgress()
{
    if (m_bBarShown)
        std::fputc('\n', m_err);
    m_bBarShown = false;
}

int CliOutput::finish(int nStatus, const QJsonObject& extra)
{
    endProgress();
    if (m_bJson) {
        QJsonObject obj = extra;
        obj.insert(QStringLiteral("ok"), nStatus == 0);
        obj.insert(QStringLiteral("status"), nStatus);
        record(QString(), "result", obj);
    }
    return nStatus;
}

int CliOutput::fail(int nStatus, const QString& strText)
{
    error(strText);
    return finish(nStatus, { { QStringLiteral("error"), strText } });
}
