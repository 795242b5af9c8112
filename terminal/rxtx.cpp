#include "rxtx.h"

#include "dtuframe.h"
#include "hexcodec.h"
#include "intvalidator.h"
#include "settingsbounds.h"
#include "txcomposer.h"
#include "ui_rxtx.h"

#include <QDateTime>
#include <QFileDialog>
#include <QKeyEvent>
#include <QShortcut>
#include <QMessageBox>
#include <QSaveFile>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <climits>

namespace {

constexpr int kRxMaxBlocks = 500000;
constexpr int kTxMaxBlocks = 100000;
// Text inserted per flush: bounds the time one flush spends in text layout.
constexpr int kFlushChars = 32 * 1024;

// Larger stored pane sizes are hand edits; the splitter would honour them.
constexpr int kMaxPaneSize = 100000;

int modeOrHex(int nMode)
{
    return nMode == txmode::kText ? txmode::kText : txmode::kHex;
}

}  // namespace

RxTx::RxTx(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::RxTx)
{
    m_ui->setupUi(this);
    m_ui->splitter->handle(1)->setAttribute(Qt::WA_Hover);
    m_ui->splitter->setSizes({0, 1});

    // Hex digits and Latin text need no glyph shaping; skipping it more than
    // halves the layout cost of received text. The view's document follows
    // the widget's font, style sheet included.
    QFont rxFont = m_ui->textEditRx->font();
    rxFont.setStyleStrategy(QFont::PreferNoShaping);
    m_ui->textEditRx->setFont(rxFont);
    prepareRxDocument();
    m_ui->textEditTx->document()->setMaximumBlockCount(kTxMaxBlocks);

    m_rxGroup.addButton(m_ui->radioRxHex, txmode::kHex);
    m_rxGroup.addButton(m_ui->radioRxChar, txmode::kText);
    m_txGroup.addButton(m_ui->radioTxHex, txmode::kHex);
    m_txGroup.addButton(m_ui->radioTxStr, txmode::kText);
    connect(&m_rxGroup, QOverload<QAbstractButton*, bool>::of(&QButtonGroup::buttonToggled), this, &RxTx::changeRxStr);
    connect(&m_txGroup, QOverload<QAbstractButton*, bool>::of(&QButtonGroup::buttonToggled), this, &RxTx::changeTxStr);
    connect(m_ui->pbClearRx, &QPushButton::clicked, this, &RxTx::clearRx);
    connect(m_ui->pbClearTx, &QPushButton::clicked, m_ui->textEditTx, &QTextEdit::clear);
    connect(m_ui->pbSend, &QPushButton::clicked, this, &RxTx::send);
    connect(m_ui->chkSaveLog, &QCheckBox::toggled, this, &RxTx::setSaveLog);
    connect(m_ui->pbExport, &QPushButton::clicked, this, &RxTx::exportRx);

    m_ui->editDstUsrId->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^[1-9][0-9]{1,8}$")), m_ui->editDstUsrId));
    m_ui->editCustomCtl->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Fa-f0-9]{1,2}")), m_ui->editCustomCtl));
    m_ui->editInterval->setValidator(new IntValidator(250, 4294967, m_ui->editInterval));
    m_ui->editInterval->setToolTip(QStringLiteral("250 ~ 4294967 ms"));

    setIntervalChkState(Qt::Unchecked);
    setDstUsrIdChkState(Qt::Unchecked);

    connect(m_ui->chkInterval, &QCheckBox::stateChanged, this, &RxTx::setIntervalChkState);
    connect(m_ui->chkDstUsrId, &QCheckBox::stateChanged, this, &RxTx::setDstUsrIdChkState);
    connect(m_ui->chkTimestamp, &QCheckBox::toggled, this, &RxTx::setCheckTimestamp);
    connect(m_ui->editSubPkgTime, &QLineEdit::editingFinished, this, &RxTx::editSubPkgTimeFinish);
    connect(m_ui->chkCustomCtl, &QCheckBox::toggled, this, &RxTx::setCustomCtlChkState);
    setCustomCtlChkState(false);
    connect(m_ui->chkTerminalId, &QCheckBox::toggled, this, &RxTx::setTerminalIdChkState);
    setTerminalIdChkState(false);
    connect(m_ui->editTerminalId, &QLineEdit::editingFinished, this, &RxTx::editTerminalIdEditFinished);

    m_ui->lblDevAddr->hide();
    m_ui->editDstAddr->hide();
    m_ui->chkReturn->hide();  // hex send mode
    m_ui->editSubPkgTime->setVisible(m_ui->chkTimestamp->isChecked());

    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &RxTx::flushRx);

    m_ui->widgetFind->hide();
    connect(m_ui->editFind, &QLineEdit::returnPressed, this, &RxTx::findNext);
    connect(m_ui->pbFindNext, &QPushButton::clicked, this, &RxTx::findNext);
    connect(m_ui->pbFindPrev, &QPushButton::clicked, this, &RxTx::findPrevious);
    connect(m_ui->cmbHistory, QOverload<int>::of(&QComboBox::activated), this, &RxTx::recallHistory);
    m_ui->textEditTx->installEventFilter(this);
    m_ui->editFind->installEventFilter(this);
    setupShortcuts();
}

