// Restoring and verifying file records: what each failure shows and
// returns, and how verify tells differences from identical files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "support/FileSizeLimit.h"
#include "support/TapeFixture.h"

namespace {

// 1024-byte blocks: one 64-block transfer, one of 10, one single block.
constexpr std::size_t kSize = 64 * 1024 + 10 * 1024 + 5;
constexpr std::int32_t kBlocks = 75;

using Progress = std::pair<std::int64_t, std::int64_t>;

class RestoreVerifyTest : public TapeFixture {
protected:
    void SetUp() override {
        TapeFixture::SetUp();
        content = FormatAndBackUp("f.bin", kSize, 11);
        today = TodayText();
        status = RecordingStatus{};
        counters = ByteCounters{};
        ToRecord();
    }

    // Tape to the header of the first record.
    void ToRecord() {
        Rewind();
        ASSERT_EQ(Space(1), 0);
    }
    int Restore(const std::string& folder) {
        return volume->RestoreFile("f.bin", today, static_cast<std::int32_t>(kSize), kBlocks, 1024, folder);
    }
    int Verify(const std::string& folder) {
        return volume->VerifyFile("f.bin", today, static_cast<std::int32_t>(kSize), kBlocks, 1024, folder);
    }

    // Breaks the framing of data block k of the first record and restarts
    // the drive over the damaged image.
    void DamageDataBlock(std::size_t k) {
        volume.reset();
        HostAdapterList::Install({});
        const auto objects = Objects();
        const std::size_t index = 3 + k;  // ident, filemark, header
        const std::size_t trailer = TapImage::OffsetOf(objects, index) + 4 + objects[index].data.size();
        Bytes bytes = ReadFile(image);
        bytes[trailer] ^= 0x5A;
        WriteFile(image, bytes);
        LoadImage();
        SetBlockLength(1024);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
        ToRecord();
    }

