#include "transferframes.h"
#include "imaginglog.h"

#include "dtuframe.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QTime>
#include <QtEndian>

namespace {

// Payload pointer of an acceptable frame with at least nMin payload bytes.
const uchar* payloadAtLeast(const QByteArray& frame, int nMin)
{
    if (!isAcceptableResponse(frame) || framePayloadLength(frame) < nMin)
        return nullptr;
    return reinterpret_cast<const uchar*>(frame.constData()) + dtu::kPayloadOffset;
}

}  // namespace

QByteArray buildAwakenFrame(quint32 nTarget, quint32 nKeepTimeMs)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << nTarget << nKeepTimeMs;
    return encodeFrame(0, dtu::kCtlAwaken, payload);
}

QByteArray buildPacketFrame(quint32 nFrameAddr, quint32 nTarget, const PacketCursor& cursor)
{
    int nLen = 0;
    const char* p = cursor.current(&nLen);
    if (!p || cursor.index >= cursor.count)
        return {};
    qCDebug(lcTransfer, "encode pkg total %d", int(cursor.count));
    QByteArray payload;
    payload.reserve(nLen + 10);
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << nTarget << cursor.size << quint8(cursor.count) << quint8(cursor.index);
    out.writeRawData(p, nLen);
    return encodeFrame(nFrameAddr, dtu::kCtlPacket, payload);
}

bool parseAwakenAnswer(const QByteArray& frame, AwakenAnswer& out)
{
    const uchar* p = payloadAtLeast(frame, 5);
    if (!p)
        return false;
    out.nDevice = qFromLittleEndian<quint32>(p);
    out.nResult = p[4];
    return true;
}

bool parsePacketAck(const QByteArray& frame, PacketAck& out)
{
    const uchar* p = payloadAtLeast(frame, 3);
    if (!p)
        return false;
    out.nCount = p[0];
    out.nIndex = p[1];
    out.nStatusByte = p[2];
    return true;
}

bool parseDisplayReport(const QByteArray& frame, DisplayReport& out)
{
    const uchar* p = payloadAtLeast(frame, 5);
    if (!p)
        return false;
    out.nDisplay = qFromLittleEndian<quint32>(p);
    out.nState = p[4];
    return true;
}

int ackStatus(const PacketAck& ack)
{
    if (ack.nCount == 0 || ack.nIndex >= ack.nCount)
        return kAckBadIndex;
    return ack.nStatusByte;
}

namespace {

QString trFrames(const char* text)
{
    return QCoreApplication::translate("TransferFrames", text);
}

const char* ackStatusSource(int nStatus)
{
    static const char* const texts[] = {
        QT_TRANSLATE_NOOP("TransferFrames", "接收成功"),   QT_TRANSLATE_NOOP("TransferFrames", "缓存不足"),
        QT_TRANSLATE_NOOP("TransferFrames", "校验错误"),   QT_TRANSLATE_NOOP("TransferFrames", "保存失败"),
        QT_TRANSLATE_NOOP("TransferFrames", "转发失败"),   QT_TRANSLATE_NOOP("TransferFrames", "拒绝"),
        QT_TRANSLATE_NOOP("TransferFrames", "其他异常"),   QT_TRANSLATE_NOOP("TransferFrames", "总包数异常"),
        QT_TRANSLATE_NOOP("TransferFrames", "当前包数异常"),
    };
    constexpr int kOther = 6;
    return texts[nStatus >= 0 && nStatus < int(sizeof texts / sizeof texts[0]) ? nStatus : kOther];
}

const char* displayStateSource(quint8 nState)
{
    static const char* const texts[] = {
        QT_TRANSLATE_NOOP("TransferFrames", "刷屏成功"), QT_TRANSLATE_NOOP("TransferFrames", "解码失败"),
        QT_TRANSLATE_NOOP("TransferFrames", "刷屏失败"), QT_TRANSLATE_NOOP("TransferFrames", "未知异常"),
    };
    return texts[nState & 3];
}

}  // namespace

QString ackStatusText(int nStatus)
{
    return QString::fromUtf8(ackStatusSource(nStatus));
}

QString ackLogLine(const PacketAck& ack)
{
    return QCoreApplication::translate("TransferFrames", "当前包: %1, 总包：%2, 状态: %3")
        .arg(int(ack.nIndex) + 1, 3)
        .arg(ack.nCount)
        .arg(trFrames(ackStatusSource(ackStatus(ack))));
}

QString displayStateText(quint8 nState)
{
    return QString::fromUtf8(displayStateSource(nState));
}

QString displayReportLine(const DisplayReport& report)
{
    return QCoreApplication::translate("TransferFrames", "墨水屏 #%1 状态: %2")
        .arg(report.nDisplay)
        .arg(trFrames(displayStateSource(report.nState)));
}

QString awakenAnswerLine(const AwakenAnswer& answer, qint64 nElapsedMs)
{
    const QString device = answer.nDevice == 0 ? QCoreApplication::translate("TransferFrames", "广播")
                                               : QString::number(answer.nDevice);
    const QString result = answer.nResult == 0 ? QCoreApplication::translate("TransferFrames", "成功")
                                               : QCoreApplication::translate("TransferFrames", "失败");
    return QCoreApplication::translate("TransferFrames", "唤醒地址: %1, %2 耗时: %3 秒")
        .arg(device, result, formatElapsed(nElapsedMs));
}

QString formatElapsed(qint64 nMs)
{
    constexpr qint64 kDay = 24LL * 3600 * 1000;
    const qint64 ms = ((nMs % kDay) + kDay) % kDay;
    return QTime::fromMSecsSinceStartOfDay(int(ms)).toString(QStringLiteral("s.zzz"));
}
