#pragma once

#include <QLoggingCategory>

// Diagnostics of start-up; silent unless QT_LOGGING_RULES
// turns "telvane.app.debug" on.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