    Bytes content;
    std::string today;
};

TEST_F(RestoreVerifyTest, SelectiveRestoreLeavesCountersToTheJob) {
    counters.bytesDone = 500;
    counters.bytesTotal = 900000;
    ASSERT_EQ(Restore(Dst()), 0);
    EXPECT_EQ(ReadFile(Dst() + "f.bin"), content);
    EXPECT_EQ(counters.bytesDone, static_cast<std::int64_t>(500 + kSize));
    EXPECT_EQ(counters.bytesTotal, 900000);
    EXPECT_TRUE(status.statuses.empty());
    EXPECT_EQ(status.progress.back(), Progress(500 + static_cast<std::int64_t>(kSize), 900000));
}

TEST_F(RestoreVerifyTest, FullRestoreResetsCountersPerFile) {
    counters.bytesDone = 500;
    ASSERT_EQ(volume->RestoreNextFile(1024, Dst()), 0);
    EXPECT_EQ(status.statuses, std::vector<std::string>{"Restoring 'f.bin'..."});
    ASSERT_FALSE(status.progress.empty());
    EXPECT_EQ(status.progress.front(), Progress(0, static_cast<std::int64_t>(kSize)));
    EXPECT_EQ(status.progress.back(), Progress(static_cast<std::int64_t>(kSize), static_cast<std::int64_t>(kSize)));
}

TEST_F(RestoreVerifyTest, VerifyShowsStatusAndCountsTheFile) {
    ASSERT_EQ(Verify(Src()), VerifyResult::Identical);
    EXPECT_EQ(status.statuses, std::vector<std::string>{"Verifying 'f.bin'..."});
    EXPECT_EQ(status.progress.front(), Progress(0, static_cast<std::int64_t>(kSize)));
    EXPECT_EQ(status.progress.back(), Progress(static_cast<std::int64_t>(kSize), static_cast<std::int64_t>(kSize)));
    EXPECT_TRUE(messages.shown.empty());
}

// ---- header checks ----

TEST_F(RestoreVerifyTest, NoHeaderAtEndOfDataGivesMinusOneSilently) {
    ASSERT_EQ(volume->MoveToEOD(), 0);
    EXPECT_EQ(Restore(Dst()), -1);
    EXPECT_EQ(Verify(Src()), VerifyResult::Failed);
    EXPECT_TRUE(messages.shown.empty());
}

struct Mismatch {
    const char* what;
    std::string name;
    bool wrongDate;
    std::int32_t size;
    std::int32_t blocks;
};

class HeaderMismatchTest : public RestoreVerifyTest, public ::testing::WithParamInterface<Mismatch> {};

TEST_P(HeaderMismatchTest, RestoreRefusesWithMessage) {
    const auto m = GetParam();
    EXPECT_EQ(volume->RestoreFile(m.name, m.wrongDate ? "01.01.1999" : today, m.size, m.blocks, 1024, Dst()), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: file infos do not match", Error}}));
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f.bin"));
}

TEST_P(HeaderMismatchTest, VerifyRefusesWithMessage) {
    const auto m = GetParam();
    EXPECT_EQ(volume->VerifyFile(m.name, m.wrongDate ? "01.01.1999" : today, m.size, m.blocks, 1024, Src()),
              VerifyResult::Failed);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: file infos do not match", Error}}));
}

// The name earlier versions took for "whatever comes next" is a name like
// any other.
INSTANTIATE_TEST_SUITE_P(Fields, HeaderMismatchTest,
                         ::testing::Values(Mismatch{"Name", "F.bin", false, kSize, kBlocks},
                                           Mismatch{"FullRestoreMarker", "@@full**", false, kSize, kBlocks},
                                           Mismatch{"Date", "f.bin", true, kSize, kBlocks},
                                           Mismatch{"Size", "f.bin", false, kSize + 1, kBlocks},
                                           Mismatch{"Blocks", "f.bin", false, kSize, kBlocks + 1}),
                         [](const auto& info) { return std::string(info.param.what); });

// ---- the file on hard drive ----

TEST_F(RestoreVerifyTest, DecliningOverwriteLeavesFileUntouched) {
    WriteFile(Dst() + "f.bin", Bytes{'o', 'l', 'd'});
    messages.answers = {kMessageCancel};
    EXPECT_EQ(Restore(Dst()), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"File exist: " + Dst() + "f.bin. Overwrite?", Question}}));
    EXPECT_EQ(ReadFile(Dst() + "f.bin"), (Bytes{'o', 'l', 'd'}));
}

TEST_F(RestoreVerifyTest, ConfirmedOverwriteReplacesLongerFile) {
    WriteFile(Dst() + "f.bin", Bytes(kSize + 5000, 'x'));
    messages.answers = {kMessageOk};
    ASSERT_EQ(Restore(Dst()), 0);
    EXPECT_EQ(ReadFile(Dst() + "f.bin"), content);
}

TEST_F(RestoreVerifyTest, FileHeldByAnotherProcessIsNotAskedAboutAndCannotBeCreated) {
    const std::string path = Dst() + "f.bin";
    WriteFile(path, Bytes{'h'});
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    EXPECT_EQ(Restore(Dst()), -1);
    ::close(holder);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error creating file: " + path, Error}}));
    EXPECT_EQ(ReadFile(path), Bytes{'h'});
}

TEST_F(RestoreVerifyTest, MissingDestinationFolderCannotBeCreated) {
    EXPECT_EQ(Restore(dir + "/absent/"), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error creating file: " + dir + "/absent/f.bin", Error}}));
}

TEST_F(RestoreVerifyTest, DiskFullWhileRestoringIsReported) {
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(Restore(Dst()), -1);
    }
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error writing file: " + Dst() + "f.bin", Error}}));
    EXPECT_TRUE(std::filesystem::is_empty(Dst())) << "no half-written file, no temporary one";
}

