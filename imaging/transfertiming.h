#pragma once

#include <QtGlobal>

// Time-outs of a transfer. The defaults are the product's; tests shorten them.
struct TransferTimeouts
{
    int nAckMs = 5000;           // between acknowledgements
    int nDotMs = 1000;           // progress dots while the image page waits for the wake-up
    int nIntervalUnitMs = 1000;  // the repeated test's task interval counts these
};

// The wake-up answer is awaited this many keep times: on the image page,
// and in the repeated test.
constexpr int kPageAwakenFactor = 4;
constexpr int kTestAwakenFactor = 3;

// nFactor x nKeepTimeMs, clamped to what a timer interval (int) can hold.
int awakenTimeoutMs(qint64 nKeepTimeMs, int nFactor);
