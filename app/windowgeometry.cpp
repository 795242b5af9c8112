#include "windowgeometry.h"

#include <algorithm>

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 660;
// Smaller than this the window's pages no longer show their fields.
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 240;

QRect fitInside(QRect rect, const QRect& screen)
{
    rect.setWidth(std::min(rect.width(), screen.width()));
    rect.setHeight(std::min(rect.height(), screen.height()));
    rect.moveLeft(std::clamp(rect.left(), screen.left(), screen.right() - rect.width() + 1));
    rect.moveTop(std::clamp(rect.top(), screen.top(), screen.bottom() - rect.height() + 1));
    return rect;
}

}  // namespace

QRect defaultWindowGeometry(const QVector<QRect>& screens)
{
    QRect rect(0, 0, kDefaultWidth, kDefaultHeight);
    if (screens.isEmpty())
        return rect;
    rect.moveCenter(screens.first().center());
    return fitInside(rect, screens.first());
}

QRect fitWindowGeometry(const QRect& wanted, const QVector<QRect>& screens)
{
    if (screens.isEmpty())
        return wanted;
    if (wanted.width() < kMinWidth || wanted.height() < kMinHeight)
        return defaultWindowGeometry(screens);
    // The top edge carries the title bar: where it is, the operator can grab it.
    const QPoint handle(wanted.center().x(), wanted.top());
    for (const QRect& screen : screens) {
        if (screen.contains(handle))
            return fitInside(wanted, screen);
    }
    return defaultWindowGeometry(screens);
}
