#pragma once

#include "linkrig.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <vector>

// The image page "发送图片" driven as an operator drives it, over the real
// serial worker to the simulated DTU: what the link benchmarks compare with.

constexpr quint32 kBenchDisplay = 1674097996u;

struct Run
{
    bool ok = false;
    double clickMs = 0;      // click on the send button -> last acknowledgement
    double lineMs = 0;       // first frame handed to the worker -> last acknowledgement
    int nPayload = 0;
    SimCounts counts;
};

struct Setup
{
    QString file;
    bool bRle = false;
    int nCompress = 0;       // index in the compression box
    quint32 nAddr = 0;
    int nLineRate = 0;
};

// How every run's worker reaches the simulator: directly, or through a
// ser2net with these lines among its connection options.
void setBenchRoute(LinkRig::Via via, const QStringList& serverOptions);

// One transfer on a fresh line, so the device's byte counts are this run's.
Run transfer(const Setup& setup);

double median(std::vector<double> v);

// A real BMP file padded so that its payload is exactly 255 packets.
QString writeFullPayloadFile(const QDir& dir);
