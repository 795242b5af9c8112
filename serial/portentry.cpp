#include "portentry.h"

QList<PortEntry> platformPorts()
{
    QList<PortEntry> entries;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        entries.append(PortEntry { info.portName(), info.isBusy(), info, info.serialNumber() });
    return entries;
}