void RxTx::setupShortcuts()
{
    const auto add = [this](const QKeySequence& keys, QWidget* scope, auto slot) {
        auto* shortcut = new QShortcut(keys, scope);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Return), this, &RxTx::send);
    add(QKeySequence(Qt::CTRL | Qt::Key_Enter), this, &RxTx::send);
    add(QKeySequence(Qt::CTRL | Qt::Key_L), this, &RxTx::clearRx);
    add(QKeySequence::Find, this, &RxTx::showFind);
    add(QKeySequence::FindNext, this, &RxTx::findNext);
    add(QKeySequence::FindPrevious, this, &RxTx::findPrevious);
    add(QKeySequence(Qt::Key_Escape), m_ui->widgetFind, [this] {
        m_ui->widgetFind->hide();
        m_ui->textEditRx->setFocus();
    });
}

RxTx::~RxTx()
{
    delete m_ui;
}

void RxTx::loadSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("RxTx"));

    const int nRxSize = boundedInt(*settings, QStringLiteral("RxSize"), 330, 1, kMaxPaneSize);
    const int nTxSize = boundedInt(*settings, QStringLiteral("TxSize"), 200, 1, kMaxPaneSize);
    m_ui->splitter->setSizes({nRxSize, nTxSize});

    QAbstractButton* rxButton = m_rxGroup.button(modeOrHex(settings->value(QStringLiteral("RxMode"), 0).toInt()));
    rxButton->setChecked(true);
    changeRxStr(rxButton, true);
    QAbstractButton* txButton = m_txGroup.button(modeOrHex(settings->value(QStringLiteral("TxMode"), 0).toInt()));
    txButton->setChecked(true);
    changeTxStr(txButton, true);

    m_ui->editSubPkgTime->setText(boundedNumberText(*settings, QStringLiteral("SubPkgTime"), QStringLiteral("20"), 0, INT_MAX));
    const bool bTimestamp = settings->value(QStringLiteral("RxTimeStamp"), true).toBool();
    m_ui->chkTimestamp->setChecked(bTimestamp);
    setCheckTimestamp(bTimestamp);
    m_ui->chkDecode->setChecked(settings->value(QStringLiteral("RxDecode"), false).toBool());
    m_ui->chkReturn->setChecked(settings->value(QStringLiteral("InsetReturn"), false).toBool());

    const bool bTxOptVisible = settings->value(QStringLiteral("TxAsyncOptVisible"), false).toBool();
    m_ui->widgetTxOpt->setVisible(bTxOptVisible);
    if (bTxOptVisible) {
        if (settings->value(QStringLiteral("CheckedInterval"), false).toBool())
            m_ui->chkInterval->setCheckState(Qt::Checked);
        if (settings->value(QStringLiteral("CheckedDstUsrId"), false).toBool())
            m_ui->chkDstUsrId->setCheckState(Qt::Checked);
        m_ui->editDstUsrId->setText(boundedNumberText(*settings, QStringLiteral("DstUsrId"), QStringLiteral("0"), 0, 999999999));
        m_ui->editInterval->setText(boundedNumberText(*settings, QStringLiteral("Interval"), QStringLiteral("250"), 250, 4294967));
        m_ui->editDstAddr->setText(settings->value(QStringLiteral("DstAddr"), QStringLiteral("0")).toString());
        setDstUsrIdChkState(m_ui->chkDstUsrId->checkState());
    }

    const bool bCustomCtl = settings->value(QStringLiteral("ChkCustomCtl"), false).toBool();
    m_ui->chkCustomCtl->setChecked(bCustomCtl);
    setCustomCtlChkState(bCustomCtl);
    m_ui->editCustomCtl->setText(boundedNumberText(*settings, QStringLiteral("CustomCtl"), QStringLiteral("0"), 0, 0xFF, 16));
    const bool bTerminalId = settings->value(QStringLiteral("ChkTerminalId"), false).toBool();
    m_ui->chkTerminalId->setChecked(bTerminalId);
    setTerminalIdChkState(bTerminalId);
    m_ui->editTerminalId->setText(boundedNumberText(*settings, QStringLiteral("TerminalId"), QStringLiteral("0"), 0, UINT_MAX));

    m_history.setItems(settings->value(QStringLiteral("TxHistory")).toStringList());
    fillHistoryBox();

    settings->endGroup();
}

