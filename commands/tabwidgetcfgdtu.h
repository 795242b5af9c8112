#pragma once

#include "cmdfile.h"
#include "dtucmd.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTabWidget>
#include <QVector>

class QTableWidget;

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

    // What the last failed load found wrong; empty after a success.
    QString loadProblem() const { return m_strLoadProblem; }

    const QList<DtuCmd>& commands() const { return m_cmds; }
    // The table of page nPage, built now if it was not yet; nullptr when
    // there is no such page.
    QTableWidget* table(int nPage);
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
    QWidget* addPage(const QString& strName, bool bShow);
    QTableWidget* buildTable(int nPage);
    QList<DtuParam> fillParamRows(const QList<DtuParam>& params, QTableWidget* table);
    void addButtons(QTableWidget* table, const DtuCmd& cmd);
    void buildPendingTables();

    // Tables are built when their page is first shown or needed, and the
    // rest in idle time: building hundreds of tables at once would stall
    // start-up.
    QList<DtuCmd> m_cmds;               // record i belongs to page i
    QVector<CmdPageDef> m_pageDefs;     // what page i shows
    QList<QTableWidget*> m_tables;      // table i belongs to page i; nullptr until built
    int m_nUnbuiltFrom = 0;             // first page that may still lack its table
    QMap<int, DtuResponseEntry> m_responses;
    QVector<int> m_listedPages;         // command list row -> page
    const QStringList m_headers;
    QString m_strLoadProblem;
};
