#pragma once

#include <QLoggingCategory>

// Diagnostics of the command file and the value codec; silent unless QT_LOGGING_RULES
// turns "telvane.commands.debug" on.
Q_DECLARE_LOGGING_CATEGORY(lcCommands)
