#include "ui/TabLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/ControlId.h"

namespace {

std::string Describe(const std::vector<ListColumn>& columns) {
    std::string text;
    for (const auto& c : columns)
        text += c.title + " " + std::to_string(c.width) + (c.align == ColumnAlign::Right ? " right" : "") + "; ";
    return text;
}

}  // namespace

TEST(TabLayoutColumns, BackupBrowsesLeftAndShowsTheCatalogRightWithNarrowSize) {
    const TabLayout& t = TabLayout::For(kBackupTab);
    EXPECT_EQ(Describe(t.leftColumns), "Filename 99; Size 63 right; FileDate 66; ");
    EXPECT_EQ(Describe(t.rightColumns), "Filename 99; Size 60 right; FileDate 66; BackupDate 80; ");
    EXPECT_EQ(t.leftRole, ListRole::DriveBrowser);
    EXPECT_EQ(t.rightRole, ListRole::TapeDirectory);
}

TEST(TabLayoutColumns, RestoreAndVerifyShowTheCatalogLeftAndBrowseRight) {
    for (int tab : {kRestoreTab, kVerifyTab}) {
        const TabLayout& t = TabLayout::For(tab);
        EXPECT_EQ(Describe(t.leftColumns), "Filename 99; Size 63 right; FileDate 66; BackupDate 80; ") << tab;
        EXPECT_EQ(Describe(t.rightColumns), "Filename 99; Size 63 right; FileDate 66; ") << tab;
        EXPECT_EQ(t.leftRole, ListRole::TapeDirectory);
        EXPECT_EQ(t.rightRole, ListRole::DriveBrowser);
    }
}

TEST(TabLayoutColumns, UtilitiesListsDirectoryFilesRightWithWideName) {
    const TabLayout& t = TabLayout::For(kUtilitiesTab);
    EXPECT_EQ(Describe(t.rightColumns), "Filename 112; Size 63 right; FileDate 66; ");
    EXPECT_EQ(t.leftRole, ListRole::Hidden);
    EXPECT_EQ(t.rightRole, ListRole::DirectoryFiles);
}

struct ShownCase {
    int tab;
    std::vector<int> shown;
    int defaultButton;
};

class TabLayoutShown : public testing::TestWithParam<ShownCase> {};

TEST_P(TabLayoutShown, ExactlyTheseAreaControlsShow) {
    const ShownCase& c = GetParam();
    const TabLayout& t = TabLayout::For(c.tab);
    for (int id : TabLayout::AreaControls()) {
        const bool expected = std::find(c.shown.begin(), c.shown.end(), id) != c.shown.end();
        EXPECT_EQ(t.Shows(id), expected) << "control " << id << " on tab " << c.tab;
    }
    for (int id : c.shown) EXPECT_NE(std::find(TabLayout::AreaControls().begin(), TabLayout::AreaControls().end(), id),
                                     TabLayout::AreaControls().end())
                               << id << " is not part of the tab area";
    EXPECT_EQ(t.defaultButton, c.defaultButton);
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, TabLayoutShown,
    testing::Values(
        ShownCase{kBackupTab,
                  {kStart, kBackupArrow, kLeftList, kLeftListLabel, kRightList, kRightListLabel, kRightDirTape},
                  kStart},
        ShownCase{kRestoreTab,
                  {kStart, kRestoreArrow, kLeftList, kLeftListLabel, kLeftDirTape, kMarkAll, kMarkNone, kRightList,
                   kRightListLabel},
                  kStart},
        ShownCase{kVerifyTab,
                  {kStart, kVerifyArrow, kLeftList, kLeftListLabel, kLeftDirTape, kMarkAll, kMarkNone, kRightList,
                   kRightListLabel},
                  kStart},
        ShownCase{kUtilitiesTab,
                  {kFormatTape, kRebuildArrow, kImportArrow, kExportArrow, kCheckTape, kEjectTape, kImportFromFloppy,
                   kCreateDirFile, kExportToFloppy, kFormatHint, kTapeNameField, kTapeNameLabel, kRightList,
                   kRightListLabel},
                  kFormatTape}));

TEST(TabLayoutArea, HoldsTheTwentyFourControlsHiddenBeforeADriveIsReady) {
    std::vector<int> area = TabLayout::AreaControls();
    std::sort(area.begin(), area.end());
    EXPECT_EQ(std::unique(area.begin(), area.end()), area.end());
    EXPECT_EQ(area.size(), 24u);
    EXPECT_EQ(std::find(area.begin(), area.end(), kDeviceStateLabel), area.end());
}
