// READ, WRITE, WRITE FILEMARKS and SPACE on both image formats: where the
// drive stops, what the sense data says, and what ends up in the file.

#include "VtapeHarness.h"

namespace {

class VtapeReadWrite : public VtapeHarness, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        VtapeHarness::SetUp();
        image_ = Path(std::string("t.") + GetParam());
        Install(Config(image_));
    }
    // File 1: three blocks; file 2: two blocks; both closed by a filemark.
    void WriteTwoFiles(std::uint32_t length) {
        ASSERT_TRUE(SetBlockLength(length).Good());
        ASSERT_TRUE(WriteFixed(Blocks(3, length), 3).Good());
        ASSERT_TRUE(WriteFilemarks(1).Good());
        ASSERT_TRUE(WriteFixed(Blocks(2, length, 3), 2).Good());
        ASSERT_TRUE(WriteFilemarks(1).Good());
        ASSERT_TRUE(Rewind().Good());
    }
    std::string image_;
};

TEST_P(VtapeReadWrite, FixedReadRoundTripsBlocks) {
    WriteTwoFiles(1024);
    std::vector<BYTE> in(3 * 1024);
    ASSERT_TRUE(ReadFixed(in, 3).Good());
    EXPECT_EQ(in, Blocks(3, 1024));
}

TEST_P(VtapeReadWrite, FixedReadIntoFilemarkStopsAfterItWithResidue) {
    WriteTwoFiles(512);
    std::vector<BYTE> in(5 * 512);
    const auto r = ReadFixed(in, 5);
    EXPECT_EQ(r.status, SS_ERR);
    EXPECT_EQ(r.targetStatus, STATUS_CHKCOND);
    EXPECT_EQ(r.Key(), 0);
    EXPECT_TRUE(r.Filemark());
    EXPECT_EQ(r.Asc(), 0x00);
    EXPECT_EQ(r.Ascq(), 0x01);
    EXPECT_TRUE(r.Valid());
    EXPECT_EQ(r.Information(), 2);
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + 3 * 512, Blocks(3, 512).begin()));
    // Past the filemark: the second file.
    std::vector<BYTE> next(2 * 512);
    ASSERT_TRUE(ReadFixed(next, 2).Good());
    EXPECT_EQ(next, Blocks(2, 512, 3));
}

TEST_P(VtapeReadWrite, VariableReadOfFilemarkReportsWholeRequestAsResidue) {
    ASSERT_TRUE(WriteFilemarks(1).Good());
    ASSERT_TRUE(WriteRecord(Blocks(1, 100)).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(300);
    const auto r = ReadRecord(in);
    EXPECT_TRUE(r.Filemark());
    EXPECT_EQ(r.Information(), 300);
    in.assign(100, 0);
    ASSERT_TRUE(ReadRecord(in).Good());
    EXPECT_EQ(in, Blocks(1, 100));
}

TEST_P(VtapeReadWrite, ReadAtEndOfDataIsBlankCheckInBothModes) {
    ASSERT_TRUE(WriteRecord(Blocks(1, 10)).Good());
    std::vector<BYTE> in(64);
    auto r = ReadRecord(in);
    EXPECT_EQ(r.Triple(), "08/00/05");
    EXPECT_FALSE(r.EndOfMedium());
    EXPECT_EQ(r.Information(), 64);
    ASSERT_TRUE(SetBlockLength(16).Good());
    r = ReadFixed(in, 4);
    EXPECT_EQ(r.Triple(), "08/00/05");
    EXPECT_EQ(r.Information(), 4);
    // An empty tape is all end of data.
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(WriteFilemarks(0).Good());
    ASSERT_TRUE(Space(1, 0).Good());
}

TEST_P(VtapeReadWrite, VariableReadOfShorterRecordSetsIliWithPositiveResidue) {
    ASSERT_TRUE(WriteRecord(Blocks(1, 100)).Good());
    ASSERT_TRUE(WriteRecord(Blocks(1, 100, 1)).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(150);
    const auto r = ReadRecord(in);
    EXPECT_EQ(r.Key(), 0);
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_EQ(r.Information(), 50);
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + 100, Blocks(1, 100).begin()));
    // SILI suppresses a short record's ILI.
    EXPECT_TRUE(ReadRecord(in, 0, 0x02).Good());
}