void RxTx::saveSettings(QSettings* settings)
{
    settings->beginGroup(QStringLiteral("RxTx"));
    const QList<int> sizes = m_ui->splitter->sizes();
    settings->setValue(QStringLiteral("RxSize"), sizes.value(0));
    settings->setValue(QStringLiteral("TxSize"), sizes.isEmpty() ? 0 : sizes.last());
    settings->setValue(QStringLiteral("RxMode"), m_rxGroup.checkedId());
    settings->setValue(QStringLiteral("TxMode"), m_txGroup.checkedId());
    settings->setValue(QStringLiteral("RxDecode"), m_ui->chkDecode->isChecked());
    settings->setValue(QStringLiteral("RxTimeStamp"), m_ui->chkTimestamp->isChecked());
    settings->setValue(QStringLiteral("SubPkgTime"), m_ui->editSubPkgTime->text());
    settings->setValue(QStringLiteral("InsetReturn"), m_ui->chkReturn->isChecked());
    settings->setValue(QStringLiteral("ChkCustomCtl"), m_ui->chkCustomCtl->isChecked());
    settings->setValue(QStringLiteral("CustomCtl"), m_ui->editCustomCtl->text());
    settings->setValue(QStringLiteral("ChkTerminalId"), m_ui->chkTerminalId->isChecked());
    settings->setValue(QStringLiteral("TerminalId"), m_ui->editTerminalId->text());
    settings->setValue(QStringLiteral("CheckedDstUsrId"), m_ui->chkDstUsrId->isChecked());
    settings->setValue(QStringLiteral("DstUsrId"), m_ui->editDstUsrId->text());
    settings->setValue(QStringLiteral("CheckedInterval"), m_ui->chkInterval->isChecked());
    settings->setValue(QStringLiteral("Interval"), m_ui->editInterval->text());
    settings->setValue(QStringLiteral("DstAddr"), m_ui->editDstAddr->text());
    settings->setValue(QStringLiteral("TxHistory"), m_history.items());
    settings->endGroup();
}

void RxTx::showRx(QByteArray data, int nDir)
{
    if (m_log.isOpen() && !m_log.write(data, nDir, QDateTime::currentDateTime())) {
        // Not from inside the data path: a modal box would stall it.
        QMetaObject::invokeMethod(this, &RxTx::logFailed, Qt::QueuedConnection);
    }
    m_rxDisplay.addChunk(data, nDir);
    scheduleFlush();
}

void RxTx::showDecode(QString strText)
{
    if (!m_ui->chkDecode->isChecked() || strText.isEmpty())
        return;
    m_rxDisplay.addParagraph(strText);
    scheduleFlush();
}

