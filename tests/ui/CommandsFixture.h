#pragma once
// The window's controller without a window, started in a scratch start
// directory with a drive of the test's choosing. Messages of the window and
// of the browser are recorded apart.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "scsi/Sleep.h"
#include "support/BrowserTree.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/WindowController.h"

class CommandsFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        previousSleep_ = SetSleepFunction([](unsigned) {});
        previousDirectory_ = std::filesystem::current_path();
        tree.Folder("start");
    }
    void TearDown() override {
        window.reset();
        HostAdapterList::Install({});
        std::filesystem::current_path(previousDirectory_);
        SetSleepFunction(previousSleep_);
    }

    // A tape drive with 1024-byte blocks that knows no tape commands, for
    // tests of the lists only.
    void InstallScriptedDrive() { HostAdapterList::Install(ScriptedDriveAdapter::OneTapeDrive(1)); }

    // Starts in tree/start, as the program does in the folder it was run in.
    void Start() {
        std::filesystem::current_path(tree.Path("start"));
        window = std::make_unique<WindowController>(messages, browserMessages, tree.Path("no-mounts"));
        window->Initialise(1);
        ASSERT_EQ(State().area, TabAreaState::Ready) << State().statusText;
    }

    WindowState& State() { return window->State(); }
    // The session's texts that name the current tape.
    std::string& TapeName() { return window->Shared().CurrentTapeName(); }
    std::string& DirFilePath() { return window->Shared().CurrentDirFilePath(); }
    std::int64_t& BytesTotal() { return window->Shared().Counters().bytesTotal; }
    // The user clicks row `focused` with the rows in `alsoSelected` still
    // selected (Ctrl-click).
    static void Click(ListModel& list, std::size_t focused, const std::vector<std::size_t>& alsoSelected = {}) {
        std::vector<bool> selected(list.RowCount(), false);
        for (std::size_t i : alsoSelected) selected[i] = true;
        selected[focused] = true;
        list.SetSelection(selected, static_cast<std::ptrdiff_t>(focused));
    }
    static std::ptrdiff_t IndexOf(const ListModel& list, const std::string& name) {
        for (std::size_t i = 0; i < list.RowCount(); ++i)
            if (list.Row(i).Text(0) == name) return static_cast<std::ptrdiff_t>(i);
        ADD_FAILURE() << "no row " << name;
        return 0;
    }
    static int ImageOf(const ListModel& list, const std::string& name) {
        return list.Row(static_cast<std::size_t>(IndexOf(list, name))).image;
    }
    static std::vector<std::string> Names(const ListModel& list) {
        std::vector<std::string> names;
        for (const auto& row : list.Rows()) names.push_back(row.Text(0));
        return names;
    }

    BrowserTree tree;
    ScriptedMessages messages;
    ScriptedMessages browserMessages;
    std::unique_ptr<WindowController> window;

private:
    SleepFunction previousSleep_ = nullptr;
    std::filesystem::path previousDirectory_;
};
