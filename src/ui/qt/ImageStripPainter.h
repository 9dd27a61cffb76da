#pragma once
// Paints the list views' 21 images of 16x16 pixels. By index:
//  0..2  disc in white, green, red        3..5  drive in grey, green, red
//  6..8  folder in yellow, green, red     9     open folder
// 10     white page                      11, 12 green, red page with a white diamond
// 13     tape cassette (directory file)  14..16 cubes in yellow, green, red (archive)
// 17     tick                            18     exclamation mark
// 19     magenta page with a white diamond
// 20     magenta stack of pages (archive marked for verify)

#include <QPixmap>

class ImageStripPainter {
public:
    static constexpr int kCount = 21;
    static constexpr int kSide = 16;

    // A transparent 16x16 pixmap; null for an index outside 0..20.
    static QPixmap Paint(int index);
};
