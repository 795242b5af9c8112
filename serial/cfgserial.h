#pragma once

#include <QGroupBox>
#include <QList>
#include "messagehook.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

#include "portentry.h"

class CfgDetail;
class PortRecovery;
class QSettings;

namespace Ui {
class CfgSerial;
}

// The serial settings panel: pick, name and configure the port, open and
// close it through signals to the worker, and turn its result codes into
// messages. Port names, friendly names, selection and baud persist in
// Telvane.ini. A network port (socket://HOST:PORT or rfc2217://HOST:PORT)
// typed into the port box joins the list and is kept like the others.
class CfgSerial : public QGroupBox
{
    Q_OBJECT
public:
    using PortEnumerator = std::function<QList<PortEntry>()>;

    explicit CfgSerial(QWidget* parent = nullptr);
    ~CfgSerial() override;

    virtual void loadSettings(QSettings* settings);
    virtual void saveSettings(QSettings* settings);

    // Device paths offered after the enumerated ports at every rebuild; the
    // first is selected by loadSettings in place of the saved port.
    void setExtraPorts(const QStringList& paths);
    // Where the ports come from; the platform's list unless replaced.
    void setPortEnumerator(PortEnumerator enumerator);
    // How messages reach the operator; a modal box with one OK button unless replaced.
    void setMessageHook(MessageHook hook);
    // The settings file that a port list refresh updates.
    void setSettingsPath(const QString& strPath) { m_strSettingsPath = strPath; }

    bool isPortOpen() const { return m_bOpen; }
    // Waits for a lost port to come back (see PortRecovery).
    PortRecovery* recovery() const { return m_recovery; }

signals:
    void setParam(QVariant varParam, QString strPort);
    void setPort(QString strPort);
    void setBaud(int nBaud);
    void setParity(int nParity);
    void closePort();
    void setDtr(bool bOn);
    void setRts(bool bOn);
    // A short event text for the status bar.
    void setLog(QString strLog);

public slots:
    void availablePorts(bool bFirstOpen = false);
    void portChange(int nIndex);
    void baudChange(int nIndex);
    void portError(int nErr, QString strReason = QString());
    void portLost(QString strReason);

private slots:
    void openAndClose();
    void openCfgDetail();
    void renamePort(const QString& strText);
    void reopenReturnedPort(const QString& strSystem);
    void recoveryGaveUp();
    void portTextEntered();

private:
    void applyStoredNames(QSettings* settings);
    // Network ports typed earlier or saved in the file, appended after the others.
    void appendNetworkPorts(const QStringList& names);
    void addNetworkPort(const QString& strName);
    void writePortKeys(QSettings* settings) const;
    int findPortData(const QString& strSystem) const;
    void showButtonClosed();
    void showButtonOpen();
    void reportLoss(const QString& strText);
    void showMessage(QMessageBox::Icon icon, const QString& strTitle, const QString& strText);

    Ui::CfgSerial* m_ui;
    CfgDetail* m_detail;
    QList<PortEntry> m_ports;
    QStringList m_extraPorts;
    PortEnumerator m_enumerator;
    MessageHook m_messageHook;
    QString m_strSettingsPath = QStringLiteral("Telvane.ini");
    PortRecovery* m_recovery;
    bool m_bOpen = false;
    int m_nCurIndex = -1;
    // The port as last opened by the operator, for reopening it after a loss.
    QVariant m_openParam;
    QString m_strOpenSystem;
    QString m_strOpenSerial;
    QString m_strLossText;
    bool m_bReopening = false;  // a reopen after a loss awaits its result
    // The item whose name the operator's typing changed, and its name before:
    // typing a network address starts like a rename and is undone on entry.
    int m_nRenamedIndex = -1;
    QString m_strRenamedFrom;
};
