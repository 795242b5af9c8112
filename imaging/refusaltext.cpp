#include "refusaltext.h"

#include "lzmacompress.h"
#include "payload.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QImageReader>

QString imageLoadRefusal(const QString& strPath)
{
    QImageReader reader(strPath);
    const QImage image = reader.read();
    const QString strReason =
        image.isNull() ? reader.errorString() : QCoreApplication::translate("RefusalText", "未知原因");
    return QCoreApplication::translate("RefusalText", "加载图片失败: %1\n%2")
        .arg(QFileInfo(strPath).fileName(), strReason);
}

QString payloadRefusal(int nResult, const QString& strFilePath)
{
    const QString strName = QFileInfo(strFilePath).fileName();
    QString strReason;
    switch (nResult) {
    case kPayloadNoImage:
        strReason = QCoreApplication::translate("RefusalText", "没有可发送的图片");
        break;
    case kPayloadFileUnreadable:
        strReason = QCoreApplication::translate("RefusalText", "无法读取文件 %1").arg(strName);
        break;
    case kPayloadFileTooLarge:
        // Numbers formatted first: a file name holding "%2" must stay as it is.
        strReason = QCoreApplication::translate("RefusalText", "文件 %1 过大: %2 字节, 上限 %3 字节")
                        .arg(strName, QLocale().toString(QFileInfo(strFilePath).size()),
                             QLocale().toString(kMaxRawFileSize));
        break;
    case lzmastatus::kErrorOutputEof:
        strReason =
            QCoreApplication::translate("RefusalText", "压缩后的数据不比原数据小, 请选择不压缩");
        break;
    default:
        strReason = QCoreApplication::translate("RefusalText", "压缩失败 (错误码 %1)").arg(nResult);
        break;
    }
    return QCoreApplication::translate("RefusalText", "生成图片数据失败: %1").arg(strReason);
}
