#include "framecutter.h"

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
    const qint64 nLive = m_nBase + m_nStart;
    quint8 nSum = m_nSum;
    for (int i = m_nScan; i < nSize; ++i) {
        const uchar b = data[i];
        if (b == dtu::kTail && i - m_nStart >= kMinTailIndex) {
            const quint8 nBefore = data[i - 1];
            // nSum is prefix(i) here; prefix(i - 1) = nSum - nBefore.
            const quint8 nWant = quint8(nSum - nBefore - nBefore);
            const qint64 nHead = m_lastHead[nWant];
            if (nHead >= nLive) {
                m_nScan = i + 1;
                m_nSum = quint8(nSum + b);
                *pHead = int(nHead - m_nBase) - m_nStart;
                *pTail = i - m_nStart;
                return true;
            }
        } else if (b == dtu::kHead) {
            m_lastHead[nSum] = m_nBase + i;
        }
        nSum = quint8(nSum + b);
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
    int nHead = 0;
    int nTail = 0;
    while (!isEmpty() && findFrame(&nHead, &nTail)) {
        frames.append(takeFrame(nHead, nTail));
        // One line per frame: a line per candidate would cost more than the search.
        const quint8 nSum = quint8(frames.last().at(nTail - nHead - 1));
        qDebug("nSum %02X, nPosSum %02X", nSum, nSum);
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
