#pragma once

#include <QLoggingCategory>

// Diagnostics of the image transfer and of payload building; silent unless
// QT_LOGGING_RULES turns "telvane.transfer.debug" or "telvane.payload.debug" on.
Q_DECLARE_LOGGING_CATEGORY(lcTransfer)
Q_DECLARE_LOGGING_CATEGORY(lcPayload)
