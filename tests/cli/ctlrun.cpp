#include "ctlrun.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTest>

CtlProcess::CtlProcess(const QString& dir)
{
    m_process.setWorkingDirectory(dir);
}

CtlProcess::~CtlProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void CtlProcess::start(const QStringList& args)
{
    m_process.start(QStringLiteral(TELVANECTL), args);
    m_process.waitForStarted(10000);
}

bool CtlProcess::waitForOutput(const QByteArray& text, int nTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_out.contains(text) && clock.elapsed() < nTimeoutMs) {
        if (m_process.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(5);
        m_out += m_process.readAllStandardOutput();
    }
    return m_out.contains(text);
}

CtlResult CtlProcess::finish(int nTimeoutMs)
{
    CtlResult r;
    QElapsedTimer clock;
    clock.start();
    while (m_process.state() != QProcess::NotRunning && clock.elapsed() < nTimeoutMs) {
        QTest::qWait(5);
        m_out += m_process.readAllStandardOutput();
        m_err += m_process.readAllStandardError();
    }
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    } else if (m_process.exitStatus() == QProcess::NormalExit) {
        r.nExit = m_process.exitCode();
    }
    r.out = m_out + m_process.readAllStandardOutput();
    r.err = m_err + m_process.readAllStandardError();
    return r;
}

CtlResult runCtl(const QString& dir, const QStringList& args, int nTimeoutMs)
{
    CtlProcess p(dir);
    p.start(args);
    return p.finish(nTimeoutMs);
}

QList<QJsonObject> jsonLines(const QByteArray& out)
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (!doc.isObject())
            return {};
        objects.append(doc.object());
    }
    return objects;
}
