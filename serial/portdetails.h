#pragma once

#include <QString>
#include <QtGlobal>

// What the platform reports about one port, as the detail dialog shows it.
struct PortDetails
{
    QString strName;
    QString strLocation;
    QString strDescription;
    QString strManufacturer;
    QString strSerial;
    bool bHasVendor = false;
    quint16 nVendor = 0;
    bool bHasProduct = false;
    quint16 nProduct = 0;
    bool bBusy = false;
    // A port on the network is described by its address instead.
    bool bNetwork = false;
    QString strProtocol;
    QString strHost;
    quint16 nNetPort = 0;
};

// Looks the port up among the enumerated ones; a path the platform does not
// enumerate (a pseudo-terminal, say) is described by its path alone, a
// network port by its protocol, host and port.
PortDetails describePort(const QString& strSystem);

// The multi-line text of the "端口信息" box.
QString portInfoText(const PortDetails& details);
