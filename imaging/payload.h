#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGlobal>

// Image payload sent to a display, little-endian:
//   u16 image type | u8 compression | u8 16 | u16 0 | u16 0
//   | u32 size of the file on disk | u32 data length | data
// The data is the file's bytes or the display bitmap container, plain or
// as a .lzma stream (see lzmacompress.h).

constexpr quint16 kImgTypeBmp = 0;
constexpr quint16 kImgTypeJpg = 1;
constexpr quint16 kImgTypeContainer = 2;
constexpr quint16 kImgTypeUnknown = 0xFFFF;

constexpr int kCompressNone = 0;
constexpr int kCompressLzma = 1;

constexpr int kPayloadHeaderSize = 16;
// Raw files are read whole; far above anything a display could take.
constexpr qint64 kMaxRawFileSize = 16 * 1024 * 1024;

constexpr int kPayloadNoImage = -1;       // also: unknown compression code
constexpr int kPayloadFileUnreadable = -2;
constexpr int kPayloadFileTooLarge = -3;

struct PayloadOptions
{
    bool bRle = false;                // send the display bitmap container
    int nCompress = kCompressLzma;
    quint16 nImgType = kImgTypeUnknown;
    QString strFilePath;              // read when bRle is false
    quint32 nFileSize = 0;
    QString strSavePath = QStringLiteral("data.bin");  // copy of the result; empty: none
};

// Type code for a file suffix: "bmp" 0, "jpg" 1 (any case); other suffixes
// keep nCurrent.
quint16 imgTypeForSuffix(const QString& suffix, quint16 nCurrent);

// Replaces payload; returns 0, kPayloadNoImage, kPayloadFileUnreadable,
// kPayloadFileTooLarge (payload untouched in these cases) or the compressor's
// status (payload then holds the first 12 header bytes only).
int buildPayload(QByteArray& payload, const QImage& image, const PayloadOptions& opt);

// buildPayload for sending: empty when the payload can go, otherwise the
// operator's reason (it cannot be built, or it needs more packets than one
// byte can number).
QString buildSendablePayload(QByteArray& payload, const QImage& image, const PayloadOptions& opt);

// Fit into the display's 240 x 416, keeping the aspect ratio.
QImage scaledForDisplay(const QImage& image);

// What a display shows of an image sent as its bitmap container: 8-bit
// grayscale, 8x8 ordered dither to black (0) and white (255), at the image's
// size. The container is built from exactly this image.
QImage asSentImage(const QImage& image);

// The display bitmap container of an image: asSentImage in one block.
QByteArray buildContainer(const QImage& image);
