#include "rxdisplay.h"

#include "hexcodec.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <memory>

namespace {

bool isParagraphBreak(QChar c)
{
    // The characters QTextCursor::insertText turns into paragraph breaks.
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator;
}

}  // namespace

RxDisplay::RxDisplay()
{
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    m_clock = [elapsed] { return elapsed->elapsed(); };
    m_timeText = [] { return QDateTime::currentDateTime().toString(QStringLiteral("[hh:mm:ss.zzz]")); };
}

void RxDisplay::setClock(Clock clock, TimeText timeText)
{
    m_clock = std::move(clock);
    m_timeText = std::move(timeText);
}

bool RxDisplay::applySubPkgTime(qint64 nMs)
{
    if (nMs < kMinSubPkgTime || nMs >= 2147483647)
        return false;
    m_nSubPkgTime = int(nMs);
    m_rxTimer = m_clock();
    return true;
}

void RxDisplay::addChunk(const QByteArray& data, int nDir)
{
    QString strPrefix;
    if (m_bTimestamps) {
        if (nDir == 1) {
            strPrefix = m_timeText() + QStringLiteral(">> ");
        } else if (nDir == 0) {
            // A timer that never ran counts as expired: the chunk starts a line.
            const qint64 nNow = m_clock();
            if (m_rxTimer < 0 || nNow - m_rxTimer >= m_nSubPkgTime) {
                m_rxTimer = nNow;
                strPrefix = m_timeText() + QStringLiteral("<< ");
            }
        }
    }

    QString strText;
    if (m_nRxMode == txmode::kHex) {
        if (nDir == 0)
            m_rxStore.append(bytesToHex(data));
        strText = hexDisplayText(data);
    } else {
        if (nDir == 0)
            m_rxStore.append(data);
        strText = QString::fromUtf8(upToZero(data));
    }
    if (nDir == 0)
        boundStore();

    const bool bNewLine = !strPrefix.isEmpty();
    emitText(strPrefix + strText, bNewLine);
}

void RxDisplay::addParagraph(const QString& strText)
{
    emitText(strText, true);
}

bool RxDisplay::setMode(int nMode)
{
    const bool bChanged = nMode != m_nRxMode;
    m_nRxMode = nMode;
    // The store holds the previous mode's form; converting it again for the
    // same mode would garble it.
    if (!bChanged || m_rxStore.isEmpty())
        return false;

    const QByteArray content = m_rxStore;
    m_rxStore.clear();
    QString strDisplay;
    if (nMode == txmode::kText) {
        m_rxStore = upToZero(hexToBytes(content));
        strDisplay = QString::fromUtf8(m_rxStore);
    } else {
        m_rxStore = bytesToHex(content);
        // Lowercase pairs separated by single spaces.
        strDisplay = QString::fromLatin1(content.toHex(' '));
    }
    resetView();
    emitText(strDisplay, false);
    return true;
}

void RxDisplay::clear()
{
    m_rxStore.clear();
    resetView();
}

std::deque<RxSegment> RxDisplay::takePending(bool* pbReset, int nMaxChars)
{
    *pbReset = m_bResetView;
    m_bResetView = false;
    std::deque<RxSegment> out;
    if (m_nPendingChars <= nMaxChars) {
        m_nPendingChars = 0;
        out.swap(m_pending);
        return out;
    }
    int nTaken = 0;
    while (!m_pending.empty() && nTaken < nMaxChars) {
        RxSegment& front = m_pending.front();
        const int nRoom = nMaxChars - nTaken;
        if (front.strText.size() <= nRoom) {
            nTaken += front.strText.size();
            out.push_back(std::move(front));
            m_pending.pop_front();
        } else {
            // The rest continues the same paragraph.
            out.push_back(RxSegment{front.bNewBlock, front.strText.left(nRoom)});
            front.bNewBlock = false;
            front.strText.remove(0, nRoom);
            nTaken += nRoom;
        }
    }
    m_nPendingChars -= nTaken;
    return out;
}

void RxDisplay::resetView()
{
    m_pending.clear();
    m_nPendingChars = 0;
    m_bResetView = true;
    m_bViewEmpty = true;
    m_nParaLen = 0;
}

void RxDisplay::emitText(QString strText, bool bNewBlock)
{
    if (bNewBlock && !m_bViewEmpty)
        startParagraph();
    if (m_nParaLen > 0 && m_nParaLen + strText.size() > kParagraphChars)
        startParagraph();
    while (strText.size() > kParagraphChars) {
        push(strText.left(kParagraphChars));
        startParagraph();
        strText.remove(0, kParagraphChars);
    }
    push(strText);
}

void RxDisplay::startParagraph()
{
    m_pending.push_back(RxSegment{true, QString()});
    m_bViewEmpty = false;
    m_nParaLen = 0;
}

void RxDisplay::push(const QString& strText)
{
    if (strText.isEmpty())
        return;
    if (m_pending.empty())
        m_pending.push_back(RxSegment{});
    m_pending.back().strText += strText;
    m_nPendingChars += strText.size();
    m_bViewEmpty = false;

    int nBreak = -1;
    for (int i = strText.size() - 1; i >= 0; --i) {
        if (isParagraphBreak(strText.at(i))) {
            nBreak = i;
            break;
        }
    }
    m_nParaLen = nBreak < 0 ? m_nParaLen + strText.size() : strText.size() - nBreak - 1;

    // Text the view would trim right after inserting it is dropped now.
    if (m_nPendingChars > kViewChars + kViewChars / 4) {
        while (m_pending.size() > 1 && m_nPendingChars - m_pending.front().strText.size() > kViewChars) {
            m_nPendingChars -= m_pending.front().strText.size();
            m_pending.pop_front();
        }
        m_pending.front().bNewBlock = false;
        m_bResetView = true;
    }
}

void RxDisplay::boundStore()
{
    const int nCap = m_nRxMode == txmode::kHex ? 2 * kStoreCapBytes : kStoreCapBytes;
    // Trim with some slack so the front is not moved for every chunk; the
    // cap is even, so hex digits stay paired.
    if (m_rxStore.size() > nCap + nCap / 4)
        m_rxStore.remove(0, m_rxStore.size() - nCap);
}
