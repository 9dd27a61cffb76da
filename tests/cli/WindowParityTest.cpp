// The same jobs give the same bytes whether the window starts them or the
// command line does: the tape image, the catalog, VerifyResults.txt and a
// catalog rebuilt from tape. The window runs here without a toolkit (its
// controller, as the window tests drive it) on a cartridge folder of its own; tapewren-cli runs as a separate process on another.
// Dates are the day of the run on both sides (format date, backup date) or
// fixed file dates; a run that crosses midnight is skipped, not compared.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "CliFixture.h"
#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "jobs/SaveResults.h"
#include "lists/Tab.h"
#include "support/ScriptedMessages.h"
#include "tape/DateText.h"
#include "ui/WindowController.h"

namespace {

// The window started in wstart/ with the virtual drive on wtapes/.
class Window {
public:
    Window(const std::string& startFolder, const std::string& tapes)
        : previous_(std::filesystem::current_path()) {
        setenv("TAPEWREN_VTAPE", tapes.c_str(), 1);
        unsetenv("TAPEWREN_ISCSI");
        InstallDefaultAdapters();
        std::filesystem::current_path(startFolder);
        controller.Initialise(1);
    }
    ~Window() {
        HostAdapterList::Install({});
        std::filesystem::current_path(previous_);
        unsetenv("TAPEWREN_VTAPE");
    }

    // Browses to folder on tab and lays the tab out, as double clicks do.
    void ShowTab(int tab, const std::string& folder) {
        controller.State().browseDirectory = folder;
        controller.ChooseTab(tab);
    }
    // A click on each named row of the left list.
    void Mark(const std::vector<std::string>& names) {
        ListModel& list = controller.State().leftList;
        for (const std::string& name : names) {
            std::vector<bool> selected(list.RowCount(), false);
            std::ptrdiff_t focused = -1;
            for (std::size_t i = 0; i < list.RowCount(); ++i)
                if (list.Row(i).Text(0) == name) focused = static_cast<std::ptrdiff_t>(i);
            ASSERT_GE(focused, 0) << name;
            selected[static_cast<std::size_t>(focused)] = true;
            list.SetSelection(selected, focused);
            controller.ClickLeft();
        }
    }

    ScriptedMessages messages;
    ScriptedMessages browserMessages;
    WindowController controller{messages, browserMessages, "/nonexistent-mounts"};

private:
    std::filesystem::path previous_;
};

class WindowParityTest : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        for (const char* sub : {"wstart", "wtapes"}) std::filesystem::create_directories(Path(sub));
        Write("src/report.txt", Pattern(5000, 11));
        Write("src/photos.zip", Pattern(300000, 12));
        Write("src/empty.dat", "");
        Write("src/notes.zip", Pattern(1024, 13));
        for (const char* name : {"src/report.txt", "src/photos.zip", "src/empty.dat", "src/notes.zip"})
            ASSERT_TRUE(SetDate(name, 24, 12, 2020));
        day_ = TodayText();
    }
    std::string day_;
};

TEST_F(WindowParityTest, SameJobsGiveTheSameTapeCatalogVerifyResultsAndRebuiltCatalog) {
    const std::vector<std::string> files = {"report.txt", "photos.zip", "empty.dat", "notes.zip"};
    Window window(Path("wstart"), Path("wtapes"));
    ASSERT_EQ(window.controller.State().area, TabAreaState::Ready) << window.controller.State().statusText;

    window.controller.FormatTape("Daily");
    window.ShowTab(kBackupTab, Path("src"));
    window.Mark(files);
    window.messages.shown.clear();
    window.controller.Start();
    ASSERT_FALSE(window.messages.shown.empty());
    ASSERT_EQ(window.messages.shown.back().kind, Success) << window.messages.shown.back().text;

    ASSERT_EQ(cli->Run({"format", "Daily", "--yes"}).status, 0);
    // Named in another order than clicked: the folder's list decides.
    std::vector<std::string> paths = {"backup"};
    for (auto name = files.rbegin(); name != files.rend(); ++name) paths.push_back("../src/" + *name);
    const CliRun backup = cli->Run(paths);
    ASSERT_EQ(backup.status, 0) << backup.err;

    // Both sides wrote today's date as format and backup date.
    if (TodayText() != day_) GTEST_SKIP() << "the run crossed midnight; the sides wrote different dates";
    EXPECT_GT(Bytes(Tape()).size(), 306000u);
    EXPECT_EQ(Bytes(Tape()), Bytes(Path("wtapes/tape01.tap"))) << "tape images differ";
    EXPECT_EQ(Bytes(Catalog()), Bytes(Path("wstart/Daily.twd"))) << "catalogs differ";

    // Verify everything against a changed and a missing file.
    std::string changed = Read("src/photos.zip");
    changed[123456] = static_cast<char>(changed[123456] + 1);
    Write("src/photos.zip", changed);
    std::filesystem::remove(Path("src/notes.zip"));

    window.ShowTab(kVerifyTab, Path("src"));
    window.controller.MarkAll();
    window.controller.Start();
    ASSERT_EQ(window.controller.Results().Rows().size(), files.size());
    ASSERT_EQ(SaveResults(Path("wstart"), window.controller.Results(), window.messages), 0);

    const CliRun verify = cli->Run({"verify", "--in", "../src", "--report"});
    EXPECT_EQ(verify.status, 1) << verify.err;
    EXPECT_EQ(Read("start/VerifyResults.txt"), Read("wstart/VerifyResults.txt"));
    EXPECT_NE(Read("start/VerifyResults.txt").find("123456"), std::string::npos);

    // A catalog made from the tape.
    std::filesystem::remove(Catalog());
    std::filesystem::remove(Path("wstart/Daily.twd"));
    window.controller.CreateDirFileFromTape();
    ASSERT_EQ(cli->Run({"rebuild", "--yes"}).status, 0);
    EXPECT_EQ(Bytes(Catalog()), Bytes(Path("wstart/Daily.twd")));
    EXPECT_EQ(Bytes(Catalog()).size(), 78u + 4 * 286);
}

}  // namespace
