// The LTO-like drive: becoming ready, unit attentions, early warning and the
// end of the cartridge, reads of other lengths, buffered mode, TapeAlert and
// the statistics, with the exact sense data a real drive gives.

#include <sys/stat.h>

#include "LtoHarness.h"

namespace {

using LtoDrive = LtoHarness;

TEST_F(LtoDrive, BecomesReadySecondsAfterEachLoad) {
    const std::string folder = Path("magazine");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    Install(Lto(folder, 5000));
    BYTE inquiry[36] = {};
    ASSERT_TRUE(Exec({0x12, 0, 0, 0, 36, 0}, SRB_DIR_IN, inquiry, sizeof inquiry).Good()) << "INQUIRY answers at once";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry + 8), 23), "VIRTUAL LTO TAPE DRIVE ");
    EXPECT_EQ(TestUnitReady().Triple(), "06/29/00");
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/01");
    EXPECT_EQ(Triple(RequestSense()), "02/04/01");
    std::vector<BYTE> in(10);
    EXPECT_EQ(ReadRecord(in).Triple(), "02/04/01");
    now_ += 4999;
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/01");
    now_ += 1;
    EXPECT_EQ(TestUnitReady().Triple(), "06/28/00");
    EXPECT_TRUE(TestUnitReady().Good());
    // The autoloader's next cartridge takes as long.
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/01");
    now_ += 5000;
    EXPECT_EQ(Triple(RequestSense()), "06/28/00") << "REQUEST SENSE takes the attention";
    EXPECT_TRUE(TestUnitReady().Good());
}

TEST_F(LtoDrive, CartridgeWaitsForALoadWhenSetSo) {
    VirtualTapeConfig config = Lto(Path("t.tap"), 5000);
    config.loadCommandNeeded = true;
    Install(config);
    EXPECT_EQ(TestUnitReady().Triple(), "06/29/00");
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/02");
    std::vector<BYTE> in(10);
    EXPECT_EQ(ReadRecord(in).Triple(), "02/04/02");
    EXPECT_EQ(Triple(RequestSense()), "02/04/02");
    now_ += 60000;
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/02") << "time alone does not load it";
    // LOAD returns once the cartridge is ready.
    ASSERT_TRUE(Load().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "06/28/00");
    EXPECT_TRUE(TestUnitReady().Good());
    // With the immediate bit it returns at once and the drive becomes ready.
    ASSERT_TRUE(Unload().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "02/3A/00");
    ASSERT_TRUE(Exec({0x1B, 0x01, 0, 0, 0x01, 0}).Good());
    EXPECT_EQ(TestUnitReady().Triple(), "02/04/01");
    now_ += 5000;
    EXPECT_EQ(TestUnitReady().Triple(), "06/28/00");
    EXPECT_TRUE(TestUnitReady().Good());
}

TEST_F(LtoDrive, AttentionAfterALoadMeansDefaultBlockLengthAndTheBeginning) {
    Install(Lto(Path("t.tap")));
    PowerUp();
    ASSERT_TRUE(ModeSelect(0x10, 512).Good());
    ASSERT_TRUE(WriteFixed(Blocks(2, 512), 2).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    ASSERT_TRUE(Unload().Good());
    ASSERT_TRUE(Load().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "06/28/00");
    EXPECT_EQ(ModeSense().blockLength, 0);
    std::vector<BYTE> in(512);
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Blocks(1, 512));
}

