#include "imaginglog.h"

Q_LOGGING_CATEGORY(lcTransfer, "telvane.transfer", QtWarningMsg)
