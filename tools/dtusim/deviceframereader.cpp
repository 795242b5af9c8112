#include "deviceframereader.h"

#include "dtuframe.h"

#include <QtEndian>

namespace {

void appendRaw(QVector<LineItem>& items, const QByteArray& bytes)
{
    if (!items.isEmpty() && items.last().kind == LineItem::Raw)
        items.last().bytes.append(bytes);
    else
        items.append({ LineItem::Raw, bytes });
}

}  // namespace

QVector<LineItem> DeviceFrameReader::take()
{
    QVector<LineItem> items;
    int pos = 0;
    while (pos < m_buffer.size()) {
        if (quint8(m_buffer.at(pos)) != dtu::kHead) {
            int next = m_buffer.indexOf(char(dtu::kHead), pos);
            if (next < 0)
                next = m_buffer.size();
            appendRaw(items, m_buffer.mid(pos, next - pos));
            pos = next;
            continue;
        }
        if (m_buffer.size() - pos < dtu::kPayloadOffset)
            break;
        const int n = qFromLittleEndian<quint16>(m_buffer.constData() + pos + 7);
        const int total = n + dtu::kOverhead;
        if (m_buffer.size() - pos < total)
            break;
        const char* f = m_buffer.constData() + pos;
        if (quint8(f[total - 1]) == dtu::kTail && quint8(f[total - 2]) == frameChecksum(f, total - 2)) {
            items.append({ LineItem::Frame, m_buffer.mid(pos, total) });
            pos += total;
        } else {
            appendRaw(items, m_buffer.mid(pos, 1));
            ++pos;
        }
    }
    m_buffer.remove(0, pos);
    return items;
}

QVector<LineItem> DeviceFrameReader::flush()
{
    QVector<LineItem> items;
    while (!m_buffer.isEmpty()) {
        appendRaw(items, m_buffer.left(1));
        m_buffer.remove(0, 1);
        for (LineItem& item : take()) {
            if (item.kind == LineItem::Raw)
                appendRaw(items, item.bytes);
            else
                items.append(item);
        }
    }
    return items;
}
