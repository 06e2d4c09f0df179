#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace pictures {
namespace {

// A colour family: light top of the fill, its base, and the outline.
struct Family {
    QColor light, base, dark;
};

const Family kListFamily{QColor(0x9c, 0xc7, 0xf5), QColor(0x2f, 0x74, 0xc8), QColor(0x17, 0x45, 0x85)};
const Family kTaskFamily{QColor(0x9d, 0xe3, 0xa8), QColor(0x2b, 0x9a, 0x4c), QColor(0x15, 0x60, 0x2c)};

const QColor kCream(0xfb, 0xf2, 0xd5);
const QColor kCreamShade(0xf0, 0xdc, 0xa8);
const QColor kBrown(0x7a, 0x4a, 0x22);
const QColor kPurple(0x74, 0x34, 0xa8);
const QColor kPurpleLight(0xa8, 0x6c, 0xde);
const QColor kPurpleDark(0x4c, 0x1d, 0x73);

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QBrush fill(const Family& f, qreal top = 3, qreal bottom = 21)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0.0, f.light);
    g.setColorAt(0.55, f.base);
    g.setColorAt(1.0, f.base.darker(115));
    return g;
}

// Fills a shape with the family's gradient and outlines it with one (logical) pixel of its dark
// colour, with a faint light inner edge that keeps the shape readable on dark backgrounds.
void solid(QPainter& p, const QPainterPath& shape, const Family& f)
{
    QRectF b = shape.boundingRect();
    p.setPen(Qt::NoPen);
    p.setBrush(fill(f, b.top(), b.bottom()));
    p.drawPath(shape);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(f.dark, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
}

// ---- button glyphs, drawn in a 24 × 24 box --------------------------------------------------

void drawTest(QPainter& p, const Family& f)
{
    // A magnifying glass with a tick in the lens: look, and check.
    const QPointF c(10, 10);
    // Handle first, so the ring covers its end.
    p.setPen(QPen(f.dark, 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.0, 15.0), QPointF(20.2, 20.2));
    p.setPen(QPen(f.base, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.4, 15.4), QPointF(19.9, 19.9));

    QRadialGradient lens(c - QPointF(2, 2), 8);
    lens.setColorAt(0, QColor(255, 255, 255, 240));
    lens.setColorAt(1, QColor(f.light.red(), f.light.green(), f.light.blue(), 200));
    p.setBrush(lens);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 6.0, 6.0);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(f.dark, 3.4));
    p.drawEllipse(c, 6.3, 6.3);
    p.setPen(QPen(f.base, 1.6));
    p.drawEllipse(c, 6.3, 6.3);

    QPainterPath tick;
    tick.moveTo(7.0, 10.2);
    tick.lineTo(9.2, 12.4);
    tick.lineTo(13.2, 7.8);
    p.setPen(QPen(f.dark, 1.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

void drawRun(QPainter& p, const Family& f)
{
    QPainterPath play;
    play.moveTo(7.5, 4.5);
    play.lineTo(19.5, 12.0);
    play.lineTo(7.5, 19.5);
    play.closeSubpath();
    solid(p, play, f);
}

void drawStop(QPainter& p, const Family& f)
{
    QPainterPath square;
    square.addRoundedRect(QRectF(5.5, 5.5, 13, 13), 2, 2);
    solid(p, square, f);
}

void drawAdd(QPainter& p, const Family& f)
{
    QPainterPath bar;
    bar.addRect(QRectF(9.5, 3.5, 5, 17));
    QPainterPath beam;
    beam.addRect(QRectF(3.5, 9.5, 17, 5));
    solid(p, bar.united(beam), f);
}

void drawDelete(QPainter& p, const Family& f)
{
    QPainterPath minus;
    minus.addRect(QRectF(3.5, 9.5, 17, 5));
    solid(p, minus, f);
}

void drawConfigure(QPainter& p, const Family& f)
{
    // A gear of eight teeth with a hole.
    const QPointF c(12, 12);
    const int teeth = 8;
    const qreal outer = 9.6;
    const qreal root = 7.0;
    QPainterPath gear;
    for (int i = 0; i < teeth; ++i) {
        const qreal a0 = (i * 360.0 / teeth) - 12.0;
        const qreal a1 = (i * 360.0 / teeth) + 12.0;
        const qreal b0 = a0 - 11.0;
        const qreal b1 = a1 + 11.0;
        auto pt = [&](qreal deg, qreal r) {
            const qreal rad = qDegreesToRadians(deg);
            return c + QPointF(r * qCos(rad), r * qSin(rad));
        };
        if (i == 0)
            gear.moveTo(pt(b0, root));
        else
            gear.lineTo(pt(b0, root));
        gear.lineTo(pt(a0, outer));
        gear.lineTo(pt(a1, outer));
        gear.lineTo(pt(b1, root));
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 3.0, 3.0);
    solid(p, gear.subtracted(hole), f);
}

QPainterPath upArrow()
{
    QPainterPath arrow;
    arrow.moveTo(12.0, 3.5);
    arrow.lineTo(20.5, 12.0);
    arrow.lineTo(15.5, 12.0);
    arrow.lineTo(15.5, 20.5);
    arrow.lineTo(8.5, 20.5);
    arrow.lineTo(8.5, 12.0);
    arrow.lineTo(3.5, 12.0);
    arrow.closeSubpath();
    return arrow;
}

void drawUp(QPainter& p, const Family& f)
{
    solid(p, upArrow(), f);
}

void drawDown(QPainter& p, const Family& f)
{
    QTransform flip;
    flip.translate(0, 24);
    flip.scale(1, -1);
    solid(p, flip.map(upArrow()), f);
}

// Two arcs chasing each other clockwise round a circle, each with an arrow head at its front
// end when heads is set. rotation turns the pair clockwise, in degrees.
void drawChase(QPainter& p, QPointF centre, qreal radius, qreal width, qreal rotation, const QColor& colour,
               const QColor& outline, bool heads)
{
    const qreal sweep = heads ? 118.0 : 128.0;
    for (int k = 0; k < 2; ++k) {
        // Qt's angles run counter-clockwise from three o'clock; the pair runs clockwise.
        const qreal start = 90.0 - rotation - k * 180.0;
        const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        QPainterPath arc;
        arc.arcMoveTo(box, start);
        arc.arcTo(box, start, -sweep);

        if (outline.isValid()) {
            p.setPen(QPen(outline, width + 1.6, Qt::SolidLine, Qt::FlatCap));
            p.drawPath(arc);
        }
        if (heads) {
            const qreal endDeg = start - sweep;
            const qreal rad = qDegreesToRadians(endDeg);
            const QPointF tip0 = centre + QPointF(radius * qCos(rad), -radius * qSin(rad));
            // Direction of travel (clockwise) at the end point, and the outward normal.
            const QPointF dir(qSin(rad), qCos(rad));
            const QPointF out(qCos(rad), -qSin(rad));
            const qreal len = width * 1.9;
            const qreal half = width * 1.25;
            QPainterPath head;
            head.moveTo(tip0 + dir * len);
            head.lineTo(tip0 + out * half);
            head.lineTo(tip0 - out * half);
            head.closeSubpath();
            if (outline.isValid()) {
                p.setPen(QPen(outline, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.setBrush(outline);
                p.drawPath(head);
            }
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawPath(head);
            p.setBrush(Qt::NoBrush);
        }
        p.setPen(QPen(colour, width, Qt::SolidLine, heads ? Qt::FlatCap : Qt::RoundCap));
        p.drawPath(arc);
    }
}

void drawAnimationFrame(QPainter& p, const Family& f, int frame)
{
    const QPointF c(12, 12);
    // A faint track, then the pair of arrows turned by a sixteenth of a turn per frame: the pair
    // looks the same after half a turn, so eight frames make one seamless loop.
    p.setPen(QPen(QColor(f.base.red(), f.base.green(), f.base.blue(), 60), 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 7.0, 7.0);
    drawChase(p, c, 7.0, 2.6, frame * 22.5, f.base, QColor(), true);
}

void drawCell(QPainter& p, int index)
{
    const Family& f = (index >= 8 && index < 16) || index >= 24 ? kTaskFamily : kListFamily;
    if (index >= 16) {
        drawAnimationFrame(p, f, index % 8);
        return;
    }
    switch (index % 8) {
    case 0: drawTest(p, f); break;
    case 1: drawRun(p, f); break;
    case 2: drawStop(p, f); break;
    case 3: drawAdd(p, f); break;
    case 4: drawDelete(p, f); break;
    case 5: drawConfigure(p, f); break;
    case 6: drawUp(p, f); break;
    case 7: drawDown(p, f); break;
    }
}

// The cream square with its brown edge, filling a size × size image.
void drawSquare(QPainter& p, int size)
{
    const qreal edge = size <= 16 ? 1.0 : size <= 48 ? size / 16.0 : size / 24.0;
    const qreal inset = edge / 2.0;
    const QRectF r(inset, inset, size - edge, size - edge);
    const qreal radius = size <= 16 ? 2.0 : size * 0.14;
    QLinearGradient g(0, 0, 0, size);
    g.setColorAt(0, kCream);
    g.setColorAt(1, kCreamShade);
    p.setBrush(g);
    p.setPen(QPen(kBrown, edge));
    p.drawRoundedRect(r, radius, radius);
}

} // namespace

QImage buttonStrip(int scale)
{
    QImage image = blank(StripCells * CellSize * scale, CellSize * scale);
    QPainter p(&image);
    prepare(p);
    for (int i = 0; i < StripCells; ++i) {
        p.save();
        p.translate(i * CellSize * scale, 0);
        p.scale(scale, scale);
        p.setClipRect(QRectF(0, 0, CellSize, CellSize));
        drawCell(p, i);
        p.restore();
    }
    return image;
}

QImage programIcon(int size)
{
    QImage image = blank(size, size);
    QPainter p(&image);
    prepare(p);
    drawSquare(p, size);
    const QPointF c(size / 2.0, size / 2.0);
    if (size <= 16) {
        drawChase(p, c, 4.4, 2.3, 0, kPurple, QColor(), false);
    } else {
        const qreal radius = size * 0.29;
        const qreal width = size * 0.105;
        QColor outline = size >= 48 ? kPurpleDark : QColor();
        drawChase(p, c, radius, width, 0, kPurple, outline, true);
        if (size >= 48) {
            // A light stripe along each arrow for depth at large sizes.
            QColor light = kPurpleLight;
            light.setAlpha(170);
            p.save();
            p.setPen(QPen(light, width * 0.28, Qt::SolidLine, Qt::RoundCap));
            for (int k = 0; k < 2; ++k) {
                const qreal start = 90.0 - k * 180.0 - 8.0;
                const qreal r = radius - width * 0.18;
                const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
                QPainterPath arc;
                arc.arcMoveTo(box, start);
                arc.arcTo(box, start, -88.0);
                p.drawPath(arc);
            }
            p.restore();
        }
    }
    return image;
}

QImage trayFrame(int frame, int size)
{
    QImage image = blank(size, size);
    QPainter p(&image);
    prepare(p);
    drawSquare(p, size);
    const qreal s = size / 16.0;
    drawChase(p, QPointF(size / 2.0, size / 2.0), 4.4 * s, 2.3 * s, frame * 22.5, kPurple, QColor(), false);
    return image;
}

} // namespace pictures
