#include "valuecheck.h"

#include <QStringList>

#include <cmath>

namespace {

// Element width in bytes as the codec uses it; 0 for an unknown type.
int elementWidth(const DtuParam& param)
{
    return param.typeCode >= 0 && param.typeCode <= 3 ? 1 << param.typeCode : 0;
}

// Integer elements wider than 4 bytes still carry a 32-bit value.
qint64 unsignedMax(int nWidth)
{
    return nWidth >= 4 ? qint64(0xFFFFFFFFu) : (qint64(1) << (8 * nWidth)) - 1;
}

qint64 signedMax(int nWidth)
{
    return nWidth >= 4 ? qint64(0x7FFFFFFF) : (qint64(1) << (8 * nWidth - 1)) - 1;
}

bool pieceAccepted(const QString& strPiece, int nKind, int nWidth)
{
    bool bOk = false;
    switch (nKind) {
    case kKindBool:
        return strPiece == QLatin1String("0") || strPiece == QLatin1String("1");
    case kKindUnsigned: {
        const qint64 n = strPiece.toLongLong(&bOk, 10);
        return bOk && n >= 0 && n <= unsignedMax(nWidth);
    }
    case kKindSigned: {
        const qint64 n = strPiece.toLongLong(&bOk, 10);
        return bOk && n >= -signedMax(nWidth) - 1 && n <= signedMax(nWidth);
    }
    case kKindHex: {
        const qint64 n = strPiece.toLongLong(&bOk, 16);
        return bOk && n >= 0 && n <= unsignedMax(nWidth);
    }
    case kKindDouble: {
        const double d = strPiece.toDouble(&bOk);
        return bOk && std::isfinite(d);
    }
    default:
        return false;
    }
}

QString countText(int nNum, const char* one, const char* many)
{
    return nNum == 1 ? QString::fromLatin1(one)
                     : QStringLiteral("%1 %2, separated by spaces").arg(nNum).arg(QLatin1String(many));
}

}  // namespace

bool isValueAccepted(const QString& strValue, const DtuParam& param)
{
    const int nWidth = elementWidth(param);
    if (nWidth == 0 || param.num < 1)
        return false;
    if (param.inputKind == kKindString)
        return strValue.toUtf8().size() <= param.num;
    if (param.inputKind == kKindDouble && nWidth != 8)
        return false;  // the codec would write 8 bytes into a narrower field
    const QStringList pieces = strValue.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() != param.num)
        return false;
    for (const QString& piece : pieces)
        if (!pieceAccepted(piece, param.inputKind, nWidth))
            return false;
    return true;
}

QString acceptedValues(const DtuParam& param)
{
    const int nWidth = elementWidth(param);
    if (nWidth == 0 || param.num < 1)
        return QStringLiteral("nothing (its type is not known)");
    const int nNum = param.num;
    switch (param.inputKind) {
    case kKindBool:
        return nNum == 1 ? QStringLiteral("0 or 1") : QStringLiteral("%1 values 0 or 1, separated by spaces").arg(nNum);
    case kKindUnsigned:
        return QStringLiteral("%1 from 0 to %2")
            .arg(countText(nNum, "one whole number", "whole numbers"))
            .arg(unsignedMax(nWidth));
    case kKindSigned:
        return QStringLiteral("%1 from %2 to %3")
            .arg(countText(nNum, "one whole number", "whole numbers"))
            .arg(-signedMax(nWidth) - 1)
            .arg(signedMax(nWidth));
    case kKindHex:
        return QStringLiteral("%1 from 0 to %2")
            .arg(countText(nNum, "one hexadecimal number", "hexadecimal numbers"))
            .arg(unsignedMax(nWidth), 0, 16);
    case kKindDouble:
        if (nWidth != 8)
            return QStringLiteral("nothing (decimal numbers need an 8-byte type)");
        return countText(nNum, "one decimal number such as -2.5", "decimal numbers");
    case kKindString:
        return QStringLiteral("text of at most %1 bytes (UTF-8)").arg(nNum);
    default:
        return QStringLiteral("nothing (its input kind is not known)");
    }
}
