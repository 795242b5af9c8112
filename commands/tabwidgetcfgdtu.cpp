#include "tabwidgetcfgdtu.h"
#include "commandslog.h"

#include "cmdexchange.h"
#include "cmdfile.h"

#include <QButtonGroup>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kMinNameColumnWidth = 150;

struct ButtonLook
{
    const char* objectName;
    const char* text;
    const char* toolTip;
    const char* icon;
};

// [row: send, generate][column: read, write]
const ButtonLook kButtons[2][2] = {
    {{"pbtnQuery", QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "查询"),
      QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "查询本页数据"), ":/ico/icon/query_48.png"},
     {"pbtnSetting", QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "设置"),
      QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "设置本页数据"), ":/ico/icon/setting_48.png"}},
    {{"pbtnQueryCode", QT_TRANSLATE_NOOP("TabWidgetCfgDtu", " 生成查询指令"),
      QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "生成查询指令"), ":/ico/icon/matrix_32.png"},
     {"pbtnSettingCode", QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "生成设置指令"),
      QT_TRANSLATE_NOOP("TabWidgetCfgDtu", "生成设置指令"), ":/ico/icon/matrix_32.png"}},
};

QPushButton* makeButton(const ButtonLook& look, QWidget* parent)
{
    auto* button = new QPushButton(QIcon(QString::fromLatin1(look.icon)),
                                   TabWidgetCfgDtu::tr(look.text), parent);
    button->setObjectName(QString::fromLatin1(look.objectName));
    button->setToolTip(TabWidgetCfgDtu::tr(look.toolTip));
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(24, 24));
    return button;
}

}  // namespace

TabWidgetCfgDtu::TabWidgetCfgDtu(QWidget* parent)
    : QTabWidget(parent), m_headers{tr("参数名"), tr("参数值")}
{
    tabBar()->hide();
    connect(this, &QTabWidget::currentChanged, this, [this](int nPage) { table(nPage); });
}

int TabWidgetCfgDtu::loadCmdFile(const QString& strPath)
{
    if (!QFileInfo::exists(strPath)) {
        m_strLoadProblem = tr("文件不存在");
        return CmdFileMissing;
    }
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_strLoadProblem = tr("无法读取: %1").arg(file.errorString());
        return CmdFileUnreadable;
    }
    return parseCmdJson(file.readAll());
}

int TabWidgetCfgDtu::parseCmdJson(const QByteArray& byteJson)
{
    CmdFileDef def = parseCmdDefinitions(byteJson);
    m_strLoadProblem = def.strProblem;
    // Page numbers of the result count from this widget's first new page.
    const int nFirstPage = m_pageDefs.size();
    for (auto it = def.responses.begin(); it != def.responses.end(); ++it) {
        it->page += nFirstPage;
        m_responses.insert(it.key(), it.value());
    }
    for (const CmdPageDef& page : qAsConst(def.pages)) {
        if (page.bComplete)
            m_cmds.append(page.cmd);
        m_pageDefs.append(page);
        m_tables.append(nullptr);
        addPage(dtuCommandText(page.strPageName), page.bShow);
    }
    if (!def.pages.isEmpty())
        QTimer::singleShot(0, this, &TabWidgetCfgDtu::buildPendingTables);
    return def.nResult;
}

QWidget* TabWidgetCfgDtu::addPage(const QString& strName, bool bShow)
{
    auto* page = new QWidget(this);
    page->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    const int nPage = addTab(page, strName);
    if (bShow) {
        m_listedPages.append(nPage);
        emit addTabName(strName);
    }
    return page;
}

QTableWidget* TabWidgetCfgDtu::buildTable(int nPage)
{
    const CmdPageDef& def = m_pageDefs.at(nPage);
    QWidget* page = widget(nPage);
    auto* table = new QTableWidget(page);
    table->setObjectName(def.strPageName);
    table->setAccessibleName(dtuCommandText(def.strPageName));
    page->layout()->addWidget(table);
    m_tables[nPage] = table;

    table->setColumnCount(2);
    table->setHorizontalHeaderLabels(m_headers);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setRowCount(def.nParamElements + 1);
    const QList<DtuParam> params = fillParamRows(def.cmd.m_param, table);
    if (!def.bComplete)
        return table;  // the page of the command that ended the load stays empty

    table->setRowCount(params.size() + 2);
    addButtons(table, def.cmd);
    table->setAlternatingRowColors(true);
    table->resizeColumnToContents(0);
    table->setColumnWidth(0, qMax(kMinNameColumnWidth, table->columnWidth(0)));
    return table;
}

void TabWidgetCfgDtu::buildPendingTables()
{
    constexpr int kBatch = 16;  // keeps each event-loop turn short
    for (int nBuilt = 0; m_nUnbuiltFrom < m_tables.size() && nBuilt < kBatch; ++m_nUnbuiltFrom) {
        if (m_tables.at(m_nUnbuiltFrom) == nullptr) {
            buildTable(m_nUnbuiltFrom);
            ++nBuilt;
        }
    }
    if (m_nUnbuiltFrom < m_tables.size())
        QTimer::singleShot(0, this, &TabWidgetCfgDtu::buildPendingTables);
}

