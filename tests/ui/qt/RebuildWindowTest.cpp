// "Create Directory File from Tape Contents" clicked on the Utilities tab
// with a hand-made tape in the virtual drive: the questions, the new
// directory file in the start directory and the list that shows it.

#include <QTreeWidget>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "ModalScript.h"
#include "WindowTestSupport.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "catalog/DirFile.h"
#include "scsi/Sleep.h"
#include "support/FloppyFolders.h"
#include "support/HandBuiltBlocks.h"
#include "support/ScriptedMessages.h"
#include "support/TapImage.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"

namespace {

const std::string kQuestion =
    "This function will take a while.\n(You can do a full restore without the Directory file.)\n\nCreate the "
    "Directory File anyway?";

class RebuildWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        SetSleepFunction([](unsigned) { std::this_thread::yield(); });
        // Ident block "Hand", then two file records of a header and one block.
        const std::size_t length = 1024;
        std::vector<TapObject> tape = {{false, HandBuilt::Ident(length, "Hand", "01.02.2003", "1.6")}, {true, {}}};
        for (const char* name : {"first.txt", "second.zip"}) {
            tape.push_back({false, HandBuilt::Header(length, 1, name, "03.04.2005", "06.07.2008", 10, 1)});
            tape.push_back({false, std::vector<std::uint8_t>(length, 0)});
            tape.push_back({true, {}});
        }
        image = folders.root + "/tape.tap";
        TapImage::Write(image, tape);
        setenv("TAPEWREN_VTAPE", image.c_str(), 1);
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(CreateVirtualHostAdapter());
        Install(std::move(adapters));
        ASSERT_EQ(chdir(folders.start.c_str()), 0);
        Open();
        ClickTab(kUtilitiesTab);
    }
    void TearDown() override {
        WindowTest::TearDown();
        unsetenv("TAPEWREN_VTAPE");
        SetSleepFunction(nullptr);
    }

    std::vector<std::string> RightRows() {
        auto* list = Get<QTreeWidget>(kRightList);
        std::vector<std::string> texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i) texts.push_back(list->topLevelItem(i)->text(0).toStdString());
        return texts;
    }
    void ClickRebuild() { QTest::mouseClick(Get<QPushButton>(kCreateDirFile), Qt::LeftButton); }

    FloppyFolders folders;
    std::string image;
    ModalScript script;
};

TEST_F(RebuildWindowTest, RebuiltDirectoryFileAppearsInTheList) {
    ASSERT_TRUE(RightRows().empty());
    script.Message().Message().Start();
    ClickRebuild();
    ASSERT_TRUE(script.Finished()) << (script.Unexpected().empty() ? "" : script.Unexpected()[0]);
    EXPECT_EQ(script.Messages(), (std::vector<ModalScript::Seen>{{"Question", kQuestion},
                                                               {"Yeah!", "Finished creating Directory File\nA DirFile made from the tape holds no "
                                                                         "checksums: scrub, restore and verify cannot "
                                                                         "check these files' data against the data "
                                                                         "that was backed up."}}));
    EXPECT_EQ(RightRows(), std::vector<std::string>{"Hand"});
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    ScriptedMessages quiet;
    DirFile dirFile(quiet);
    const std::string path = folders.start + "/Hand.twd";
    EXPECT_EQ(dirFile.CountEntries(path), 2);
    std::string name, date, version;
    ASSERT_EQ(dirFile.ReadIdent(path, name, date, version), 0);
    EXPECT_EQ(date, "01.02.2003");
}

TEST_F(RebuildWindowTest, DecliningTheQuestionWritesNothing) {
    script.Message(false).Start();
    ClickRebuild();
    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(std::filesystem::is_empty(folders.start));
    EXPECT_TRUE(RightRows().empty());
}

TEST_F(RebuildWindowTest, DecliningTheOverwriteKeepsTheOldFile) {
    const auto old = FloppyFolders::WriteCatalog(folders.start, "Hand", {"old.txt"});
    script.Message().Message(false).Start();
    ClickRebuild();
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Texts(),
              (std::vector<std::string>{kQuestion, "A tape with that name exists already. Overwrite?"}));
    EXPECT_EQ(FloppyFolders::ReadBytes(folders.start + "/Hand.twd"), old);
}

}  // namespace
