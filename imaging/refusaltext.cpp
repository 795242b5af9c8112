#include "refusaltext.h"

#include "lzmacompress.h"
#include "payload.h"

#include <QFileInfo>
#include <QImageReader>

QString imageLoadRefusal(const QString& strPath)
{
    QImageReader reader(strPath);
    const QImage image = reader.read();
    const QString strReason = image.isNull() ? reader.errorString() : QStringLiteral("未知原因");
    return QStringLiteral("加载图片失败: %1\n%2").arg(QFileInfo(strPath).fileName(), strReason);
}

QString payloadRefusal(int nResult, const QString& strFilePath)
{
    const QString strName = QFileInfo(strFilePath).fileName();
    QString strReason;
    switch (nResult) {
    case kPayloadNoImage:
        strReason = QStringLiteral("没有可发送的图片");
        break;
    case kPayloadFileUnreadable:
        strReason = QStringLiteral("无法读取文件 %1").arg(strName);
        break;
    case kPayloadFileTooLarge:
        strReason = QStringLiteral("文件 %1 过大: %L2 字节, 上限 %L3 字节")
                        .arg(strName)
                        .arg(QFileInfo(strFilePath).size())
                        .arg(kMaxRawFileSize);
        break;
    case lzmastatus::kErrorOutputEof:
        strReason = QStringLiteral("压缩后的数据不比原数据小, 请选择不压缩");
        break;
    default:
        strReason = QStringLiteral("压缩失败 (错误码 %1)").arg(nResult);
        break;
    }
    return QStringLiteral("生成图片数据失败: %1").arg(strReason);
}
