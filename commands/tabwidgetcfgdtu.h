#pragma once

#include "dtucmd.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTabWidget>
#include <QVector>

class QTableWidget;
struct CmdPageDef;

// One page per command of the command definition file, tab bar hidden (the
// command list of CfgDtu selects pages). Each page is a table: a row per
// parameter (name, value) and two rows of buttons that query or set the
// device, or only generate the command code.
class TabWidgetCfgDtu : public QTabWidget
{
    Q_OBJECT

public:
    explicit TabWidgetCfgDtu(QWidget* parent = nullptr);

    // -1 no such file, -2 not readable; otherwise parseCmdJson's result.
    int loadCmdFile(const QString& strPath);
    // 0 ok, > 0 JSON parse error, -3 bad root/mode/"cmd", -4 no command built.
    // Pages built before a failure stay.
    int parseCmdJson(const QByteArray& byteJson);

    const QList<DtuCmd>& commands() const { return m_cmds; }
    QTableWidget* table(int nPage) const;
    // Page shown by row nRow of the command list; -1 when there is none.
    // Commands that are not listed leave no row, so rows and pages may differ.
    int pageOfListRow(int nRow) const;

signals:
    void clicked(QByteArray byteData, bool bSend);
    void addTabName(QString strName);
    void sendDecode(QString strDecode);

public slots:
    void showResponse(QByteArray data);
    void setCurrentListRow(int nRow);

private slots:
    void createRequestData(int nParamType, bool bSend = true);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTableWidget* addPage(const QString& strName, bool bShow);
    QList<DtuParam> fillParamRows(const QList<DtuParam>& params, QTableWidget* table);
    void addButtons(QTableWidget* table, const DtuCmd& cmd);
    void buildPage(const CmdPageDef& page);

    QList<DtuCmd> m_cmds;               // record i belongs to page i
    QList<QTableWidget*> m_tables;      // table i belongs to page i
    QMap<int, DtuResponseEntry> m_responses;
    QVector<int> m_listedPages;         // command list row -> page
    const QStringList m_headers;
};
