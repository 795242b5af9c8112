#include "settingsbounds.h"

#include <QSettings>

namespace {

bool parseInRange(const QString& strText, qint64 nMin, qint64 nMax, int nBase, qint64* pValue)
{
    bool bOk = false;
    const QString strTrimmed = strText.trimmed();
    // toLongLong would also take "+5" and, in base 16, "0x1F": forms the
    // program never writes and the fields' validators refuse.
    if (strTrimmed.startsWith('+') || strTrimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return false;
    const qint64 nValue = strTrimmed.toLongLong(&bOk, nBase);
    if (!bOk || nValue < nMin || nValue > nMax)
        return false;
    *pValue = nValue;
    return true;
}

}  // namespace

qint64 boundedNumber(const QSettings& settings, const QString& strKey, qint64 nDefault, qint64 nMin,
                     qint64 nMax)
{
    qint64 nValue = nDefault;
    return parseInRange(settings.value(strKey).toString(), nMin, nMax, 10, &nValue) ? nValue : nDefault;
}

int boundedInt(const QSettings& settings, const QString& strKey, int nDefault, int nMin, int nMax)
{
    return int(boundedNumber(settings, strKey, nDefault, nMin, nMax));
}

QString boundedNumberText(const QSettings& settings, const QString& strKey, const QString& strDefault,
                          qint64 nMin, qint64 nMax, int nBase)
{
    qint64 nValue = 0;
    const QString strText = settings.value(strKey).toString().trimmed();
    return parseInRange(strText, nMin, nMax, nBase, &nValue) ? strText : strDefault;
}
