// Formatting and reading the ident block, and how each failure shows.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/TapeFixture.h"

namespace {

class IdentBlockTest : public TapeFixture {
protected:
    // Makes the image read-only and restarts the drive over it.
    void WriteProtect() {
        volume.reset();
        HostAdapterList::Install({});
        ASSERT_EQ(chmod(image.c_str(), 0444), 0);
        LoadImage();
        SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
    }
    std::uintmax_t ImageSize() const {
        std::error_code error;
        const auto size = std::filesystem::file_size(image, error);
        return error ? 0 : size;
    }
};

TEST_F(IdentBlockTest, FormatThenReadGivesNameTodayAndVersion) {
    ASSERT_EQ(volume->WriteIdentBlock("Backup 1"), 0);
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, "Backup 1");
    EXPECT_EQ(date, TodayText());
    EXPECT_EQ(version, "1.6");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(IdentBlockTest, FortyNineCharacterNameIsWritten) {
    const std::string longest(49, 'L');
    ASSERT_EQ(volume->WriteIdentBlock(longest), 0);
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, longest);
}

TEST_F(IdentBlockTest, FiftyCharacterNameIsRefusedBeforeTheTapeIsTouched) {
    ASSERT_EQ(volume->WriteIdentBlock("Old"), 0);
    const auto before = ReadFile(image);
    EXPECT_EQ(volume->WriteIdentBlock(std::string(50, 'L')), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Tape name too long!", Attention}}));
    EXPECT_EQ(ReadFile(image), before);
}

class InvalidTapeNameTest : public IdentBlockTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(InvalidTapeNameTest, NameThatCannotNameACatalogIsRefused) {
    EXPECT_EQ(volume->WriteIdentBlock(GetParam()), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Invalid tape name!", Attention}}));
    EXPECT_EQ(ImageSize(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Names, InvalidTapeNameTest, ::testing::Values("", ".", "..", "a/b", "../x"));

TEST_F(IdentBlockTest, BlankTapeReadFails) {
    std::string name = "keep", date = "keep", version = "keep";
    EXPECT_EQ(volume->ReadIdentBlock(name, date, version), -1);
    EXPECT_EQ(name, "keep");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(IdentBlockTest, MagicFollowedByAnotherCharacterIsNoIdent) {
    Bytes block(1024, 0);
    const std::string text = "TAPEWRENX";
    std::copy(text.begin(), text.end(), block.begin());
    UseImage({{false, block}, {true, {}}});
    std::string name = "keep", date, version;
    EXPECT_EQ(volume->ReadIdentBlock(name, date, version), -2);
    EXPECT_EQ(name, "keep");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(IdentBlockTest, ReadLeavesTapeBeforeIdentFilemark) {
    FormatAndBackUp("f", 10);
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    ASSERT_EQ(Space(1), 0);
    std::string file, modified, backedUp;
    std::int32_t size = 0, blocks = 0;
    EXPECT_EQ(volume->ReadFileHeader(file, modified, backedUp, size, blocks), 0);
    EXPECT_EQ(file, "f");
}

TEST_F(IdentBlockTest, WriteProtectedTapeFailsWithoutMessage) {
    ASSERT_EQ(volume->WriteIdentBlock("Old"), 0);
    WriteProtect();
    const auto before = ReadFile(image);
    EXPECT_EQ(volume->WriteIdentBlock("New"), -1);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(image), before);
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, "Old");
}

TEST_F(IdentBlockTest, FilemarkFailureIsReported) {
    faults->failOpcode = 0x10;  // WRITE FILEMARKS
    EXPECT_EQ(volume->WriteIdentBlock("T"), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error writing FileMark", Error}}));
    // The ident block itself is on tape.
    faults->failOpcode = -1;
    std::string name, date, version;
    EXPECT_EQ(volume->ReadIdentBlock(name, date, version), 0);
}

TEST_F(IdentBlockTest, FormattingAgainMakesEverythingAfterUnreachable) {
    FormatAndBackUp("f", 5000);
    ASSERT_EQ(volume->WriteIdentBlock("Fresh"), 0);
    const auto objects = Objects();
    ASSERT_EQ(objects.size(), 2u);
    std::string name, date, version;
    ASSERT_EQ(volume->ReadIdentBlock(name, date, version), 0);
    EXPECT_EQ(name, "Fresh");
    ASSERT_EQ(Space(1), 0);
    std::string file, modified, backedUp;
    std::int32_t size = 0, blocks = 0;
    EXPECT_EQ(volume->ReadFileHeader(file, modified, backedUp, size, blocks), -1);
}

TEST_F(IdentBlockTest, DriveWithBlocksTooLargeForTheBufferIsRefused) {
    SetBlockLength(4096);
    std::string name, date, version;
    EXPECT_EQ(volume->ReadIdentBlock(name, date, version), -1);
    EXPECT_EQ(volume->WriteIdentBlock("T"), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: drive block length 4096 not supported", Error}}));
    EXPECT_EQ(ImageSize(), 0u);
}

}  // namespace
