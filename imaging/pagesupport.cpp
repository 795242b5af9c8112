#include "pagesupport.h"

#include "imageload.h"
#include "payload.h"
#include "refusaltext.h"
#include "sourceimage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QIntValidator>
#include <QListView>
#include <QRegularExpressionValidator>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

const char* const kAddrPattern = "(\\d{1,10})-(\\d{1,5})-(\\d{1,5})";

void PageHooks::warn(QWidget* parent, const QString& text) const
{
    show(parent, QMessageBox::Warning, tr("告警"), text);
}

void PageHooks::critical(QWidget* parent, const QString& text) const
{
    show(parent, QMessageBox::Critical, tr("错误"), text);
}

void PageHooks::show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) const
{
    showMessage(message, parent, icon, title, text);
}

QString PageHooks::askImportFile(QWidget* parent, bool bSending, const QString& dir) const
{
    if (bSending) {
        warn(parent, tr("文件正在发送"));
        return QString();
    }
    if (chooseFile)
        return chooseFile(parent, dir);
    return QFileDialog::getOpenFileName(parent, tr("打开图片文件"), dir, QStringLiteral("img(*.png *.jpg *.*)"));
}

void setupLogView(QTextEdit* edit)
{
    edit->setUndoRedoEnabled(false);
    edit->document()->setMaximumBlockCount(kLogMaxBlocks);
}

void PageHooks::warnImportFailure(QWidget* parent, ImageLoadResult r, bool bMissingUnopenable,
                                  const QString& path) const
{
    if (r == ImageLoadResult::NotAnImage)
        warn(parent, imageLoadRefusal(path));
    else if (r == ImageLoadResult::TooLarge)
        warn(parent, imageTooLargeText());
    else if (r == ImageLoadResult::Unreadable || (bMissingUnopenable && r != ImageLoadResult::Loaded))
        warn(parent, tr("打开文件失败"));
    else if (r != ImageLoadResult::Loaded)
        warn(parent, tr("加载图片未知错误"));
}

void appendLog(QTextEdit* edit, const LogLine& line)
{
    if (line.text.isEmpty()) {
        if (line.bNewline)
            edit->append(QString());
        return;
    }
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    if (line.severity == LogSeverity::Failure)
        format.setForeground(QBrush(QColor(0xFF6E6E)));
    cursor.setCharFormat(format);
    cursor.insertText(line.bNewline ? line.text + QLatin1Char('\n') : line.text);
    edit->setTextCursor(cursor);
}

int readTargetId(QLineEdit* edit, QWidget* parent, const PageHooks& hooks, quint32& nAddr)
{
    if (edit->text().isEmpty()) {
        hooks.warn(parent, PageHooks::tr(" %1不能为空\n请输入%1").arg(PageHooks::tr("目的地址")));
        edit->setText(QStringLiteral("0"));
        edit->selectAll();
        return -1;
    }
    bool bOk = false;
    nAddr = edit->text().toUInt(&bOk, 10);
    if (!bOk)
        nAddr = 0;
    return 0;
}

void setProgressFailed(QProgressBar* bar, bool bFailed)
{
    bar->setStyleSheet(bFailed ? QStringLiteral("QProgressBar::chunk {background-color: #FF6E6E;}")
                               : QStringLiteral("QProgressBar::chunk {background-color: #05B8CC;}"));
}

void setupTransferInputs(QComboBox* compress, QLineEdit* addr, QLineEdit* keepTime,
                         const QRegularExpression& addrPattern)
{
    compress->setView(new QListView(compress));
    compress->addItem(PageHooks::tr("不压缩"), kCompressNone);
    compress->addItem(QStringLiteral("7z"), kCompressLzma);
    compress->setCurrentIndex(1);
    addr->setValidator(new QRegularExpressionValidator(addrPattern, addr));
    keepTime->setValidator(new QIntValidator(0, 2147483647, keepTime));
}

PayloadOptions payloadOptions(const QCheckBox* rle, const QComboBox* compress, const SourceImage& source,
                              const QString& strSavePath)
{
    PayloadOptions opt;
    opt.bRle = rle->isChecked();
    opt.nCompress = compress->currentData().toInt();
    opt.nImgType = source.nImgType;
    opt.strFilePath = source.strFilePath;
    opt.nFileSize = source.nFileSize;
    opt.strSavePath = strSavePath;
    return opt;
}
