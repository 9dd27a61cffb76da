// Writing file records: the transfer plan on tape, progress, and every
// failure with its message, its result and what it leaves on tape.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "aspi/virtual/VirtualTapeConfig.h"
#include "support/TapeFixture.h"

namespace {

constexpr std::uint8_t kWrite6 = 0x0A;
constexpr std::uint8_t kWriteFilemarks = 0x10;

class BackupFileTest : public TapeFixture {};

TEST_F(BackupFileTest, ProgressGrowsByBytesReadPerTransfer) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    // 1024-byte blocks: one 64-block transfer, three of 10, four single blocks.
    const std::size_t size = 65536 + 3 * 10240 + 3 * 1024 + 100;
    WriteFile(Src() + "p", Pattern(size, 1));
    counters.bytesDone = 0;
    counters.bytesTotal = 1000000;
    ASSERT_EQ(volume->BackupFile("p", Src(), 1024), 0);
    const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {
        {65536, 1000000},  {75776, 1000000},  {86016, 1000000},  {96256, 1000000},
        {97280, 1000000},  {98304, 1000000},  {99328, 1000000},  {99428, 1000000}};
    EXPECT_EQ(status.progress, expected);
    EXPECT_EQ(counters.bytesDone, static_cast<std::int64_t>(size));
}

TEST_F(BackupFileTest, TransfersAre64Then10ThenSingleBlocks) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    // Transfer length (CDB bytes 2 to 4) of every WRITE(6).
    std::vector<int> writes;
    faults->beforeCdb = [&](std::span<const std::uint8_t> cdb) {
        if (cdb[0] == kWrite6) writes.push_back(cdb[2] << 16 | cdb[3] << 8 | cdb[4]);
    };
    WriteFile(Src() + "q", Pattern(64 * 1024 * 2 + 63 * 1024 + 5, 2));
    ASSERT_EQ(volume->BackupFile("q", Src(), 1024), 0);
    // header, 2 x 64, 6 x 10, then 3 full single blocks and the padded last one
    std::vector<int> expected = {1, 64, 64, 10, 10, 10, 10, 10, 10};
    expected.insert(expected.end(), 4, 1);
    EXPECT_EQ(writes, expected);
}