TEST_F(RestoreVerifyTest, OnlyCreateAndWriteFailuresCountAsDiskFailures) {
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(Restore(Dst()), -1);
    }
    EXPECT_TRUE((volume->LastFault() == RecordFault::Disk));
    ToRecord();
    EXPECT_EQ(Restore(dir + "/absent/"), -1);
    EXPECT_TRUE((volume->LastFault() == RecordFault::Disk));
    std::filesystem::remove(Dst() + "f.bin");
    ToRecord();
    ASSERT_EQ(Restore(Dst()), 0);
    EXPECT_FALSE((volume->LastFault() == RecordFault::Disk));
    ToRecord();
    messages.answers = {kMessageCancel};
    EXPECT_EQ(Restore(Dst()), -1);
    EXPECT_FALSE((volume->LastFault() == RecordFault::Disk));
    ASSERT_EQ(volume->MoveToEOD(), 0);
    EXPECT_EQ(Restore(Dst()), -1);  // no header: the end of the tape
    EXPECT_FALSE((volume->LastFault() == RecordFault::Disk));
}

// A link under the name is asked about and replaced, never followed; a file
// with other names keeps its content under them.
enum class Occupant { DanglingLink, LinkToAFile, HardLink };

class OccupiedNameTest : public RestoreVerifyTest, public ::testing::WithParamInterface<Occupant> {};

TEST_P(OccupiedNameTest, RestoreReplacesTheNameNotWhatItLeadsTo) {
    const std::string other = dir + "/other.bin";
    const std::string name = Dst() + "f.bin";
    if (GetParam() != Occupant::DanglingLink) WriteFile(other, Bytes{'k'});
    if (GetParam() == Occupant::HardLink)
        ASSERT_EQ(::link(other.c_str(), name.c_str()), 0);
    else
        ASSERT_EQ(::symlink(other.c_str(), name.c_str()), 0);
    ASSERT_EQ(Restore(Dst()), 0);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"File exist: " + name + ". Overwrite?", Question}}));
    EXPECT_FALSE(std::filesystem::is_symlink(name));
    EXPECT_EQ(ReadFile(name), content);
    if (GetParam() == Occupant::DanglingLink)
        EXPECT_FALSE(std::filesystem::exists(other));
    else
        EXPECT_EQ(ReadFile(other), Bytes{'k'});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 1);
}

std::string OccupantName(const ::testing::TestParamInfo<Occupant>& info) {
    return info.param == Occupant::DanglingLink ? "DanglingLink"
           : info.param == Occupant::LinkToAFile ? "LinkToAFile"
                                                 : "HardLink";
}

INSTANTIATE_TEST_SUITE_P(Occupants, OccupiedNameTest,
                         ::testing::Values(Occupant::DanglingLink, Occupant::LinkToAFile, Occupant::HardLink),
                         OccupantName);

TEST_F(RestoreVerifyTest, VerifyOfDeletedFileIsMinusTwoSilently) {
    std::filesystem::remove(Src() + "f.bin");
    EXPECT_EQ(Verify(Src()), VerifyResult::CannotOpen);
    EXPECT_TRUE(messages.shown.empty());
}

// ---- verify results ----

class VerifyDifferenceTest : public RestoreVerifyTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(VerifyDifferenceTest, ResultIsOffsetOfChangedByte) {
    const std::size_t k = GetParam();
    Bytes changed = content;
    changed[k] ^= 0xFF;
    WriteFile(Src() + "f.bin", changed);
    EXPECT_EQ(Verify(Src()), static_cast<int>(k));
    EXPECT_TRUE(messages.shown.empty());
}

// In the 64-block, the 10-block and the single-block transfer, and the last byte.
INSTANTIATE_TEST_SUITE_P(Offsets, VerifyDifferenceTest, ::testing::Values(1, 65535, 65536, 70000, 75780, kSize - 1));

// A record longer than what buffer 2 holds at once: 7 transfers of 64
// blocks, 3 of 10, 8 single blocks. Changed bytes around the first refill
// and in the transfers after it; a file cut short past the first refill.
class LongRecordVerifyTest : public TapeFixture, public ::testing::WithParamInterface<std::int64_t> {};

