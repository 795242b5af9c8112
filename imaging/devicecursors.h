#pragma once

#include "packetcursor.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QtGlobal>

// The packet phase of one transfer: one cursor per answering device, keyed
// by address (0 = the broadcast entry every device starts from), one packet
// in flight per device.
class DeviceCursors
{
public:
    // Outcome of an acknowledgement with a good status.
    struct Step
    {
        enum Kind { Ignored, Continue, Complete };
        Kind kind = Ignored;
        QByteArray frame;  // next packet of that device; may be empty on Complete
        int nProgress = 0; // 0..100
    };

    // Points the broadcast entry at payload and returns the current packet
    // frame of every entry in ascending address order. payload must outlive
    // the phase; call clear() before replacing it.
    QList<QByteArray> start(const QByteArray& payload, quint32 nTarget);
    // Device nAddr acknowledged its packet: advance its cursor (a new device
    // starts as a copy of the broadcast entry) and build its next packet.
    Step acknowledge(quint32 nAddr, quint32 nTarget);
    // Back to packet 0 everywhere; the entries stay.
    void resetAll();
    void clear() { m_map.clear(); }

    const QMap<quint32, PacketCursor>& map() const { return m_map; }

private:
    QMap<quint32, PacketCursor> m_map;
};