TEST_F(BackupFileTest, BlockLengthOtherThanDrivesIsRefusedBeforeTapeIsTouched) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const auto before = ReadFile(image);
    WriteFile(Src() + "f", Pattern(10, 1));
    EXPECT_EQ(volume->BackupFile("f", Src(), 512), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: drive block length 1024 differs from 512", Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

TEST_F(BackupFileTest, BlockTooShortForTheHeaderIsRefused) {
    SetBlockLength(256);
    WriteFile(Src() + "f", Pattern(10, 1));
    EXPECT_EQ(volume->BackupFile("f", Src(), 256), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: block length 256 not supported", Error}}));
}

// ---- refused before anything is written ----

TEST_F(BackupFileTest, FileOfTwoGiBIsRefusedBeforeTapeIsTouched) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const auto before = ReadFile(image);
    const std::string path = Src() + "big";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0x80000000LL), 0);  // sparse, 2 GiB
    ::close(fd);
    EXPECT_EQ(volume->BackupFile("big", Src(), 1024), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: file too large for tape (2 GiB or more): " + path, Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

TEST_F(BackupFileTest, NameLongerThanCatalogHoldsIsRefused) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const auto before = ReadFile(image);
    const std::string name(255, 'n');
    EXPECT_EQ(volume->BackupFile(name, Src(), 1024), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: file name longer than 254 bytes: " + name, Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

TEST_F(BackupFileTest, NameOf254BytesIsBackedUp) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const std::string name(254, 'n');
    WriteFile(Src() + name, Pattern(3, 1));
    EXPECT_EQ(volume->BackupFile(name, Src(), 1024), 0);
    EXPECT_EQ(volume->LastWrittenHeader().name, name);
}

class BadFileNameTest : public BackupFileTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(BadFileNameTest, NameThatIsNotPlainIsRefused) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    std::filesystem::create_directories(Src() + "sub");
    WriteFile(Src() + "sub/x", Pattern(3, 1));
    const auto before = ReadFile(image);
    EXPECT_EQ(volume->BackupFile(GetParam(), Src(), 1024), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: file name not allowed: '" + GetParam() + "'", Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

INSTANTIATE_TEST_SUITE_P(Names, BadFileNameTest, ::testing::Values("sub/x", "", ".", ".."));

// A file held by another process (here: another open file description with
// the lock) cannot be opened; nothing goes to tape, so the next record does
// not start after a stray header.
TEST_F(BackupFileTest, LockedFileIsRefusedAndTapeUnchanged) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const auto before = ReadFile(image);
    const std::string path = Src() + "held";
    WriteFile(path, Pattern(100, 1));
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(volume->BackupFile("held", Src(), 1024), -1);
    ::close(holder);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error opening file " + path, Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

TEST_F(BackupFileTest, MissingFileIsRefusedAndTapeUnchanged) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const auto before = ReadFile(image);
    EXPECT_EQ(volume->BackupFile("nothere", Src(), 1024), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error opening file " + Src() + "nothere", Error}}));
    EXPECT_EQ(ReadFile(image), before);
}

TEST_F(BackupFileTest, FolderIsNotAFile) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    std::filesystem::create_directories(Src() + "dir");
    EXPECT_EQ(volume->BackupFile("dir", Src(), 1024), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error opening file " + Src() + "dir", Error}}));
}

// ---- failures while writing ----

TEST_F(BackupFileTest, WriteProtectedTapeFailsAtHeaderWithoutMessage) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    volume.reset();
    HostAdapterList::Install({});
    ASSERT_EQ(chmod(image.c_str(), 0444), 0);
    LoadImage();
    SetBlockLength(1024);
    volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
    ASSERT_EQ(volume->MoveToEOD(), 0);
    WriteFile(Src() + "f", Pattern(5000, 1));
    EXPECT_EQ(volume->BackupFile("f", Src(), 1024), -1);
    EXPECT_TRUE(messages.shown.empty());
}

// The cartridge's early-warning zone makes every write that ends in it
// report failure. Fillers place the end of data so that the first such
// write is the transfer under test.
// A transfer that runs past the early warning is written (the record goes
// on); one beyond the capacity is not, and the volume leaves saying so to
// the job, which knows what did not fit. Cases: the filler's data blocks
// before the file, the file's size.
struct FullCartridge {
    const char* name;
    std::uint64_t fillerBlocks;
    std::size_t fileSize;
};

class CartridgeFullTest : public BackupFileTest, public testing::WithParamInterface<FullCartridge> {
protected:
    void SetUp() override { SetUpDrive(1024, 1); }

    // Image bytes of a record of `blocks` 1024-byte blocks, filemark included.
    static std::uint64_t RecordBytes(std::uint64_t blocks) { return blocks * (8 + 1024) + 4; }
};

TEST_P(CartridgeFullTest, TransferBeyondTheCapacityFailsWithoutAMessageOfItsOwn) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const std::uint64_t filler = GetParam().fillerBlocks;
    if (filler > 0) {
        WriteFile(Src() + "filler", Pattern((filler - 1) * 1024, 5));
        ASSERT_EQ(volume->BackupFile("filler", Src(), 1024), 0);
        ASSERT_EQ(std::filesystem::file_size(image), RecordBytes(1) + RecordBytes(1 + filler));
    }
    WriteFile(Src() + "file", Pattern(GetParam().fileSize, 1));
    EXPECT_EQ(volume->BackupFile("file", Src(), 1024), -1);
    EXPECT_EQ(volume->LastWriteStop(), TapeVolume::WriteStop::EndOfTape);
    EXPECT_TRUE(messages.shown.empty());
}

