#pragma once

#include <QByteArray>
#include <QString>

// Conversions between what the operator types or sees and the bytes on the
// wire. Send modes and receive display modes share the numbering below.
namespace txmode {
constexpr int kHex = 0;
constexpr int kText = 1;
}  // namespace txmode

// Tidies typed hex: space-separated single digits get a leading zero, the
// pieces are joined, and an odd total length gets a leading zero
// ("1 23 A" -> "01230A", "123" -> "0123"). Every character counts towards
// the length, hex digit or not.
QString normalizeHex(const QString& strText);

// Appends the typed text in the given send mode: hex (normalized, then
// decoded with non-digits skipped) or text (UTF-8 up to a zero byte, plus
// CR LF when bReturn is set). Other modes append nothing.
void appendTxData(QByteArray& out, const QString& strText, int nMode, bool bReturn);

// Reads the string two characters at a time from its start; each piece is
// a base-16 number (leading white space skipped, stops at a non-digit)
// whose low 8 bits become one byte.
QByteArray hexToBytes(const QByteArray& s);

// Two lowercase hex digits per byte, no separators.
QByteArray bytesToHex(const QByteArray& s);

// Uppercase hex, bytes separated by single spaces: "AA 01 02".
QString hexDisplayText(const QByteArray& data);

// The bytes before the first zero byte (all of them if there is none).
QByteArray upToZero(const QByteArray& data);