TEST_P(LongRecordVerifyTest, ResultIsWhereTheFileDiffers) {
    constexpr std::size_t kLong = 7 * 65536 + 3 * 10240 + 7 * 1024 + 100;
    const Bytes content = FormatAndBackUp("g.bin", kLong, 5);
    const std::int64_t k = GetParam();
    Bytes changed = content;
    if (k < 0) {
        changed.resize(static_cast<std::size_t>(-k));
    } else {
        changed[static_cast<std::size_t>(k)] ^= 0x01;
    }
    WriteFile(Src() + "g.bin", changed);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile("g.bin", TodayText(), static_cast<std::int32_t>(kLong), 486, 1024, Src()),
              static_cast<int>(k < 0 ? -k : k));
}

INSTANTIATE_TEST_SUITE_P(Offsets, LongRecordVerifyTest,
                         ::testing::Values(393215, 393216, 458752 + 20000, 7 * 65536 + 3 * 10240 + 7 * 1024 + 99,
                                           -400000));

// Read ahead of the tape, a long record still ends where it should: the
// file is identical, and then one byte longer.
TEST_F(TapeFixture, LongRecordIsIdenticalUntilTheFileGrows) {
    constexpr std::size_t kLong = 9 * 65536 + 10240 + 1;
    Bytes content = FormatAndBackUp("h.bin", kLong, 6);
    for (const int expected : {VerifyResult::Identical, static_cast<int>(kLong)}) {
        Rewind();
        ASSERT_EQ(Space(1), 0);
        EXPECT_EQ(volume->VerifyFile("h.bin", TodayText(), static_cast<std::int32_t>(kLong), 587, 1024, Src()),
                  expected);
        content.push_back(0);
        WriteFile(Src() + "h.bin", content);
    }
}

TEST_F(RestoreVerifyTest, DifferenceAtFirstByteIsNotIdentical) {
    Bytes changed = content;
    changed[0] ^= 1;
    WriteFile(Src() + "f.bin", changed);
    EXPECT_EQ(Verify(Src()), VerifyResult::DiffersAtStart);
}

class ShortFileTest : public RestoreVerifyTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(ShortFileTest, FileShorterThanRecordedDiffersAtItsEnd) {
    const std::size_t length = GetParam();
    WriteFile(Src() + "f.bin", Bytes(content.begin(), content.begin() + static_cast<std::ptrdiff_t>(length)));
    EXPECT_EQ(Verify(Src()), length == 0 ? VerifyResult::DiffersAtStart : static_cast<int>(length));
}

// Ends inside each transfer, and one byte short.
INSTANTIATE_TEST_SUITE_P(Lengths, ShortFileTest, ::testing::Values(0, 100, 65536, 70000, kSize - 1));

TEST_F(RestoreVerifyTest, FileThatGrewDiffersWhereItsRecordEnds) {
    Bytes grown = content;
    grown.resize(kSize + 4000, 'g');
    WriteFile(Src() + "f.bin", grown);
    EXPECT_EQ(Verify(Src()), static_cast<int>(kSize));
    EXPECT_TRUE(messages.shown.empty());
}

// A short file must not be compared with what the buffer held before.
TEST_F(RestoreVerifyTest, ShortFileIsNotComparedWithStaleBuffer) {
    ASSERT_EQ(Verify(Src()), VerifyResult::Identical);  // buffers now hold the file
    WriteFile(Src() + "f.bin", Bytes(content.begin(), content.begin() + 70000));
    ToRecord();
    EXPECT_EQ(Verify(Src()), 70000);
}

// ---- tape read errors on a damaged image ----

struct DamageCase {
    std::size_t block;
    const char* text;
};

class DamagedTapeTest : public RestoreVerifyTest, public ::testing::WithParamInterface<DamageCase> {};

