#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// telvanectl as a child process, with this process's event loop running
// while it works (an in-process simulator answers it meanwhile).
struct CtlResult
{
    int nExit = -1;  // -1: did not finish in time (killed)
    QByteArray out;
    QByteArray err;
};

class CtlProcess
{
public:
    explicit CtlProcess(const QString& dir);
    ~CtlProcess();

    void start(const QStringList& args);
    // True once stdout holds text.
    bool waitForOutput(const QByteArray& text, int nTimeoutMs = 15000);
    CtlResult finish(int nTimeoutMs = 30000);

private:
    QProcess m_process;
    QByteArray m_out;
    QByteArray m_err;
};

CtlResult runCtl(const QString& dir, const QStringList& args, int nTimeoutMs = 30000);

// One JSON object per line; empty when a line is not an object.
QList<QJsonObject> jsonLines(const QByteArray& out);
