// Faults injected at chosen commands, cartridges that refuse what such
// cartridges refuse, and settings the drive cannot use.

#include "LtoHarness.h"
#include "support/EnvironmentGuard.h"

namespace {

class InjectedFault : public LtoHarness {
protected:
    void Start(const std::string& faults) {
        Install(WithFaults(Lto(Path("t.tap")), faults));
        PowerUp();
        ASSERT_TRUE(ModeSelect(0x10, 512).Good());
    }
    std::size_t Records() { return FileBytes(Path("t.tap")).size() / (8 + 512); }
};

TEST_F(InjectedFault, RecoveredErrorCompletesTheWrite) {
    Start("write#2=recovered");
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    EXPECT_EQ(WriteFixed(Blocks(1, 512, 1), 1).Triple(), "01/17/01");
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(2 * 512);
    ASSERT_TRUE(ReadFixed(in, 2).Good());
    EXPECT_EQ(in, Blocks(2, 512));
}

TEST_F(InjectedFault, CleaningRequestAfterACompletedReadSetsCleanNow) {
    Start("read#1=cleaning");
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(512);
    const auto r = ReadFixed(in, 1);
    EXPECT_EQ(r.Triple(), "00/00/17");
    EXPECT_FALSE(r.Filemark() || r.EndOfMedium() || r.IncorrectLength());
    EXPECT_EQ(in, Blocks(1, 512));
    EXPECT_TRUE(Drive().Alerts().IsSet(0x14));
}

TEST_F(InjectedFault, ResetLosesModeAndPositionInsteadOfWriting) {
    Start("write#2=reset");
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    EXPECT_EQ(WriteFixed(Blocks(1, 512, 1), 1).Triple(), "06/29/00");
    EXPECT_TRUE(TestUnitReady().Good()) << "the attention was that command's answer";
    EXPECT_EQ(ModeSense().blockLength, 0);
    EXPECT_EQ(Records(), 1u);
    std::vector<BYTE> in(512);
    ASSERT_TRUE(ReadRecord(in).Good()) << "at the beginning";
    EXPECT_EQ(in, Blocks(1, 512));
}

TEST_F(InjectedFault, MediumErrorLeavesTheTapeWhereItWas) {
    Start("read#2=medium,write#3=medium");
    ASSERT_TRUE(WriteFixed(Blocks(2, 512), 2).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 512, 2), 1).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(512);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    auto r = ReadFixed(in, 1);
    EXPECT_EQ(r.Triple(), "03/11/00");
    EXPECT_TRUE(r.Valid());
    EXPECT_EQ(r.Information(), 1);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 512, 1));
    ASSERT_TRUE(Space(3, 0).Good());
    r = WriteFixed(Blocks(1, 512, 3), 1);
    EXPECT_EQ(r.Triple(), "03/0C/00");
    EXPECT_EQ(r.Information(), 1);
    EXPECT_EQ(Records(), 3u);
    for (const int flag : {0x03, 0x04, 0x05, 0x06}) EXPECT_TRUE(Drive().Alerts().IsSet(flag)) << flag;
}

TEST_F(InjectedFault, DeferredErrorComesWithTheNextCommand) {
    Start("write#2=deferred");
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 512, 1), 1).Good()) << "buffered: the failure is not known yet";
    const auto r = TestUnitReady();
    EXPECT_EQ(r.sense[0], 0xF1) << "deferred error, INFORMATION valid";
    EXPECT_EQ(r.Triple(), "03/0C/00");
    EXPECT_EQ(r.Information(), 1);
    EXPECT_TRUE(TestUnitReady().Good());
    EXPECT_EQ(Records(), 1u) << "the failed write's data are not on the tape";
    EXPECT_TRUE(Drive().Alerts().IsSet(0x03));
    EXPECT_TRUE(Drive().Alerts().IsSet(0x06));
}

struct Refusal {
    CartridgeKind kind;
    const char* read;       // a READ of the first record
    const char* overwrite;  // a WRITE at the beginning, over that record
    const char* append;     // a WRITE at end of data
};

