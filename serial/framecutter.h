#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include "dtuframe.h"

// Checksum test of the candidate frame data[nHead..nTail]: the byte before
// the tail must equal the 8-bit sum of the bytes from the head up to it.
bool verifySum(const char* data, int nHead, int nTail);

// Cuts DTU frames out of a receive stream without reading the length field.
//
// findFrame() finds exactly the frame the plain search finds: the first
// 0xEE at buffer index 10 or later that has a matching head, paired with
// the nearest 0xAA before it whose sum holds. It does so in one pass with a
// running sum and, per sum residue, the last 0xAA seen: sum(h..t-2) equals
// byte t-1 exactly when prefix(h) == prefix(t-1) - byte(t-1) (mod 256).
// The scan position survives appends, so bytes are visited once even when
// a frame trickles in over many chunks.
class FrameCutter
{
public:
    // No page can use a frame longer than the length field can describe,
    // so bytes older than this window are never part of a wanted frame.
    static constexpr int kWindow = dtu::kMaxFrame;

    FrameCutter();

    void append(const QByteArray& chunk);
    // Finds the next frame; indexes are relative to buffer().
    bool findFrame(int* pHead, int* pTail);
    // Removes the frame found last together with every byte before it.
    QByteArray takeFrame(int nHead, int nTail);
    // Cuts every complete frame, in stream order, then enforces the window.
    QList<QByteArray> cutAll();
    // Drops the oldest bytes beyond kWindow.
    void bound();
    void clear();

    int size() const { return m_buf.size() - m_nStart; }
    bool isEmpty() const { return size() == 0; }
    QByteArray buffer() const { return m_buf.mid(m_nStart); }

private:
    void compact();

    QByteArray m_buf;
    int m_nStart = 0;        // first live byte of m_buf
    int m_nScan = 0;         // next byte of m_buf the search has not seen
    qint64 m_nBase = 0;      // stream offset of m_buf[0]
    quint8 m_nSum = 0;       // sum of every byte before m_nScan (since clear)
    // Stream offset of the last 0xAA per prefix residue, -1: none; the
    // extra slot absorbs the writes for bytes that are not heads.
    static constexpr int kNoHeadSlot = 256;
    qint64 m_lastHead[kNoHeadSlot + 1];
};
