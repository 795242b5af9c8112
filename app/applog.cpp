#include "applog.h"

Q_LOGGING_CATEGORY(lcApp, "telvane.app", QtInfoMsg)
