#include "dtucmd.h"

#include <QCoreApplication>
#include <QHash>

QString dtuCommandText(const QString& strText)
{
    if (strText.isEmpty())
        return strText;
    return QCoreApplication::translate("DtuCommands", strText.toUtf8().constData());
}

DtuTypeInfo dtuTypeInfo(const QString& strType)
{
    // Element width is always 2^typeCode; "string" counts bytes.
    static const QHash<QString, DtuTypeInfo> table = {
        {QStringLiteral("bool"), {0, 1}},
        {QStringLiteral("uint8_t"), {0, 1}},
        {QStringLiteral("string"), {0, 1}},
        {QStringLiteral("uint16_t"), {1, 2}},
        {QStringLiteral("uint32_t"), {2, 4}},
        {QStringLiteral("double"), {3, 8}},
    };
    return table.value(strType, DtuTypeInfo{});
}

int dtuInputKind(const QString& strKind)
{
    static const QHash<QString, int> table = {
        {QStringLiteral("是/否"), kKindBool},
        {QStringLiteral("十进制正整数"), kKindUnsigned},
        {QStringLiteral("十进制数"), kKindSigned},
        {QStringLiteral("十六进制数"), kKindHex},
        {QStringLiteral("浮点数"), kKindDouble},
        {QStringLiteral("字符串"), kKindString},
    };
    return table.value(strKind, -1);
}
