#include "ser2netserver.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace {

// Whether 127.0.0.1:nPort is in the LISTEN state, read from the kernel's
// table so that probing does not open the device behind the port.
bool isListening(quint16 nPort)
{
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local = QByteArray("0100007F:") + QByteArray::number(nPort, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields.at(1) == local && fields.at(3) == "0A")
            return true;
    }
    return false;
}

}  // namespace

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

Ser2netServer::~Ser2netServer()
{
    stop();
}

bool Ser2netServer::start(const QString& strDevice, QString& error, const QStringList& options)
{
    const QString strProgram = QStandardPaths::findExecutable("ser2net", { "/usr/sbin", "/usr/bin", "/sbin" });
    if (strProgram.isEmpty()) {
        error = "ser2net is not installed (scripts/install-deps.sh installs it)";
        return false;
    }
    m_nRawPort = freeLoopbackPort();
    m_nTelnetPort = freeLoopbackPort();
    while (m_nTelnetPort == m_nRawPort)
        m_nTelnetPort = freeLoopbackPort();
    const QString strConfig = m_dir.filePath("ser2net.yaml");
    QFile config(strConfig);
    if (!m_dir.isValid() || !config.open(QIODevice::WriteOnly)) {
        error = "cannot write the ser2net configuration";
        return false;
    }
    const QString strConnector = QStringLiteral("serialdev,%1,115200n81,local").arg(strDevice);
    QString strOptions = QStringLiteral("    kickolduser: true\n");
    for (const QString& strOption : options)
        strOptions += "    " + strOption + "\n";
    config.write(QStringLiteral("connection: &raw\n"
                                "  accepter: tcp,127.0.0.1,%1\n"
                                "  connector: %3\n"
                                "  options:\n%4"
                                "connection: &rfc2217\n"
                                "  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                "  connector: %3\n"
                                "  options:\n%4")
                     .arg(m_nRawPort)
                     .arg(m_nTelnetPort)
                     .arg(strConnector, strOptions)
                     .toUtf8());
    config.close();

    // -n: stay in the foreground; -u: no lock files, the test owns the device.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(strProgram, { "-n", "-u", "-c", strConfig, "-P", m_dir.filePath("ser2net.pid") });
    if (!m_process.waitForStarted(5000)) {
        error = "ser2net did not start: " + m_process.errorString();
        return false;
    }
    if (!QTest::qWaitFor([this] { return isListening(m_nRawPort) && isListening(m_nTelnetPort); }, 5000)) {
        error = "ser2net does not listen: " + QString::fromLocal8Bit(m_process.readAllStandardOutput());
        stop();
        return false;
    }
    return true;
}

void Ser2netServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}
