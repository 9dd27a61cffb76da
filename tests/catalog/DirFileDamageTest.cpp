// Damaged directory files: cut short, wrong magic, a type byte that ends the
// list early, more entries than the catalog may hold. Each gives its named
// result and nothing reads past what is there.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "CatalogTempDir.h"
#include "HandBuiltDirFile.h"

namespace {

class DirFileDamageTest : public CatalogTempDir {
protected:
    void SetUp() override {
        CatalogTempDir::SetUp();
        path = PathOf("Tape.twd");
    }

    // Header plus n entries of type 1.
    Bytes Catalog(int n) {
        Bytes file = HandBuilt::Header("Tape", "06.12.2026", "1.6");
        for (int i = 0; i < n; ++i)
            HandBuilt::Append(file, HandBuilt::Entry(1, "f" + std::to_string(i), "01.01.2020", "06.12.2026",
                                                     static_cast<std::uint32_t>(i), 1));
        return file;
    }

    // Names yielded by the read sequence.
    std::vector<std::string> List(const std::string& path) {
        std::vector<std::string> names;
        if (dirFile.OpenForReading(path) != 0 || dirFile.SkipIdent() != 0) return names;
        std::string n, f, b;
        std::int32_t s = 0, c = 0;
        while (dirFile.ReadNextEntry(n, f, b, s, c) == 0) names.push_back(n);
        dirFile.Close();
        return names;
    }

    std::string path;
};

TEST_F(DirFileDamageTest, MissingFileIsNotFound) {
    std::string n = "keep", d = "keep", v = "keep";
    EXPECT_EQ(dirFile.ReadIdent(path, n, d, v), -2);
    EXPECT_EQ(n, "keep");
    EXPECT_EQ(dirFile.CountEntries(path), -1);
    EXPECT_EQ(dirFile.OpenForReading(path), -1);
    EXPECT_EQ(dirFile.SkipIdent(), -1);
}

TEST_F(DirFileDamageTest, EmptyFileFailsIdent) {
    WriteBytes(path, {});
    std::string n, d, v;
    EXPECT_EQ(dirFile.ReadIdent(path, n, d, v), -1);
    EXPECT_EQ(dirFile.CountEntries(path), 0);
}

TEST_F(DirFileDamageTest, CutInsideMagicFailsIdent) {
    WriteBytes(path, {'T', 'A', 'P', 'E'});
    std::string n, d, v;
    EXPECT_EQ(dirFile.ReadIdent(path, n, d, v), -1);
}

TEST_F(DirFileDamageTest, CutInsideNameStillPassesIdent) {
    Bytes file = Catalog(0);
    file.resize(12);  // magic and "Tap"
    WriteBytes(path, file);
    std::string n, d = "x", v = "x";
    ASSERT_EQ(dirFile.ReadIdent(path, n, d, v), 0);
    EXPECT_EQ(n, "Tap");
    EXPECT_EQ(d, "");
    EXPECT_EQ(v, "");
    EXPECT_EQ(dirFile.CountEntries(path), 0);
    EXPECT_TRUE(List(path).empty());
}

TEST_F(DirFileDamageTest, LowerCaseMagicIsRefused) {
    WriteBytes(path, HandBuilt::Header("Tape", "06.12.2026", "1.6", "tapewren"));
    std::string n, d, v;
    EXPECT_EQ(dirFile.ReadIdent(path, n, d, v), -1);
}

TEST_F(DirFileDamageTest, MagicWithExtraCharacterIsRefused) {
    Bytes file = Catalog(0);
    file[8] = 'X';  // no NUL after the magic
    WriteBytes(path, file);
    std::string n, d, v;
    EXPECT_EQ(dirFile.ReadIdent(path, n, d, v), -1);
}

TEST_F(DirFileDamageTest, NameFieldWithoutNulStopsAtFieldEnd) {
    Bytes file = HandBuilt::Header(std::string(50, 'N'), "06.12.2026", "1.6");
    WriteBytes(path, file);
    std::string n, d, v;
    ASSERT_EQ(dirFile.ReadIdent(path, n, d, v), 0);
    EXPECT_EQ(n, std::string(50, 'N'));
    EXPECT_EQ(d, "06.12.2026");
}

TEST_F(DirFileDamageTest, EntryCutShortIsNeitherCountedNorListed) {
    Bytes file = Catalog(3);
    file.resize(file.size() - 100);
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.CountEntries(path), 2);
    EXPECT_EQ(List(path), (std::vector<std::string>{"f0", "f1"}));
}

TEST_F(DirFileDamageTest, TypeByteOnlyIsNotAnEntry) {
    Bytes file = Catalog(1);
    file.push_back(1);
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.CountEntries(path), 1);
    EXPECT_EQ(List(path).size(), 1u);
}

