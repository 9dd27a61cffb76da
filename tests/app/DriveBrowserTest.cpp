// The hard-drive browser on a real folder tree: rows, order, sort keys,
// dates, sizes, patterns, drives from a mount table, and folders that
// cannot be entered.
#include "app/DriveBrowser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/MountTable.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "support/BrowserTree.h"
#include "support/ScriptedMessages.h"

namespace {

std::vector<std::string> Names(const ListModel& list) {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.Text(0));
    return names;
}

const ListRow* Find(const ListModel& list, const std::string& name) {
    for (const auto& row : list.Rows())
        if (row.Text(0) == name) return &row;
    return nullptr;
}

}  // namespace

class DriveBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        tree.Folder("mounts");
        // Only the disk filesystem whose mount point is a folder counts.
        WriteMounts("overlay / overlay rw 0 0\n"
                    "proc /proc proc rw 0 0\n"
                    "tmpfs " + tree.Path("mounts") + " tmpfs rw 0 0\n"
                    "/dev/sda1 " + tree.Root() + " ext4 rw 0 0\n"
                    "/dev/sda1 " + tree.Path("mounts/table") + " ext4 rw 0 0\n");
    }
    void WriteMounts(const std::string& text) {
        std::ofstream out(tree.Path("mounts/table"));
        out << text;
    }
    int Fill(const std::string& directory, const std::string& pattern = "*.*") {
        return browser.Fill(list, directory, pattern);
    }
    // The rows after the drive entries.
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (const auto& row : list.Rows())
            if (row.image != kImageDrive) names.push_back(row.Text(0));
        return names;
    }

    BrowserTree tree;
    ScriptedMessages messages;
    DriveBrowser browser{messages, tree.Path("mounts/table")};
    ListModel list;
};

TEST_F(DriveBrowserTest, ListsDrivesThenFoldersThenFilesByTheirFirstThreeBytes) {
    tree.Folder("work/sub");
    for (const char* name : {"Beta.txt", "alpha.txt", "Alpha.doc"}) tree.File(std::string("work/") + name, 1);
    ASSERT_EQ(Fill(tree.Path("work")), 0);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"/", tree.Root(), ".", "..", "sub", "Alpha.doc", "Beta.txt",
                                                     "alpha.txt"}));
    EXPECT_EQ(list.Row(0).Text(1), "<Drive>");
    EXPECT_EQ(list.Row(0).image, kImageDrive);
    EXPECT_EQ(Find(list, "sub")->Text(1), "<Dir>");
    EXPECT_EQ(Find(list, "sub")->image, kImageFolder);
    EXPECT_EQ(browser.CurrentPath(), tree.Path("work/"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DriveBrowserTest, BytesAboveAsciiSortAsNegativeSignedValues) {
    tree.File("Apple", 1);
    tree.File("\xC3\xA9" "clair", 1);
    ASSERT_EQ(Fill(tree.Root()), 0);
    const auto names = Entries();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[3], "\xC3\xA9" "clair");
    EXPECT_EQ(names[4], "Apple");
    EXPECT_LT(DriveBrowser::NameKey("\xC3\xA9" "clair"), 0);
    EXPECT_EQ(DriveBrowser::NameKey("Ab"), 'A' * 65536 + 'b' * 256);
}

TEST_F(DriveBrowserTest, DirectoryFileShowsItsTapeNameAndNoSize) {
    tree.File("Monday.twd", 78);
    tree.File("xtwd", 78);
    ASSERT_EQ(Fill(tree.Root()), 0);
    const ListRow* monday = Find(list, "Monday");
    ASSERT_NE(monday, nullptr);
    EXPECT_EQ(monday->Text(1), "<TapeDir>");
    EXPECT_EQ(monday->image, kImageDirFile);
    const ListRow* empty = Find(list, "");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Text(1), "<TapeDir>");
    EXPECT_EQ(empty->image, kImageDirFile);
}

TEST_F(DriveBrowserTest, OnlyALowerCaseZipEndingMakesAnArchive) {
    tree.File("notes.ZIP", 12);
    tree.File("backup.zip", 7);
    tree.File("zip", 3);
    ASSERT_EQ(Fill(tree.Root()), 0);
    EXPECT_EQ(Find(list, "notes.ZIP")->image, kImageFile);
    EXPECT_EQ(Find(list, "notes.ZIP")->Text(1), "12");
    EXPECT_EQ(Find(list, "backup.zip")->image, kImageArchive);
    EXPECT_EQ(Find(list, "zip")->image, kImageArchive);
}