TEST_P(VtapeReadWrite, VariableReadOfLongerRecordTruncatesAndReportsNegativeResidue) {
    const auto record = Blocks(1, 70000);  // several AWS segments
    ASSERT_TRUE(WriteRecord(record).Good());
    ASSERT_TRUE(WriteRecord(Blocks(1, 8, 9)).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(1000);
    const auto r = ReadRecord(in, 0, 0x02);  // SILI does not hide an overlength record
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_EQ(r.Information(), 1000 - 70000);
    EXPECT_TRUE(std::equal(in.begin(), in.end(), record.begin()));
    in.assign(8, 0);
    ASSERT_TRUE(ReadRecord(in).Good()) << "the drive must be past the long record";
    EXPECT_EQ(in, Blocks(1, 8, 9));
}

TEST_P(VtapeReadWrite, FixedReadOfRecordWithOtherLengthSetsIliAndPassesIt) {
    ASSERT_TRUE(SetBlockLength(64).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 64), 1).Good());
    ASSERT_TRUE(SetBlockLength(32).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 32, 5), 1).Good());
    ASSERT_TRUE(SetBlockLength(64).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 64, 6), 1).Good());
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(3 * 64);
    const auto r = ReadFixed(in, 3);
    EXPECT_EQ(r.Key(), 0);
    EXPECT_TRUE(r.IncorrectLength());
    EXPECT_EQ(r.Information(), 2);
    std::vector<BYTE> last(64);
    ASSERT_TRUE(ReadFixed(last, 1).Good());
    EXPECT_EQ(last, Blocks(1, 64, 6));
}

TEST_P(VtapeReadWrite, FixedTransferWithoutBlockLengthOrWithSiliIsRefused) {
    std::vector<BYTE> buffer(64);
    EXPECT_EQ(WriteFixed(buffer, 1).Triple(), "05/24/00");  // still in variable mode
    ASSERT_TRUE(SetBlockLength(64).Good());
    EXPECT_EQ(Exec(Cdb(0x08, 0x03, 1), SRB_DIR_IN, buffer.data(), 64).Triple(), "05/24/00");
    // A buffer smaller than the transfer is never overrun.
    EXPECT_EQ(WriteFixed(buffer, 2).Triple(), "05/24/00");
}

TEST_P(VtapeReadWrite, SpaceFilemarksPastEndOfDataIsBlankCheckWithResidue) {
    WriteTwoFiles(128);
    const auto r = Space(1, 5);
    EXPECT_EQ(r.Triple(), "08/00/05");
    EXPECT_EQ(r.Information(), 3);
    // Appending goes at end of data.
    std::vector<BYTE> in(128);
    EXPECT_EQ(ReadFixed(in, 1).Triple(), "08/00/05");
}

TEST_P(VtapeReadWrite, SpaceFilemarksBackPastBeginningReportsBeginningOfMedium) {
    WriteTwoFiles(128);
    ASSERT_TRUE(Space(3, 0).Good());
    const auto r = Space(1, -5);
    EXPECT_EQ(r.Key(), 0);
    EXPECT_TRUE(r.EndOfMedium());
    EXPECT_EQ(r.Asc(), 0x00);
    EXPECT_EQ(r.Ascq(), 0x04);
    EXPECT_EQ(r.Information(), -3);
    std::vector<BYTE> in(128);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 128));
}

TEST_P(VtapeReadWrite, SpaceFilemarksBackwardStopsBeforeTheFilemark) {
    WriteTwoFiles(128);
    ASSERT_TRUE(Space(3, 0).Good());
    ASSERT_TRUE(Space(1, -1).Good());
    // Before the second filemark: the next read meets it at once.
    std::vector<BYTE> in(128);
    EXPECT_TRUE(ReadFixed(in, 1).Filemark());
    ASSERT_TRUE(Space(1, -2).Good());
    EXPECT_TRUE(ReadFixed(in, 1).Filemark()) << "before the first filemark";
}

TEST_P(VtapeReadWrite, SpaceBlocksStopsAtFilemarksInBothDirections) {
    WriteTwoFiles(128);
    auto r = Space(0, 5);
    EXPECT_TRUE(r.Filemark());
    EXPECT_EQ(r.Information(), 2);
    std::vector<BYTE> in(128);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 128, 3));
    r = Space(0, -3);  // back over one block, then the filemark stops it
    EXPECT_TRUE(r.Filemark());
    EXPECT_EQ(r.Information(), -2);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 128, 3));
    r = Space(0, -1000);
    ASSERT_TRUE(Space(1, -1).Good());
    r = Space(0, -1000);
    EXPECT_TRUE(r.EndOfMedium());
    EXPECT_EQ(r.Information(), -997);
}

