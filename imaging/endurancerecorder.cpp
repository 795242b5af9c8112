#include "endurancerecorder.h"

#include "dtuframe.h"
#include "transferframes.h"

EnduranceRecorder::EnduranceRecorder(EnduranceRun* run, QObject* parent)
    : QObject(parent)
    , m_run(run)
{
    connect(run, &EnduranceRun::taskFinished, this, &EnduranceRecorder::onTaskFinished);
}

bool EnduranceRecorder::begin(quint32 nTarget, const QString& autoPath, QString* error)
{
    finish();
    m_nTarget = nTarget;
    m_bPending = false;
    return m_csv.begin(autoPath, error);
}

void EnduranceRecorder::onTaskFinished(const EnduranceTaskResult& task)
{
    writePending();
    // Counted before the run's stop() clears them: these stay the totals.
    m_counters = m_run->counters();
    m_pending = task;
    m_strReport.clear();
    m_bPending = true;
    if (task.send != StepResult::Succeeded)
        writePending();
}

void EnduranceRecorder::answer(const QByteArray& frame)
{
    DisplayReport report;
    if (!m_bPending || frameControl(frame) != dtu::kCtlDisplayState || !parseDisplayReport(frame, report))
        return;
    if (m_nTarget != 0 && report.nDisplay != m_nTarget)
        return;
    m_strReport = displayStateText(report.nState);
    writePending();
}

void EnduranceRecorder::writePending()
{
    if (!m_bPending)
        return;
    m_bPending = false;
    m_csv.append(m_pending, m_strReport, m_counters);
}

void EnduranceRecorder::finish()
{
    writePending();
    m_csv.finish();
}
