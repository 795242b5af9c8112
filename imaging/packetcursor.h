#pragma once

#include <QtGlobal>

constexpr int kPacketSize = 1024;
// The packet count and index travel as one byte each.
constexpr quint32 kMaxPackets = 255;

// Packets needed for nSize payload bytes.
quint32 packetCount(qint64 nSize);

// Walks one payload in packets of kPacketSize bytes. Does not own the bytes:
// whoever replaces the payload must drop or re-init every cursor over it.
struct PacketCursor
{
    quint32 index = 0xFFFFFFFF;
    quint32 count = 0;
    quint32 offset = 0;
    quint32 size = 0;
    const char* data = nullptr;

    // Does nothing when data is null or nSize <= 0.
    void init(const char* pData, qint64 nSize);
    // The current packet; null (and nLen 0) when nothing is left.
    const char* current(int* nLen = nullptr, quint32* nIndex = nullptr) const;
    void advance();
    void reset();

    quint32 remaining() const { return size > offset ? size - offset : 0; }
};
