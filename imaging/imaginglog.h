#pragma once

#include <QLoggingCategory>

// Diagnostics of the image transfer; silent unless QT_LOGGING_RULES turns
// "telvane.transfer.debug" on.
Q_DECLARE_LOGGING_CATEGORY(lcTransfer)
