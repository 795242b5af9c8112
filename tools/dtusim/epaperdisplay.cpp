#include "epaperdisplay.h"

#include "dtuframe.h"

#include <QtEndian>

namespace {

// Acknowledgement status codes.
constexpr quint8 kOk = 0;
constexpr quint8 kNoBuffer = 1;
constexpr quint8 kBadData = 2;
constexpr quint8 kSaveFailed = 3;
constexpr quint8 kBadTotal = 7;
constexpr quint8 kBadIndex = 8;

constexpr int kPacketData = 1024;
constexpr int kPacketHeader = 10;
constexpr quint32 kMaxPayload = 255u * kPacketData;  // packets are numbered in one byte

}  // namespace

QByteArray EpaperDisplay::ack(quint8 count, quint8 index, quint8 status) const
{
    QByteArray payload;
    payload.append(char(count)).append(char(index)).append(char(status));
    return encodeFrame(m_nAddr, dtu::kCtlPacket, payload);
}

QVector<Reply> EpaperDisplay::onWakeRequest(const QByteArray& payload)
{
    if (payload.size() < 8 || qFromLittleEndian<quint32>(payload.constData()) != m_nAddr)
        return {};
    m_bAwake = m_faults.wakeResult == 0;
    if (m_faults.noWakeAnswer)
        return {};
    QByteArray answer(4, '\0');
    qToLittleEndian<quint32>(m_nAddr, answer.data());
    answer.append(char(m_faults.wakeResult));
    return { { m_wakeDelayMs, encodeFrame(0, dtu::kCtlAwaken, answer) } };
}

QVector<Reply> EpaperDisplay::onPacket(quint32 nFrameAddr, const QByteArray& payload)
{
    if (payload.size() < kPacketHeader)
        return {};
    const auto* p = reinterpret_cast<const uchar*>(payload.constData());
    const quint32 target = qFromLittleEndian<quint32>(p);
    const quint32 size = qFromLittleEndian<quint32>(p + 4);
    const quint8 count = p[8];
    const quint8 index = p[9];
    // Broadcast transfers (target 0) reach every display; addressed ones only
    // the display that was woken for them.
    if (nFrameAddr != 0 && nFrameAddr != m_nAddr)
        return {};
    if (target != 0 && (target != m_nAddr || !m_bAwake))
        return {};

    ++m_nPacketsSeen;
    if (m_faults.dropAckAt.contains(index))
        return {};
    if (m_faults.statusAt.contains(index))
        return { { 0, ack(count, index, quint8(m_faults.statusAt.value(index))) } };

    if (size == 0 || size > kMaxPayload)
        return { { 0, ack(count, index, kNoBuffer) } };
    if (count != int((size + kPacketData - 1) / kPacketData))
        return { { 0, ack(count, index, kBadTotal) } };
    // The host never retries, so a first packet always starts a transfer;
    // a later packet may be repeated after a lost acknowledgement.
    const bool repeat = index > 0 && index + 1 == m_nNextIndex && size == m_nSize;
    if (index == 0) {
        if (payload.size() - kPacketHeader != int(qMin<quint32>(size, kPacketData)))
            return { { 0, ack(count, index, kBadData) } };
        m_payload.clear();
        m_nSize = size;
        m_nNextIndex = 0;
        ++m_nTransfers;
    } else if (size != m_nSize) {
        return { { 0, ack(count, index, kBadTotal) } };
    } else if (repeat) {
        return { { 0, ack(count, index, kOk) } };
    } else if (index != m_nNextIndex) {
        return { { 0, ack(count, index, kBadIndex) } };
    }
    const int expectedData = int(qMin<quint32>(size - quint32(m_payload.size()), kPacketData));
    if (payload.size() - kPacketHeader != expectedData)
        return { { 0, ack(count, index, kBadData) } };

    const bool last = quint32(m_payload.size() + expectedData) == size;
    if (last && m_faults.failEvery > 0 && m_nTransfers % m_faults.failEvery == 0)
        return { { 0, ack(count, index, kSaveFailed) } };
    m_payload.append(payload.constData() + kPacketHeader, expectedData);
    ++m_nNextIndex;
    QVector<Reply> replies { { 0, ack(count, index, kOk) } };
    if (quint32(m_payload.size()) == size) {
        m_completed = m_payload;
        m_decoded = decodeDisplayPayload(m_completed);
        m_bCompleted = true;
        const int state = m_faults.displayState >= 0 ? m_faults.displayState : (m_decoded.ok ? 0 : 1);
        QByteArray report(4, '\0');
        qToLittleEndian<quint32>(m_nAddr, report.data());
        report.append(char(state));
        replies.append({ m_drawDelayMs, encodeFrame(m_nAddr, dtu::kCtlDisplayState, report) });
    }
    return replies;
}

QByteArray EpaperDisplay::takeCompleted(DecodedPayload& decoded)
{
    decoded = m_decoded;
    m_bCompleted = false;
    return m_completed;
}
