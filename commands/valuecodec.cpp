#include "valuecodec.h"
#include "commandslog.h"

#include "dtuframe.h"

#include <QStringList>

#include <cstring>

namespace {

// Element width in bytes, or 0 for a type the tables do not know.
int elementWidth(const DtuParam& param)
{
    return param.typeCode >= 0 && param.typeCode <= 3 ? 1 << param.typeCode : 0;
}

void appendLittleEndian(QByteArray& bytes, quint64 nValue, int nWidth)
{
    for (int i = 0; i < nWidth; ++i)
        bytes.append(char(quint8(nValue >> (8 * i))));
}

quint64 readLittleEndian(const char* pData, int nWidth)
{
    quint64 nValue = 0;
    for (int i = 0; i < nWidth; ++i)
        nValue |= quint64(quint8(pData[i])) << (8 * i);
    return nValue;
}

quint64 parseInteger(const QString& strPiece, int nKind)
{
    bool bOk = false;
    if (nKind == kKindSigned) {
        const qint32 nValue = strPiece.toInt(&bOk, 10);
        return bOk ? quint64(qint64(nValue)) : 0;  // two's complement, sign-extended
    }
    const int nBase = nKind == kKindBool ? 2 : nKind == kKindHex ? 16 : 10;
    const quint32 nValue = strPiece.toUInt(&bOk, nBase);
    return bOk ? nValue : 0;
}

QByteArray elementText(const char* pData, int nWidth, int nKind)
{
    const quint64 nValue = readLittleEndian(pData, nWidth);
    switch (nKind) {
    case kKindBool:
        return nValue != 0 ? "1" : "0";
    case kKindUnsigned:
        qCDebug(lcCommands, "unsigned %llu, %d bytes", static_cast<unsigned long long>(nValue), nWidth);
        return QByteArray::number(nValue);
    case kKindSigned: {
        const int nShift = 64 - 8 * nWidth;
        const qint64 nSigned = qint64(nValue << nShift) >> nShift;
        return QByteArray::number(nSigned);
    }
    case kKindHex:
        qCDebug(lcCommands, "hex 0x%llX, %d bytes", static_cast<unsigned long long>(nValue), nWidth);
        return "0x" + QByteArray::number(nValue, 16);
    default: {  // kKindDouble: the element fills the low bytes of a zeroed double
        double dValue = 0.0;
        static_assert(sizeof dValue == sizeof nValue, "binary64 expected");
        memcpy(&dValue, &nValue, sizeof dValue);
        return QString::asprintf("%f", dValue).toLatin1();
    }
    }
}

}  // namespace

QByteArray encodeValue(const QString& strValue, const DtuParam& param)
{
    const int nWidth = elementWidth(param);
    if (nWidth == 0)
        return {};

    QByteArray bytes;
    const QStringList pieces = strValue.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int nKind = param.inputKind;
    if (!pieces.isEmpty() && nKind >= kKindBool && nKind <= kKindString) {
        const int nTake = qBound(0, param.num, pieces.size());
        if (nKind == kKindString) {
            // The whole text, spaces included, cut to num bytes but never
            // inside a UTF-8 sequence, so the device gets whole characters.
            const QByteArray utf8 = strValue.toUtf8();
            int n = qBound(0, param.num, utf8.size());
            while (n > 0 && n < utf8.size() && (quint8(utf8.at(n)) & 0xC0) == 0x80)
                --n;
            bytes.append(utf8.constData(), n);
        } else if (nKind == kKindDouble) {
            // A double always takes 8 bytes, whatever the parameter's width.
            for (int i = 0; i < nTake; ++i) {
                const double dValue = pieces.at(i).toDouble();
                quint64 nBits = 0;
                memcpy(&nBits, &dValue, sizeof nBits);
                appendLittleEndian(bytes, nBits, 8);
            }
        } else {
            for (int i = 0; i < nTake; ++i)
                appendLittleEndian(bytes, parseInteger(pieces.at(i), nKind), nWidth);
        }
    }

    // No field can be larger than a frame can carry; this also bounds the
    // fill of a parameter with an absurd "num".
    const qint64 nNeed = qMin<qint64>(qint64(param.num) * nWidth, dtu::kMaxPayload);
    if (bytes.size() < nNeed) {
        const int nFill = int(nNeed - bytes.size());
        qCDebug(lcCommands, "num %d, type %d, byteRet size %d, fillbyte %d", param.num, param.typeCode,
               bytes.size(), nFill);
        bytes.append(nFill, nKind == kKindString ? '\x00' : '\xFF');
        qCDebug(lcCommands, "after fill byteRet size %d", bytes.size());
    }
    return bytes;
}

QByteArray bin2string(const char* pData, int nLeft, const DtuParam& param, int& nUsed)
{
    qCDebug(lcCommands, "bin2string");
    nUsed = 0;
    const int nWidth = elementWidth(param);
    if (pData == nullptr || nLeft < 1 || nWidth == 0 || param.num < 1
        || qint64(param.num) * nWidth > nLeft)
        return {};

    if (param.inputKind == kKindString) {
        const char* pEnd = static_cast<const char*>(memchr(pData, 0, size_t(param.num)));
        nUsed = param.num;
        return QByteArray(pData, pEnd ? int(pEnd - pData) : param.num);
    }
    if (param.inputKind < kKindBool || param.inputKind > kKindDouble)
        return {};

    QByteArray text;
    for (int i = 0; i < param.num; ++i) {
        if (i > 0)
            text.append(' ');
        text.append(elementText(pData + i * nWidth, nWidth, param.inputKind));
    }
    nUsed = param.num * nWidth;
    return text;
}

QMap<int, QString> decodeResponseData(const DtuResponseEntry& entry, const char* pData, int nLen)
{
    QMap<int, QString> values;
    if (pData == nullptr || nLen < 1 || entry.res.isEmpty())
        return values;

    int nConsumed = 0;
    for (const int nIndex : entry.res) {
        qCDebug(lcCommands, "m_param.size() %d", entry.m_param.size());
        if (nIndex < 0 || nIndex >= entry.m_param.size())
            continue;
        int nUsed = 0;
        const QByteArray text = bin2string(pData + nConsumed, nLen - nConsumed,
                                           entry.m_param.at(nIndex), nUsed);
        if (nUsed == 0)
            break;
        values.insert(nIndex, QString::fromUtf8(text));
        nConsumed += nUsed;
        if (nConsumed >= nLen)
            return values;
    }
    // Fields that do not account for the whole payload are not trusted.
    return {};
}
