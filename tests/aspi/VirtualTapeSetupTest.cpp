// How the virtual drive is set up from the environment, and that commands
// from several threads are carried out one at a time.

#include <thread>

#include "VtapeHarness.h"
#include "app/DefaultAdapters.h"
#include "support/EnvironmentGuard.h"

namespace {

using VtapeSetup = VtapeHarness;

TEST_F(VtapeSetup, ImageNameSelectsSingleCartridgeAndCapacityComesInMiB) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_VTAPE", "/some/where/t.aws");
    env.Set("TAPEWREN_VTAPE_CAPACITY_MB", "10");
    const auto config = VirtualTapeConfig::FromEnvironment();
    EXPECT_EQ(config.source, "/some/where/t.aws");
    EXPECT_FALSE(config.sourceIsFolder);
    EXPECT_FALSE(config.createFolder);
    EXPECT_EQ(config.capacity, 10ull << 20);
    EXPECT_GT(config.earlyWarning, 0u);
    EXPECT_LT(config.earlyWarning, config.capacity);
}

TEST_F(VtapeSetup, NonsenseCapacityKeepsTheDefault) {
    EnvironmentGuard env;
    for (const char* text : {"abc", "0", "-5", "12x", ""}) {
        env.Set("TAPEWREN_VTAPE_CAPACITY_MB", text);
        EXPECT_EQ(VirtualTapeConfig::FromEnvironment().capacity, VirtualTapeConfig::kDefaultCapacityMb << 20) << text;
    }
}

TEST_F(VtapeSetup, DefaultFolderLiesUnderXdgDataHomeOrHome) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_VTAPE", nullptr);
    env.Set("XDG_DATA_HOME", "/data");
    auto config = VirtualTapeConfig::FromEnvironment();
    EXPECT_EQ(config.source, "/data/tapewren/tapes");
    EXPECT_TRUE(config.sourceIsFolder);
    EXPECT_TRUE(config.createFolder);
    env.Set("XDG_DATA_HOME", "relative/ignored");
    env.Set("HOME", "/home/u");
    EXPECT_EQ(VirtualTapeConfig::FromEnvironment().source, "/home/u/.local/share/tapewren/tapes");
}

TEST_F(VtapeSetup, DefaultAdapterMakesItsFolderAndFirstCartridge) {
    EnvironmentGuard env;
    env.Set("TAPEWREN_VTAPE", nullptr);
    env.Set("XDG_DATA_HOME", dir_.c_str());
    InstallDefaultAdapters();
    ASSERT_GE(HostAdapterList::Count(), 1);
    HostAdapter* adapter = HostAdapterList::At(HostAdapterList::Count() - 1);
    EXPECT_EQ(adapter->Identifier(), "VIRTUAL TAPE");
    EXPECT_EQ(adapter->DeviceType(0), 1);
    struct stat info {};
    EXPECT_EQ(stat((dir_ + "/tapewren/tapes/tape01.tap").c_str(), &info), 0);
    HostAdapterList::Install({});
}

TEST_F(VtapeSetup, CommandsFromManyThreadsAreSerialised) {
    InstallImage("t.tap");
    constexpr int kThreads = 4, kRecords = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            const auto record = Blocks(1, 100 + t, t);
            for (int i = 0; i < kRecords; ++i) {
                EXPECT_TRUE(WriteRecord(record).Good());
                EXPECT_TRUE(TestUnitReady().Good());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    ASSERT_TRUE(Rewind().Good());
    int read = 0;
    std::vector<BYTE> in(200);
    for (;;) {
        const auto r = ReadRecord(in);
        if (r.Triple() == "08/00/05") break;
        ASSERT_TRUE(r.IncorrectLength()) << r.Triple();
        const int length = 200 - r.Information();
        ASSERT_TRUE(std::equal(in.begin(), in.begin() + length, Blocks(1, length, length - 100).begin()));
        ++read;
    }
    EXPECT_EQ(read, kThreads * kRecords);
}

}  // namespace
