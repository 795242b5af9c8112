#include "cfgdtu.h"
#include "commandslog.h"

#include "ui_cfgdtu.h"

#include "cmdexchange.h"
#include "dtuframe.h"
#include "settingsbounds.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QListView>
#include <QSettings>

namespace {
constexpr int kDefaultCmdSize = 220;
constexpr int kDefaultParamSize = 360;
constexpr int kMaxPaneSize = 100000;
}  // namespace

CfgDtu::CfgDtu(QWidget* parent) : QWidget(parent), ui(new Ui::CfgDtu)
{
    ui->setupUi(this);
    ui->cmbAddrMode->setView(new QListView(ui->cmbAddrMode));
    ui->cmbAddrMode->addItem(tr("全部地址"));
    ui->cmbAddrMode->setCurrentIndex(0);
    setMode(0);

    connect(ui->cmbAddrMode, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CfgDtu::setMode);
    connect(ui->tabWidgetCfgDtu, &TabWidgetCfgDtu::clicked, this, &CfgDtu::encodeQuery);
    connect(ui->tabWidgetCfgDtu, &TabWidgetCfgDtu::addTabName, this, &CfgDtu::addName2List);
    connect(ui->tabWidgetCfgDtu, &TabWidgetCfgDtu::sendDecode, this, &CfgDtu::sendDecode);
    // Rows map to the pages they name: unlisted commands have pages but no row.
    connect(ui->listWidget, &QListWidget::currentRowChanged, ui->tabWidgetCfgDtu,
            &TabWidgetCfgDtu::setCurrentListRow);
    connect(ui->pbCopy, &QPushButton::clicked, this, &CfgDtu::copyCode);
    // The form's width fits the Chinese word; a longer translation widens it.
    const QFontMetrics metrics(ui->pbCopy->font());
    const int nExtra = metrics.horizontalAdvance(ui->pbCopy->text()) - metrics.horizontalAdvance(QStringLiteral("复制"));
    ui->pbCopy->setMaximumWidth(ui->pbCopy->maximumWidth() + qMax(0, nExtra));

    ui->splitter->handle(1)->setAttribute(Qt::WA_Hover, true);
    ui->splitter->setSizes({26, 100});
    ui->listWidget->setCurrentRow(0);
}

CfgDtu::~CfgDtu()
{
    delete ui;
}

void CfgDtu::loadSettings(QSettings* pSettings)
{
    pSettings->beginGroup(QStringLiteral("CfgDtu"));
    const int nCmdSize = boundedInt(*pSettings, QStringLiteral("CmdSize"), kDefaultCmdSize, 1, kMaxPaneSize);
    const int nParamSize = boundedInt(*pSettings, QStringLiteral("ParamSize"), kDefaultParamSize, 1, kMaxPaneSize);
    pSettings->endGroup();
    ui->splitter->setSizes({nCmdSize, nParamSize});
}

void CfgDtu::saveSettings(QSettings* pSettings)
{
    const QList<int> sizes = ui->splitter->sizes();
    pSettings->beginGroup(QStringLiteral("CfgDtu"));
    pSettings->setValue(QStringLiteral("CmdSize"), sizes.value(0));
    pSettings->setValue(QStringLiteral("ParamSize"), sizes.isEmpty() ? 0 : sizes.last());
    pSettings->endGroup();
}

int CfgDtu::loadCommands(const QString& strPath)
{
    const int nResult = ui->tabWidgetCfgDtu->loadCmdFile(strPath);
    if (nResult == CmdFileLoaded)
        ui->listWidget->setCurrentRow(0);
    return nResult;
}

QString CfgDtu::loadProblem() const
{
    return ui->tabWidgetCfgDtu->loadProblem();
}

void CfgDtu::decodeResponse(QByteArray byteData)
{
    if (byteData.isEmpty() || quint8(byteData.front()) != dtu::kHead
        || quint8(byteData.back()) != dtu::kTail)
        return;
    ui->tabWidgetCfgDtu->showResponse(byteData);
}

void CfgDtu::setMode(int nIndex)
{
    // Only an address range mode would need the start and end fields.
    const bool bRange = nIndex == 1;
    ui->lblStart->setVisible(bRange);
    ui->lineEditStart->setVisible(bRange);
    ui->lblEnd->setVisible(bRange);
    ui->lineEditEnd->setVisible(bRange);
}

void CfgDtu::encodeQuery(QByteArray byteData, bool bSend)
{
    qCDebug(lcCommands, "enter encodeQuery");
    if (byteData.isEmpty())
        return;
    m_frame = frameFromBody(byteData);
    if (bSend)
        emit sendCmd(m_frame);
    else
        ui->editGenCode->setText(QString::fromLatin1(m_frame.toHex().toUpper()));
}

void CfgDtu::addName2List(QString strName)
{
    if (strName.isEmpty())
        return;
    auto* item = new QListWidgetItem(strName, ui->listWidget);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CfgDtu::copyCode()
{
    const QString strCode = ui->editGenCode->text();
    if (strCode.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(strCode);
    emit setLog(tr("复制到剪贴板", "log line once the code is copied"));
}
