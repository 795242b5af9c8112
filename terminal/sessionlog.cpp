#include "sessionlog.h"

#include <QFileInfo>

#include <algorithm>

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
    static const char kDigits[] = "0123456789ABCDEF";
    const QByteArray stamp = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1();
    const int n = data.size();
    // Filled through a pointer: this runs for every chunk at line rate.
    QByteArray line(stamp.size() + 3 + 3 * n + 3 + n + 2, Qt::Uninitialized);
    char* out = line.data();
    out = std::copy(stamp.cbegin(), stamp.cend(), out);
    out = std::copy_n(nDir == 1 ? " >>" : " <<", 3, out);
    for (int i = 0; i < n; ++i) {
        const auto byte = uchar(data.at(i));
        *out++ = ' ';
        *out++ = kDigits[byte >> 4];
        *out++ = kDigits[byte & 0x0F];
    }
    out = std::copy_n("  |", 3, out);
    for (int i = 0; i < n; ++i) {
        const char c = data.at(i);
        *out++ = c >= 0x20 && c <= 0x7E ? c : '.';
    }
    *out++ = '|';
    *out = '\n';
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
