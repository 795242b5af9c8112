#pragma once

#include "payload.h"

#include <QImage>
#include <QString>
#include <QtGlobal>

// The image an operator picked, as the transfer sends it: scaled for the
// display, with the file facts a raw payload carries.
struct SourceImage
{
    QImage image;
    QString strFilePath;
    quint32 nFileSize = 0;
    quint16 nImgType = kImgTypeUnknown;
};

enum class ImageLoadResult {
    Loaded = 0,
    EmptyPath = -1,
    Missing = -2,
    Unreadable = -3,
    NotAnImage = -4,
    TooLarge = -5, // declares more pixels than any display needs; not decoded
};

// Loads path into io. The file must exist and open for reading, or io stays
// as it was; past that its path and size are stored even when it is no
// image (io.image is then null). The type follows the suffix ("bmp", "jpg",
// any case); another suffix keeps the type io had.
ImageLoadResult loadSourceImage(const QString& path, SourceImage& io);
