#include "packetcursor.h"

#include <algorithm>

quint32 packetCount(qint64 nSize)
{
    return nSize <= 0 ? 0 : quint32((nSize + kPacketSize - 1) / kPacketSize);
}

void PacketCursor::init(const char* pData, qint64 nSize)
{
    if (!pData || nSize <= 0 || nSize > qint64(0xFFFFFFFF))
        return;
    data = pData;
    size = quint32(nSize);
    index = 0;
    offset = 0;
    count = packetCount(nSize);
}

const char* PacketCursor::current(int* nLen, quint32* nIndex) const
{
    const quint32 left = remaining();
    if (nLen)
        *nLen = left < 1 || !data ? 0 : int(std::min<quint32>(left, kPacketSize));
    if (nIndex)
        *nIndex = index;
    return left < 1 || !data ? nullptr : data + offset;
}

void PacketCursor::advance()
{
    const quint32 left = remaining();
    if (left < 1)
        return;
    ++index;
    offset += std::min<quint32>(left, kPacketSize);
}

void PacketCursor::reset()
{
    index = 0;
    offset = 0;
}