void RxTx::send()
{
    TxOptions opt;
    opt.strText = m_ui->textEditTx->toPlainText();
    opt.nTxMode = m_txGroup.checkedId();
    opt.bReturn = m_ui->chkReturn->isChecked();
    opt.bTxOptShown = m_ui->widgetTxOpt->isVisibleTo(this);
    opt.bDstUsrId = m_ui->chkDstUsrId->isChecked();
    opt.strDstUsrId = m_ui->editDstUsrId->text();
    opt.bInterval = m_ui->chkInterval->isChecked();
    opt.strInterval = m_ui->editInterval->text();
    opt.strDstAddr = m_ui->editDstAddr->text();
    opt.bCustomCtl = m_ui->chkCustomCtl->isChecked();
    opt.strCustomCtl = m_ui->editCustomCtl->text();
    opt.bTerminalIdShown = m_ui->chkTerminalId->isVisibleTo(this);
    opt.bTerminalId = m_ui->chkTerminalId->isChecked();
    opt.strTerminalId = m_ui->editTerminalId->text();

    const TxResult result = composeTx(opt);
    QLineEdit* emptyField = nullptr;
    QString strWhat;
    switch (result.error) {
    case TxError::None:
        emit sendData(result.bytes);
        remember(opt.strText);
        return;
    case TxError::Nothing:
        return;
    case TxError::EmptyCustomCtl:
        emptyField = m_ui->editCustomCtl;
        strWhat = tr("自定义命令");
        break;
    case TxError::EmptyDstAddr:
        emptyField = m_ui->editDstAddr;
        strWhat = tr("目的地址");
        break;
    case TxError::PayloadTooLong:
        warn(tr("告警"),
             tr(" 发送数据过长\n一帧最多携带%1字节").arg(dtu::kMaxPayload));
        return;
    }
    warn(tr("告警"), tr(" %1不能为空\n请输入%1").arg(strWhat));
    emptyField->setText(QStringLiteral("0"));
    emptyField->selectAll();
}

void RxTx::remember(const QString& strText)
{
    m_history.add(strText);
    fillHistoryBox();
}

void RxTx::fillHistoryBox()
{
    const QSignalBlocker blocker(m_ui->cmbHistory);
    m_ui->cmbHistory->clear();
    for (const QString& strItem : m_history.items())
        // One line per item: line breaks show as a return sign.
        m_ui->cmbHistory->addItem(QString(strItem).replace(QLatin1Char('\n'), QChar(0x21B5)), strItem);
    m_ui->cmbHistory->setCurrentIndex(-1);
}

void RxTx::recallHistory(int nIndex)
{
    if (nIndex >= 0)
        showTxText(m_ui->cmbHistory->itemData(nIndex).toString());
}

void RxTx::showTxText(const QString& strText)
{
    m_ui->textEditTx->setPlainText(strText);
    m_ui->textEditTx->moveCursor(QTextCursor::End);
}

