#pragma once
// Reading an imported image without trusting the size it declares: a small file
// can claim billions of pixels, and decoding it in full would take gigabytes and
// seconds on the GUI thread. The size is read first; what no display needs is
// refused, and large images are decoded scaled down.

#include "sourceimage.h"

#include <QImage>
#include <QSize>
#include <QString>

struct ImageLoadLimits {
    qint64 maxPixels = qint64(64) * 1000 * 1000;
    // Images larger than this are decoded scaled to fit it: ample for the pages,
    // which scale to 240 x 416 for the display.
    QSize decodeBox{960, 1664};
};

// Loaded, NotAnImage or TooLarge; `out` is null on failure.
ImageLoadResult readImageBounded(const QString& path, QImage& out, const ImageLoadLimits& limits = {});

// What the operator is told about an image above the limit.
QString imageTooLargeText(const ImageLoadLimits& limits = {});
