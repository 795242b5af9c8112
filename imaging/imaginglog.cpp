#include "imaginglog.h"

Q_LOGGING_CATEGORY(lcTransfer, "telvane.transfer", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPayload, "telvane.payload", QtInfoMsg)