QList<DtuParam> TabWidgetCfgDtu::fillParamRows(const QList<DtuParam>& params, QTableWidget* table)
{
    for (int nRow = 0; nRow < params.size(); ++nRow) {
        const DtuParam& param = params.at(nRow);
        auto* nameItem = new QTableWidgetItem(dtuCommandText(param.name));
        if (!param.comment.isEmpty())
            nameItem->setToolTip(dtuCommandText(param.comment));
        nameItem->setFlags(nameItem->flags() & ~Qt::ItemIsEditable);
        table->setItem(nRow, 0, nameItem);
        table->setItem(nRow, 1, new QTableWidgetItem);
    }
    return params;
}

void TabWidgetCfgDtu::addButtons(QTableWidget* table, const DtuCmd& cmd)
{
    const int nParams = cmd.m_param.size();
    auto* sendGroup = new QButtonGroup(table);
    auto* codeGroup = new QButtonGroup(table);
    const bool present[2] = {cmd.query.isPresent(), cmd.setting.isPresent()};
    for (int nColumn = 0; nColumn < 2; ++nColumn) {
        if (!present[nColumn])
            continue;
        QPushButton* send = makeButton(kButtons[0][nColumn], table);
        QPushButton* code = makeButton(kButtons[1][nColumn], table);
        sendGroup->addButton(send, nColumn);
        codeGroup->addButton(code, nColumn);
        table->setCellWidget(nParams, nColumn, send);
        table->setCellWidget(nParams + 1, nColumn, code);
    }
    connect(sendGroup, &QButtonGroup::idClicked, this, [this](int nId) { createRequestData(nId, true); });
    connect(codeGroup, &QButtonGroup::idClicked, this, [this](int nId) { createRequestData(nId, false); });
}

QTableWidget* TabWidgetCfgDtu::table(int nPage)
{
    if (nPage < 0 || nPage >= m_tables.size())
        return nullptr;
    QTableWidget* pageTable = m_tables.at(nPage);
    return pageTable ? pageTable : buildTable(nPage);
}

int TabWidgetCfgDtu::pageOfListRow(int nRow) const
{
    return nRow >= 0 && nRow < m_listedPages.size() ? m_listedPages.at(nRow) : -1;
}

void TabWidgetCfgDtu::setCurrentListRow(int nRow)
{
    const int nPage = pageOfListRow(nRow);
    if (nPage >= 0)
        setCurrentIndex(nPage);
}

void TabWidgetCfgDtu::createRequestData(int nParamType, bool bSend)
{
    const int nPage = currentIndex();
    if (nPage < 0 || nPage >= m_pageDefs.size() || !m_pageDefs.at(nPage).bComplete)
        return;
    const DtuCmd& cmd = m_pageDefs.at(nPage).cmd;
    QTableWidget* pageTable = table(nPage);
    QStringList values;
    values.reserve(cmd.m_param.size());
    for (int nRow = 0; nRow < cmd.m_param.size(); ++nRow) {
        const QTableWidgetItem* item = pageTable->item(nRow, 1);
        values.append(item ? item->text() : QString());
    }
    const QByteArray body = buildRequestBody(cmd, nParamType, values);
    if (body.isEmpty())
        return;
    qCDebug(lcCommands, "ready emit clicked");
    emit clicked(body, bSend);
}

void TabWidgetCfgDtu::showResponse(QByteArray data)
{
    if (data.isEmpty())
        return;
    qCDebug(lcCommands, "decode");
    const DtuDecodedResponse decoded = decodeResponseFrame(m_responses, data);
    QTableWidget* pageTable = table(decoded.page);
    if (pageTable == nullptr)
        return;

    QString strSummary;
    for (auto it = decoded.values.cbegin(); it != decoded.values.cend(); ++it) {
        const int nRow = it.key();
        if (nRow >= pageTable->rowCount())
            continue;
        QTableWidgetItem* valueItem = pageTable->item(nRow, 1);
        if (valueItem == nullptr) {
            valueItem = new QTableWidgetItem;
            pageTable->setItem(nRow, 1, valueItem);
        }
        valueItem->setText(it.value());
        const QTableWidgetItem* nameItem = pageTable->item(nRow, 0);
        if (nameItem == nullptr)
            continue;
        // The page's shown name; its object name keeps the file's text.
        if (strSummary.isEmpty())
            strSummary = QLatin1Char('[') + pageTable->accessibleName() + QLatin1Char(']');
        strSummary += QStringLiteral("\r\n") + nameItem->text() + QStringLiteral(" : ")
                      + valueItem->text();
    }
    if (!strSummary.isEmpty())
        emit sendDecode(strSummary);
}

void TabWidgetCfgDtu::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        if (QTableWidget* pageTable = table(currentIndex())) {
            const QList<QTableWidgetItem*> selected = pageTable->selectedItems();
            for (QTableWidgetItem* item : selected) {
                if (item->column() == 1)
                    item->setText(QString());
            }
        }
    }
    QTabWidget::keyPressEvent(event);
}
