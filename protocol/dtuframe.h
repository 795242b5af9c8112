#pragma once

#include <QByteArray>
#include <QtGlobal>

// The one DTU frame envelope, little-endian:
//   AA 01 | u32 address | u8 control | u16 N | N payload bytes | u8 sum | EE
// The sum is the 8-bit wrap-around total of every byte before it.

namespace dtu {

constexpr quint8 kHead = 0xAA;
constexpr quint8 kVersion = 0x01;
constexpr quint8 kTail = 0xEE;
constexpr int kOverhead = 11;            // frame length = N + kOverhead
constexpr int kPayloadOffset = 9;
constexpr int kMaxPayload = 0xFFFF;      // what the length field can describe
constexpr int kMaxAnswerPayload = 1024;  // largest N a page accepts in an answer
constexpr int kMaxFrame = kMaxPayload + kOverhead;

// Control codes in use.
constexpr quint8 kCtlUserData = 0x01;     // destination user ID + delay time
constexpr quint8 kCtlAwaken = 0x10;       // wake-up request and answer
constexpr quint8 kCtlTerminalId = 0x64;   // terminal ID + data
constexpr quint8 kCtlPacket = 0xA0;       // image packet and acknowledgement
constexpr quint8 kCtlDisplayState = 0xAA; // unsolicited display state report

}  // namespace dtu

// Builds a complete frame. Returns an empty array when the payload is longer
// than the 16-bit length field can describe: such a frame would lie.
QByteArray encodeFrame(quint32 nAddr, quint8 nCtl, const QByteArray& payload);

// 8-bit wrap-around sum of nCount bytes; 0 when nCount < 1.
quint8 frameChecksum(const char* data, int nCount);

// Accessors; call them only on a frame that passed isAcceptableResponse.
quint8 frameControl(const QByteArray& frame);
quint32 frameAddress(const QByteArray& frame);
quint16 framePayloadLength(const QByteArray& frame);
QByteArray framePayload(const QByteArray& frame);

// Head 0xAA, 1 <= N <= 1024 and the frame long enough to hold its N payload
// bytes plus checksum and tail, so no reader looks past its end.
bool isAcceptableResponse(const QByteArray& frame);
