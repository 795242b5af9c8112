#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real ser2net in front of one serial device, on 127.0.0.1 ports chosen
// free at start: one raw TCP accepter and one Telnet accepter with the
// COM-PORT option. Only one of the two can hold the device at a time.
class Ser2netServer
{
public:
    Ser2netServer() = default;
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // Starts it and waits until both ports listen. Extra lines go under
    // each connection's options (e.g. "chardelay: false").
    bool start(const QString& strDevice, QString& error, const QStringList& options = {});
    // Ends it at once, connections and all.
    void stop();

    QString rawName() const { return QStringLiteral("socket://127.0.0.1:%1").arg(m_nRawPort); }
    QString rfc2217Name() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_nTelnetPort); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_nRawPort = 0;
    quint16 m_nTelnetPort = 0;
};

// A loopback port that nothing listens on right now.
quint16 freeLoopbackPort();
