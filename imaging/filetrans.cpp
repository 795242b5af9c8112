#include "filetrans.h"
#include "ui_filetrans.h"

#include "batchpanel.h"
#include "payload.h"
#include "settingsbounds.h"

#include <QPixmap>
#include <QSettings>

#include <climits>

FileTrans::FileTrans(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::FileTrans)
    , m_regAddr(QString::fromLatin1(kAddrPattern))
    , m_session(TransferSession::Single)
{
    ui->setupUi(this);
    setupLogView(ui->textEditLog);
    setupTransferInputs(ui->cmbCompress, ui->editDstAddr, ui->editKeepTime, m_regAddr);

    connect(ui->pbFileImport, &QPushButton::clicked, this, &FileTrans::openFile);
    connect(ui->pbSend, &QPushButton::clicked, this, &FileTrans::sendFile);

    connect(&m_session, &TransferSession::frameOut, this, &FileTrans::sendData);
    connect(&m_session, &TransferSession::notice, this, &FileTrans::setLog);
    connect(&m_session, &TransferSession::logLine, this,
            [this](const LogLine& line) { appendLog(ui->textEditLog, line); });
    connect(&m_session, &TransferSession::progress, ui->progress, &QProgressBar::setValue);
    connect(&m_session, &TransferSession::payloadRefused, this,
            [this](const QString& reason) { m_hooks.critical(this, reason); });
    connect(&m_session, &TransferSession::phaseChanged, this, [this] {
        ui->pbSend->setText(m_session.isBusy() ? tr("发送停止") : tr("发送开始"));
    });
    connect(&m_session, &TransferSession::finished, this, &FileTrans::onFinished);

    connect(ui->chkPreview, &QCheckBox::toggled, this, &FileTrans::showPreview);
    connect(ui->chkRle, &QCheckBox::toggled, this, &FileTrans::showPreview);
    showPreview();

    BatchPanel* batch = ui->batchPanel;
    batch->setup(&m_hooks, [this](TransferOptions& options) { return batchOptions(options); });
    connect(batch, &BatchPanel::sendData, this, &FileTrans::sendData);
    connect(batch, &BatchPanel::notice, this, &FileTrans::setLog);
    connect(batch, &BatchPanel::logLine, this, [this](const LogLine& line) { appendLog(ui->textEditLog, line); });
    connect(batch, &BatchPanel::progress, ui->progress, &QProgressBar::setValue);
    connect(batch, &BatchPanel::runningChanged, this, [this](bool bRunning) { ui->pbSend->setEnabled(!bRunning); });
    // Reports of a batch's displays that come after it ended still fill its table.
    connect(&m_session, &TransferSession::displayReport, batch, &BatchPanel::noteReport);
}

void FileTrans::setTimeouts(const TransferTimeouts& timeouts)
{
    m_session.setTimeouts(timeouts);
    ui->batchPanel->setTimeouts(timeouts);
}

bool FileTrans::isSending() const
{
    return m_session.isBusy() || ui->batchPanel->isRunning();
}

void FileTrans::cancelTransfer()
{
    if (ui->batchPanel->isRunning())
        ui->batchPanel->stopBatch();
    m_session.stop();
}

void FileTrans::showPreview()
{
    // Only the display bitmap is built here; a file sent as it is on disk
    // is decoded by the display itself.
    ui->chkPreview->setEnabled(ui->chkRle->isChecked());
    if (m_source.image.isNull())
        return;
    const bool bAsSent = ui->chkPreview->isChecked() && ui->chkRle->isChecked();
    ui->labelImg->setPixmap(QPixmap::fromImage(bAsSent ? asSentImage(m_source.image) : m_source.image));
}

FileTrans::~FileTrans()
{
    delete ui;
}

