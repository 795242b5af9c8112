#include "hexcodec.h"

#include <QStringList>

namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

QString normalizeHex(const QString& strText)
{
    if (strText.isEmpty())
        return {};

    QString strResult;
    if (strText.contains(QLatin1Char(' '))) {
        const QStringList pieces = strText.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& piece : pieces) {
            if (piece.size() == 1)
                strResult += QLatin1Char('0');
            strResult += piece;
        }
    } else {
        strResult = strText;
    }
    if (strResult.size() % 2 != 0)
        strResult.prepend(QLatin1Char('0'));
    return strResult;
}

void appendTxData(QByteArray& out, const QString& strText, int nMode, bool bReturn)
{
    if (nMode == txmode::kHex) {
        out.append(QByteArray::fromHex(normalizeHex(strText).toUtf8()));
    } else if (nMode == txmode::kText) {
        out.append(upToZero(strText.toUtf8()));
        if (bReturn)
            out.append("\r\n", 2);
    }
}

QByteArray hexToBytes(const QByteArray& s)
{
    QByteArray out;
    out.reserve((s.size() + 1) / 2);
    for (int i = 0; i < s.size(); i += 2) {
        const int nEnd = qMin(i + 2, s.size());
        int j = i;
        while (j < nEnd && isBlank(s.at(j)))
            ++j;
        unsigned nValue = 0;
        for (; j < nEnd; ++j) {
            const int nDigit = hexDigitValue(s.at(j));
            if (nDigit < 0)
                break;
            nValue = nValue * 16 + unsigned(nDigit);
        }
        out.append(char(nValue & 0xFF));
    }
    return out;
}

QByteArray bytesToHex(const QByteArray& s)
{
    return s.toHex();
}

QString hexDisplayText(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    // One pass straight into the string: this runs for every received chunk.
    static const char kDigits[] = "0123456789ABCDEF";
    QString strText(data.size() * 3 - 1, Qt::Uninitialized);
    QChar* out = strText.data();
    for (int i = 0; i < data.size(); ++i) {
        const auto byte = uchar(data.at(i));
        if (i > 0)
            *out++ = QLatin1Char(' ');
        *out++ = QLatin1Char(kDigits[byte >> 4]);
        *out++ = QLatin1Char(kDigits[byte & 0x0F]);
    }
    return strText;
}

QByteArray upToZero(const QByteArray& data)
{
    const int nZero = data.indexOf('\0');
    return nZero < 0 ? data : data.left(nZero);
}