class RefusingCartridge : public LtoHarness, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusingCartridge, RefusesWithItsOwnSense) {
    Install(Config(Path("t.tap")));
    ASSERT_TRUE(WriteRecord(Blocks(1, 100)).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    VirtualTapeConfig config = Lto(Path("t.tap"));
    config.cartridgeKind = GetParam().kind;
    Install(config);
    PowerUp();
    auto triple = [](const CommandResult& r) { return r.Good() ? std::string("good") : r.Triple(); };
    std::vector<BYTE> in(100);
    EXPECT_EQ(triple(ReadRecord(in)), GetParam().read);
    ASSERT_TRUE(Rewind().Good());
    EXPECT_EQ(triple(WriteRecord(Blocks(1, 50))), GetParam().overwrite);
    ASSERT_TRUE(Space(3, 0).Good());
    EXPECT_EQ(triple(WriteRecord(Blocks(1, 50))), GetParam().append);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RefusingCartridge,
                         ::testing::Values(Refusal{CartridgeKind::Worm, "good", "07/30/0C", "good"},
                                           Refusal{CartridgeKind::Encrypted, "07/74/01", "good", "good"},
                                           Refusal{CartridgeKind::Unsupported, "03/30/00", "07/30/05", "07/30/05"}));

const char* const kSettings[] = {"TAPEWREN_VTAPE_DRIVE",     "TAPEWREN_VTAPE_READY_SECONDS",
                                 "TAPEWREN_VTAPE_LOAD",      "TAPEWREN_VTAPE_EARLY_WARNING_KB",
                                 "TAPEWREN_VTAPE_CARTRIDGE", "TAPEWREN_VTAPE_FAULTS",
                                 "TAPEWREN_VTAPE_STATS",     "TAPEWREN_VTAPE_CAPACITY_MB"};

TEST_F(InjectedFault, SettingsComeFromTheEnvironment) {
    EnvironmentGuard env;
    for (const char* name : kSettings) env.Set(name, nullptr);
    VirtualTapeConfig config = VirtualTapeConfig::FromEnvironment();
    EXPECT_EQ(config.personality, DrivePersonality::Plain);
    EXPECT_EQ(config.readyMs, 5000u);
    EXPECT_FALSE(config.loadCommandNeeded);
    EXPECT_EQ(config.earlyWarning, config.capacity / 32);
    EXPECT_EQ(config.cartridgeKind, CartridgeKind::Data);
    EXPECT_TRUE(config.faults.Empty());
    EXPECT_EQ(config.statisticsFile, "");
    EXPECT_EQ(config.problem, "");
    env.Set("TAPEWREN_VTAPE_DRIVE", "lto");
    env.Set("TAPEWREN_VTAPE_READY_SECONDS", "7");
    env.Set("TAPEWREN_VTAPE_LOAD", "command");
    env.Set("TAPEWREN_VTAPE_EARLY_WARNING_KB", "64");
    env.Set("TAPEWREN_VTAPE_CARTRIDGE", "worm");
    env.Set("TAPEWREN_VTAPE_FAULTS", "write#40=recovered, read#3=cleaning,any#9=alert:0x15");
    env.Set("TAPEWREN_VTAPE_STATS", "/tmp/stats");
    config = VirtualTapeConfig::FromEnvironment();
    EXPECT_EQ(config.problem, "");
    EXPECT_EQ(config.personality, DrivePersonality::Lto);
    EXPECT_EQ(config.readyMs, 7000u);
    EXPECT_TRUE(config.loadCommandNeeded);
    EXPECT_EQ(config.earlyWarning, 64u << 10);
    EXPECT_EQ(config.cartridgeKind, CartridgeKind::Worm);
    EXPECT_FALSE(config.faults.Empty());
    EXPECT_EQ(config.statisticsFile, "/tmp/stats");
}

struct BadSetting {
    const char* name;
    const char* value;
    bool lto;
};

class UnusableSetting : public LtoHarness, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(UnusableSetting, IsNamedAndKeepsTheDriveFromWorking) {
    EnvironmentGuard env;
    for (const char* name : kSettings) env.Set(name, nullptr);
    env.Set("TAPEWREN_VTAPE", Path("t.tap").c_str());
    env.Set("TAPEWREN_VTAPE_DRIVE", GetParam().lto ? "lto" : nullptr);
    env.Set(GetParam().name, GetParam().value);
    const VirtualTapeConfig config = VirtualTapeConfig::FromEnvironment();
    EXPECT_EQ(config.problem.rfind(std::string(GetParam().name) + " ", 0), 0u) << config.problem;
    Install(config);
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/03");
    EXPECT_EQ(Triple(RequestSense()), "02/04/03");
    EXPECT_EQ(Drive().Problem(), config.problem);
    struct stat info {};
    EXPECT_NE(stat(Path("t.tap").c_str(), &info), 0) << "no cartridge was touched";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, UnusableSetting,
    ::testing::Values(BadSetting{"TAPEWREN_VTAPE_DRIVE", "LTO", false},
                      BadSetting{"TAPEWREN_VTAPE_READY_SECONDS", "5", false},
                      BadSetting{"TAPEWREN_VTAPE_READY_SECONDS", "5s", true},
                      BadSetting{"TAPEWREN_VTAPE_LOAD", "manual", true},
                      BadSetting{"TAPEWREN_VTAPE_EARLY_WARNING_KB", "-1", false},
                      BadSetting{"TAPEWREN_VTAPE_EARLY_WARNING_KB", "4194304", false},
                      BadSetting{"TAPEWREN_VTAPE_CARTRIDGE", "tape", false},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "write#0=reset", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "write40=reset", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "wrte#4=reset", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "write#4=explode", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "tur#1=medium", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "read#1=deferred", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "read#1=alert:65", true},
                      BadSetting{"TAPEWREN_VTAPE_FAULTS", "write#4=reset,", true}));

}  // namespace
