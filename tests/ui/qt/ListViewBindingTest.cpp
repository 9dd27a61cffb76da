// A list model shown in a list view, and the user's selection handed back.
#include "ui/qt/ListViewBinding.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "ui/qt/Artwork.h"

class ListViewBindingTest : public testing::Test {
protected:
    void SetUp() override {
        view.resize(300, 200);
        model.SetColumns({{"Filename", 99, ColumnAlign::Left}, {"Size", 63, ColumnAlign::Right}});
        model.AddRow({{"alpha.txt", "10"}, 10, 0});
        model.AddRow({{"beta.zip", "20"}, 14, 0});
        model.AddRow({{"gamma.txt", "30"}, 12, 0});
        binding.Render(model);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint RowCentre(int row) { return view.visualItemRect(view.topLevelItem(row)).center(); }

    QTreeWidget view;
    ListViewBinding binding{view, Artwork::ImageStrip()};
    ListModel model;
};

TEST_F(ListViewBindingTest, RowsColumnsAndAlignmentAreShown) {
    ASSERT_EQ(view.topLevelItemCount(), 3);
    EXPECT_EQ(view.topLevelItem(1)->text(0), "beta.zip");
    EXPECT_EQ(view.topLevelItem(1)->text(1), "20");
    EXPECT_TRUE(view.topLevelItem(1)->textAlignment(1) & Qt::AlignRight);
    EXPECT_EQ(view.columnWidth(0), 99);
    EXPECT_FALSE(view.header()->sectionsClickable());
    EXPECT_FALSE(view.topLevelItem(0)->icon(0).isNull());
}

TEST_F(ListViewBindingTest, CtrlClickSelectsSeveralAndTheLastClickHasTheFocus) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, RowCentre(2));
    binding.WriteBack(model);
    EXPECT_TRUE(model.Row(0).selected);
    EXPECT_FALSE(model.Row(1).selected);
    EXPECT_TRUE(model.Row(2).selected);
    EXPECT_EQ(model.FocusedIndex(), 2);
}

TEST_F(ListViewBindingTest, ChangedImageIsRedrawnAndSelectionKept) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(1));
    binding.WriteBack(model);
    const QImage before = view.topLevelItem(1)->icon(0).pixmap(16, 16).toImage();
    model.SetImage(1, 16);
    binding.Render(model);
    EXPECT_NE(view.topLevelItem(1)->icon(0).pixmap(16, 16).toImage(), before);
    EXPECT_TRUE(view.topLevelItem(1)->isSelected());
    EXPECT_EQ(view.currentItem(), view.topLevelItem(1));
}

TEST_F(ListViewBindingTest, UnchangedModelLeavesTheUsersSelectionAlone) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(2));
    binding.Render(model);  // selection not yet written back
    EXPECT_TRUE(view.topLevelItem(2)->isSelected());
}

TEST_F(ListViewBindingTest, SelectedRowShowsItsMarkInItsOwnColours) {
    // Somewhere in the row every opaque pixel of the picture stands as
    // painted, whatever the highlight behind it.
    auto shows = [](const QImage& row, const QImage& picture) {
        for (int oy = 0; oy + picture.height() <= row.height(); ++oy)
            for (int ox = 0; ox + picture.width() <= row.width(); ++ox) {
                bool same = true;
                for (int y = 0; y < picture.height() && same; ++y)
                    for (int x = 0; x < picture.width() && same; ++x)
                        if (picture.pixelColor(x, y).alpha() == 255)
                            same = picture.pixelColor(x, y).rgb() == row.pixelColor(ox + x, oy + y).rgb();
                if (same) return true;
            }
        return false;
    };
    // gamma.txt, marked red, selected; the focus (drawn over its row) on
    // the row above.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, RowCentre(2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, RowCentre(1));
    ASSERT_TRUE(view.topLevelItem(2)->isSelected());
    const QImage row = view.viewport()->grab(view.visualItemRect(view.topLevelItem(2))).toImage();
    EXPECT_TRUE(shows(row, Artwork::ImageStrip()[kImageFileBackup].toImage()));
}

TEST_F(ListViewBindingTest, SizesOfAnyMagnitudeAreShownWholeAndNamesHaveTheirTooltip) {
    model.AddRow({{"a-long-name-the-column-cuts.iso", "1992294400"}, 10, 0});
    binding.Render(model);
    const int needed = view.fontMetrics().horizontalAdvance(QStringLiteral("1992294400"));
    EXPECT_GE(view.columnWidth(1), needed + 2 * view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin));
    EXPECT_EQ(view.topLevelItem(3)->toolTip(0), "a-long-name-the-column-cuts.iso");
}
