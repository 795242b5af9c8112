#include "framecutter.h"
#include "seriallog.h"

#include <QDebug>

#include <algorithm>

namespace {

constexpr int kMinTailIndex = dtu::kOverhead - 1;  // shortest frame ends here

}  // namespace

bool verifySum(const char* data, int nHead, int nTail)
{
    const int nCount = nTail - nHead - 1;
    const quint8 nSum = frameChecksum(data + nHead, nCount);
    return quint8(data[nHead + std::max(nCount, 0)]) == nSum;
}

FrameCutter::FrameCutter()
{
    clear();
}

void FrameCutter::append(const QByteArray& chunk)
{
    m_buf.append(chunk);
}

bool FrameCutter::findFrame(int* pHead, int* pTail)
{
    const int nSize = m_buf.size();
    const uchar* data = reinterpret_cast<const uchar*>(m_buf.constData());
    // Locals, so the stores into the table cannot force reloads of members.
    qint64* lastHead = m_lastHead;
    const qint64 nBase = m_nBase;
    const qint64 nLive = nBase + m_nStart;
    const int nFirstTail = m_nStart + kMinTailIndex;
    quint8 nSum = m_nSum;
    uchar nPrev = m_nScan > 0 ? data[m_nScan - 1] : 0;
    // Branch-free apart from the hit: noise rich in 0xAA and 0xEE would
    // otherwise mispredict on nearly every byte.
    for (int i = m_nScan; i < nSize; ++i) {
        const uchar b = data[i];
        // nSum is prefix(i) here; prefix(i - 1) = nSum - nPrev.
        const bool bTail = (b == dtu::kTail) & (i >= nFirstTail);
        const qint64 nHead = bTail ? lastHead[quint8(nSum - nPrev - nPrev)] : qint64(-1);
        if (nHead >= nLive) {
            m_nScan = i + 1;
            m_nSum = quint8(nSum + b);
            *pHead = int(nHead - nBase) - m_nStart;
            *pTail = i - m_nStart;
            return true;
        }
        lastHead[b == dtu::kHead ? nSum : kNoHeadSlot] = nBase + i;
        nSum = quint8(nSum + b);
        nPrev = b;
    }
    m_nScan = nSize;
    m_nSum = nSum;
    return false;
}

QByteArray FrameCutter::takeFrame(int nHead, int nTail)
{
    const QByteArray frame = m_buf.mid(m_nStart + nHead, nTail - nHead + 1);
    m_nStart += nTail + 1;
    return frame;
}

QList<QByteArray> FrameCutter::cutAll()
{
    QList<QByteArray> frames;
    const bool bLog = lcSerial().isDebugEnabled();
    int nHead = 0;
    int nTail = 0;
    while (!isEmpty() && findFrame(&nHead, &nTail)) {
        frames.append(takeFrame(nHead, nTail));
        // One line per frame at most: a line per candidate would cost more
        // than the search, and even a filtered line costs its formatting.
        if (bLog) {
            const QByteArray& frame = frames.last();
            qCDebug(lcSerial, "frame control 0x%02X, %d bytes, checksum %02X", quint8(frame.at(6)), int(frame.size()),
                    quint8(frame.at(frame.size() - 2)));
        }
    }
    bound();
    compact();
    return frames;
}

void FrameCutter::bound()
{
    if (size() > kWindow)
        m_nStart = m_buf.size() - kWindow;
}

void FrameCutter::compact()
{
    // Moving the live bytes down costs at most as much as the bytes dropped.
    if (m_nStart == 0 || m_nStart < m_buf.size() / 2)
        return;
    m_buf.remove(0, m_nStart);
    m_nBase += m_nStart;
    m_nScan -= m_nStart;
    m_nStart = 0;
}

void FrameCutter::clear()
{
    m_nBase += m_buf.size();
    m_buf.clear();
    m_nStart = 0;
    m_nScan = 0;
    m_nSum = 0;
    std::fill(std::begin(m_lastHead), std::end(m_lastHead), qint64(-1));
}
