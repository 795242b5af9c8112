#pragma once

#include "batchresults.h"
#include "transfersession.h"

#include <QObject>
#include <QVector>

class SessionClock;

// A row's error as the operator's language shows it; the row and its file
// keep the untranslated text.
QString shownBatchError(const QString& recorded);

// One image pushed to many displays in turn: for each row of a results
// table, a transfer to that row's address (wake-up, then packets) with the
// same image and options, its outcome written back into the row. One
// transfer runs at a time; the table shows what each display made of it.
//
//   BatchSession batch(&results);
//   connect frameOut to the port and the port's frames to answer();
//   batch.start(options, results.unfinishedRows());   // or every row
// Frames, log lines and notices are those of TransferSession; the batch
// adds a heading line per address and a summary at the end.
class BatchSession : public QObject
{
    Q_OBJECT

public:
    explicit BatchSession(BatchResults* results, SessionClock* clock = nullptr, QObject* parent = nullptr);
    ~BatchSession() override;

    void setTimeouts(const TransferTimeouts& timeouts) { m_session.setTimeouts(timeouts); }

    // Pushes options' image to the addresses of rows, in the order given;
    // false when there is nothing to do, a row is not in the table or a
    // batch runs.
    bool start(const TransferOptions& options, const QVector<int>& rows);
    // Ends the running transfer; its row and the rows not reached show so.
    void stop();

    bool isRunning() const { return m_bRunning; }

public slots:
    void answer(const QByteArray& frame) { m_session.answer(frame); }
    // A display's state report goes into the row of its address, whenever
    // it comes: displays report after drawing, often after the batch moved on.
    void noteReport(const DisplayReport& report);

signals:
    void frameOut(QByteArray frame);
    void logLine(LogLine line);
    void notice(QString text);
    // The image cannot be sent (the batch then ends): why, for the operator.
    void payloadRefused(QString reason);
    // Percent of the whole batch.
    void progress(int nPercent);
    // A row's transfer starts (its index in the table).
    void itemStarted(int nRow);
    void finished();

private:
    void startNext();
    void onTransferFinished(const TransferOutcome& outcome);
    void onProgress(int nPercent);
    void endBatch();
    void log(const QString& text, LogSeverity severity = LogSeverity::Plain);

    BatchResults* m_results;
    TransferSession m_session;
    TransferOptions m_options;
    QVector<int> m_rows;
    int m_nNext = 0;         // index into m_rows of the next transfer
    int m_nCurrent = -1;     // table row of the running transfer
    int m_nLastStatus = -2;  // last acknowledgement status of the running transfer
    QString m_refusal;       // why the payload could not be built
    bool m_bRunning = false;
    qint64 m_nStartMs = 0;
    SessionClock* m_clock;
};
