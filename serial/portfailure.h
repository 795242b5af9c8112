#pragma once

#include <QSerialPort>
#include <QString>

// What went wrong with a serial port, told apart and worded for the operator.

// Result code of a failed open: -9 when the user may not open the device
// (its permissions), -2 when another program holds it (a lock or an
// exclusive open), -8 otherwise.
int openFailureCode(QSerialPort::SerialPortError error, const QString& strDevice);

// The reason shown with a failed open: the system's text, and for -9 the
// group that owns the device.
QString openFailureReason(int nCode, const QString& strSystemText, const QString& strDevice);

// Why an open port was lost: a known error code in the operator's language,
// otherwise the system's text.
QString lostPortReason(QSerialPort::SerialPortError error, const QString& strSystemText);

// The device node behind a port name ("ttyUSB0" or "/dev/ttyUSB0").
QString portDevicePath(const QString& strPort);
