#pragma once

#include <QString>
#include <QtGlobal>

// A port on the network, named like a URL in the port box and on the
// command line: socket://HOST:PORT (raw TCP) or rfc2217://HOST:PORT
// (Telnet with the COM-PORT option). IPv6 hosts go in brackets.
struct NetPortAddress
{
    enum Protocol { None, RawTcp, Rfc2217 };

    Protocol protocol = None;
    QString strHost;
    quint16 nPort = 0;

    // Scheme, host and port all present and well-formed.
    bool isValid() const { return protocol != None; }
};

// True when the name starts with one of the two schemes, well-formed or not:
// such a name never names a local device.
bool isNetPortName(const QString& strPort);

// The parts of a well-formed network port name; protocol None otherwise.
NetPortAddress parseNetPort(const QString& strPort);

// The protocol as the port information shows it.
QString netProtocolText(NetPortAddress::Protocol protocol);
