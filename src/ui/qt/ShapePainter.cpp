#include "ui/qt/ShapePainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace {
QColor Outline(QColor fill) {
    // Light fills (white pages) need a clearly visible grey edge.
    return fill.lightness() > 200 ? QColor(0x70, 0x74, 0x78) : fill.darker(170);
}
}  // namespace

ShapePainter::ShapePainter(QPainter& painter, int pixels, double units)
    : painter_(painter), line_(units / pixels) {
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
    painter_.scale(pixels / units, pixels / units);
}

void ShapePainter::FillShaded(const QPainterPath& path, QColor fill) {
    const QRectF bounds = path.boundingRect();
    QLinearGradient shade(bounds.topLeft(), bounds.bottomLeft());
    shade.setColorAt(0.0, fill.lighter(125));
    shade.setColorAt(1.0, fill.darker(108));
    painter_.setPen(QPen(Outline(fill), line_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.setBrush(shade);
    painter_.drawPath(path);
}

void ShapePainter::Disc(QPointF centre, double radius, QColor fill) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    shade.setColorAt(0.0, fill.lighter(140));
    shade.setColorAt(1.0, fill.darker(115));
    painter_.setPen(QPen(Outline(fill), line_));
    painter_.setBrush(shade);
    painter_.drawPath(path);
}

void ShapePainter::Box(QRectF rect, double corner, QColor fill) {
    QPainterPath path;
    path.addRoundedRect(rect, corner, corner);
    FillShaded(path, fill);
}

void ShapePainter::Page(QRectF rect, QColor fill) {
    const double fold = rect.width() * 0.35;
    QPainterPath path;
    path.moveTo(rect.topLeft());
    path.lineTo(rect.right() - fold, rect.top());
    path.lineTo(rect.right(), rect.top() + fold);
    path.lineTo(rect.bottomRight());
    path.lineTo(rect.bottomLeft());
    path.closeSubpath();
    FillShaded(path, fill);
    QPainterPath corner;
    corner.moveTo(rect.right() - fold, rect.top());
    corner.lineTo(rect.right() - fold, rect.top() + fold);
    corner.lineTo(rect.right(), rect.top() + fold);
    painter_.setBrush(fill.lighter(150));
    painter_.drawPath(corner);
}

void ShapePainter::Diamond(QPointF centre, double half, QColor fill) {
    QPainterPath path;
    path.moveTo(centre.x(), centre.y() - half);
    path.lineTo(centre.x() + half, centre.y());
    path.lineTo(centre.x(), centre.y() + half);
    path.lineTo(centre.x() - half, centre.y());
    path.closeSubpath();
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(fill);
    painter_.drawPath(path);
}

void ShapePainter::Folder(QRectF rect, QColor fill, bool open) {
    const double tab = rect.height() * 0.22;
    QPainterPath back;
    back.moveTo(rect.left(), rect.top() + tab);
    back.lineTo(rect.left(), rect.top());
    back.lineTo(rect.left() + rect.width() * 0.4, rect.top());
    back.lineTo(rect.left() + rect.width() * 0.5, rect.top() + tab);
    back.lineTo(rect.right(), rect.top() + tab);
    back.lineTo(rect.bottomRight());
    back.lineTo(rect.bottomLeft());
    back.closeSubpath();
    FillShaded(back, fill.darker(115));
    QPainterPath front;
    if (open) {
        // The front flap leans forward, showing the folder's inside.
        const double lean = rect.width() * 0.18;
        front.moveTo(rect.left() + lean, rect.top() + tab * 2.2);
        front.lineTo(rect.right() + lean * 0.4, rect.top() + tab * 2.2);
        front.lineTo(rect.right(), rect.bottom());
        front.lineTo(rect.left(), rect.bottom());
    } else {
        front.moveTo(rect.left(), rect.top() + tab * 1.8);
        front.lineTo(rect.right(), rect.top() + tab * 1.8);
        front.lineTo(rect.bottomRight());
        front.lineTo(rect.bottomLeft());
    }
    front.closeSubpath();
    FillShaded(front, fill);
}

void ShapePainter::Drive(QRectF rect, QColor fill) {
    const double depth = rect.height() * 0.35;
    QPainterPath top;
    top.moveTo(rect.left() + depth, rect.top());
    top.lineTo(rect.right(), rect.top());
    top.lineTo(rect.right() - depth, rect.top() + depth);
    top.lineTo(rect.left(), rect.top() + depth);
    top.closeSubpath();
    FillShaded(top, fill.lighter(120));
    QPainterPath side;
    side.moveTo(rect.right(), rect.top());
    side.lineTo(rect.right(), rect.bottom() - depth);
    side.lineTo(rect.right() - depth, rect.bottom());
    side.lineTo(rect.right() - depth, rect.top() + depth);
    side.closeSubpath();
    FillShaded(side, fill.darker(125));
    const QRectF face(rect.left(), rect.top() + depth, rect.width() - depth, rect.height() - depth);
    Box(face, 0.0, fill);
    // The activity light.
    const double led = face.height() * 0.28;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor(0x7C, 0xE0, 0x5A));
    painter_.drawRect(QRectF(face.right() - led * 2.2, face.center().y() - led / 2, led * 1.4, led));
}

