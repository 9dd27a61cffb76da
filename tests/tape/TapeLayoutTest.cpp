// Blocks built by hand from the documented offsets are read correctly, and
// what the program writes matches them byte for byte where the layout
// defines the bytes.

#include <gtest/gtest.h>

#include "support/HandBuiltBlocks.h"
#include "support/TapeFixture.h"
#include "tape/IdentBlock.h"

namespace {

class TapeLayoutTest : public TapeFixture {
protected:
    static TapObject Block(Bytes data) { return {false, std::move(data)}; }
    static TapObject Mark() { return {true, {}}; }
};

TEST_F(TapeLayoutTest, HandBuiltIdentBlockIsRead) {
    UseImage({Block(HandBuilt::Ident(1024, "Monday", "01.02.2025", "1.2")), Mark()});
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, "Monday");
    EXPECT_EQ(date, "01.02.2025");
    EXPECT_EQ(version, "1.2");  // another version's tape: returned as found
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(TapeLayoutTest, WrittenIdentBlockMatchesHandBuiltBlock) {
    ASSERT_EQ(volume->WriteIdentBlock("Monday"), 0);
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 2u);
    // A fresh volume's buffer is zero, so every byte of the block is defined.
    EXPECT_EQ(objects[0].data, HandBuilt::Ident(1024, "Monday", TodayText(), "1.6"));
    EXPECT_TRUE(objects[1].filemark);
}

TEST_F(TapeLayoutTest, HandBuiltRecordIsReadRestoredAndVerified) {
    // Junk after each text's NUL: readers must ignore it.
    Bytes header = HandBuilt::Header(1024, 1, "notes.txt", "03.04.2024", "05.06.2026", 1500, 2, 0xEE);
    Bytes first(1024), second(1024, 0);
    const Bytes content = Pattern(1500, 9);
    std::copy(content.begin(), content.begin() + 1024, first.begin());
    std::copy(content.begin() + 1024, content.end(), second.begin());
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(), Block(header), Block(first),
              Block(second), Mark()});

    std::string name, modified, backedUp;
    std::int32_t size = 0, blocks = 0;
    ASSERT_EQ(Space(1), 0);
    ASSERT_EQ(volume->ReadFileHeader(name, modified, backedUp, size, blocks), 0);
    EXPECT_EQ(name, "notes.txt");
    EXPECT_EQ(modified, "03.04.2024");
    EXPECT_EQ(backedUp, "05.06.2026");
    EXPECT_EQ(size, 1500);
    EXPECT_EQ(blocks, 2);

    Rewind();
    ASSERT_EQ(Space(1), 0);
    ASSERT_EQ(volume->RestoreFile("notes.txt", "03.04.2024", 1500, 2, 1024, Dst()), 0);
    EXPECT_EQ(ReadFile(Dst() + "notes.txt"), content);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile("notes.txt", "03.04.2024", 1500, 2, 1024, Dst()), VerifyResult::Identical);
}

TEST_F(TapeLayoutTest, WrittenHeaderMatchesHandBuiltFieldsAndDataIsZeroPadded) {
    FormatAndBackUp("a.dat", 1500, 4);
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 6u);  // ident, mark, header, 2 data, mark
    const Bytes& written = objects[2].data;
    const Bytes expected = HandBuilt::Header(1024, 1, "a.dat", TodayText(), TodayText(), 1500, 2);
    // Defined: the type byte, each text with its NUL, the two numbers.
    auto same = [&](std::size_t from, std::size_t count) {
        return std::equal(written.begin() + from, written.begin() + from + count, expected.begin() + from);
    };
    EXPECT_TRUE(same(0, 1 + 5 + 1));
    EXPECT_TRUE(same(257, 11));
    EXPECT_TRUE(same(268, 11));
    EXPECT_TRUE(same(279, 8));
    Bytes data = Pattern(1500, 4);
    data.resize(2048, 0);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1024, objects[3].data.begin()));
    EXPECT_TRUE(std::equal(data.begin() + 1024, data.end(), objects[4].data.begin()));
}

