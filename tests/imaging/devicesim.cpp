#include "devicesim.h"

#include <QtEndian>

DeviceSim::DeviceSim()
{
    if (!m_pty.isValid())
        return;
    m_port.setPortName(m_pty.portPath());
    m_port.open(QIODevice::ReadWrite);
}

void DeviceSim::write(const QByteArray& frame)
{
    m_port.write(frame);
}

QByteArray DeviceSim::nextFrame(int nTimeoutMs)
{
    for (;;) {
        int need = 9;
        if (m_buffer.size() >= 9)
            need = qFromLittleEndian<quint16>(m_buffer.constData() + 7) + 11;
        if (m_buffer.size() >= need && need > 9) {
            const QByteArray frame = m_buffer.left(need);
            m_buffer.remove(0, need);
            return frame;
        }
        const QByteArray more = m_pty.read(need - m_buffer.size(), nTimeoutMs);
        if (more.isEmpty())
            return {};
        m_buffer.append(more);
    }
}

bool DeviceSim::staysSilent(int nMs)
{
    m_buffer.append(m_pty.drain(nMs));
    return m_buffer.isEmpty();
}
