#include "transtest.h"
#include "ui_transtest.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPixmap>

TransTest::TransTest(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::TransTest)
    , m_regAddr(QString::fromLatin1(kAddrPattern))
    , m_recorder(&m_run)
{
    ui->setupUi(this);
    setupLogView(ui->textEditLog);
    setupTransferInputs(ui->cmbCompress, ui->editDstAddr, ui->editKeepTime, m_regAddr);
    // The item data is the run mode; the text is only shown.
    const char* const modes[] = { QT_TR_NOOP("仅唤醒"), QT_TR_NOOP("仅发送"), QT_TR_NOOP("先唤醒再发送"),
                                  QT_TR_NOOP("先发送再唤醒") };
    for (int i = 0; i < 4; ++i)
        ui->cmbRun->addItem(tr(modes[i]), i);
    ui->cmbRun->setCurrentIndex(0);

    connect(ui->pbFileImport, &QPushButton::clicked, this, &TransTest::openFile);
    connect(ui->pbRun, &QPushButton::clicked, this, &TransTest::run);
    connect(ui->pbStop, &QPushButton::clicked, this, &TransTest::stop);
    connect(ui->pbExport, &QPushButton::clicked, this, &TransTest::chooseExportFile);
    connect(ui->chkAutoCsv, &QCheckBox::clicked, this, &TransTest::chooseAutoCsvFile);
    // A running test picks up the fields as the operator changes them.
    connect(ui->chkRle, &QCheckBox::toggled, this, &TransTest::updateRun);
    connect(ui->cmbCompress, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TransTest::updateRun);
    connect(ui->cmbRun, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TransTest::updateRun);
    connect(ui->editKeepTime, &QLineEdit::textChanged, this, &TransTest::updateRun);

    connect(&m_run, &EnduranceRun::frameOut, this, &TransTest::sendData);
    connect(&m_run, &EnduranceRun::notice, this, &TransTest::setLog);
    connect(&m_run, &EnduranceRun::logLine, this, [this](const LogLine& line) { appendLog(ui->textEditLog, line); });
    connect(&m_run, &EnduranceRun::payloadRefused, this,
            [this](const QString& reason) { m_hooks.critical(this, reason); });
}

TransTest::~TransTest()
{
    // A run cut short by closing still ends its file with the counters.
    m_recorder.finish();
    delete ui;
}

void TransTest::setTimeouts(const TransferTimeouts& timeouts)
{
    m_run.setTimeouts(timeouts);
    m_nIntervalUnitMs = timeouts.nIntervalUnitMs;
}

void TransTest::transResponse(QByteArray byteData)
{
    m_run.answer(byteData);
    m_recorder.answer(byteData);
}

void TransTest::openFile()
{
    const QString path = m_hooks.askImportFile(this, isSending(), m_source.strFilePath);
    if (path.isEmpty())
        return;
    // This page shows and keeps the chosen path even when the file cannot be read.
    const QFileInfo info(path);
    m_source.nFileSize = quint32(info.size());
    m_source.strFilePath = info.absoluteFilePath();
    ui->editPath->setText(m_source.strFilePath);
    const ImageLoadResult r = loadSourceImage(path, m_source);
    m_hooks.warnImportFailure(this, r, true, path);
    if (r != ImageLoadResult::Loaded)
        return;
    ui->labelImg->setPixmap(QPixmap::fromImage(m_source.image));
    updateRun();
}

int TransTest::getId(quint32& nAddr)
{
    return readTargetId(ui->editDstAddr, this, m_hooks, nAddr);
}

TransferOptions TransTest::transferOptions() const
{
    TransferOptions opt;
    opt.image = m_source.image;
    opt.payload = payloadOptions(ui->chkRle, ui->cmbCompress, m_source, m_hooks.payloadCopy);
    opt.nKeepTimeMs = ui->editKeepTime->text().toUInt(nullptr, 10);
    opt.plan = TransferPlan(ui->cmbRun->currentData().toInt());
    return opt;
}

void TransTest::updateRun()
{
    if (m_run.isRunning())
        m_run.update(transferOptions());
}

void TransTest::run()
{
    if (!m_hooks.isPortOpen()) {
        m_hooks.warn(this, tr("请先打开串口"));
        return;
    }
    EnduranceOptions opt;
    opt.transfer = transferOptions();
    opt.nIntervalMs = qint64(ui->editFileInterval->text().toUInt(nullptr, 10)) * m_nIntervalUnitMs;
    // A bad interval is refused (and logged) by the run before the address is read.
    if (isValidInterval(opt.nIntervalMs)) {
        if (getId(opt.transfer.nAddr) == -1)
            return;
        // Before the run: its first task may end at once.
        QString error;
        const QString autoPath = ui->chkAutoCsv->isChecked() ? ui->editCsvPath->text() : QString();
        if (!m_recorder.begin(opt.transfer.nAddr, autoPath, &error)) {
            m_hooks.warn(this, tr("无法创建结果文件, 结果只能导出\n%1").arg(error));
            m_recorder.begin(opt.transfer.nAddr, QString(), nullptr);
        }
    }
    m_run.run(opt);
}

void TransTest::stop()
{
    m_run.stop();
    m_recorder.finish();
}

bool TransTest::exportResults(const QString& path)
{
    QString error;
    if (m_recorder.exportTo(path, &error))
        return true;
    m_hooks.warn(this, tr("保存结果失败: %1").arg(error));
    return false;
}

void TransTest::setAutoCsvPath(const QString& path)
{
    ui->editCsvPath->setText(path);
    ui->chkAutoCsv->setChecked(!path.isEmpty());
}

void TransTest::chooseExportFile()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("导出结果"), ui->editCsvPath->text(),
                                                      QStringLiteral("CSV(*.csv)"));
    if (!path.isEmpty())
        exportResults(path);
}

void TransTest::chooseAutoCsvFile(bool bChecked)
{
    if (!bChecked)
        return;
    // Takes effect at the next run.
    setAutoCsvPath(QFileDialog::getSaveFileName(this, tr("自动保存结果"), ui->editCsvPath->text(),
                                                QStringLiteral("CSV(*.csv)")));
}
