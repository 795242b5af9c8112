#include "devicecursors.h"

#include "transferframes.h"

#include <algorithm>

QList<QByteArray> DeviceCursors::start(const QByteArray& payload, quint32 nTarget)
{
    PacketCursor cursor;
    cursor.init(payload.constData(), payload.size());
    m_map[0] = cursor;

    QList<QByteArray> frames;
    for (auto it = m_map.cbegin(); it != m_map.cend(); ++it) {
        const QByteArray frame = buildPacketFrame(it.key(), nTarget, it.value());
        if (!frame.isEmpty())
            frames.append(frame);
    }
    return frames;
}

DeviceCursors::Step DeviceCursors::acknowledge(quint32 nAddr, quint32 nTarget)
{
    Step step;
    auto it = m_map.find(nAddr);
    if (it == m_map.end()) {
        if (nAddr == 0)
            return step;
        if (!m_map.contains(0))
            m_map.insert(0, PacketCursor());
        it = m_map.insert(nAddr, m_map.value(0));
    }
    PacketCursor& cursor = it.value();
    if (cursor.count < 1)
        return step;

    cursor.advance();
    step.frame = buildPacketFrame(nAddr, nTarget, cursor);
    const quint32 p = quint32(quint64(cursor.index) * 100 / cursor.count);
    step.nProgress = int(std::min<quint32>(p, 100));
    step.kind = !step.frame.isEmpty() && p <= 99 ? Step::Continue : Step::Complete;
    if (step.kind == Step::Complete)
        step.nProgress = 100;
    return step;
}

void DeviceCursors::resetAll()
{
    for (PacketCursor& cursor : m_map)
        cursor.reset();
}
