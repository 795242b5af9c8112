#include "portparam.h"

void registerPortParam()
{
    qRegisterMetaType<PortParam>("PortParam");
}
