// A directory file written by hand from the documented offsets reads back
// field by field, and what DirFile writes matches it byte for byte.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include "CatalogTempDir.h"
#include "catalog/DirFileEntry.h"
#include "HandBuiltDirFile.h"
#include "tape/DateText.h"

namespace {

class DirFileLayoutTest : public CatalogTempDir {};

TEST_F(DirFileLayoutTest, HandBuiltFileReadsFieldByField) {
    Bytes file = HandBuilt::Header("Daily", "06.12.2026", "1.6");
    HandBuilt::Append(file, HandBuilt::Entry(1, "report.doc", "01.02.2025", "06.12.2026", 100000, 196));
    HandBuilt::Append(file, HandBuilt::Entry(2, "b.zip", "03.04.2024", "07.12.2026", 0x7fffffff, 4194304));
    const std::string path = PathOf("Daily.twd");
    WriteBytes(path, file);

    std::string name, date, version;
    ASSERT_EQ(dirFile.ReadIdent(path, name, date, version), 0);
    EXPECT_EQ(name, "Daily");
    EXPECT_EQ(date, "06.12.2026");
    EXPECT_EQ(version, "1.6");
    EXPECT_EQ(dirFile.CountEntries(path), 2);

    ASSERT_EQ(dirFile.OpenForReading(path), 0);
    ASSERT_EQ(dirFile.SkipIdent(), 0);
    std::string fileName, fileDate, backupDate;
    std::int32_t size = 0, blocks = 0;
    ASSERT_EQ(dirFile.ReadNextEntry(fileName, fileDate, backupDate, size, blocks), 0);
    EXPECT_EQ(fileName, "report.doc");
    EXPECT_EQ(fileDate, "01.02.2025");
    EXPECT_EQ(backupDate, "06.12.2026");
    EXPECT_EQ(size, 100000);
    EXPECT_EQ(blocks, 196);
    ASSERT_EQ(dirFile.ReadNextEntry(fileName, fileDate, backupDate, size, blocks), 0);
    EXPECT_EQ(fileName, "b.zip");
    EXPECT_EQ(backupDate, "07.12.2026");
    EXPECT_EQ(size, 0x7fffffff);
    EXPECT_EQ(blocks, 4194304);
    EXPECT_EQ(dirFile.ReadNextEntry(fileName, fileDate, backupDate, size, blocks), -1);
    EXPECT_EQ(dirFile.Close(), 0);
}

TEST_F(DirFileLayoutTest, WrittenFileMatchesHandBuiltBytes) {
    const std::string path = PathOf("Weekly.twd");
    ASSERT_EQ(dirFile.CreateFromIdent("Weekly", path, "06.12.2026", "1.5"), 0);
    ASSERT_EQ(dirFile.AppendEntry(path, "a.txt", "01.01.2020", "06.12.2026", 1023, 2), 0);
    ASSERT_EQ(dirFile.AppendEntry(path, std::string(254, 'n'), "", "06.12.2026", 0, 1), 0);

    Bytes expected = HandBuilt::Header("Weekly", "06.12.2026", "1.5");
    HandBuilt::Append(expected, HandBuilt::Entry(1, "a.txt", "01.01.2020", "06.12.2026", 1023, 2));
    HandBuilt::Append(expected, HandBuilt::Entry(1, std::string(254, 'n'), "", "06.12.2026", 0, 1));
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(DirFileLayoutTest, NewTapeFileIsBareHeaderWithTodayAndOwnVersion) {
    const std::string path = PathOf("Fresh.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("Fresh", path), 0);
    EXPECT_EQ(ReadBytes(path), HandBuilt::Header("Fresh", TodayText(), "1.6"));
    EXPECT_EQ(dirFile.CountEntries(path), 0);
    ASSERT_EQ(dirFile.OpenForReading(path), 0);
    ASSERT_EQ(dirFile.SkipIdent(), 0);
    std::string n, f, b;
    std::int32_t s = 0, c = 0;
    EXPECT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), -1);
    dirFile.Close();
}

TEST_F(DirFileLayoutTest, CreatingOverExistingFileLeavesBareHeader) {
    const std::string path = PathOf("Reused.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("Reused", path), 0);
    ASSERT_EQ(dirFile.AppendEntry(path, "x", "", "", 1, 1), 0);
    ASSERT_EQ(dirFile.CreateForNewTape("Reused", path), 0);
    EXPECT_EQ(ReadBytes(path).size(), 78u);
}

TEST_F(DirFileLayoutTest, HeaderTextsThatDoNotFitAreRefused) {
    EXPECT_EQ(dirFile.CreateForNewTape(std::string(50, 'x'), PathOf("long.twd")), -1);
    EXPECT_EQ(dirFile.CreateFromIdent("ok", PathOf("d.twd"), "06.12.20266", "1.6"), -1);
    EXPECT_EQ(dirFile.CreateFromIdent("ok", PathOf("v.twd"), "06.12.2026", "12345678"), -1);
    EXPECT_FALSE(dirFile.Exists(PathOf("long.twd")));
    EXPECT_EQ(dirFile.CreateForNewTape(std::string(49, 'x'), PathOf("fits.twd")), 0);
}

TEST_F(DirFileLayoutTest, CreateInMissingFolderFails) {
    EXPECT_EQ(dirFile.CreateForNewTape("T", dir + "/no/such/folder/T.twd"), -1);
}

TEST_F(DirFileLayoutTest, ExistsOnlyForOpenableFile) {
    const std::string path = PathOf("E.twd");
    EXPECT_FALSE(dirFile.Exists(path));
    ASSERT_EQ(dirFile.CreateForNewTape("E", path), 0);
    EXPECT_TRUE(dirFile.Exists(path));
    EXPECT_FALSE(dirFile.Exists(dir));  // a folder is not a directory file
}

// ---- AppendBackedUpFile takes size and date from the file's status ----

struct BlockCountCase {
    int size;
    int blockSize;
    int blocks;
};

class AppendBackedUpFileTest : public CatalogTempDir, public ::testing::WithParamInterface<BlockCountCase> {};

TEST_P(AppendBackedUpFileTest, BlockCountIsSizeOverBlockSizePlusOne) {
    const auto c = GetParam();
    const std::string catalog = PathOf("T.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("T", catalog), 0);
    WriteBytes(PathOf("data.bin"), Bytes(static_cast<std::size_t>(c.size), 0x5a));
    // 15.03.2021 12:00 local time
    std::tm tm{};
    tm.tm_year = 121;
    tm.tm_mon = 2;
    tm.tm_mday = 15;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    const std::time_t when = std::mktime(&tm);
    const utimbuf times{when, when};
    ASSERT_EQ(utime(PathOf("data.bin").c_str(), &times), 0);

    ASSERT_EQ(dirFile.AppendBackedUpFile(catalog, "data.bin", dir + "/", c.blockSize), 0);
    Bytes expected = HandBuilt::Header("T", TodayText(), "1.6");
    HandBuilt::Append(expected, HandBuilt::Entry(1, "data.bin", "15.03.2021", TodayText(),
                                                 static_cast<std::uint32_t>(c.size),
                                                 static_cast<std::uint32_t>(c.blocks)));
    EXPECT_EQ(ReadBytes(catalog), expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AppendBackedUpFileTest,
                         ::testing::Values(BlockCountCase{0, 512, 1}, BlockCountCase{511, 512, 1},
                                           BlockCountCase{512, 512, 2}, BlockCountCase{1023, 512, 2},
                                           BlockCountCase{10240, 1024, 11}, BlockCountCase{100000, 512, 196}));

TEST_F(DirFileLayoutTest, FolderWithoutTrailingSlashIsJoinedWithOne) {
    const std::string catalog = PathOf("T.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("T", catalog), 0);
    WriteBytes(PathOf("f"), Bytes(700, 1));
    ASSERT_EQ(dirFile.AppendBackedUpFile(catalog, "f", dir, 512), 0);
    ASSERT_EQ(dirFile.OpenForReading(catalog), 0);
    ASSERT_EQ(dirFile.SkipIdent(), 0);
    std::string n, f, b;
    std::int32_t s = 0, c = 0;
    ASSERT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), 0);
    EXPECT_EQ(s, 700);
    EXPECT_EQ(c, 2);
    dirFile.Close();
}

TEST_F(DirFileLayoutTest, VanishedFileStillGetsItsEntrySoLaterEntriesKeepTheirPlace) {
    const std::string catalog = PathOf("T.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("T", catalog), 0);
    ASSERT_EQ(dirFile.AppendBackedUpFile(catalog, "gone", dir + "/", 512), 0);
    Bytes expected = HandBuilt::Header("T", TodayText(), "1.6");
    HandBuilt::Append(expected, HandBuilt::Entry(1, "gone", "", TodayText(), 0, 1));
    EXPECT_EQ(ReadBytes(catalog), expected);
}

TEST_F(DirFileLayoutTest, AppendNeedsAnExistingDirectoryFile) {
    WriteBytes(PathOf("f"), Bytes(10, 1));
    EXPECT_EQ(dirFile.AppendBackedUpFile(PathOf("missing.twd"), "f", dir + "/", 512), -1);
    EXPECT_EQ(dirFile.AppendEntry(PathOf("missing.twd"), "f", "", "", 10, 1), -1);
    EXPECT_FALSE(dirFile.Exists(PathOf("missing.twd")));
}

TEST_F(DirFileLayoutTest, AppendRefusesWhatTheEntryCannotHold) {
    const std::string catalog = PathOf("T.twd");
    ASSERT_EQ(dirFile.CreateForNewTape("T", catalog), 0);
    EXPECT_EQ(dirFile.AppendEntry(catalog, std::string(255, 'n'), "", "", 1, 1), -1);
    EXPECT_EQ(dirFile.AppendEntry(catalog, "n", "01.01.20200", "", 1, 1), -1);
    EXPECT_EQ(dirFile.AppendBackedUpFile(catalog, "f", dir + "/", 0), -1);
    EXPECT_EQ(ReadBytes(catalog).size(), 78u);
}

// The entry codec against bytes put together from the documented offsets.
TEST(DirFileEntryCodec, EncodesTheDocumentedBytesAndDecodesThemBack) {
    const FileHeader fields{std::string(254, 'n'), "01.02.2026", "03.04.2026", -5, 7};
    std::vector<std::uint8_t> entry(286, 0xEE);
    ASSERT_EQ(EncodeDirFileEntry(fields, entry.data()), 0);
    EXPECT_EQ(entry, HandBuilt::Entry(1, fields.name, "01.02.2026", "03.04.2026", static_cast<std::uint32_t>(-5), 7));
    FileHeader back;
    EXPECT_EQ(DecodeDirFileEntry(entry.data(), back), 1);
    EXPECT_EQ(back.name, fields.name);
    EXPECT_EQ(back.modificationDate, fields.modificationDate);
    EXPECT_EQ(back.backupDate, fields.backupDate);
    EXPECT_EQ(back.size, -5);
    EXPECT_EQ(back.blockCount, 7);
    EXPECT_EQ(EncodeDirFileEntry({std::string(255, 'n'), "", "", 0, 1}, entry.data()), -1);
}

}  // namespace
