#pragma once

#include <QImage>
#include <QtGlobal>

#include <vector>

// Bayer index matrix of size n (1, 2, 4, 8, ...), row-major.
std::vector<int> bayerMatrix(int n);

// Ordered dither of an 8-bit grayscale image to nLevels levels with the
// Bayer matrix of size 4 or 8. Any other input is returned unchanged.
QImage orderedDither(const QImage& gray, int nMatrixSize, quint16 nLevels);
