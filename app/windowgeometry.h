#pragma once

#include <QRect>
#include <QVector>

// Where the window opens, widget-free so that a table of screens can test it.

// The first start's window: 640 x 660, centred on the first screen's
// available area (fits a 1366 x 768 screen with a task bar).
QRect defaultWindowGeometry(const QVector<QRect>& screens);

// A stored window rectangle made usable on the screens' available areas:
// no larger than the screen it opens on, wholly inside it, and opened on a
// screen at all. A rectangle whose top edge centre lies on no screen, or an
// empty one, gives the default.
QRect fitWindowGeometry(const QRect& wanted, const QVector<QRect>& screens);
