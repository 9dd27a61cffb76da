#include "ui/qt/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include "report/MessageKind.h"
#include "ui/MessageLook.h"
#include "ui/qt/ImageStripPainter.h"
#include "ui/qt/ShapePainter.h"

namespace {
using S = ShapePainter;
constexpr double kUnits = 32.0;  // icons are designed on a 32x32 grid

// Returns false for a number that is not one of the program's icons.
bool DrawIcon(S& shapes, int resourceId) {
    const QPointF centre(16, 16);
    const double radius = 14.5;
    switch (resourceId) {
    case 136:
        shapes.Disc(centre, radius, S::Yellow());
        shapes.Glyph(QRectF(9, 6, 14, 20), QStringLiteral("?"), S::Blue(), false);
        return true;
    case 143:
        shapes.Disc(centre, radius, S::Red());
        shapes.Glyph(QRectF(11, 6, 10, 20), QStringLiteral("!"), S::White(), false);
        return true;
    case 144:
        shapes.Disc(centre, radius, S::Black());
        shapes.Lightning(QRectF(8, 5, 16, 22), S::Yellow());
        return true;
    case 145:
        shapes.Disc(centre, radius, S::Blue());
        shapes.Glyph(QRectF(10, 6, 12, 20), QStringLiteral("i"), S::Yellow(), true);
        return true;
    case 146:
    case 151:
        shapes.Disc(centre, radius, S::Blue());
        shapes.Face(centre, radius, S::Yellow(), resourceId == 146);
        return true;
    case 141:
        shapes.Arrow(QRectF(2.5, 6.5, 27, 19), S::Red(), 1);
        return true;
    case 133:
        shapes.Arrow(QRectF(2.5, 6.5, 27, 19), S::Green(), 1);
        return true;
    case 158:
        shapes.Arrow(QRectF(1.5, 6.5, 29, 19), S::Magenta(), 0);
        return true;
    case 153:
        shapes.Arrow(QRectF(2.5, 6.5, 27, 19), S::Yellow(), 1);
        return true;
    case 154:
        shapes.Arrow(QRectF(2.5, 6.5, 27, 19), S::Yellow(), -1);
        return true;
    default:
        return false;
    }
}
}  // namespace

QPixmap Artwork::Picture(int resourceId, int side) {
    if (side <= 0) return {};
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (resourceId == 128) {
        // The installed icon file itself, compiled in as a resource.
        QSvgRenderer icon(QStringLiteral(":/tapewren.svg"));
        if (!icon.isValid()) return {};
        icon.render(&painter);
        return pixmap;
    }
    ShapePainter shapes(painter, side, kUnits);
    if (!DrawIcon(shapes, resourceId)) return {};
    return pixmap;
}

QIcon Artwork::ProgramIcon() {
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128}) icon.addPixmap(Picture(128, side));
    return icon;
}

QPixmap Artwork::MessageIcon(int kind) {
    return Picture(MessageLook::ForKind(kind).pictureId, 32);
}

QPixmap Artwork::ReelPicture(QSize size) {
    if (size.isEmpty()) return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(size.width(), size.height());
    const double radius = side * 0.42;
    const QPointF centre(size.width() * 0.42, size.height() * 0.46);
    // The tape runs off the reel to the lower right.
    QPainterPath strand;
    strand.moveTo(centre.x() + radius * 0.72, centre.y() + radius * 0.25);
    strand.cubicTo(centre.x() + radius * 1.1, centre.y() + radius * 0.9,
                   size.width() * 0.9, size.height() * 0.86, size.width() - 1.0, size.height() * 0.94);
    painter.setPen(QPen(S::Tape(), std::max(2.0, side / 22), Qt::SolidLine, Qt::FlatCap));
    painter.drawPath(strand);
    painter.translate(centre - QPointF(radius, radius));
    ShapePainter shapes(painter, static_cast<int>(radius * 2), kUnits);
    shapes.Reel(QPointF(16, 16), 15.5);
    return pixmap;
}

QList<QPixmap> Artwork::ImageStrip() {
    QList<QPixmap> strip;
    strip.reserve(kStripCount);
    for (int index = 0; index < kStripCount; ++index) strip.append(ImageStripPainter::Paint(index));
    return strip;
}

QPixmap Artwork::StripImage(int index) { return ImageStripPainter::Paint(index); }