void ShapePainter::Cassette(QRectF rect) {
    Box(rect, rect.height() * 0.12, Black().lighter(160));
    const QRectF label(rect.left() + rect.width() * 0.12, rect.top() + rect.height() * 0.14,
                       rect.width() * 0.76, rect.height() * 0.5);
    Box(label, rect.height() * 0.06, White());
    const double hole = label.height() * 0.26;
    const QPointF left(label.left() + label.width() * 0.3, label.center().y());
    const QPointF right(label.left() + label.width() * 0.7, label.center().y());
    painter_.setPen(QPen(Tape(), line_ * 1.2));
    painter_.setBrush(Tape().lighter(170));
    painter_.drawEllipse(left, hole, hole);
    painter_.drawEllipse(right, hole, hole);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Black());
    const QRectF head(rect.left() + rect.width() * 0.3, rect.bottom() - rect.height() * 0.22,
                      rect.width() * 0.4, rect.height() * 0.14);
    painter_.drawRect(head);
}

void ShapePainter::Cube(QPointF top, double size, QColor fill) {
    const double h = size / 2;
    QPainterPath upper;
    upper.moveTo(top);
    upper.lineTo(top.x() + size, top.y() + h);
    upper.lineTo(top.x(), top.y() + size);
    upper.lineTo(top.x() - size, top.y() + h);
    upper.closeSubpath();
    FillShaded(upper, fill.lighter(125));
    QPainterPath left;
    left.moveTo(top.x() - size, top.y() + h);
    left.lineTo(top.x(), top.y() + size);
    left.lineTo(top.x(), top.y() + size * 2);
    left.lineTo(top.x() - size, top.y() + size * 1.5);
    left.closeSubpath();
    FillShaded(left, fill);
    QPainterPath right;
    right.moveTo(top.x() + size, top.y() + h);
    right.lineTo(top.x(), top.y() + size);
    right.lineTo(top.x(), top.y() + size * 2);
    right.lineTo(top.x() + size, top.y() + size * 1.5);
    right.closeSubpath();
    FillShaded(right, fill.darker(130));
}

void ShapePainter::Reel(QPointF centre, double radius) {
    // Flange, the wound tape, then the hub with its three windows.
    Disc(centre, radius, QColor(0x8F, 0xA8, 0xC0));
    painter_.setPen(QPen(Tape().darker(130), line_));
    painter_.setBrush(Tape());
    painter_.drawEllipse(centre, radius * 0.78, radius * 0.78);
    Disc(centre, radius * 0.45, QColor(0xC8, 0xD4, 0xE0));
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(QColor(0x45, 0x55, 0x66));
    for (int k = 0; k < 3; ++k) {
        const double angle = -std::numbers::pi / 2 + k * 2 * std::numbers::pi / 3;
        const QPointF at(centre.x() + std::cos(angle) * radius * 0.26,
                         centre.y() + std::sin(angle) * radius * 0.26);
        painter_.drawEllipse(at, radius * 0.11, radius * 0.11);
    }
    painter_.drawEllipse(centre, radius * 0.07, radius * 0.07);
}

