#pragma once

#include "dtucmd.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Widget-free request building and response matching of the command pages.

// Request body of a command section (nParamType 0 read, 1 write):
//   u8 ctl2 | u16 payload length, capped at 1024 | the whole payload
// values[i] is the text of parameter i. Empty when the request cannot be
// built: unknown section, section without indices, a "req" index out of range.
QByteArray buildRequestBody(const DtuCmd& cmd, int nParamType, const QStringList& values);

// Wraps a request body in a frame addressed to 0: AA 01 00000000 body sum EE.
QByteArray frameFromBody(const QByteArray& body);

struct DtuDecodedResponse
{
    int page = -1;              // page the response belongs to; -1 when ignored
    QMap<int, QString> values;  // parameter index -> value text
};

// Matches a received frame to the command registered for its control code
// and decodes its payload. Frames of image packets (0xA0), frames with
// length 0 or above 1024 and truncated frames are ignored.
DtuDecodedResponse decodeResponseFrame(const QMap<int, DtuResponseEntry>& responses,
                                       const QByteArray& frame);