// With a capacity of 1 MiB: a file of 64-block transfers from the start; after
// 978 filler blocks the header and three 10-block transfers fit, the fourth
// does not; after 1013 the header fits, its first single block does not.
INSTANTIATE_TEST_SUITE_P(Transfers, CartridgeFullTest,
                         testing::Values(FullCartridge{"SixtyFourBlocks", 0, 2 << 20},
                                         FullCartridge{"TenBlocks", 978, 6 * 10240},
                                         FullCartridge{"OneBlock", 1013, 5 * 1024 + 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupFileTest, FilemarkFailureIsReportedAndFileClosed) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    WriteFile(Src() + "f", Pattern(3000, 1));
    faults->failOpcode = kWriteFilemarks;
    EXPECT_EQ(volume->BackupFile("f", Src(), 1024), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error writing FileMark", Error}}));
    // Closed: another process may lock it now.
    const int other = ::open((Src() + "f").c_str(), O_RDONLY);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
    // Header and data are on tape, without filemark.
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 2u + 1 + 3);
    EXPECT_FALSE(objects.back().filemark);
}

TEST_F(BackupFileTest, HeaderWriteFailureGivesNoMessage) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    WriteFile(Src() + "f", Pattern(3000, 1));
    faults->failOpcode = kWrite6;
    EXPECT_EQ(volume->BackupFile("f", Src(), 1024), -1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(BackupFileTest, InjectedFailuresNameTheTransfer) {
    // 64, 10 and single-block transfers, failing at the second, third and
    // fourth WRITE of the record (the first is the header).
    const std::size_t size = 65536 + 10240 + 1024 + 5;
    const std::vector<std::pair<int, std::string>> cases = {
        {2, "Error writing file {64}"}, {3, "Error writing file {10}"}, {4, "Error writing file {1}"}};
    for (const auto& [from, text] : cases) {
        ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
        WriteFile(Src() + "f", Pattern(size, 1));
        messages.shown.clear();
        faults->failOpcode = -1;
        int writes = 0;
        faults->beforeCommand = [&](std::uint8_t opcode) {
            if (opcode == kWrite6 && ++writes == from) faults->failOpcode = kWrite6;
        };
        EXPECT_EQ(volume->BackupFile("f", Src(), 1024), -1) << text;
        EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{text, Error}}));
        faults->beforeCommand = nullptr;
        faults->failOpcode = -1;
    }
}

// ---- the file changes under the backup ----

TEST_F(BackupFileTest, FileThatShrinksDuringBackupIsReported) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const std::string path = Src() + "shrinks";
    WriteFile(path, Pattern(200000, 1));
    bool cut = false;
    faults->beforeCommand = [&](std::uint8_t opcode) {
        // Once the header is on its way, another program cuts the file.
        if (opcode == kWrite6 && !cut) {
            cut = true;
            ASSERT_EQ(::truncate(path.c_str(), 70000), 0);
        }
    };
    EXPECT_EQ(volume->BackupFile("shrinks", Src(), 1024), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: file got shorter during backup: " + path, Error}}));
    // No filemark: the record is not complete.
    EXPECT_FALSE(Objects().back().filemark);
}

TEST_F(BackupFileTest, FileThatGrowsIsBackedUpAsLongAsItWasWhenOpened) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    const std::string path = Src() + "grows";
    const Bytes original = Pattern(5000, 1);
    WriteFile(path, original);
    bool grown = false;
    faults->beforeCommand = [&](std::uint8_t opcode) {
        if (opcode == kWrite6 && !grown) {
            grown = true;
            std::ofstream(path, std::ios::app) << std::string(3000, 'g');
        }
    };
    ASSERT_EQ(volume->BackupFile("grows", Src(), 1024), 0);
    EXPECT_EQ(volume->LastWrittenHeader().size, 5000);
    faults->beforeCommand = nullptr;
    WriteFile(path, original);
    std::string n, d, v;
    ASSERT_EQ(volume->ReadIdentBlock(n, d, v), 0);
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile("grows", DateText(std::time(nullptr)), 5000, 5, 1024, Src()), VerifyResult::Identical);
}

// ---- durability ----

TEST_F(BackupFileTest, CompletedRecordIsInTheImageFileBeforeBackupReturns) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    WriteFile(Src() + "d", Pattern(70000, 3));
    ASSERT_EQ(volume->BackupFile("d", Src(), 1024), 0);
    // Read the image behind the drive's back, without rewind or unload.
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 2u + 1 + 69 + 1);
    EXPECT_TRUE(objects.back().filemark);
}

TEST_F(BackupFileTest, LastWrittenHeaderDescribesTheRecord) {
    ASSERT_EQ(volume->WriteIdentBlock("T"), 0);
    WriteFile(Src() + "h", Pattern(2048, 3));
    ASSERT_EQ(volume->BackupFile("h", Src(), 1024), 0);
    const FileHeader& h = volume->LastWrittenHeader();
    EXPECT_EQ(h.name, "h");
    EXPECT_EQ(h.size, 2048);
    EXPECT_EQ(h.blockCount, 3);
    EXPECT_EQ(h.modificationDate, TodayText());
    EXPECT_EQ(h.backupDate, TodayText());
}

}  // namespace
