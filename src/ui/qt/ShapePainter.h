#pragma once
// The shapes the program's pictures are made of, in one look: a soft
// top-to-bottom shading, a darker outline of the fill colour, rounded
// corners. Coordinates are in the caller's units (the painter is scaled so
// that one unit is one pixel of a 16x16 or 32x32 design).

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>

class ShapePainter {
public:
    // Palette shared by every picture.
    static QColor Yellow() { return QColor(0xF2, 0xC2, 0x1B); }
    static QColor Red() { return QColor(0xD9, 0x36, 0x2B); }
    static QColor Green() { return QColor(0x2E, 0xA0, 0x47); }
    static QColor Blue() { return QColor(0x2F, 0x6F, 0xD0); }
    static QColor Magenta() { return QColor(0xC8, 0x2F, 0xB0); }
    static QColor Grey() { return QColor(0xA4, 0xA9, 0xAE); }
    static QColor White() { return QColor(0xFA, 0xFA, 0xFA); }
    static QColor Black() { return QColor(0x26, 0x28, 0x2C); }
    static QColor Tape() { return QColor(0x6B, 0x3E, 0x1F); }

    // Sets up antialiasing and scales painting so that `units` span `pixels`.
    ShapePainter(QPainter& painter, int pixels, double units);

    // Outline width in units; about one pixel.
    double Line() const { return line_; }

    void Disc(QPointF centre, double radius, QColor fill);
    void Box(QRectF rect, double corner, QColor fill);
    void Page(QRectF rect, QColor fill);
    void Diamond(QPointF centre, double half, QColor fill);
    void Folder(QRectF rect, QColor fill, bool open);
    void Drive(QRectF rect, QColor fill);
    void Cassette(QRectF rect);
    void Cube(QPointF top, double size, QColor fill);
    void Reel(QPointF centre, double radius);
    // An arrow filling rect, pointing right (+1), left (-1) or both ways (0).
    void Arrow(QRectF rect, QColor fill, int direction);
    void Tick(QRectF rect, QColor colour);
    void Lightning(QRectF rect, QColor fill);
    // A glyph ("?", "!", "i") centred in rect, height about rect's height.
    void Glyph(QRectF rect, const QString& glyph, QColor fill, bool serif);
    void Face(QPointF centre, double radius, QColor colour, bool smiling);

private:
    void FillShaded(const QPainterPath& path, QColor fill);

    QPainter& painter_;
    double line_;
};
