#include "batchpanel.h"
#include "ui_batchpanel.h"

#include "addresslist.h"
#include "pagesupport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>

namespace {

// Enough lines of a long problem list for the operator to see the kind.
constexpr int kShownProblems = 10;

}  // namespace

BatchPanel::BatchPanel(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::BatchPanel)
    , m_session(&m_results)
{
    ui->setupUi(this);
    ui->tableBatch->setModel(&m_results);
    ui->tableBatch->horizontalHeader()->setStretchLastSection(true);
    ui->tableBatch->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    connect(ui->pbAddrFile, &QPushButton::clicked, this, &BatchPanel::chooseAddressFile);
    connect(ui->pbBatchSend, &QPushButton::clicked, this, &BatchPanel::startBatch);
    connect(ui->pbBatchRetry, &QPushButton::clicked, this, &BatchPanel::retryFailed);
    connect(ui->pbBatchStop, &QPushButton::clicked, this, &BatchPanel::stopBatch);
    connect(ui->pbBatchExport, &QPushButton::clicked, this, &BatchPanel::chooseExportFile);

    connect(&m_session, &BatchSession::frameOut, this, &BatchPanel::sendData);
    connect(&m_session, &BatchSession::logLine, this, &BatchPanel::logLine);
    connect(&m_session, &BatchSession::notice, this, &BatchPanel::notice);
    connect(&m_session, &BatchSession::progress, this, &BatchPanel::progress);
    connect(&m_session, &BatchSession::payloadRefused, this,
            [this](const QString& reason) { m_hooks->critical(this, reason); });
    connect(&m_session, &BatchSession::itemStarted, this, [this](int nRow) {
        ui->tableBatch->scrollTo(m_results.index(nRow, 0));
        updateState();
    });
    connect(&m_session, &BatchSession::finished, this, [this] {
        updateState();
        emit runningChanged(false);
    });
    updateState();
}

BatchPanel::~BatchPanel()
{
    delete ui;
}

void BatchPanel::setup(const PageHooks* hooks, OptionsSource source)
{
    m_hooks = hooks;
    m_source = std::move(source);
}

void BatchPanel::warnProblems(const QStringList& problems)
{
    QStringList shown = problems.mid(0, kShownProblems);
    if (problems.size() > kShownProblems)
        shown << tr("…… 共 %1 行有误").arg(problems.size());
    m_hooks->warn(this, shown.join(QLatin1Char('\n')));
}

bool BatchPanel::loadAddressFile(const QString& path)
{
    const AddressList list = readAddressFile(path);
    if (!list.problems.isEmpty())
        warnProblems(list.problems);
    if (list.addresses.isEmpty())
        return false;
    QStringList lines;
    for (const quint32 nAddr : list.addresses)
        lines << QString::number(nAddr);
    ui->editAddrList->setPlainText(lines.join(QLatin1Char('\n')));
    return true;
}

void BatchPanel::startBatch()
{
    if (isRunning())
        return;
    const AddressList list = parseAddressList(ui->editAddrList->toPlainText());
    if (!list.problems.isEmpty()) {
        warnProblems(list.problems);
        return;
    }
    if (list.addresses.isEmpty()) {
        m_hooks->warn(this, tr("请输入目标地址, 每行一个"));
        return;
    }
    m_results.setAddresses(list.addresses);
    QVector<int> rows(m_results.rowCount());
    for (int i = 0; i < rows.size(); ++i)
        rows[i] = i;
    run(rows);
}

void BatchPanel::retryFailed()
{
    if (isRunning())
        return;
    const QVector<int> rows = m_results.unfinishedRows();
    if (rows.isEmpty()) {
        m_hooks->warn(this, tr("没有需要重试的地址"));
        return;
    }
    run(rows);
}

void BatchPanel::run(const QVector<int>& rows)
{
    TransferOptions options;
    if (!m_source || !m_source(options))
        return;
    emit runningChanged(true);
    if (!m_session.start(options, rows))
        emit runningChanged(false);
    updateState();
}

void BatchPanel::stopBatch()
{
    m_session.stop();
}

bool BatchPanel::exportResults(const QString& path)
{
    QString error;
    if (m_results.saveCsv(path, &error))
        return true;
    m_hooks->warn(this, tr("保存结果失败: %1").arg(error));
    return false;
}

void BatchPanel::chooseAddressFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("读取目标地址"), m_strLastDir,
                                                      tr("地址(*.txt *.csv);;所有文件(*)"));
    if (path.isEmpty())
        return;
    m_strLastDir = QFileInfo(path).absolutePath();
    loadAddressFile(path);
}

void BatchPanel::chooseExportFile()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("导出结果"), m_strLastDir,
                                                      QStringLiteral("CSV(*.csv)"));
    if (path.isEmpty())
        return;
    m_strLastDir = QFileInfo(path).absolutePath();
    exportResults(path);
}

void BatchPanel::updateState()
{
    const bool bRunning = isRunning();
    ui->editAddrList->setReadOnly(bRunning);
    ui->pbAddrFile->setEnabled(!bRunning);
    ui->pbBatchSend->setEnabled(!bRunning);
    ui->pbBatchRetry->setEnabled(!bRunning);
    ui->pbBatchStop->setEnabled(bRunning);
    const int nRows = m_results.rowCount();
    const int nOk = m_results.count(BatchItem::State::Succeeded);
    const int nFailed = m_results.count(BatchItem::State::Failed);
    ui->lblBatchState->setText(nRows == 0 ? QString()
                                          : tr("共 %1 台: 成功 %2, 失败 %3, 未完成 %4")
                                                .arg(nRows)
                                                .arg(nOk)
                                                .arg(nFailed)
                                                .arg(nRows - nOk - nFailed));
}
