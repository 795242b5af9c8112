#pragma once

#include "packetcursor.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Frames of an image transfer (DTU envelope, little-endian payloads):
//   wake-up request  0x10, address 0: u32 target | u32 keep time ms
//   data packet      0xA0, address of the device's sequence:
//                    u32 target | u32 payload size | u8 count | u8 index | data
//   wake-up answer   0x10: u32 device (0 = broadcast) | u8 result (0 ok)
//   acknowledgement  0xA0, address = answering device: u8 count | u8 index | u8 status
//   display report   0xAA: u32 display number | u8 state (low 2 bits)

QByteArray buildAwakenFrame(quint32 nTarget, quint32 nKeepTimeMs);
// Empty when the cursor has no current packet or its index is not below its count.
QByteArray buildPacketFrame(quint32 nFrameAddr, quint32 nTarget, const PacketCursor& cursor);

struct AwakenAnswer
{
    quint32 nDevice = 0;
    quint8 nResult = 0;
};
struct PacketAck
{
    quint8 nCount = 0;
    quint8 nIndex = 0;
    quint8 nStatusByte = 0;
};
struct DisplayReport
{
    quint32 nDisplay = 0;
    quint8 nState = 0;
};

// Each is false when the frame is not acceptable or its payload too short.
bool parseAwakenAnswer(const QByteArray& frame, AwakenAnswer& out);
bool parsePacketAck(const QByteArray& frame, PacketAck& out);
bool parseDisplayReport(const QByteArray& frame, DisplayReport& out);

constexpr int kAckOk = 0;
constexpr int kAckBadIndex = 8;
// The status byte, or kAckBadIndex when the count is 0 or the index not below it.
int ackStatus(const PacketAck& ack);
// The status and state texts come untranslated, as result files record
// them; the log lines below are in the operator's language.
QString ackStatusText(int nStatus);
// "当前包: %1, 总包：%2, 状态: %3"
QString ackLogLine(const PacketAck& ack);

QString displayStateText(quint8 nState);
// "墨水屏 #%1 状态: %2"
QString displayReportLine(const DisplayReport& report);

// "唤醒地址: %1, %2 耗时: %3 秒"
QString awakenAnswerLine(const AwakenAnswer& answer, qint64 nElapsedMs);

// Milliseconds as "s.zzz" of a time of day: whole minutes are not shown.
QString formatElapsed(qint64 nMs);
