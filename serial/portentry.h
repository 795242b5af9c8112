#pragma once

#include <QList>
#include <QSerialPortInfo>
#include <QString>

// One entry of the port list. The platform cannot describe a path it does
// not enumerate (its info is null), so the name and busy state are kept here.
struct PortEntry
{
    QString strSystem;     // what the worker opens and the settings store
    bool bBusy = false;
    QSerialPortInfo info;  // null for paths given on the command line
    QString strSerial;     // the adapter's serial number, if it reports one
};

// The ports the platform enumerates, in its order.
QList<PortEntry> platformPorts();
