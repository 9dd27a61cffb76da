// Export to the floppy folder: the selected rows in list order up to the
// first error, the file of a contents view whatever is selected, the status
// texts, and the drive's state at the end of every run.

#include "app/FloppyExport.h"

#include <gtest/gtest.h>

#include "catalog/DirFileCopy.h"
#include "jobs/MaintenanceHost.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "support/FloppyFolders.h"
#include "support/RecordingStatus.h"

namespace {

class CountingHost : public MaintenanceHost {
public:
    void ShowDriveStatus() override { ++driveStatus; }
    void ShowDirectoryFiles() override { ++directoryFiles; }
    int driveStatus = 0;
    int directoryFiles = 0;
};

class FloppyExportTest : public ::testing::Test {
protected:
    // The Utilities list of directory files with the named rows selected.
    void Rows(const std::vector<std::string>& names, const std::vector<std::string>& selected) {
        list.ClearRows();
        for (const auto& name : names) list.AddRow({{name, "<TapeDir>", "1.1.2026"}, kImageDirFile, 0});
        std::vector<bool> marks;
        for (const auto& name : names)
            marks.push_back(std::find(selected.begin(), selected.end(), name) != selected.end());
        list.SetSelection(marks, -1);
    }
    // shownCatalog: the tape whose catalog the list shows; empty for the
    // list of directory files.
    void Run(const std::string& shownCatalog = "") { exporter.Run(shownCatalog, list, host); }
    std::string Floppy(const std::string& tape) const { return folders.floppy + "/" + tape + ".twd"; }

    FloppyFolders folders;
    ScriptedMessages messages;
    RecordingStatus status;
    CountingHost host;
    ListModel list;
    DirFileCopy copy{messages, folders.start, folders.floppy};
    FloppyExport exporter{messages, status, copy};
};

TEST_F(FloppyExportTest, SelectedRowsAreCopiedInListOrderByteForByte) {
    const auto a = FloppyFolders::WriteCatalog(folders.start, "Alpha", {"x.txt"}, 11);
    FloppyFolders::WriteCatalog(folders.start, "Beta", {});
    const auto c = FloppyFolders::WriteCatalog(folders.start, "Gamma", {"y.txt", "z.zip"});
    Rows({"Alpha", "Beta", "Gamma"}, {"Gamma", "Alpha"});
    Run();
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Alpha")), a);
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Gamma")), c);
    EXPECT_FALSE(std::filesystem::exists(Floppy("Beta")));
    EXPECT_EQ(status.statuses, (std::vector<std::string>{" Writing 'Alpha.twd' to floppy...",
                                                          " Writing 'Gamma.twd' to floppy..."}));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(host.driveStatus, 1);
}

TEST_F(FloppyExportTest, FirstErrorStopsTheRest) {
    FloppyFolders::WriteCatalog(folders.start, "Alpha", {});
    FloppyFolders::WriteCatalog(folders.start, "Gamma", {});
    Rows({"Alpha", "Beta", "Gamma"}, {"Alpha", "Beta", "Gamma"});  // Beta.twd is gone
    Run();
    EXPECT_TRUE(std::filesystem::exists(Floppy("Alpha")));
    EXPECT_FALSE(std::filesystem::exists(Floppy("Gamma")));
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading Directory File from HD", Error}}));
    EXPECT_EQ(host.driveStatus, 1);
}

TEST_F(FloppyExportTest, ContentsViewExportsItsFileWhateverIsSelected) {
    const auto daily = FloppyFolders::WriteCatalog(folders.start, "Daily", {"a.txt"});
    FloppyFolders::WriteCatalog(folders.start, "a", {});
    list.ClearRows();
    list.AddRow({{"..", "<Up>"}, kImageDirFile, 0});
    list.AddRow({{"a", "10", "1.1.2026"}, kImageFile, 0});
    for (const std::vector<bool>& selection : {std::vector<bool>{false, false}, std::vector<bool>{false, true}}) {
        std::filesystem::remove(Floppy("Daily"));
        list.SetSelection(selection, -1);
        Run("Daily");
        EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Daily")), daily);
        EXPECT_FALSE(std::filesystem::exists(Floppy("a")));
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(status.statuses.back(), " Writing 'Daily.twd' to floppy...");
}

TEST_F(FloppyExportTest, LongTapeNameOfContentsViewIsTakenWhole) {
    const std::string name(60, 'L');
    const auto bytes = FloppyFolders::WriteCatalog(folders.start, "x", {});
    std::filesystem::rename(folders.start + "/x.twd", folders.start + "/" + name + ".twd");
    Run(name);
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy(name)), bytes);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FloppyExportTest, MissingFileOfContentsViewIsAReadError) {
    Run("Gone");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading Directory File from HD", Error}}));
    EXPECT_EQ(host.driveStatus, 1);
}

}  // namespace
