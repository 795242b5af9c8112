#include "addresslist.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

QString firstField(const QString& line)
{
    static const QRegularExpression separator(QStringLiteral("[,;\\t ]"));
    QString field = line.section(separator, 0, 0).trimmed();
    if (field.size() >= 2 && field.startsWith(QLatin1Char('"')) && field.endsWith(QLatin1Char('"')))
        field = field.mid(1, field.size() - 2).trimmed();
    return field;
}

bool hasDigit(const QString& text)
{
    for (const QChar c : text)
        if (c.isDigit())
            return true;
    return false;
}

}  // namespace

AddressList parseAddressList(const QString& text)
{
    AddressList out;
    QSet<quint32> seen;
    bool bFirst = true;
    const QVector<QStringRef> lines = text.splitRef(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i).trimmed().toString();
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString field = firstField(line);
        const bool bHeading = bFirst && !hasDigit(field);
        bFirst = false;
        if (bHeading)
            continue;

        const int nLine = i + 1;
        bool ok = false;
        const quint32 nAddr = field.toUInt(&ok, 10);
        // toUInt takes a sign; an address is digits only.
        if (!ok || !field.at(0).isDigit()) {
            out.problems << QCoreApplication::translate("AddressList", "第 %1 行: \"%2\" 不是设备地址")
                                .arg(nLine).arg(field.left(40));
        } else if (nAddr == 0) {
            out.problems << QCoreApplication::translate("AddressList", "第 %1 行: 0 是广播地址, 不能逐台发送")
                                .arg(nLine);
        } else if (seen.contains(nAddr)) {
            out.problems << QCoreApplication::translate("AddressList", "第 %1 行: 地址 %2 重复")
                                .arg(nLine).arg(nAddr);
        } else if (out.addresses.size() == kMaxBatchAddresses) {
            out.problems << QCoreApplication::translate("AddressList", "第 %1 行起未读: 最多 %2 个地址")
                                .arg(nLine).arg(kMaxBatchAddresses);
            break;
        } else {
            seen.insert(nAddr);
            out.addresses.append(nAddr);
        }
    }
    return out;
}

AddressList readAddressFile(const QString& path)
{
    AddressList out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.problems << QCoreApplication::translate("AddressList", "打开地址文件失败: %1")
                            .arg(file.errorString());
        return out;
    }
    // Read with a bound: the size of a pipe or device says nothing.
    const QByteArray bytes = file.read(kMaxAddressFileSize + 1);
    if (bytes.size() > kMaxAddressFileSize) {
        out.problems << QCoreApplication::translate("AddressList", "地址文件过大 (超过 %1 KB)")
                            .arg(kMaxAddressFileSize / 1024);
        return out;
    }
    return parseAddressList(QString::fromUtf8(bytes));
}
