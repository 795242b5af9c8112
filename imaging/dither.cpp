#include "dither.h"

#include <algorithm>

std::vector<int> bayerMatrix(int n)
{
    if (n <= 1)
        return { 0 };
    const int h = n / 2;
    const std::vector<int> half = bayerMatrix(h);
    std::vector<int> m(size_t(n) * size_t(n));
    // Quadrants: 4M, 4M+2 / 4M+3, 4M+1.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < h; ++x) {
            const int v = 4 * half[size_t(y * h + x)];
            m[size_t(y * n + x)] = v;
            m[size_t(y * n + x + h)] = v + 2;
            m[size_t((y + h) * n + x)] = v + 3;
            m[size_t((y + h) * n + x + h)] = v + 1;
        }
    }
    return m;
}

QImage orderedDither(const QImage& gray, int nMatrixSize, quint16 nLevels)
{
    QImage out = gray.copy();
    if (gray.isNull() || gray.format() != QImage::Format_Grayscale8 || (nMatrixSize != 4 && nMatrixSize != 8)
        || nLevels < 2)
        return out;

    const std::vector<int> m = bayerMatrix(nMatrixSize);
    const int n = nMatrixSize;
    const int cells = n * n;
    const int steps = nLevels - 1;
    const int stride = 255 / steps;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* src = gray.constScanLine(y);
        uchar* dst = out.scanLine(y);
        const int* row = &m[size_t((y % n) * n)];
        for (int x = 0; x < gray.width(); ++x) {
            const int v = src[x];
            const int q = v * steps / 255;
            const int low = q * 255 / steps;
            const int e = (v - low) * cells * steps / 255;
            dst[x] = uchar(std::min(255, e > row[x % n] ? low + stride : low));
        }
    }
    return out;
}
