#pragma once

#include <QMetaType>
#include <QtGlobal>

// Port settings travelling from the panel to the worker inside a QVariant.
// Each field holds the matching QSerialPort enumeration value (or the rate).
struct PortParam
{
    qint32 baudRate = 0;
    qint32 dataBits = 0;
    qint32 stopBits = 0;
    qint32 parity = 0;
    qint32 flowControl = 0;
};
Q_DECLARE_METATYPE(PortParam)

// Registers PortParam under the type name "PortParam"; safe to call often.
void registerPortParam();
