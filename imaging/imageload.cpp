#include "imageload.h"

#include <QCoreApplication>
#include <QImageReader>

ImageLoadResult readImageBounded(const QString& path, QImage& out, const ImageLoadLimits& limits)
{
    out = QImage();
    QImageReader reader(path);
    const QSize size = reader.size();
    // A reader that cannot tell the size without decoding is left to decode.
    if (size.isValid()) {
        if (qint64(size.width()) * size.height() > limits.maxPixels)
            return ImageLoadResult::TooLarge;
        if (size.width() > limits.decodeBox.width() || size.height() > limits.decodeBox.height())
            reader.setScaledSize(size.scaled(limits.decodeBox, Qt::KeepAspectRatio).expandedTo({1, 1}));
    }
    if (!reader.read(&out)) {
        out = QImage();
        return ImageLoadResult::NotAnImage;
    }
    return ImageLoadResult::Loaded;
}

QString imageTooLargeText(const ImageLoadLimits& limits)
{
    return QCoreApplication::translate("ImageLoad", "图片尺寸过大, 超过 %1 万像素, 无法导入")
        .arg(limits.maxPixels / 10000);
}
