#pragma once

#include "endurancerun.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <QtGlobal>

#include <memory>

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
    // Writes the task's row, with the display's state report if one came,
    // and notes the counters after it.
    bool append(const EnduranceTaskResult& task, const QString& report, const EnduranceCounters& totals);
    // Ends the automatic file with the counters; later appends start no new file.
    void finish();

    bool isRecording() const { return m_file != nullptr; }
    quint32 rowCount() const { return m_nRows; }
    const EnduranceCounters& totals() const { return m_totals; }

    // The rows so far and the latest counters, written whole into path.
    bool exportTo(const QString& path, QString* error) const;

    static QByteArray heading();
    static QByteArray record(const EnduranceTaskResult& task, const QString& report);
    static QByteArray totalsBlock(const EnduranceCounters& totals);

private:
    std::unique_ptr<QFile> m_file;
    quint32 m_nRows = 0;
    qint64 m_nRowsEnd = 0;  // file position after the last row
    bool m_bFinished = false;
    EnduranceCounters m_totals;
};
