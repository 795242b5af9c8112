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
    RxEntry entry;
    entry.kind = nDir == 1 ? RxEntry::Sent : RxEntry::Received;
    entry.data = data;
    if (m_bTimestamps) {
        if (nDir == 1) {
            entry.strText = m_timeText() + QStringLiteral(">> ");
        } else if (nDir == 0) {
            // A timer that never ran counts as expired: the chunk starts a line.
            const qint64 nNow = m_clock();
            if (m_rxTimer < 0 || nNow - m_rxTimer >= m_nSubPkgTime) {
                m_rxTimer = nNow;
                entry.strText = m_timeText() + QStringLiteral("<< ");
            }
        }
    }
    render(entry);
    keep(std::move(entry));
}

void RxDisplay::addParagraph(const QString& strText)
{
    RxEntry entry;
    entry.kind = RxEntry::Answer;
    entry.strText = strText;
    render(entry);
    keep(std::move(entry));
}

QString RxDisplay::chunkText(const QByteArray& data, int nMode)
{
    if (nMode == txmode::kHex)
        return hexDisplayText(data);
    // With an explicit size: the QByteArray overload stops at the first zero.
    QString strText = QString::fromUtf8(data.constData(), data.size());
    strText.replace(QChar(0), QChar(kZeroSign));
    return strText;
}

void RxDisplay::render(const RxEntry& entry)
{
    if (entry.kind == RxEntry::Answer)
        emitText(entry.strText, true);
    else
        emitText(entry.strText + chunkText(entry.data, m_nRxMode), !entry.strText.isEmpty());
}

void RxDisplay::keep(RxEntry entry)
{
    m_nStoreBytes += entry.data.size() + entry.strText.size() * 2;
    m_rxStore.push_back(std::move(entry));
    while (m_rxStore.size() > 1
           && (m_nStoreBytes > kStoreCapBytes || m_rxStore.size() > size_t(kStoreCapEntries))) {
        const RxEntry& front = m_rxStore.front();
        m_nStoreBytes -= front.data.size() + front.strText.size() * 2;
        m_rxStore.pop_front();
    }
}

bool RxDisplay::setMode(int nMode)
{
    const bool bChanged = nMode != m_nRxMode;
    m_nRxMode = nMode;
    if (!bChanged || m_rxStore.empty())
        return false;
    resetView();
    for (const RxEntry& entry : m_rxStore)
        render(entry);
    return true;
}

QByteArray RxDisplay::receivedBytes() const
{
    QByteArray bytes;
    for (const RxEntry& entry : m_rxStore) {
        if (entry.kind == RxEntry::Received)
            bytes += entry.data;
    }
    return bytes;
}

void RxDisplay::clear()
{
    m_rxStore.clear();
    m_nStoreBytes = 0;
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
        // Cut after a space where there is one, so that a timestamp in front
        // does not shift the cut into the middle of a hex pair.
        const int nSpace = strText.lastIndexOf(QLatin1Char(' '), kParagraphChars - 1);
        const int nCut = nSpace >= kParagraphChars / 2 ? nSpace + 1 : kParagraphChars;
        push(strText.left(nCut));
        startParagraph();
        strText.remove(0, nCut);
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
