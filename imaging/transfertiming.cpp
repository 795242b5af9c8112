#include "transfertiming.h"

#include <algorithm>
#include <climits>

int awakenTimeoutMs(qint64 nKeepTimeMs, int nFactor)
{
    // Keep times up to 2^32 - 1 times small factors stay far inside qint64.
    const qint64 ms = std::max<qint64>(0, nKeepTimeMs) * std::max(0, nFactor);
    return int(std::min<qint64>(ms, INT_MAX));
}