TEST_F(LtoDrive, EarlyWarningThenVolumeOverflowWritesWhatFits) {
    const std::uint64_t stride = 8 + 1024;  // a SIMH record of 1024 bytes
    VirtualTapeConfig config = Lto(Path("t.tap"), 0, 20 * stride);
    config.earlyWarning = 5 * stride;
    Install(config);
    PowerUp();
    ASSERT_TRUE(ModeSelect(0x10, 1024).Good());
    ASSERT_TRUE(WriteFixed(Blocks(15, 1024), 15).Good()) << "ends where the zone begins";
    for (const CommandResult& r : {WriteFixed(Blocks(1, 1024, 15), 1), WriteFilemarks(1)}) {
        EXPECT_EQ(r.Triple(), "00/00/02");
        EXPECT_TRUE(r.EndOfMedium());
        EXPECT_TRUE(r.Valid());
        EXPECT_EQ(r.Information(), 0);
    }
    auto r = WriteFixed(Blocks(5, 1024, 16), 5);
    EXPECT_EQ(r.Triple(), "0D/00/02");
    EXPECT_TRUE(r.EndOfMedium());
    EXPECT_TRUE(r.Valid());
    EXPECT_EQ(r.Information(), 2) << "three of five blocks fit";
    EXPECT_EQ(FileBytes(Path("t.tap")).size(), 19 * stride + 4);
    ASSERT_TRUE(ModeSelect(0x10, 0).Good());
    r = WriteRecord(Blocks(1, 2000));
    EXPECT_EQ(r.Triple(), "0D/00/02");
    EXPECT_EQ(r.Information(), 2000) << "variable mode counts bytes";
    EXPECT_EQ(FileBytes(Path("t.tap")).size(), 19 * stride + 4);
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(ModeSelect(0x10, 1024).Good());
    std::vector<BYTE> in(16 * 1024);
    ASSERT_TRUE(ReadFixed(in, 16).Good());
    EXPECT_EQ(in, Blocks(16, 1024));
    ASSERT_TRUE(Space(1, 1).Good());
    in.resize(3 * 1024);
    ASSERT_TRUE(ReadFixed(in, 3).Good());
    EXPECT_EQ(in, Blocks(3, 1024, 16));
}

TEST_F(LtoDrive, ReadsOfOtherLengthsAndEndOfDataGiveTheResidue) {
    Install(Lto(Path("t.aws")));
    PowerUp();
    for (const auto& [length, first] : {std::pair{64u, 0u}, std::pair{32u, 5u}, std::pair{64u, 6u}}) {
        ASSERT_TRUE(ModeSelect(0x10, length).Good());
        ASSERT_TRUE(WriteFixed(Blocks(1, length, first), 1).Good());
    }
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(ModeSelect(0x10, 64).Good());
    std::vector<BYTE> in(3 * 64);
    auto r = ReadFixed(in, 3);
    EXPECT_EQ(r.Triple(), "00/00/00");
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_FALSE(r.Filemark() || r.EndOfMedium());
    EXPECT_TRUE(r.Valid());
    EXPECT_EQ(r.Information(), 2) << "fixed mode: blocks not transferred";
    std::vector<BYTE> last(2 * 64);
    r = ReadFixed(last, 2);
    EXPECT_EQ(r.Triple(), "08/00/05") << "the tape stood after the short record";
    EXPECT_EQ(r.Information(), 1);
    EXPECT_TRUE(std::equal(last.begin(), last.begin() + 64, Blocks(1, 64, 6).begin()));
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(ModeSelect(0x10, 0).Good());
    in.assign(100, 0);
    r = ReadRecord(in);
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_EQ(r.Information(), 100 - 64);
    in.assign(16, 0);
    r = ReadRecord(in);
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_EQ(r.Information(), 16 - 32) << "overlength is negative";
    in.assign(64, 0);
    ASSERT_TRUE(ReadRecord(in).Good());
    in.assign(50, 0);
    r = ReadRecord(in);
    EXPECT_EQ(r.Triple(), "08/00/05");
    EXPECT_TRUE(r.Valid());
    EXPECT_EQ(r.Information(), 50);
}

TEST_F(LtoDrive, BufferedModeIsWhatModeSelectSet) {
    Install(Lto(Path("t.tap")));
    PowerUp();
    EXPECT_EQ(ModeSense().deviceSpecific, 0x10);
    // What the program sends today: 0 in the device-specific byte.
    ASSERT_TRUE(SetBlockLength(512).Good());
    EXPECT_EQ(ModeSense().deviceSpecific, 0x00);
    const std::uint64_t flushes = adapters_[0]->Statistics().flushes;
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 512, 1), 1).Good());
    EXPECT_EQ(adapters_[0]->Statistics().flushes, flushes + 2) << "every write waits for the medium";
    ASSERT_TRUE(ModeSelect(0x10, 512).Good());
    EXPECT_EQ(ModeSense().deviceSpecific, 0x10);
    ASSERT_TRUE(WriteFixed(Blocks(1, 512, 2), 1).Good());
    EXPECT_EQ(adapters_[0]->Statistics().flushes, flushes + 2);
    EXPECT_EQ(ModeSelect(0x30, 512).Triple(), "05/26/00");
    EXPECT_EQ(ModeSense().deviceSpecific, 0x10);
    // The plain drive keeps reporting buffered mode whatever is selected.
    Install(Config(Path("plain.tap")));
    ASSERT_TRUE(SetBlockLength(512).Good());
    EXPECT_EQ(ModeSense().deviceSpecific, 0x10);
}