TEST_F(DirFileDamageTest, TypeZeroInTheMiddleEndsTheList) {
    Bytes file = Catalog(5);
    file[78 + 2 * 286] = 0;
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.CountEntries(path), 2);
    EXPECT_EQ(List(path), (std::vector<std::string>{"f0", "f1"}));
}

TEST_F(DirFileDamageTest, UnknownTypeByteEndsTheList) {
    Bytes file = Catalog(3);
    file[78 + 286] = 7;
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.CountEntries(path), 1);
    EXPECT_EQ(List(path).size(), 1u);
}

TEST_F(DirFileDamageTest, TypeTwoCountsAsEntry) {
    Bytes file = Catalog(3);
    file[78 + 286] = 2;
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.CountEntries(path), 3);
    EXPECT_EQ(List(path).size(), 3u);
}

TEST_F(DirFileDamageTest, CountStopsAt999) {
    WriteBytes(path, Catalog(1005));
    EXPECT_EQ(dirFile.CountEntries(path), 999);
}

// Why the read sequence ended: the entries it gave, then the answer.
struct ListEndCase {
    const char* what;
    int entries;   // whole entries written
    int typeAt;    // entry whose type byte changes, -1 none
    int typeByte;
    int cutBytes;  // taken off the end
    std::size_t listed;
    DirFile::ListEnd end;
};

class DirFileListEndTest : public DirFileDamageTest, public ::testing::WithParamInterface<ListEndCase> {};

TEST_P(DirFileListEndTest, TheReadSequenceSaysWhyTheListEnded) {
    const ListEndCase& c = GetParam();
    Bytes file = Catalog(c.entries);
    if (c.typeAt >= 0) file[78 + 286 * static_cast<std::size_t>(c.typeAt)] = static_cast<std::uint8_t>(c.typeByte);
    file.resize(file.size() - static_cast<std::size_t>(c.cutBytes));
    WriteBytes(path, file);
    EXPECT_EQ(List(path).size(), c.listed);
    EXPECT_EQ(dirFile.LastListEnd(), c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, DirFileListEndTest,
    ::testing::Values(ListEndCase{"Whole", 3, -1, 0, 0, 3, DirFile::ListEnd::Clean},
                      ListEndCase{"LastCutShort", 3, -1, 0, 100, 2, DirFile::ListEnd::CutShort},
                      ListEndCase{"TypeByteOnly", 2, -1, 0, 285, 1, DirFile::ListEnd::CutShort},
                      ListEndCase{"BadTypeInTheMiddle", 5, 2, 0, 0, 2, DirFile::ListEnd::BadType},
                      ListEndCase{"BadTypeOfTheLast", 3, 2, 7, 0, 2, DirFile::ListEnd::BadType},
                      ListEndCase{"Exactly999", 999, -1, 0, 0, 999, DirFile::ListEnd::Clean},
                      ListEndCase{"MoreThan999", 1000, -1, 0, 0, 999, DirFile::ListEnd::TooMany}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DirFileDamageTest, Exactly999Entries) {
    WriteBytes(path, Catalog(999));
    EXPECT_EQ(dirFile.CountEntries(path), 999);
}

TEST_F(DirFileDamageTest, HeaderCutShortGetsNoAppend) {
    Bytes file = Catalog(0);
    file.resize(40);
    WriteBytes(path, file);
    EXPECT_EQ(dirFile.AppendEntry(path, "x", "", "", 1, 1), -1);
    EXPECT_EQ(ReadBytes(path).size(), 40u);
}

// A crash in the middle of an append leaves part of an entry; the next
// append must land on the 286-byte grid, not after the stray bytes.
TEST_F(DirFileDamageTest, AppendAfterTornEntryReplacesIt) {
    Bytes file = Catalog(2);
    const Bytes whole = file;
    file.insert(file.end(), {1, 'h', 'a', 'l', 'f'});
    WriteBytes(path, file);
    ASSERT_EQ(dirFile.AppendEntry(path, "next", "02.02.2022", "06.12.2026", 5, 1), 0);
    Bytes expected = whole;
    HandBuilt::Append(expected, HandBuilt::Entry(1, "next", "02.02.2022", "06.12.2026", 5, 1));
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(dirFile.CountEntries(path), 3);
}

// An append run finds its place as AppendEntry does; later entries follow.
TEST_F(DirFileDamageTest, AppendRunAfterTornEntryReplacesIt) {
    Bytes file = Catalog(2);
    const Bytes whole = file;
    file.insert(file.end(), {1, 'h', 'a', 'l', 'f'});
    WriteBytes(path, file);
    ASSERT_EQ(dirFile.BeginAppend(path), 0);
    ASSERT_EQ(dirFile.AppendNext("next", "02.02.2022", "06.12.2026", 5, 1), 0);
    ASSERT_EQ(dirFile.AppendNext("last", "", "06.12.2026", 2048, 3), 0);
    ASSERT_EQ(dirFile.EndAppend(), 0);
    Bytes expected = whole;
    HandBuilt::Append(expected, HandBuilt::Entry(1, "next", "02.02.2022", "06.12.2026", 5, 1));
    HandBuilt::Append(expected, HandBuilt::Entry(1, "last", "", "06.12.2026", 2048, 3));
    EXPECT_EQ(ReadBytes(path), expected);
}

// Entries written to a catalog no longer under its name would be lost.
TEST_F(DirFileDamageTest, AppendRunFailsOnceTheCatalogIsReplaced) {
    WriteBytes(path, Catalog(1));
    ASSERT_EQ(dirFile.BeginAppend(path), 0);
    ASSERT_EQ(dirFile.AppendNext("a", "", "06.12.2026", 1, 1), 0);
    ASSERT_EQ(dirFile.SyncAppended(), 0);
    WriteBytes(PathOf("other"), Catalog(0));
    ASSERT_EQ(::rename(PathOf("other").c_str(), path.c_str()), 0);
    EXPECT_EQ(dirFile.SyncAppended(), -1);
    EXPECT_EQ(dirFile.AppendNext("b", "", "06.12.2026", 1, 1), -1);
    EXPECT_EQ(dirFile.EndAppend(), -1);
    EXPECT_EQ(ReadBytes(path), Catalog(0));
}

TEST_F(DirFileDamageTest, ReadSequenceSurvivesCallsAfterEnd) {
    WriteBytes(path, Catalog(1));
    ASSERT_EQ(dirFile.OpenForReading(path), 0);
    ASSERT_EQ(dirFile.SkipIdent(), 0);
    std::string n, f, b;
    std::int32_t s = 0, c = 0;
    EXPECT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), 0);
    EXPECT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), -1);
    EXPECT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), -1);
    EXPECT_EQ(dirFile.Close(), 0);
    EXPECT_EQ(dirFile.ReadNextEntry(n, f, b, s, c), -1);  // closed
    EXPECT_EQ(dirFile.Close(), 0);
}

