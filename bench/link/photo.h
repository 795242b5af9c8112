#pragma once

#include <QImage>

// A deterministic photo-like scene (sky, sun, hills, trees, grainy ground)
// of the given size: smooth gradients, hard edges and noise, so dithering
// and run-length coding see what a real photo gives them.
QImage makePhoto(int nWidth, int nHeight, quint32 nSeed = 1);
