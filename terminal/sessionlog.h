#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

// A record of every chunk that passes the port, one line per chunk:
//   2026-03-01 08:15:02.317 << AA 01 41 0D  |..A.|
// time, direction ("<<" received, ">>" sent), the bytes in hex and, between
// bars, the printable ASCII bytes (others as '.'). Each line reaches the
// file as it is written, so a crash loses nothing that was logged. When a
// file would grow beyond the size cap, the log continues in a numbered next
// file beside it: session.log, session-2.log, session-3.log, ...
class SessionLog
{
public:
    static constexpr qint64 kDefaultCapBytes = 64 * 1024 * 1024;

    SessionLog() = default;
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Starts a log at strPath (replacing what is there). False, with
    // errorString(), when the file cannot be written.
    bool open(const QString& strPath, qint64 nCapBytes = kDefaultCapBytes);
    void close();
    bool isOpen() const { return m_file.isOpen(); }

    // Logs one chunk (nDir 0 received, 1 sent). False, with errorString()
    // and the log closed, when the file cannot be written.
    bool write(const QByteArray& data, int nDir, const QDateTime& time);

    QString currentPath() const { return m_file.fileName(); }
    QString errorString() const { return m_strError; }

    static QByteArray formatLine(const QByteArray& data, int nDir, const QDateTime& time);
    // The path of file number nPart (1: strPath itself).
    static QString partPath(const QString& strPath, int nPart);

private:
    bool openPart(int nPart);
    bool fail();

    QFile m_file;
    QString m_strPath;
    QString m_strError;
    qint64 m_nCapBytes = kDefaultCapBytes;
    qint64 m_nSize = 0;
    int m_nPart = 1;
};
