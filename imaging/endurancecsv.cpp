#include "endurancecsv.h"

#include "csvtext.h"

#include <QDir>
#include <QSaveFile>

namespace {

QString msText(qint64 nMs)
{
    return nMs < 0 ? QString() : QString::number(nMs);
}

}  // namespace

EnduranceCsv::EnduranceCsv() = default;
EnduranceCsv::~EnduranceCsv() = default;

QByteArray EnduranceCsv::heading()
{
    return csvRecord({ QStringLiteral("开始时间"), QStringLiteral("任务"), QStringLiteral("唤醒"),
                       QStringLiteral("唤醒耗时(ms)"), QStringLiteral("发送"), QStringLiteral("已确认包数"),
                       QStringLiteral("总包数"), QStringLiteral("耗时(ms)"), QStringLiteral("显示屏报告") });
}

QByteArray EnduranceCsv::record(const EnduranceTaskResult& task, const QString& report)
{
    const bool bSent = task.send != StepResult::NotRun;
    return csvRecord({ task.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), QString::number(task.nTask),
                       stepResultText(task.wakeUp), msText(task.nWakeUpMs), stepResultText(task.send),
                       bSent ? QString::number(task.nPacketsAcked) : QString(),
                       bSent ? QString::number(task.nPacketCount) : QString(), msText(task.nDurationMs), report });
}

QByteArray EnduranceCsv::totalsBlock(const EnduranceCounters& totals)
{
    return csvRecord({}) + csvRecord({ QStringLiteral("任务数"), QStringLiteral("唤醒成功"), QStringLiteral("唤醒失败"),
                                        QStringLiteral("发送成功"), QStringLiteral("发送失败") })
           + csvRecord({ QString::number(totals.nTasks), QString::number(totals.nAwakenOk),
                         QString::number(totals.nAwakenFail), QString::number(totals.nSendOk),
                         QString::number(totals.nSendFail) });
}

bool EnduranceCsv::begin(const QString& autoPath, QString* error)
{
    m_file.reset();
    m_nRows = 0;
    m_nRowsEnd = 0;
    m_bFinished = false;
    m_totals = EnduranceCounters();

    std::unique_ptr<QFile> file;
    bool bOpen = false;
    if (autoPath.isEmpty()) {
        auto temp = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("telvane-run-XXXXXX.csv")));
        bOpen = temp->open();
        file = std::move(temp);
    } else {
        file = std::make_unique<QFile>(autoPath);
        bOpen = file->open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    const QByteArray start = csvFileStart() + heading();
    if (!bOpen || file->write(start) != start.size() || !file->flush()) {
        if (error)
            *error = file->errorString();
        return false;
    }
    m_nRowsEnd = file->pos();
    m_file = std::move(file);
    return true;
}

bool EnduranceCsv::append(const EnduranceTaskResult& task, const QString& report, const EnduranceCounters& totals)
{
    m_totals = totals;
    if (!m_file || m_bFinished)
        return false;
    const QByteArray bytes = record(task, report);
    if (m_file->write(bytes) != bytes.size() || !m_file->flush())
        return false;
    m_nRowsEnd = m_file->pos();
    ++m_nRows;
    return true;
}

void EnduranceCsv::finish()
{
    if (!m_file || m_bFinished)
        return;
    m_bFinished = true;
    m_file->write(totalsBlock(m_totals));
    m_file->flush();
}

bool EnduranceCsv::exportTo(const QString& path, QString* error) const
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    if (!m_file) {
        out.write(csvFileStart() + heading());
    } else {
        // Copied in pieces: a record of days holds megabytes.
        QFile in(m_file->fileName());
        if (!in.open(QIODevice::ReadOnly))
            return fail(in.errorString());
        for (qint64 nLeft = m_nRowsEnd; nLeft > 0;) {
            const QByteArray chunk = in.read(qMin<qint64>(nLeft, 1 << 16));
            if (chunk.isEmpty())
                return fail(in.errorString());
            out.write(chunk);
            nLeft -= chunk.size();
        }
    }
    out.write(totalsBlock(m_totals));
    if (!out.commit())
        return fail(out.errorString());
    return true;
}