void ShapePainter::Arrow(QRectF rect, QColor fill, int direction) {
    const double shaft = rect.height() * 0.2;
    const double head = rect.width() * (direction == 0 ? 0.34 : 0.44);
    const double midY = rect.center().y();
    QPainterPath path;
    // Built pointing right, mirrored for left.
    const double left = rect.left();
    const double right = rect.right();
    path.moveTo(right, midY);
    path.lineTo(right - head, rect.top());
    path.lineTo(right - head, midY - shaft);
    if (direction == 0) {
        path.lineTo(left + head, midY - shaft);
        path.lineTo(left + head, rect.top());
        path.lineTo(left, midY);
        path.lineTo(left + head, rect.bottom());
        path.lineTo(left + head, midY + shaft);
    } else {
        path.lineTo(left, midY - shaft);
        path.lineTo(left, midY + shaft);
    }
    path.lineTo(right - head, midY + shaft);
    path.lineTo(right - head, rect.bottom());
    path.closeSubpath();
    if (direction < 0) {
        QTransform mirror;
        mirror.translate(rect.center().x(), 0).scale(-1, 1).translate(-rect.center().x(), 0);
        path = mirror.map(path);
    }
    FillShaded(path, fill);
}

void ShapePainter::Tick(QRectF rect, QColor colour) {
    QPainterPath path;
    path.moveTo(rect.left(), rect.top() + rect.height() * 0.55);
    path.lineTo(rect.left() + rect.width() * 0.38, rect.bottom());
    path.lineTo(rect.right(), rect.top());
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(colour.darker(150), rect.width() * 0.28, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.drawPath(path);
    painter_.setPen(QPen(colour, rect.width() * 0.17, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.drawPath(path);
}

void ShapePainter::Lightning(QRectF rect, QColor fill) {
    const double w = rect.width();
    const double h = rect.height();
    QPainterPath path;
    path.moveTo(rect.left() + w * 0.55, rect.top());
    path.lineTo(rect.left() + w * 0.05, rect.top() + h * 0.58);
    path.lineTo(rect.left() + w * 0.45, rect.top() + h * 0.55);
    path.lineTo(rect.left() + w * 0.3, rect.bottom());
    path.lineTo(rect.left() + w * 0.95, rect.top() + h * 0.38);
    path.lineTo(rect.left() + w * 0.55, rect.top() + h * 0.42);
    path.lineTo(rect.left() + w * 0.75, rect.top());
    path.closeSubpath();
    FillShaded(path, fill);
}

void ShapePainter::Glyph(QRectF rect, const QString& glyph, QColor fill, bool serif) {
    QFont font(serif ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(100);
    QPainterPath path;
    path.addText(0, 0, font, glyph);
    // Fit the glyph's own outline, not the font's line box, into rect.
    const QRectF bounds = path.boundingRect();
    const double scale = rect.height() / bounds.height();
    QTransform place;
    place.translate(rect.center().x(), rect.center().y());
    place.scale(scale, scale);
    place.translate(-bounds.center().x(), -bounds.center().y());
    path = place.map(path);
    painter_.setPen(QPen(fill.darker(160), line_ * 0.8));
    painter_.setBrush(fill);
    painter_.drawPath(path);
}

void ShapePainter::Face(QPointF centre, double radius, QColor colour, bool smiling) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    const double eye = radius * 0.14;
    painter_.drawEllipse(QPointF(centre.x() - radius * 0.35, centre.y() - radius * 0.25), eye, eye * 1.3);
    painter_.drawEllipse(QPointF(centre.x() + radius * 0.35, centre.y() - radius * 0.25), eye, eye * 1.3);
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(colour, radius * 0.14, Qt::SolidLine, Qt::RoundCap));
    const double mouth = radius * 0.55;
    if (smiling) {
        const QRectF arc(centre.x() - mouth, centre.y() - mouth * 0.55, mouth * 2, mouth * 1.6);
        painter_.drawArc(arc, 200 * 16, 140 * 16);
    } else {
        const QRectF arc(centre.x() - mouth, centre.y() + radius * 0.3, mouth * 2, mouth * 1.4);
        painter_.drawArc(arc, 25 * 16, 130 * 16);
    }
}