TEST_P(VtapeReadWrite, SpaceToEndOfDataThenWriteAppends) {
    WriteTwoFiles(256);
    ASSERT_TRUE(Space(3, 0).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 256, 9), 1).Good());
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(Space(1, 2).Good());
    std::vector<BYTE> in(256);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 256, 9));
}

TEST_P(VtapeReadWrite, WritingInTheMiddleCutsTheTapeThere) {
    WriteTwoFiles(256);
    const auto before = FileBytes(image_).size();
    ASSERT_TRUE(Space(0, 1).Good());
    ASSERT_TRUE(WriteFixed(Blocks(1, 256, 7), 1).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    EXPECT_LT(FileBytes(image_).size(), before);
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(3 * 256);
    const auto r = ReadFixed(in, 3);
    EXPECT_TRUE(r.Filemark());
    EXPECT_EQ(r.Information(), 1);
    EXPECT_TRUE(std::equal(in.begin(), in.begin() + 256, Blocks(1, 256).begin()));
    EXPECT_TRUE(std::equal(in.begin() + 256, in.begin() + 512, Blocks(1, 256, 7).begin()));
    EXPECT_EQ(ReadFixed(in, 1).Triple(), "08/00/05");
    // A fresh drive sees the same tape.
    Install(Config(image_));
    ASSERT_TRUE(SetBlockLength(256).Good());
    ASSERT_TRUE(Space(1, 1).Good());
    EXPECT_EQ(ReadFixed(in, 1).Triple(), "08/00/05");
}

TEST_P(VtapeReadWrite, FilemarkWithoutImmediateLeavesCompleteFileOnDisk) {
    ASSERT_TRUE(SetBlockLength(1024).Good());
    ASSERT_TRUE(WriteFixed(Blocks(64, 1024), 64).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    // A separate open of the file (what survives this process) holds every
    // block and the filemark.
    const auto bytes = FileBytes(image_);
    const std::size_t perRecord = std::string(GetParam()) == "tap" ? 8 : 6;
    ASSERT_EQ(bytes.size(), 64 * (1024 + perRecord) + (perRecord == 8 ? 4 : 6));
    const auto blocks = Blocks(64, 1024);
    for (std::size_t n = 0; n < 64; ++n) {
        const std::size_t at = n * (1024 + perRecord) + (perRecord == 8 ? 4 : 6);
        ASSERT_TRUE(std::equal(blocks.begin() + n * 1024, blocks.begin() + (n + 1) * 1024, bytes.begin() + at))
            << "block " << n;
    }
}

TEST_P(VtapeReadWrite, EarlyWarningThenVolumeOverflowNearCapacity) {
    Install(Config(image_, 64 * 1024));  // early warning in the last 2 KiB
    ASSERT_TRUE(SetBlockLength(1024).Good());
    int warned = -1;
    for (int i = 0; i < 80 && warned < 0; ++i) {
        const auto r = WriteFixed(Blocks(1, 1024, i), 1);
        if (!r.Good()) {
            EXPECT_EQ(r.Triple(), "00/00/02");
            EXPECT_TRUE(r.EndOfMedium());
            EXPECT_EQ(r.Information(), 0);
            warned = i;
        }
    }
    ASSERT_GT(warned, 50);
    // Written despite the warning.
    const auto size = FileBytes(image_).size();
    EXPECT_GT(size, 62u * 1024);
    // Another block still fits; a transfer that does not fit writes nothing.
    auto r = WriteFixed(Blocks(1, 1024, 100), 1);
    EXPECT_EQ(r.Triple(), "00/00/02");
    const auto filled = FileBytes(image_).size();
    r = WriteFixed(Blocks(4, 1024), 4);
    EXPECT_EQ(r.Triple(), "0D/00/02");
    EXPECT_TRUE(r.EndOfMedium());
    EXPECT_EQ(r.Information(), 4);
    EXPECT_EQ(FileBytes(image_).size(), filled);
    // Everything reported as written reads back.
    ASSERT_TRUE(Rewind().Good());
    std::vector<BYTE> in(1024);
    for (int i = 0; i <= warned; ++i) {
        ASSERT_TRUE(ReadFixed(in, 1).Good()) << i;
        ASSERT_EQ(in, Blocks(1, 1024, i)) << i;
    }
}

TEST_P(VtapeReadWrite, WriteProtectedImageRefusesWritesAndShowsWpBit) {
    WriteTwoFiles(128);
    Install(std::vector<VirtualTapeConfig>{});
    ASSERT_EQ(chmod(image_.c_str(), 0444), 0);
    const auto before = FileBytes(image_);
    Install(Config(image_));
    EXPECT_EQ(ModeSense().deviceSpecific & 0x80, 0x80);
    ASSERT_TRUE(SetBlockLength(128).Good());
    EXPECT_EQ(WriteFixed(Blocks(1, 128), 1).Triple(), "07/27/00");
    EXPECT_EQ(WriteFilemarks(1).Triple(), "07/27/00");
    std::vector<BYTE> in(3 * 128);
    ASSERT_TRUE(ReadFixed(in, 3).Good());
    EXPECT_EQ(in, Blocks(3, 128));
    EXPECT_EQ(FileBytes(image_), before);
}

TEST_P(VtapeReadWrite, SmallIndexForHundredThousandBlocks) {
    ASSERT_TRUE(SetBlockLength(512).Good());
    const auto data = Blocks(1000, 512);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(WriteFixed(data, 1000).Good());
    ASSERT_TRUE(WriteFilemarks(1).Good());
    EXPECT_EQ(Drive().Loaded()->Index().RunCount(), 2u);
    for (int file = 0; file < 10; ++file) {
        ASSERT_TRUE(WriteFixed(Blocks(1, 512), 1).Good());
        ASSERT_TRUE(WriteFixed(data, 50).Good());
        ASSERT_TRUE(WriteFilemarks(1).Good());
    }
    EXPECT_EQ(Drive().Loaded()->Index().RunCount(), 22u);
    // Loading reads nothing; spacing to end of data scans the same index.
    Install(Config(image_));
    EXPECT_EQ(Drive().Loaded()->Index().RunCount(), 0u);
    ASSERT_TRUE(Space(3, 0).Good());
    EXPECT_EQ(Drive().Loaded()->Index().RunCount(), 22u);
    ASSERT_TRUE(Rewind().Good());
    ASSERT_TRUE(SetBlockLength(512).Good());
    ASSERT_TRUE(Space(0, 99999).Good());
    std::vector<BYTE> in(512);
    ASSERT_TRUE(ReadFixed(in, 1).Good());
    EXPECT_EQ(in, Blocks(1, 512, 999));
    EXPECT_TRUE(ReadFixed(in, 1).Filemark());
}

TEST_P(VtapeReadWrite, RecordsAndTransfersLargerThanTheImageWindowRoundTrip) {
    // The drive reads and frames through a 1 MiB window.
    const std::uint32_t lengths[] = {300001, (1u << 20) + 3, 5, 3u << 20};
    for (const std::uint32_t n : lengths) ASSERT_TRUE(WriteRecord(Blocks(1, n, n)).Good()) << n;
    ASSERT_TRUE(SetBlockLength(4096).Good());
    ASSERT_TRUE(WriteFixed(Blocks(300, 4096), 300).Good());
    Install(Config(image_));  // a fresh load scans what was written
    std::vector<BYTE> part(1000);
    ASSERT_EQ(ReadRecord(part).Information(), 1000 - 300001);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), Blocks(1, 300001, 300001).begin()));
    for (const std::uint32_t n : {lengths[1], lengths[2], lengths[3]}) {
        std::vector<BYTE> in(n);
        ASSERT_TRUE(ReadRecord(in).Good()) << n;
        EXPECT_EQ(in, Blocks(1, n, n)) << n;
    }
    ASSERT_TRUE(SetBlockLength(4096).Good());
    std::vector<BYTE> in(300 * 4096);
    ASSERT_TRUE(ReadFixed(in, 300).Good());
    EXPECT_EQ(in, Blocks(300, 4096));
}

INSTANTIATE_TEST_SUITE_P(Formats, VtapeReadWrite, ::testing::Values("tap", "aws"));

}  // namespace