bool RxTx::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_ui->editFind && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && key->modifiers() & Qt::ShiftModifier) {
        findPrevious();
        return true;
    }
    // Up on the first line and Down on the last line of the send box walk
    // through the history; elsewhere they move the caret as usual.
    if (watched == m_ui->textEditTx && key->modifiers() == Qt::NoModifier) {
        QTextCursor cursor = m_ui->textEditTx->textCursor();
        QString strText;
        if (key->key() == Qt::Key_Up && !cursor.movePosition(QTextCursor::Up)
            && m_history.older(m_ui->textEditTx->toPlainText(), &strText)) {
            showTxText(strText);
            return true;
        }
        if (key->key() == Qt::Key_Down && !cursor.movePosition(QTextCursor::Down) && m_history.newer(&strText)) {
            showTxText(strText);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RxTx::showFind()
{
    m_ui->widgetFind->show();
    m_ui->editFind->setFocus();
    m_ui->editFind->selectAll();
}

void RxTx::find(bool bBackward)
{
    const QString strText = m_ui->editFind->text();
    if (strText.isEmpty())
        return;
    m_ui->widgetFind->show();
    QTextEdit* view = m_ui->textEditRx;
    const QTextDocument::FindFlags flags = bBackward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool bFound = view->find(strText, flags);
    if (!bFound) {
        // Wrap around once.
        const QTextCursor keep = view->textCursor();
        view->moveCursor(bBackward ? QTextCursor::End : QTextCursor::Start);
        bFound = view->find(strText, flags);
        if (!bFound)
            view->setTextCursor(keep);
    }
    m_ui->lblFindState->setText(bFound ? QString() : tr("未找到"));
}

void RxTx::setDstUsrIdChkState(int nChkState)
{
    if (nChkState == Qt::Unchecked) {
        m_ui->editDstUsrId->setEnabled(false);
        m_ui->chkInterval->setEnabled(false);
        m_ui->editInterval->setEnabled(false);
    } else if (nChkState == Qt::Checked) {
        m_ui->editDstUsrId->setEnabled(true);
        m_ui->chkInterval->setEnabled(true);
        setIntervalChkState(m_ui->chkInterval->checkState());
    }
}

void RxTx::setIntervalChkState(int nChkState)
{
    if (nChkState == Qt::Unchecked) {
        m_ui->editInterval->setEnabled(false);
        m_ui->editDstAddr->setEnabled(false);
    } else if (nChkState == Qt::Checked) {
        m_ui->editInterval->setEnabled(true);
        m_ui->editDstAddr->setEnabled(true);
    }
}

void RxTx::setCustomCtlChkState(bool bCheck)
{
    m_ui->editCustomCtl->setEnabled(bCheck);
    m_ui->widgetTxOpt->setEnabled(!bCheck);
    if (bCheck && m_ui->chkTerminalId->isVisibleTo(this) && m_ui->chkTerminalId->isChecked()) {
        m_ui->chkTerminalId->setChecked(false);
        setTerminalIdChkState(false);
    }
}

void RxTx::setTerminalIdChkState(bool bCheck)
{
    m_ui->editTerminalId->setEnabled(bCheck);
    if (bCheck && m_ui->chkCustomCtl->isVisibleTo(this) && m_ui->chkCustomCtl->isChecked()) {
        m_ui->chkCustomCtl->setChecked(false);
        setCustomCtlChkState(false);
    }
}

void RxTx::editTerminalIdEditFinished()
{
    bool bOk = false;
    m_ui->editTerminalId->text().toUInt(&bOk);
    if (!bOk) {
        m_ui->editTerminalId->setFocus();
        m_ui->editTerminalId->selectAll();
    }
}

void RxTx::setCheckTimestamp(bool bCheck)
{
    m_rxDisplay.setTimestamps(bCheck);
    m_ui->editSubPkgTime->setVisible(bCheck);
    if (bCheck)
        editSubPkgTimeFinish();
}

void RxTx::editSubPkgTimeFinish()
{
    if (!m_ui->chkTimestamp->isChecked())
        return;
    bool bOk = false;
    const qint64 nMs = m_ui->editSubPkgTime->text().toLongLong(&bOk);
    if (bOk)
        m_rxDisplay.applySubPkgTime(nMs);
}

void RxTx::changeRxStr(QAbstractButton* button, bool checked)
{
    if (!checked)
        return;
    if (m_rxDisplay.setMode(m_rxGroup.id(button)))
        flushRx();
}

void RxTx::changeTxStr(QAbstractButton* button, bool checked)
{
    if (!checked)
        return;
    const int nMode = m_txGroup.id(button);
    m_ui->chkReturn->setVisible(nMode != txmode::kHex);

    const QString strText = m_ui->textEditTx->toPlainText();
    if (strText.isEmpty())
        return;

    QString strNew;
    if (nMode == txmode::kText) {
        if (m_nonHexReg.indexIn(strText) >= 0) {
            warn(tr("字符错误"), tr("仅能转换十六进制字符"));
            // Back to hex without converting anything.
            const QSignalBlocker blocker(&m_txGroup);
            m_ui->radioTxStr->setChecked(false);
            m_ui->radioTxHex->setChecked(true);
            m_ui->chkReturn->hide();
            return;
        }
        strNew = QString::fromUtf8(upToZero(hexToBytes(normalizeHex(strText).toUtf8())));
    } else {
        strNew = QString::fromLatin1(bytesToHex(strText.toUtf8()));
    }
    m_ui->textEditTx->setPlainText(strNew);
}

void RxTx::clearRx()
{
    m_flushTimer.stop();
    m_rxDisplay.clear();
    flushRx();
    if (m_ui->chkTimestamp->isChecked())
        editSubPkgTimeFinish();
}

void RxTx::setSaveLog(bool bCheck)
{
    if (!bCheck) {
        m_log.close();
        return;
    }
    const QString strPath = chooseSaveFile(tr("保存日志"), tr("日志 (*.log *.txt);;所有文件 (*)"));
    if (strPath.isEmpty() || !startLog(strPath)) {
        const QSignalBlocker blocker(m_ui->chkSaveLog);
        m_ui->chkSaveLog->setChecked(false);
    }
}

bool RxTx::startLog(const QString& strPath)
{
    if (m_log.open(strPath)) {
        const QSignalBlocker blocker(m_ui->chkSaveLog);
        m_ui->chkSaveLog->setChecked(true);
        return true;
    }
    showMessage(m_messageHook, this, QMessageBox::Critical, tr("错误"),
                tr("无法写入日志文件\n%1").arg(m_log.errorString()));
    return false;
}

void RxTx::logFailed()
{
    if (m_log.isOpen() || !m_ui->chkSaveLog->isChecked())
        return;
    {
        const QSignalBlocker blocker(m_ui->chkSaveLog);
        m_ui->chkSaveLog->setChecked(false);
    }
    showMessage(m_messageHook, this, QMessageBox::Critical, tr("错误"),
                tr("日志写入失败, 已停止保存日志\n%1").arg(m_log.errorString()));
}

void RxTx::exportRx()
{
    flushRx();
    while (m_rxDisplay.hasPending())
        flushRx();
    const QString strPath = chooseSaveFile(tr("导出"), tr("文本 (*.txt);;所有文件 (*)"));
    if (strPath.isEmpty())
        return;
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)
        || file.write(m_ui->textEditRx->toPlainText().toUtf8()) < 0 || !file.commit()) {
        showMessage(m_messageHook, this, QMessageBox::Critical, tr("错误"),
                    tr("导出失败\n%1: %2").arg(strPath, file.errorString()));
    }
}

