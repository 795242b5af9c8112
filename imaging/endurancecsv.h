#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <QtGlobal>

#include <memory>

// One task of the repeated test as a CSV row.
struct EnduranceCsvRow
{
    QDateTime start;
    quint32 nTask = 0;
    QString wakeUp;          // empty: the task had no wake-up
    qint64 nWakeUpMs = -1;   // -1: no answer
    QString send;            // empty: the task sent no packets
    quint32 nPacketsAcked = 0;
    quint32 nPacketCount = 0;
    qint64 nDurationMs = 0;
    QString report;          // the display's state report, if one came
};

struct EnduranceCsvTotals
{
    quint32 nTasks = 0;
    quint32 nAwakenOk = 0;
    quint32 nAwakenFail = 0;
    quint32 nSendOk = 0;
    quint32 nSendFail = 0;
};

// The results of one repeated-test run as CSV: a heading, one row per task,
// then an empty line and the counters. Rows go to a file as they come and
// are flushed at once, so memory stays flat however long the run and a
// crash loses at most the counters. The file is the operator's automatic
// file when one is named, else a private temporary one; export copies it.
class EnduranceCsv
{
public:
    EnduranceCsv();
    ~EnduranceCsv();

    // Starts a new record, replacing the last one. autoPath empty: a
    // temporary file. False, with the reason in error, when it cannot be
    // created; the run then goes on without a record.
    bool begin(const QString& autoPath, QString* error);
    // Writes the task's row and notes the counters after it.
    bool append(const EnduranceCsvRow& row, const EnduranceCsvTotals& totals);
    // Ends the automatic file with the counters; later appends start no new file.
    void finish();

    bool isRecording() const { return m_file != nullptr; }
    quint32 rowCount() const { return m_nRows; }
    const EnduranceCsvTotals& totals() const { return m_totals; }

    // The rows so far and the latest counters, written whole into path.
    bool exportTo(const QString& path, QString* error) const;

    static QByteArray heading();
    static QByteArray record(const EnduranceCsvRow& row);
    static QByteArray totalsBlock(const EnduranceCsvTotals& totals);

private:
    std::unique_ptr<QFile> m_file;
    quint32 m_nRows = 0;
    qint64 m_nRowsEnd = 0;  // file position after the last row
    bool m_bFinished = false;
    EnduranceCsvTotals m_totals;
};
