// The sums file beside a catalog: its bytes from literal offsets, the
// catalog's own bytes the same with it as without it, records kept in step
// with the entries (a sums file shorter than its catalog is padded with
// records without checksum), and copies that carry it along.

#include <gtest/gtest.h>

#include <filesystem>

#include "CatalogTempDir.h"
#include "HandBuiltDirFile.h"
#include "catalog/DirFileCopy.h"
#include "catalog/SumFile.h"

namespace {

class SumFileTest : public CatalogTempDir {
protected:
    // The catalog of two entries, the first with facts, appended in one run.
    void AppendTwo(const std::string& path, const FileFacts* facts) {
        ASSERT_EQ(dirFile.CreateFromIdent("Daily", path, "06.12.2026", "1.6"), 0);
        ASSERT_EQ(dirFile.BeginAppend(path), 0);
        ASSERT_EQ(dirFile.AppendNext("a.txt", "01.02.2025", "06.12.2026", 5, 2, facts), 0);
        ASSERT_EQ(dirFile.AppendNext("b.txt", "01.02.2025", "06.12.2026", 0, 1), 0);
        ASSERT_EQ(dirFile.EndAppend(), 0);
    }
    static Bytes Le(std::uint64_t v, int n) {
        Bytes b;
        for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return b;
    }

    ScriptedMessages messages;
    DirFile dirFile{messages};
};

TEST_F(SumFileTest, RecordsStandAtTheirEntriesAndLeaveTheCatalogAsItWas) {
    FileFacts facts;
    facts.known = true;
    facts.size = 5;
    facts.modifiedNs = 1700000000123456789;
    facts.mode = 0640;
    facts.digest.kind = SumKind::Xxh3_128;
    for (int i = 0; i < 16; ++i) facts.digest.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    AppendTwo(PathOf("Daily.twd"), &facts);
    AppendTwo(PathOf("Plain.twd"), nullptr);
    // The catalog does not change by a byte.
    EXPECT_EQ(ReadBytes(PathOf("Daily.twd")), ReadBytes(PathOf("Plain.twd")));

    Bytes expected = {'T', 'W', 'S', 'U', 'M', 'S', '\r', '\n', 1, 0, 64, 0, 0, 0, 0, 0};
    Bytes first(64, 0);
    first[0] = 1;  // XXH3-128
    first[1] = 1;  // time, mode and size known
    for (auto [at, bytes] : {std::pair{4, Le(0640, 4)}, {8, Le(5, 8)}, {16, Le(1700000000123456789, 8)},
                             {56, Le(SumNameHash("a.txt"), 8)}})
        std::copy(bytes.begin(), bytes.end(), first.begin() + at);
    for (int i = 0; i < 16; ++i) first[24 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    Bytes second(64, 0);
    const Bytes hash = Le(SumNameHash("b.txt"), 8);
    std::copy(hash.begin(), hash.end(), second.begin() + 56);
    HandBuilt::Append(expected, first);
    HandBuilt::Append(expected, second);
    EXPECT_EQ(ReadBytes(PathOf("Daily.tws")), expected);

    // A catalog whose sums file is gone (an older version appended to it):
    // the next entry's record lands at its own place, those before it say
    // "without checksum".
    std::filesystem::remove(PathOf("Daily.tws"));
    ASSERT_EQ(dirFile.AppendEntry(PathOf("Daily.twd"), "c.txt", "01.02.2025", "06.12.2026", 1, 1), 0);
    std::vector<SumRecord> records;
    ASSERT_EQ(SumFile::Load(PathOf("Daily.twd"), records), 0);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_FALSE(records[0].facts.digest.Present());
    EXPECT_EQ(records[0].nameHash, 0u);
    EXPECT_EQ(records[2].nameHash, SumNameHash("c.txt"));
}

TEST_F(SumFileTest, CopiesCarryTheSumsFileOrRemoveAStaleOne) {
    const std::string start = dir + "/start", floppy = dir + "/floppy";
    std::filesystem::create_directories(start);
    std::filesystem::create_directories(floppy);
    AppendTwo(start + "/Daily.twd", nullptr);
    DirFileCopy copy(messages, start, floppy);
    ASSERT_EQ(copy.CopyToFloppy(start + "/Daily.twd"), kCopyDone);
    EXPECT_EQ(ReadBytes(floppy + "/Daily.tws"), ReadBytes(start + "/Daily.tws"));

    // A catalog without one, copied over a catalog with one.
    std::filesystem::remove(floppy + "/Daily.tws");
    messages.answers = {kMessageOk};
    ASSERT_EQ(copy.CopyToHardDrive(floppy + "/Daily.twd"), kCopyDone);
    EXPECT_FALSE(std::filesystem::exists(start + "/Daily.tws"));
}

}  // namespace