// The file it would have replaced stays whole, and nothing half-written is
// left beside it.
TEST_P(DamagedTapeTest, RestoreNamesTheTransferAndLeavesTheOldFileAlone) {
    const auto c = GetParam();
    DamageDataBlock(c.block);
    WriteFile(Dst() + "f.bin", Bytes{'o', 'l', 'd'});
    EXPECT_EQ(Restore(Dst()), -1);
    const RecordedMessage question{"File exist: " + Dst() + "f.bin. Overwrite?", Question};
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{question, {c.text, Error}}));
    EXPECT_EQ(ReadFile(Dst() + "f.bin"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 1);
}

TEST_P(DamagedTapeTest, VerifyNamesTheTransfer) {
    const auto c = GetParam();
    DamageDataBlock(c.block);
    EXPECT_EQ(Verify(Src()), VerifyResult::Failed);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{c.text, Error}}));
}

INSTANTIATE_TEST_SUITE_P(Blocks, DamagedTapeTest,
                         ::testing::Values(DamageCase{10, "Tape read error {64}"},
                                           DamageCase{68, "Tape read error {10}"},
                                           DamageCase{74, "Tape read error {1}"}));

// ---- spacing to end of data ----

class MoveToEODTest : public TapeFixture {};

TEST_F(MoveToEODTest, AppendsAfterLastRecord) {
    FormatAndBackUp("a", 100, 1);
    Rewind();
    ASSERT_EQ(volume->MoveToEOD(), 0);
    WriteFile(Src() + "b", Pattern(100, 2));
    ASSERT_EQ(volume->BackupFile("b", Src(), 1024), 0);
    Rewind();
    ASSERT_EQ(Space(2), 0);
    std::string name, m, b;
    std::int32_t s = 0, c = 0;
    ASSERT_EQ(volume->ReadFileHeader(name, m, b, s, c), 0);
    EXPECT_EQ(name, "b");
}

TEST_F(MoveToEODTest, MediumErrorCompletesWithError) {
    FormatAndBackUp("a", 5000, 1);
    Rewind();
    faults->failOpcode = 0x11;
    faults->how = FaultyAdapter::How::MediumError;
    EXPECT_EQ(volume->MoveToEOD(), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"MoveToEOD Error: completed with error", Error}}));
}

TEST_F(MoveToEODTest, AbortedRequest) {
    faults->failOpcode = 0x11;  // SPACE
    faults->how = FaultyAdapter::How::Aborted;
    EXPECT_EQ(volume->MoveToEOD(), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"MoveToEOD Error: aborted", Error}}));
}

TEST_F(MoveToEODTest, NotATapeDriveGivesTheGuardsValue) {
    faults->deviceType = 0;  // a disk
    EXPECT_EQ(volume->MoveToEOD(), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"MoveToEOD Error: -1", Error}}));
}

// ---- where the next record goes after a backup that failed half-way ----

TEST_F(MoveToEODTest, AppendPointDropsUnterminatedRecord) {
    FormatAndBackUp("a", 3000, 1);
    WriteFile(Src() + "b", Pattern(3000, 2));
    faults->failOpcode = 0x10;  // the filemark of b fails: b stays unterminated
    ASSERT_EQ(volume->BackupFile("b", Src(), 1024), -1);
    faults->failOpcode = -1;
    messages.shown.clear();

    // The catalog holds one entry (a); c must become record 2.
    ASSERT_EQ(volume->MoveToAppendPoint(1), 0);
    WriteFile(Src() + "c", Pattern(3000, 3));
    ASSERT_EQ(volume->BackupFile("c", Src(), 1024), 0);
    Rewind();
    ASSERT_EQ(Space(2), 0);
    EXPECT_EQ(volume->VerifyFile("c", TodayText(), 3000, 3, 1024, Src()), VerifyResult::Identical);
    // ident+mark, a (header, 3 blocks, mark), c (header, 3 blocks, mark): b is gone.
    EXPECT_EQ(Objects().size(), 2u + 5 + 5);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MoveToEODTest, AppendPointBeyondTheTapesRecordsIsReported) {
    FormatAndBackUp("a", 3000, 1);
    EXPECT_EQ(volume->MoveToAppendPoint(2), -1);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: fewer file records on tape than entries in DirFile", Error}}));
}

}  // namespace