void FileTrans::loadSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("FileTrans"));
    loadImageFile(settings->value(QStringLiteral("FilePath"), QString()).toString());
    // The stored code is the item index; an unknown one keeps the default.
    const int nCompress = settings->value(QStringLiteral("Compress"), kCompressLzma).toInt();
    if (nCompress >= 0 && nCompress < ui->cmbCompress->count())
        ui->cmbCompress->setCurrentIndex(nCompress);
    ui->editDstAddr->setText(boundedNumberText(*settings, QStringLiteral("DstAddr"), QStringLiteral("1674097996"), 0, UINT_MAX));
    ui->editKeepTime->setText(boundedNumberText(*settings, QStringLiteral("KeepTime"), QStringLiteral("800"), 0, INT_MAX));
    loadImageFile(settings->value(QStringLiteral("FilePath"), QString()).toString());
    settings->endGroup();
}

void FileTrans::saveSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("FileTrans"));
    if (!ui->editPath->text().isEmpty())
        settings->setValue(QStringLiteral("FilePath"), ui->editPath->text());
    settings->setValue(QStringLiteral("Compress"), ui->cmbCompress->currentData().toInt());
    if (!ui->editDstAddr->text().isEmpty())
        settings->setValue(QStringLiteral("DstAddr"), ui->editDstAddr->text());
    if (!ui->editKeepTime->text().isEmpty())
        settings->setValue(QStringLiteral("KeepTime"), ui->editKeepTime->text());
    settings->endGroup();
}

ImageLoadResult FileTrans::loadImageFile(const QString& path)
{
    const ImageLoadResult r = loadSourceImage(path, m_source);
    if (r != ImageLoadResult::Loaded)
        return r;
    ui->editPath->setText(m_source.strFilePath);
    showPreview();
    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    emit setLog(tr("文件加载成功"));
    return r;
}

void FileTrans::openFile()
{
    const QString path = m_hooks.askImportFile(this, isSending(), m_source.strFilePath);
    if (!path.isEmpty())
        m_hooks.warnImportFailure(this, loadImageFile(path), false, path);
}

int FileTrans::getId(quint32& nAddr)
{
    return readTargetId(ui->editDstAddr, this, m_hooks, nAddr);
}

void FileTrans::sendFile()
{
    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    if (!m_hooks.isPortOpen()) {
        m_hooks.warn(this, tr("请先打开串口"));
        return;
    }
    if (m_session.isBusy()) {
        m_session.stop();
        return;
    }
    if (ui->batchPanel->isRunning())
        return;

    ui->textEditLog->clear();
    quint32 nAddr = 0;
    if (getId(nAddr) == -1)
        return;
    m_session.start(transferOptions(nAddr));
}

TransferOptions FileTrans::transferOptions(quint32 nAddr) const
{
    TransferOptions opt;
    opt.nAddr = nAddr;
    opt.image = m_source.image;
    opt.payload = payloadOptions(ui->chkRle, ui->cmbCompress, m_source, m_hooks.payloadCopy);
    opt.nKeepTimeMs = ui->editKeepTime->text().toUInt(nullptr, 10);
    opt.plan = singlePlanFor(nAddr);
    return opt;
}

bool FileTrans::batchOptions(TransferOptions& options)
{
    if (!m_hooks.isPortOpen()) {
        m_hooks.warn(this, tr("请先打开串口"));
        return false;
    }
    if (m_session.isBusy()) {
        m_hooks.warn(this, tr("文件正在发送"));
        return false;
    }
    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    ui->textEditLog->clear();
    options = transferOptions(0);
    return true;
}

void FileTrans::transResponse(QByteArray byteData)
{
    if (ui->batchPanel->isRunning())
        ui->batchPanel->answer(byteData);
    else
        m_session.answer(byteData);
}

void FileTrans::onFinished(const TransferOutcome& outcome)
{
    if (outcome.failedOnTheLine())
        setProgressFailed(ui->progress, true);
    else if (outcome.send == StepResult::Succeeded)
        ui->progress->setValue(100);
}
