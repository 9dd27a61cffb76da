#include "lists/ListModel.h"

#include <gtest/gtest.h>

#include "lists/ListImage.h"
#include "lists/MarkedRows.h"

class ListModelTest : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) model.AddRow({{"row" + std::to_string(i), std::to_string(i * 10)}, 10, 2 - i});
    }
    ListModel model;
};

TEST_F(ListModelTest, MissingColumnTextIsEmpty) {
    EXPECT_EQ(model.Row(0).Text(1), "0");
    EXPECT_EQ(model.Row(0).Text(3), "");
}

TEST_F(ListModelTest, SelectionFromTheViewMarksRowsAndOneFocus) {
    model.SetSelection({true, false, true}, 2);
    EXPECT_TRUE(model.Row(0).selected);
    EXPECT_FALSE(model.Row(1).selected);
    EXPECT_TRUE(model.Row(2).selected);
    EXPECT_EQ(model.FocusedIndex(), 2);
    model.SetSelection({}, 7);
    EXPECT_FALSE(model.Row(0).selected);
    EXPECT_EQ(model.FocusedIndex(), -1);
}

TEST_F(ListModelTest, ContentChangesBumpTheRevisionSelectionDoesNot) {
    const auto before = model.Revision();
    model.SetSelection({true}, 0);
    EXPECT_EQ(model.Revision(), before);
    model.SetImage(1, 12);
    EXPECT_GT(model.Revision(), before);
    const auto afterImage = model.Revision();
    model.SetImage(1, 12);  // unchanged image: nothing to redraw
    EXPECT_EQ(model.Revision(), afterImage);
    model.SetImage(9, 12);  // beyond the list: ignored
    EXPECT_EQ(model.Revision(), afterImage);
}

TEST_F(ListModelTest, SortByDataOrdersAscending) {
    model.SortByData();
    EXPECT_EQ(model.Row(0).Text(0), "row2");
    EXPECT_EQ(model.Row(2).Text(0), "row0");
}

TEST(MarkedRowsTest, MarkQueriesCountByImageInListOrder) {
    ListModel list;
    list.AddRow({{"a"}, kImageFileBackup, 0});
    list.AddRow({{"b"}, kImageFile, 0});
    list.AddRow({{"c.zip"}, kImageArchiveBackup, 0});
    list.AddRow({{"d"}, kImageFileBackup, 0});
    std::string name = "kept";
    EXPECT_EQ(MarkedRows::Count(list, kImageFileBackup), 2);
    MarkedRows::NthName(list, kImageFileBackup, 2, name);
    EXPECT_EQ(name, "d");
    MarkedRows::NthName(list, kImageFileBackup, 3, name);
    EXPECT_EQ(name, "");
    EXPECT_EQ(MarkedRows::IsMarkedAt(list, kImageArchiveBackup, 2), 1);
    EXPECT_EQ(MarkedRows::IsMarkedAt(list, kImageArchiveBackup, 1), 0);
    EXPECT_EQ(MarkedRows::IsMarkedAt(list, kImageArchiveBackup, 4), -1);
}
