#pragma once

#include "endurancerecorder.h"
#include "endurancerun.h"
#include "pagesupport.h"
#include "sourceimage.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QWidget>

namespace Ui {
class TransTest;
}

// The page "发送测试": the form of the repeated test. It reads its fields,
// starts and stops an EnduranceRun and shows its log; the run paces the
// tasks and keeps the counters. Every task's result goes into a record
// ("导出结果" saves it as CSV; "自动保存结果" writes it to a file as the
// run goes). The page keeps no settings.
class TransTest : public QWidget
{
    Q_OBJECT

public:
    explicit TransTest(QWidget* parent = nullptr);
    ~TransTest() override;

    void setPortOpenQuery(PortOpenQuery query) { m_hooks.portOpen = std::move(query); }
    void setMessageHook(MessageHook hook) { m_hooks.message = std::move(hook); }
    void setFileChooser(FileChooser chooser) { m_hooks.chooseFile = std::move(chooser); }
    void setPayloadCopyPath(const QString& strPath) { m_hooks.payloadCopy = strPath; }
    void setTimeouts(const TransferTimeouts& timeouts);

    EnduranceCounters counters() const { return m_run.counters(); }
    bool isSending() const { return m_run.isBusy(); }
    // A transfer or a repeated test is running; cancelTransfer ends it.
    bool isBusy() const { return m_run.isRunning() || m_run.isBusy(); }
    void cancelTransfer() { m_run.stop(); }
    const QByteArray& payload() const { return m_run.session().payload(); }

    // The results of the current or last run as CSV; false after warning why not.
    bool exportResults(const QString& path);
    // The file the next run writes its results to as it goes; empty: none.
    void setAutoCsvPath(const QString& path);

signals:
    void sendData(QByteArray byteData);
    void setLog(QString strLog);

public slots:
    void transResponse(QByteArray byteData);

private slots:
    void openFile();
    int getId(quint32& nAddr);
    void run();
    void stop();
    void chooseExportFile();
    void chooseAutoCsvFile(bool bChecked);

private:
    TransferOptions transferOptions() const;
    void updateRun();

    Ui::TransTest* ui = nullptr;
    QRegularExpression m_regAddr;
    SourceImage m_source;
    EnduranceRun m_run;
    EnduranceRecorder m_recorder;
    PageHooks m_hooks;
    int m_nIntervalUnitMs = TransferTimeouts().nIntervalUnitMs;
};
