#pragma once

#include "batchresults.h"
#include "batchsession.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <functional>

class PageHooks;

namespace Ui {
class BatchPanel;
}

// The batch push of the image page: the list of target addresses, the
// buttons, and the results table. The page supplies the image and options
// and carries the frames; the panel renders what its BatchSession reports.
class BatchPanel : public QWidget
{
    Q_OBJECT

public:
    // Fills in the image, payload options and keep time; false after the
    // page has told the operator why the batch cannot start.
    using OptionsSource = std::function<bool(TransferOptions& options)>;

    explicit BatchPanel(QWidget* parent = nullptr);
    ~BatchPanel() override;

    void setup(const PageHooks* hooks, OptionsSource source);
    void setTimeouts(const TransferTimeouts& timeouts) { m_session.setTimeouts(timeouts); }

    bool isRunning() const { return m_session.isRunning(); }
    const BatchResults& results() const { return m_results; }

    // Puts the addresses of a text or CSV file into the list; warns about
    // the lines it did not take. False when the file gave no address.
    bool loadAddressFile(const QString& path);
    // False after warning why the table could not be saved.
    bool exportResults(const QString& path);

signals:
    void sendData(QByteArray byteData);
    void logLine(LogLine line);
    void notice(QString text);
    void progress(int nPercent);
    void runningChanged(bool bRunning);

public slots:
    void answer(const QByteArray& frame) { m_session.answer(frame); }
    void noteReport(const DisplayReport& report) { m_session.noteReport(report); }
    void startBatch();
    void retryFailed();
    void stopBatch();

private slots:
    void chooseAddressFile();
    void chooseExportFile();

private:
    void run(const QVector<int>& rows);
    void warnProblems(const QStringList& problems);
    void updateState();

    Ui::BatchPanel* ui = nullptr;
    BatchResults m_results;
    BatchSession m_session;
    const PageHooks* m_hooks = nullptr;
    OptionsSource m_source;
    QString m_strLastDir;
};
