#pragma once
// The window's logic and commands without a window, started in a scratch
// start directory with a drive of the test's choosing. Messages of the
// window and of the browser are recorded apart.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/BrowserTree.h"
#include "aspi/HostAdapterList.h"
#include "scsi/DeviceSelector.h"
#include "scsi/ScsiDevice.h"
#include "scsi/Sleep.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/MainWindowLogic.h"
#include "ui/WindowCommands.h"

class CommandsFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        previousSleep_ = SetSleepFunction([](unsigned) {});
        previousDirectory_ = std::filesystem::current_path();
        tree.Folder("start");
    }
    void TearDown() override {
        commands.reset();
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
        commands = std::make_unique<WindowCommands>(logic, messages, browserMessages, selector.Address(), device,
                                                    tree.Path("no-mounts"));
        logic.SetListFiller(commands.get());
        logic.Initialise(1);
        ASSERT_EQ(logic.State().area, TabAreaState::Ready) << logic.State().statusText;
    }

    WindowState& State() { return logic.State(); }
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
    ScsiDevice device;
    DeviceSelector selector{device};
    MainWindowLogic logic{messages, selector};
    std::unique_ptr<WindowCommands> commands;

private:
    SleepFunction previousSleep_ = nullptr;
    std::filesystem::path previousDirectory_;
};
