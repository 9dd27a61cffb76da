#pragma once
// Converts dialog units (DLU) into pixels the way the dialog templates were
// laid out: DejaVu Sans Condensed at 11 px has the same base units (6x13) as
// the templates' original font, so template coordinates can be used as they
// are. Every window of the program places its controls through this class.

#include <QFont>
#include <QRect>
#include <QSize>

class DialogUnits {
public:
    // The dialogs' font: DejaVu Sans Condensed, pixel size 11.
    static QFont DialogFont();

    // Base units of the dialog font.
    DialogUnits();
    // Base units of any font (for tests and for a missing dialog font).
    explicit DialogUnits(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int X(int dlu) const;  // horizontal: dlu * baseX / 4, rounded
    int Y(int dlu) const;  // vertical: dlu * baseY / 8, rounded
    QRect Rect(int x, int y, int w, int h) const;  // each field on its own
    QSize Size(int w, int h) const;

    // a * b / c with a 64-bit product, rounded half away from zero; -1 when
    // c is 0 or the result does not fit an int.
    static int MulDiv(int a, int b, int c);

private:
    int baseX_;
    int baseY_;
};
