#include "pagesupport.h"

#include "packetcursor.h"
#include "payload.h"
#include "transferframes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QIntValidator>
#include <QListView>
#include <QRegularExpressionValidator>
#include <QLineEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QTextEdit>

const char* const kAddrPattern = "(\\d{1,10})-(\\d{1,5})-(\\d{1,5})";

void PageHooks::warn(QWidget* parent, const QString& text) const
{
    show(parent, QMessageBox::Warning, QStringLiteral("告警"), text);
}

void PageHooks::critical(QWidget* parent, const QString& text) const
{
    show(parent, QMessageBox::Critical, QStringLiteral("错误"), text);
}

void PageHooks::show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) const
{
    showMessage(message, parent, icon, title, text);
}

QString PageHooks::askImageFile(QWidget* parent, const QString& dir) const
{
    if (chooseFile)
        return chooseFile(parent, dir);
    return QFileDialog::getOpenFileName(parent, QObject::tr("打开图片文件"), dir, QStringLiteral("img(*.png *.jpg *.*)"));
}

void appendLog(QTextEdit* edit, const QString& text, int nColour, bool bNewline)
{
    if (text.isEmpty())
        return;
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    if (nColour == kLogRed)
        format.setForeground(QBrush(QColor(0xFF6E6E)));
    cursor.setCharFormat(format);
    cursor.insertText(bNewline ? text + QLatin1Char('\n') : text);
    edit->setTextCursor(cursor);
}

bool checkNotEmpty(QLineEdit* edit, const QString& name, QWidget* parent, const PageHooks& hooks)
{
    if (!edit->text().isEmpty())
        return false;
    hooks.warn(parent, QStringLiteral(" %1不能为空\n请输入%1").arg(name));
    edit->setText(QStringLiteral("0"));
    edit->selectAll();
    return true;
}

int readTargetId(QLineEdit* edit, QWidget* parent, const PageHooks& hooks, uint32_t& nAddr, uint16_t& nFreq,
                 uint16_t& nAwakenId)
{
    if (checkNotEmpty(edit, QStringLiteral("目的地址"), parent, hooks))
        return -1;
    bool bOk = false;
    nAddr = edit->text().toUInt(&bOk, 10);
    if (!bOk)
        nAddr = 0;
    nFreq = 0;
    nAwakenId = 0;
    return 0;
}

bool preparePayload(QWidget* parent, const PageHooks& hooks, QByteArray& payload, const QImage& image,
                    const PayloadOptions& opt)
{
    if (buildPayload(payload, image, opt) != 0) {
        hooks.critical(parent, QStringLiteral("生成图片数据失败"));
        return false;
    }
    if (packetCount(payload.size()) > kMaxPackets) {
        hooks.critical(parent, QStringLiteral("图片数据过大: %L1 字节, 超过 %2 包, 无法发送")
                                   .arg(payload.size())
                                   .arg(kMaxPackets));
        return false;
    }
    return true;
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
    compress->addItem(QStringLiteral("不压缩"), kCompressNone);
    compress->addItem(QStringLiteral("7z"), kCompressLzma);
    compress->setCurrentIndex(1);
    addr->setValidator(new QRegularExpressionValidator(addrPattern, addr));
    keepTime->setValidator(new QIntValidator(0, 2147483647, keepTime));
}

PayloadOptions payloadOptions(const QCheckBox* rle, const QComboBox* compress, quint16 nImgType,
                              const QString& strFilePath, quint32 nFileSize)
{
    PayloadOptions opt;
    opt.bRle = rle->isChecked();
    opt.nCompress = compress->currentData().toInt();
    opt.nImgType = nImgType;
    opt.strFilePath = strFilePath;
    opt.nFileSize = nFileSize;
    return opt;
}

int logPacketStatus(QTextEdit* log, const uchar* p)
{
    if (!p)
        return -1;
    const PacketAck ack { p[0], p[1], p[2] };
    const int s = ackStatus(ack);
    appendLog(log, ackLogLine(ack), s == kAckOk ? kLogPlain : kLogRed, true);
    return s;
}
