#pragma once

#include <QtGlobal>

// Time-outs of a transfer. The defaults are the product's; tests shorten them.
struct TransferTimeouts
{
    int nAckMs = 5000;       // between acknowledgements
    int nAwakenFactor = 4;   // wake-up answer within factor x keep time
    int nDotMs = 1000;       // progress dots while waiting for the wake-up
    int nIntervalUnitMs = 1000;  // the test page's task interval counts these
};

// nFactor x nKeepTimeMs, clamped to what a timer interval (int) can hold.
int awakenTimeoutMs(qint64 nKeepTimeMs, int nFactor);