TEST_F(DirFileDamageTest, FileOf2GiBIsNotEntered) {
    ASSERT_EQ(dirFile.CreateForNewTape("Tape", path), 0);
    const std::string big = PathOf("big");
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0x80000000LL), 0);  // sparse
    ::close(fd);
    EXPECT_EQ(dirFile.AppendBackedUpFile(path, "big", dir + "/", 1024), -1);
    EXPECT_EQ(dirFile.CountEntries(path), 0);
}

// Whether every byte after the header stands in a whole entry: only a last
// entry cut short (a crash while appending) may follow the whole ones.
struct Shape {
    const char* what;
    int damageAt;   // entry index (from 0) of 4 that is changed, -1 none
    int typeByte;   // new type byte there, -1 unchanged
    int cutBytes;   // bytes taken out there (from its middle), or from the end when damageAt is -1
    int result;
    int entries;
};

class DirFileShapeTest : public DirFileDamageTest, public ::testing::WithParamInterface<Shape> {};

TEST_P(DirFileShapeTest, ValidateEntriesTellsDamageFromACutShortEnd) {
    const Shape& c = GetParam();
    Bytes file = Catalog(4);
    const auto at = static_cast<std::ptrdiff_t>(78 + 286 * std::max(c.damageAt, 0));
    if (c.typeByte >= 0) file[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(c.typeByte);
    if (c.cutBytes > 0 && c.damageAt >= 0) file.erase(file.begin() + at + 100, file.begin() + at + 100 + c.cutBytes);
    if (c.cutBytes > 0 && c.damageAt < 0) file.resize(file.size() - static_cast<std::size_t>(c.cutBytes));
    WriteBytes(path, file);
    int entries = -1;
    EXPECT_EQ(dirFile.ValidateEntries(path, entries), c.result);
    EXPECT_EQ(entries, c.entries);
}

INSTANTIATE_TEST_SUITE_P(Shapes, DirFileShapeTest,
                         ::testing::Values(Shape{"Whole", -1, -1, 0, 0, 4}, Shape{"LastCutShort", -1, -1, 100, 0, 3},
                                           Shape{"TypeTwo", 1, 2, 0, 0, 4}, Shape{"BadTypeInTheMiddle", 1, 0, 0, 1, 1},
                                           Shape{"BadTypeOfTheLast", 3, 7, 0, 1, 3},
                                           Shape{"CutInTheMiddle", 1, -1, 50, 1, 2}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(DirFileDamageTest, ValidateEntriesOfAMissingFileIsMinusOne) {
    int entries = 7;
    EXPECT_EQ(dirFile.ValidateEntries(path, entries), -1);
}

}  // namespace
