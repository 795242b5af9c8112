#pragma once

#include <QByteArray>
#include <QList>

#include "framecutter.h"

// The plain frame search, kept as the yardstick for FrameCutter: tails in
// ascending order from index 10, for each tail every 0xAA before it, nearest
// first, each re-summed. Quadratic per tail; for small inputs only.
inline bool referenceFindFrame(const QByteArray& buf, int* pHead, int* pTail)
{
    int nFrom = 10;
    for (;;) {
        const int nTail = buf.indexOf(char(dtu::kTail), nFrom);
        if (nTail < 0)
            return false;
        for (int nHead = nTail - 1; nHead >= 0; --nHead) {
            if (quint8(buf.at(nHead)) == dtu::kHead && verifySum(buf.constData(), nHead, nTail)) {
                *pHead = nHead;
                *pTail = nTail;
                return true;
            }
        }
        nFrom = nTail + 1;
    }
}

// Cuts every frame the reference search finds, then keeps the newest
// FrameCutter::kWindow bytes, as the worker does after each chunk.
inline QList<QByteArray> referenceCutAll(QByteArray* pBuf)
{
    QList<QByteArray> frames;
    int nHead = 0;
    int nTail = 0;
    while (!pBuf->isEmpty() && referenceFindFrame(*pBuf, &nHead, &nTail)) {
        frames.append(pBuf->mid(nHead, nTail - nHead + 1));
        pBuf->remove(0, nTail + 1);
    }
    if (pBuf->size() > FrameCutter::kWindow)
        pBuf->remove(0, pBuf->size() - FrameCutter::kWindow);
    return frames;
}
