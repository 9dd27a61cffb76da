#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "ui/qt/Artwork.h"

namespace {
struct Ink {
    int opaque = 0;
    int transparent = 0;
    double hue = -1;  // mean hue of the strongly coloured pixels, degrees
    int coloured = 0;
};

Ink Measure(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    Ink ink;
    double x = 0, y = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int col = 0; col < image.width(); ++col) {
            const QColor c = image.pixelColor(col, row);
            if (c.alpha() < 128) {
                ++ink.transparent;
                continue;
            }
            ++ink.opaque;
            if (c.hsvSaturation() > 120 && c.value() > 80) {
                ++ink.coloured;
                const double angle = c.hsvHueF() * 2 * 3.14159265;
                x += std::cos(angle);
                y += std::sin(angle);
            }
        }
    }
    if (ink.coloured > 0) {
        ink.hue = std::atan2(y, x) * 180 / 3.14159265;
        if (ink.hue < 0) ink.hue += 360;
    }
    return ink;
}

// Named colour of a mean hue, coarse enough for shading and outlines.
const char* HueName(double hue) {
    if (hue < 0) return "none";
    if (hue < 20 || hue >= 340) return "red";
    if (hue < 70) return "yellow";
    if (hue < 170) return "green";
    if (hue < 260) return "blue";
    return "magenta";
}
}  // namespace

TEST(ImageStrip, Has21DistinctTransparentImagesOf16x16) {
    const QList<QPixmap> strip = Artwork::ImageStrip();
    ASSERT_EQ(strip.size(), 21);
    for (int i = 0; i < strip.size(); ++i) {
        EXPECT_EQ(strip[i].size(), QSize(16, 16)) << i;
        const Ink ink = Measure(strip[i]);
        EXPECT_GT(ink.opaque, 20) << i;
        EXPECT_GT(ink.transparent, 10) << i;
        for (int j = i + 1; j < strip.size(); ++j) {
            EXPECT_NE(strip[i].toImage(), strip[j].toImage()) << i << " and " << j;
        }
    }
    EXPECT_TRUE(Artwork::StripImage(21).isNull());
    EXPECT_TRUE(Artwork::StripImage(-1).isNull());
}

class StripColours : public testing::TestWithParam<std::pair<int, const char*>> {};

// The marks are told apart by colour: a swapped index shows the wrong mark.
TEST_P(StripColours, ImageHasItsColour) {
    const auto [index, colour] = GetParam();
    EXPECT_STREQ(HueName(Measure(Artwork::StripImage(index)).hue), colour) << index;
}

INSTANTIATE_TEST_SUITE_P(
    MarksAndKinds, StripColours,
    testing::Values(std::pair{1, "green"}, std::pair{2, "red"}, std::pair{4, "green"}, std::pair{5, "red"},
                    std::pair{6, "yellow"}, std::pair{7, "green"}, std::pair{8, "red"}, std::pair{9, "yellow"},
                    std::pair{11, "green"}, std::pair{12, "red"}, std::pair{14, "yellow"},
                    std::pair{15, "green"}, std::pair{16, "red"}, std::pair{17, "green"},
                    std::pair{19, "magenta"}, std::pair{20, "magenta"}));

TEST(ImageStrip, UncolouredImagesStayGreyOrWhite) {
    for (int index : {0, 3, 10}) {
        const Ink ink = Measure(Artwork::StripImage(index));
        EXPECT_LT(ink.coloured, 8) << index;
    }
}

class PictureColours : public testing::TestWithParam<std::pair<int, const char*>> {};

TEST_P(PictureColours, DrawnAtBothSizesInTheirColour) {
    const auto [id, colour] = GetParam();
    for (int side : {16, 32}) {
        const QPixmap picture = Artwork::Picture(id, side);
        ASSERT_FALSE(picture.isNull()) << id;
        EXPECT_EQ(picture.size(), QSize(side, side));
        EXPECT_GT(Measure(picture).transparent, side) << id;
    }
    EXPECT_STREQ(HueName(Measure(Artwork::Picture(id, 32)).hue), colour) << id;
}

INSTANTIATE_TEST_SUITE_P(
    IconsAndArrows, PictureColours,
    testing::Values(std::pair{136, "yellow"}, std::pair{143, "red"}, std::pair{145, "blue"},
                    std::pair{146, "blue"}, std::pair{151, "blue"}, std::pair{141, "red"},
                    std::pair{133, "green"}, std::pair{158, "magenta"}, std::pair{153, "yellow"},
                    std::pair{154, "yellow"}));

TEST(Pictures, ArrowsPointTheirWay) {
    // A right arrow has its point, and so less ink, on the right half.
    auto halves = [](int id) {
        const QImage image = Artwork::Picture(id, 32).toImage();
        int left = 0, right = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (image.pixelColor(x, y).alpha() >= 128) ++(x < 16 ? left : right);
            }
        }
        return std::pair{left, right};
    };
    const auto [rightL, rightR] = halves(153);
    const auto [leftL, leftR] = halves(154);
    EXPECT_GT(rightR, rightL);
    EXPECT_GT(leftL, leftR);
    EXPECT_EQ(rightL, leftR);  // mirror images
}

TEST(Pictures, UnknownNumbersGiveNothing) {
    EXPECT_TRUE(Artwork::Picture(140).isNull());
    EXPECT_TRUE(Artwork::Picture(0).isNull());
    EXPECT_TRUE(Artwork::Picture(128, 0).isNull());
}

TEST(Pictures, ProgramIconOffersSmallAndLargeSizes) {
    const QIcon icon = Artwork::ProgramIcon();
    EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(icon.pixmap(32).toImage(), Artwork::Picture(128, 32).toImage());
    // Rendered from the compiled-in icon file: a round reel, not a blank.
    for (int side : {16, 32}) EXPECT_GT(Measure(Artwork::Picture(128, side)).opaque, side * side / 2) << side;
}

TEST(Pictures, ReelPictureFillsTheGivenArea) {
    const QPixmap reel = Artwork::ReelPicture(QSize(63, 62));
    EXPECT_EQ(reel.size(), QSize(63, 62));
    EXPECT_GT(Measure(reel).opaque, 63 * 62 / 3);
    EXPECT_TRUE(Artwork::ReelPicture(QSize(0, 10)).isNull());
}
