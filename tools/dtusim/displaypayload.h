#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// What an e-paper display makes of a reassembled image payload:
//   u16 image type | u8 compression | u8 header length 16 | u16 0 | u16 0 |
//   u32 file size | u32 data length | data
// Compression 1 wraps the data as an .lzma stream (5 property bytes, u64
// size, raw LZMA1). Type 2 is the display's run-length bitmap container;
// 0 and 1 are BMP and JPEG files.
struct DecodedPayload
{
    bool ok = false;
    QString error;      // why decoding failed, for the simulator's log
    quint16 imageType = 0;
    quint8 compression = 0;
    QByteArray data;    // after decompression
    QImage image;       // 8-bit grey for a container, as loaded otherwise
};

// Largest image data a display accepts after decompression.
constexpr qint64 kMaxDecodedData = 16 * 1024 * 1024;

DecodedPayload decodeDisplayPayload(const QByteArray& payload);

// Decodes an .lzma-wrapped stream whose header states its plain size.
bool lzmaAloneDecode(const QByteArray& in, QByteArray& out, QString& error);

// Decodes the run-length bitmap container into an 8-bit grey image
// (light runs 255, dark runs 0). Returns a null image on malformed input.
QImage decodeContainer(const QByteArray& container, QString& error);
