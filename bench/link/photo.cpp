#include "photo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>

QImage makePhoto(int nWidth, int nHeight, quint32 nSeed)
{
    QImage img(nWidth, nHeight, QImage::Format_RGB32);
    QRandomGenerator rng(nSeed);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, nHeight * 0.6);
    sky.setColorAt(0, QColor(40, 80, 160));
    sky.setColorAt(1, QColor(200, 215, 235));
    p.fillRect(img.rect(), sky);

    QRadialGradient sun(nWidth * 0.72, nHeight * 0.18, nWidth * 0.25);
    sun.setColorAt(0, QColor(255, 250, 220));
    sun.setColorAt(0.3, QColor(255, 230, 160, 200));
    sun.setColorAt(1, QColor(255, 230, 160, 0));
    p.fillRect(img.rect(), sun);

    // Two ranges of hills, the nearer one darker.
    for (int range = 0; range < 2; ++range) {
        QPainterPath hills;
        const double base = nHeight * (0.45 + 0.12 * range);
        hills.moveTo(0, nHeight);
        for (int x = 0; x <= nWidth; x += 4)
            hills.lineTo(x, base - 30 * std::sin(x * (0.021 + 0.013 * range) + range)
                                 - 12 * std::sin(x * 0.067 + 2.0 * range));
        hills.lineTo(nWidth, nHeight);
        hills.closeSubpath();
        QLinearGradient shade(0, base - 40, 0, nHeight);
        shade.setColorAt(0, range == 0 ? QColor(110, 130, 120) : QColor(70, 110, 60));
        shade.setColorAt(1, range == 0 ? QColor(60, 80, 70) : QColor(30, 60, 25));
        p.fillPath(hills, shade);
    }

    // Trees on the near range.
    for (int i = 0; i < 14; ++i) {
        const double x = rng.bounded(nWidth);
        const double y = nHeight * 0.62 + rng.bounded(nHeight * 0.3);
        const double h = 20 + rng.bounded(40.0) * (y / nHeight);
        p.fillRect(QRectF(x - 2, y, 4, h * 0.4), QColor(60, 40, 20));
        p.setBrush(QColor(20 + rng.bounded(40), 70 + rng.bounded(60), 20 + rng.bounded(30)));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(x, y - h * 0.3), h * 0.35, h * 0.6);
    }
    p.end();

    // Sensor grain.
    for (int y = 0; y < nHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < nWidth; ++x) {
            const int n = int(rng.bounded(17)) - 8;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255));
        }
    }
    return img;
}
