#include "seriallog.h"

Q_LOGGING_CATEGORY(lcSerial, "telvane.serial", QtInfoMsg)