TEST_F(LtoDrive, TapeAlertPageShowsFlagsOnceAndClearsThem) {
    Install(WithFaults(Lto(Path("t.tap")), "tur#2=alert:7,tur#3=cleaning"));
    PowerUp();
    ASSERT_TRUE(TestUnitReady().Good());
    EXPECT_EQ(TestUnitReady().Triple(), "00/00/17");
    std::vector<BYTE> pages(16, 0xEE);
    ASSERT_TRUE(LogSense(0x00, pages).Good());
    EXPECT_EQ(std::vector<BYTE>(pages.begin(), pages.begin() + 8), (std::vector<BYTE>{0, 0, 0, 3, 0, 0x2E, 0x31, 0xEE}));
    for (const bool firstRead : {true, false}) {
        std::vector<BYTE> page(400, 0xEE);
        ASSERT_TRUE(LogSense(0x2E, page).Good());
        EXPECT_EQ(page[0], 0x2E);
        EXPECT_EQ((page[2] << 8) | page[3], 64 * 5);
        for (int flag = 1; flag <= 64; ++flag) {
            const BYTE* parameter = &page[4 + (flag - 1) * 5];
            EXPECT_EQ((parameter[0] << 8) | parameter[1], flag);
            EXPECT_EQ(parameter[3], 1);
            const bool set = firstRead && (flag == 0x07 || flag == 0x14);
            EXPECT_EQ(parameter[4], set ? 1 : 0) << "flag " << flag << (firstRead ? "" : " after reading");
        }
        EXPECT_EQ(page[4 + 64 * 5], 0xEE);
    }
    Install(Config(Path("plain.tap")));
    EXPECT_EQ(LogSense(0x2E, pages).Triple(), "05/20/00") << "the plain drive has no log pages";
}

class DriveStatisticsTest : public LtoHarness, public ::testing::WithParamInterface<DrivePersonality> {};

TEST_P(DriveStatisticsTest, CountFlushesCommandsAndBytes) {
    VirtualTapeConfig config = Config(Path("t.tap"));
    config.personality = GetParam();
    config.readyMs = 0;
    config.statisticsFile = Path("stats.txt");
    Install(config);
    if (GetParam() == DrivePersonality::Lto) PowerUp();
    const DriveStatistics before = adapters_[0]->Statistics();
    std::vector<BYTE> in(2 * 512);
    ASSERT_TRUE(ModeSelect(0x10, 512).Good());
    ASSERT_TRUE(WriteFixed(Blocks(3, 512), 3).Good());
    ASSERT_TRUE(WriteFilemarks(1, true).Good());  // no flush
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());  // flush
    ASSERT_TRUE(WriteFilemarks(0).Good());  // flush
    ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
    ASSERT_TRUE(Rewind().Good());  // flush: data still buffered
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(ReadFixed(in, 2).Good());
    const DriveStatistics after = adapters_[0]->Statistics();
    EXPECT_EQ(after.commands - before.commands, 10u);
    EXPECT_EQ(after.writes, 3u);
    EXPECT_EQ(after.bytesWritten, 5u * 512);
    EXPECT_EQ(after.filemarks, 2u);
    EXPECT_EQ(after.flushes, 3u);
    EXPECT_EQ(after.reads, 1u);
    EXPECT_EQ(after.bytesRead, 2u * 512);
    Install(std::vector<VirtualTapeConfig>{});
    const std::vector<BYTE> line = FileBytes(Path("stats.txt"));
    EXPECT_EQ(std::string(line.begin(), line.end()), after.Line() + "\n");
    EXPECT_EQ(after.Line().substr(after.Line().find(" writes")),
              " writes=3 bytes_read=1024 bytes_written=2560 filemarks=2 flushes=3");
}

INSTANTIATE_TEST_SUITE_P(Personalities, DriveStatisticsTest,
                         ::testing::Values(DrivePersonality::Plain, DrivePersonality::Lto),
                         [](const auto& info) { return info.param == DrivePersonality::Lto ? "Lto" : "Plain"; });

}  // namespace
