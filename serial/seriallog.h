#pragma once

#include <QLoggingCategory>

// Diagnostics of the serial port and its frames; silent unless QT_LOGGING_RULES
// turns "telvane.serial.debug" on.
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
