#pragma once

#include "cliargs.h"
#include "portparam.h"

#include <QString>

class QSettings;

// What telvanectl takes from the window's settings file (Telvane.ini in the
// working directory in portable mode, else the window's config folder): the port and baud rate used last, the friendly port
// names and the path of the command file.

// Opens the window's settings file for reading (UTF-8).
QSettings* openWindowSettings();

struct PortChoice
{
    QString strPort;
    PortParam param;
};

// The command line's port settings over the saved ones; what neither names
// takes the port defaults (115200 baud, 8 data bits, no parity, 1 stop bit,
// no flow control).
PortChoice choosePort(const PortOverrides& given, QSettings& settings);

// The friendly name the window gives a port; empty when it has none.
QString friendlyPortName(QSettings& settings, const QString& strSystem);

// The command file: the one given, else the window's "json" setting (default
// cmds.json), a relative name looked up where the window looks for it.
QString locateCmdFile(const QString& strGiven, QSettings& settings);
