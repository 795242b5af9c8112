#include "sessionlog.h"

#include "hexcodec.h"

#include <QFileInfo>

bool SessionLog::open(const QString& strPath, qint64 nCapBytes)
{
    close();
    m_strPath = strPath;
    m_nCapBytes = qMax<qint64>(1, nCapBytes);
    m_strError.clear();
    return openPart(1);
}

void SessionLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool SessionLog::openPart(int nPart)
{
    close();
    // A numbered file left by an earlier log is never overwritten.
    while (nPart > 1 && QFileInfo::exists(partPath(m_strPath, nPart)))
        ++nPart;
    m_nPart = nPart;
    m_nSize = 0;
    m_file.setFileName(partPath(m_strPath, nPart));
    // Unbuffered: every line goes to the system as soon as it is written.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail();
    return true;
}

bool SessionLog::fail()
{
    m_strError = m_file.fileName() + QStringLiteral(": ") + m_file.errorString();
    close();
    return false;
}

bool SessionLog::write(const QByteArray& data, int nDir, const QDateTime& time)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray line = formatLine(data, nDir, time);
    if (m_nSize > 0 && m_nSize + line.size() > m_nCapBytes && !openPart(m_nPart + 1))
        return false;
    if (m_file.write(line) != line.size())
        return fail();
    m_nSize += line.size();
    return true;
}

QByteArray SessionLog::formatLine(const QByteArray& data, int nDir, const QDateTime& time)
{
    QByteArray text(data.size(), Qt::Uninitialized);
    for (int i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        text[i] = c >= 0x20 && c <= 0x7E ? c : '.';
    }
    QByteArray line = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1();
    line += nDir == 1 ? " >>" : " <<";
    if (!data.isEmpty())
        line += ' ' + hexDisplayText(data).toLatin1();
    line += "  |" + text + "|\n";
    return line;
}

QString SessionLog::partPath(const QString& strPath, int nPart)
{
    if (nPart <= 1)
        return strPath;
    const QFileInfo info(strPath);
    const QString strNumber = QStringLiteral("-%1").arg(nPart);
    const QString strSuffix = info.suffix();
    if (strSuffix.isEmpty() || info.completeBaseName().isEmpty())
        return strPath + strNumber;
    QString strPrefix = strPath;
    strPrefix.chop(strSuffix.size() + 1);
    return strPrefix + strNumber + QLatin1Char('.') + strSuffix;
}
