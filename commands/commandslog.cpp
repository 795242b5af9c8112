#include "commandslog.h"

Q_LOGGING_CATEGORY(lcCommands, "telvane.commands", QtInfoMsg)
