#include "transferframes.h"
#include "imaginglog.h"

#include "dtuframe.h"

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

QString ackStatusText(int nStatus)
{
    static const char* const texts[] = { "接收成功", "缓存不足", "校验错误", "保存失败", "转发失败",
                                         "拒绝",     "其他异常", "总包数异常", "当前包数异常" };
    if (nStatus >= 0 && nStatus < int(sizeof texts / sizeof texts[0]))
        return QString::fromUtf8(texts[nStatus]);
    return QStringLiteral("其他异常");
}

QString ackLogLine(const PacketAck& ack)
{
    return QStringLiteral("当前包: %1, 总包：%2, 状态: %3")
        .arg(int(ack.nIndex) + 1, 3)
        .arg(ack.nCount)
        .arg(ackStatusText(ackStatus(ack)));
}

QString displayStateText(quint8 nState)
{
    static const char* const texts[] = { "刷屏成功", "解码失败", "刷屏失败", "未知异常" };
    return QString::fromUtf8(texts[nState & 3]);
}

QString displayReportLine(const DisplayReport& report)
{
    return QStringLiteral("墨水屏 #%1 状态: %2").arg(report.nDisplay).arg(displayStateText(report.nState));
}

QString awakenAnswerLine(const AwakenAnswer& answer, qint64 nElapsedMs)
{
    const QString device = answer.nDevice == 0 ? QStringLiteral("广播") : QString::number(answer.nDevice);
    const QString result = answer.nResult == 0 ? QStringLiteral("成功") : QStringLiteral("失败");
    return QStringLiteral("唤醒地址: %1, %2 耗时: %3 秒").arg(device, result, formatElapsed(nElapsedMs));
}

QString formatElapsed(qint64 nMs)
{
    constexpr qint64 kDay = 24LL * 3600 * 1000;
    const qint64 ms = ((nMs % kDay) + kDay) % kDay;
    return QTime::fromMSecsSinceStartOfDay(int(ms)).toString(QStringLiteral("s.zzz"));
}
