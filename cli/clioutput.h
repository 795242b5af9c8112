#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>
#include <QtGlobal>

#include <cstdio>

// Where telvanectl's output goes: results on stdout (text lines, or one
// JSON object per line with --json), progress and errors on stderr, which
// stays human in either mode.
class CliOutput
{
public:
    CliOutput(bool bJson, bool bQuiet, FILE* out = stdout, FILE* err = stderr);

    bool json() const { return m_bJson; }

    // One result: the text line, or in JSON mode the object with its
    // "event" name first.
    void record(const QString& strText, const char* event, QJsonObject obj);
    // Bytes exactly as they are (text mode only).
    void raw(const QByteArray& bytes);
    // A remark on stderr; --quiet silences it.
    void note(const QString& strText);
    // One error line on stderr: "telvanectl: ...".
    void error(const QString& strText);

    // Packet progress on stderr: a bar redrawn in place when stderr is a
    // terminal, a plain line every tenth otherwise; nothing with --quiet.
    void progress(int nDone, int nTotal, qint64 nBytesDone, qint64 nBytesTotal);
    void endProgress();

    // The final result: in JSON mode {"event":"result","ok":..,"status":..}
    // with extra's members; returns nStatus.
    int finish(int nStatus, const QJsonObject& extra = {});
    // error() and finish() with the message as the result's "error".
    int fail(int nStatus, const QString& strText);

private:
    bool m_bJson;
    bool m_bQuiet;
    FILE* m_out;
    FILE* m_err;
    bool m_bTty;
    bool m_bBarShown = false;
    int m_nLastTenth = -1;
    QElapsedTimer m_progressClock;
};
