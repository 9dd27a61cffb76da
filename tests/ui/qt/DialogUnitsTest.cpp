#include <gtest/gtest.h>

#include <QFontInfo>

#include "ui/qt/DialogUnits.h"

TEST(DialogUnits, DialogFontIsDejaVuSansCondensedAt11Pixels) {
    const QFont font = DialogUnits::DialogFont();
    EXPECT_EQ(font.pixelSize(), 11);
    // Falls back silently when fonts-dejavu-extra is missing: catch that here.
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans Condensed"));
}

TEST(DialogUnits, BaseUnitsAre6By13) {
    const DialogUnits dlu;
    EXPECT_EQ(dlu.BaseX(), 6);
    EXPECT_EQ(dlu.BaseY(), 13);
    EXPECT_EQ(dlu.Size(388, 270), QSize(582, 439));
}

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(DialogUnits::MulDiv(1, 6, 4), 2);     // 1.5
    EXPECT_EQ(DialogUnits::MulDiv(-1, 6, 4), -2);   // -1.5
    EXPECT_EQ(DialogUnits::MulDiv(20, 13, 8), 33);  // 32.5
    EXPECT_EQ(DialogUnits::MulDiv(10, 13, 8), 16);  // 16.25
    EXPECT_EQ(DialogUnits::MulDiv(7, 13, -8), -11); // -11.375
    EXPECT_EQ(DialogUnits::MulDiv(1 << 30, 8, 4), -1);  // does not fit: -1, like a zero divisor
    EXPECT_EQ(DialogUnits::MulDiv(1 << 30, 8, 8), 1 << 30);  // 64-bit product
    EXPECT_EQ(DialogUnits::MulDiv(5, 5, 0), -1);
}

TEST(DialogUnits, RectConvertsEachFieldOnItsOwn) {
    const DialogUnits dlu;
    // The message picture: 13,10,21,20 DLU. Converting the right edge
    // (34 DLU = 51 px) instead of the width would give 31, not 32.
    EXPECT_EQ(dlu.Rect(13, 10, 21, 20), QRect(20, 16, 32, 33));
}
