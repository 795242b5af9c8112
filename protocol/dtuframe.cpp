#include "dtuframe.h"

#include <QtEndian>

QByteArray encodeFrame(quint32 nAddr, quint8 nCtl, const QByteArray& payload)
{
    if (payload.size() > dtu::kMaxPayload)
        return {};

    QByteArray frame;
    frame.reserve(payload.size() + dtu::kOverhead);
    frame.append(char(dtu::kHead));
    frame.append(char(dtu::kVersion));
    char addr[4];
    qToLittleEndian<quint32>(nAddr, addr);
    frame.append(addr, 4);
    frame.append(char(nCtl));
    char len[2];
    qToLittleEndian<quint16>(quint16(payload.size()), len);
    frame.append(len, 2);
    frame.append(payload);
    frame.append(char(frameChecksum(frame.constData(), frame.size())));
    frame.append(char(dtu::kTail));
    return frame;
}

quint8 frameChecksum(const char* data, int nCount)
{
    quint8 sum = 0;
    for (int i = 0; i < nCount; ++i)
        sum = quint8(sum + quint8(data[i]));
    return sum;
}

quint8 frameControl(const QByteArray& frame)
{
    return frame.size() > 6 ? quint8(frame.at(6)) : 0;
}

quint32 frameAddress(const QByteArray& frame)
{
    return frame.size() >= 6 ? qFromLittleEndian<quint32>(frame.constData() + 2) : 0;
}

quint16 framePayloadLength(const QByteArray& frame)
{
    return frame.size() >= 9 ? qFromLittleEndian<quint16>(frame.constData() + 7) : 0;
}

QByteArray framePayload(const QByteArray& frame)
{
    const int n = framePayloadLength(frame);
    if (frame.size() < dtu::kPayloadOffset + n)
        return {};
    return frame.mid(dtu::kPayloadOffset, n);
}

bool isAcceptableResponse(const QByteArray& frame)
{
    if (frame.size() < dtu::kOverhead || quint8(frame.at(0)) != dtu::kHead)
        return false;
    const quint16 n = framePayloadLength(frame);
    // N - 1 as an unsigned 16-bit number rejects N = 0 along with N > 1024.
    if (quint16(n - 1) > dtu::kMaxAnswerPayload - 1)
        return false;
    return frame.size() >= n + dtu::kOverhead;
}
