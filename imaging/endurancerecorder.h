#pragma once

#include "endurancecsv.h"
#include "endurancerun.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// Writes the tasks of a repeated test into an EnduranceCsv as they end.
// A display reports its state some time after a transfer completes, so the
// row of such a task waits for the report of the run's target; it is
// written when the report comes, when the next task ends or at finish().
// Rows of other tasks are written at once.
class EnduranceRecorder : public QObject
{
    Q_OBJECT

public:
    explicit EnduranceRecorder(EnduranceRun* run, QObject* parent = nullptr);

    // A new record for a run against nTarget (0: reports of any display).
    // autoPath empty: no automatic file. False, with the reason, when the
    // automatic file cannot be created; nothing is recorded then.
    bool begin(quint32 nTarget, const QString& autoPath, QString* error);
    // The run has stopped: the waiting row is written and the automatic
    // file ends with the counters.
    void finish();

    bool exportTo(const QString& path, QString* error) const { return m_csv.exportTo(path, error); }
    const EnduranceCsv& csv() const { return m_csv; }

public slots:
    // Every frame from the line; only display reports matter here.
    void answer(const QByteArray& frame);

private:
    void onTaskFinished(const EnduranceTaskResult& task);
    void writePending();

    EnduranceRun* m_run;
    EnduranceCsv m_csv;
    quint32 m_nTarget = 0;
    bool m_bPending = false;
    EnduranceTaskResult m_pending;
    QString m_strReport;
    EnduranceCounters m_counters;  // as the last task ended
};
