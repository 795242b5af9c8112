#include "csvtext.h"

QByteArray csvFileStart()
{
    return QByteArray("\xEF\xBB\xBF");
}

QByteArray csvRecord(const QStringList& fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        QString field = fields.at(i);
        if (field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) || field.contains(QLatin1Char('\n'))
            || field.contains(QLatin1Char('\r'))) {
            field.replace(QLatin1String("\""), QLatin1String("\"\""));
            field = QLatin1Char('"') + field + QLatin1Char('"');
        }
        line += field;
    }
    line += QLatin1String("\r\n");
    return line.toUtf8();
}
