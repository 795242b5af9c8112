#include "sourceimage.h"

#include "imageload.h"

#include <QFile>
#include <QFileInfo>

ImageLoadResult loadSourceImage(const QString& path, SourceImage& io)
{
    if (path.isEmpty())
        return ImageLoadResult::EmptyPath;
    const QFileInfo info(path);
    if (!info.exists())
        return ImageLoadResult::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImageLoadResult::Unreadable;
    file.close();

    io.nFileSize = quint32(info.size());
    io.strFilePath = info.absoluteFilePath();
    const ImageLoadResult r = readImageBounded(io.strFilePath, io.image);
    if (r != ImageLoadResult::Loaded)
        return r;
    io.nImgType = imgTypeForSuffix(info.suffix(), io.nImgType);
    io.image = scaledForDisplay(io.image);
    return ImageLoadResult::Loaded;
}
