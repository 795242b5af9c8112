#include "filetrans.h"
#include "ui_filetrans.h"

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
        ui->pbSend->setText(m_session.isBusy() ? QStringLiteral("发送停止") : QStringLiteral("发送开始"));
    });
    connect(&m_session, &TransferSession::finished, this, &FileTrans::onFinished);
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
    ui->labelImg->setPixmap(QPixmap::fromImage(m_source.image));
    ui->progress->setValue(0);
    setProgressFailed(ui->progress, false);
    emit setLog(QStringLiteral("文件加载成功"));
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
        m_hooks.warn(this, QStringLiteral("请先打开串口"));
        return;
    }
    if (isSending()) {
        m_session.stop();
        return;
    }

    ui->textEditLog->clear();
    TransferOptions opt;
    if (getId(opt.nAddr) == -1)
        return;
    opt.image = m_source.image;
    opt.payload = payloadOptions(ui->chkRle, ui->cmbCompress, m_source, m_hooks.payloadCopy);
    opt.nKeepTimeMs = ui->editKeepTime->text().toUInt(nullptr, 10);
    opt.plan = singlePlanFor(opt.nAddr);
    m_session.start(opt);
}

void FileTrans::transResponse(QByteArray byteData)
{
    m_session.answer(byteData);
}

void FileTrans::onFinished(const TransferOutcome& outcome)
{
    if (outcome.failedOnTheLine())
        setProgressFailed(ui->progress, true);
    else if (outcome.send == StepResult::Succeeded)
        ui->progress->setValue(100);
}