// Bytes of a header or ident block that no field defines are zero, whatever
// buffer 1 held before (another file's data read back by a restore, or the
// transfers of a large backup): no file's contents reach another record.
class HeaderPaddingTest : public TapeLayoutTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(HeaderPaddingTest, IsZeroAfterARestoreAndALargeBackup) {
    const std::size_t size = GetParam();
    FormatAndBackUp("large.bin", size, 9);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    ASSERT_EQ(volume->RestoreFile("large.bin", TodayText(), static_cast<std::int32_t>(size),
                                  static_cast<std::int32_t>(size / 1024 + 1), 1024, Dst()),
              0);
    ASSERT_EQ(volume->WriteIdentBlock("Again"), 0);
    ASSERT_EQ(volume->BackupFile("large.bin", Src(), 1024), 0);
    WriteFile(Src() + "s.bin", Pattern(10, 5));
    ASSERT_EQ(volume->BackupFile("s.bin", Src(), 1024), 0);
    const auto objects = Objects();
    EXPECT_EQ(objects[0].data, HandBuilt::Ident(1024, "Again", TodayText(), "1.6"));
    EXPECT_EQ(objects[objects.size() - 3].data, HandBuilt::Header(1024, 1, "s.bin", TodayText(), TodayText(), 10, 1));
}

INSTANTIATE_TEST_SUITE_P(Sizes, HeaderPaddingTest,
                         ::testing::Values(7 * 65536 + 900, 5 * 65536 + 3 * 10240 + 2 * 1024 + 500, 12 * 65536));

struct HeaderTypeCase {
    std::uint8_t type;
    int result;
    bool fieldsSet;
};

class HeaderTypeTest : public TapeLayoutTest, public ::testing::WithParamInterface<HeaderTypeCase> {};

TEST_P(HeaderTypeTest, TypeByteDecidesResult) {
    const auto c = GetParam();
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, c.type, "x", "01.01.2026", "02.01.2026", 5, 1)), Block(Bytes(1024, 0)),
              Mark()});
    ASSERT_EQ(Space(1), 0);
    std::string name = "untouched";
    std::string modified, backedUp;
    std::int32_t size = -7, blocks = -7;
    EXPECT_EQ(volume->ReadFileHeader(name, modified, backedUp, size, blocks), c.result);
    EXPECT_EQ(name, c.fieldsSet ? "x" : "untouched");
    EXPECT_EQ(size, c.fieldsSet ? 5 : -7);
}

INSTANTIATE_TEST_SUITE_P(Types, HeaderTypeTest,
                         ::testing::Values(HeaderTypeCase{1, 0, true}, HeaderTypeCase{2, 2, true},
                                           HeaderTypeCase{0, -1, false}, HeaderTypeCase{3, -1, true},
                                           HeaderTypeCase{0xFF, -1, true}));

TEST_F(TapeLayoutTest, TypeTwoRecordIsRestoredAndVerifiedLikeTypeOne) {
    const Bytes content = Pattern(10, 2);
    Bytes block(1024, 0);
    std::copy(content.begin(), content.end(), block.begin());
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, 2, "two", "01.01.2026", "02.01.2026", 10, 1)), Block(block), Mark()});
    ASSERT_EQ(Space(1), 0);
    ASSERT_EQ(volume->RestoreFile("two", "01.01.2026", 10, 1, 1024, Dst()), 0);
    EXPECT_EQ(ReadFile(Dst() + "two"), content);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile("two", "01.01.2026", 10, 1, 1024, Dst()), VerifyResult::Identical);
}

// ---- names from tape are never allowed to leave the destination ----

class UnsafeNameTest : public TapeLayoutTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(UnsafeNameTest, FullRestoreRefusesNameAndWritesNothing) {
    const std::string bad = GetParam();
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, 1, bad, "01.01.2026", "02.01.2026", 3, 1)), Block(Bytes(1024, 'A')),
              Mark()});
    std::filesystem::create_directories(Dst() + "sub");
    ASSERT_EQ(Space(1), 0);
    // The full restore reports it with the record's number.
    EXPECT_EQ(volume->RestoreNextFile(1024, Dst() + "sub/"), -1);
    EXPECT_EQ(volume->LastFault(), RecordFault::BadName);
    EXPECT_TRUE(messages.shown.empty());
    // Nothing appeared anywhere under the folder's parent.
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(Dst()),
                            std::filesystem::recursive_directory_iterator()),
              1);
}

