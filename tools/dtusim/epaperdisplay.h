#pragma once

#include "displaypayload.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QVector>

// Faults a display can be told to show, for tests and demos.
struct DisplayFaults
{
    QHash<int, int> statusAt;  // packet index -> acknowledgement status to answer instead of 0
    QSet<int> dropAckAt;       // packet indexes whose acknowledgement is lost
    bool noWakeAnswer = false; // wakes up silently
    int wakeResult = 0;        // result byte of the wake-up answer (non-zero: failed)
    int displayState = -1;     // state byte to report after drawing; -1: 0 or 1 by decode result
    int failEvery = 0;         // every n-th transfer fails at its last packet (status 3); 0: never
};

// A frame the display sends after delayMs milliseconds.
struct Reply
{
    int delayMs = 0;
    QByteArray frame;
};

// One battery-powered e-paper display behind the DTU's radio: it answers a
// wake-up aimed at its address, acknowledges image packets, reassembles the
// payload, decodes it and reports its state after drawing.
class EpaperDisplay
{
public:
    explicit EpaperDisplay(quint32 nAddr) : m_nAddr(nAddr) {}

    quint32 address() const { return m_nAddr; }
    bool isAwake() const { return m_bAwake; }
    DisplayFaults& faults() { return m_faults; }
    void setWakeDelay(int ms) { m_wakeDelayMs = ms; }
    void setDrawDelay(int ms) { m_drawDelayMs = ms; }

    // Wake-up request payload: u32 target address, u32 keep time.
    QVector<Reply> onWakeRequest(const QByteArray& payload);
    // Packet frame addressed to nFrameAddr; payload: u32 target, u32 size,
    // u8 count, u8 index, data.
    QVector<Reply> onPacket(quint32 nFrameAddr, const QByteArray& payload);

    // Set when the last packet arrived; cleared by takeCompleted().
    bool hasCompleted() const { return m_bCompleted; }
    QByteArray takeCompleted(DecodedPayload& decoded);

    int packetsSeen() const { return m_nPacketsSeen; }

private:
    QByteArray ack(quint8 count, quint8 index, quint8 status) const;

    quint32 m_nAddr;
    bool m_bAwake = false;
    DisplayFaults m_faults;
    int m_wakeDelayMs = 0;
    int m_drawDelayMs = 0;

    QByteArray m_payload;    // reassembly buffer
    quint32 m_nSize = 0;
    int m_nNextIndex = 0;
    int m_nPacketsSeen = 0;
    int m_nTransfers = 0;    // transfers started (first packets accepted)
    bool m_bCompleted = false;
    QByteArray m_completed;
    DecodedPayload m_decoded;
};
