// Draws the icon set into <dir>/ico/icon and the program icon into <dir>.
// Every icon is a square 8-bit RGBA PNG whose side is the number in its name.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

const QColor kInk(0x1E, 0x33, 0x54);
const QColor kTeal(0x05, 0xB8, 0xCC);
const QColor kRed(0xE0, 0x4F, 0x4F);
const QColor kGreen(0x2E, 0xA0, 0x5C);
const QColor kPaper(0xFD, 0xFD, 0xFD);

using Draw = std::function<void(QPainter&)>;

// Drawings are made on a 48-unit canvas and scaled to the icon's size.
bool render(const QString& path, int side, const Draw& draw)
{
    QImage img(side, side, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 48.0, side / 48.0);
    draw(p);
    p.end();
    return img.save(path, "PNG");
}

QPen pen(const QColor& c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void plug(QPainter& p, bool connected)
{
    p.setPen(pen(kInk, 3.5));
    p.setBrush(Qt::NoBrush);
    // Left half: plug body with two pins.
    QPainterPath left;
    left.addRoundedRect(QRectF(6, 16, 12, 16), 3, 3);
    p.fillPath(left, connected ? kTeal : QColor(0xB0, 0xB8, 0xC4));
    p.drawPath(left);
    p.drawLine(QPointF(18, 21), QPointF(connected ? 24 : 21, 21));
    p.drawLine(QPointF(18, 27), QPointF(connected ? 24 : 21, 27));
    p.drawLine(QPointF(2, 24), QPointF(6, 24));
    // Right half: socket.
    const qreal x = connected ? 24 : 29;
    QPainterPath right;
    right.addRoundedRect(QRectF(x, 16, 12, 16), 3, 3);
    p.fillPath(right, connected ? kTeal : QColor(0xB0, 0xB8, 0xC4));
    p.drawPath(right);
    p.drawLine(QPointF(x + 12, 24), QPointF(46, 24));
    if (!connected) {
        p.setPen(pen(kRed, 3));
        p.drawLine(QPointF(22, 10), QPointF(28, 16));
        p.drawLine(QPointF(28, 10), QPointF(22, 16));
    }
}

void refresh(QPainter& p)
{
    p.setPen(pen(kTeal, 5));
    p.drawArc(QRectF(9, 9, 30, 30), 40 * 16, 280 * 16);
    QPainterPath head;
    head.moveTo(40, 6);
    head.lineTo(40, 20);
    head.lineTo(27, 16);
    head.closeSubpath();
    p.fillPath(head, kTeal);
}

void gear(QPainter& p, const QColor& c)
{
    QPainterPath path;
    const QPointF o(24, 24);
    for (int i = 0; i < 16; ++i) {
        const qreal r = (i % 2 == 0) ? 21 : 15.5;
        const qreal a0 = (i - 0.4) * M_PI / 8, a1 = (i + 0.4) * M_PI / 8;
        const QPointF p0 = o + QPointF(r * qCos(a0), r * qSin(a0));
        const QPointF p1 = o + QPointF(r * qCos(a1), r * qSin(a1));
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(o, 7, 7);
    p.fillPath(path.subtracted(hole), c);
}

void query(QPainter& p)
{
    p.setPen(pen(kInk, 5));
    p.drawEllipse(QRectF(6, 6, 26, 26));
    p.drawLine(QPointF(29, 29), QPointF(42, 42));
    p.setPen(pen(kTeal, 3));
    p.drawArc(QRectF(11, 11, 16, 16), 100 * 16, 80 * 16);
}

void setting(QPainter& p)
{
    gear(p, kInk);
    p.setPen(pen(kTeal, 4));
    p.drawLine(QPointF(30, 40), QPointF(44, 26));
}

void matrix(QPainter& p)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool on = ((r * 5 + c * 3) % 4) != 1;
            p.fillRect(QRectF(5 + c * 10, 5 + r * 10, 8, 8), on ? kInk : kTeal);
        }
}

void arrowData(QPainter& p, bool down)
{
    // A document with an arrow leaving (set) or entering (get) it.
    p.setPen(pen(kInk, 3));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(8, 4, 24, 32), 3, 3);
    p.setPen(pen(kInk, 2));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(13, 12 + i * 7), QPointF(27, 12 + i * 7));
    const QColor c = down ? kGreen : kTeal;
    p.setPen(pen(c, 4));
    p.drawLine(QPointF(36, down ? 22 : 44), QPointF(36, down ? 44 : 22));
    QPainterPath head;
    if (down) {
        head.moveTo(28, 36);
        head.lineTo(44, 36);
        head.lineTo(36, 46);
    } else {
        head.moveTo(28, 30);
        head.lineTo(44, 30);
        head.lineTo(36, 20);
    }
    head.closeSubpath();
    p.fillPath(head, c);
}

void sizegrip(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xA0, 0xA8, 0xB4));
    for (int r = 0; r < 4; ++r)
        for (int c = 3 - r; c < 4; ++c)
            p.drawEllipse(QRectF(12 + c * 9, 12 + r * 9, 5, 5));
}

void arrowDown(QPainter& p, const QColor& c)
{
    QPainterPath path;
    path.moveTo(10, 17);
    path.lineTo(38, 17);
    path.lineTo(24, 33);
    path.closeSubpath();
    p.fillPath(path, c);
}

void appIcon(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(2, 2, 44, 44), 9, 9);
    // An e-paper panel with a radio wave.
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(9, 14, 22, 28), 2, 2);
    p.fillRect(QRectF(12, 18, 16, 3), kInk);
    p.fillRect(QRectF(12, 24, 11, 3), kInk);
    p.fillRect(QRectF(12, 30, 14, 3), kRed);
    p.setPen(pen(kTeal, 2.5));
    p.setBrush(Qt::NoBrush);
    for (const qreal r : { 5.0, 9.0, 13.0 })
        p.drawArc(QRectF(30 - r, 17 - r, 2 * r, 2 * r), 0, 90 * 16);
}

// White, drawn on the ticked check box's filled indicator.
void tick(QPainter& p)
{
    p.setPen(pen(kPaper, 7));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(10, 25);
    path.lineTo(20, 35);
    path.lineTo(38, 13);
    p.drawPath(path);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen RESOURCE_DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    root.mkpath("ico/icon");
    const QString dir = root.filePath("ico/icon/");

    const struct { const char* name; int side; Draw draw; } icons[] = {
        { "link_48.png", 48, [](QPainter& p) { plug(p, true); } },
        { "break_48.png", 48, [](QPainter& p) { plug(p, false); } },
        { "refresh_48.png", 48, refresh },
        { "config_32.png", 32, [](QPainter& p) { gear(p, kTeal); } },
        { "query_48.png", 48, query },
        { "setting_48.png", 48, setting },
        { "matrix_32.png", 32, matrix },
        { "get_data32.png", 32, [](QPainter& p) { arrowData(p, true); } },
        { "set_data32.png", 32, [](QPainter& p) { arrowData(p, false); } },
        { "sizegrip_32.png", 32, sizegrip },
        { "arrow_down_32.png", 32, [](QPainter& p) { arrowDown(p, QColor(0x7A, 0x86, 0x99)); } },
        { "arrow_down_hover_32.png", 32, [](QPainter& p) { arrowDown(p, kTeal); } },
        { "check_32.png", 32, tick },
    };
    bool ok = true;
    for (const auto& icon : icons)
        ok &= render(dir + icon.name, icon.side, icon.draw);
    ok &= render(root.filePath("telvane.png"), 256, appIcon);
    return ok ? 0 : 1;
}