TEST_F(DriveBrowserTest, DateHasNoLeadingZeros) {
    tree.File("old.txt", 1);
    ASSERT_TRUE(tree.SetDate("old.txt", 5, 3, 2000));
    ASSERT_EQ(Fill(tree.Root()), 0);
    EXPECT_EQ(Find(list, "old.txt")->Text(2), "5.3.2000");
}

TEST_F(DriveBrowserTest, FileOfThreeGibibytesShowsItsTrueSize) {
    ASSERT_TRUE(tree.SparseFile("huge.img", 3LL << 30));
    ASSERT_EQ(Fill(tree.Root()), 0);
    EXPECT_EQ(Find(list, "huge.img")->Text(1), "3221225472");
}

TEST_F(DriveBrowserTest, TwdPatternListsOnlyDirectoryFilesWithoutDrivesOrDots) {
    tree.File("Daily.twd", 78);
    tree.File("Daily.txt", 1);
    tree.Folder("sub");
    ASSERT_EQ(Fill(tree.Root(), "*.twd"), 0);
    EXPECT_EQ(Names(list), std::vector<std::string>{"Daily"});
}

TEST_F(DriveBrowserTest, RelativeNamesAreTakenFromTheCurrentPath) {
    tree.Folder("a/b");
    ASSERT_EQ(Fill(tree.Path("a")), 0);
    ASSERT_EQ(Fill("b"), 0);
    EXPECT_EQ(browser.CurrentPath(), tree.Path("a/b/"));
    ASSERT_EQ(Fill(".."), 0);
    EXPECT_EQ(browser.CurrentPath(), tree.Path("a/"));
    EXPECT_NE(Find(list, "b"), nullptr);
}

TEST_F(DriveBrowserTest, VanishedFolderIsRefusedAndTheListKept) {
    tree.Folder("gone");
    ASSERT_EQ(Fill(tree.Root()), 0);
    const auto before = Names(list);
    std::filesystem::remove(tree.Path("gone"));
    EXPECT_EQ(Fill("gone"), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Change Dir Error!", Error}}));
    EXPECT_EQ(Names(list), before);
    EXPECT_EQ(browser.CurrentPath(), tree.Root() + "/");
}

TEST_F(DriveBrowserTest, AFileIsNoFolderToEnter) {
    tree.File("plain", 1);
    EXPECT_EQ(Fill(tree.Path("plain")), -1);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(browser.CurrentPath(), "/");
}

TEST_F(DriveBrowserTest, RootHasNoDotEntries) {
    ASSERT_EQ(Fill("/"), 0);
    EXPECT_EQ(browser.CurrentPath(), "/");
    EXPECT_EQ(list.Row(0).Text(0), "/");
    EXPECT_EQ(Find(list, "."), nullptr);
    EXPECT_EQ(Find(list, ".."), nullptr);
}

TEST(MountTableTest, KeepsFolderMountPointsOfBlockDevicesOnceAndUnescaped) {
    BrowserTree tree;
    tree.Folder("with space");
    tree.Folder("data");
    tree.File("hosts", 1);
    std::ofstream(tree.Path("table")) << "sysfs /sys sysfs rw 0 0\n"
                                         "/dev/sda1 / ext4 rw 0 0\n"
                                         "/dev/sdb1 " << tree.Root() << "/with\\040space ext4 rw 0 0\n"
                                         "/dev/sda1 " << tree.Path("hosts") << " ext4 rw 0 0\n"
                                         "/dev/sdc1 " << tree.Path("data") << " xfs rw 0 0\n"
                                         "/dev/sdc1 " << tree.Path("data") << " xfs rw 0 0\n"
                                         "broken line\n";
    EXPECT_EQ(MountTable::DiskMountPoints(tree.Path("table")),
              (std::vector<std::string>{tree.Path("with space"), tree.Path("data")}));
    EXPECT_TRUE(MountTable::DiskMountPoints(tree.Path("missing")).empty());
}
