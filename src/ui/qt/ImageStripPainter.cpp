#include "ui/qt/ImageStripPainter.h"

#include <QPainter>

#include "ui/qt/ShapePainter.h"

namespace {
using S = ShapePainter;

// Colour of a red/green/other trio: plain, restore (green), backup (red).
QColor Trio(int k, QColor plain) {
    return k == 0 ? plain : (k == 1 ? S::Green() : S::Red());
}

void MarkedPage(S& shapes, QColor fill) {
    shapes.Page(QRectF(2.5, 0.5, 11, 15), fill);
    shapes.Diamond(QPointF(8, 9), 3.5, S::White());
}

void Draw(S& shapes, int index) {
    switch (index) {
    case 0: case 1: case 2:
        shapes.Disc(QPointF(8, 8), 7, Trio(index, S::White()));
        shapes.Disc(QPointF(8, 8), 2, S::White().darker(115));
        return;
    case 3: case 4: case 5:
        shapes.Drive(QRectF(0.5, 3.5, 15, 9), Trio(index - 3, S::Grey()));
        return;
    case 6: case 7: case 8:
        shapes.Folder(QRectF(0.5, 2.5, 15, 11), Trio(index - 6, S::Yellow()), false);
        return;
    case 9:
        shapes.Folder(QRectF(0.5, 2.5, 13, 11), S::Yellow(), true);
        return;
    case 10:
        shapes.Page(QRectF(2.5, 0.5, 11, 15), S::White());
        return;
    case 11: MarkedPage(shapes, S::Green()); return;
    case 12: MarkedPage(shapes, S::Red()); return;
    case 19: MarkedPage(shapes, S::Magenta()); return;
    case 13:
        shapes.Cassette(QRectF(0.5, 2.5, 15, 11));
        return;
    case 14: case 15: case 16: {
        const QColor fill = Trio(index - 14, S::Yellow());
        shapes.Cube(QPointF(4.5, 6.5), 4, fill);
        shapes.Cube(QPointF(11.5, 6.5), 4, fill);
        shapes.Cube(QPointF(8, 0.5), 4, fill);
        return;
    }
    case 17:
        shapes.Tick(QRectF(2.5, 3, 11, 10), S::Green());
        return;
    case 18:
        shapes.Glyph(QRectF(4, 1, 8, 14), QStringLiteral("!"), S::Red(), false);
        return;
    case 20:
        shapes.Page(QRectF(5.5, 0.5, 10, 12), S::Magenta().lighter(130));
        shapes.Page(QRectF(3.5, 2, 10, 12), S::Magenta().lighter(115));
        shapes.Page(QRectF(1.5, 3.5, 10, 12), S::Magenta());
        return;
    default:
        return;
    }
}
}  // namespace

QPixmap ImageStripPainter::Paint(int index) {
    if (index < 0 || index >= kCount) return {};
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    ShapePainter shapes(painter, kSide, kSide);
    Draw(shapes, index);
    return pixmap;
}