QString RxTx::chooseSaveFile(const QString& strTitle, const QString& strFilter)
{
    if (m_saveFileChooser)
        return m_saveFileChooser(strTitle, strFilter);
    return QFileDialog::getSaveFileName(this, strTitle, QString(), strFilter);
}

void RxTx::warn(const QString& strTitle, const QString& strText)
{
    showMessage(m_messageHook, this, QMessageBox::Warning, strTitle, strText);
}

void RxTx::scheduleFlush()
{
    if (!m_flushTimer.isActive())
        m_flushTimer.start(m_nFlushMs);
}

void RxTx::flushRx()
{
    m_flushTimer.stop();
    bool bReset = false;
    const std::deque<RxSegment> segments = m_rxDisplay.takePending(&bReset, kFlushChars);
    QTextEdit* view = m_ui->textEditRx;
    if (bReset) {
        view->clear();
        prepareRxDocument();
    }
    if (segments.empty())
        return;

    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const RxSegment& segment : segments) {
        if (segment.bNewBlock)
            cursor.insertBlock();
        if (!segment.strText.isEmpty())
            cursor.insertText(segment.strText);
    }
    cursor.endEditBlock();
    trimRxView();
    if (m_rxDisplay.hasPending())
        m_flushTimer.start(0);

    // Follow the newest data unless the operator is working in the view or searching it.
    if (!view->hasFocus() && !m_ui->widgetFind->isVisible()) {
        cursor.movePosition(QTextCursor::End);
        view->setTextCursor(cursor);
    }
}

void RxTx::prepareRxDocument()
{
    // Undo history would keep a copy of everything ever shown.
    QTextDocument* doc = m_ui->textEditRx->document();
    doc->setUndoRedoEnabled(false);
    doc->setMaximumBlockCount(kRxMaxBlocks);
}

void RxTx::trimRxView()
{
    QTextDocument* doc = m_ui->textEditRx->document();
    const int nChars = doc->characterCount();
    if (nChars <= RxDisplay::kViewChars)
        return;
    // Drop whole paragraphs from the front, down to three quarters of the cap.
    const QTextBlock keepFrom = doc->findBlock(nChars - RxDisplay::kViewChars / 4 * 3);
    if (!keepFrom.isValid() || keepFrom.position() <= 0)
        return;
    QTextCursor cursor(doc);
    cursor.setPosition(keepFrom.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}
