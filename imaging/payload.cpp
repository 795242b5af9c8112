#include "payload.h"
#include "imaginglog.h"

#include "refusaltext.h"

#include "dither.h"
#include "kvbitmap.h"
#include "lzmacompress.h"
#include "packetcursor.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QSaveFile>

quint16 imgTypeForSuffix(const QString& suffix, quint16 nCurrent)
{
    if (suffix.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0)
        return kImgTypeBmp;
    if (suffix.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0)
        return kImgTypeJpg;
    return nCurrent;
}

QImage asSentImage(const QImage& image)
{
    return orderedDither(image.convertToFormat(QImage::Format_Grayscale8), 8, 2);
}

QByteArray buildContainer(const QImage& image)
{
    const QImage dithered = asSentImage(image);
    kv8::KvBitmap bitmap(quint16(dithered.width()), quint16(dithered.height()), 1);
    bitmap.addImage(dithered);
    QByteArray out;
    bitmap.writeTo(out);
    return out;
}

int buildPayload(QByteArray& payload, const QImage& image, const PayloadOptions& opt)
{
    if (image.isNull())
        return kPayloadNoImage;

    QByteArray imgData;
    if (opt.bRle) {
        imgData = buildContainer(image);
    } else {
        QFile file(opt.strFilePath);
        if (!file.open(QIODevice::ReadOnly))
            return kPayloadFileUnreadable;
        if (file.size() > kMaxRawFileSize)
            return kPayloadFileTooLarge;
        imgData = file.readAll();
        file.close();
    }

    const quint16 nType = opt.bRle ? kImgTypeContainer : opt.nImgType;
    payload.clear();
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << nType << quint8(opt.nCompress) << quint8(kPayloadHeaderSize) << quint16(0) << quint16(0)
        << opt.nFileSize;
    qCDebug(lcPayload, "m_nImgType %d, nType %d, nCompress %d, imgData.size %d", opt.nImgType, nType, opt.nCompress,
           imgData.size());

    int result = 0;
    if (opt.nCompress == kCompressNone) {
        out << quint32(imgData.size());
        out.writeRawData(imgData.constData(), imgData.size());
    } else if (opt.nCompress == kCompressLzma) {
        // The stream is written straight into the payload after its length
        // field; a result longer than the data plus header is a failure.
        const int base = payload.size() + 4;
        size_t nLen = size_t(imgData.size()) + kLzmaHeaderSize;
        payload.resize(base + int(nLen));
        result = lzmaCompress(reinterpret_cast<unsigned char*>(payload.data() + base), &nLen,
                              reinterpret_cast<const unsigned char*>(imgData.constData()), size_t(imgData.size()));
        if (result == lzmastatus::kOk) {
            qCDebug(lcPayload, "7z compress ok lzma_buf_size %d", int(nLen));
            payload.resize(base + int(nLen));
            const quint32 n = quint32(nLen);
            for (int i = 0; i < 4; ++i)
                payload[base - 4 + i] = char(n >> (8 * i));
        } else {
            payload.resize(base - 4);
        }
    } else {
        result = kPayloadNoImage;
    }

    qCDebug(lcPayload, "data.size %d", payload.size());
    if (!opt.strSavePath.isEmpty()) {
        // Replaced whole, so a crash mid-write leaves the previous copy.
        QSaveFile save(opt.strSavePath);
        save.setDirectWriteFallback(true);  // a folder that takes no new files
        if (save.open(QIODevice::WriteOnly) && save.write(payload) == payload.size())
            save.commit();
    }
    return result;
}

QImage scaledForDisplay(const QImage& image)
{
    return image.scaled(240, 416, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QString buildSendablePayload(QByteArray& payload, const QImage& image, const PayloadOptions& opt)
{
    const int nResult = buildPayload(payload, image, opt);
    if (nResult != 0)
        return payloadRefusal(nResult, opt.strFilePath);
    if (packetCount(payload.size()) > kMaxPackets)
        return QCoreApplication::translate("Payload", "图片数据过大: %L1 字节, 超过 %2 包, 无法发送")
            .arg(payload.size())
            .arg(kMaxPackets);
    return QString();
}
