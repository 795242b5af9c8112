#pragma once

#include "dtucmd.h"

#include <QByteArray>
#include <QMap>
#include <QString>

// Conversion between the text an operator types for a parameter and the bytes
// the parameter occupies in a payload. Little-endian; elements are
// 2^typeCode bytes wide, doubles are IEEE-754 binary64.
//
// Integer kinds on a "double" parameter (8-byte elements) use the whole
// element: the 32-bit value is widened to 64 bits (zero-extended, or
// sign-extended for "十进制数") and read back as a 64-bit value.

// The bytes of one parameter in a request. Missing values are filled with
// 0xFF (0x00 for strings); surplus values are dropped. An unknown type gives
// no bytes. Strings are cut to num bytes at a UTF-8 character boundary.
QByteArray encodeValue(const QString& strValue, const DtuParam& param);

// Reads one parameter at pData, of which nLeft bytes may be read. Returns its
// text (UTF-8, values separated by single spaces) and sets nUsed to the
// bytes consumed; nUsed 0 means the field could not be read.
QByteArray bin2string(const char* pData, int nLeft, const DtuParam& param, int& nUsed);

// Reads the fields listed in entry.res from a response payload, keyed by
// parameter index. Empty unless the fields account for the whole payload
// (a payload ending exactly after some fields yields those fields).
QMap<int, QString> decodeResponseData(const DtuResponseEntry& entry, const char* pData, int nLen);