TEST_P(UnsafeNameTest, VerifyRefusesNameFromCatalogAndTape) {
    const std::string bad = GetParam();
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, 1, bad, "01.01.2026", "02.01.2026", 3, 1)), Block(Bytes(1024, 'A')),
              Mark()});
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile(bad, "01.01.2026", 3, 1, 1024, Dst()), VerifyResult::Failed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Error: file name on tape not allowed: '" + bad + "'");
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeNameTest, ::testing::Values("", ".", "..", "../escape", "a/b", "/etc/x"));

// The blocks are read by the size and the filemarks counted past them: a
// header whose two numbers disagree is damaged, whatever the catalog says.
TEST_F(TapeLayoutTest, HeaderWhoseSizeAndBlockCountDisagreeIsDamaged) {
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, 1, "odd", "01.01.2026", "02.01.2026", 1000, 3)), Block(Bytes(1024, 'A')),
              Block(Bytes(1024, 'B')), Block(Bytes(1024, 'C')), Mark()});
    WriteFile(Src() + "odd", Bytes(1000, 'A'));
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->RestoreFile("odd", "01.01.2026", 1000, 3, 1024, Dst()), -1);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->VerifyFile("odd", "01.01.2026", 1000, 3, 1024, Src()), VerifyResult::Failed);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->RestoreNextFile(1024, Dst()), -1);
    EXPECT_EQ(volume->LastFault(), RecordFault::BadHeader);
    const RecordedMessage damaged{"Error: file header of 'odd' is damaged", Error};
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{damaged, damaged}));
    EXPECT_FALSE(std::filesystem::exists(Dst() + "odd"));
}

TEST_F(TapeLayoutTest, NegativeSizeInHeaderIsRefused) {
    UseImage({Block(HandBuilt::Ident(1024, "T", "01.01.2026", "1.6")), Mark(),
              Block(HandBuilt::Header(1024, 1, "neg", "01.01.2026", "02.01.2026", 0xFFFFFFF0u, 1)),
              Block(Bytes(1024, 0)), Mark()});
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->RestoreNextFile(1024, Dst()), -1);
    EXPECT_EQ(volume->LastFault(), RecordFault::BadHeader);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "neg"));
    Rewind();
    ASSERT_EQ(Space(1), 0);
    EXPECT_EQ(volume->RestoreFile("neg", "01.01.2026", -16, 1, 1024, Dst()), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: file header of 'neg' is damaged", Error}}));
}

// The two codecs against blocks put together from the documented offsets.
TEST(TapeCodecs, EncodeTheDocumentedBytesAndDecodeThemBack) {
    Bytes block(1024, 0xEE);
    EncodeIdentBlock({std::string(49, 't'), "06.12.2026", "1.6"}, block.data(), block.size());
    EXPECT_EQ(block, HandBuilt::Ident(1024, std::string(49, 't'), "06.12.2026", "1.6"));
    IdentBlock ident;
    ASSERT_TRUE(DecodeIdentBlock(block.data(), ident));
    EXPECT_EQ(ident.tapeName, std::string(49, 't'));
    EXPECT_EQ(ident.formatDate, "06.12.2026");
    EXPECT_EQ(ident.version, "1.6");
    block[8] = 'X';
    EXPECT_FALSE(DecodeIdentBlock(block.data(), ident));

    const FileHeader header{std::string(254, 'n'), "01.02.2026", "03.04.2026", 100000, 196};
    EncodeFileHeader(header, block.data(), 512);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 512,
                           HandBuilt::Header(512, 1, header.name, "01.02.2026", "03.04.2026", 100000, 196).begin()));
    FileHeader back;
    EXPECT_EQ(DecodeFileHeader(block.data(), back), 1);
    EXPECT_EQ(back.name, header.name);
    EXPECT_EQ(back.modificationDate, header.modificationDate);
    EXPECT_EQ(back.backupDate, header.backupDate);
    EXPECT_EQ(back.size, 100000);
    EXPECT_EQ(back.blockCount, 196);
}

}  // namespace
