#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class QSettings;

namespace Ui {
class CfgDtu;
}

// The command configuration page: the command list beside the command pages,
// and above them the device address bar with the generated command code.
// Turns request bodies of the command pages into frames addressed to 0 and
// either sends them or shows them as hexadecimal text.
class CfgDtu : public QWidget
{
    Q_OBJECT

public:
    explicit CfgDtu(QWidget* parent = nullptr);
    ~CfgDtu() override;

    // Splitter sizes, group "CfgDtu": "CmdSize" (list) and "ParamSize" (pages).
    virtual void loadSettings(QSettings* pSettings);
    virtual void saveSettings(QSettings* pSettings);

    // -1 when no file exists at strPath; otherwise the result of
    // TabWidgetCfgDtu::loadCmdFile. On success the first listed page is shown.
    int loadCommands(const QString& strPath);
    // Why the last loadCommands failed.
    QString loadProblem() const;

signals:
    void sendCmd(QByteArray byteData);
    void sendDtuRes(QByteArray byteData);
    void setLog(QString strLog);
    void sendDecode(QString strDecode);

public slots:
    void decodeResponse(QByteArray byteData);

private slots:
    void setMode(int nIndex);
    void encodeQuery(QByteArray byteData, bool bSend);
    void addName2List(QString strName);
    void copyCode();

private:
    Ui::CfgDtu* ui;
    QByteArray m_frame;  // the last frame built
};
