#pragma once

#include "messagehook.h"
#include "rxdisplay.h"
#include "sendhistory.h"
#include "sessionlog.h"

#include <QButtonGroup>
#include <QRegExp>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QSettings;

namespace Ui {
class RxTx;
}

// The terminal page: sends typed data raw or in one of three DTU framings,
// and shows every chunk that passes the port.
class RxTx : public QWidget
{
    Q_OBJECT

public:
    explicit RxTx(QWidget* parent = nullptr);
    ~RxTx() override;

    virtual void loadSettings(QSettings* settings);
    virtual void saveSettings(QSettings* settings);

    // Asks the operator for a file to write; an empty result cancels.
    using SaveFileChooser = std::function<QString(const QString& strTitle, const QString& strFilter)>;

    void setMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }
    // A file dialog unless replaced (tests and tools answer it themselves).
    void setSaveFileChooser(SaveFileChooser chooser) { m_saveFileChooser = std::move(chooser); }
    // Starts logging every chunk to strPath (see SessionLog); false, after
    // telling the operator, when the file cannot be written.
    bool startLog(const QString& strPath);
    const SessionLog& sessionLog() const { return m_log; }
    // Interval at which received text is inserted into the view in one batch.
    void setRxFlushInterval(int nMs) { m_nFlushMs = nMs; }
    // Receive display logic, for tests and tools that drive it directly.
    RxDisplay& rxDisplay() { return m_rxDisplay; }

signals:
    void sendData(QByteArray data);

public slots:
    void showRx(QByteArray data, int nDir);
    void showDecode(QString strText);

private slots:
    void send();
    void setDstUsrIdChkState(int nChkState);
    void setIntervalChkState(int nChkState);
    void setCustomCtlChkState(bool bCheck);
    void setTerminalIdChkState(bool bCheck);
    void editTerminalIdEditFinished();
    void setCheckTimestamp(bool bCheck);
    void changeRxStr(QAbstractButton* button, bool checked);
    void changeTxStr(QAbstractButton* button, bool checked);
    void editSubPkgTimeFinish();
    void clearRx();
    void flushRx();
    void setSaveLog(bool bCheck);
    void exportRx();
    void logFailed();
    void showFind();
    void findNext() { find(false); }
    void findPrevious() { find(true); }
    void recallHistory(int nIndex);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void find(bool bBackward);
    void setupShortcuts();
    void remember(const QString& strText);
    void fillHistoryBox();
    void showTxText(const QString& strText);
    void warn(const QString& strTitle, const QString& strText);
    QString chooseSaveFile(const QString& strTitle, const QString& strFilter);
    void scheduleFlush();
    void trimRxView();
    void prepareRxDocument();

    Ui::RxTx* m_ui;
    QButtonGroup m_rxGroup;
    QButtonGroup m_txGroup;
    QRegExp m_nonHexReg{QStringLiteral("[^A-Fa-f0-9 ]"), Qt::CaseSensitive};
    RxDisplay m_rxDisplay;  // holds m_nRxMode, m_nSubPkgTime, m_rxTimer and m_rxStore
    QTimer m_flushTimer;
    int m_nFlushMs = 60;  // batch interval of the receive view: fewer re-layouts of a growing paragraph
    MessageHook m_messageHook;
    SaveFileChooser m_saveFileChooser;
    SessionLog m_log;
    SendHistory m_history;
};
