#pragma once
// The program's pictures in one consistent look: the window icon (the
// installed SVG icon file, rendered) and, painted in code, the tape reel
// picture, the six message icons, the arrow pictures and the 21 16x16
// images of the list views. Pixmaps have a transparent background.
//
// Resource numbers: 128 window icon (tape reel), 147 tape reel picture,
// 136/143/144/145/146/151 message icons, 141 red arrow right, 133 green
// arrow right, 158 magenta double arrow, 153 yellow arrow right, 154 yellow
// arrow left.

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

class Artwork {
public:
    static constexpr int kStripCount = 21;
    static constexpr int kStripSide = 16;

    // Window icon 128 in the usual sizes.
    static QIcon ProgramIcon();
    // Message icon of a kind (1..6); other kinds get the lightning (144).
    static QPixmap MessageIcon(int kind);
    // Icon resource 128, 133, 136, 141, 143..146, 151, 153, 154 or 158 at
    // side x side pixels; a null pixmap for any other number.
    static QPixmap Picture(int resourceId, int side = 32);
    // Bitmap 147: the tape reel picture, drawn to fill size.
    static QPixmap ReelPicture(QSize size);
    // The list views' images, index 0..20 (see ImageStripPainter).
    static QList<QPixmap> ImageStrip();
    static QPixmap StripImage(int index);
};
