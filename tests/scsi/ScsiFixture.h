#pragma once
// Installs scripted host adapters behind the real ASPI stand-in and a sleep
// that only counts, so polls and retry pauses cost nothing and can be checked.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ScriptedTarget.h"
#include "aspi/HostAdapterList.h"
#include "scsi/Sleep.h"

class ScsiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        current_ = this;
        previousSleep_ = SetSleepFunction(&CountingSleep);
    }

    void TearDown() override {
        SetSleepFunction(previousSleep_);
        HostAdapterList::Install({});
        adapters.clear();
        current_ = nullptr;
    }

    // Replaces the stand-in's adapters; the list owns them.
    void InstallAdapters(const std::vector<std::string>& identifiers) {
        std::vector<std::unique_ptr<HostAdapter>> list;
        adapters.clear();
        for (const auto& id : identifiers) {
            auto adapter = std::make_unique<ScriptedTarget>(id);
            adapters.push_back(adapter.get());
            list.push_back(std::move(adapter));
        }
        HostAdapterList::Install(std::move(list));
    }

    // One adapter with a tape drive at target 4 and a disk at target 0.
    ScriptedTarget& InstallTapeAdapter() {
        InstallAdapters({"SCRIPTED HBA"});
        adapter().Model(0).type = 0;
        adapter().Model(4).type = 1;
        return adapter();
    }

    ScriptedTarget& adapter(int n = 0) { return *adapters[static_cast<std::size_t>(n)]; }

    long Pauses(unsigned milliseconds) const { return std::count(sleeps.begin(), sleeps.end(), milliseconds); }

    // Opcodes of the commands the adapter saw, in order.
    std::vector<int> Opcodes(int n = 0) {
        std::vector<int> result;
        for (const auto& c : adapter(n).commands) result.push_back(c.cdb.empty() ? -1 : c.cdb[0]);
        return result;
    }

    std::vector<unsigned> sleeps;
    std::vector<ScriptedTarget*> adapters;

private:
    static void CountingSleep(unsigned milliseconds) {
        current_->sleeps.push_back(milliseconds);
        for (auto* a : current_->adapters) a->OnPause();
        std::this_thread::yield();
    }

    static inline ScsiFixture* current_ = nullptr;
    SleepFunction previousSleep_ = nullptr;
};
